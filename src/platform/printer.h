#pragma once
// The installed printers and printing one picture on a page.
#include "imaging/picture.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::platform {

struct PrintRequest {
    std::string documentName; // the name of the job in the printer's queue
    bool fitToPage = true;    // enlarge small pictures to the page as well as shrink big ones
};

class Printers {
public:
    virtual ~Printers() = default;
    // Names of the printers the user can print to.
    virtual std::vector<std::string> installed() = 0;
    // The user's default printer; nothing when none is chosen (or none is installed).
    virtual std::optional<std::string> defaultPrinter() = 0;
    // Prints the picture on one page of the named printer; 0 or the system error code.
    virtual std::uint32_t printPicture(std::string_view printer, const imaging::Picture& picture,
                                       const PrintRequest& request) = 0;
};

} // namespace pictorn::platform
