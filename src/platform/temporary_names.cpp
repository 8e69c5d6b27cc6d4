#include "platform/temporary_names.h"

namespace pictorn::platform {
namespace {

constexpr std::string_view kStart = "~pictorn";
constexpr std::string_view kEnd = ".tmp";
constexpr std::size_t kMaxDigits = 10; // a 32-bit number

// Consumes a run of 1 to 10 decimal digits from the front of text.
bool takeNumber(std::string_view& text) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    if (digits == 0 || digits > kMaxDigits)
        return false;
    text.remove_prefix(digits);
    return true;
}

} // namespace

std::string temporaryFileName(std::uint32_t processId, std::uint32_t serial) {
    return std::string(kStart) + std::to_string(processId) + "_" + std::to_string(serial) +
           std::string(kEnd);
}

bool isTemporaryFileName(std::string_view name) {
    if (!name.starts_with(kStart) || !name.ends_with(kEnd))
        return false;
    name.remove_prefix(kStart.size());
    name.remove_suffix(kEnd.size());
    if (!takeNumber(name) || !name.starts_with('_'))
        return false;
    name.remove_prefix(1);
    return takeNumber(name) && name.empty();
}

} // namespace pictorn::platform
