#include "platform/win32/handle.h"

#include <gtest/gtest.h>

#include <vector>

namespace pictorn::platform::win32 {
namespace {

// Records every close so double closes and leaks show up as wrong lists.
struct FakeTraits {
    using pointer = int;
    static inline std::vector<int> closed;
    static pointer invalid() noexcept { return 0; }
    static void close(pointer h) noexcept { closed.push_back(h); }
};
using Fake = UniqueHandle<FakeTraits>;

class UniqueHandleTest : public ::testing::Test {
protected:
    void SetUp() override { FakeTraits::closed.clear(); }
};

TEST_F(UniqueHandleTest, ClosesOnceWhateverPathOwnershipTakes) {
    {
        Fake empty;
        Fake a{1};
        Fake b{std::move(a)};
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 1);
        Fake c{2};
        c = std::move(b); // 2 closes now, 1 moves into c
        EXPECT_EQ(FakeTraits::closed, (std::vector<int>{2}));
        auto& self = c;
        c = std::move(self);
        EXPECT_EQ(c.get(), 1);
    }
    EXPECT_EQ(FakeTraits::closed, (std::vector<int>{2, 1}));
}

TEST_F(UniqueHandleTest, ReleaseResetAndPut) {
    Fake a{3};
    EXPECT_EQ(a.release(), 3);
    EXPECT_FALSE(a);
    a.reset(4);
    a.reset(4); // the same handle again must not be closed under us
    EXPECT_TRUE(FakeTraits::closed.empty());
    a.reset(5);
    int* out = a.put();
    EXPECT_EQ(*out, 0);
    *out = 6;
    a.reset();
    EXPECT_EQ(FakeTraits::closed, (std::vector<int>{4, 5, 6}));
}

TEST(Win32Handles, KernelHandleIsClosedAtScopeEnd) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        Handle event{raw};
        DWORD flags = 0;
        EXPECT_TRUE(GetHandleInformation(raw, &flags));
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags));
    EXPECT_FALSE(Handle{INVALID_HANDLE_VALUE});
    EXPECT_FALSE(FindHandle{INVALID_HANDLE_VALUE});
}

TEST(Win32Handles, PredefinedHivesAreNeverOwned) {
    EXPECT_TRUE(isPredefinedKey(HKEY_CLASSES_ROOT));
    EXPECT_TRUE(isPredefinedKey(HKEY_CURRENT_CONFIG));
    EXPECT_TRUE(isPredefinedKey(reinterpret_cast<HKEY>(std::uintptr_t{0x80000001})));
    { RegKey hive{HKEY_CURRENT_USER}; }
    RegKey software;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, software.put()), 0);
    EXPECT_TRUE(software);
    EXPECT_FALSE(isPredefinedKey(software.get()));
}

TEST(Win32Handles, SelectObjectGuardRestoresPreviousObject) {
    CreatedDc dc{CreateCompatibleDC(nullptr)};
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
    Bitmap bitmap{CreateBitmap(4, 4, 1, 32, nullptr)};
    ASSERT_TRUE(bitmap);
    {
        SelectObjectGuard guard(dc.get(), bitmap.get());
        EXPECT_TRUE(guard.selected());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
    // Deselected, so deleting it really frees it.
    EXPECT_TRUE(DeleteObject(bitmap.release()));
}

TEST(Win32Handles, WindowDcMovesWithItsWindow) {
    WindowDc screen = windowDc(nullptr);
    ASSERT_TRUE(screen);
    WindowDc moved{std::move(screen)};
    EXPECT_FALSE(screen);
    EXPECT_EQ(moved.get().window, nullptr);
    EXPECT_EQ(GetDeviceCaps(moved.get().dc, BITSPIXEL) > 0, true);
}

} // namespace
} // namespace pictorn::platform::win32
