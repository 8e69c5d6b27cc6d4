#include "capture/frm_rectangle.h"
#include "platform/headless/fake_screen_capture.h"
#include "platform/headless/scripted_message_box.h"
#include "platform/win32/overlay_window.h"
#include "platform/win32/ui_toolkit_win32.h"
#include "platform/win32/win32_screen_capture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>

namespace pictorn::platform::win32 {
namespace {

constexpr std::uint32_t kFrozen = 0x2040A0;

// The real overlay window over a frozen screen the test paints itself, so what the
// window shows can be told apart from whatever was on screen before.
class RectangleOverlay : public ::testing::Test {
protected:
    void SetUp() override {
        // As the program does at start-up.
        toolkit.registerPeerFactory(capture::kRectangleFormName, &OverlayWindow::make);
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        frozenScreen.setMonitors({{0, 0, width, height}}, kFrozen);
    }
    void TearDown() override { overlay.unload(); }

    HWND overlayWindow() const { return FindWindowW(L"PictornScreenOverlay", nullptr); }

    bool waitFor(const std::function<bool()>& condition) {
        const ULONGLONG deadline = GetTickCount64() + 5000;
        while (GetTickCount64() < deadline) {
            toolkit.doEvents();
            if (condition())
                return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return condition();
    }

    // The real pointer goes along: the system reports its own moves to the overlay too.
    void mouse(HWND window, UINT message, int x, int y) {
        SetCursorPos(x, y);
        PostMessageW(window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    }

    Win32Toolkit toolkit;
    headless::FakeScreenCapture frozenScreen;
    headless::ScriptedMessageBox messageBox;
    app::Colour color = app::kGreen;
    std::optional<capture::SelectionResult> result;
    capture::FrmRectangle overlay{toolkit, frozenScreen, messageBox, [this] { return color; },
                                  [this](const capture::SelectionResult& r) {
                                      result = r;
                                  }};
};

TEST_F(RectangleOverlay, CoversTheScreenTopmostWithoutTaskbarButtonAndShowsTheFrozenPicture) {
    overlay.show();
    HWND window = overlayWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(IsWindowVisible(window));
    const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));

    Win32ScreenCapture screen;
    EXPECT_TRUE(waitFor([&] { return screen.grab({10, 10, 1, 1}).at(0, 0) == kFrozen; }));
}

TEST_F(RectangleOverlay, DragDrawsTheOutlineAndReleaseReportsTheSelection) {
    SetCursorPos(100, 100);
    overlay.show();
    HWND window = overlayWindow();
    ASSERT_TRUE(window);
    mouse(window, WM_LBUTTONDOWN, 100, 100);
    mouse(window, WM_MOUSEMOVE, 300, 250);
    Win32ScreenCapture screen;
    // Green outline (the stored value 65280) over the frozen picture, nothing inside.
    ASSERT_TRUE(waitFor([&] { return screen.grab({300, 200, 1, 1}).at(0, 0) == 0x00FF00; }));
    EXPECT_EQ(screen.grab({200, 200, 1, 1}).at(0, 0), kFrozen);
    EXPECT_EQ(screen.grab({200, 100, 1, 1}).at(0, 0), 0x00FF00u);

    mouse(window, WM_LBUTTONUP, 300, 250);
    ASSERT_TRUE(waitFor([&] { return result.has_value(); }));
    EXPECT_FALSE(result->cancelled);
    // At 96 dpi: corners 1500 and 4500/3750 twips, so 1510..4500 x 1510..3750.
    if (GetDeviceCaps(GetDC(nullptr), LOGPIXELSX) == 96) {
        EXPECT_EQ(result->area, (PixelRect{101, 101, 199, 149}));
    }
    EXPECT_EQ(result->picture.at(5, 5), kFrozen);
    EXPECT_FALSE(overlay.loaded());
    EXPECT_TRUE(waitFor([&] { return overlayWindow() == nullptr; }));
}

TEST_F(RectangleOverlay, EscapeAndShortClicksCancel) {
    overlay.show();
    PostMessageW(overlayWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(waitFor([&] { return result.has_value(); }));
    EXPECT_TRUE(result->cancelled);
    EXPECT_TRUE(waitFor([&] { return overlayWindow() == nullptr; }));

    result.reset();
    overlay.show(); // opens again, afresh
    HWND window = overlayWindow();
    ASSERT_TRUE(window);
    mouse(window, WM_LBUTTONDOWN, 100, 100);
    mouse(window, WM_LBUTTONUP, 102, 400);
    ASSERT_TRUE(waitFor([&] { return result.has_value(); }));
    EXPECT_TRUE(result->cancelled);
}

TEST_F(RectangleOverlay, UsesTheCrosshairOfTheColourOrTheSystemOne) {
    color = app::Colour{12345}; // not one of the six: the system crosshair
    overlay.show();
    HWND window = overlayWindow();
    ASSERT_TRUE(window);
    SetCursorPos(400, 300);
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_CROSS));
}

} // namespace
} // namespace pictorn::platform::win32
