#include "platform/win32/handle.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <vector>

namespace pictorn::platform::win32 {
namespace {

// A scratch folder in %TEMP% with a Unicode name; everything made in it is removed again.
class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        root_ = toUtf8(temp) + "pictorn-fs-" + std::to_string(GetCurrentProcessId()) + "-Grüße";
        ASSERT_TRUE(CreateDirectoryW(toWide(root_).c_str(), nullptr));
        made_.push_back(root_);
    }
    void TearDown() override {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            const std::wstring path = toWide(*it);
            if (!DeleteFileW(path.c_str())) {
                RemoveDirectoryW(path.c_str());
            }
        }
    }
    std::string makeFile(const std::string& name) {
        const std::string path = root_ + "\\" + name;
        const Handle file{CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
        EXPECT_TRUE(file) << path;
        made_.push_back(path);
        return path;
    }

    Win32FileSystem files_;
    std::string root_;
    std::vector<std::string> made_;
};

TEST_F(FileSystemTest, OnlyExistingFilesAreReadable) {
    EXPECT_TRUE(files_.canOpenForReading(makeFile("plain.txt")));
    EXPECT_TRUE(files_.canOpenForReading(makeFile("日本 ✓.png")));
    EXPECT_FALSE(files_.canOpenForReading(root_));
    EXPECT_FALSE(files_.canOpenForReading(root_ + "\\missing.txt"));
    EXPECT_FALSE(files_.canOpenForReading(""));
}

TEST_F(FileSystemTest, AttributesAndDirectoryEntries) {
    const std::string file = makeFile("a.txt");
    EXPECT_EQ(files_.attributes(root_).value_or(0) & kAttrDirectory, kAttrDirectory);
    EXPECT_EQ(files_.attributes(file).value_or(kAttrDirectory) & kAttrDirectory, 0u);
    EXPECT_FALSE(files_.attributes(root_ + "\\missing"));

    EXPECT_EQ(files_.findEntryAttributes(root_).value_or(0) & kAttrDirectory, kAttrDirectory);
    EXPECT_TRUE(files_.findEntryAttributes(file));
    // Trailing backslashes are the caller's to strip; a pattern is never taken as a name.
    EXPECT_FALSE(files_.findEntryAttributes(root_ + "\\"));
    EXPECT_FALSE(files_.findEntryAttributes(root_ + "\\*"));
    EXPECT_FALSE(files_.findEntryAttributes(root_ + "\\a.tx?"));
    EXPECT_FALSE(files_.findEntryAttributes(root_ + "\\missing"));
}

TEST_F(FileSystemTest, CreatesDirectoriesOnce) {
    const std::string folder = root_ + "\\Orvanta ✓";
    ASSERT_TRUE(files_.createDirectory(folder));
    made_.push_back(folder);
    EXPECT_FALSE(files_.createDirectory(folder));
    EXPECT_TRUE(files_.attributes(folder));
}

TEST_F(FileSystemTest, FullPathOfRelativeAndLongPaths) {
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(toWide(root_).c_str()));
    std::string full;
    EXPECT_EQ(files_.fullPathName("sub\\..\\pic.png", full), 0u);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(full, root_ + "\\pic.png");

    const std::string longPath = "C:\\" + std::string(150, 'x') + "\\" + std::string(150, 'y');
    EXPECT_EQ(files_.fullPathName(longPath, full), 0u);
    EXPECT_EQ(full, longPath);

    full = "kept";
    EXPECT_NE(files_.fullPathName("", full), 0u);
    EXPECT_EQ(full, "kept");
}

TEST_F(FileSystemTest, ShortPathFallsBackToThePathItself) {
    const std::string file = makeFile("a rather long file name.jpeg");
    const std::string shortPath = files_.shortPathName(file);
    EXPECT_TRUE(files_.canOpenForReading(shortPath)) << shortPath;
    EXPECT_EQ(files_.shortPathName(root_ + "\\missing file"), root_ + "\\missing file");
}

TEST(FileSystem, SystemErrorTextHasNoTrailingLineBreak) {
    Win32FileSystem files;
    const std::string text = files.systemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_NE(text.back(), ' ');
    EXPECT_EQ(files.systemErrorText(0x2FFFFFFF), "");
}

} // namespace
} // namespace pictorn::platform::win32
