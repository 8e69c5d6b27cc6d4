#include "about/frm_about.h"

#include "app/error_report.h"
#include "app/version_text.h"

#include <memory>

namespace pictorn {

namespace {
constexpr std::string_view kAboutLabel = "frmMain - menuAbout_Click";
} // namespace

FrmAbout::FrmAbout(platform::Services& services, ui::Form& mainWindow)
    : ui::Form(services.ui, "frmabout"), services_(services), mainWindow_(mainWindow) {
    setStyle(ui::FormStyle{
        .templateId = IDD_ABOUT, .sizable = false, .showInTaskbar = false, .minMaxBoxes = false});
    setCaption("About");
    // Design texts: what a label keeps when its step of the load fails.
    lblprogtitle.setCaption(std::string(kProgramTitle));
    lblversion.setCaption("Version");
    lblversion.setBold(true);
    lblcopyright.setCaption(std::string(kCopyrightNotice));
    lblcopyright2.setCaption(std::string(kCopyrightLine2));
    lbltext4.setCaption("For updates and other freeware,");
    lbltext4.setForeColor(kDarkGrey);
    lbltext5.setCaption("Visit my homepage at");
    lbltext5.setForeColor(kDarkGrey);
    lblurl.setCaption(std::string(kHomePageUrl));
    lblurl.setForeColor(kLinkColor);
    cmdOk.setCaption("&Ok");

    Load = [this] {
        Form_Load();
    };
    cmdOk.Click = [this] {
        cmdOk_Click();
    };
    lblurl.Click = [this] {
        lblurl_Click();
    };
}

void FrmAbout::Form_Load() {
    app::ignoreErrors([&] { setTopmost(true); });
    app::ignoreErrors([&] { lblprogtitle.setCaption(std::string(kProgramTitle)); });
    app::ignoreErrors([&] { lblversion.setCaption(versionText()); });
    app::ignoreErrors([&] {
        // The year when the box opens, not when the program started.
        lblcopyright.setCaption(std::string(kCopyrightNotice) +
                                std::to_string(services_.clock.now().year));
    });
}

void FrmAbout::cmdOk_Click() {
    unload();
}

void FrmAbout::lblurl_Click() {
    // Each step on its own: the box closes even when there is no browser to open.
    app::ignoreErrors([&] { mainWindow_.setWindowState(ui::WindowState::Minimized); });
    app::ignoreErrors([&] { services_.launcher.openWithShell(kHomePageUrl, kLinkWorkingFolder); });
    unload();
}

void showAboutBox(platform::Services& services, ui::Form& mainWindow, FrmAbout** openBox) {
    app::trap(services.messageBox, kAboutLabel, [&] {
        auto about = std::make_unique<FrmAbout>(services, mainWindow);
        struct OpenMark {
            FrmAbout** slot;
            ~OpenMark() {
                if (slot)
                    *slot = nullptr;
            }
        } mark{openBox};
        if (openBox)
            *openBox = about.get();
        about->showModal(&mainWindow);
        about->unload();
    });
}

} // namespace pictorn
