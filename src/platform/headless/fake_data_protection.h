#pragma once
// Seals by reversing the bytes behind a tag naming the user, so tests can see that stored
// passwords are not plain and that another user's seal does not open.
#include "platform/data_protection.h"

#include <algorithm>
#include <string>

namespace pictorn::headless {

class FakeDataProtection : public platform::DataProtection {
public:
    std::optional<std::string> protect(std::string_view plain) override {
        if (failing) {
            return std::nullopt;
        }
        std::string sealed(plain.rbegin(), plain.rend());
        return "sealed-for:" + user + ":" + sealed;
    }
    std::optional<std::string> unprotect(std::string_view sealed) override {
        const std::string tag = "sealed-for:" + user + ":";
        if (failing || !sealed.starts_with(tag)) {
            return std::nullopt;
        }
        sealed.remove_prefix(tag.size());
        return std::string(sealed.rbegin(), sealed.rend());
    }

    std::string user = "ann";
    bool failing = false;
};

} // namespace pictorn::headless
