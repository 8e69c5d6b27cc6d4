#pragma once
#include "platform/printer.h"

namespace pictorn::platform::win32 {

// With the environment variable PICTORN_DEBUG_NO_DEFAULT_PRINTER set to 1 the printers
// stay installed but none is the default: Wine always makes the first printer the default,
// so this is the only way to reach that case in tests of the whole program.
class Win32Printers final : public Printers {
public:
    std::vector<std::string> installed() override;
    std::optional<std::string> defaultPrinter() override;
    std::uint32_t printPicture(std::string_view printer, const imaging::Picture& picture,
                               const PrintRequest& request) override;
};

} // namespace pictorn::platform::win32
