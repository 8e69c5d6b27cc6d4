#include "app/password_storage.h"
#include "platform/win32/win32_data_protection.h"

#include <gtest/gtest.h>

namespace pictorn::platform::win32 {
namespace {

TEST(DataProtection, SealsForThisUserAndOpensAgain) {
    Win32DataProtection protection;
    for (const std::string plain : {"secret", "Pässwörd €😀 Снимок 屏幕", std::string(300, 'x')}) {
        const auto sealed = protection.protect(plain);
        ASSERT_TRUE(sealed);
        EXPECT_EQ(sealed->find(plain), std::string::npos);
        EXPECT_EQ(protection.unprotect(*sealed), plain);

        const std::string stored = app::StoredPasswordForm(protection, plain);
        EXPECT_TRUE(stored.starts_with(app::kSealedPasswordMarker));
        EXPECT_EQ(app::PasswordFromStoredForm(protection, stored), plain);
    }
}

TEST(DataProtection, DamagedSealsDoNotOpen) {
    Win32DataProtection protection;
    auto sealed = protection.protect("secret");
    ASSERT_TRUE(sealed);
    (*sealed)[sealed->size() / 2] ^= 0x55;
    EXPECT_FALSE(protection.unprotect(*sealed));
    EXPECT_FALSE(protection.unprotect(""));
    const std::string stored = std::string(app::kSealedPasswordMarker) + *sealed;
    EXPECT_EQ(app::PasswordFromStoredForm(protection, stored), "");
}

} // namespace
} // namespace pictorn::platform::win32
