#include "about/help_commands.h"
#include "platform/headless/headless_services.h"

#include <gtest/gtest.h>

namespace pictorn {
namespace {

using headless::HeadlessServices;

constexpr unsigned kWarning = platform::mb::kIconExclamation;

class HelpCommands : public ::testing::Test {
protected:
    void openFolder(std::string_view folderText) {
        openAutoSaveFolder(
            platform.services, folderText, [this](int tab) { prefsTabs.push_back(tab); },
            mainWindow);
    }

    HeadlessServices platform;
    ui::Form mainWindow{platform.ui, "frmMain"};
    std::vector<int> prefsTabs;
};

TEST_F(HelpCommands, HelpOpensTheReadmeInNotepadWithTheQuotedPath) {
    platform.shell.folder = "C:\\Program Files\\Pictorn\\";
    platform.files.addFile("C:\\Program Files\\Pictorn\\readme.txt", "hello");
    showHelp(platform.services);
    EXPECT_EQ(platform.launcher.started,
              std::vector<std::string>{"notepad.exe \"C:\\Program Files\\Pictorn\\readme.txt\""});
    EXPECT_TRUE(platform.messageBox.shown.empty());

    // A folder without blanks needs no quotes, and no second backslash is added.
    platform.launcher.started.clear();
    platform.shell.folder = "D:\\Tools\\";
    platform.files.addFile("D:\\Tools\\readme.txt");
    showHelp(platform.services);
    EXPECT_EQ(platform.launcher.started,
              std::vector<std::string>{"notepad.exe D:\\Tools\\readme.txt"});
}

TEST_F(HelpCommands, MissingReadmeAndFailingNotepad) {
    showHelp(platform.services);
    EXPECT_TRUE(platform.launcher.started.empty());
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_EQ(platform.messageBox.last().text, "The Pictorn readme.txt seems to be missing...");
    EXPECT_EQ(platform.messageBox.last().title, "Info");
    EXPECT_EQ(platform.messageBox.last().flags, kWarning);

    platform.files.addFile(platform.shell.folder + "readme.txt");
    platform.launcher.failStartsAsMissing();
    showHelp(platform.services);
    ASSERT_EQ(platform.messageBox.shown.size(), 2u);
    EXPECT_EQ(platform.messageBox.last().title, "Error");
    EXPECT_NE(platform.messageBox.last().text.find("Error 53 - File not found\r\n"
                                                   "frmMain - menuHelp2_Click\r\n"),
              std::string::npos);
}

TEST_F(HelpCommands, ExistingFolderOpensInExplorerWithOneTrailingBackslash) {
    platform.files.addFolder("C:\\Shots");
    platform.files.addFolder("C:\\My Shots");
    openFolder("C:\\Shots");
    openFolder("C:\\Shots\\");
    openFolder("C:\\My Shots");
    EXPECT_EQ(platform.launcher.started,
              (std::vector<std::string>{"explorer.exe C:\\Shots\\", "explorer.exe C:\\Shots\\",
                                        "explorer.exe \"C:\\My Shots\\\\\""}));
    EXPECT_TRUE(platform.messageBox.shown.empty());
    EXPECT_TRUE(prefsTabs.empty());
}

TEST_F(HelpCommands, NoFolderOrAGoneFolderSendsTheUserToThePreferences) {
    openFolder("");
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_EQ(platform.messageBox.last().text,
              "You have no folder yet to automatically save screenshots to.\r\n"
              "In the Preferences window, under the [Save & Edit] tab at [Auto Save], please "
              "pick a folder.");
    EXPECT_EQ(platform.messageBox.last().title, "No folder defined yet");
    EXPECT_EQ(platform.messageBox.last().flags, kWarning);

    openFolder("C:\\Deleted");
    ASSERT_EQ(platform.messageBox.shown.size(), 2u);
    EXPECT_EQ(platform.messageBox.last().text,
              "The location you have chosen to automatically save screenshots to is not "
              "available (anymore).\r\n"
              "In the Preferences window, under the [Save & Edit] tab at [Auto Save], please "
              "pick another folder.");
    EXPECT_EQ(platform.messageBox.last().title, "Folder for screenshots unavailable");

    EXPECT_EQ(prefsTabs, (std::vector<int>{1, 1}));
    EXPECT_TRUE(platform.launcher.started.empty());
}

TEST_F(HelpCommands, ExplorerMissingAndOtherFailures) {
    platform.files.addFolder("C:\\Shots");
    platform.launcher.failStartsAsMissing();
    mainWindow.setWindowState(ui::WindowState::Minimized);
    openFolder("C:\\Shots");
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_EQ(platform.messageBox.last().text,
              "Could not open your folder.\r\nMake sure exlorer.exe is your PATH.");
    EXPECT_EQ(platform.messageBox.last().title, "Explorer failed");
    EXPECT_EQ(mainWindow.windowState(), ui::WindowState::Minimized);

    platform.launcher.startFailure = AppError(70, "Permission denied");
    openFolder("C:\\Shots");
    EXPECT_EQ(platform.messageBox.last().title, "Error");
    EXPECT_NE(platform.messageBox.last().text.find("frmMain - menuOpenAutoSaveFolder_Click"),
              std::string::npos);
    EXPECT_EQ(mainWindow.windowState(), ui::WindowState::Normal);

    // A 53 from the preferences is not an Explorer problem.
    openAutoSaveFolder(
        platform.services, "",
        [](int) {
            throw AppError(ErrorKind::ProgramMissing, errors::kProgramNotFound, "File not found");
        },
        mainWindow);
    EXPECT_EQ(platform.messageBox.last().title, "Error");
}

} // namespace
} // namespace pictorn
