// e2e_driver.exe: looks at and acts on the windows of a program under test from outside,
// as a user or the shell would. Run it with wine in the prefix of the program under test.
//
//   e2e_driver <command> <arguments...> [--pid N] [--hidden]
//
// Results are tab-separated key=value records on stdout; see output.h.
#include "commands.h"
#include "commands_output.h"
#include "output.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string_view>

namespace {

struct CommandEntry {
    const wchar_t* name;
    int (*run)(const e2e::Args&);
    const char* synopsis;
};

const CommandEntry commands[] = {
    {L"wait-window", e2e::waitWindow, "wait-window <title> [class] <timeout-ms>"},
    {L"wait-gone", e2e::waitGone, "wait-gone <title> [class] <timeout-ms>"},
    {L"wait-messagebox", e2e::waitMessageBox, "wait-messagebox <title> <timeout-ms>"},
    {L"wait-pid-exit", e2e::waitPidExit, "wait-pid-exit <pid> <timeout-ms>"},
    {L"list-windows", e2e::listWindows, "list-windows [title] [class]"},
    {L"window-info", e2e::windowInfo, "window-info <title> [class]"},
    {L"children", e2e::children, "children <title> [class]"},
    {L"click-button", e2e::clickButton, "click-button <window-title> <button-text>"},
    {L"post-command", e2e::postCommand, "post-command <title> <command-id>"},
    {L"close", e2e::closeWindow, "close <title>"},
    {L"clipboard-info", e2e::clipboardInfo, "clipboard-info <timeout-ms>"},
    {L"set-child-text", e2e::setChildText, "set-child-text <window-title> <control-id> <text>"},
    {L"test-window", e2e::testWindow,
     "test-window <title> <width> <height> <rrggbb> <lifetime-ms>"},
    {L"time-capture", e2e::timeCapture,
     "time-capture <title> <command-id|hotkey:N> <file-or-folder> <timeout-ms>"},
    {L"time-save", e2e::timeSave,
     "time-save <main-title> <dialog-title> <target-file> <timeout-ms>"},
    {L"controls", e2e::controls, "controls <title> [class]"},
    {L"file-version", e2e::fileVersion, "file-version <path>"},
    {L"hold-hotkey", e2e::holdHotkey, "hold-hotkey <modifiers> <letter> <lifetime-ms>"},
};

bool parseArgs(int argc, wchar_t** argv, e2e::Args& args) {
    for (int i = 2; i < argc; ++i) {
        std::wstring_view arg = argv[i];
        if (arg == L"--hidden") {
            args.hidden = true;
        } else if (arg == L"--pid") {
            unsigned long pid = 0;
            if (i + 1 >= argc || !e2e::parseNumber(argv[++i], pid))
                return false;
            args.pid = pid;
        } else {
            args.positional.emplace_back(arg);
        }
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc >= 2) {
        for (const auto& command : commands) {
            if (std::wcscmp(argv[1], command.name) != 0)
                continue;
            e2e::Args args;
            if (!parseArgs(argc, argv, args))
                return e2e::usage(command.synopsis);
            return command.run(args);
        }
    }
    e2e::fail("usage: e2e_driver <command> <arguments...> [--pid N] [--hidden]; commands:");
    for (const auto& command : commands)
        e2e::fail(std::string("  ") + command.synopsis);
    return 2;
}
