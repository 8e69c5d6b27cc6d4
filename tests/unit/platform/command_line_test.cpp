#include "platform/app_error.h"
#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace pictorn::platform {
namespace {

TEST(CommandLine, PlainArgumentsStayAsTheyAre) {
    EXPECT_EQ(quoteArgument("C:\\Shots\\"), "C:\\Shots\\");
    EXPECT_EQ(quoteArgument("C:\\PROGRA~1\\tmpPic~1.bmp"), "C:\\PROGRA~1\\tmpPic~1.bmp");
    EXPECT_EQ(quoteArgument("a\\\\b"), "a\\\\b"); // backslashes not before a quote are literal
}

TEST(CommandLine, QuotesBlanksEmptyAndControlWhitespace) {
    EXPECT_EQ(quoteArgument(""), "\"\"");
    EXPECT_EQ(quoteArgument("C:\\Program Files\\Pictorn\\readme.txt"),
              "\"C:\\Program Files\\Pictorn\\readme.txt\"");
    EXPECT_EQ(quoteArgument("a\tb"), "\"a\tb\"");
    EXPECT_EQ(quoteArgument("a\nb"), "\"a\nb\"");
}

TEST(CommandLine, EscapesQuotesAndTheBackslashesBeforeThem) {
    EXPECT_EQ(quoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(quoteArgument("a\"b"), "\"a\\\"b\"");
    // One backslash before a quote: 2*1 + 1 backslashes, then the quote.
    EXPECT_EQ(quoteArgument("a\\\"b"), "\"a\\\\\\\"b\"");
    // Trailing backslashes are doubled so they do not swallow the closing quote.
    EXPECT_EQ(quoteArgument("C:\\My Shots\\"), "\"C:\\My Shots\\\\\"");
    EXPECT_EQ(quoteArgument("x y\\\\"), "\"x y\\\\\\\\\"");
    // Backslashes in the middle stay single.
    EXPECT_EQ(quoteArgument("C:\\a b\\c"), "\"C:\\a b\\c\"");
}

TEST(CommandLine, ProgramPartAndWholeLine) {
    EXPECT_EQ(quoteProgram("notepad.exe"), "notepad.exe");
    EXPECT_EQ(quoteProgram("C:\\Program Files\\Editor\\edit.exe"),
              "\"C:\\Program Files\\Editor\\edit.exe\"");
    // The program token is not escaped: a trailing backslash stays single.
    EXPECT_EQ(quoteProgram("C:\\odd dir\\"), "\"C:\\odd dir\\\"");
    EXPECT_EQ(buildCommandLine("explorer.exe", {"C:\\Shots\\"}), "explorer.exe C:\\Shots\\");
    EXPECT_EQ(buildCommandLine("C:\\Pro Tools\\ed.exe", {"C:\\a b.bmp", "-x"}),
              "\"C:\\Pro Tools\\ed.exe\" \"C:\\a b.bmp\" -x");
    EXPECT_EQ(buildCommandLine("mspaint.exe", {}), "mspaint.exe");
    try {
        quoteProgram("C:\\bad\"name.exe");
        FAIL() << "a quote in a program name must be refused";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), errors::kProgramNotFound);
    }
}

} // namespace
} // namespace pictorn::platform
