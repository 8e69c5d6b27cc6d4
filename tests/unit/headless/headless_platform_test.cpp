#include "platform/headless/fake_clock.h"
#include "platform/headless/memory_file_system.h"
#include "platform/headless/memory_registry.h"

#include <gtest/gtest.h>

#include <array>

namespace pictorn::headless {
namespace {

TEST(MemoryFileSystem, ResolvesPathsLikeWindows) {
    MemoryFileSystem files;
    files.currentDirectory = "C:\\work\\";
    EXPECT_EQ(files.resolve("C:\\a\\..\\b\\.\\c"), "C:\\b\\c");
    EXPECT_EQ(files.resolve("x\\y"), "C:\\work\\x\\y");
    EXPECT_EQ(files.resolve("..\\..\\..\\z"), "C:\\z");
    EXPECT_EQ(files.resolve("\\top"), "C:\\top");
    EXPECT_EQ(files.resolve("C:/a//b/"), "C:\\a\\b\\");
    EXPECT_EQ(files.resolve("C:\\a\\file. .."), "C:\\a\\file");
    EXPECT_EQ(files.resolve("C:x"), "C:\\work\\x");
    EXPECT_EQ(files.resolve("D:x"), "D:\\x");
    EXPECT_EQ(files.resolve("\\\\srv\\share\\..\\x"), "\\\\srv\\share\\x");
    EXPECT_EQ(files.resolve(""), std::nullopt);
}

TEST(MemoryFileSystem, FoldersAndFilesIgnoreLetterCase) {
    MemoryFileSystem files;
    files.addFile("C:\\Data\\Pic.PNG", "bytes");
    EXPECT_EQ(files.contents("c:\\data\\pic.png"), "bytes");
    EXPECT_TRUE(files.isFolder("C:\\DATA"));
    EXPECT_FALSE(files.exists("C:\\Data\\Pic.PNG\\"));
    EXPECT_FALSE(files.createDirectory("C:\\missing\\child"));
    EXPECT_FALSE(files.createDirectory("C:\\data"));
    EXPECT_TRUE(files.createDirectory("C:\\data\\new\\"));
    EXPECT_EQ(files.createdDirectories, std::vector<std::string>{"C:\\data\\new"});
    EXPECT_EQ(files.findEntryAttributes("C:\\"), std::nullopt);
    EXPECT_EQ(files.findEntryAttributes("C:\\Data"), platform::kAttrDirectory);
    files.remove("C:\\data");
    EXPECT_FALSE(files.exists("C:\\data\\pic.png"));
}

TEST(MemoryRegistry, EnforcesAccessAndHandles) {
    MemoryRegistry registry;
    registry.createKey(0x80000001, "Software\\Test");
    EXPECT_TRUE(registry.keyExists(0x80000001, "SOFTWARE"));
    platform::RegHandle key = 0;
    ASSERT_EQ(registry.openKey(0x80000001, "software\\test", platform::kKeyRead, key), 0);
    EXPECT_EQ(registry.setText(key, "V", "x"), platform::kRegAccessDenied);
    EXPECT_EQ(registry.closeKey(key), 0);
    EXPECT_EQ(registry.closeKey(key), platform::kRegInvalidHandle);
    EXPECT_EQ(registry.openKey(0x80000001, "Software\\None", platform::kKeyRead, key),
              platform::kRegFileNotFound);
    EXPECT_EQ(registry.openKey(0x12, "", platform::kKeyRead, key), platform::kRegInvalidHandle);
    registry.plant(0x80000001, "Software\\Test", "Sz", kRegSz, std::string("abc\0", 4));
    ASSERT_EQ(registry.openKey(0x80000001, "Software\\Test", platform::kKeyRead, key), 0);
    std::string text;
    EXPECT_EQ(registry.queryText(key, "sz", text), 0);
    EXPECT_EQ(text, "abc");
    registry.closeKey(key);
    EXPECT_EQ(registry.openHandles(), 0);
    // A closed handle stays closed when a later open takes its place, and the same path
    // under another hive is another key.
    platform::RegHandle later = 0;
    ASSERT_EQ(registry.openKey(0x80000001, "Software\\Test", platform::kKeyRead, later), 0);
    EXPECT_NE(later, key);
    EXPECT_EQ(registry.queryText(key, "sz", text), platform::kRegInvalidHandle);
    EXPECT_EQ(registry.queryText(later, "SZ", text), 0);
    EXPECT_EQ(registry.closeKey(later), 0);
    EXPECT_FALSE(registry.keyExists(0x80000002, "Software\\Test"));
}

TEST(FakeClock, AdvancesAcrossCalendarBoundaries) {
    FakeClock clock;
    clock.time = {2023, 12, 31, 23, 59, 59};
    clock.advance(600);
    EXPECT_EQ(clock.now().second, 59);
    clock.advance(400);
    const auto t = clock.now();
    EXPECT_EQ((std::array{t.year, t.month, t.day, t.hour, t.minute, t.second}),
              (std::array{2024, 1, 1, 0, 0, 0}));
    clock.time = {2024, 2, 28, 12, 0, 0};
    clock.advance(24LL * 3600 * 1000);
    EXPECT_EQ(clock.now().day, 29);
    EXPECT_EQ(clock.monotonicMs(), 1000 + 24LL * 3600 * 1000);
}

} // namespace
} // namespace pictorn::headless
