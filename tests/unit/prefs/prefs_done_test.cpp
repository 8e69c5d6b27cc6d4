// Done: the final checks, the writes in the store's order, the restart notice and hiding.
#include "prefs_fixture.h"

#include <algorithm>

namespace pictorn::prefs_test {
namespace {

std::vector<std::string> doneOrder() {
    std::vector<std::string> names;
    for (const app::PreferenceRow& row : app::preferenceTable().rows())
        if (row.when == app::Written::AtDone || row.when == app::Written::AtDoneIfAutoSave)
            names.emplace_back(row.name);
    return names;
}

std::vector<std::string> doneOrderUpTo(std::string_view last) {
    auto all = doneOrder();
    all.erase(std::find(all.begin(), all.end(), last) + 1, all.end());
    return all;
}

TEST_F(PrefsTest, DoneWritesEverySettingInOrderAndHides) {
    hs.files.addFolder("C:\\Shots");
    hs.files.addFile("C:\\Tools\\edit.exe");
    FrmPrefs& p = start();
    showModal([&](FrmPrefs& d) {
        d.chkTray.click();
        d.SSTab1.userSelect(2);
        typeInto(d.txtSeconds, "12");
        d.picGreen.click();
        d.chkMagnifier.click();
        d.SSTab1.userSelect(1);
        d.chkAutoSave.click();
        typeInto(d.txtPrefix, "cap_");
        d.cboExtension.pick(2);
        typeInto(d.txtDefaultFolder, "C:\\Shots");
        typeInto(d.txtEditorPath, "C:\\Tools\\edit.exe");
        d.HScroll1.setValue(75);
        d.cboExtension4Attachments.pick(0);
        d.cmdDone.click();
        EXPECT_FALSE(d.visible());
    });
    EXPECT_EQ(writtenNames(), doneOrder());
    const std::pair<const char*, const char*> expected[] = {{"DelayActiveWindow", "12"},
                                                            {"PlaySound", "1"},
                                                            {"KeepOnTop", "0"},
                                                            {"StartMinimized", "0"},
                                                            {"SystemTray", "1"},
                                                            {"KeepMinimized", "0"},
                                                            {"Editor", "C:\\Tools\\edit.exe"},
                                                            {"AutoSave", "1"},
                                                            {"Prefix", "cap_"},
                                                            {"Extension", "2"},
                                                            {"DefaultFolder", "C:\\Shots"},
                                                            {"HotKeyCTRL1", "1"},
                                                            {"HotKeyALT1", "0"},
                                                            {"HotKeySHIFT1", "1"},
                                                            {"HotKeySHIFT2", "0"},
                                                            {"JPEGquality", "75"},
                                                            {"Extension4Attachments", "0"},
                                                            {"SelectedColor", "65280"},
                                                            {"ShowMagnifier", "0"},
                                                            {"Tab", "1"}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(stored(name), value) << name;
    EXPECT_EQ(hs.messageBox.shown.size(), 0u); // no hotkey was touched: no notice
    EXPECT_EQ(p.focused(), &p.cmdFocusSink);
    EXPECT_EQ(hs.ui.modalLog, std::vector<std::string>{"frmPrefs"});
}

TEST_F(PrefsTest, AutoSaveWithoutFolderStopsAfterTheExtension) {
    FrmPrefs& p = start();
    p.chkCTRLvbHotkey1.click();
    p.chkAutoSave.click();
    p.show();
    p.cmdDone.click();
    EXPECT_EQ(writtenNames(), doneOrderUpTo("Extension"));
    EXPECT_EQ(lastBox().title, "No folder defined yet for screen shots");
    EXPECT_EQ(lastBox().text,
              "If Auto Save is on, you need to choose a folder where the screen shots should be "
              "saved to.\r\nIn the [Save screen shots to this location] box, please enter a "
              "valid path, or use the [...] browse button.");
    EXPECT_EQ(lastBox().flags, kWarning);
    EXPECT_TRUE(p.visible());
    EXPECT_EQ(p.SSTab1.currentTab(), 0); // stays on the tab the user is on
    EXPECT_TRUE(p.hotkeysChanged());     // the notice waits for a Done that succeeds
}

TEST_F(PrefsTest, AutoSaveOffSkipsTheFolderEntirely) {
    plant("Prefix", "kept");
    plant("DefaultFolder", "C:\\Kept");
    FrmPrefs& p = start();
    p.txtDefaultFolder.setText("Q:\\Not there");
    p.txtPrefix.setText(" ");
    p.txtEditorPath.setText("");
    p.show();
    p.cmdDone.click();
    EXPECT_FALSE(p.visible());
    auto expected = doneOrder();
    std::erase_if(expected, [](const std::string& name) {
        return name == "Prefix" || name == "Extension" || name == "DefaultFolder";
    });
    EXPECT_EQ(writtenNames(), expected);
    EXPECT_EQ(stored("DefaultFolder"), "C:\\Kept");
    EXPECT_EQ(stored("Prefix"), "kept");
    EXPECT_EQ(p.txtPrefix.text(), "Pictorn_"); // a single space always becomes the default
    // An emptied editor field is written, and shown, as the hint.
    EXPECT_EQ(stored("Editor"), "Click the browse button [...]");
    EXPECT_EQ(p.txtEditorPath.text(), "Click the browse button [...]");
    EXPECT_EQ(hs.messageBox.shown.size(), 0u);
}

TEST_F(PrefsTest, DoneSendsTheUserBackToABadEntry) {
    hs.files.addFolder("C:\\Locked");
    hs.files.denyNewFiles("C:\\Locked");
    FrmPrefs& p = start();
    p.chkAutoSave.setValue(1);
    p.show();
    struct Case {
        ui::TextBox* field;
        std::string text;
        std::string_view title;
    };
    const Case cases[] = {
        {&p.txtEditorPath, "C:\\gone.exe", "I'm afraid I can't do that Pellam..."},
        {&p.txtPrefix, "a/b", "Oh no..."},
        {&p.txtDefaultFolder, "C:\\Missing", "I'm afraid I can't do that Pellam..."},
        {&p.txtDefaultFolder, "C:\\Locked", "Attention!"},
    };
    for (const Case& c : cases) {
        p.SSTab1.setCurrentTab(2);
        // Set from code, as when another part changed the field while the focus was away.
        c.field->setText(c.text);
        p.cmdDone.click();
        EXPECT_EQ(lastBox().title, c.title) << c.text;
        EXPECT_EQ(p.SSTab1.currentTab(), 1) << c.text;
        EXPECT_EQ(p.focused(), c.field) << c.text;
        EXPECT_EQ(c.field->selLength(), c.text.size()) << c.text;
        EXPECT_TRUE(p.visible());
        c.field->setText("");
        ASSERT_TRUE(p.focus(p.chkSound));
    }
    EXPECT_TRUE(writtenNames().empty());
}

TEST_F(PrefsTest, DoneWaitsForTheFieldBeingEdited) {
    FrmPrefs& p = start();
    p.show();
    typeInto(p.txtSeconds, "61");
    p.cmdDone.click();
    EXPECT_EQ(lastBox().text, "Please enter a value in the range of 0 - 60.");
    EXPECT_TRUE(p.visible());
    EXPECT_TRUE(writtenNames().empty());
}

TEST_F(PrefsTest, HotkeyChangesBringTheRestartNoticeOnce) {
    FrmPrefs& p = start();
    p.show();
    p.chkSHIFTvbHotkey2.click();
    p.chkSHIFTvbHotkey2.click();
    p.cmdDone.click();
    ASSERT_EQ(hs.messageBox.shown.size(), 1u);
    EXPECT_EQ(lastBox().title, "All good");
    EXPECT_EQ(lastBox().text, "All settings saved.\r\n\r\nIf you changed your HotKey preferences, "
                              "please restart Pictorn to activate the new HotKeys.");
    EXPECT_EQ(lastBox().flags, platform::mb::kOk | platform::mb::kIconInformation);
    EXPECT_FALSE(p.hotkeysChanged());
    EXPECT_FALSE(p.visible());
    p.show();
    p.cmdDone.click();
    EXPECT_EQ(hs.messageBox.shown.size(), 1u);
}

TEST_F(PrefsTest, ReopensOnTheTabLeftInFrontAndStoresIt) {
    FrmPrefs& p = start();
    showModal([](FrmPrefs& d) {
        d.SSTab1.userSelect(2);
        d.cmdDone.click();
    });
    EXPECT_EQ(stored("Tab"), "2");
    showModal([](FrmPrefs& d) {
        EXPECT_EQ(d.SSTab1.currentTab(), 2);
        EXPECT_TRUE(d.txtSeconds.visible());
        d.cmdDone.click();
    });
    EXPECT_EQ(hs.ui.modalLog.size(), 2u);
    EXPECT_FALSE(p.visible());

    // The next run opens there too.
    plant("Startup", "True");
    prefs.reset();
    EXPECT_EQ(start().SSTab1.currentTab(), 2);
}

TEST_F(PrefsTest, FailedWritesAreSkippedSilently) {
    FrmPrefs& p = start();
    hs.registry.denyWrites = true;
    p.show();
    p.cmdDone.click();
    EXPECT_FALSE(p.visible());
    EXPECT_EQ(hs.messageBox.shown.size(), 0u);
    EXPECT_FALSE(stored("PlaySound"));
}

} // namespace
} // namespace pictorn::prefs_test
