// The FTP window made from its template: every control finds its window, the list box
// answers which entry lies under the pointer and reports the pointer's moves, and the
// remote-name box has the button-face colour.
#include "app/registry.h"
#include "app/settings.h"
#include "ftp/frm_ftp.h"
#include "platform/headless/headless_services.h"
#include "platform/win32/form_window.h"
#include "platform/win32/text.h"
#include "platform/win32/ui_toolkit_win32.h"
#include "resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace pictorn::platform::win32 {
namespace {

constexpr const char* kPicture = "C:\\pictures\\Pictorn.png";

class FtpDialogWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<FrmFTP>(fakes.services, store, mailOrFtpOpen, kPicture);
        window->load();
    }
    void TearDown() override {
        window->unload();
        window.reset();
    }
    HWND dialog() const { return static_cast<FormWindow*>(window->peer())->hwnd(); }
    HWND child(int id) const { return GetDlgItem(dialog(), id); }

    Win32Toolkit toolkit;
    headless::HeadlessServices fakes{toolkit}; // everything but the windows in memory
    app::Registry settingsRegistry{fakes.registry, fakes.messageBox};
    app::SettingsStore store{settingsRegistry, fakes.protection};
    bool mailOrFtpOpen = false;
    std::unique_ptr<FrmFTP> window;
};

TEST_F(FtpDialogWindow, EveryControlFindsItsWindowWithItsLook) {
    for (const ui::Control* control : window->controls())
        EXPECT_NE(control->peer(), nullptr) << control->name() << " (id " << control->id() << ")";
    wchar_t caption[64] = {};
    GetWindowTextW(dialog(), caption, 64);
    EXPECT_EQ(toUtf8(caption), "FTP Upload");
    EXPECT_TRUE(GetWindowLongPtrW(child(IDC_FTP_PASSWORD), GWL_STYLE) & ES_PASSWORD);
    EXPECT_FALSE(IsWindowVisible(child(IDC_FTP_FOCUSSINK)) &&
                 IsWindowVisible(child(IDC_FTP_FILENUMBER)));
    EXPECT_EQ(SendMessageW(child(IDC_FTP_LOCALFILES), LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(child(IDC_FTP_LOCALFILES), LB_GETCURSEL, 0, 0), 0);
    // The remote name sits on the button face; the log is blue Courier New.
    HDC dc = GetDC(dialog());
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(dialog(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(child(IDC_FTP_REMOTEFILENAME))));
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(brush, nullptr);
    SendMessageW(dialog(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(child(IDC_FTP_LOG)));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    ReleaseDC(dialog(), dc);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(child(IDC_FTP_LOG), WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Courier New");
}

TEST_F(FtpDialogWindow, ListAnswersTheEntryUnderThePointerAndReportsMoves) {
    window->lstLocalFiles.addItem("D:\\notes.txt");
    HWND list = child(IDC_FTP_LOCALFILES);
    RECT first{};
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(window->lstLocalFiles.itemFromPoint(4, (first.top + first.bottom) / 2), 1);
    RECT client{};
    GetClientRect(list, &client);
    // Below the last entry: a flag in the upper half.
    EXPECT_GE(window->lstLocalFiles.itemFromPoint(4, client.bottom - 2), 0x10000);

    SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(4, (first.top + first.bottom) / 2));
    EXPECT_EQ(window->lstLocalFiles.toolTip(), " D:\\notes.txt ");
    SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(4, client.bottom - 2));
    EXPECT_EQ(window->lstLocalFiles.toolTip(), "");
}

} // namespace
} // namespace pictorn::platform::win32
