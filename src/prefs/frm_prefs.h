#pragma once
// The preferences dialog: a view of the program's preferences (app::PreferenceStore). Made
// when the user opens it, it shows the values of the moment; every control writes its value
// into the store the moment it changes, so the rest of the program, which reads only the
// typed values, sees an edit at once, and the main window follows it as a listener; there
// is no Cancel. Done stores the values and hides the dialog, which is kept for the next
// opening.
#include "app/preference_store.h"
#include "platform/services.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/timer.h"
#include "resource_ids.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pictorn {

class FrmPrefs : public ui::Form {
public:
    FrmPrefs(platform::Services& services, app::PreferenceStore& store);

    static constexpr int kTabGeneral = app::kTabGeneral;
    static constexpr int kTabSaveEdit = app::kTabSaveAndEdit;
    static constexpr int kTabMiscellaneous = app::kTabMiscellaneous;

    ui::TabStrip SSTab1{this, "SSTab1", IDC_PREFS_TAB};
    ui::Button cmdDone{this, "cmdDone", IDC_PREFS_DONE};
    ui::Label lblClickDone{this, "lblClickDone", IDC_PREFS_CLICKDONE};
    // Takes the focus after a pick, a browse or the JPEG default, so that no list or button
    // stays highlighted. Placed outside the visible area.
    ui::Button cmdFocusSink{this, "cmdFocusSink", IDC_PREFS_FOCUSSINK};

    // Tab "General".
    ui::Label frameStartup{this, "frameStartup", IDC_PREFS_FRAME_STARTUP};
    ui::CheckBox chkStartMinimized{this, "chkStartMinimized", IDC_PREFS_STARTMINIMIZED};
    ui::CheckBox chkTray{this, "chkTray", IDC_PREFS_TRAY};
    ui::CheckBox chkKeepMinimized{this, "chkKeepMinimized", IDC_PREFS_KEEPMINIMIZED};
    ui::Label frameAudio{this, "frameAudio", IDC_PREFS_FRAME_AUDIO};
    ui::CheckBox chkSound{this, "chkSound", IDC_PREFS_SOUND};
    ui::CheckBox chkKeepOnTop{this, "chkKeepOnTop", IDC_PREFS_KEEPONTOP};
    ui::Label frmHotKeys{this, "frmHotKeys", IDC_PREFS_FRAME_HOTKEYS};
    ui::Label lblFullscreen{this, "lblFullscreen", IDC_PREFS_LBL_FULLSCREEN};
    ui::Label lblF{this, "lblF", IDC_PREFS_LBL_F};
    ui::CheckBox chkCTRLvbHotkey1{this, "chkCTRLvbHotkey1", IDC_PREFS_CTRL1};
    ui::CheckBox chkALTvbHotkey1{this, "chkALTvbHotkey1", IDC_PREFS_ALT1};
    ui::CheckBox chkSHIFTvbHotkey1{this, "chkSHIFTvbHotkey1", IDC_PREFS_SHIFT1};
    ui::Label lblActiveWindow{this, "lblActiveWindow", IDC_PREFS_LBL_ACTIVEWINDOW};
    ui::Label lblW{this, "lblW", IDC_PREFS_LBL_W};
    ui::CheckBox chkCTRLvbHotkey2{this, "chkCTRLvbHotkey2", IDC_PREFS_CTRL2};
    ui::CheckBox chkALTvbHotkey2{this, "chkALTvbHotkey2", IDC_PREFS_ALT2};
    ui::CheckBox chkSHIFTvbHotkey2{this, "chkSHIFTvbHotkey2", IDC_PREFS_SHIFT2};
    ui::Label lblRectangle{this, "lblRectangle", IDC_PREFS_LBL_RECTANGLE};
    ui::Label lblR{this, "lblR", IDC_PREFS_LBL_R};
    ui::CheckBox chkCTRLvbHotkey3{this, "chkCTRLvbHotkey3", IDC_PREFS_CTRL3};
    ui::CheckBox chkALTvbHotkey3{this, "chkALTvbHotkey3", IDC_PREFS_ALT3};
    ui::CheckBox chkSHIFTvbHotkey3{this, "chkSHIFTvbHotkey3", IDC_PREFS_SHIFT3};
    ui::Button cmdHotkeysDefault{this, "cmdHotkeysDefault", IDC_PREFS_HOTKEYSDEFAULT};

