// The preferences dialog made from its template: every control finds its child window, the
// texts fit, Done works through real button clicks, and (on request) a picture of each tab.
#include "app/preference_store.h"
#include "app/registry.h"
#include "app/settings.h"
#include "imaging/png_writer.h"
#include "platform/headless/headless_services.h"
#include "platform/win32/dib_section.h"
#include "platform/win32/form_window.h"
#include "platform/win32/handle.h"
#include "platform/win32/text.h"
#include "platform/win32/ui_toolkit_win32.h"
#include "platform/win32/ui_units.h"
#include "prefs/frm_prefs.h"
#include "resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace pictorn::platform::win32 {
namespace {

class PrefsDialogWindow : public ::testing::Test {
protected:
    void SetUp() override {
        mainWindow.setCaption("Pictorn");
        mainWindow.move(1440, 1440, 9000, 6000);
        mainWindow.show();
        store.load();
        prefs = std::make_unique<FrmPrefs>(services, store);
        prefs->load();
    }
    void TearDown() override {
        prefs->unload();
        prefs.reset();
        mainWindow.unload();
    }
    HWND dialog() const { return static_cast<FormWindow*>(prefs->peer())->hwnd(); }

    // Lets the windows paint and settle, for a while measured by the clock.
    void pump(DWORD milliseconds) {
        const ULONGLONG deadline = GetTickCount64() + milliseconds;
        while (GetTickCount64() < deadline) {
            toolkit.doEvents();
            Sleep(10);
        }
    }

    // Whether a control's text fits it in the font it is drawn with. Check boxes lose the
    // width of their box, frames only need their caption on one line.
    static bool textFits(HWND child, std::string& why) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        const int length = GetWindowTextLengthW(child);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(child, text.data(), length + 1)));
        if (text.empty())
            return true;
        RECT client{};
        GetClientRect(child, &client);
        const bool button = lstrcmpiW(cls, L"Button") == 0;
        const auto kind = style & BS_TYPEMASK;
        int width = client.right;
        if (button && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX))
            width -= MulDiv(18, windowDpi(child), 96);
        else if (button && kind == BS_GROUPBOX)
            width -= MulDiv(12, windowDpi(child), 96);
        else if (button)
            width -= MulDiv(6, windowDpi(child), 96);
        HDC dc = GetDC(child);
        auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        RECT need{0, 0, width, 0};
        const UINT lines = button && kind == BS_GROUPBOX ? DT_SINGLELINE : DT_WORDBREAK;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, DT_CALCRECT | lines);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        const int height = button && kind == BS_GROUPBOX ? need.bottom : client.bottom;
        why = toUtf8(text) + ": needs " + std::to_string(need.right) + "x" +
              std::to_string(need.bottom) + ", has " + std::to_string(width) + "x" +
              std::to_string(height);
        return need.right <= width && need.bottom <= height;
    }

    void writeScreenshot(const std::string& path) {
        RECT r{};
        GetWindowRect(dialog(), &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        WindowDc screen = windowDc(nullptr);
        CreatedDc memory{CreateCompatibleDC(screen.get().dc)};
        Bitmap bitmap{CreateCompatibleBitmap(screen.get().dc, w, h)};
        {
            SelectObjectGuard select(memory.get(), bitmap.get());
            BitBlt(memory.get(), 0, 0, w, h, screen.get().dc, r.left, r.top, SRCCOPY);
        }
        BITMAPINFO info = topDownInfo(w, h);
        imaging::Picture picture(w, h);
        GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(h), picture.pixels.data(), &info,
                  DIB_RGB_COLORS);
        for (auto& pixel : picture.pixels)
            pixel &= 0xFFFFFF;
        const auto bytes = imaging::writePng(picture);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    Win32Toolkit toolkit;
    headless::HeadlessServices fakes; // everything but the windows
    Services services{.registry = fakes.registry,
                      .messageBox = fakes.messageBox,
                      .files = fakes.files,
                      .fileDialogs = fakes.fileDialogs,
                      .shell = fakes.shell,
                      .clock = fakes.clock,
                      .instance = fakes.instance,
                      .ui = toolkit,
                      .launcher = fakes.launcher,
                      .sound = fakes.sound,
                      .tray = fakes.tray,
                      .hotkeys = fakes.hotkeys,
                      .clipboard = fakes.clipboard,
                      .printers = fakes.printers,
                      .screen = fakes.screen,
                      .protection = fakes.protection,
                      .network = fakes.network,
                      .charsets = fakes.charsets,
                      .background = fakes.background,
                      .text = fakes.text};
    app::PreferenceStore store{services};
    ui::Form mainWindow{toolkit, "frmMain"};
    std::unique_ptr<FrmPrefs> prefs;
};

