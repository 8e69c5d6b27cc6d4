#include "about/help_commands.h"

#include "app/app_data.h"
#include "app/error_report.h"
#include "app/global_routines.h"
#include "platform/command_line.h"

namespace pictorn {

namespace {

constexpr std::string_view kHelpLabel = "frmMain - menuHelp2_Click";
constexpr std::string_view kOpenFolderLabel = "frmMain - menuOpenAutoSaveFolder_Click";

constexpr std::string_view kReadmeMissing = "The Pictorn readme.txt seems to be missing...";
constexpr std::string_view kNoFolderText =
    "You have no folder yet to automatically save screenshots to.\r\n"
    "In the Preferences window, under the [Save & Edit] tab at [Auto Save], please pick a "
    "folder.";
constexpr std::string_view kNoFolderTitle = "No folder defined yet";
constexpr std::string_view kFolderGoneText =
    "The location you have chosen to automatically save screenshots to is not available "
    "(anymore).\r\n"
    "In the Preferences window, under the [Save & Edit] tab at [Auto Save], please pick "
    "another folder.";
constexpr std::string_view kFolderGoneTitle = "Folder for screenshots unavailable";
constexpr std::string_view kExplorerFailedText =
    "Could not open your folder.\r\nMake sure exlorer.exe is your PATH.";
constexpr std::string_view kExplorerFailedTitle = "Explorer failed";

constexpr unsigned kWarning = platform::mb::kOk | platform::mb::kIconExclamation;

} // namespace

std::string helpCommandLine(std::string_view programFolder) {
    const std::string readme = app::AddTrailingBackslash(programFolder) + std::string(kReadmeFile);
    return platform::buildCommandLine("notepad.exe", {readme});
}

std::string explorerCommandLine(std::string_view folder) {
    return platform::buildCommandLine("explorer.exe", {app::AddTrailingBackslash(folder)});
}

void showHelp(platform::Services& services) {
    app::trap(services.messageBox, kHelpLabel, [&] {
        const std::string folder = services.shell.programFolder();
        const std::string readme = app::AddTrailingBackslash(folder) + std::string(kReadmeFile);
        if (app::FileExists(services.files, readme))
            services.launcher.startProgram(helpCommandLine(folder));
        else
            services.messageBox.show(kReadmeMissing, kWarning, "Info");
    });
}

void openAutoSaveFolder(platform::Services& services, std::string_view folderText,
                        const ShowPreferencesOnTab& showPreferencesOnTab, ui::Form& mainWindow) {
    bool startingExplorer = false;
    auto failure = app::catchError([&] {
        std::string_view text;
        std::string_view title;
        if (folderText.empty()) {
            text = kNoFolderText;
            title = kNoFolderTitle;
        } else if (!app::FolderExists(services.files, folderText)) {
            text = kFolderGoneText;
            title = kFolderGoneTitle;
        } else {
            startingExplorer = true;
            services.launcher.startProgram(explorerCommandLine(folderText));
            return;
        }
        services.messageBox.show(text, kWarning, title);
        if (showPreferencesOnTab)
            showPreferencesOnTab(kPrefsSaveAndEditTab);
    });
    if (!failure)
        return;
    if (startingExplorer && failure->kind() == ErrorKind::ProgramMissing) {
        services.messageBox.show(kExplorerFailedText, kWarning, kExplorerFailedTitle);
        return;
    }
    app::showErrorReport(services.messageBox, *failure, kOpenFolderLabel);
    app::ignoreErrors([&] {
        if (mainWindow.windowState() == ui::WindowState::Minimized)
            mainWindow.setWindowState(ui::WindowState::Normal);
    });
}

} // namespace pictorn
