#include "mail/mail_text.h"

#include <gtest/gtest.h>

namespace pictorn::mail {
namespace {

std::string trimmed(std::string text, std::string_view set) {
    fnTrim(text, set);
    return text;
}

std::pair<std::string, std::string> parsed(std::string_view entry) {
    std::string name = "stale", address = "stale";
    fnParseAddr(entry, name, address);
    return {name, address};
}

TEST(MailTextTest, TrimStripsOnlyTheEnds) {
    EXPECT_EQ(trimmed("", " ,;"), "");
    EXPECT_EQ(trimmed(" ;, ,", " ,;"), "");
    EXPECT_EQ(trimmed("  x  ", ""), "  x  ");
    EXPECT_EQ(trimmed("  ;John Smith, ", " ,;"), "John Smith");
    EXPECT_EQ(trimmed(" Smith, John ", " ,;"), "Smith, John");
    // Whole characters: a set holding "é" strips it, and never a byte of another letter.
    EXPECT_EQ(trimmed("ééxé", "é"), "x");
    EXPECT_EQ(trimmed("èxè", "é"), "èxè");
}

TEST(MailTextTest, ParseAddrSplitsAtTheFirstAngleBracket) {
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(parsed("John Smith <js>"), P("John Smith", "js"));
    EXPECT_EQ(parsed("js@example.org"), P("", "js@example.org"));
    EXPECT_EQ(parsed("<js>"), P("", "js"));
    EXPECT_EQ(parsed("\"John Smith\" <js@example.org>"), P("John Smith", "js@example.org"));
    EXPECT_EQ(parsed(" 'Ann' <ann@example.org> "), P("Ann", "ann@example.org"));
    EXPECT_EQ(parsed("John <js> x"), P("John", "js> x"));
    EXPECT_EQ(parsed("a <b <c>"), P("a", "b <c"));
    EXPECT_EQ(parsed(""), P("", ""));
    EXPECT_EQ(parsed("Ωμέγα <o@example.gr>"), P("Ωμέγα", "o@example.gr"));
}

TEST(MailTextTest, ReplaceChangesOnlyTheFirstOccurrence) {
    EXPECT_EQ(sReplace("a;b;c", ";", "; "), "a; b;c");
    EXPECT_EQ(sReplace(sReplace("a;b;c", ";", "."), ";", "; "), "a.b; c");
    EXPECT_EQ(sReplace("abc", "x", "y"), "abc");
    EXPECT_EQ(sReplace(";abc", ";", ".\r\n"), ".\r\nabc");
    EXPECT_EQ(sReplace("abc;", ";", "."), "abc.");
    EXPECT_EQ(sReplace("", ";", "."), "");
}

} // namespace
} // namespace pictorn::mail
