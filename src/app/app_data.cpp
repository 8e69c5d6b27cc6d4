#include "app/app_data.h"

#include <exception>

namespace pictorn::app {

std::string AddTrailingBackslash(std::string_view path) {
    std::string out(path);
    if (!out.ends_with('\\')) {
        out += '\\';
    }
    return out;
}

std::string StripTrailingBackslashes(std::string_view path) {
    while (path.ends_with('\\')) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

bool FolderExistsFind(platform::FileSystem& files, std::string_view path) {
    const auto attributes = files.findEntryAttributes(StripTrailingBackslashes(path));
    return attributes && (*attributes & platform::kAttrDirectory) != 0;
}

std::string SpecialFolderPath(platform::Shell& shell, int csidl) {
    const std::string folder = shell.specialFolderPath(csidl);
    return folder.empty() ? std::string() : AddTrailingBackslash(folder);
}

std::string AppDataFolder(platform::FileSystem& files, platform::Shell& shell,
                          std::string_view fallback) {
    std::string folder;
    try {
        folder = SpecialFolderPath(shell, platform::kCsidlAppData);
    } catch (const std::exception&) {
        folder.clear();
    }
    if (folder.empty()) {
        return AddTrailingBackslash(fallback);
    }
    for (std::string_view sub : {"Orvanta software", "Pictorn"}) {
        folder += sub;
        folder += '\\';
        if (!FolderExistsFind(files, folder) && !files.createDirectory(folder)) {
            return AddTrailingBackslash(fallback);
        }
    }
    return folder;
}

} // namespace pictorn::app
