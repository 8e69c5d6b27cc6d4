#pragma once
// The program's version as the windows and the tray icon show it; the numbers come from the build
// (the one version in the top CMakeLists.txt).
#include <string>

namespace pictorn {

// "Version 1.0.6"
inline std::string versionText() {
    return "Version " + std::to_string(PICTORN_VERSION_MAJOR) + "." +
           std::to_string(PICTORN_VERSION_MINOR) + "." + std::to_string(PICTORN_VERSION_PATCH);
}

// "Pictorn 1.06", the tray icon's tip: the minor and patch numbers run together.
inline std::string trayVersionText() {
    return "Pictorn " + std::to_string(PICTORN_VERSION_MAJOR) + "." +
           std::to_string(PICTORN_VERSION_MINOR) + std::to_string(PICTORN_VERSION_PATCH);
}

} // namespace pictorn
