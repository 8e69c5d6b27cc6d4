#pragma once
// The main window's Help command (the readme in Notepad) and "Open my folder (AutoSaved)"
// (the auto-save folder in Explorer, or the preferences when there is no usable folder).
#include "app/preferences.h"
#include "platform/services.h"
#include "platform/ui/form.h"

#include <functional>
#include <string>
#include <string_view>

namespace pictorn {

inline constexpr std::string_view kReadmeFile = "readme.txt";
// The preferences tab that holds the auto-save folder and the editor ("Save & Edit").
inline constexpr int kPrefsSaveAndEditTab = app::kTabSaveAndEdit;

// Brings the given preferences tab to the front and shows the preferences modally, owned
// by the main window.
using ShowPreferencesOnTab = std::function<void(int tab)>;

// "notepad.exe <readme>", the path quoted when it needs to be.
std::string helpCommandLine(std::string_view programFolder);
// "explorer.exe <folder>\", the folder quoted when it needs to be.
std::string explorerCommandLine(std::string_view folder);

// menuHelp2_Click: opens the readme from the program folder in Notepad, or says that it
// is missing. Failures: error report box "frmMain - menuHelp2_Click".
void showHelp(platform::Services& services);

// menuOpenAutoSaveFolder_Click, with the folder text as the live preferences hold it.
// No folder or a folder that is gone: a message, then the preferences on "Save & Edit".
// Explorer missing: "Explorer failed". Other failures: error report box
// "frmMain - menuOpenAutoSaveFolder_Click", then a minimized main window is restored.
void openAutoSaveFolder(platform::Services& services, std::string_view folderText,
                        const ShowPreferencesOnTab& showPreferencesOnTab, ui::Form& mainWindow);

} // namespace pictorn