    // Tab "Save & Edit".
    ui::Label frameJPGquality{this, "frameJPGquality", IDC_PREFS_FRAME_JPEG};
    ui::Label lblBestCompression{this, "lblBestCompression", IDC_PREFS_BEST_COMPRESSION};
    ui::ScrollBar HScroll1{this, "HScroll1", IDC_PREFS_HSCROLL};
    ui::Label lblBestQuality{this, "lblBestQuality", IDC_PREFS_BEST_QUALITY};
    ui::Label lblQualityNumber{this, "lblQualityNumber", IDC_PREFS_QUALITYNUMBER};
    ui::Button cmdDefault{this, "cmdDefault", IDC_PREFS_JPEGDEFAULT};
    ui::Label frameEditor{this, "frameEditor", IDC_PREFS_FRAME_EDITOR};
    ui::TextBox txtEditorPath{this, "txtEditorPath", IDC_PREFS_EDITORPATH};
    ui::Button cmdBrowse4Editor{this, "cmdBrowse4Editor", IDC_PREFS_BROWSEEDITOR};
    ui::Label frameAutoSave{this, "frameAutoSave", IDC_PREFS_FRAME_AUTOSAVE};
    ui::CheckBox chkAutoSave{this, "chkAutoSave", IDC_PREFS_AUTOSAVE};
    ui::Label lblSavePrefix{this, "lblSavePrefix", IDC_PREFS_LBL_PREFIX};
    ui::TextBox txtPrefix{this, "txtPrefix", IDC_PREFS_PREFIX};
    ui::Label lbSaveas{this, "lbSaveas", IDC_PREFS_LBL_SAVEAS};
    ui::ComboBox cboExtension{this, "cboExtension", IDC_PREFS_EXTENSION};
    ui::Label lblSaveFolder{this, "lblSaveFolder", IDC_PREFS_LBL_FOLDER};
    ui::TextBox txtDefaultFolder{this, "txtDefaultFolder", IDC_PREFS_FOLDER};
    ui::Button cmdBrowse4Folder{this, "cmdBrowse4Folder", IDC_PREFS_BROWSEFOLDER};
    ui::Label frameAttachments{this, "frameAttachments", IDC_PREFS_FRAME_ATTACHMENTS};
    ui::Label lblAttachmentsInfo{this, "lblAttachmentsInfo", IDC_PREFS_LBL_ATTACHMENTS};
    ui::ComboBox cboExtension4Attachments{this, "cboExtension4Attachments",
                                          IDC_PREFS_EXTENSION_ATTACH};

    // Tab "Miscellaneous".
    ui::Label frameColors{this, "frameColors", IDC_PREFS_FRAME_COLORS};
    ui::Label picBlue{this, "picBlue", IDC_PREFS_BLUE};
    ui::Label picCyan{this, "picCyan", IDC_PREFS_CYAN};
    ui::Label picMagenta{this, "picMagenta", IDC_PREFS_MAGENTA};
    ui::Label picGreen{this, "picGreen", IDC_PREFS_GREEN};
    ui::Label picRed{this, "picRed", IDC_PREFS_RED};
    ui::Label picYellow{this, "picYellow", IDC_PREFS_YELLOW};
    ui::Label lblColor{this, "lblColor", IDC_PREFS_LBL_COLOR};
    ui::CheckBox chkMagnifier{this, "chkMagnifier", IDC_PREFS_MAGNIFIER};
    // The preview: a coloured block with a plain block inside (an outline three pixels
    // wide) and a small cross on its top-left corner.
    ui::Label ShapeRectangle{this, "ShapeRectangle", IDC_PREFS_SHAPE};
    ui::Label ShapeRectangleInside{this, "ShapeRectangleInside", IDC_PREFS_SHAPE_INSIDE};
    ui::Label Line1{this, "Line1", IDC_PREFS_LINE1};
    ui::Label Line2{this, "Line2", IDC_PREFS_LINE2};
    ui::Label frameDelay{this, "frameDelay", IDC_PREFS_FRAME_DELAY};
    ui::Label picContainerFrameDelay{this, "picContainerFrameDelay", IDC_PREFS_DELAY_PANEL};
    ui::Label lblDelay{this, "lblDelay", IDC_PREFS_LBL_DELAY};
    ui::TextBox txtSeconds{this, "txtSeconds", IDC_PREFS_SECONDS};
    ui::Label lblDelaySeconds{this, "lblDelaySeconds", IDC_PREFS_LBL_SECONDS};

