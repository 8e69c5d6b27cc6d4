#pragma once
// Windows command lines built so that the started program reads back exactly the
// arguments we meant: a path with spaces stays one argument, and quotes or backslashes
// inside an argument survive the C runtime's (CommandLineToArgvW's) parsing.
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::platform {

// One argument as the parser expects it. Left as it is when it needs no quoting (not
// empty, no blank, tab, line break or quote); otherwise in quotes, with every quote
// escaped by a backslash and the backslashes just before a quote (or before the closing
// quote) doubled.
std::string quoteArgument(std::string_view argument);

// The program part: the parser takes the first token up to the next quote or blank
// without escapes, so a path with blanks is put in quotes as it is. A program path cannot
// hold a quote; such a path raises AppError 53 "File not found" (no such program exists).
std::string quoteProgram(std::string_view program);

// Program followed by each argument, separated by single blanks.
std::string buildCommandLine(std::string_view program, const std::vector<std::string>& arguments);

} // namespace pictorn::platform
