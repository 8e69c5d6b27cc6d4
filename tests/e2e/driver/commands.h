// The driver's commands. Each returns the process exit code: 0 done / found, 1 not found
// or timed out, 2 wrong usage.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Args {
    std::vector<std::wstring> positional;
    DWORD pid = 0;       // --pid N: only windows of that process
    bool hidden = false; // --hidden: also windows that are not visible
};

int waitWindow(const Args& args);
int waitGone(const Args& args);
int waitMessageBox(const Args& args);
int waitPidExit(const Args& args);
int listWindows(const Args& args);
int windowInfo(const Args& args);
int children(const Args& args);
int clickButton(const Args& args);
int postCommand(const Args& args);
int closeWindow(const Args& args);
int controls(const Args& args);
int fileVersion(const Args& args);
int holdHotkey(const Args& args);

// Shared by the commands: parsing numbers and finding the one window a command acts on.
bool parseNumber(const std::wstring& text, unsigned long& value);
HWND findOne(const Args& args, const std::wstring& title, const std::wstring& className);
int usage(const char* synopsis);

} // namespace e2e
