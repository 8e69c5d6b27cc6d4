#include "platform/command_line.h"

#include "platform/app_error.h"

namespace pictorn::platform {

std::string quoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Each backslash before a quote must be escaped, then the quote itself.
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Backslashes before the closing quote would escape it: double them.
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string quoteProgram(std::string_view program) {
    if (program.find('"') != std::string_view::npos)
        throw AppError(ErrorKind::ProgramMissing, errors::kProgramNotFound,
                       "File not found: " + std::string(program) + " (a quote in a program name)");
    if (!program.empty() && program.find_first_of(" \t") == std::string_view::npos)
        return std::string(program);
    return "\"" + std::string(program) + "\"";
}

std::string buildCommandLine(std::string_view program, const std::vector<std::string>& arguments) {
    std::string line = quoteProgram(program);
    for (const std::string& argument : arguments) {
        line += ' ';
        line += quoteArgument(argument);
    }
    return line;
}

} // namespace pictorn::platform
