// A later copy's request to the running one, and the answer back. The request goes as
// WM_COPYDATA to the running copy's main window, with the later copy's own message-only
// window as the sender; the running copy answers there with WM_COPYDATA when it is done
// with the request or has refused it. The later copy waits for that, for the running copy
// to end, or for its deadline.
#include "platform/win32/form_window.h"
#include "platform/win32/win32_instance_guard.h"

#include <charconv>
#include <memory>

namespace pictorn::platform::win32 {
namespace {

// Mark our traffic among other WM_COPYDATA ("PCTN", "PCTR").
constexpr ULONG_PTR kForwardedArguments = 0x5043544E;
constexpr ULONG_PTR kForwardAnswer = 0x50435452;
constexpr UINT kSendTimeoutMs = 5000;
// A copy that is still starting has the program's name but no window yet: it is given a
// few seconds to make one.
constexpr int kDeliveryAttempts = 50;
constexpr DWORD kDeliveryPauseMs = 100;
constexpr wchar_t kReplyClass[] = L"PictornForwardReply";

std::string pack(const std::vector<std::string>& parts) {
    std::string packed;
    for (const std::string& part : parts) {
        packed += part;
        packed += '\0';
    }
    return packed;
}

std::vector<std::string> unpack(const COPYDATASTRUCT& data) {
    std::vector<std::string> parts;
    std::string current;
    const auto* bytes = static_cast<const char*>(data.lpData);
    for (DWORD i = 0; bytes && i < data.cbData; ++i) {
        if (bytes[i] != '\0') {
            current += bytes[i];
            continue;
        }
        parts.push_back(std::move(current));
        current.clear();
    }
    return parts;
}

bool sendCopyData(HWND window, HWND sender, ULONG_PTR kind, std::string& packed) {
    COPYDATASTRUCT data{};
    data.dwData = kind;
    data.cbData = static_cast<DWORD>(packed.size());
    data.lpData = packed.data();
    DWORD_PTR accepted = 0;
    return SendMessageTimeoutW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &accepted) &&
           accepted == TRUE;
}

// Where the later copy's reply window keeps the answer.
struct AnswerSlot {
    bool answered = false;
    int code = 0;
    std::string message;
};

LRESULT CALLBACK replyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA)
        return DefWindowProcW(window, message, wParam, lParam);
    auto* slot = reinterpret_cast<AnswerSlot*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!slot || !data || data->dwData != kForwardAnswer || slot->answered)
        return FALSE;
    const std::vector<std::string> parts = unpack(*data);
    slot->answered = true;
    slot->code = 1;
    if (!parts.empty())
        std::from_chars(parts[0].data(), parts[0].data() + parts[0].size(), slot->code);
    if (parts.size() > 1)
        slot->message = parts[1];
    return TRUE;
}

OwnedWindow makeReplyWindow(AnswerSlot& slot) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &replyWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kReplyClass;
    RegisterClassExW(&wc); // fails harmlessly when it is already registered
    OwnedWindow window{CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       GetModuleHandleW(nullptr), nullptr)};
    if (window)
        SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&slot));
    return window;
}

// Hands the request to the running copy's main window: the one of the program's form
// windows in another process that accepts it (the others refuse it). Its process id, or 0.
DWORD deliver(std::string& packed, HWND replyWindow) {
    const DWORD self = GetCurrentProcessId();
    for (HWND window = FindWindowExW(nullptr, nullptr, FormWindow::className(), nullptr); window;
         window = FindWindowExW(nullptr, window, FormWindow::className(), nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != self && sendCopyData(window, replyWindow, kForwardedArguments, packed))
            return owner;
    }
    return 0;
}

// The running copy's side of one request: answers the window the request came from.
class CopyDataReply final : public ForwardedReply {
public:
    explicit CopyDataReply(HWND sender) : sender_(sender) {}
    bool waiting() const override {
        // Without a window to answer, nobody can be seen waiting, nor be seen to give up.
        return !answered_ && (!sender_ || IsWindow(sender_));
    }
    void answer(int code, std::string_view message) override {
        if (answered_)
            return;
        answered_ = true;
        std::string packed = pack({std::to_string(code), std::string(message)});
        if (sender_)
            sendCopyData(sender_, nullptr, kForwardAnswer, packed);
    }

private:
    HWND sender_;
    bool answered_ = false;
};

} // namespace

ForwardOutcome Win32InstanceGuard::forward(const std::vector<std::string>& arguments, int waitMs) {
    AnswerSlot slot;
    const OwnedWindow replyWindow = makeReplyWindow(slot);
    if (!replyWindow)
        return {};
    std::string packed = pack(arguments);
    DWORD runningCopy = 0;
    for (int attempt = 0; attempt < kDeliveryAttempts && !runningCopy; ++attempt) {
        runningCopy = deliver(packed, replyWindow.get());
        if (!runningCopy)
            Sleep(kDeliveryPauseMs);
    }
    if (!runningCopy)
        return {};
    const Handle process{OpenProcess(SYNCHRONIZE, FALSE, runningCopy)};
    HANDLE waitable = process.get();
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitMs);
    bool ended = false;
    for (;;) {
        // The answer comes as a sent message, handled inside PeekMessage. The running copy
        // waits for it to be taken before it goes on, so an answer given just before its end
        // has been taken when the end is seen.
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (slot.answered)
            return {ForwardOutcome::Status::Answered, slot.code, slot.message};
        if (ended)
            return {ForwardOutcome::Status::Ended, 0, {}};
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return {ForwardOutcome::Status::TimedOut, 0, {}};
        const DWORD woke = MsgWaitForMultipleObjects(
            waitable ? 1 : 0, &waitable, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        ended = waitable && woke == WAIT_OBJECT_0;
    }
}

void Win32InstanceGuard::listen(ui::Form& mainWindow) {
    FormWindow* window = FormWindow::of(mainWindow);
    if (!window)
        return;
    window->addMessageHook([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != WM_COPYDATA)
            return false;
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != kForwardedArguments)
            return false;
        // Taken at once: the request waits for its turn in the message loop, and the answer
        // goes back when it is done or refused.
        result = TRUE;
        if (onForwarded)
            onForwarded(unpack(*data),
                        std::make_shared<CopyDataReply>(reinterpret_cast<HWND>(wParam)));
        return true;
    });
}

} // namespace pictorn::platform::win32
