#pragma once
// Tasks handed to the thread that made the mailbox, from any thread: each runs there from
// whichever message loop that thread runs next. A message-only window carries them, so the
// modal loops of menus, message boxes and dialogs deliver them too (thread messages would be
// lost there).
#include "platform/win32/handle.h"

#include <windows.h>

#include <functional>

namespace pictorn::platform::win32 {

class ThreadMailbox {
public:
    ThreadMailbox();
    // Tasks not yet run are let go without running.
    ~ThreadMailbox();
    ThreadMailbox(const ThreadMailbox&) = delete;
    ThreadMailbox& operator=(const ThreadMailbox&) = delete;

    // False when the task could not be queued (it is dropped).
    bool post(std::function<void()> task);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    OwnedWindow window_;
};

} // namespace pictorn::platform::win32
