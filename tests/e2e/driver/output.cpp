#include "output.h"

#include <cstdio>

namespace e2e {

std::string toUtf8(std::wstring_view text) {
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring toWide(std::string_view text) {
    if (text.empty())
        return {};
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string escapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

Record& Record::add(std::string_view key, std::string_view value) {
    if (!line_.empty())
        line_ += '\t';
    line_ += key;
    line_ += '=';
    line_ += escapeField(value);
    return *this;
}

Record& Record::add(std::string_view key, const std::wstring& value) {
    return add(key, std::string_view(toUtf8(value)));
}

Record& Record::add(std::string_view key, long long value) {
    return add(key, std::string_view(std::to_string(value)));
}

Record& Record::addHex(std::string_view key, unsigned long long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx", value);
    return add(key, std::string_view(buffer));
}

Record& Record::add(std::string_view key, HWND window) {
    return addHex(key, reinterpret_cast<unsigned long long>(window));
}

void Record::print() const {
    std::fwrite(line_.data(), 1, line_.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void fail(std::string_view message) {
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace e2e
