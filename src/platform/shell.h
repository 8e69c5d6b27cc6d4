#pragma once
// What the desktop shell and the process know: special folders and where the program is.
#include <string>

namespace pictorn::platform {

inline constexpr int kCsidlAppData = 26; // per-user roaming application data

class Shell {
public:
    virtual ~Shell() = default;
    // The special folder's path without a trailing backslash, or empty when unknown.
    virtual std::string specialFolderPath(int csidl) = 0;
    // The folder of the running program, ending in a backslash.
    virtual std::string programFolder() = 0;
    // The program's executable name without extension (used as an error source).
    virtual std::string programName() = 0;
};

} // namespace pictorn::platform
