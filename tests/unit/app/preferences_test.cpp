#include "app/preferences.h"
#include "platform/headless/fake_data_protection.h"
#include "platform/headless/memory_registry.h"
#include "platform/headless/scripted_message_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace pictorn::app {
namespace {

constexpr std::string_view kSubKey = "Software\\Orvanta\\Pictorn";

class PreferencesTest : public testing::Test {
protected:
    void SetUp() override { store.createKey(); }
    void TearDown() override {
        EXPECT_EQ(api.openHandles(), 0);
        EXPECT_TRUE(box.shown.empty());
    }
    void plant(std::string_view name, std::string_view text) {
        api.plant(kHkeyCurrentUser, kSubKey, name, headless::kRegSz, text);
    }
    std::vector<std::string> writtenNames() const {
        std::vector<std::string> names;
        for (const std::string& call : api.calls())
            if (call.starts_with("set"))
                names.push_back(
                    call.substr(call.find(' ') + 1, call.find(" -> ") - call.find(' ') - 1));
        return names;
    }

    headless::MemoryRegistry api;
    headless::ScriptedMessageBox box;
    Registry registry{api, box};
    headless::FakeDataProtection protection;
    SettingsStore store{registry, protection};
};

TEST_F(PreferencesTest, EmptyStoreGivesTheFirstRunValues) {
    Preferences p;
    EXPECT_TRUE(loadPreferences(store, p).empty());
    EXPECT_EQ(p.delaySeconds, 0);
    EXPECT_TRUE(p.playSound);
    EXPECT_FALSE(p.startMinimized || p.systemTray || p.keepMinimized || p.keepOnTop || p.autoSave);
    EXPECT_EQ(p.editorPath, kEditorPlaceholder);
    EXPECT_EQ(p.prefix, "Pictorn_");
    EXPECT_EQ(pictureExtension(p.extensionIndex), ".png");
    EXPECT_EQ(p.defaultFolder, "");
    EXPECT_EQ(p.hotkeys[0].prefix() + "F " + p.hotkeys[1].prefix() + "W " + p.hotkeys[2].prefix() +
                  "R",
              "CTRL+SHIFT+F CTRL+W CTRL+R");
    EXPECT_EQ(p.jpegQuality, 90);
    EXPECT_EQ(p.rectangleColour, kRed);
    EXPECT_EQ(p.tab, 0);
    EXPECT_EQ(pictureExtension(p.attachmentExtensionIndex), ".png");
}

TEST_F(PreferencesTest, UnusableValuesLeaveTheirFieldAndAreNamed) {
    plant("DelayActiveWindow", "Errand"); // the two-character field shows "Er": no delay
    plant("PlaySound", "x");
    plant("KeepOnTop", "3");
    plant("Extension", "7");
    plant("Extension4Attachments", "-1");
    plant("JPEGquality", "0");
    plant("Tab", "2.6"); // rounds to 3: no such tab
    plant("HotKeyCTRL1", "yes");
    plant("SelectedColor", "16777216"); // beyond any colour: red, never unusable
    Preferences p;
    p.delaySeconds = 7;
    p.playSound = true;
    p.keepOnTop = true;
    p.extensionIndex = 2;
    p.tab = 1;
    p.rectangleColour = kBlue;
    p.hotkeys[0].shift = true;
    const auto unusable = loadPreferences(store, p);
    EXPECT_EQ(unusable,
              (std::vector<std::string_view>{"PlaySound", "KeepOnTop", "Extension", "HotKeyCTRL1",
                                             "JPEGquality", "Tab", "Extension4Attachments"}));
    EXPECT_EQ(p.delaySeconds, 0);
    EXPECT_TRUE(p.playSound);
    EXPECT_TRUE(p.keepOnTop);
    EXPECT_EQ(p.extensionIndex, 2);
    EXPECT_EQ(p.attachmentExtensionIndex, kPngIndex);
    EXPECT_EQ(p.jpegQuality, 90);
    EXPECT_EQ(p.tab, 1);
    EXPECT_TRUE(p.hotkeys[0].ctrl); // a hotkey modifier takes its default, as the hotkey does
    EXPECT_TRUE(p.hotkeys[0].shift);
    EXPECT_EQ(p.rectangleColour, kRed);
}

TEST_F(PreferencesTest, StoredDelayIsHeldWithinTheDialogsRange) {
    // The field keeps two characters of whatever was stored.
    const std::pair<std::string_view, int> cases[] = {{"99999", 60}, {"61", 60}, {"60", 60},
                                                      {"0", 0},      {"-5", 0},  {"7", 7}};
    for (const auto& [stored, seconds] : cases) {
        plant("DelayActiveWindow", stored);
        Preferences p;
        p.delaySeconds = 3;
        EXPECT_TRUE(loadPreferences(store, p).empty()) << stored;
        EXPECT_EQ(p.delaySeconds, seconds) << stored;
    }
}

TEST_F(PreferencesTest, StoredPrefixTheDialogWouldRefuseGivesTheDefault) {
    // The prefix goes in front of a file name in the auto-save folder: separators or ".."
    // would carry the picture elsewhere (..\..\windows\evil_ into C:\windows).
    for (std::string_view stored : {"..\\..\\windows\\evil_", "a/b", "x:y", "shot?", "°", " "}) {
        plant("Prefix", stored);
        Preferences p;
        p.prefix = "earlier_";
        EXPECT_TRUE(loadPreferences(store, p).empty()) << stored;
        EXPECT_EQ(p.prefix, kDefaultPrefix) << stored;
        EXPECT_NE(checkPrefix(stored), PrefixCheck::Usable) << stored;
    }
    for (std::string_view stored : {"my shots ", "Ärger-", "x_"}) {
        plant("Prefix", stored);
        Preferences p;
        loadPreferences(store, p);
        EXPECT_EQ(p.prefix, stored);
        EXPECT_EQ(checkPrefix(stored), PrefixCheck::Usable) << stored;
    }
}

TEST_F(PreferencesTest, StoredTextsComeBackAsDoneWritesThem) {
    const std::map<std::string_view, std::string_view> stored{{"DelayActiveWindow", "12"},
                                                              {"PlaySound", "0"},
                                                              {"KeepOnTop", "1"},
                                                              {"StartMinimized", "1"},
                                                              {"SystemTray", "1"},
                                                              {"KeepMinimized", "0"},
                                                              {"Editor", "C:\\Tools\\edit.exe"},
                                                              {"AutoSave", "1"},
                                                              {"Prefix", " shot "},
                                                              {"Extension", "2"},
                                                              {"DefaultFolder", "D:\\shots"},
                                                              {"HotKeyCTRL1", "0"},
                                                              {"HotKeyCTRL2", "1"},
                                                              {"HotKeyCTRL3", "0"},
                                                              {"HotKeyALT1", "1"},
                                                              {"HotKeyALT2", "0"},
                                                              {"HotKeyALT3", "1"},
                                                              {"HotKeySHIFT1", "0"},
                                                              {"HotKeySHIFT2", "1"},
                                                              {"HotKeySHIFT3", "1"},
                                                              {"JPEGquality", "100"},
                                                              {"Extension4Attachments", "6"},
                                                              {"SelectedColor", "65535"},
                                                              {"Tab", "2"}};
    ASSERT_EQ(stored.size(), kWriteOrderAtDone.size());
    for (const auto& [name, text] : stored)
        plant(name, text);
    Preferences p;
    EXPECT_TRUE(loadPreferences(store, p).empty());
    for (std::string_view name : kWriteOrderAtDone)
        EXPECT_EQ(preferenceText(p, name), stored.at(name)) << name;
    EXPECT_EQ(p.hotkeys[2].prefix(), "ALT+SHIFT+");
    EXPECT_EQ(p.rectangleColour, kYellow);
    EXPECT_THROW(preferenceText(p, "MailTo"), std::invalid_argument);
}

TEST_F(PreferencesTest, MailSettingsReadTheLoginOnlyWithAuthentication) {
    plant("MailTo", "a@example.com");
    plant("MailSMTPauthUser", "me");
    store.writePassword("MailSMTPauthPW", "secret");
    MailSettings mail = loadMailSettings(store);
    EXPECT_EQ(mail.to, "a@example.com");
    EXPECT_EQ(mail.subject, "Screenshot");
    EXPECT_FALSE(mail.authenticate);
    EXPECT_EQ(mail.user, "");
    EXPECT_EQ(mail.password, "");

    plant("MailSMTPauth", "1");
    mail = loadMailSettings(store);
    EXPECT_TRUE(mail.authenticate);
    EXPECT_EQ(mail.user, "me");
    EXPECT_EQ(mail.password, "secret");

    // Bytes that no scrambling produced give an empty password, silently.
    api.plant(kHkeyCurrentUser, kSubKey, "MailSMTPauthPW", headless::kRegBinary, "\x02");
    EXPECT_EQ(loadMailSettings(store).password, "");
}

TEST_F(PreferencesTest, MailAndFtpSettingsAreSavedInCatalogueOrderAndReadBack) {
    const MailSettings mail{
        "me@example.com", "you@example.com", "", "Look", "smtp.example.com", true, "me",
        "pässwörd"};
    api.clearCalls();
    saveMailSettings(store, mail);
    const FtpSettings ftp{"ftp.example.com", "anon", "/pub", true, "pw"};
    saveFtpSettings(store, ftp);
    std::vector<std::string> catalogueOrder;
    for (const SettingDef& setting : kSettingsCatalogue)
        if (setting.group != SettingsGroup::MainWindow)
            catalogueOrder.emplace_back(setting.name);
    EXPECT_EQ(writtenNames(), catalogueOrder);
    EXPECT_NE(api.value(kHkeyCurrentUser, kSubKey, "FTPPw")->bytes, "pw");
    EXPECT_EQ(loadMailSettings(store), mail);
    EXPECT_EQ(loadFtpSettings(store), ftp);
}

TEST_F(PreferencesTest, FtpPassiveModeIsOffUnlessStoredAsOne) {
    EXPECT_EQ(loadFtpSettings(store), FtpSettings{});
    plant("FTPPassiveMode", "x");
    EXPECT_FALSE(loadFtpSettings(store).passiveMode);
    plant("FTPPassiveMode", "1");
    EXPECT_TRUE(loadFtpSettings(store).passiveMode);
}

} // namespace
} // namespace pictorn::app
