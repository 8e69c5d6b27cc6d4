// The controls that act on the running program at once.
#include "prefs_fixture.h"

namespace pictorn::prefs_test {
namespace {

TEST_F(PrefsTest, JpegCaptionFollowsTheScrollBar) {
    FrmPrefs& p = start();
    const std::pair<int, const char*> grades[] = {
        {39, "Low"},  {40, "Medium"},    {69, "Medium"},    {70, "High"},
        {89, "High"}, {90, "Very High"}, {99, "Very High"}, {100, "Maximum"}};
    for (const auto& [value, grade] : grades) {
        p.HScroll1.setValue(value);
        EXPECT_EQ(p.frameJPGquality.caption(), std::string("JPEG Quality: ") + grade) << value;
        EXPECT_EQ(p.lblQualityNumber.caption(), std::to_string(value));
    }
    EXPECT_EQ(p.HScroll1.min(), 1);
    EXPECT_EQ(p.HScroll1.max(), 100);
    EXPECT_EQ(p.HScroll1.largeChange(), 20);

    // The default button puts 90 back and leaves no button highlighted.
    p.HScroll1.setValue(50);
    p.cmdDefault.click();
    EXPECT_EQ(p.HScroll1.value(), 90);
    EXPECT_EQ(p.frameJPGquality.caption(), "JPEG Quality: Very High");
    EXPECT_EQ(p.focused(), &p.cmdFocusSink);
}

TEST_F(PrefsTest, AutoSaveSwitchesItsControlsAndBoxesActBeforeDone) {
    FrmPrefs& p = start();
    p.chkAutoSave.click();
    EXPECT_TRUE(p.txtPrefix.enabled());
    EXPECT_TRUE(p.lblSaveFolder.enabled());
    EXPECT_TRUE(store.values().autoSave);
    p.chkAutoSave.click();
    EXPECT_FALSE(p.txtPrefix.enabled());
    EXPECT_FALSE(p.cboExtension.enabled());
    p.chkKeepOnTop.click();
    EXPECT_TRUE(store.values().keepOnTop);
    EXPECT_EQ(writtenNames().size(), 0u);
}

TEST_F(PrefsTest, HotkeyBoxesAreBoldWhenCheckedAndMarkTheChange) {
    FrmPrefs& p = start();
    p.chkALTvbHotkey3.click();
    EXPECT_TRUE(p.chkALTvbHotkey3.bold());
    EXPECT_TRUE(p.hotkeysChanged());
    p.chkALTvbHotkey3.click();
    EXPECT_FALSE(p.chkALTvbHotkey3.bold());
    // Back to the old state, but still a change as far as the restart notice goes.
    EXPECT_TRUE(p.hotkeysChanged());
    // A greyed box counts as unchecked.
    p.chkCTRLvbHotkey2.setValue(2);
    EXPECT_EQ(p.chkCTRLvbHotkey2.value(), 0);
    EXPECT_FALSE(p.chkCTRLvbHotkey2.bold());
    // The live values follow the boxes at once.
    EXPECT_EQ(p.values().hotkeys[1].prefix(), "");
}

TEST_F(PrefsTest, HotkeyDefaultsRestoreCtrlShiftFCtrlWCtrlR) {
    plant("HotKeyCTRL1", "0");
    plant("HotKeyALT1", "1");
    plant("HotKeySHIFT1", "0");
    plant("HotKeySHIFT3", "1");
    FrmPrefs& p = start();
    p.cmdHotkeysDefault.click();
    EXPECT_EQ(p.values().hotkeys[0].prefix() + "F " + p.values().hotkeys[1].prefix() + "W " +
                  p.values().hotkeys[2].prefix() + "R",
              "CTRL+SHIFT+F CTRL+W CTRL+R");
    for (int hotkey = 1; hotkey <= 3; ++hotkey)
        for (ui::CheckBox* box : p.hotkeyBoxes(hotkey))
            EXPECT_EQ(box->bold(), box->checked()) << box->name();
    EXPECT_TRUE(p.hotkeysChanged());
}

TEST_F(PrefsTest, SwatchesChooseTheRectangleColour) {
    FrmPrefs& p = start();
    const std::pair<ui::Label*, std::uint32_t> swatches[] = {
        {&p.picBlue, 16711680},    {&p.picCyan, 16776960}, {&p.picGreen, 65280},
        {&p.picMagenta, 16711935}, {&p.picYellow, 65535},  {&p.picRed, 255}};
    for (const auto& [swatch, color] : swatches) {
        EXPECT_EQ(swatch->backColor(), color) << swatch->name();
        swatch->click();
        EXPECT_EQ(p.values().rectangleColour, app::Colour{color});
        EXPECT_EQ(p.ShapeRectangle.backColor(), color);
        EXPECT_EQ(p.Line1.backColor(), color);
        EXPECT_EQ(p.Line2.backColor(), color);
    }
    // A field that refuses to be left keeps the colour as it was.
    typeInto(p.txtSeconds, "75");
    p.picBlue.click();
    EXPECT_EQ(p.values().rectangleColour, app::kRed);
    EXPECT_EQ(lastBox().text, "Please enter a value in the range of 0 - 60.");
}

TEST_F(PrefsTest, TabsShowTheirOwnPageAndNeedAValidField) {
    FrmPrefs& p = start();
    p.SSTab1.userSelect(1);
    EXPECT_TRUE(p.txtPrefix.visible());
    EXPECT_TRUE(p.frameJPGquality.visible());
    EXPECT_FALSE(p.chkSound.visible());
    EXPECT_FALSE(p.picRed.visible());
    EXPECT_TRUE(p.cmdDone.visible());

    p.chkAutoSave.click();
    typeInto(p.txtPrefix, "a.b");
    p.SSTab1.userSelect(2);
    EXPECT_EQ(p.SSTab1.currentTab(), 1);
    EXPECT_EQ(lastBox().title, "Oh no...");
    EXPECT_EQ(p.txtPrefix.selLength(), 3u);
}

TEST_F(PrefsTest, PicksAndActivation) {
    FrmPrefs& p = start();
    p.SSTab1.userSelect(1);
    p.chkAutoSave.click();
    p.cboExtension.pick(2);
    EXPECT_EQ(p.cboExtension.selectedText(), ".jpg");
    EXPECT_EQ(p.focused(), &p.cmdFocusSink);
    p.cboExtension4Attachments.pick(6);
    EXPECT_EQ(p.cboExtension4Attachments.selectedText(), ".tif");
    EXPECT_EQ(p.focused(), &p.cmdFocusSink);

    EXPECT_FALSE(p.topmost());
    p.userActivated();
    EXPECT_TRUE(p.topmost());
}

} // namespace
} // namespace pictorn::prefs_test
