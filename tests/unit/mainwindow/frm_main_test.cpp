// The main window driven through the headless platform: start-up from the store, closing,
// the tray, the hotkeys and the capture commands, as a user meets them.
#include "ftp/frm_ftp.h"
#include "imaging/bmp_reader.h"
#include "imaging/encoder.h"
#include "mainwindow/frm_main.h"
#include "platform/headless/headless_services.h"
#include "platform/launch_errors.h"
#include "prefs/frm_prefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace pictorn;

namespace {

constexpr platform::RegHandle kHkcu = 0x80000001;
constexpr std::string_view kKey = "Software\\Orvanta\\Pictorn";
constexpr std::uint32_t kRegSz = 1, kRegDword = 4;

class MainWindow : public ::testing::Test {
protected:
    headless::HeadlessServices h;
    app::PreferenceStore prefs{h.services};
    std::unique_ptr<FrmMain> main;

    MainWindow() {
        h.shell.specialFolders[26] = "C:\\Users\\me\\AppData\\Roaming";
        h.files.addFolder("C:\\Users\\me\\AppData\\Roaming");
        h.files.addFolder("C:\\Program Files\\Pictorn");
    }
    void store(std::string_view name, std::string_view text, std::uint32_t type = kRegSz) {
        h.registry.plant(kHkcu, kKey, name, type, text);
    }
    std::optional<std::string> stored(std::string_view name) {
        auto v = h.registry.value(kHkcu, kKey, name);
        return v ? std::optional<std::string>(v->bytes) : std::nullopt;
    }
    void start() {
        main = std::make_unique<FrmMain>(h.services, prefs);
        main->show();
    }
    // Opens the preferences from the menu; `user` acts while they are open.
    void inPreferences(const std::function<void(FrmPrefs&)>& user) {
        h.ui.onModal("frmPrefs", [&](ui::Form& f) { user(static_cast<FrmPrefs&>(f)); });
        main->menuPreferences.click();
    }
    std::vector<std::string> writes() {
        std::vector<std::string> names;
        for (const std::string& call : h.registry.calls())
            if (call.rfind("setText ", 0) == 0)
                names.push_back(call.substr(8, call.find(' ', 8) - 8));
        return names;
    }
};

TEST_F(MainWindow, FirstStartShowsTheDefaultsCentredWithoutAnyMessage) {
    start();
    EXPECT_EQ(main->caption(), "Pictorn");
    EXPECT_TRUE(main->visible());
    EXPECT_TRUE(h.registry.keyExists(kHkcu, kKey));
    EXPECT_EQ(main->txtInfo.text(), "CTRL+SHIFT+F  = Full Screen   -   CTRL+W  = Active Window   -"
                                    "   CTRL+R  = Rectangle (mouse selection)");
    const ui::Geometry g = main->geometry();
    EXPECT_EQ(g.width, 8475);
    EXPECT_EQ(g.height, 5600);
    // Centred with the size the window had before the load fixed it.
    EXPECT_EQ(g.left, (1920 * 15 - (8055 + 120)) / 2);
    EXPECT_EQ(g.top, (1080 * 15 - (4290 + 810)) / 2);

    EXPECT_EQ(main->preferences(), app::defaultPreferences());
    EXPECT_FALSE(main->preferencesDialog()); // made when the user opens it
    for (ui::MenuItem* item :
         {&main->menuSave, &main->menuSaveAs, &main->menuPrint, &main->menuCopyImagetoClipboard,
          &main->menuSendImagetoEditor, &main->menuSendImagetoPaint, &main->menuSendMail,
          &main->menuUploadFTP})
        EXPECT_FALSE(item->enabled()) << item->name();
    EXPECT_FALSE(main->menuAutoExit.checked());
    ASSERT_EQ(h.hotkeys.registered.size(), 3u);
    const auto& full = h.hotkeys.registered.at(FrmMain::kHotkeyFull);
    EXPECT_TRUE(full.ctrl && full.shift && !full.alt);
    EXPECT_EQ(full.key, 'F');
    EXPECT_TRUE(h.messageBox.shown.empty());
}

TEST_F(MainWindow, StoredPositionIsUsedUnlessItIsOffTheScreen) {
    store("Startup", "True");
    store("Top", "300");
    store("Left", "450");
    store("AutoExit", "True");
    start();
    EXPECT_EQ(main->geometry().top, 300);
    EXPECT_EQ(main->geometry().left, 450);
    EXPECT_TRUE(main->menuAutoExit.checked());

    main.reset();
    store("Left", "-2000");
    store("Top", "abc");
    start();
    EXPECT_EQ(main->geometry().left, (1920 * 15 - (8055 + 120)) / 2);
}

TEST_F(MainWindow, DamagedValuesFallBackSilently) {
    store("PlaySound", "x");
    store("KeepOnTop", "1", kRegDword);
    store("Editor", std::string(100000, 'e'));
    store("DelayActiveWindow", "Error");
    store("Extension", "");
    store("SelectedColor", "blue-ish");
    store("JPEGquality", "500");
    store("Tab", "7");
    store("HotKeyALT2", "1");
    start();
    const std::string summary = main->txtInfo.text();
    inPreferences([&](FrmPrefs& p) {
        EXPECT_EQ(p.chkSound.value(), 0);
        EXPECT_EQ(p.txtEditorPath.text().size(), 100000u);
        EXPECT_EQ(p.txtSeconds.text(), "0");
        EXPECT_EQ(p.cboExtension.selectedText(), ".png");
        EXPECT_EQ(p.values().rectangleColour, app::kRed);
        EXPECT_EQ(p.HScroll1.value(), 90);
        EXPECT_EQ(p.SSTab1.currentTab(), 0);
        // Hotkey boxes ticked now act at the next start: the summary and the capture menu
        // keep the combinations registered at this one.
        p.chkALTvbHotkey2.click();
        p.chkALTvbHotkey1.click();
    });
    EXPECT_FALSE(main->topmost());
    EXPECT_NE(summary.find("CTRL+ALT+W  = Active Window"), std::string::npos);
    main->menuCapture.click();
    EXPECT_EQ(main->menuCaptureActiveWindow.caption(), "Capture Active Window\tCTRL+ALT+W");
    EXPECT_EQ(main->menuCaptureFullScreen.caption(), "Capture Full Screen\tCTRL+SHIFT+F");
    EXPECT_EQ(main->txtInfo.text(), summary);
    EXPECT_EQ(main->preferences().hotkeys[app::kActiveWindowHotkey].prefix(), "CTRL+");
}

TEST_F(MainWindow, HotkeyModifierThatIsNoNumberKeepsItsDefaultEverywhere) {
    store("HotKeyCTRL1", "abc");
    store("HotKeyALT2", "yes");
    store("HotKeySHIFT3", "1");
    start();
    const auto& full = h.hotkeys.registered.at(FrmMain::kHotkeyFull);
    EXPECT_TRUE(full.ctrl && full.shift && !full.alt);
    const auto& window = h.hotkeys.registered.at(FrmMain::kHotkeyWindow);
    EXPECT_TRUE(window.ctrl && !window.shift && !window.alt);
    // The summary, the boxes and what Done would store all describe the hotkeys in force.
    EXPECT_EQ(main->txtInfo.text(), "CTRL+SHIFT+F  = Full Screen   -   CTRL+W  = Active Window   -"
                                    "   CTRL+SHIFT+R  = Rectangle (mouse selection)");
    inPreferences([](FrmPrefs& p) {
        EXPECT_EQ(p.chkCTRLvbHotkey1.value(), 1);
        EXPECT_EQ(p.chkALTvbHotkey2.value(), 0);
        EXPECT_FALSE(p.hotkeysChanged());
        p.cmdDone.click();
    });
    EXPECT_TRUE(main->preferences().hotkeys[0].ctrl);
    EXPECT_TRUE(h.messageBox.shown.empty());
}

TEST_F(MainWindow, ClosingStoresPositionAndMarksInOrderAndRemovesTheTrayIcon) {
    store("SystemTray", "1");
    start();
    EXPECT_TRUE(h.tray.iconShown);
    main->menuIncludeMousepointer.click();
    h.registry.clearCalls();
    main->menuExit.click();
    EXPECT_EQ(writes(), (std::vector<std::string>{"Top", "Left", "AutoExit", "IncludeMousepointer",
                                                  "Startup"}));
    EXPECT_EQ(stored("IncludeMousepointer"), "True");
    EXPECT_EQ(stored("Startup"), "True");
    EXPECT_FALSE(h.tray.iconShown);
    EXPECT_TRUE(h.ui.quitRequested);
    EXPECT_TRUE(h.hotkeys.registered.empty());
}

TEST_F(MainWindow, ClosingWhileMinimizedKeepsTheStoredPosition) {
    start();
    main->setWindowState(ui::WindowState::Minimized);
    h.registry.clearCalls();
    main->unload();
    EXPECT_EQ(writes(), (std::vector<std::string>{"AutoExit", "IncludeMousepointer", "Startup"}));
}

TEST_F(MainWindow, StartingMinimizedWithTheTrayOptionLivesInTheTray) {
    store("StartMinimized", "1");
    store("SystemTray", "1");
    start();
    EXPECT_FALSE(main->visible());
    EXPECT_TRUE(h.tray.iconShown);
    EXPECT_TRUE(h.tray.taskbarButtonHidden);
    EXPECT_TRUE(main->menuTrayOpen.enabled());
    EXPECT_EQ(h.tray.tip, "Pictorn 1.06");

    h.tray.mouse(platform::kTrayMouseMove);
    EXPECT_FALSE(main->visible());
    h.tray.mouse(platform::kTrayLeftButtonUp);
    EXPECT_TRUE(main->visible());
    EXPECT_EQ(main->windowState(), ui::WindowState::Normal);
    EXPECT_FALSE(main->menuTrayOpen.enabled());
}

TEST_F(MainWindow, TrayMenuIsWithheldWhilePrintingAndOffersOpenOnlyWhenHidden) {
    store("SystemTray", "1");
    start();
    h.tray.mouse(platform::kTrayRightButtonUp);
    EXPECT_EQ(h.tray.popups, 1);
    EXPECT_FALSE(main->menuTrayOpen.enabled());
    main->menuCaptureFullScreen.click();
    const int popups = h.tray.popups;
    h.printers.installOne();
    h.printers.whilePrinting = [&] {
        ASSERT_TRUE(main->printingInProgress());
        h.tray.mouse(platform::kTrayRightButtonUp);
        h.tray.mouse(platform::kTrayLeftButtonUp);
        EXPECT_FALSE(main->visible());
    };
    main->menuPrint.click();
    ASSERT_EQ(h.printers.printed.size(), 1u);
    EXPECT_EQ(h.tray.popups, popups);
    EXPECT_FALSE(main->printingInProgress());
}

class Capture : public MainWindow {
protected:
    void SetUp() override {
        h.screen.setMonitors({{0, 0, 1920, 1080}}, 0x336699);
        h.files.addFile("C:\\Program Files\\Pictorn\\pictorn.wav", "RIFF");
        start();
    }
    std::string dataFolder() {
        return "C:\\Users\\me\\AppData\\Roaming\\Orvanta software\\Pictorn\\";
    }
};

TEST_F(Capture, FullScreenKeepsTheTemporaryBitmapAndEnablesTheOutputCommands) {
    main->menuCaptureFullScreen.click();
    const auto bytes = h.files.contents(dataFolder() + "tmpPictorn.bmp");
    ASSERT_TRUE(bytes);
    const auto picture = imaging::decodeBmp(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 1920);
    EXPECT_EQ(picture->height, 1080);
    EXPECT_EQ(picture->pixels[0] & 0xFFFFFF, 0x336699u);
    ASSERT_TRUE(main->ImageBox1.picture());
    EXPECT_EQ(main->ImageBox1.picture()->width, 1920);
    EXPECT_TRUE(main->visible());
    EXPECT_TRUE(main->menuSaveAs.enabled());
    EXPECT_TRUE(main->menuUploadFTP.enabled());
    EXPECT_FALSE(main->menuSave.enabled());
    ASSERT_EQ(h.sound.played.size(), 1u);
    EXPECT_EQ(h.sound.played[0], "C:\\Program Files\\Pictorn\\pictorn.wav");
}

TEST_F(Capture, DelayIsCountedAfterTheWindowIsGone) {
    prefs.change([](app::Preferences& p) { p.delaySeconds = 5; });
    const auto before = h.clock.monotonicMs();
    main->menuCaptureFullScreen.click();
    EXPECT_GE(h.clock.monotonicMs() - before, 5000);
    EXPECT_LT(h.clock.monotonicMs() - before, 6000);
}

TEST_F(Capture, ActiveWindowHasTheWindowsSize) {
    h.screen.foreground = platform::PixelRect{100, 50, 640, 480};
    main->menuCaptureActiveWindow.click();
    ASSERT_TRUE(main->ImageBox1.picture());
    EXPECT_EQ(main->ImageBox1.picture()->width, 640);
    EXPECT_EQ(main->ImageBox1.picture()->height, 480);
}

TEST_F(Capture, AutoSaveNamesFilesByTimeAndNeverReplacesAnEarlierOne) {
    h.files.addFolder("C:\\Shots");
    // The window follows the boxes before Done.
    inPreferences([&](FrmPrefs& p) {
        p.chkKeepOnTop.click();
        EXPECT_TRUE(main->topmost());
        p.chkKeepOnTop.click();
        EXPECT_FALSE(main->topmost());
        p.chkAutoSave.click();
        EXPECT_EQ(main->caption(), "Pictorn - AutoSave activated");
        EXPECT_TRUE(main->TimerRandomName.enabled());
        p.chkAutoSave.click();
        EXPECT_EQ(main->caption(), "Pictorn");
        EXPECT_FALSE(main->TimerRandomName.enabled());
        p.chkAutoSave.click();
        p.txtDefaultFolder.setText("C:\\Shots");
        p.cboExtension.pick(2);
    });
    h.clock.time = {2006, 12, 6, 11, 35, 44};
    main->TimerRandomName.tick();
    main->menuCaptureFullScreen.click();
    main->menuCaptureFullScreen.click();
    EXPECT_TRUE(h.files.exists("C:\\Shots\\Pictorn_061206_113544.jpg"));
    EXPECT_TRUE(h.files.exists("C:\\Shots\\Pictorn_061206_113544_2.jpg"));
    EXPECT_EQ(main->Filename(), "C:\\Shots\\Pictorn_061206_113544_2.jpg");
}

TEST_F(Capture, AutoSaveToAMissingFolderSendsTheUserToThePreferences) {
    prefs.change([](app::Preferences& p) {
        p.defaultFolder = "C:\\Gone";
        p.autoSave = true;
    });
    h.ui.onModal("frmPrefs", [](ui::Form& f) { f.hide(); });
    // The auto-save starts before the window comes back, but this message waits for it.
    bool windowBack = false;
    h.messageBox.whileOpen = [&](const headless::ShownBox&) {
        windowBack = main->visible();
    };
    main->menuCaptureFullScreen.click();
    ASSERT_FALSE(h.messageBox.shown.empty());
    EXPECT_EQ(h.messageBox.last().title, "Folder for screenshots unavailable");
    EXPECT_TRUE(windowBack);
    EXPECT_EQ(h.ui.modalLog, std::vector<std::string>{"frmPrefs"});
    EXPECT_TRUE(main->ImageBox1.picture());
}

TEST_F(Capture, SaveAsRemembersTheTypeAndEnablesSave) {
    h.files.addFolder("C:\\Out");
    main->menuCaptureFullScreen.click();
    h.fileDialogs.saveAnswers.push_back(platform::SaveFileAnswer{"C:\\Out\\shot.jpg", 3});
    main->menuSaveAs.click();
    ASSERT_EQ(h.fileDialogs.saveRequests.size(), 1u);
    EXPECT_EQ(h.fileDialogs.saveRequests[0].request.filterIndex, 5);
    EXPECT_EQ(h.fileDialogs.saveRequests[0].request.fileName, "Pictorn");
    EXPECT_TRUE(h.files.exists("C:\\Out\\shot.jpg"));
    EXPECT_EQ(stored("Extension4SaveAs"), "3");
    EXPECT_TRUE(main->menuSave.enabled());

    h.fileDialogs.saveAnswers.push_back(platform::SaveFileAnswer{"C:\\Out\\shot.JPG", 3});
    main->menuSaveAs.click();
    EXPECT_EQ(stored("Extension4SaveAs"), ".JPG");
    h.fileDialogs.saveAnswers.push_back(std::nullopt); // cancelled: no message
    main->menuSaveAs.click();
    EXPECT_TRUE(h.messageBox.shown.empty());
}

TEST_F(Capture, HotkeysAreIgnoredWhilePrintingOrWithTheAboutBoxOrPreferencesUp) {
    main->menuCaptureFullScreen.click();
    h.printers.installOne();
    h.printers.whilePrinting = [&] {
        ASSERT_TRUE(main->printingInProgress());
        h.hotkeys.press(FrmMain::kHotkeyFull);
    };
    main->menuPrint.click();
    ASSERT_EQ(h.printers.printed.size(), 1u);
    EXPECT_EQ(h.screen.grabs.size(), 1u);
    EXPECT_FALSE(main->printingInProgress());
    h.hotkeys.press(FrmMain::kHotkeyFull);
    EXPECT_EQ(h.screen.grabs.size(), 2u);
}

TEST_F(Capture, EditorAndPaintHandOffsTellAProgramThatCannotStartApartFromOtherFailures) {
    h.files.addFile("C:\\Tools\\My Editor\\edit.exe", "MZ");
    prefs.change([](app::Preferences& p) { p.editorPath = "C:\\Tools\\My Editor\\edit.exe"; });
    main->menuCaptureFullScreen.click();
    main->menuSendImagetoEditor.click();
    ASSERT_EQ(h.launcher.started.size(), 1u);
    EXPECT_EQ(h.launcher.started[0].rfind("\"C:\\Tools\\My Editor\\edit.exe\" ", 0), 0u);
    EXPECT_TRUE(h.messageBox.shown.empty());

    h.launcher.failStartsAsMissing();
    main->menuSendImagetoEditor.click();
    EXPECT_EQ(h.messageBox.last().title, "Image Editor not found");
    h.launcher.startFailure = platform::launchError(platform::syserr::kBadExeFormat, "mspaint");
    main->menuSendImagetoPaint.click();
    EXPECT_EQ(h.messageBox.last().title, "Paint not found");
    // Access denied is no missing program: the user gets the report with its number.
    h.launcher.startFailure = platform::launchError(platform::syserr::kAccessDenied, "mspaint");
    main->menuSendImagetoPaint.click();
    EXPECT_EQ(h.messageBox.last().title, "Error");
    EXPECT_NE(h.messageBox.last().text.find("Error 70 - Permission denied"), std::string::npos);
}

// While a capture waits out its delay, the tray menu and the hotkeys still get events; each
// must be ignored rather than start a capture inside the capture.
TEST_F(Capture, RequestsDuringACaptureAreIgnored) {
    h.files.addFolder("C:\\Shots");
    prefs.change([](app::Preferences& p) {
        p.delaySeconds = 2;
        p.defaultFolder = "C:\\Shots";
        p.autoSave = true;
    });
    const auto advance = h.ui.onWait;
    int nested = 0;
    h.ui.onWait = [&](int ms) {
        advance(ms);
        if (nested++ == 0) {
            main->menuTrayCaptureFull.click();
            h.hotkeys.press(FrmMain::kHotkeyWindow);
            h.hotkeys.press(FrmMain::kHotkeyRectangle);
            EXPECT_FALSE(main->visible()) << "a second request brought the window back";
        }
    };
    main->menuCaptureFullScreen.click();
    EXPECT_EQ(h.screen.grabs.size(), 1u);
    EXPECT_TRUE(main->visible());
    EXPECT_EQ(h.files.filesIn("C:\\Shots").size(), 1u);
    EXPECT_TRUE(h.messageBox.shown.empty());

    // Once it is done, the next request captures again.
    h.ui.onWait = advance;
    main->menuTrayCaptureFull.click();
    EXPECT_EQ(h.screen.grabs.size(), 2u);
}

// Another program holds a combination: the summary and the menu say so, one notice after
// start-up names it, and a restart with the same combinations taken asks nothing more.
TEST_F(MainWindow, HotkeysHeldElsewhereAreNamedOncePerChange) {
    h.hotkeys.heldElsewhere = {FrmMain::kHotkeyFull};
    h.screen.setMonitors({{0, 0, 1920, 1080}}, 0x336699);
    h.screen.foreground = platform::PixelRect{100, 50, 640, 480};
    start();
    EXPECT_TRUE(h.messageBox.shown.empty()) << "the notice came before the window was up";
    main->TimerPending.tick();
    ASSERT_EQ(h.messageBox.shown.size(), 1u);
    EXPECT_EQ(h.messageBox.last().title, "Hotkeys not available");
    EXPECT_NE(h.messageBox.last().text.find("CTRL+SHIFT+F  (Capture Full Screen)"),
              std::string::npos);
    EXPECT_EQ(h.messageBox.last().text.find("CTRL+W"), std::string::npos);
    EXPECT_NE(h.messageBox.last().text.find("Preferences -> General"), std::string::npos);
    EXPECT_EQ(main->txtInfo.text(), "CTRL+SHIFT+F (not available)  = Full Screen   -   CTRL+W  = "
                                    "Active Window   -   CTRL+R  = Rectangle (mouse selection)");
    main->menuCapture.click();
    EXPECT_EQ(main->menuCaptureFullScreen.caption(),
              "Capture Full Screen\tCTRL+SHIFT+F (not available)");
    EXPECT_EQ(main->menuCaptureActiveWindow.caption(), "Capture Active Window\tCTRL+W");
    // The others still capture.
    h.hotkeys.press(FrmMain::kHotkeyWindow);
    EXPECT_EQ(h.screen.grabs.size(), 1u);

    auto restart = [&] {
        main->menuExit.click();
        main.reset();
        h.messageBox.shown.clear();
        start();
        main->TimerPending.tick();
    };
    restart();
    EXPECT_TRUE(h.messageBox.shown.empty()) << "asked again about the same combination";

    h.hotkeys.heldElsewhere = {FrmMain::kHotkeyFull, FrmMain::kHotkeyRectangle};
    restart();
    ASSERT_EQ(h.messageBox.shown.size(), 1u);
    EXPECT_NE(h.messageBox.last().text.find("CTRL+R  (Capture Rectangular Area)"),
              std::string::npos);

    h.hotkeys.heldElsewhere.clear();
    restart();
    EXPECT_TRUE(h.messageBox.shown.empty());
    h.hotkeys.heldElsewhere = {FrmMain::kHotkeyFull};
    restart();
    EXPECT_EQ(h.messageBox.shown.size(), 1u) << "taken again after being free: worth a word";
}

TEST_F(Capture, CommandLineCapturesSavesCopiesAndEnds) {
    h.files.addFolder("C:\\Out");
    app::cli::Request request;
    request.capture = app::cli::CaptureKind::FullScreen;
    request.delaySeconds = 3;
    request.savePath = "C:\\Out\\shot.png";
    request.clipboard = true;
    request.exitAfter = true;
    const auto before = h.clock.monotonicMs();
    main->queueCommandLine(request);
    EXPECT_TRUE(h.screen.grabs.empty()) << "ran inside the message that brought it";
    main->TimerPending.tick();
    EXPECT_EQ(h.screen.grabs.size(), 1u);
    EXPECT_GE(h.clock.monotonicMs() - before, 3000) << "the delay of the command line";
    const auto png = h.files.contents("C:\\Out\\shot.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->substr(1, 3), "PNG");
    EXPECT_TRUE(h.clipboard.picture);
    EXPECT_TRUE(h.messageBox.shown.empty());
    EXPECT_FALSE(main->loaded()) << "/exit left the program running";
}

// How a later copy that handed its request over hears the outcome.
struct RecordedReply : platform::ForwardedReply {
    bool waiting() const override { return !code; }
    void answer(int answered, std::string_view text) override {
        code = answered;
        message = text;
    }
    std::optional<int> code;
    std::string message;
};

TEST_F(Capture, CommandLineFailuresAreToldAndEndWithTheirCode) {
    app::cli::Request request;
    request.capture = app::cli::CaptureKind::ActiveWindow;
    request.savePath = "C:\\Missing\\shot.bmp";
    h.screen.foreground = platform::PixelRect{100, 50, 640, 480};
    main->queueCommandLine(request);
    // A second request while the first waits its turn runs after it, not inside it.
    request.savePath.clear();
    const auto forwarded = std::make_shared<RecordedReply>();
    main->queueCommandLine(request, forwarded);
    main->TimerPending.tick();
    EXPECT_EQ(h.screen.grabs.size(), 2u);
    ASSERT_EQ(h.messageBox.shown.size(), 1u);
    EXPECT_NE(h.messageBox.last().text.find("C:\\Missing\\shot.bmp"), std::string::npos);
    EXPECT_TRUE(main->loaded());
    EXPECT_TRUE(main->visible());
    EXPECT_EQ(forwarded->code, app::cli::kExitDone);

    // While a window of the program is open, a forwarded request is refused at once.
    const auto refused = std::make_shared<RecordedReply>();
    h.ui.onModal("frmFTP", [&](ui::Form& form) {
        main->queueCommandLine(request, refused);
        main->TimerPending.tick();
        static_cast<FrmFTP&>(form).cmdClose.click();
    });
    main->menuUploadFTP.click();
    EXPECT_EQ(refused->code, app::cli::kExitFailed);
    EXPECT_NE(refused->message.find("FTP window"), std::string::npos) << refused->message;
    EXPECT_EQ(h.screen.grabs.size(), 2u);
    EXPECT_EQ(h.messageBox.shown.size(), 1u) << "told here instead of to the later copy";

    // Closing answers the request under way (a rectangle not yet dragged) and the one
    // waiting behind it. This copy's own request failed: the program ends with 1.
    request.capture = app::cli::CaptureKind::Rectangle;
    const auto dragging = std::make_shared<RecordedReply>();
    const auto behind = std::make_shared<RecordedReply>();
    main->queueCommandLine(request, dragging);
    main->queueCommandLine(request, behind);
    main->TimerPending.tick();
    ASSERT_TRUE(main->rectangleOpen());
    EXPECT_FALSE(dragging->code || behind->code);
    main->menuExit_Click();
    EXPECT_EQ(dragging->code, app::cli::kExitFailed);
    EXPECT_EQ(behind->code, app::cli::kExitFailed);
    EXPECT_NE(behind->message.find("closed"), std::string::npos) << behind->message;
    EXPECT_EQ(h.ui.run(), app::cli::kExitFailed);
}

} // namespace

TEST_F(Capture, UploadWithFtpSavesThePictureAndOpensTheWindowWithIt) {
    main->menuCaptureFullScreen.click();
    std::vector<std::string> listed;
    bool markedOpen = false;
    h.ui.onModal("frmFTP", [&](ui::Form& form) {
        auto& ftp = static_cast<FrmFTP&>(form);
        listed = ftp.lstLocalFiles.items();
        markedOpen = main->mailOrFtpOpen();
        ftp.cmdClose.click();
    });
    main->menuUploadFTP.click();
    const std::string picture = dataFolder() + "Pictorn.png";
    EXPECT_EQ(listed, std::vector<std::string>{picture});
    EXPECT_TRUE(markedOpen);
    EXPECT_FALSE(main->mailOrFtpOpen());
    const auto bytes = h.files.contents(picture);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(1, 3), "PNG");
    EXPECT_TRUE(main->loaded());

