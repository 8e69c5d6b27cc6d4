#pragma once
// Printers for tests, including the case Wine cannot produce: printers installed but
// none of them chosen as the default.
#include "platform/printer.h"

#include <functional>
#include <string>
#include <vector>

namespace pictorn::headless {

class FakePrinters : public platform::Printers {
public:
    struct Printed {
        std::string printer;
        platform::PrintRequest request;
        int width = 0;
        int height = 0;
    };

    std::vector<std::string> installed() override { return printers; }
    std::optional<std::string> defaultPrinter() override { return defaultName; }
    std::uint32_t printPicture(std::string_view printer, const imaging::Picture& picture,
                               const platform::PrintRequest& request) override {
        if (whilePrinting)
            whilePrinting();
        if (failWith != 0) {
            return failWith;
        }
        printed.push_back({std::string(printer), request, picture.width, picture.height});
        return 0;
    }

    // One printer, the default.
    void installOne(std::string name = "Office Printer") {
        printers = {name};
        defaultName = std::move(name);
    }

    std::vector<std::string> printers;
    std::optional<std::string> defaultName;
    std::uint32_t failWith = 0; // system error code every print returns
    // Runs while a print is under way, for tests that act meanwhile.
    std::function<void()> whilePrinting;
    std::vector<Printed> printed;
};

} // namespace pictorn::headless
