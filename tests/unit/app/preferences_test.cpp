#include "app/mail_ftp_settings.h"
#include "app/preference_table.h"
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
    const Preferences p = preferenceTable().load(store);
    EXPECT_EQ(p, defaultPreferences());
    EXPECT_FALSE(p.startedBefore || p.autoExit || p.includePointer);
    EXPECT_FALSE(p.windowTop || p.windowLeft || p.hotkeysTakenNoticed);
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
    EXPECT_EQ(p.saveAsType, "5");
}

TEST_F(PreferencesTest, UnusableValuesGiveTheDefaultButACheckBoxStaysUnchecked) {
    plant("DelayActiveWindow", "Errand"); // the two-character field shows "Er": no delay
    plant("PlaySound", "x");
    plant("Extension", "7");
    plant("Extension4Attachments", "-1");
    plant("JPEGquality", "0");
    plant("Tab", "2.6"); // rounds to 3: no such tab
    plant("HotKeyCTRL1", "yes");
    plant("SelectedColor", "16777216"); // beyond any colour
    plant("Startup", "yes");
    plant("Top", "x");
    plant("Left", "-300");
    plant("Prefix", ""); // an empty prefix and type count as missing; an empty editor does not
    plant("Editor", "");
    const Preferences p = preferenceTable().load(store);
    EXPECT_EQ(p.delaySeconds, 0);
    EXPECT_FALSE(p.playSound); // as the box is made
    EXPECT_EQ(p.extensionIndex, kPngIndex);
    EXPECT_EQ(p.attachmentExtensionIndex, kPngIndex);
    EXPECT_EQ(p.jpegQuality, 90);
    EXPECT_EQ(p.tab, 0);
    EXPECT_TRUE(p.hotkeys[0].ctrl); // a hotkey modifier takes its default, as the hotkey does
    EXPECT_EQ(p.rectangleColour, kRed);
    EXPECT_FALSE(p.startedBefore);
    EXPECT_EQ(p.windowTop, std::nullopt);
    EXPECT_EQ(p.windowLeft, -300);
    EXPECT_EQ(p.prefix, kDefaultPrefix);
    EXPECT_EQ(p.editorPath, "");
}

TEST_F(PreferencesTest, StoredDelayIsHeldWithinTheDialogsRange) {
    // The field keeps two characters of whatever was stored.
    const std::pair<std::string_view, int> cases[] = {{"99999", 60}, {"61", 60}, {"60", 60},
                                                      {"0", 0},      {"-5", 0},  {"7", 7}};
    for (const auto& [stored, seconds] : cases) {
        plant("DelayActiveWindow", stored);
        EXPECT_EQ(preferenceTable().load(store).delaySeconds, seconds) << stored;
    }
}

TEST_F(PreferencesTest, StoredPrefixTheDialogWouldRefuseGivesTheDefault) {
    // The prefix goes in front of a file name in the auto-save folder: separators or ".."
    // would carry the picture elsewhere (..\..\windows\evil_ into C:\windows).
    for (std::string_view stored : {"..\\..\\windows\\evil_", "a/b", "x:y", "shot?", "°", " "}) {
        plant("Prefix", stored);
        EXPECT_EQ(preferenceTable().load(store).prefix, kDefaultPrefix) << stored;
        EXPECT_NE(checkPrefix(stored), PrefixCheck::Usable) << stored;
    }
    for (std::string_view stored : {"my shots ", "Ärger-", "x_"}) {
        plant("Prefix", stored);
        EXPECT_EQ(preferenceTable().load(store).prefix, stored);
        EXPECT_EQ(checkPrefix(stored), PrefixCheck::Usable) << stored;
    }
}

