#include "imaging/packbits.h"

namespace pictorn::imaging {

namespace {

// Cuts `in` into runs (run(length, value)) and literal stretches (literal(start, length)).
template <class Run, class Literal>
void packRuns(std::span<const std::uint8_t> in, const Run& run, const Literal& literal) {
    const std::size_t n = in.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t length = 1;
        while (i + length < n && length < 128 && in[i + length] == in[i]) {
            ++length;
        }
        // A run of two costs as much as a literal pair; only longer runs are worth a code.
        if (length >= 3) {
            run(length, in[i]);
            i += length;
            continue;
        }
        const std::size_t start = i;
        length = 0;
        while (i < n && length < 128) {
            if (i + 2 < n && in[i] == in[i + 1] && in[i] == in[i + 2]) {
                break;
            }
            ++i;
            ++length;
        }
        literal(start, length);
    }
}

} // namespace

void packBits(std::span<const std::uint8_t> in, Bytes& out) {
    packRuns(
        in,
        [&](std::size_t length, std::uint8_t value) {
            out.push_back(static_cast<std::uint8_t>(257 - length));
            out.push_back(value);
        },
        [&](std::size_t start, std::size_t length) {
            out.push_back(static_cast<std::uint8_t>(length - 1));
            out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(start),
                       in.begin() + static_cast<std::ptrdiff_t>(start + length));
        });
}

std::size_t packedSize(std::span<const std::uint8_t> in) {
    std::size_t size = 0;
    packRuns(
        in, [&](std::size_t, std::uint8_t) { size += 2; },
        [&](std::size_t, std::size_t length) { size += 1 + length; });
    return size;
}

} // namespace pictorn::imaging
