#pragma once
// Starts nothing: records every command line and shell open so tests can check them
// exactly, and raises a chosen error when told to, as a missing program would.
#include "platform/app_error.h"
#include "platform/launcher.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pictorn::headless {

class FakeLauncher : public platform::Launcher {
public:
    struct ShellOpen {
        std::string target;
        std::string workingFolder;
    };

    std::uint32_t startProgram(std::string_view commandLine) override {
        started.emplace_back(commandLine);
        if (startFailure)
            throw *startFailure;
        return nextProcessId++;
    }
    void openWithShell(std::string_view target, std::string_view workingFolder) override {
        opened.push_back({std::string(target), std::string(workingFolder)});
        if (openFailure)
            throw *openFailure;
    }

    // Makes every start fail like a program that does not exist.
    void failStartsAsMissing() {
        startFailure =
            AppError(ErrorKind::ProgramMissing, errors::kProgramNotFound, "File not found");
    }

    std::vector<std::string> started; // attempted command lines, in order
    std::vector<ShellOpen> opened;    // attempted shell opens, in order
    std::optional<AppError> startFailure;
    std::optional<AppError> openFailure;
    std::uint32_t nextProcessId = 1000;
};

} // namespace pictorn::headless
