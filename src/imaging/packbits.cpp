#include "imaging/packbits.h"

namespace pictorn::imaging {

void packBits(std::span<const std::uint8_t> in, Bytes& out) {
    const std::size_t n = in.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && in[i + run] == in[i]) {
            ++run;
        }
        // A run of two costs as much as a literal pair; only longer runs are worth a code.
        if (run >= 3) {
            out.push_back(static_cast<std::uint8_t>(257 - run));
            out.push_back(in[i]);
            i += run;
            continue;
        }
        const std::size_t start = i;
        std::size_t length = 0;
        while (i < n && length < 128) {
            if (i + 2 < n && in[i] == in[i + 1] && in[i] == in[i + 2]) {
                break;
            }
            ++i;
            ++length;
        }
        out.push_back(static_cast<std::uint8_t>(length - 1));
        out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(start),
                   in.begin() + static_cast<std::ptrdiff_t>(start + length));
    }
}

} // namespace pictorn::imaging
