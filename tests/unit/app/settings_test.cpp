#include "app/global_routines.h"
#include "app/password_storage.h"
#include "app/settings.h"
#include "platform/app_error.h"
#include "platform/headless/fake_data_protection.h"
#include "platform/headless/memory_registry.h"
#include "platform/headless/scripted_message_box.h"

#include <gtest/gtest.h>

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

TEST_F(SettingsTest, TextsComeBackAsStoredAndAFailedReadAsNothing) {
    store.writeText("Prefix", " shot ");
    EXPECT_EQ(store.readText("Prefix"), " shot ");
    EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, "Prefix")->bytes, " shot ");
    EXPECT_EQ(store.readText("Top"), std::nullopt);
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
