#include "app/conversions.h"

#include "platform/app_error.h"
#include "text/ascii.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace pictorn::app {
namespace {

[[noreturn]] void mismatch() {
    throw AppError(kTypeMismatch, "Type mismatch");
}

// Parses [sign]digits[.digits]; nothing else but surrounding blanks is allowed.
bool parse(std::string_view text, long double& value) {
    const std::string_view t = text::trimmed(text, " ");
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    long double whole = 0;
    bool digits = false;
    for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i, digits = true)
        whole = whole * 10 + (t[i] - '0');
    if (i < t.size() && t[i] == '.') {
        long double scale = 0.1L;
        for (++i; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]));
             ++i, digits = true, scale /= 10)
            whole += (t[i] - '0') * scale;
    }
    if (!digits || i != t.size())
        return false;
    value = negative ? -whole : whole;
    return true;
}

bool fitsNumber(long double value) {
    return std::fabs(value) <= 9.2e18L;
}

long long rounded(long double value) {
    return static_cast<long long>(std::nearbyint(value)); // the default rounding: half to even
}

long long bounded(std::string_view text, long long low, long long high) {
    const long long value = toNumber(text);
    if (value < low || value > high)
        throw AppError(kOverflow, "Overflow");
    return value;
}

} // namespace

std::string trim(std::string_view text) {
    return std::string(text::trimmed(text, " "));
}

bool isNumeric(std::string_view text) {
    long double ignored = 0;
    return parse(text, ignored);
}

long long toNumber(std::string_view text) {
    long double value = 0;
    if (!parse(text, value))
        mismatch();
    if (!fitsNumber(value))
        throw AppError(kOverflow, "Overflow");
    return rounded(value);
}

std::optional<long long> numberOrNothing(std::string_view text) {
    long double value = 0;
    if (!parse(text, value) || !fitsNumber(value))
        return std::nullopt;
    return rounded(value);
}

std::optional<long long> numberWithin(std::string_view text, long long low, long long high) {
    const std::optional<long long> value = numberOrNothing(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

int toInteger(std::string_view text) {
    return static_cast<int>(
        bounded(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int toShort(std::string_view text) {
    return static_cast<int>(bounded(text, -32768, 32767));
}

std::optional<bool> booleanOrNothing(std::string_view text) {
    const std::string t = trim(text);
    if (text::equalsNoCase(t, "True"))
        return true;
    if (text::equalsNoCase(t, "False"))
        return false;
    const std::optional<long long> value = numberOrNothing(t);
    return value ? std::optional(*value != 0) : std::nullopt;
}

std::string booleanText(bool value) {
    return value ? "True" : "False";
}

} // namespace pictorn::app
