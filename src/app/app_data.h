#pragma once
// The program's per-user data folder: "Orvanta software\Pictorn" below the user's
// application-data folder, with the program's own folder as fallback.
#include "platform/file_system.h"
#include "platform/shell.h"

#include <string>
#include <string_view>

namespace pictorn::app {

// The data folder, ending in a backslash; both folders exist afterwards unless the
// fallback (the caller passes the program's folder) had to be used. Never fails.
std::string AppDataFolder(platform::FileSystem& files, platform::Shell& shell,
                          std::string_view fallback);
// The special folder's path ending in a backslash, or empty when the shell has none.
std::string SpecialFolderPath(platform::Shell& shell, int csidl);
// True when a directory search for exactly this name finds a folder.
bool FolderExistsFind(platform::FileSystem& files, std::string_view path);
// The path with one backslash appended unless it ends in one ("" becomes "\").
std::string AddTrailingBackslash(std::string_view path);
std::string StripTrailingBackslashes(std::string_view path);

} // namespace pictorn::app
