#include "capture/grab.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_screen_capture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>

namespace pictorn::platform::win32 {
namespace {

constexpr COLORREF kPaint = RGB(18, 200, 99);
constexpr std::uint32_t kPaintPixel = 0x12C863; // the same colour as 0x00RRGGBB

LRESULT CALLBACK solidProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT r{};
        GetClientRect(hwnd, &r);
        Brush brush(CreateSolidBrush(kPaint));
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush.get());
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A topmost window of one known colour: something on screen whose pixels we know.
class SolidWindow {
public:
    SolidWindow(int x, int y, int width, int height, DWORD style = WS_POPUP) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = solidProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PictornGrabTestSolid";
        RegisterClassW(&wc); // fails harmlessly when already registered
        hwnd_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"grab test", style, x, y, width,
                                height, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
        UpdateWindow(hwnd_);
    }
    ~SolidWindow() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

void pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps messages until the condition holds or 5 s have passed.
bool waitFor(const std::function<bool()>& condition) {
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (GetTickCount64() < deadline) {
        pump();
        if (condition())
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return condition();
}

TEST(Win32ScreenCapture, ReportsTheScreenLayout) {
    Win32ScreenCapture screen;
    EXPECT_GE(screen.monitorCount(), 1);
    EXPECT_EQ(screen.primaryScreen(),
              (PixelRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
    const PixelRect all = screen.virtualScreen();
    EXPECT_LE(all.left, 0);
    EXPECT_GE(all.right(), screen.primaryScreen().right());
    const capture::ScreenGrab grab = capture::grabScreen(screen);
    EXPECT_EQ(grab.picture.width, screen.primaryScreen().width);
    EXPECT_EQ(grab.picture.height, screen.primaryScreen().height);
}

TEST(Win32ScreenCapture, GrabsTheRealPixelsOfAWindowOnScreen) {
    SolidWindow solid(120, 80, 64, 48);
    Win32ScreenCapture screen;
    imaging::Picture picture;
    const bool painted = waitFor([&] {
        picture = screen.grab({120, 80, 64, 48});
        return picture.at(0, 0) == kPaintPixel && picture.at(63, 47) == kPaintPixel;
    });
    ASSERT_TRUE(painted) << std::hex << picture.at(0, 0);
    for (std::uint32_t p : picture.pixels)
        ASSERT_EQ(p, kPaintPixel);
    // One pixel further out is not the window.
    const imaging::Picture around = screen.grab({119, 79, 66, 50});
    EXPECT_EQ(around.at(1, 1), kPaintPixel);
    EXPECT_EQ(around.at(0, 0) == kPaintPixel && around.at(65, 49) == kPaintPixel, false);
}

TEST(Win32ScreenCapture, TallAreasComeInBandsThatJoinWithoutSeams) {
    // The screen is copied a band of rows at a time (a megabyte each); every band lands
    // where it belongs.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(width * 4 * height, 2 << 20) << "one band would hold the whole screen";
    SolidWindow solid(40, 0, 16, height);
    Win32ScreenCapture screen;
    imaging::Picture picture;
    ASSERT_TRUE(waitFor([&] {
        picture = screen.grab({0, 0, width, height});
        return picture.at(40, 0) == kPaintPixel && picture.at(55, height - 1) == kPaintPixel;
    }));
    for (int y = 0; y < height; ++y) {
        ASSERT_EQ(picture.at(48, y), kPaintPixel) << "row " << y;
        ASSERT_NE(picture.at(39, y), kPaintPixel) << "row " << y;
    }
    // Into the memory of an earlier picture, larger and holding other pixels: every one is
    // overwritten.
    std::vector<std::uint32_t> used(static_cast<std::size_t>(width) * height + 7, 0xABCDEF);
    const imaging::Picture again = screen.grabInto({0, 0, width, height}, std::move(used));
    EXPECT_EQ(again.pixels, picture.pixels);
}

TEST(Win32ScreenCapture, ForegroundWindowIsGrabbedWholeWithItsFrame) {
    SolidWindow framed(200, 150, 240, 160, WS_OVERLAPPEDWINDOW);
    Win32ScreenCapture screen;
    capture::ScreenGrab grab;
    std::optional<PixelRect> rect;
    RECT outer{};
    POINT inside{};
    // The window manager may still be placing the window: wait until it has settled
    // where the grab looks.
    ASSERT_TRUE(waitFor([&] {
        if (GetForegroundWindow() != framed.hwnd())
            return false;
        GetWindowRect(framed.hwnd(), &outer);
        RECT client{};
        GetClientRect(framed.hwnd(), &client);
        inside = {client.right / 2, client.bottom / 2};
        ClientToScreen(framed.hwnd(), &inside);
        rect = screen.foregroundWindowRect();
        if (!rect || rect->left != outer.left || rect->top != outer.top)
            return false;
        grab = capture::grabForegroundWindow(screen).value();
        return grab.picture.at(inside.x - rect->left, inside.y - rect->top) == kPaintPixel;
    }));
    // Without DWM composition the frame bounds are the window rectangle.
    EXPECT_EQ(*rect, (PixelRect{outer.left, outer.top, outer.right - outer.left,
                                outer.bottom - outer.top}));
    EXPECT_EQ(grab.picture.width, rect->width);
    EXPECT_EQ(grab.picture.height, rect->height);
    EXPECT_EQ(grab.originX, outer.left);
    EXPECT_EQ(grab.originY, outer.top);
    // The title bar is part of it and is not the client colour.
    EXPECT_NE(grab.picture.at(rect->width / 2, 5), kPaintPixel);
}

TEST(Win32ScreenCapture, ReadsThePointerWithItsImageAndHotSpot) {
    CursorImage arrow;
    int hotX = -1, hotY = -1;
    ASSERT_TRUE(decodeCursor(LoadCursorW(nullptr, IDC_ARROW), arrow, hotX, hotY));
    EXPECT_GT(arrow.width, 0);
    EXPECT_EQ(arrow.pixels.size(), static_cast<std::size_t>(arrow.width) * arrow.height);
    EXPECT_TRUE(arrow.alpha || arrow.andMask.size() == arrow.pixels.size());
    EXPECT_GE(hotX, 0);
    EXPECT_LT(hotX, arrow.width);
    CursorImage cross;
    ASSERT_TRUE(decodeCursor(LoadCursorW(nullptr, IDC_CROSS), cross, hotX, hotY));
    // The crosshair's hot spot is its middle, not its corner.
    EXPECT_GT(hotX, 2);
    EXPECT_GT(hotY, 2);

    SetCursorPos(300, 200);
    Win32ScreenCapture screen;
    EXPECT_TRUE(waitFor([&] {
        const CursorState state = screen.cursor();
        return state.x == 300 && state.y == 200;
    }));
}

} // namespace
} // namespace pictorn::platform::win32
