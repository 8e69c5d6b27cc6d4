#pragma once
// Address lists as users type them: "Ann <ann@x.org>, \"Smith, John\" <js@y.org>; bob@z.org".
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::net {

struct MailAddress {
    std::string name;    // display name without quotes; may be empty
    std::string address; // what goes into the envelope
};

// Splits at commas and semicolons that stand outside double quotes and angle brackets;
// empty items are skipped. An item with "<...>" gives the bracketed address and the text
// before it as the name (quotes removed, \" unescaped); any other item is a bare address.
std::vector<MailAddress> parseAddressList(std::string_view list);

} // namespace pictorn::net
