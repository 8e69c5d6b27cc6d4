#include "app/registry.h"
#include "platform/headless/memory_registry.h"
#include "platform/headless/scripted_message_box.h"

#include <gtest/gtest.h>

namespace pictorn::app {
namespace {

using headless::kRegBinary;
using headless::kRegDword;
using headless::kRegSz;
using headless::MemoryRegistry;

constexpr std::string_view kKey = "HKEY_CURRENT_USER\\Software\\Orvanta\\Pictorn";
constexpr std::string_view kSubKey = "Software\\Orvanta\\Pictorn";

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { registry.CreateKey(kKey); }
    // Whatever a test did, no key may stay open behind it.
    void TearDown() override { EXPECT_EQ(api.openHandles(), 0); }

    MemoryRegistry api;
    headless::ScriptedMessageBox box;
    Registry registry{api, box};
};

TEST_F(RegistryTest, UnreadableValuesReadAsNothing) {
    EXPECT_EQ(registry.ReadTextValue(kKey, "NeverWritten"), std::nullopt);
    EXPECT_EQ(registry.ReadBinaryValue(kKey, "NeverWritten"), std::nullopt);
    EXPECT_EQ(registry.ReadTextValue("HKEY_CURRENT_USER\\Software\\Missing", "Any"), std::nullopt);
    EXPECT_EQ(registry.ReadBinaryValue("HKEY_CURRENT_USER\\Software\\Missing", "Any"),
              std::nullopt);
    // A value of another type is not a text.
    api.plant(kHkeyCurrentUser, kSubKey, "Bin", kRegBinary, "abc");
    api.plant(kHkeyCurrentUser, kSubKey, "Num", kRegDword, std::string("\x01\0\0\0", 4));
    EXPECT_EQ(registry.ReadTextValue(kKey, "Bin"), std::nullopt);
    EXPECT_EQ(registry.ReadTextValue(kKey, "Num"), std::nullopt);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(RegistryTest, TextReadsBackExactlyAsWritten) {
    const std::string texts[] = {
        "abc", "  abc  ", "", " ", std::string(100000, 'x') + "end", "Grüße, 日本 😀", "a\tb\r\nc"};
    for (const std::string& text : texts) {
        registry.WriteTextValue(kKey, "Value", text);
        EXPECT_EQ(registry.ReadTextValue(kKey, "Value"), text) << text.substr(0, 20);
        EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, "Value"),
                  (MemoryRegistry::Value{kRegSz, text}));
    }
}

TEST_F(RegistryTest, BytesHoldOneBytePerCharacter) {
    registry.WriteBinaryValue(kKey, "Bytes", "abc");
    EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, "Bytes"),
              (MemoryRegistry::Value{kRegBinary, "\x61\x62\x63"}));
    EXPECT_EQ(registry.ReadBinaryValue(kKey, "Bytes"), "abc");

    registry.WriteBinaryValue(kKey, "Empty", "");
    EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, "Empty"),
              (MemoryRegistry::Value{kRegBinary, ""}));
    EXPECT_EQ(registry.ReadBinaryValue(kKey, "Empty"), "");

    registry.WriteBinaryValue(kKey, "Wide", "é\xff");
    EXPECT_EQ(api.value(kHkeyCurrentUser, kSubKey, "Wide")->bytes, "\xc3\xa9\xff");
    EXPECT_EQ(registry.ReadBinaryValue(kKey, "Wide"), "é\xff");
}

TEST_F(RegistryTest, WritesNeverCreateTheKey) {
    registry.WriteTextValue("HKEY_CURRENT_USER\\Software\\Other", "V", "x");
    registry.WriteBinaryValue("HKEY_CURRENT_USER\\Software\\Other", "V", "x");
    EXPECT_FALSE(api.keyExists(kHkeyCurrentUser, "Software\\Other"));
    EXPECT_EQ(api.valueCount(), 0u);
}

TEST_F(RegistryTest, CreateKeyMakesMissingParents) {
    registry.CreateKey("HKEY_LOCAL_MACHINE\\A\\B\\C");
    EXPECT_TRUE(api.keyExists(kHkeyLocalMachine, "A"));
    EXPECT_TRUE(api.keyExists(kHkeyLocalMachine, "A\\B\\C"));
}

TEST_F(RegistryTest, FailedWritesAreSilentAndCloseTheKey) {
    api.denyWrites = true;
    registry.WriteTextValue(kKey, "V", "x");
    registry.WriteBinaryValue(kKey, "V", "x");
    EXPECT_EQ(api.valueCount(), 0u);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(RegistryTest, HiveAloneAddressesItsRoot) {
    registry.WriteTextValue("HKEY_CURRENT_USER", "RootValue", "r");
    EXPECT_EQ(api.value(kHkeyCurrentUser, "", "RootValue")->bytes, "r");
    EXPECT_EQ(registry.ReadTextValue("HKEY_CURRENT_USER", "RootValue"), "r");
}

TEST_F(RegistryTest, MalformedPathsShowTheBoxAndTouchNothing) {
    const std::string paths[] = {"Software\\Orvanta", "hkey_current_user\\Software",
                                 "HKEY_CURRENT_USER\\Software\\", ""};
    for (const std::string& path : paths) {
        api.clearCalls();
        box.shown.clear();
        registry.CreateKey(path);
        registry.WriteTextValue(path, "V", "x");
        registry.WriteBinaryValue(path, "V", "x");
        EXPECT_EQ(registry.ReadTextValue(path, "V"), "");
        EXPECT_EQ(registry.ReadBinaryValue(path, "V"), "");
        EXPECT_TRUE(api.calls().empty()) << path;
        ASSERT_EQ(box.shown.size(), 5u) << path;
        EXPECT_EQ(box.last().text, "Incorrect Format:\n\n" + path);
        EXPECT_EQ(box.last().flags, 0u);
        EXPECT_EQ(box.last().title, "Pictorn");
    }
}

TEST_F(RegistryTest, UnknownHiveDoesNothingSilently) {
    api.clearCalls();
    const std::string path = "HKEY_ELSEWHERE\\Software";
    registry.CreateKey(path);
    registry.WriteTextValue(path, "V", "x");
    EXPECT_EQ(registry.ReadTextValue(path, "V"), "");
    EXPECT_EQ(registry.ReadBinaryValue(path, "V"), "");
    EXPECT_TRUE(api.calls().empty());
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(RegistryTest, ParseKeyPathSplitsHiveFromSubKey) {
    std::string path = "HKEY_LOCAL_MACHINE\\Software\\A";
    platform::RegHandle hive = 0;
    registry.ParseKeyPath(path, hive);
    EXPECT_EQ(hive, kHkeyLocalMachine);
    EXPECT_EQ(path, "Software\\A");

    path = "HKEY_DYN_DATA";
    registry.ParseKeyPath(path, hive);
    EXPECT_EQ(hive, kHkeyDynData);
    EXPECT_EQ(path, "");

    EXPECT_EQ(Registry::HiveFromName("HKEY_CLASSES_ROOT"), kHkeyClassesRoot);
    EXPECT_EQ(Registry::HiveFromName("HKEY_CURRENT_CONFIG"), kHkeyCurrentConfig);
    EXPECT_EQ(Registry::HiveFromName("HKEY_Current_User"), 0u);
}

} // namespace
} // namespace pictorn::app
