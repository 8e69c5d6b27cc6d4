#include "platform/win32/handle.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace pictorn::platform::win32 {
namespace {

std::vector<std::uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// A scratch folder in %TEMP%; everything in it is removed again.
class FileWritingTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        root_ = toUtf8(temp) + "pictorn-write-" + std::to_string(GetCurrentProcessId()) + "-ÄÖ";
        ASSERT_TRUE(CreateDirectoryW(toWide(root_).c_str(), nullptr));
    }
    void TearDown() override {
        for (const std::string& name : entries()) {
            const std::wstring path = toWide(root_ + "\\" + name);
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(path.c_str())) {
                RemoveDirectoryW(path.c_str());
            }
        }
        RemoveDirectoryW(toWide(root_).c_str());
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAW data{};
        const FindHandle search{FindFirstFileW(toWide(root_ + "\\*").c_str(), &data)};
        if (search) {
            do {
                const std::wstring name = data.cFileName;
                if (name != L"." && name != L"..") {
                    names.push_back(toUtf8(name));
                }
            } while (FindNextFileW(search.get(), &data));
        }
        return names;
    }
    std::string content(const std::string& path) {
        const auto read = files_.readFile(path);
        return read ? std::string(read->begin(), read->end()) : "<unreadable>";
    }

    Win32FileSystem files_;
    std::string root_;
};

TEST_F(FileWritingTest, CreatesAndReplacesFilesLeavingNothingElseBehind) {
    const std::string path = root_ + "\\Bild 日本.png";
    ASSERT_EQ(files_.writeFileReplacing(path, bytes("first version, rather long")), 0u);
    EXPECT_EQ(content(path), "first version, rather long");
    ASSERT_EQ(files_.writeFileReplacing(path, bytes("second")), 0u);
    EXPECT_EQ(content(path), "second");
    ASSERT_EQ(files_.writeFileReplacing(path, {}), 0u);
    EXPECT_EQ(content(path), "");
    EXPECT_EQ(entries(), std::vector<std::string>{"Bild 日本.png"});

    // Bigger than one write, so the loop over chunks is exercised.
    std::vector<std::uint8_t> big(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 7);
    }
    ASSERT_EQ(files_.writeFileReplacing(path, big), 0u);
    EXPECT_EQ(files_.readFile(path), big);

    // Content made while it is written: all its pieces in order, or, when making it fails,
    // the old file untouched and no temporary file left.
    ASSERT_EQ(files_.writeFileReplacingFrom(path,
                                            [](const auto& write) {
                                                write(bytes("made "));
                                                write(bytes("in pieces"));
                                            }),
              0u);
    EXPECT_EQ(content(path), "made in pieces");
    EXPECT_THROW(files_.writeFileReplacingFrom(path,
                                               [](const auto& write) {
                                                   write(bytes("half"));
                                                   throw std::length_error("too large");
                                               }),
                 std::length_error);
    EXPECT_EQ(content(path), "made in pieces");
    EXPECT_EQ(entries(), std::vector<std::string>{"Bild 日本.png"});
}

TEST_F(FileWritingTest, FailuresReportACodeAndLeaveTheOldFileIntact) {
    EXPECT_EQ(files_.writeFileReplacing(root_ + "\\missing\\a.png", bytes("x")),
              static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_NE(files_.writeFileReplacing(root_ + "\\", bytes("x")), 0u);
    EXPECT_NE(files_.writeFileReplacing("", bytes("x")), 0u);
    ASSERT_TRUE(CreateDirectoryW(toWide(root_ + "\\folder.png").c_str(), nullptr));
    EXPECT_NE(files_.writeFileReplacing(root_ + "\\folder.png", bytes("x")), 0u);

    const std::string locked = root_ + "\\locked.png";
    ASSERT_EQ(files_.writeFileReplacing(locked, bytes("old content")), 0u);
    {
        // Another program has the file open and does not allow it to be deleted or renamed.
        const Handle holder{CreateFileW(toWide(locked).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr)};
        ASSERT_TRUE(holder);
        EXPECT_NE(files_.writeFileReplacing(locked, bytes("new content")), 0u);
    }
    EXPECT_EQ(content(locked), "old content");

    const std::string readOnly = root_ + "\\readonly.png";
    ASSERT_EQ(files_.writeFileReplacing(readOnly, bytes("kept")), 0u);
    ASSERT_TRUE(SetFileAttributesW(toWide(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(files_.writeFileReplacing(readOnly, bytes("lost")), 0u);
    EXPECT_EQ(content(readOnly), "kept");

    // No temporary file survives any of these failures.
    auto names = entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"folder.png", "locked.png", "readonly.png"}));
}

TEST_F(FileWritingTest, LeftoversOfKilledWritesGoBeforeTheNextWriteIntoTheirFolder) {
    const auto plant = [&](const std::string& name) {
        const Handle file{CreateFileW(toWide(root_ + "\\" + name).c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
        ASSERT_TRUE(file) << name;
    };
    for (const char* name : {"~pictorn9_1.tmp", "~pictorn9_2.tmp", "~pictorn9_3.tmp",
                             "~pictorn.tmp", "~pictorn9_x.tmp", "~pictorn9_1.tmp.txt"})
        plant(name);
    ASSERT_TRUE(CreateDirectoryW(toWide(root_ + "\\~pictorn9_4.tmp").c_str(), nullptr));
    {
        // A write of another program still in progress: open, not shared.
        const Handle busy{CreateFileW(toWide(root_ + "\\~pictorn9_3.tmp").c_str(), GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
        ASSERT_TRUE(busy);
        ASSERT_EQ(files_.writeFileReplacing(root_ + "\\shot.png", bytes("new")), 0u);
    }
    auto names = entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"shot.png", "~pictorn.tmp", "~pictorn9_1.tmp.txt",
                                        "~pictorn9_3.tmp", "~pictorn9_4.tmp", "~pictorn9_x.tmp"}));
    EXPECT_EQ(files_.removeStaleTemporaryFiles(root_), 1);
    EXPECT_EQ(files_.removeStaleTemporaryFiles(root_ + "\\missing"), 0);
}

TEST_F(FileWritingTest, ReadingMissingOrFolderPathsGivesNothing) {
    EXPECT_FALSE(files_.readFile(root_ + "\\missing.bmp"));
    EXPECT_FALSE(files_.readFile(root_));
    EXPECT_FALSE(files_.readFile(""));
}

} // namespace
} // namespace pictorn::platform::win32
