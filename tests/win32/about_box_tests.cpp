#include "about/frm_about.h"
#include "platform/headless/headless_services.h"
#include "platform/win32/label_classes.h"
#include "platform/win32/text.h"
#include "platform/win32/ui_toolkit_win32.h"
#include "platform/win32/ui_units.h"
#include "resource_ids.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace pictorn::platform::win32 {
namespace {

// The real about box over a plain main window; everything but the windows is a fake, so
// the link opens no browser.
class AboutBoxWindow : public ::testing::Test {
protected:
    void SetUp() override {
        registerLabelClasses();
        fakes.clock.time.year = 2034;
        mainWindow.setCaption("Pictorn");
        mainWindow.move(1440, 1440, 6000, 4500);
        mainWindow.show();
    }
    void TearDown() override { mainWindow.unload(); }

    // Runs `user` on another thread once the about box is up (deadline 10 s), while this
    // thread is inside the modal loop; `user` must close the box.
    void showAndAct(const std::function<void(HWND)>& user) {
        std::atomic<bool> found{false};
        std::thread player([&] {
            const ULONGLONG deadline = GetTickCount64() + 10000;
            HWND box = nullptr;
            while (GetTickCount64() < deadline) {
                box = FindWindowW(nullptr, L"About");
                if (box && IsWindowVisible(box))
                    break;
                box = nullptr;
                Sleep(10);
            }
            if (!box)
                return;
            found = true;
            user(box);
        });
        showAboutBox(services, mainWindow);
        player.join();
        EXPECT_TRUE(found) << "the about box did not appear";
    }

    static std::string text(HWND box, int id) {
        HWND child = GetDlgItem(box, id);
        wchar_t buffer[256] = {};
        GetWindowTextW(child, buffer, 256);
        return toUtf8(buffer);
    }

    // Whether the label's text fits its control in the font it is drawn with.
    static bool textFits(HWND box, int id) {
        HWND child = GetDlgItem(box, id);
        const std::wstring wide = toWide(text(box, id));
        RECT client{};
        GetClientRect(child, &client);
        HDC dc = GetDC(child);
        auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        return size.cx <= client.right && size.cy <= client.bottom;
    }

    static void click(HWND control) {
        PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }

    Win32Toolkit toolkit;
    headless::HeadlessServices fakes{toolkit};
    Services& services = fakes.services;
    ui::Form mainWindow{toolkit, "frmMain"};
};

TEST_F(AboutBoxWindow, ShowsItsTextsOnTopAtItsSizeAndClosesWithOk) {
    showAndAct([&](HWND box) {
        EXPECT_EQ(text(box, IDC_ABOUT_PROGTITLE), "Pictorn");
        EXPECT_EQ(text(box, IDC_ABOUT_VERSION), "Version 1.0.6");
        EXPECT_EQ(text(box, IDC_ABOUT_COPYRIGHT), std::string(kCopyrightNotice) + "2034");
        EXPECT_EQ(text(box, IDC_ABOUT_URL), kHomePageUrl);
        EXPECT_EQ(text(box, IDC_ABOUT_OK), "&Ok");
        EXPECT_TRUE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        EXPECT_FALSE(GetWindowLongPtrW(box, GWL_STYLE) & WS_THICKFRAME);
        for (int id : {IDC_ABOUT_PROGTITLE, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT,
                       IDC_ABOUT_COPYRIGHT2, IDC_ABOUT_TEXT4, IDC_ABOUT_TEXT5, IDC_ABOUT_URL})
            EXPECT_TRUE(textFits(box, id)) << "clipped: " << text(box, id);
        // Client area near 220 x 288 pixels, scaled with the DPI.
        RECT client{};
        GetClientRect(box, &client);
        const int dpi = windowDpi(box);
        EXPECT_NEAR(client.right * 96 / dpi, 220, 30);
        EXPECT_NEAR(client.bottom * 96 / dpi, 288, 30);
        // The title is drawn larger than the other labels.
        LOGFONTW title{}, plain{};
        GetObjectW(reinterpret_cast<HFONT>(
                       SendDlgItemMessageW(box, IDC_ABOUT_PROGTITLE, WM_GETFONT, 0, 0)),
                   sizeof title, &title);
        GetObjectW(
            reinterpret_cast<HFONT>(SendDlgItemMessageW(box, IDC_ABOUT_VERSION, WM_GETFONT, 0, 0)),
            sizeof plain, &plain);
        EXPECT_GT(std::abs(title.lfHeight), std::abs(plain.lfHeight));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_OK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_ABOUT_OK)));
    });
    EXPECT_TRUE(fakes.launcher.opened.empty());
    EXPECT_EQ(mainWindow.windowState(), ui::WindowState::Normal);
}

TEST_F(AboutBoxWindow, LinkHasAHandPointerMinimizesTheMainWindowAndOpensTheHomePage) {
    showAndAct([&](HWND box) {
        HWND link = GetDlgItem(box, IDC_ABOUT_URL);
        EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(link, GCLP_HCURSOR)),
                  LoadCursorW(nullptr, IDC_HAND));
        click(link);
    });
    ASSERT_EQ(fakes.launcher.opened.size(), 1u);
    EXPECT_EQ(fakes.launcher.opened[0].target, kHomePageUrl);
    EXPECT_EQ(mainWindow.windowState(), ui::WindowState::Minimized);
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

} // namespace
} // namespace pictorn::platform::win32