    const app::Preferences& values() const { return store_.values(); }
    // Puts preferences into the controls. A copy: each control writes its value back into
    // the store as it changes.
    void showValues(app::Preferences values);

    // Whether a hotkey box or the hotkey Default button was used since start-up or since
    // Done's restart notice.
    bool hotkeysChanged() const { return hotkeysChanged_; }

    // Sets the rectangle colour and paints the preview in it.
    void setRectangleColour(app::Colour colour);
    // The hotkey boxes of one hotkey (1..3): CTRL, ALT, SHIFT.
    std::array<ui::CheckBox*, 3> hotkeyBoxes(int hotkey);

    // Makes the check box bold when checked; otherwise unchecks it and makes it regular.
    // Either way the hotkeys count as changed.
    void setBoldorNot(ui::CheckBox& ImChecked);
    // Selects the whole text of the focused text box.
    void SetSelected();
    // Moves the focus where no list or button stays highlighted.
    void focusSink();

    // The controls of a tab page, shown only while that tab is in front.
    const std::vector<ui::Control*>& page(int tab) const { return pages_.at(tab); }

private:
    void setDesignState();
    void buildPages();
    void wireHandlers();
    void wireValidation();
    void showCurrentTab();
    // Moves the model's focus and, when the dialog is on the screen, the real one.
    bool moveFocus(ui::Control& target);
    void wireLiveValues();
    void paintPreview(app::Colour colour);
    void hotkeyBox_Click(int hotkey, std::size_t column);
    void showHotkeys(const std::array<app::HotkeyModifiers, 3>& hotkeys);
    void failField(bool& cancel, std::string_view text, std::string_view title);

    // Load, activation and the controls that act at once (frm_prefs_live.cpp).
    // Shows the values of the store, each control firing its own events as a user's change
    // would; the hotkeys then count as unchanged.
    void Form_Load();
    void enableAutoSaveControls();
    void set(const std::function<void(app::Preferences&)>& edit) { store_.change(edit); }
    void Form_Activate();
    void chkAutoSave_Click();
    void chkKeepOnTop_Click();
    void HScroll1_Change();
    void showQuality(int quality);
    void cmdDefault_Click();
    void cmdHotkeysDefault_Click();
    void cboExtension_Click();
    void cboExtension4Attachments_Click();
    void swatchClick(ui::Label& swatch, std::string_view label, app::Colour colour);
    void picBlue_Click();
    void picCyan_Click();
    void picGreen_Click();
    void picMagenta_Click();
    void picRed_Click();
    void picYellow_Click();
    void SSTab1_Click(int previousTab);

    // Field checks and pickers (frm_prefs_validation.cpp, frm_prefs_pickers.cpp).
    void txtSeconds_KeyPress(int& keyAscii);
    void txtSeconds_Validate(bool& cancel);
    void txtPrefix_Validate(bool& cancel);
    void txtDefaultFolder_Validate(bool& cancel);
    void txtEditorPath_Validate(bool& cancel);
    void txtEditorPath_KeyPress(int& keyAscii);
    void txtPrefix_MouseMove();
    void txtDefaultFolder_MouseMove();
    void txtEditorPath_MouseMove();
    void showTextAsToolTip(ui::TextBox& box, std::string_view label);
    void cmdBrowse4Editor_Click();
    void cmdBrowse4Folder_Click();

    // Done (frm_prefs_done.cpp).
    void cmdDone_Click();
    bool checkEntriesForDone();
    bool writeSettings();

    platform::Services& services_;
    app::PreferenceStore& store_;
    bool hotkeysChanged_ = false;
    std::array<std::vector<ui::Control*>, 3> pages_;
};

} // namespace pictorn
