#include "platform/win32/handle.h"
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>

#include <vector>

namespace pictorn::platform::win32 {
namespace {

constexpr RegHandle kCurrentUser = 0x80000001;
constexpr RegHandle kLocalMachine = 0x80000002;

// Each run works below HKCU\Software\PictornTests\<pid> and removes it afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        subKey_ = "Software\\PictornTests\\" + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(registry_.createKey(kCurrentUser, subKey_), kRegOk);
        ASSERT_EQ(registry_.openKey(kCurrentUser, subKey_, kKeyRead | kKeyWrite, key_), kRegOk);
    }
    void TearDown() override {
        registry_.closeKey(key_);
        const std::wstring wide(subKey_.begin(), subKey_.end());
        RegDeleteTreeW(HKEY_CURRENT_USER, wide.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\PictornTests"); // only when empty
    }
    void setRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(toHkey(key_), name, 0, type, static_cast<const BYTE*>(data), size),
                  0);
    }
    std::string readText(std::string_view name, long expected = kRegOk) {
        std::string text = "untouched";
        EXPECT_EQ(registry_.queryText(key_, name, text), expected) << name;
        return text;
    }

    Win32Registry registry_;
    std::string subKey_;
    RegHandle key_ = 0;
};

TEST_F(RegistryTest, TextRoundTripsExactly) {
    std::string longText;
    for (int i = 0; longText.size() < 100000; ++i) {
        longText += (i % 7 == 0) ? "日" : std::string(1, static_cast<char>('a' + i % 26));
    }
    const std::string samples[] = {"abc", "  abc  ", "", "Grüße 日本 ✓", longText};
    for (const std::string& text : samples) {
        ASSERT_EQ(registry_.setText(key_, "Value", text), kRegOk);
        EXPECT_EQ(readText("Value"), text);
    }
    // The default (unnamed) value is a value like any other.
    ASSERT_EQ(registry_.setText(key_, "", "default"), kRegOk);
    EXPECT_EQ(readText(""), "default");
}

TEST_F(RegistryTest, TextIsStoredAsUnicodeStringWithoutCountedTerminator) {
    ASSERT_EQ(registry_.setText(key_, "Name", "ab✓"), kRegOk);
    DWORD type = 0;
    wchar_t data[8] = {};
    DWORD size = sizeof(data);
    ASSERT_EQ(RegQueryValueExW(toHkey(key_), L"Name", nullptr, &type, reinterpret_cast<BYTE*>(data),
                               &size),
              0);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(data, 3), L"ab\u2713");
    EXPECT_TRUE(size == 6 || size == 8) << size; // the system may add the zero itself
}

TEST_F(RegistryTest, ReadsTextOfOtherWritersAndRejectsOtherTypes) {
    const wchar_t zeros[] = L"abc\0\0";
    setRaw(L"Terminated", REG_SZ, zeros, sizeof(zeros));
    EXPECT_EQ(readText("Terminated"), "abc");
    const wchar_t expand[] = L"%TEMP%\\x";
    setRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
    EXPECT_EQ(readText("Expand"), "%TEMP%\\x");

    const DWORD number = 42;
    setRaw(L"Number", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(readText("Number", kRegInvalidDataType), "untouched");
    const std::uint8_t bytes[] = {1, 2};
    ASSERT_EQ(registry_.setBinary(key_, "Bytes", bytes), kRegOk);
    readText("Bytes", kRegInvalidDataType);
}

TEST_F(RegistryTest, BinaryRoundTripsAnyBytesOfAnyType) {
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) {
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    }
    std::string bytes;
    ASSERT_EQ(registry_.setBinary(key_, "All", all), kRegOk);
    ASSERT_EQ(registry_.queryBinary(key_, "All", bytes), kRegOk);
    EXPECT_EQ(bytes, std::string(all.begin(), all.end()));

    ASSERT_EQ(registry_.setBinary(key_, "Empty", {}), kRegOk);
    ASSERT_EQ(registry_.queryBinary(key_, "Empty", bytes), kRegOk);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(readText("Empty", kRegInvalidDataType), "untouched");

    ASSERT_EQ(registry_.setText(key_, "Text", "hi"), kRegOk);
    ASSERT_EQ(registry_.queryBinary(key_, "Text", bytes), kRegOk);
    EXPECT_EQ(bytes.substr(0, 4), std::string("h\0i\0", 4));
}

TEST_F(RegistryTest, MissingKeysAndValuesReportNotFound) {
    std::string bytes;
    readText("Nothing", kRegFileNotFound);
    EXPECT_EQ(registry_.queryBinary(key_, "Nothing", bytes), kRegFileNotFound);
    RegHandle missing = 0;
    EXPECT_EQ(registry_.openKey(kCurrentUser, subKey_ + "\\Missing", kKeyRead, missing),
              kRegFileNotFound);
    EXPECT_EQ(missing, 0u);
}

TEST_F(RegistryTest, HivesAreAddressedByTheirNumbersAndNeverClosed) {
    EXPECT_EQ(toHkey(kCurrentUser), HKEY_CURRENT_USER);
    EXPECT_EQ(toHkey(0x80000000), HKEY_CLASSES_ROOT);
    EXPECT_EQ(fromHkey(HKEY_LOCAL_MACHINE), kLocalMachine);

    RegHandle machine = 0;
    ASSERT_EQ(registry_.openKey(kLocalMachine, "Software", kKeyRead, machine), kRegOk);
    EXPECT_EQ(registry_.closeKey(machine), kRegOk);

    ASSERT_EQ(registry_.createKey(kCurrentUser, subKey_ + "\\A\\B"), kRegOk);
    EXPECT_EQ(registry_.closeKey(kCurrentUser), kRegOk);
    RegHandle nested = 0;
    ASSERT_EQ(registry_.openKey(kCurrentUser, subKey_ + "\\A\\B", kKeyRead, nested), kRegOk);
    EXPECT_EQ(registry_.closeKey(nested), kRegOk);
}

} // namespace
} // namespace pictorn::platform::win32
