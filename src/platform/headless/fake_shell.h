#pragma once
#include "platform/shell.h"

#include <map>
#include <string>

namespace pictorn::headless {

// Special folders are unknown until a test sets them (as on a system without them).
class FakeShell : public platform::Shell {
public:
    std::string specialFolderPath(int csidl) override {
        auto it = specialFolders.find(csidl);
        return it == specialFolders.end() ? std::string() : it->second;
    }
    std::string programFolder() override { return folder; }
    std::string programName() override { return name; }

    std::map<int, std::string> specialFolders; // without trailing backslash
    std::string folder = "C:\\Program Files\\Pictorn\\";
    std::string name = "pictorn";
};

} // namespace pictorn::headless
