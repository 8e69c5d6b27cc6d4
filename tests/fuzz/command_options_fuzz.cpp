// libFuzzer target for the command-line parser: the input is split at NUL bytes into
// arguments. Build and run by hand (see README):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc \
//       tests/fuzz/command_options_fuzz.cpp src/app/command_options.cpp \
//       src/imaging/image_format.cpp -o build/command_options_fuzz
//   build/command_options_fuzz -max_total_time=60 build/fuzz-corpus
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
