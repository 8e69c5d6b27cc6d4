// The files of a capture are written off the user-interface thread: the picture is shown
// first, the files hold the same pixels, whatever reads or replaces them waits for a write
// in progress, Save and Save As write behind them, and a write that fails is told once.
#include "imaging/bmp_reader.h"
#include "mainwindow/frm_main.h"
#include "platform/headless/headless_services.h"
#include "prefs/frm_prefs.h"

#include <gtest/gtest.h>

#include <string>

using namespace pictorn;

namespace {

constexpr std::uint32_t kAccessDenied = 5;

class BackgroundWrites : public ::testing::Test {
protected:
    headless::HeadlessServices h;
    app::PreferenceStore prefs{h.services};
    std::unique_ptr<FrmMain> main;
    const std::string tempBitmap =
        "C:\\Users\\me\\AppData\\Roaming\\Orvanta software\\Pictorn\\tmpPictorn.bmp";

    BackgroundWrites() {
        h.shell.specialFolders[26] = "C:\\Users\\me\\AppData\\Roaming";
        h.files.addFolder("C:\\Users\\me\\AppData\\Roaming");
        h.files.addFolder("C:\\Program Files\\Pictorn");
        h.files.addFolder("C:\\Shots");
        h.screen.setMonitors({{0, 0, 64, 48}}, 0x336699);
        h.screen.pixel(5, 7) = 0xABCDEF;
        main = std::make_unique<FrmMain>(h.services, prefs);
        main->show();
        prefs.change([](app::Preferences& p) {
            p.defaultFolder = "C:\\Shots";
            p.extensionIndex = 0; // .bmp, so the file can be read back here
            p.autoSave = true;
        });
        h.clock.time = {2026, 12, 7, 14, 30, 1};
        main->TimerRandomName.tick();
        h.background.hold = true;
    }
    std::optional<imaging::Picture> bitmap(const std::string& path) {
        const auto bytes = h.files.contents(path);
        if (!bytes)
            return std::nullopt;
        return imaging::decodeBmp(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    }
    static bool samePixels(const imaging::Picture& a, const imaging::Picture& b) {
        if (a.width != b.width || a.height != b.height)
            return false;
        for (std::size_t i = 0; i < a.pixels.size(); ++i)
            if ((a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF))
                return false;
        return true;
    }
};

TEST_F(BackgroundWrites, PictureIsShownBeforeItsFilesAndTheyHoldTheSamePixels) {
    main->menuCaptureFullScreen.click();
    // The window is back with the picture while both files are still to be written.
    ASSERT_TRUE(main->ImageBox1.picture());
    EXPECT_EQ(main->ImageBox1.picture()->at(5, 7) & 0xFFFFFF, 0xABCDEFu);
    EXPECT_TRUE(main->visible());
    EXPECT_TRUE(main->menuSaveAs.enabled());
    EXPECT_EQ(h.background.queued(), 2u);
    EXPECT_FALSE(h.files.exists(tempBitmap));
    EXPECT_EQ(main->Filename(), "C:\\Shots\\Pictorn_261207_143001.bmp");
    EXPECT_FALSE(h.files.exists(main->Filename()));

    h.background.finishAll();
    const auto temp = bitmap(tempBitmap);
    const auto saved = bitmap(main->Filename());
    ASSERT_TRUE(temp && saved);
    EXPECT_TRUE(samePixels(*temp, *main->ImageBox1.picture()));
    EXPECT_TRUE(samePixels(*saved, *main->ImageBox1.picture()));
    EXPECT_TRUE(h.messageBox.shown.empty());
}

TEST_F(BackgroundWrites, SaveAndSaveAsWriteBehindTheWritesBeforeThemWithoutHoldingTheWindow) {
    main->menuCaptureFullScreen.click();
    h.fileDialogs.saveAnswers.push_back(platform::SaveFileAnswer{"C:\\Shots\\mine.bmp", 1});
    main->menuSaveAs.click();
    EXPECT_EQ(h.background.waitsForWork, 0) << "Save As held the window for the writes before it";
    EXPECT_EQ(h.background.queued(), 3u);
    EXPECT_TRUE(main->busy());
    EXPECT_FALSE(main->menuSave.enabled()) << "Save offered before the file is whole";
    h.background.finishAll();
    EXPECT_FALSE(main->busy());
    ASSERT_TRUE(main->menuSave.enabled());
    EXPECT_TRUE(bitmap("C:\\Shots\\mine.bmp"));

    // Save writes to the auto-saved file, which is still being written: not gone.
    main->menuCaptureFullScreen.click();
    EXPECT_EQ(main->Filename(), "C:\\Shots\\Pictorn_261207_143001_2.bmp");
    main->menuSave.click();
    h.background.finishAll();
    EXPECT_EQ(h.fileDialogs.saveRequests.size(), 1u) << "Save took a file in progress for gone";
    EXPECT_EQ(h.background.waitsForWork, 0);
    // A file deleted since is saved somewhere else.
    h.files.remove(main->Filename());
    h.fileDialogs.saveAnswers.push_back(platform::SaveFileAnswer{"C:\\Shots\\again.bmp", 1});
    main->menuSave.click();
    h.background.finishAll();
    EXPECT_EQ(h.fileDialogs.saveRequests.size(), 2u);
    EXPECT_TRUE(bitmap("C:\\Shots\\again.bmp"));

    // The next capture within the same second (the name of the deleted file is free again):
    // the file before exists by then, so this one gets a name of its own rather than writing
    // over it.
    h.screen.pixel(5, 7) = 0x010203;
    main->menuCaptureFullScreen.click();
    EXPECT_EQ(main->Filename(), "C:\\Shots\\Pictorn_261207_143001_2.bmp");
    main->menuCaptureFullScreen.click();
    EXPECT_EQ(main->Filename(), "C:\\Shots\\Pictorn_261207_143001_3.bmp");
    EXPECT_EQ(h.background.waitsForWork, 1);

    // The hand-off to Paint writes the temporary bitmap itself, after the capture's own.
    ASSERT_TRUE(main->menuSendImagetoPaint.enabled());
    main->menuSendImagetoPaint.click();
    EXPECT_EQ(h.background.queued(), 0u);
    EXPECT_EQ(bitmap(tempBitmap)->at(5, 7) & 0xFFFFFF, 0x010203u);
    EXPECT_EQ(h.launcher.started.size(), 1u);

    // Closing ends the program only once the last files are whole.
    main->menuCaptureFullScreen.click();
    ASSERT_EQ(h.background.queued(), 2u);
    const std::string last = main->Filename();
    main->unload();
    EXPECT_EQ(h.background.queued(), 0u);
    EXPECT_TRUE(bitmap(last));
    EXPECT_TRUE(h.messageBox.shown.empty());
}

TEST_F(BackgroundWrites, FailedWriteIsToldOnceWhenItEnds) {
    h.files.failWriting(tempBitmap, kAccessDenied);
    h.files.failWriting("C:\\Shots\\Pictorn_261207_143001.bmp", 112);
    main->menuCaptureFullScreen.click();
    EXPECT_TRUE(h.messageBox.shown.empty()) << "told before the write ended";

    // Told in the order the files are written: the auto-saved one, which the user waits
    // for, goes first.
    h.background.finishAll();
    ASSERT_EQ(h.messageBox.shown.size(), 2u);
    EXPECT_NE(h.messageBox.shown[0].text.find("frmMain - AutoSave"), std::string::npos);
    EXPECT_NE(h.messageBox.shown[0].text.find("Pictorn_261207_143001.bmp"), std::string::npos);
    EXPECT_NE(h.messageBox.shown[1].text.find("saveTempandShowPicture"), std::string::npos);
    EXPECT_NE(h.messageBox.shown[1].text.find("Access is denied."), std::string::npos);

    // Later waits find nothing more to tell.
    main->ImageBox1.waitForWrites();
    main->unload();
    EXPECT_EQ(h.messageBox.shown.size(), 2u);
}

} // namespace
