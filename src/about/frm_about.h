#pragma once
// The about box: program title, version, copyright with the current year, and a link to
// the maker's home page. A small fixed tool window, modal over the main window and kept
// on top while it is shown.
#include "platform/services.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "resource_ids.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pictorn {

inline constexpr std::string_view kProgramTitle = "Pictorn";
inline constexpr std::string_view kHomePageUrl = "https://www.orvanta.com/pictorn/";
inline constexpr std::string_view kCopyrightNotice = "Copyright \xC2\xA9 Orvanta software ";
inline constexpr std::string_view kCopyrightLine2 = "Pictorn is freeware. All rights reserved.";
// Where the shell runs the browser from; a folder that always exists.
inline constexpr std::string_view kLinkWorkingFolder = "c:\\";
// The link's colour, blue in Windows' blue-green-red order.
inline constexpr std::uint32_t kLinkColor = 0xC00000;
inline constexpr std::uint32_t kDarkGrey = 0x404040;

class FrmAbout : public ui::Form {
public:
    // The main window is the owner; the link minimizes it.
    FrmAbout(platform::Services& services, ui::Form& mainWindow);

    ui::Label lblprogtitle{this, "lblprogtitle", IDC_ABOUT_PROGTITLE};
    ui::Label lblversion{this, "lblversion", IDC_ABOUT_VERSION};
    ui::Label lblcopyright{this, "lblcopyright", IDC_ABOUT_COPYRIGHT};
    ui::Label lblcopyright2{this, "lblcopyright2", IDC_ABOUT_COPYRIGHT2};
    ui::Label lbltext4{this, "lbltext4", IDC_ABOUT_TEXT4};
    ui::Label lbltext5{this, "lbltext5", IDC_ABOUT_TEXT5};
    ui::Label lblurl{this, "lblurl", IDC_ABOUT_URL};
    ui::Button cmdOk{this, "cmdOk", IDC_ABOUT_OK};

private:
    void Form_Load();
    void cmdOk_Click();
    void lblurl_Click();

    platform::Services& services_;
    ui::Form& mainWindow_;
};

// The main window's "&About": shows the about box modally, owned by the main window, and
// unloads it afterwards. While it is up, `openBox` (when given) points at it, so the
// hotkeys can tell that the about box is open. Failures: error report box
// "frmMain - menuAbout_Click".
void showAboutBox(platform::Services& services, ui::Form& mainWindow, FrmAbout** openBox = nullptr);

} // namespace pictorn
