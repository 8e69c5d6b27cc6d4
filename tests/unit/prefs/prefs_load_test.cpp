#include "prefs_fixture.h"

#include <set>

namespace pictorn::prefs_test {
namespace {

TEST_F(PrefsTest, EmptyStoreShowsTheDefaults) {
    FrmPrefs& p = start();
    EXPECT_EQ(p.txtSeconds.text(), "0");
    EXPECT_EQ(p.chkSound.value(), 1);
    for (ui::CheckBox* box :
         {&p.chkStartMinimized, &p.chkTray, &p.chkKeepMinimized, &p.chkKeepOnTop, &p.chkAutoSave})
        EXPECT_EQ(box->value(), 0) << box->name();
    EXPECT_EQ(p.txtPrefix.text(), "Pictorn_");
    EXPECT_EQ(p.cboExtension.selectedText(), ".png");
    EXPECT_EQ(p.cboExtension4Attachments.selectedText(), ".png");
    EXPECT_EQ(p.HScroll1.value(), 90);
    EXPECT_EQ(p.lblQualityNumber.caption(), "90");
    EXPECT_EQ(p.frameJPGquality.caption(), "JPEG Quality: Very High");
    EXPECT_EQ(p.values().rectangleColour, app::kRed);
    EXPECT_EQ(p.ShapeRectangle.backColor(), 255u);
    EXPECT_EQ(p.Line1.backColor(), 255u);
    EXPECT_EQ(p.Line2.backColor(), 255u);
    EXPECT_EQ(p.txtEditorPath.text(), "Click the browse button [...]");
    EXPECT_EQ(p.txtDefaultFolder.text(), "");
    EXPECT_EQ(p.values().hotkeys[0].prefix() + "F " + p.values().hotkeys[1].prefix() + "W " +
                  p.values().hotkeys[2].prefix() + "R",
              "CTRL+SHIFT+F CTRL+W CTRL+R");
    for (int hotkey = 1; hotkey <= 3; ++hotkey)
        for (ui::CheckBox* box : p.hotkeyBoxes(hotkey))
            EXPECT_EQ(box->bold(), box->checked()) << box->name();
    const std::vector<ui::Control*> autoSaveControls{
        &p.lblSavePrefix, &p.txtPrefix,        &p.lbSaveas,        &p.cboExtension,
        &p.lblSaveFolder, &p.txtDefaultFolder, &p.cmdBrowse4Folder};
    for (ui::Control* control : autoSaveControls)
        EXPECT_FALSE(control->enabled()) << control->name();
    EXPECT_FALSE(p.hotkeysChanged());
    EXPECT_EQ(p.SSTab1.currentTab(), 0);
    EXPECT_FALSE(p.visible());
}

TEST_F(PrefsTest, StoredValuesAndTheirEdgeCases) {
    plant("Startup", "True");
    plant("DelayActiveWindow", "Error"); // arrives as "Er"
    plant("PlaySound", "x");             // not a number: the box keeps its design state
    plant("AutoSave", "1");
    plant("Prefix", "");
    plant("Extension", "");
    plant("DefaultFolder", "");
    plant("Editor", "");
    plant("HotKeyCTRL1", "0");
    plant("HotKeyALT2", "1");
    plant("JPEGquality", "39");
    plant("SelectedColor", "65280");
    plant("Tab", "2");
    plant("Extension4Attachments", "2");
    FrmPrefs& p = start();
    EXPECT_EQ(p.txtSeconds.text(), "0");
    EXPECT_EQ(p.chkSound.value(), 0);
    EXPECT_EQ(p.txtPrefix.text(), "Pictorn_");
    EXPECT_EQ(p.cboExtension.listIndex(), 4);
    EXPECT_EQ(p.txtDefaultFolder.text(), "");
    EXPECT_EQ(p.txtEditorPath.text(), "");
    EXPECT_EQ(p.values().hotkeys[0].prefix(), "SHIFT+");
    EXPECT_EQ(p.values().hotkeys[1].prefix(), "CTRL+ALT+");
    EXPECT_FALSE(p.chkCTRLvbHotkey1.bold());
    EXPECT_TRUE(p.chkALTvbHotkey2.bold());
    EXPECT_EQ(p.frameJPGquality.caption(), "JPEG Quality: Low");
    EXPECT_EQ(p.lblQualityNumber.caption(), "39");
    EXPECT_EQ(p.values().rectangleColour, app::kGreen);
    EXPECT_EQ(p.ShapeRectangle.backColor(), 65280u);
    EXPECT_EQ(p.cboExtension4Attachments.selectedText(), ".jpg");
    // Auto-save came on while filling: its controls follow.
    EXPECT_TRUE(p.txtDefaultFolder.enabled());
    EXPECT_TRUE(p.cmdBrowse4Folder.enabled());
    // The dialog opens on the stored tab, with only that page's controls showing.
    EXPECT_EQ(p.SSTab1.currentTab(), 2);
    EXPECT_TRUE(p.txtSeconds.visible());
    EXPECT_FALSE(p.chkSound.visible());
    EXPECT_FALSE(p.txtPrefix.visible());
    EXPECT_EQ(hs.messageBox.shown.size(), 0u);
}

TEST_F(PrefsTest, EveryControlHasItsOwnIdAndTheTabsShareThemOut) {
    FrmPrefs& p = start();
    std::set<int> ids;
    std::set<std::string> names;
    for (const ui::Control* control : p.controls()) {
        EXPECT_GE(control->id(), 2000) << control->name();
        EXPECT_LE(control->id(), 2999) << control->name();
        EXPECT_TRUE(ids.insert(control->id()).second) << control->name();
        EXPECT_TRUE(names.insert(control->name()).second) << control->name();
    }
    // Each control lives on at most one page; those on none are always shown.
    std::set<const ui::Control*> onPages;
    for (int tab = 0; tab < 3; ++tab)
        for (const ui::Control* control : p.page(tab))
            EXPECT_TRUE(onPages.insert(control).second) << control->name();
    const std::vector<ui::Control*> onEveryTab{&p.SSTab1, &p.cmdDone, &p.lblClickDone,
                                               &p.cmdFocusSink};
    for (const ui::Control* always : onEveryTab)
        EXPECT_FALSE(onPages.contains(always)) << always->name();
    EXPECT_EQ(onPages.size() + 4, p.controls().size());
    EXPECT_EQ(p.SSTab1.tabs(),
              (std::vector<std::string>{"General", "Save && Edit", "Miscellaneous"}));
}

} // namespace
} // namespace pictorn::prefs_test
