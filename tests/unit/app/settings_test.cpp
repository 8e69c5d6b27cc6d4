#include "app/global_routines.h"
#include "app/password_storage.h"
#include "app/settings.h"
#include "platform/app_error.h"
#include "platform/headless/fake_data_protection.h"
#include "platform/headless/memory_registry.h"
#include "platform/headless/scripted_message_box.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

namespace pictorn::app {
namespace {

constexpr std::string_view kSubKey = "Software\\Orvanta\\Pictorn";

class SettingsTest : public testing::Test {
protected:
    void SetUp() override { store.createKey(); }
    void TearDown() override {
        EXPECT_EQ(api.openHandles(), 0);
        EXPECT_TRUE(box.shown.empty());
    }

    headless::MemoryRegistry api;
    headless::ScriptedMessageBox box;
    Registry registry{api, box};
    headless::FakeDataProtection protection;
    SettingsStore store{registry, protection};
};

TEST_F(SettingsTest, EmptyStoreGivesEveryDefault) {
    // What the program starts with on a first run; nullopt leaves the control as created.
    const std::map<std::string_view, std::optional<std::string_view>> expected{
        {"Startup", "False"},
        {"Top", std::nullopt},
        {"Left", std::nullopt},
        {"AutoExit", std::nullopt},
        {"IncludeMousepointer", std::nullopt},
        {"DelayActiveWindow", "0"},
        {"PlaySound", "1"},
        {"StartMinimized", "0"},
        {"SystemTray", "0"},
        {"KeepMinimized", "0"},
        {"KeepOnTop", "0"},
        {"Editor", "Click the browse button [...]"},
        {"AutoSave", "0"},
        {"Prefix", "Pictorn_"},
        {"Extension", "4"},
        {"DefaultFolder", ""},
        {"HotKeyCTRL1", "1"},
        {"HotKeyALT1", "0"},
        {"HotKeySHIFT1", "1"},
        {"HotKeyCTRL2", "1"},
        {"HotKeyALT2", "0"},
        {"HotKeySHIFT2", "0"},
        {"HotKeyCTRL3", "1"},
        {"HotKeyALT3", "0"},
        {"HotKeySHIFT3", "0"},
        {"JPEGquality", "90"},
        {"SelectedColor", "255"},
        {"Tab", std::nullopt},
        {"Extension4Attachments", "4"},
        {"Extension4SaveAs", "5"},
        {"HotkeysTakenNoticed", ""},
        {"MailFrom", ""},
        {"MailTo", ""},
        {"MailCC", ""},
        {"MailSubject", "Screenshot"},
        {"MailSMTP", ""},
        {"MailSMTPauth", "0"},
        {"MailSMTPauthUser", ""},
        {"MailSMTPauthPW", ""},
        {"FTPServer", ""},
        {"FTPUser", ""},
        {"FTPRemoteDir", ""},
        {"FTPPassiveMode", std::nullopt},
        {"FTPPw", ""}};
    ASSERT_EQ(kSettingsCatalogue.size(), expected.size());
    for (const SettingDef& setting : kSettingsCatalogue) {
        ASSERT_TRUE(expected.contains(setting.name)) << setting.name;
        EXPECT_EQ(store.read(setting.name), expected.at(setting.name)) << setting.name;
    }
}

TEST_F(SettingsTest, CatalogueIsConsistent) {
    std::set<std::string_view> names;
    for (const SettingDef& setting : kSettingsCatalogue) {
        EXPECT_TRUE(names.insert(setting.name).second) << "duplicate " << setting.name;
        EXPECT_EQ(setting.form == StoredForm::Bytes,
                  setting.name == "MailSMTPauthPW" || setting.name == "FTPPw");
    }
    for (auto name : kWriteOrderAtClose) {
        EXPECT_TRUE(names.contains(name)) << name;
    }
    for (auto name : kWriteOrderAtDone) {
        EXPECT_TRUE(names.contains(name)) << name;
    }
    EXPECT_THROW(store.read("Prefx"), std::invalid_argument);
    EXPECT_THROW(store.write("Prefx", "x"), std::invalid_argument);
}

TEST_F(SettingsTest, OnlyThreeValuesTreatEmptyAsMissing) {
    for (const SettingDef& setting : kSettingsCatalogue) {
        if (setting.form == StoredForm::Text) {
            store.write(setting.name, "");
        }
    }
    EXPECT_EQ(store.read("Prefix"), "Pictorn_");
    EXPECT_EQ(store.read("Extension"), "4");
    EXPECT_EQ(store.read("Extension4Attachments"), "4");
    EXPECT_EQ(store.read("Editor"), "");
    EXPECT_EQ(store.read("DefaultFolder"), "");
    EXPECT_EQ(store.read("PlaySound"), "");
    EXPECT_EQ(store.read("Tab"), "");
}

TEST_F(SettingsTest, StoredTextsWinAndTheMarkerCountsAsMissing) {
    store.write("PlaySound", "x");
    store.write("Prefix", " shot ");
    store.write("DelayActiveWindow", "Error");
    EXPECT_EQ(store.read("PlaySound"), "x");
    EXPECT_EQ(store.read("Prefix"), " shot ");
    EXPECT_EQ(store.read("DelayActiveWindow"), "0");
    EXPECT_EQ(store.readRaw("DelayActiveWindow"), "Error");
    EXPECT_EQ(store.readRaw("Top"), "Error");
    EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, "Prefix")->bytes, " shot ");
}

