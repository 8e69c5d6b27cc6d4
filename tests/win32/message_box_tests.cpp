#include "platform/win32/text.h"
#include "platform/win32/win32_message_box.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

namespace pictorn::platform::win32 {
namespace {

// Plays the user: waits (with a deadline) for the box titled `title` on another thread,
// notes its text and presses `button`.
class BoxAnswerer {
public:
    BoxAnswerer(std::wstring title, int button)
        : thread_([this, title = std::move(title), button] {
              const ULONGLONG deadline = GetTickCount64() + 10000;
              HWND box = nullptr;
              while (!box && GetTickCount64() < deadline) {
                  box = FindWindowW(L"#32770", title.c_str());
                  if (!box) {
                      Sleep(10);
                  }
              }
              if (!box) {
                  return;
              }
              wchar_t text[256] = {};
              GetDlgItemTextW(box, 0xFFFF, text, 256);
              shown_ = text;
              PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
              found_ = true;
          }) {}
    ~BoxAnswerer() { join(); }
    void join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    bool found() const { return found_; }
    const std::wstring& shown() const { return shown_; }

private:
    std::atomic<bool> found_{false};
    std::wstring shown_;
    std::thread thread_;
};

// Wine without an X display cannot create windows at all; such a run checks the rest.
bool windowsAvailable() {
    const HWND probe =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

TEST(MessageBoxService, ShowsUnicodeTextAndReturnsTheChosenButton) {
    if (!windowsAvailable()) {
        GTEST_SKIP() << "no display";
    }
    Win32MessageBox boxes;
    BoxAnswerer user(L"Pictorn ✓ test", IDNO);
    const int answer =
        boxes.show("Grüße 日本\r\nsecond line", mb::kYesNo | mb::kIconQuestion, "Pictorn ✓ test");
    user.join();
    ASSERT_TRUE(user.found());
    EXPECT_EQ(answer, mb::kIdNo);
    EXPECT_EQ(user.shown(), L"Grüße 日本\r\nsecond line");
}

TEST(MessageBoxService, BoxWithHelpFileStillAnswers) {
    if (!windowsAvailable()) {
        GTEST_SKIP() << "no display";
    }
    Win32MessageBox boxes;
    BoxAnswerer user(L"Pictorn help test", IDOK);
    const int answer = boxes.show("with help", mb::kOk, "Pictorn help test", "pictorn.chm", 42);
    user.join();
    ASSERT_TRUE(user.found());
    EXPECT_EQ(answer, mb::kIdOk);
}

TEST(MessageBoxService, OwnerlessBoxesAreTaskModalUnlessAModeWasChosen) {
    EXPECT_EQ(effectiveMessageBoxStyle(mb::kOk | mb::kIconInformation, false),
              static_cast<unsigned>(MB_TASKMODAL | MB_ICONINFORMATION));
    EXPECT_EQ(effectiveMessageBoxStyle(mb::kYesNo, true), mb::kYesNo);
    EXPECT_EQ(effectiveMessageBoxStyle(mb::kSystemModal, false), mb::kSystemModal);
}

} // namespace
} // namespace pictorn::platform::win32
