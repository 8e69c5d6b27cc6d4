#include "platform/app_error.h"
#include "platform/command_line.h"
#include "platform/win32/handle.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_sound.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace pictorn::platform::win32 {
namespace {

// What the started program would see as its arguments.
std::vector<std::string> parse(const std::string& commandLine) {
    int count = 0;
    LocalMemory memory{CommandLineToArgvW(toWide(commandLine).c_str(), &count)};
    auto** argv = static_cast<wchar_t**>(memory.get());
    std::vector<std::string> result;
    for (int i = 0; argv && i < count; ++i)
        result.push_back(toUtf8(argv[i]));
    return result;
}

TEST(CommandLineOnWindows, EveryArgumentComesBackUnchanged) {
    const std::vector<std::string> arguments = {"C:\\Shots\\",
                                                "C:\\My Shots\\",
                                                "C:\\Program Files\\Pictorn\\readme.txt",
                                                "",
                                                "say \"hi\"",
                                                "a\\\"b",
                                                "trailing\\\\",
                                                "tab\there",
                                                "\\\\server\\share\\x y.bmp",
                                                "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC.png"};
    const std::string line = buildCommandLine("C:\\Program Files\\Ed It\\edit.exe", arguments);
    const std::vector<std::string> parsed = parse(line);
    ASSERT_EQ(parsed.size(), arguments.size() + 1) << line;
    EXPECT_EQ(parsed[0], "C:\\Program Files\\Ed It\\edit.exe");
    for (std::size_t i = 0; i < arguments.size(); ++i)
        EXPECT_EQ(parsed[i + 1], arguments[i]) << line;
}

// Waits for a started process to end (deadline), and ends it if it does not.
void waitAndCleanUp(std::uint32_t processId) {
    Handle process{OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId)};
    if (!process)
        return; // already gone
    if (WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        ADD_FAILURE() << "the started program did not end in time";
    }
}

TEST(Win32Launcher, StartsAProgramFoundOnTheSearchPath) {
    Win32Launcher launcher;
    const std::uint32_t id = launcher.startProgram("cmd.exe /c exit 0");
    EXPECT_NE(id, 0u);
    waitAndCleanUp(id);
}

TEST(Win32Launcher, AMissingProgramRaisesFileNotFound) {
    Win32Launcher launcher;
    for (const char* line :
         {"pictorn-no-such-program.exe C:\\x.bmp", "C:\\no\\such\\folder\\editor.exe C:\\x.bmp",
          "\"C:\\no such\\editor.exe\""}) {
        try {
            const std::uint32_t id = launcher.startProgram(line);
            waitAndCleanUp(id);
            ADD_FAILURE() << "started: " << line;
        } catch (const AppError& error) {
            EXPECT_EQ(error.number(), errors::kProgramNotFound) << line;
            EXPECT_NE(error.description().find(line), std::string::npos);
        }
    }
}

TEST(Win32Launcher, ShellOpenOfAMissingDocumentIsAnError) {
    Win32Launcher launcher;
    try {
        launcher.openWithShell("C:\\pictorn-no-such-folder\\nothing.txt", "c:\\");
        ADD_FAILURE() << "a missing document was opened";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), errors::kProgramNotFound);
    }
}

TEST(Win32Sound, ReturnsAtOnceWithOrWithoutASoundCard) {
    Win32Sound sound;
    sound.hasWaveDevice();
    // Asynchronous: the result only says whether playing could start, and the call must
    // not block on a file the system cannot play (a missing one plays nothing).
    const ULONGLONG start = GetTickCount64();
    sound.playFileAsync("C:\\pictorn-no-such-folder\\none.wav");
    EXPECT_LT(GetTickCount64() - start, 2000u);
    PlaySoundW(nullptr, nullptr, 0);
    sound.beep(); // must simply return, with or without a sound card
}

} // namespace
} // namespace pictorn::platform::win32
