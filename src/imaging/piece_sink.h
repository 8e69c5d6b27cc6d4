#pragma once
// What the writers that stream their files share: the pieces they hand to a sink, and the
// whole file gathered from them for whoever wants it in memory.
#include "imaging/byte_order.h"

namespace pictorn::imaging {

// About the size of one write to the file: large enough that the calls cost nothing, small
// enough that a large picture's file is never whole in memory.
inline constexpr std::size_t kPieceBytes = 64 * 1024;

// Hands what `out` gathered to the sink once it reaches a piece (or, for the last one,
// whatever is left).
inline void passOn(Bytes& out, const ByteSink& sink, bool last = false) {
    if (out.size() >= kPieceBytes || (last && !out.empty())) {
        sink(out);
        out.clear();
    }
}

// The whole file a streaming writer makes.
template <class Writer> Bytes gatherPieces(const Writer& write) {
    Bytes file;
    write([&file](std::span<const std::uint8_t> piece) {
        file.insert(file.end(), piece.begin(), piece.end());
    });
    return file;
}

} // namespace pictorn::imaging
