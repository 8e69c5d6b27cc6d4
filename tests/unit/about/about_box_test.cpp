#include "about/frm_about.h"
#include "platform/headless/headless_services.h"

#include <gtest/gtest.h>

namespace pictorn {
namespace {

using headless::HeadlessServices;

class AboutBox : public ::testing::Test {
protected:
    HeadlessServices platform;
    ui::Form mainWindow{platform.ui, "frmMain"};
};

TEST_F(AboutBox, OpensModalOverTheMainWindowWithTitleVersionAndYear) {
    platform.clock.time.year = 2031;
    FrmAbout* openDuring = nullptr;
    FrmAbout* slot = nullptr;
    platform.ui.onModal("frmabout", [&](ui::Form& form) {
        auto& about = static_cast<FrmAbout&>(form);
        openDuring = slot;
        EXPECT_EQ(about.caption(), "About");
        EXPECT_TRUE(about.topmost());
        EXPECT_EQ(about.lblprogtitle.caption(), "Pictorn");
        EXPECT_EQ(about.lblversion.caption(), "Version 1.0.6");
        EXPECT_TRUE(about.lblversion.bold());
        EXPECT_EQ(about.lblcopyright.caption(), std::string(kCopyrightNotice) + "2031");
        EXPECT_EQ(about.lblurl.caption(), kHomePageUrl);
        EXPECT_EQ(about.lblurl.foreColor(), 0xC00000u);
        EXPECT_EQ(about.style().templateId, IDD_ABOUT);
        EXPECT_FALSE(about.style().sizable);
        about.cmdOk.click();
        EXPECT_FALSE(about.loaded());
    });
    showAboutBox(platform.services, mainWindow, &slot);
    EXPECT_NE(openDuring, nullptr);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(platform.ui.modalLog, std::vector<std::string>{"frmabout"});
    EXPECT_TRUE(platform.messageBox.shown.empty());
}

TEST_F(AboutBox, YearIsReadWhenTheBoxOpens) {
    std::vector<std::string> seen;
    platform.ui.onModal("frmabout", [&](ui::Form& form) {
        seen.push_back(static_cast<FrmAbout&>(form).lblcopyright.caption());
        form.hide();
    });
    platform.clock.time = {2029, 12, 31, 23, 59, 59};
    showAboutBox(platform.services, mainWindow);
    platform.clock.advance(2000);
    showAboutBox(platform.services, mainWindow);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].find("2029"), std::string::npos);
    EXPECT_NE(seen[1].find("2030"), std::string::npos);
}

TEST_F(AboutBox, LinkMinimizesMainOpensHomePageAndClosesEvenWithoutBrowser) {
    mainWindow.show();
    for (bool browserFails : {false, true}) {
        mainWindow.setWindowState(ui::WindowState::Normal);
        platform.launcher.opened.clear();
        if (browserFails)
            platform.launcher.openFailure = AppError(5, "No application is associated");
        bool closed = false;
        platform.ui.onModal("frmabout", [&](ui::Form& form) {
            static_cast<FrmAbout&>(form).lblurl.click();
            closed = !form.loaded();
        });
        showAboutBox(platform.services, mainWindow);
        EXPECT_TRUE(closed);
        EXPECT_EQ(mainWindow.windowState(), ui::WindowState::Minimized);
        ASSERT_EQ(platform.launcher.opened.size(), 1u);
        EXPECT_EQ(platform.launcher.opened[0].target, kHomePageUrl);
        EXPECT_EQ(platform.launcher.opened[0].workingFolder, "c:\\");
        EXPECT_TRUE(platform.messageBox.shown.empty()) << "a missing browser is not reported";
    }
}

} // namespace
} // namespace pictorn
