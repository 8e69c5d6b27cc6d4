#include "platform/win32/thread_mailbox.h"

#include <memory>

namespace pictorn::platform::win32 {

namespace {

constexpr wchar_t kClassName[] = L"PictornThreadMailbox";
constexpr UINT kTaskMessage = WM_APP + 0x51;

} // namespace

ThreadMailbox::ThreadMailbox() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ThreadMailbox::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    window_.reset(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
}

ThreadMailbox::~ThreadMailbox() {
    MSG msg{};
    while (window_ && PeekMessageW(&msg, window_.get(), kTaskMessage, kTaskMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(msg.lParam);
}

bool ThreadMailbox::post(std::function<void()> task) {
    if (!window_)
        return false;
    auto* carried = new std::function<void()>(std::move(task));
    if (PostMessageW(window_.get(), kTaskMessage, 0, reinterpret_cast<LPARAM>(carried)))
        return true;
    delete carried;
    return false;
}

LRESULT CALLBACK ThreadMailbox::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTaskMessage) {
        std::unique_ptr<std::function<void()>> task(
            reinterpret_cast<std::function<void()>*>(lParam));
        if (*task)
            (*task)();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace pictorn::platform::win32