TEST_F(SettingsTest, PasswordsAreStoredSealedForTheUserAndReadBack) {
    for (const std::string password : {"secret", "Pässwörd €😀", "Error", "@mmjm", "pass word "}) {
        store.writePassword("FTPPw", password);
        const auto stored = api.value(kHkeyCurrentUser, kSubKey, "FTPPw");
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->type, headless::kRegBinary);
        EXPECT_TRUE(stored->bytes.starts_with(kSealedPasswordMarker));
        EXPECT_EQ(stored->bytes.find(password), std::string::npos);
        EXPECT_EQ(store.readPassword("FTPPw"), password);
    }
    store.writePassword("MailSMTPauthPW", "");
    EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, "MailSMTPauthPW")->bytes, "");
    EXPECT_EQ(store.readPassword("MailSMTPauthPW"), "");
}

TEST_F(SettingsTest, OldScrambledPasswordsAreStillRead) {
    api.plant(kHkeyCurrentUser, kSubKey, "FTPPw", headless::kRegBinary, "xjhwjy");
    EXPECT_EQ(store.readPassword("FTPPw"), "secret");
    api.plant(kHkeyCurrentUser, kSubKey, "FTPPw", headless::kRegBinary,
              ScramblePassword("Pässwörd €😀"));
    EXPECT_EQ(store.readPassword("FTPPw"), "Pässwörd €😀");
    // Written again, it is sealed.
    store.writePassword("FTPPw", store.readPassword("FTPPw"));
    EXPECT_TRUE(
        api.value(kHkeyCurrentUser, kSubKey, "FTPPw")->bytes.starts_with(kSealedPasswordMarker));
}

TEST_F(SettingsTest, UnreadablePasswordsComeBackEmptyOrRaise) {
    EXPECT_EQ(store.readPassword("MailSMTPauthPW"), ""); // never written
    // Sealed for someone else (another user or machine): the user types it again.
    store.writePassword("MailSMTPauthPW", "secret");
    protection.user = "bob";
    EXPECT_EQ(store.readPassword("MailSMTPauthPW"), "");
    protection.user = "ann";
    // A damaged seal gives no password rather than a wrong one.
    std::string damaged = api.value(kHkeyCurrentUser, kSubKey, "MailSMTPauthPW")->bytes;
    damaged.back() ^= 1;
    api.plant(kHkeyCurrentUser, kSubKey, "MailSMTPauthPW", headless::kRegBinary, damaged);
    EXPECT_EQ(store.readPassword("MailSMTPauthPW"), "");
    // Bytes no scrambling can have produced cannot be unscrambled; the loaders ignore it.
    api.plant(kHkeyCurrentUser, kSubKey, "FTPPw", headless::kRegBinary, "\x02");
    try {
        store.readPassword("FTPPw");
        ADD_FAILURE() << "no error raised";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), errors::kInvalidProcedureCall);
    }
}

TEST_F(SettingsTest, APasswordIsKeptScrambledWhenTheSystemCannotSeal) {
    protection.failing = true;
    store.writePassword("FTPPw", "secret");
    EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, "FTPPw")->bytes, "xjhwjy");
    protection.failing = false;
    EXPECT_EQ(store.readPassword("FTPPw"), "secret");
}

} // namespace
} // namespace pictorn::app
