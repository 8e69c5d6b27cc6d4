// Captures when something goes wrong on the way: the temporary bitmap cannot be written,
// a stored value cannot be used, a save target has gone. No capture may be lost or saved
// under another capture's name, and the main window always comes back.
#include "ftp/frm_ftp.h"
#include "imaging/bmp_reader.h"
#include "mainwindow/frm_main.h"
#include "platform/headless/headless_services.h"
#include "prefs/frm_prefs.h"

#include <gtest/gtest.h>

#include <string>

using namespace pictorn;

namespace {

constexpr std::uint32_t kAccessDenied = 5;

class CaptureFailures : public ::testing::Test {
protected:
    headless::HeadlessServices h;
    app::PreferenceStore prefs{h.services};
    std::unique_ptr<FrmMain> main;
    const std::string dataFolder = "C:\\Users\\me\\AppData\\Roaming\\Orvanta software\\Pictorn\\";

    CaptureFailures() {
        h.shell.specialFolders[26] = "C:\\Users\\me\\AppData\\Roaming";
        h.files.addFolder("C:\\Users\\me\\AppData\\Roaming");
        h.files.addFolder("C:\\Program Files\\Pictorn");
        h.files.addFolder("C:\\Shots");
        h.screen.setMonitors({{0, 0, 320, 200}}, 0x336699);
        main = std::make_unique<FrmMain>(h.services, prefs);
        main->show();
    }
    void autoSaveAsBitmaps() {
        prefs.change([](app::Preferences& p) {
            p.defaultFolder = "C:\\Shots";
            p.extensionIndex = 0;
            p.autoSave = true;
        });
    }
    void paintScreen(std::uint32_t colour) { h.screen.setMonitors({{0, 0, 320, 200}}, colour); }
    // The colour of the first pixel of a bitmap file in the memory file system.
    std::optional<std::uint32_t> bitmapColour(const std::string& path) {
        const auto bytes = h.files.contents(path);
        if (!bytes)
            return std::nullopt;
        const auto picture = imaging::decodeBmp(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
        if (!picture || picture->empty())
            return std::nullopt;
        return picture->pixels[0] & 0xFFFFFF;
    }
    void stamp(int second) {
        h.clock.time = {2026, 12, 7, 14, 30, second};
        main->TimerRandomName.tick();
    }
};

TEST_F(CaptureFailures, UnwritableTemporaryBitmapStillShowsAndAutoSavesTheNewCapture) {
    autoSaveAsBitmaps();
    stamp(1);
    main->menuCaptureFullScreen.click();
    ASSERT_TRUE(h.messageBox.shown.empty());
    EXPECT_EQ(bitmapColour("C:\\Shots\\Pictorn_261207_143001.bmp"), 0x336699u);

    h.files.failWriting(dataFolder + "tmpPictorn.bmp", kAccessDenied);
    paintScreen(0x112233);
    stamp(2);
    main->menuCaptureFullScreen.click();

    ASSERT_EQ(h.messageBox.shown.size(), 1u) << "the failed write is reported exactly once";
    EXPECT_NE(h.messageBox.last().text.find("tmpPictorn.bmp"), std::string::npos);
    EXPECT_NE(h.messageBox.last().text.find("Access is denied."), std::string::npos);
    EXPECT_EQ(bitmapColour("C:\\Shots\\Pictorn_261207_143002.bmp"), 0x112233u)
        << "the new name must hold the new capture";
    ASSERT_TRUE(main->ImageBox1.picture());
    EXPECT_EQ(main->ImageBox1.picture()->pixels[0] & 0xFFFFFF, 0x112233u);
    EXPECT_TRUE(main->visible());
    EXPECT_TRUE(main->menuSaveAs.enabled());
}

TEST_F(CaptureFailures, FirstCaptureIsNotLostWhenTheDataFolderRefusesTheBitmap) {
    autoSaveAsBitmaps();
    stamp(5);
    h.files.failWriting(dataFolder + "tmpPictorn.bmp", kAccessDenied);
    main->menuCaptureFullScreen.click();
    ASSERT_EQ(h.messageBox.shown.size(), 1u);
    EXPECT_EQ(h.messageBox.last().text.find("There is no picture"), std::string::npos);
    EXPECT_EQ(bitmapColour("C:\\Shots\\Pictorn_261207_143005.bmp"), 0x336699u);
}

TEST_F(CaptureFailures, WindowComesBackWhenTheCaptureFailsAfterHidingIt) {
    // The screen cannot be read: the capture fails after the window was hidden, for the
    // grab commands and for the rectangle alike.
    h.screen.foreground = platform::PixelRect{10, 10, 100, 80};
    h.screen.failGrabs = "The screen cannot be read";
    for (ui::MenuItem* command :
         {&main->menuCaptureFullScreen, &main->menuCaptureFullScreenWithCursor,
          &main->menuCaptureActiveWindow, &main->menuCaptureActiveWindowWithCursor,
          &main->menuCaptureRectangularArea}) {
        h.messageBox.shown.clear();
        command->click();
        ASSERT_EQ(h.messageBox.shown.size(), 1u) << command->name();
        EXPECT_NE(h.messageBox.last().text.find("The screen cannot be read"), std::string::npos);
        EXPECT_TRUE(main->visible()) << command->name();
        EXPECT_EQ(main->windowState(), ui::WindowState::Normal) << command->name();
        EXPECT_FALSE(main->rectangleOpen()) << command->name();
    }
    EXPECT_TRUE(h.screen.grabs.empty());
}

TEST_F(CaptureFailures, LeftoverTemporaryFilesGoAtStartAndBeforeTheNextWriteIntoTheirFolder) {
    // What a killed save leaves, next to files that only look alike.
    const std::vector<std::string> leftovers{"~pictorn4242_7.tmp", "~pictorn17_0.tmp"};
    const std::vector<std::string> keep{"~pictorn.tmp",         "~pictorn17_.tmp",
                                        "~pictorn17_0.tmp.bak", "x~pictorn17_0.tmp",
                                        "~pictorn17_0.png",     "tmpPictorn.bmp"};
    main.reset();
    for (const std::string& folder : {dataFolder, std::string("C:\\Shots\\")})
        for (const auto& names : {leftovers, keep})
            for (const std::string& name : names)
                h.files.addFile(folder + name, "old");
    main = std::make_unique<FrmMain>(h.services, prefs);
    main->show();
    for (const std::string& name : leftovers) {
        EXPECT_FALSE(h.files.exists(dataFolder + name)) << name;
        EXPECT_TRUE(h.files.exists("C:\\Shots\\" + name)) << "not written into yet: " << name;
    }
    autoSaveAsBitmaps();
    main->menuCaptureFullScreen.click();
    for (const std::string& name : leftovers)
        EXPECT_FALSE(h.files.exists("C:\\Shots\\" + name)) << name;
    for (const std::string& folder : {dataFolder, std::string("C:\\Shots\\")})
        for (const std::string& name : keep)
            EXPECT_TRUE(h.files.exists(folder + name)) << folder << name;
}

TEST_F(CaptureFailures, SaveToAFileThatWentAsksForAPlaceAndAFullDiskIsCalledSo) {
    h.files.addFolder("C:\\Out");
    main->menuCaptureFullScreen.click();
    h.fileDialogs.saveAnswers.push_back(platform::SaveFileAnswer{"C:\\Out\\shot.png", 5});
    main->menuSaveAs.click();
    ASSERT_TRUE(h.files.exists("C:\\Out\\shot.png"));

    h.files.remove("C:\\Out\\shot.png");
    h.fileDialogs.saveAnswers.push_back(platform::SaveFileAnswer{"C:\\Out\\again.png", 5});
    main->menuSave.click();
    EXPECT_EQ(h.fileDialogs.saveRequests.size(), 2u) << "Save As did not open";
    EXPECT_TRUE(h.files.exists("C:\\Out\\again.png"));
    EXPECT_EQ(main->Filename(), "C:\\Out\\again.png");
    ASSERT_TRUE(h.messageBox.shown.empty());

    h.files.failWriting("C:\\Out\\again.png", 112);
    main->menuSave.click();
    ASSERT_EQ(h.messageBox.shown.size(), 1u);
    EXPECT_EQ(h.messageBox.last().title, "Save");
    EXPECT_NE(h.messageBox.last().text.find("not enough space on the disk"), std::string::npos);

    h.files.failWriting("C:\\Out\\again.png", kAccessDenied);
    main->menuSave.click();
    EXPECT_EQ(h.messageBox.last().text, "Your path/file name is invalid.");
    EXPECT_EQ(h.fileDialogs.saveRequests.size(), 2u);
}

TEST_F(CaptureFailures, EachOutputFailureHasItsOwnMessageAndReportsShowTheControlsNumber) {
    constexpr auto npos = std::string::npos;
    main->menuCaptureFullScreen.click();
    ASSERT_TRUE(h.messageBox.shown.empty());

    h.clipboard.busy = true;
    main->menuCopyImagetoClipboard.click();
    ASSERT_EQ(h.messageBox.shown.size(), 1u);
    EXPECT_EQ(h.messageBox.last().text, "Cannot open the Clipboard.\r\nAnother application is "
                                        "using the Clipboard and is not releasing it to Pictorn.");
    EXPECT_EQ(h.messageBox.last().title, "Oops...");
    EXPECT_EQ(h.messageBox.last().flags, platform::mb::kIconExclamation);

    h.printers.printers = {"Laser"}; // installed, but none is the default
    main->menuPrint.click();
    EXPECT_EQ(h.messageBox.last().text, "There is no default printer currently selected.");
    EXPECT_EQ(h.messageBox.last().title, "Print");
    EXPECT_TRUE(main->visible());

    // Save As into a folder that is not there, and an active-window capture with no window:
    // the error report, with the number such a failure has always been reported with.
    h.fileDialogs.saveAnswers.push_back(platform::SaveFileAnswer{"C:\\Gone\\shot.png", 5});
    main->menuSaveAs.click();
    EXPECT_NE(
        h.messageBox.last().text.find("Error-2147418113 - Cannot write \"C:\\Gone\\shot.png\""),
        npos)
        << h.messageBox.last().text;
    EXPECT_NE(h.messageBox.last().text.find("frmMain - menuSaveAs_Click"), npos);
    h.screen.foreground.reset();
    main->menuCaptureActiveWindow.click();
    EXPECT_NE(
        h.messageBox.last().text.find("Error-2147418113 - There is no active window to capture."),
        npos)
        << h.messageBox.last().text;
    EXPECT_TRUE(main->visible());

    // FTP: a picture the data folder refuses is passed over and the window opens all the
    // same; a full disk ends the command with the report.
    const auto shown = h.messageBox.shown.size();
    int opened = 0;
    h.ui.onModal("frmFTP", [&](ui::Form& form) {
        ++opened;
        static_cast<FrmFTP&>(form).cmdClose.click();
    });
    h.files.failWriting(dataFolder + "Pictorn.png", kAccessDenied);
    main->menuUploadFTP.click();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(h.messageBox.shown.size(), shown);
    h.files.failWriting(dataFolder + "Pictorn.png", 112);
    main->menuUploadFTP.click();
    EXPECT_EQ(opened, 1);
    EXPECT_NE(h.messageBox.last().text.find("Error 61 - "), npos);
    EXPECT_NE(h.messageBox.last().text.find("frmMain - menuUploadFTP_Click"), npos);
}

TEST_F(CaptureFailures, OnlyAWindowThatWasOnTheScreenIsWaitedForBeforeTheGrab) {
    // Visible: the grab waits for the windows beneath to repaint the area ours covered.
    h.screen.setMonitors({{0, 0, 1920, 1080}}, 0x336699);
    const ui::Geometry g = main->geometry();
    h.screen.lingering = {{g.left / 15, g.top / 15, g.width / 15, g.height / 15}, 0xFF00FF, 3};
    auto start = h.clock.monotonicMs();
    main->menuCaptureFullScreen.click();
    EXPECT_GT(h.clock.monotonicMs() - start, 0);
    const auto looks = h.screen.looks.size();

    // From the tray or minimized there is nothing to wait for; the delay still counts whole.
    prefs.change([](app::Preferences& p) { p.systemTray = true; });
    for (const int seconds : {0, 2}) {
        prefs.change([&](app::Preferences& p) { p.delaySeconds = seconds; });
        main->setWindowState(ui::WindowState::Minimized);
        ASSERT_FALSE(main->visible());
        start = h.clock.monotonicMs();
        h.hotkeys.press(FrmMain::kHotkeyFull);
        EXPECT_EQ(h.clock.monotonicMs() - start, seconds * 1000);
        EXPECT_TRUE(main->visible());
    }
    EXPECT_EQ(h.screen.grabs.size(), 3u);
    EXPECT_EQ(h.screen.looks.size(), looks) << "the screen was watched for a hidden window";
}

} // namespace
