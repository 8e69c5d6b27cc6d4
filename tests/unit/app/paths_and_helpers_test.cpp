#include "app/app_data.h"
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/file_paths.h"
#include "app/global_routines.h"
#include "platform/app_error.h"
#include "platform/headless/fake_shell.h"
#include "platform/headless/memory_file_system.h"

#include <gtest/gtest.h>

#include <optional>

namespace pictorn::app {
namespace {

constexpr std::string_view kRoaming = "C:\\Users\\Ann\\AppData\\Roaming";
constexpr std::string_view kFallback = "C:\\Program Files\\Pictorn";

class HelpersTest : public testing::Test {
protected:
    void SetUp() override {
        shell.specialFolders[platform::kCsidlAppData] = std::string(kRoaming);
        files.addFolder(kRoaming);
    }

    std::string appData() { return AppDataFolder(files, shell, kFallback); }

    headless::MemoryFileSystem files;
    headless::FakeShell shell;
};

TEST_F(HelpersTest, AppDataFolderCreatesBothFoldersOnce) {
    const std::string expected = "C:\\Users\\Ann\\AppData\\Roaming\\Orvanta software\\Pictorn\\";
    EXPECT_EQ(appData(), expected);
    EXPECT_TRUE(files.isFolder(expected));
    EXPECT_EQ(files.createdDirectories.size(), 2u);

    files.createdDirectories.clear();
    EXPECT_EQ(appData(), expected);
    EXPECT_TRUE(files.createdDirectories.empty());
}

TEST_F(HelpersTest, AppDataFolderFindsFoldersWhateverTheirCase) {
    files.addFolder("C:\\Users\\Ann\\AppData\\Roaming\\ORVANTA Software\\pictorn");
    EXPECT_EQ(appData(), "C:\\Users\\Ann\\AppData\\Roaming\\Orvanta software\\Pictorn\\");
    EXPECT_TRUE(files.createdDirectories.empty());
}

TEST_F(HelpersTest, AppDataFolderFallsBackToTheProgramFolder) {
    files.failCreateDirectory("C:\\Users\\Ann\\AppData\\Roaming\\Orvanta software\\Pictorn");
    EXPECT_EQ(appData(), "C:\\Program Files\\Pictorn\\");

    // A file in the way of the folder.
    headless::MemoryFileSystem blocked;
    blocked.addFile("C:\\Users\\Ann\\AppData\\Roaming\\Orvanta software");
    EXPECT_EQ(AppDataFolder(blocked, shell, kFallback), "C:\\Program Files\\Pictorn\\");

    shell.specialFolders.clear();
    EXPECT_EQ(appData(), "C:\\Program Files\\Pictorn\\");
    EXPECT_EQ(SpecialFolderPath(shell, platform::kCsidlAppData), "");
}

TEST_F(HelpersTest, BackslashHelpers) {
    EXPECT_EQ(AddTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(AddTrailingBackslash(""), "\\");
    EXPECT_EQ(AddTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(StripTrailingBackslashes("C:\\a\\\\\\"), "C:\\a");
    EXPECT_EQ(StripTrailingBackslashes("\\\\"), "");
    EXPECT_EQ(SpecialFolderPath(shell, platform::kCsidlAppData), std::string(kRoaming) + "\\");
}

TEST_F(HelpersTest, FileAndFolderChecksNeverRaise) {
    files.addFile("C:\\data\\pic.png", "png");
    files.addFile("C:\\data\\locked.png");
    files.protectFromReading("C:\\data\\locked.png");
    EXPECT_TRUE(FileExists(files, "C:\\data\\pic.png"));
    EXPECT_TRUE(FileExists(files, "c:\\DATA\\PIC.PNG"));
    EXPECT_FALSE(FileExists(files, "C:\\data\\locked.png"));
    EXPECT_FALSE(FileExists(files, "C:\\data"));
    EXPECT_FALSE(FileExists(files, "C:\\data\\missing.png"));
    EXPECT_FALSE(FileExists(files, ""));

    EXPECT_TRUE(FolderExists(files, "C:\\data"));
    EXPECT_TRUE(FolderExists(files, "C:\\data\\"));
    EXPECT_FALSE(FolderExists(files, "C:\\data\\pic.png"));
    EXPECT_FALSE(FolderExists(files, "C:\\nowhere"));
    EXPECT_FALSE(FolderExists(files, ""));

    EXPECT_TRUE(FolderExistsFind(files, "C:\\data\\\\"));
    EXPECT_FALSE(FolderExistsFind(files, "C:\\data\\pic.png"));
}

TEST(StringChk, ReportsReservedCharactersInTextOrder) {
    EXPECT_EQ(StringChk("my.file?", kReservedFileNameChars), ".?");
    EXPECT_EQ(StringChk("screenshot", kReservedFileNameChars), "");
    EXPECT_EQ(StringChk("", kReservedFileNameChars), "");
    EXPECT_EQ(StringChk("a°b²c³µ£", kReservedFileNameChars), "°²³µ£");
    EXPECT_EQ(StringChk("x\\y/z\"", kReservedFileNameChars), "\\/\"");
    // Letters that share UTF-8 bytes with the set's characters are not reserved.
    EXPECT_EQ(StringChk("¢Â€ñ", kReservedFileNameChars), "");
    // A stray byte of a set character's sequence is not that character.
    EXPECT_EQ(StringChk("a\xB0\xC2", kReservedFileNameChars), "");
}

// The loaders that fall back on a default read numbers without exceptions; they must
// take exactly the texts toNumber takes, to the same values.
TEST(Conversions, NumberOrNothingTakesWhatToNumberTakes) {
    for (std::string_view text : {"0",
                                  " 42 ",
                                  "-7",
                                  "+3",
                                  "2.5",
                                  "3.5",
                                  "-2.5",
                                  "  .5",
                                  "1.",
                                  "",
                                  " ",
                                  "abc",
                                  "12a",
                                  "1 2",
                                  "--1",
                                  "+",
                                  ".",
                                  "9200000000000000000",
                                  "9300000000000000000",
                                  "-9300000000000000000",
                                  "\t5",
                                  "5\r\n",
                                  "Error",
                                  "1e3",
                                  "0x10"}) {
        long long expected = 0;
        const bool takes = ignoreErrors([&] { expected = toNumber(text); });
        const std::optional<long long> value = numberOrNothing(text);
        ASSERT_EQ(value.has_value(), takes) << '"' << text << '"';
        if (takes) {
            EXPECT_EQ(*value, expected) << '"' << text << '"';
        }
    }
}

TEST(StringChk, SetHasItsThirtyTwoCharacters) {
    const std::string_view expected[] = {"*",  "<", ">", "[", "]", "=", "+", "\\", "|", "/", "'",
                                         "\"", "`", "(", ")", "°", "²", "³", ",",  ".", ":", ";",
                                         "&",  "@", "#", "$", "%", "µ", "£", "?",  "~", "^"};
    std::string joined;
    for (auto c : expected) {
        EXPECT_EQ(StringChk(c, kReservedFileNameChars), c);
        joined += c;
    }
    EXPECT_EQ(kReservedFileNameChars, joined);
}

TEST_F(HelpersTest, LocatePaintTakesTheFirstThatExists) {
    EXPECT_EQ(LocatePaint(files), "");
    files.addFile("C:\\Windows\\System32\\mspaint.exe");
    EXPECT_EQ(LocatePaint(files), "c:\\windows\\system32\\mspaint.exe");
    files.addFile("C:\\WINNT\\system32\\mspaint.exe");
    EXPECT_EQ(LocatePaint(files), "c:\\winnt\\system32\\mspaint.exe");
    files.addFile("C:\\Program Files\\Accessories\\mspaint.exe");
    EXPECT_EQ(LocatePaint(files), "c:\\program files\\accessories\\mspaint.exe");
}

TEST(Scrambling, RoundTripsAndRefusesBytesOutOfRange) {
    std::string printable;
    for (char c = ' '; c <= '~'; ++c) {
        printable += c;
    }
    for (const std::string& text : {printable, std::string("Pässwörd €😀"), std::string()}) {
        const std::string scrambled = ScramblePassword(text);
        EXPECT_EQ(scrambled.size(), text.size());
        EXPECT_EQ(UnscramblePassword(scrambled), text);
    }
    EXPECT_EQ(ScramblePassword("abc"), "fgh");
    EXPECT_EQ(UnscramblePassword("Error"), "@mmjm");
    for (const char* bad : {"\xfb", "ok\xff"}) {
        try {
            ScramblePassword(bad);
            ADD_FAILURE() << "no error";
        } catch (const AppError& error) {
            EXPECT_EQ(error.number(), 5);
            EXPECT_EQ(error.description(), "Invalid procedure call or argument");
        }
    }
    EXPECT_THROW(UnscramblePassword("\x04"), AppError);
}

TEST_F(HelpersTest, FileNameAndExtensionOfFullPaths) {
    EXPECT_EQ(GetFileExtension(files, shell, "C:\\dir.x\\file"), "");
    EXPECT_EQ(GetFileExtension(files, shell, "C:\\a\\b.tar.gz"), ".gz");
    EXPECT_EQ(GetFileName(files, shell, "C:\\a\\b.png"), "b.png");
    EXPECT_EQ(GetFileName(files, shell, ""), "");
    EXPECT_EQ(GetFileExtension(files, shell, ""), "");
    EXPECT_EQ(GetFileName(files, shell, "C:\\"), "");
    EXPECT_EQ(GetFileName(files, shell, "C:\\a\\"), "");
    // Relative paths are taken from the current folder.
    files.currentDirectory = "D:\\shots\\";
    EXPECT_EQ(GetFileName(files, shell, "..\\pic.jpeg"), "pic.jpeg");
    EXPECT_EQ(GetFileExtension(files, shell, "pic.jpeg"), ".jpeg");
}

TEST_F(HelpersTest, UncRootsEndAfterTheShare) {
    std::size_t nameStart = 0, rootEnd = 0, extensionStart = 0;
    ParsePathParts(files, shell, "\\\\server\\share\\pic.png", nameStart, rootEnd, extensionStart);
    EXPECT_EQ(rootEnd, 15u);
    EXPECT_EQ(nameStart, 16u);
    EXPECT_EQ(extensionStart, 19u);
    EXPECT_EQ(GetFileName(files, shell, "\\\\server\\share\\pic.png"), "pic.png");

    ParsePathParts(files, shell, "\\\\srv.local\\share", nameStart, rootEnd, extensionStart);
    EXPECT_EQ(rootEnd, 0u);
    EXPECT_EQ(nameStart, 13u);
    EXPECT_EQ(extensionStart, 18u);

    ParsePathParts(files, shell, "c:\\x.y", nameStart, rootEnd, extensionStart);
    EXPECT_EQ(rootEnd, 3u);
    EXPECT_EQ(nameStart, 4u);
    EXPECT_EQ(extensionStart, 5u);
}

TEST_F(HelpersTest, ImpossiblePathsRaiseTheSystemError) {
    std::size_t nameStart = 0, rootEnd = 0, extensionStart = 0;
    try {
        ParsePathParts(files, shell, "]oops", nameStart, rootEnd, extensionStart);
        ADD_FAILURE() << "no error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), -2147192504 + 161);
        EXPECT_EQ(error.source(), "pictorn.Windows");
        EXPECT_EQ(error.description(), "The specified path is invalid.");
    }
    files.fullPathFailure = 123;
    try {
        GetFileName(files, shell, "C:\\a.png");
        ADD_FAILURE() << "no error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), errors::kSystemErrorBase + 123);
        EXPECT_EQ(error.description(),
                  "The filename, directory name, or volume label syntax is incorrect.");
    }
    // A code without a system text still raises, with an empty description.
    EXPECT_EQ(SystemErrorText(files, 99999), "");
}

} // namespace
} // namespace pictorn::app
