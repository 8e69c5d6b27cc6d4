// The main window's start-up: every setting of the window and of the preferences is read
// and put into place. Until the window's own set-up at the end, a step that fails (an
// unreadable or unconvertible value) is skipped silently and the control keeps its
// initial state, so a damaged store can never stop the program from starting.
#include "app/app_data.h"
#include "app/conversions.h"
#include "app/error_report.h"
#include "mainwindow/frm_main.h"
#include "platform/ui/ui_toolkit.h"
#include "prefs/frm_prefs.h"

namespace pictorn {
namespace {

constexpr std::string_view kFailed = "Error";

std::string orDefault(std::string text, std::string_view fallback, bool emptyToo = false) {
    if (text == kFailed || (emptyToo && text.empty()))
        return std::string(fallback);
    return text;
}

// A colour value is a number from 0 to 0xFFFFFF; anything else would only fail later,
// when the rectangle is drawn, so it falls back to red here.
std::string validColour(const std::string& text) {
    try {
        const long long value = app::toNumber(text);
        if (value >= 0 && value <= 0xFFFFFF)
            return std::to_string(value);
    } catch (const AppError&) {
    }
    return "255";
}

} // namespace

void FrmMain::centre() {
    const ui::ScreenInfo screen = services_.ui.screen();
    const ui::Geometry g = geometry();
    move((screen.widthTwips() - g.width) / 2, (screen.heightTwips() - g.height) / 2, g.width,
         g.height);
}

void FrmMain::Form_Load() {
    using app::ignoreErrors;
    app::SettingsStore& store = settings_;
    ignoreErrors([&] { store.createKey(); });

    bool startedBefore = false;
    ignoreErrors([&] { startedBefore = app::toBoolean(store.readRaw("Startup")); });
    if (!startedBefore) {
        ignoreErrors([&] { centre(); });
        ignoreErrors([&] { prefs().SSTab1.setCurrentTab(0); });
    } else {
        ui::Geometry g = geometry();
        ignoreErrors([&] { g.top = app::toInteger(store.readRaw("Top")); });
        ignoreErrors([&] { g.left = app::toInteger(store.readRaw("Left")); });
        ignoreErrors([&] {
            move(g.left, g.top, g.width, g.height);
            if (g.top < 0 || g.left < 0)
                centre();
        });
    }
    ignoreErrors([&] { menuAutoExit.setChecked(app::toBoolean(store.readRaw("AutoExit"))); });
    ignoreErrors([&] {
        menuIncludeMousepointer.setChecked(app::toBoolean(store.readRaw("IncludeMousepointer")));
    });
    loadPreferences();
    ignoreErrors([&] { move(geometry().left, geometry().top, 8475, 5600); });

    app::trap(services_.messageBox, "frmMain - Form_Load", [&] {
        menuSave.setEnabled(false);
        menuSaveAs.setEnabled(false);
        menuPrint.setEnabled(false);
        menuCopyImagetoClipboard.setEnabled(false);
        menuSendImagetoEditor.setEnabled(false);
        menuSendImagetoPaint.setEnabled(false);
        menuSendMail.setEnabled(false);
        menuUploadFTP.setEnabled(false);
        prefs().hotkeyPrefsClicked = "NOT Clicked!";
    });
    // A save cut short by a crash or a kill leaves its temporary file behind, often tens of
    // megabytes; nothing else would ever remove it.
    app::ignoreErrors([&] {
        services_.files.removeStaleTemporaryFiles(
            app::AppDataFolder(services_.files, services_.shell, services_.shell.programFolder()));
    });
}

void FrmMain::loadPreferences() {
    using app::ignoreErrors;
    app::SettingsStore& store = settings_;
    FrmPrefs& p = prefs();
    auto number = [](const std::string& text) {
        return app::toInteger(text);
    };

    ignoreErrors([&] {
        p.txtSeconds.setText(store.readRaw("DelayActiveWindow"));
        if (p.txtSeconds.text() == "Er")
            p.txtSeconds.setText("0");
    });
    ignoreErrors([&] { p.chkSound.setValue(number(orDefault(store.readRaw("PlaySound"), "1"))); });
    ignoreErrors([&] {
        p.chkStartMinimized.setValue(number(orDefault(store.readRaw("StartMinimized"), "0")));
        if (p.chkStartMinimized.value() != 0)
            setWindowState(ui::WindowState::Minimized);
    });
    ignoreErrors([&] { p.chkTray.setValue(number(orDefault(store.readRaw("SystemTray"), "0"))); });
    ignoreErrors([&] {
        p.chkKeepMinimized.setValue(number(orDefault(store.readRaw("KeepMinimized"), "0")));
    });
    ignoreErrors([&] {
        p.chkKeepOnTop.setValue(number(orDefault(store.readRaw("KeepOnTop"), "0")));
        if (p.chkKeepOnTop.value() == 1)
            setTopmost(true);
    });
    ignoreErrors([&] {
        p.txtEditorPath.setText(store.readRaw("Editor"));
        if (p.txtEditorPath.text() == kFailed)
            p.txtEditorPath.setText(std::string(app::kEditorPlaceholder));
    });
    ignoreErrors(
        [&] { p.chkAutoSave.setValue(number(orDefault(store.readRaw("AutoSave"), "0"))); });
    ignoreErrors(
        [&] { p.txtPrefix.setText(orDefault(store.readRaw("Prefix"), "Pictorn_", true)); });
    ignoreErrors([&] {
        p.cboExtension.setListIndex(number(orDefault(store.readRaw("Extension"), "4", true)));
    });
    ignoreErrors(
        [&] { p.txtDefaultFolder.setText(orDefault(store.readRaw("DefaultFolder"), "")); });
    loadHotkeys();
    ignoreErrors(
        [&] { p.HScroll1.setValue(number(orDefault(store.readRaw("JPEGquality"), "90"))); });
    ignoreErrors([&] {
        p.rectangleColor = validColour(orDefault(store.readRaw("SelectedColor"), "255"));
        p.showRectangleColor();
    });
    ignoreErrors([&] { p.SSTab1.setCurrentTab(number(store.readRaw("Tab"))); });
    ignoreErrors([&] {
        p.cboExtension4Attachments.setListIndex(
            number(orDefault(store.readRaw("Extension4Attachments"), "4", true)));
    });
}

void FrmMain::loadHotkeys() {
    using app::ignoreErrors;
    FrmPrefs& p = prefs();
    struct Modifier {
        std::string_view name;
        std::string_view fallback;
        ui::CheckBox& box;
        HotkeyControl& hotkey;
        void (HotkeyControl::*set)(bool);
    };
    const Modifier modifiers[] = {
        {"HotKeyCTRL1", "1", p.chkCTRLvbHotkey1, VBHotKey1, &HotkeyControl::setCtrl},
        {"HotKeyCTRL2", "1", p.chkCTRLvbHotkey2, VBHotKey2, &HotkeyControl::setCtrl},
        {"HotKeyCTRL3", "1", p.chkCTRLvbHotkey3, VBHotKey3, &HotkeyControl::setCtrl},
        {"HotKeyALT1", "0", p.chkALTvbHotkey1, VBHotKey1, &HotkeyControl::setAlt},
        {"HotKeyALT2", "0", p.chkALTvbHotkey2, VBHotKey2, &HotkeyControl::setAlt},
        {"HotKeyALT3", "0", p.chkALTvbHotkey3, VBHotKey3, &HotkeyControl::setAlt},
        {"HotKeySHIFT1", "1", p.chkSHIFTvbHotkey1, VBHotKey1, &HotkeyControl::setShift},
        {"HotKeySHIFT2", "0", p.chkSHIFTvbHotkey2, VBHotKey2, &HotkeyControl::setShift},
        {"HotKeySHIFT3", "0", p.chkSHIFTvbHotkey3, VBHotKey3, &HotkeyControl::setShift},
    };
    for (const Modifier& m : modifiers) {
        ignoreErrors([&] {
            const std::string text = orDefault(settings_.readRaw(m.name), m.fallback);
            const int value = app::toInteger(text);
            m.box.setValue(value);
            (m.hotkey.*m.set)(value != 0);
        });
    }
    for (HotkeyControl* hotkey : {&VBHotKey1, &VBHotKey2, &VBHotKey3})
        ignoreErrors([&] { hotkey->arm(); });

    auto prefix = [](const ui::CheckBox& ctrl, const ui::CheckBox& alt, const ui::CheckBox& shift) {
        std::string text;
        if (ctrl.checked())
            text += "CTRL+";
        if (alt.checked())
            text += "ALT+";
        if (shift.checked())
            text += "SHIFT+";
        return text;
    };
    p.hotkeyPrefixFull = prefix(p.chkCTRLvbHotkey1, p.chkALTvbHotkey1, p.chkSHIFTvbHotkey1);
    p.hotkeyPrefixWindow = prefix(p.chkCTRLvbHotkey2, p.chkALTvbHotkey2, p.chkSHIFTvbHotkey2);
    p.hotkeyPrefixRectangle = prefix(p.chkCTRLvbHotkey3, p.chkALTvbHotkey3, p.chkSHIFTvbHotkey3);
    showHotkeySummary();
    // Told from the message loop, so the notice appears over the shown main window.
    hotkeyNoticePending_ = true;
    TimerPending.setEnabled(true);
}

} // namespace pictorn
