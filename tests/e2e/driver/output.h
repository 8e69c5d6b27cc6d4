// Output of the e2e driver: UTF-8 records on stdout, one per line, as tab-separated
// key=value fields, so the test runner can parse them without knowing each command.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace e2e {

std::string toUtf8(std::wstring_view text);
std::wstring toWide(std::string_view text);

// Backslash escapes for the separators (tab, line breaks) and the backslash itself.
std::string escapeField(std::string_view text);

class Record {
public:
    Record& add(std::string_view key, std::string_view value);
    Record& add(std::string_view key, const std::wstring& value);
    Record& add(std::string_view key, long long value);
    Record& addHex(std::string_view key, unsigned long long value);
    Record& add(std::string_view key, HWND window);
    void print() const;

private:
    std::string line_;
};

// Messages about failures go to stderr so that stdout holds only records.
void fail(std::string_view message);

} // namespace e2e