TEST_F(PrefsDialogWindow, EveryControlFindsItsWindowInTheTemplate) {
    for (const ui::Control* control : prefs->controls())
        EXPECT_NE(control->peer(), nullptr) << control->name() << " (id " << control->id() << ")";
    const LONG_PTR style = GetWindowLongPtrW(dialog(), GWL_STYLE);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(IsWindowVisible(dialog()));
    wchar_t caption[64] = {};
    GetWindowTextW(dialog(), caption, 64);
    EXPECT_EQ(toUtf8(caption), "Preferences");
}

TEST_F(PrefsDialogWindow, HasItsSizeAndEveryTextFits) {
    RECT client{};
    GetClientRect(dialog(), &client);
    const int dpi = windowDpi(dialog());
    // 534 x 348 pixels at 96 dpi, within the rounding of dialog units.
    EXPECT_NEAR(client.right, MulDiv(534, dpi, 96), MulDiv(12, dpi, 96));
    EXPECT_NEAR(client.bottom, MulDiv(348, dpi, 96), MulDiv(12, dpi, 96));
    for (int tab = 0; tab < 3; ++tab) {
        prefs->SSTab1.setCurrentTab(tab);
        for (const ui::Control* control : prefs->page(tab)) {
            HWND child = GetDlgItem(dialog(), control->id());
            std::string why;
            EXPECT_TRUE(textFits(child, why)) << control->name() << " " << why;
        }
    }
}

TEST_F(PrefsDialogWindow, TabsShowOnlyTheirPageAndDoneClosesWithRealClicks) {
    std::atomic<bool> found{false};
    std::thread player([&] {
        const ULONGLONG deadline = GetTickCount64() + 10000;
        HWND box = nullptr;
        while (GetTickCount64() < deadline && !box) {
            box = FindWindowW(nullptr, L"Preferences");
            if (box && !IsWindowVisible(box))
                box = nullptr;
            Sleep(10);
        }
        if (!box)
            return;
        found = true;
        SendMessageW(GetDlgItem(box, IDC_PREFS_KEEPONTOP), BM_CLICK, 0, 0);
        SendMessageW(GetDlgItem(box, IDC_PREFS_DONE), BM_CLICK, 0, 0);
    });
    prefs->SSTab1.setCurrentTab(0);
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog(), IDC_PREFS_SOUND), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongPtrW(GetDlgItem(dialog(), IDC_PREFS_PREFIX), GWL_STYLE) & WS_VISIBLE);
    prefs->showModal(&mainWindow);
    player.join();
    ASSERT_TRUE(found) << "the dialog did not appear";
    EXPECT_FALSE(prefs->visible());
    EXPECT_EQ(prefs->chkKeepOnTop.value(), 1);
    EXPECT_TRUE(store.values().keepOnTop);
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog(), IDC_PREFS_KEEPONTOP), BM_GETCHECK, 0, 0),
              BST_CHECKED);
    const auto stored =
        fakes.registry.value(app::kHkeyCurrentUser, "Software\\Orvanta\\Pictorn", "KeepOnTop");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->bytes, "1");
}

// A picture of each tab for a person to look at: set PICTORN_PREFS_SHOTS to a folder.
TEST_F(PrefsDialogWindow, PicturesOfEachTab) {
    const char* folder = std::getenv("PICTORN_PREFS_SHOTS");
    if (!folder)
        GTEST_SKIP() << "PICTORN_PREFS_SHOTS not set";
    prefs->chkAutoSave.setValue(1);
    prefs->chkSHIFTvbHotkey3.setValue(1);
    prefs->txtDefaultFolder.setText("C:\\Users\\Public\\Pictures");
    prefs->show();
    SetForegroundWindow(dialog());
    for (int tab = 0; tab < 3; ++tab) {
        prefs->SSTab1.setCurrentTab(tab);
        pump(400);
        if (std::getenv("PICTORN_PREFS_REDRAW"))
            RedrawWindow(dialog(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        pump(200);
        writeScreenshot(std::string(folder) + "\\prefs_tab" + std::to_string(tab) + ".png");
    }
    prefs->hide();
}

} // namespace
} // namespace pictorn::platform::win32
