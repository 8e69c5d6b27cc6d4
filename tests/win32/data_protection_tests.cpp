#include "app/password_storage.h"
#include "platform/win32/win32_data_protection.h"

#include <gtest/gtest.h>

#include <vector>

namespace pictorn::platform::win32 {
namespace {

TEST(DataProtection, SealsForThisUserAndOpensAgain) {
    Win32DataProtection protection;
    for (const std::string& plain :
         std::vector<std::string>{"secret", "Pässwörd €😀 Снимок 屏幕", std::string(300, 'x')}) {
        const auto sealed = protection.protect(plain);
        ASSERT_TRUE(sealed);
        EXPECT_EQ(sealed->find(plain), std::string::npos);
        EXPECT_EQ(protection.unprotect(*sealed), plain);

        const std::string stored = app::StoredPasswordForm(protection, plain);
        EXPECT_TRUE(stored.starts_with(app::kSealedPasswordMarker));
        EXPECT_EQ(app::PasswordFromStoredForm(protection, stored), plain);
    }
}

TEST(DataProtection, ADamagedSealNeverGivesAWrongPassword) {
    Win32DataProtection protection;
    const std::string stored = app::StoredPasswordForm(protection, "secret");
    ASSERT_TRUE(stored.starts_with(app::kSealedPasswordMarker));
    for (std::size_t at = app::kSealedPasswordMarker.size(); at < stored.size(); ++at) {
        std::string damaged = stored;
        damaged[at] ^= 0x55;
        const std::string password = app::PasswordFromStoredForm(protection, damaged);
        EXPECT_TRUE(password.empty() || password == "secret") << "byte " << at;
    }
    EXPECT_FALSE(protection.unprotect(""));
    EXPECT_EQ(app::PasswordFromStoredForm(protection, app::kSealedPasswordMarker), "");
}

} // namespace
} // namespace pictorn::platform::win32