// What Done and the close write, in their order, is what the load reads back.
TEST_F(PreferencesTest, StoredTextsComeBackInTheOrderTheyAreWritten) {
    const std::vector<std::pair<std::string_view, std::string_view>> atDone{
        {"DelayActiveWindow", "12"},
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
        {"ShowMagnifier", "0"},
        {"Tab", "2"}};
    const std::vector<std::pair<std::string_view, std::string_view>> atClose{
        {"Top", "-120"},
        {"Left", "300"},
        {"AutoExit", "True"},
        {"IncludeMousepointer", "False"},
        {"Startup", "True"}};
    for (const auto& [name, text] : atDone)
        plant(name, text);
    for (const auto& [name, text] : atClose)
        plant(name, text);
    Preferences p = preferenceTable().load(store);
    EXPECT_EQ(p.hotkeys[2].prefix(), "ALT+SHIFT+");
    EXPECT_EQ(p.rectangleColour, kYellow);
    EXPECT_FALSE(p.showMagnifier);
    EXPECT_TRUE(defaultPreferences().showMagnifier);
    api.clearCalls();
    EXPECT_TRUE(savePreferencesAtDone(store, p));
    EXPECT_EQ(writtenNames().size(), atDone.size());
    for (std::size_t i = 0; i < atDone.size(); ++i) {
        EXPECT_EQ(writtenNames()[i], atDone[i].first);
        EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, atDone[i].first)->bytes, atDone[i].second);
    }
    api.clearCalls();
    preferenceTable().save(store, p, Written::AtClose);
    for (std::size_t i = 0; i < atClose.size(); ++i)
        EXPECT_EQ(writtenNames().at(i), atClose[i].first);
    // Auto-save off: its three values keep what was stored; on without a folder: Done stops
    // before the folder.
    p.autoSave = false;
    api.clearCalls();
    savePreferencesAtDone(store, p);
    EXPECT_EQ(writtenNames().size(), atDone.size() - 3);
    p.autoSave = true;
    p.defaultFolder = " ";
    api.clearCalls();
    EXPECT_FALSE(savePreferencesAtDone(store, p));
    EXPECT_EQ(writtenNames().back(), "Extension");
}

TEST_F(PreferencesTest, MailSettingsReadTheLoginOnlyWithAuthentication) {
    plant("MailTo", "a@example.com");
    plant("MailSMTPauthUser", "me");
    store.writePassword("MailSMTPauthPW", "secret");
    MailSettings mail = mailSettingsTable().load(store);
    EXPECT_EQ(mail.to, "a@example.com");
    EXPECT_EQ(mail.subject, "Screenshot");
    EXPECT_FALSE(mail.authenticate);
    EXPECT_EQ(mail.user, "");
    EXPECT_EQ(mail.password, "");

    plant("MailSMTPauth", "1");
    mail = mailSettingsTable().load(store);
    EXPECT_TRUE(mail.authenticate);
    EXPECT_EQ(mail.user, "me");
    EXPECT_EQ(mail.password, "secret");

    // Bytes that no scrambling produced give an empty password, silently.
    api.plant(kHkeyCurrentUser, kSubKey, "MailSMTPauthPW", headless::kRegBinary, "\x02");
    EXPECT_EQ(mailSettingsTable().load(store).password, "");
}

TEST_F(PreferencesTest, MailAndFtpSettingsAreSavedInTheirOrderAndReadBack) {
    const MailSettings mail{
        // "Error" was once what a failed read answered: it is a subject like any other.
        "me@example.com", "you@example.com", "", "Error", "smtp.example.com", true, "me",
        "pässwörd"};
    api.clearCalls();
    mailSettingsTable().save(store, mail, Written::AtClose);
    const FtpSettings ftp{"ftp.example.com", "anon", "/pub", true, "pw"};
    ftpSettingsTable().save(store, ftp, Written::AtClose);
    EXPECT_EQ(writtenNames(), (std::vector<std::string>{
                                  "MailFrom", "MailTo", "MailCC", "MailSubject", "MailSMTP",
                                  "MailSMTPauth", "MailSMTPauthUser", "MailSMTPauthPW", "FTPServer",
                                  "FTPUser", "FTPRemoteDir", "FTPPassiveMode", "FTPPw"}));
    EXPECT_NE(api.value(kHkeyCurrentUser, kSubKey, "FTPPw")->bytes, "pw");
    EXPECT_EQ(mailSettingsTable().load(store), mail);
    EXPECT_EQ(ftpSettingsTable().load(store), ftp);
}

TEST_F(PreferencesTest, FtpPassiveModeIsOffUnlessStoredAsOne) {
    EXPECT_EQ(ftpSettingsTable().load(store), ftpSettingsTable().defaults());
    plant("FTPPassiveMode", "x");
    EXPECT_FALSE(ftpSettingsTable().load(store).passiveMode);
    plant("FTPPassiveMode", "1");
    EXPECT_TRUE(ftpSettingsTable().load(store).passiveMode);
}

} // namespace
} // namespace pictorn::app
