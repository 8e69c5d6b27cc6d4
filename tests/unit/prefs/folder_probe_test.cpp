#include "app/conversions.h"
#include "platform/headless/memory_file_system.h"
#include "prefs/field_text.h"
#include "prefs/folder_probe.h"

#include <gtest/gtest.h>

namespace pictorn::prefs {
namespace {

// Records what the probe makes and deletes.
class WatchedFiles : public headless::MemoryFileSystem {
public:
    std::uint32_t createNewFile(std::string_view path) override {
        created.emplace_back(path);
        return MemoryFileSystem::createNewFile(path);
    }
    std::uint32_t deleteFile(std::string_view path) override {
        deleted.emplace_back(path);
        return MemoryFileSystem::deleteFile(path);
    }
    std::vector<std::string> created, deleted;
};

TEST(FolderProbe, UsesAFreeNameAndRemovesOnlyWhatItMade) {
    WatchedFiles files;
    files.addFolder("C:\\Shots");
    EXPECT_EQ(probeFolderForWriting(files, "C:\\Shots"), ProbeResult::Writable);
    EXPECT_EQ(files.created, std::vector<std::string>{"C:\\Shots\\test.txt"});
    EXPECT_EQ(files.deleted, files.created);
    EXPECT_FALSE(files.exists("C:\\Shots\\test.txt"));

    // The user's own test.txt, and a folder of the next name, are left alone.
    files.created.clear();
    files.deleted.clear();
    files.addFile("C:\\Shots\\TEST.TXT", "keep me");
    files.addFolder("C:\\Shots\\test_1.txt");
    EXPECT_EQ(probeFolderForWriting(files, "C:\\Shots\\"), ProbeResult::Writable);
    EXPECT_EQ(files.created, std::vector<std::string>{"C:\\Shots\\test_2.txt"});
    EXPECT_EQ(files.deleted, files.created);
    EXPECT_EQ(files.contents("C:\\Shots\\test.txt"), "keep me");
    EXPECT_TRUE(files.isFolder("C:\\Shots\\test_1.txt"));
    EXPECT_FALSE(files.exists("C:\\Shots\\test_2.txt"));
}

TEST(FolderProbe, TellsRefusalFromAPathThatLeadsNowhere) {
    WatchedFiles files;
    files.addFolder("D:\\ReadOnly");
    files.denyNewFiles("D:\\ReadOnly");
    EXPECT_EQ(probeFolderForWriting(files, "D:\\ReadOnly"), ProbeResult::Refused);
    EXPECT_EQ(probeFolderForWriting(files, "C:\\Missing"), ProbeResult::Unreachable);
    EXPECT_TRUE(files.deleted.empty());
    EXPECT_EQ(probeFileName(0), "test.txt");
    EXPECT_EQ(probeFileName(12), "test_12.txt");
}

TEST(FieldText, TrimLowerAndTheReservedLine) {
    EXPECT_EQ(app::trim("  a b \t "), "a b \t");
    EXPECT_EQ(app::trim("   "), "");
    EXPECT_EQ(lowerCase("C:\\PROGRAMME\\Äbc ŁÓDŹ ΣΩ ЖЁ x.EXE"),
              "c:\\programme\\äbc łódź σω жё x.exe");
    EXPECT_EQ(lowerCase("\xFF\xC3"), "\xFF\xC3"); // broken bytes pass unchanged
    const std::string line = reservedCharactersLine();
    std::size_t codePoints = 0;
    for (char c : line)
        codePoints += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    EXPECT_EQ(codePoints, 65u);
    EXPECT_TRUE(line.starts_with(" * < >"));
    EXPECT_TRUE(line.ends_with(" ~ ^ "));
    EXPECT_TRUE(noPathGiven(""));
    EXPECT_TRUE(noPathGiven("Click the browse button [...]"));
    EXPECT_FALSE(noPathGiven(" "));
}

} // namespace
} // namespace pictorn::prefs
