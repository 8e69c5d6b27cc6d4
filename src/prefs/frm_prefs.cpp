// The dialog's make-up: design values, tab pages, and the wiring of events to handlers.
#include "prefs/frm_prefs.h"

#include "app/error_report.h"
#include "app/preference_table.h"
#include "prefs/prefs_texts.h"

namespace pictorn {

using namespace prefs;

FrmPrefs::FrmPrefs(platform::Services& services, app::PreferenceStore& store)
    : ui::Form(services.ui, "frmPrefs"), services_(services), store_(store) {
    setStyle(
        {.templateId = IDD_PREFS, .sizable = false, .showInTaskbar = false, .minMaxBoxes = false});
    setDesignState();
    buildPages();
    wireHandlers();
    wireValidation();
    wireLiveValues();
    showCurrentTab();
}

void FrmPrefs::setDesignState() {
    const app::Preferences& defaults = app::defaultPreferences();
    setCaption("Preferences");
    SSTab1.setTabs({"General", "Save && Edit", "Miscellaneous"});
    cmdDone.setCaption("Done");
    lblClickDone.setCaption("Click Done to save your settings");

    frameStartup.setCaption("Startup and Tray Icon");
    chkStartMinimized.setCaption("Minimize Pictorn on startup");
    chkTray.setCaption("Display system tray icon, hide taskbar button when minimized");
    chkKeepMinimized.setCaption("Keep Pictorn minimized after capturing");
    frameAudio.setCaption("Audio and Behaviour");
    chkSound.setCaption("Play sound after capture");
    chkKeepOnTop.setCaption("Keep Pictorn on top of other windows");

    frmHotKeys.setCaption("Hotkeys");
    lblFullscreen.setCaption("Full Screen");
    lblActiveWindow.setCaption("Active Window");
    lblRectangle.setCaption("Rectangle");
    lblF.setCaption(" F");
    lblW.setCaption("W");
    lblR.setCaption("R");
    const std::array<std::uint32_t, 3> rowColors{kFullScreenRowColor, kActiveWindowRowColor,
                                                 kRectangleRowColor};
    const std::array<ui::Label*, 3> letters{&lblF, &lblW, &lblR};
    for (int hotkey = 1; hotkey <= 3; ++hotkey) {
        const auto row = static_cast<std::size_t>(hotkey - 1);
        const auto boxes = hotkeyBoxes(hotkey);
        boxes[0]->setCaption("CTRL");
        boxes[1]->setCaption("ALT");
        boxes[2]->setCaption("SHIFT");
        for (ui::CheckBox* box : boxes)
            box->setForeColor(rowColors[row]);
        letters[row]->setForeColor(rowColors[row]);
    }
    for (ui::Label* title : {&lblFullscreen, &lblActiveWindow, &lblRectangle})
        title->setForeColor(kRowTitleColor);
    cmdHotkeysDefault.setCaption("Default");
    cmdHotkeysDefault.setToolTip(" CTRL+SHIT+F = Full Screen, CTRL+W = Active Window, CTRL+R = "
                                 "Rectangle (mouse selection) ");

    lblBestCompression.setCaption("Best\r\ncompression");
    lblBestQuality.setCaption("Best\r\nquality");
    HScroll1.setRange(1, 100);
    HScroll1.setLargeChange(20);
    HScroll1.setValue(defaults.jpegQuality);
    // The number and the caption show the design value from the start.
    showQuality(defaults.jpegQuality);
    cmdDefault.setCaption("&Default");
    cmdDefault.setToolTip("Default = " + std::to_string(defaults.jpegQuality));
    frameEditor.setCaption("Image Editor");
    cmdBrowse4Editor.setCaption("...");
    cmdBrowse4Editor.setToolTip("Click here to Browse");
    frameAutoSave.setCaption("Auto Save");
    chkAutoSave.setCaption(" Automatically save screen shots to disk");
    lblSavePrefix.setCaption("Filename prefix:");
    txtPrefix.setMaxLength(64);
    lbSaveas.setCaption("Save as file type:");
    lblSaveFolder.setCaption("Save screen shots to this folder:");
    cmdBrowse4Folder.setCaption("...");
    cmdBrowse4Folder.setToolTip("Click here to Browse");
    frameAttachments.setCaption("Attachments && FTP");
    lblAttachmentsInfo.setCaption("Default file type for attachments && uploads:");
    for (std::string_view extension : app::kPictureExtensions) {
        cboExtension.addItem(std::string(extension));
        cboExtension4Attachments.addItem(std::string(extension));
    }
    // A stored index that cannot be used leaves the lists on ".png", never on nothing.
    cboExtension.setListIndex(defaults.extensionIndex);
    cboExtension4Attachments.setListIndex(defaults.attachmentExtensionIndex);

    frameColors.setCaption("Colors Rectangle Box");
    const std::array<std::pair<ui::Label*, app::Colour>, 6> swatches{{{&picBlue, app::kBlue},
                                                                      {&picCyan, app::kCyan},
                                                                      {&picMagenta, app::kMagenta},
                                                                      {&picGreen, app::kGreen},
                                                                      {&picRed, app::kRed},
                                                                      {&picYellow, app::kYellow}}};
    for (const auto& [swatch, colour] : swatches)
        swatch->setBackColor(colour.value);
    lblColor.setCaption(
        "Select a color for the rectangle box && cursor (Capture Rectangular Area)");
    paintPreview(defaults.rectangleColour);
    chkMagnifier.setCaption("Show magnifier");

    frameDelay.setCaption("Delay Time");
    picContainerFrameDelay.setToolTip("More is slower, less is quicker");
    lblDelay.setCaption("Delay time before a capture:");
    txtSeconds.setMaxLength(2);
    txtSeconds.setText(std::to_string(defaults.delaySeconds));
    lblDelaySeconds.setCaption("Seconds");

    // The browse buttons start without validation: a field's own browse button is always
    // reachable from that field; the checks switch them later.
    cmdBrowse4Editor.setCausesValidation(false);
    cmdBrowse4Folder.setCausesValidation(false);
}

void FrmPrefs::buildPages() {
    pages_[kTabGeneral] = {
        &frameStartup,     &chkStartMinimized, &chkTray,           &chkKeepMinimized, &frameAudio,
        &chkSound,         &chkKeepOnTop,      &frmHotKeys,        &lblFullscreen,    &lblF,
        &chkCTRLvbHotkey1, &chkALTvbHotkey1,   &chkSHIFTvbHotkey1, &lblActiveWindow,  &lblW,
        &chkCTRLvbHotkey2, &chkALTvbHotkey2,   &chkSHIFTvbHotkey2, &lblRectangle,     &lblR,
        &chkCTRLvbHotkey3, &chkALTvbHotkey3,   &chkSHIFTvbHotkey3, &cmdHotkeysDefault};
    pages_[kTabSaveEdit] = {&frameJPGquality,  &lblBestCompression, &HScroll1,
                            &lblBestQuality,   &lblQualityNumber,   &cmdDefault,
                            &frameEditor,      &txtEditorPath,      &cmdBrowse4Editor,
                            &frameAutoSave,    &chkAutoSave,        &lblSavePrefix,
                            &txtPrefix,        &lbSaveas,           &cboExtension,
                            &lblSaveFolder,    &txtDefaultFolder,   &cmdBrowse4Folder,
                            &frameAttachments, &lblAttachmentsInfo, &cboExtension4Attachments};
    pages_[kTabMiscellaneous] = {&frameColors,     &picBlue,
                                 &picCyan,         &picMagenta,
                                 &picGreen,        &picRed,
                                 &picYellow,       &lblColor,
                                 &ShapeRectangle,  &ShapeRectangleInside,
                                 &Line1,           &Line2,
                                 &frameDelay,      &picContainerFrameDelay,
                                 &lblDelay,        &txtSeconds,
                                 &lblDelaySeconds, &chkMagnifier};
}

void FrmPrefs::wireHandlers() {
    Load = [this] {
        Form_Load();
    };
    Activate = [this] {
        Form_Activate();
    };
    SSTab1.Click = [this](int previous) {
        SSTab1_Click(previous);
    };
    cmdDone.Click = [this] {
        cmdDone_Click();
    };
    chkAutoSave.Click = [this] {
        chkAutoSave_Click();
    };
    chkKeepOnTop.Click = [this] {
        chkKeepOnTop_Click();
    };
    HScroll1.Change = [this] {
        HScroll1_Change();
    };
    cmdDefault.Click = [this] {
        cmdDefault_Click();
    };
    cmdHotkeysDefault.Click = [this] {
        cmdHotkeysDefault_Click();
    };
    cboExtension.Click = [this] {
        cboExtension_Click();
    };
    cboExtension4Attachments.Click = [this] {
        cboExtension4Attachments_Click();
    };
    for (int hotkey = 1; hotkey <= 3; ++hotkey)
        for (std::size_t column = 0; column < 3; ++column)
            hotkeyBoxes(hotkey)[column]->Click = [this, hotkey, column] {
                hotkeyBox_Click(hotkey, column);
            };
    picBlue.Click = [this] {
        picBlue_Click();
    };
    picCyan.Click = [this] {
        picCyan_Click();
    };
    picGreen.Click = [this] {
        picGreen_Click();
    };
    picMagenta.Click = [this] {
        picMagenta_Click();
    };
    picRed.Click = [this] {
        picRed_Click();
    };
    picYellow.Click = [this] {
        picYellow_Click();
    };
    cmdBrowse4Editor.Click = [this] {
        cmdBrowse4Editor_Click();
    };
    cmdBrowse4Folder.Click = [this] {
        cmdBrowse4Folder_Click();
    };
}

void FrmPrefs::wireValidation() {
    for (ui::TextBox* box : {&txtSeconds, &txtPrefix, &txtDefaultFolder, &txtEditorPath})
        box->GotFocus = [this] {
            SetSelected();
        };
    txtSeconds.KeyPress = [this](int& key) {
        txtSeconds_KeyPress(key);
    };
    txtEditorPath.KeyPress = [this](int& key) {
        txtEditorPath_KeyPress(key);
    };
    txtSeconds.Validate = [this](bool& cancel) {
        txtSeconds_Validate(cancel);
    };
    txtPrefix.Validate = [this](bool& cancel) {
        txtPrefix_Validate(cancel);
    };
    txtDefaultFolder.Validate = [this](bool& cancel) {
        txtDefaultFolder_Validate(cancel);
    };
    txtEditorPath.Validate = [this](bool& cancel) {
        txtEditorPath_Validate(cancel);
    };
    txtPrefix.MouseMove = [this](int, int, float, float) {
        txtPrefix_MouseMove();
    };
    txtDefaultFolder.MouseMove = [this](int, int, float, float) {
        txtDefaultFolder_MouseMove();
    };
    txtEditorPath.MouseMove = [this](int, int, float, float) {
        txtEditorPath_MouseMove();
    };
}

std::array<ui::CheckBox*, 3> FrmPrefs::hotkeyBoxes(int hotkey) {
    switch (hotkey) {
    case 1:
        return {&chkCTRLvbHotkey1, &chkALTvbHotkey1, &chkSHIFTvbHotkey1};
    case 2:
        return {&chkCTRLvbHotkey2, &chkALTvbHotkey2, &chkSHIFTvbHotkey2};
    default:
        return {&chkCTRLvbHotkey3, &chkALTvbHotkey3, &chkSHIFTvbHotkey3};
    }
}

void FrmPrefs::showCurrentTab() {
    for (int tab = 0; tab < static_cast<int>(pages_.size()); ++tab)
        for (ui::Control* control : pages_[static_cast<std::size_t>(tab)])
            control->setVisible(tab == SSTab1.currentTab());
}

void FrmPrefs::SSTab1_Click(int) {
    set([&](app::Preferences& p) { p.tab = SSTab1.currentTab(); });
    showCurrentTab();
}

bool FrmPrefs::moveFocus(ui::Control& target) {
    if (!focus(target))
        return false;
    // A hidden dialog must not grab the real focus: that would activate it.
    if (visible() && target.peer())
        target.peer()->takeFocus();
    return true;
}

void FrmPrefs::focusSink() {
    app::ignoreErrors([&] { moveFocus(cmdFocusSink); });
}

void FrmPrefs::SetSelected() {
    app::ignoreErrors([&] {
        if (auto* box = dynamic_cast<ui::TextBox*>(focused()))
            box->selectAll();
    });
}

void FrmPrefs::setRectangleColour(app::Colour colour) {
    set([&](app::Preferences& p) { p.rectangleColour = colour; });
    paintPreview(colour);
}

void FrmPrefs::paintPreview(app::Colour colour) {
    for (ui::Label* part : {&ShapeRectangle, &Line1, &Line2})
        part->setBackColor(colour.value);
}

} // namespace pictorn
