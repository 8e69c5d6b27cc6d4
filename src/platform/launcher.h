#pragma once
// Starting other programs: by command line (the image editor, Paint, Notepad, Explorer)
// and through the shell's handler for a document, folder or web address.
#include <cstdint>
#include <string_view>

namespace pictorn::platform {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Runs the command line in a normal window that gets the focus and returns at once with
    // the new process id; nothing waits for the program. A program that cannot be started
    // raises AppError (53 "File not found" when it does not exist; see launch_errors.h).
    virtual std::uint32_t startProgram(std::string_view commandLine) = 0;
    // Opens the target with the shell's "open" handler in a normal window. Raises AppError
    // when the shell refuses (no handler, missing file, ...).
    virtual void openWithShell(std::string_view target, std::string_view workingFolder = {}) = 0;
};

} // namespace pictorn::platform
