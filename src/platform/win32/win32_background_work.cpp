#include "platform/win32/win32_background_work.h"

#include <memory>

namespace pictorn::platform::win32 {

namespace {

constexpr wchar_t kClassName[] = L"PictornBackgroundDone";
constexpr UINT kDoneMessage = WM_APP + 0x51;

} // namespace

Win32BackgroundWork::Win32BackgroundWork() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32BackgroundWork::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    // Message-only: never shown, never enumerated, but its messages are dispatched by every
    // message loop of this thread, the modal ones of dialogs and menus included.
    window_.reset(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
}

Win32BackgroundWork::~Win32BackgroundWork() {
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (worker_.joinable())
        worker_.join();
    // Results nobody will look at any more: free what they carry without running them.
    MSG msg{};
    while (window_ && PeekMessageW(&msg, window_.get(), kDoneMessage, kDoneMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(msg.lParam);
}

void Win32BackgroundWork::start(std::function<void()> job, std::function<void()> done) {
    std::unique_lock lock(mutex_);
    queue_.push_back(Item{std::move(job), std::move(done)});
    if (!worker_.joinable())
        worker_ = std::thread([this] { work(); });
    changed_.notify_all();
}

void Win32BackgroundWork::waitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !running_; });
}

void Win32BackgroundWork::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return; // stopping, and every job has run
        Item item = std::move(queue_.front());
        queue_.pop_front();
        running_ = true;
        lock.unlock();
        try {
            item.job();
        } catch (...) {
            // The job's own report is all there is; the worker goes on with the next one.
        }
        item.job = nullptr; // what the job held is let go before anyone is told it ended
        if (item.done && window_) {
            auto* done = new std::function<void()>(std::move(item.done));
            if (!PostMessageW(window_.get(), kDoneMessage, 0, reinterpret_cast<LPARAM>(done)))
                delete done;
        }
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

LRESULT CALLBACK Win32BackgroundWork::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == kDoneMessage) {
        std::unique_ptr<std::function<void()>> done(
            reinterpret_cast<std::function<void()>*>(lParam));
        if (*done)
            (*done)();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace pictorn::platform::win32