    // The attachment type of the preferences names the file, and it takes their JPEG
    // quality, for the mail window as well.
    prefs.change([](app::Preferences& p) {
        p.attachmentExtensionIndex = 2;
        p.jpegQuality = 10;
    });
    main->menuUploadFTP.click();
    EXPECT_EQ(listed, std::vector<std::string>{dataFolder() + "Pictorn.jpg"});
    const std::vector<std::uint8_t> jpeg = imaging::encode(
        *main->ImageBox1.picture(), imaging::ImageFormat::Jpeg, {.jpegQuality = 10});
    EXPECT_EQ(h.files.contents(dataFolder() + "Pictorn.jpg"),
              std::string(jpeg.begin(), jpeg.end()));
    h.files.remove(dataFolder() + "Pictorn.jpg");
    h.ui.onModal("frmSendmail", [](ui::Form& form) { form.hide(); });
    main->menuSendMail.click();
    EXPECT_EQ(h.files.contents(dataFolder() + "Pictorn.jpg"),
              std::string(jpeg.begin(), jpeg.end()));

    // No attachment type chosen: PNG, and the preferences show it. Auto Exit closes the
    // program after the window.
    prefs.change([](app::Preferences& p) { p.attachmentExtensionIndex = -1; });
    main->menuAutoExit.click();
    main->menuUploadFTP.click();
    EXPECT_EQ(listed, std::vector<std::string>{picture});
    EXPECT_EQ(main->preferences().attachmentExtensionIndex, app::kPngIndex);
    EXPECT_FALSE(main->loaded());
    EXPECT_TRUE(h.messageBox.shown.empty());
}
