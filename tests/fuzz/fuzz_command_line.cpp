// libFuzzer target for the command-line parser: the input is split at NUL bytes into
// arguments (scripts/fuzz.sh builds and runs it).
#include "app/command_options.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }
    const auto result = pictorn::app::cli::parse(arguments);
    // A request is either understood or refused with a reason, never both or neither.
    if (result.ok() == !result.error.empty())
        std::abort();
    if (result.ok() && !result.request.savePath.empty() && !result.request.capture)
        std::abort();
    if (!result.ok() && pictorn::app::cli::errorMessage(result).size() <= result.error.size())
        std::abort();
    return 0;
}
