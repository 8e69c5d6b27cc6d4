#pragma once
// Rows written past the caches. A pass over a 4K picture writes tens of megabytes that no
// cache holds until they are read again; a plain store first reads each line in, so the pass
// moves half as much memory again. Streamed stores skip that read. (SSE2, as in every x86-64.)
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace pictorn::imaging {

// A pass writing fewer pixels keeps them in the caches for whoever reads them next.
constexpr bool worthStreaming(long long pixels) {
    return pixels >= 1024 * 1024;
}

// out[i] = pixel(in[i]) for i < n, four at a time by vector() where `out` is aligned for it.
// finishStreaming() must follow before another thread reads what was written.
template <class Pixel, class Vector>
void streamRow(const std::uint32_t* in, std::uint32_t* out, std::size_t n, Pixel pixel,
               Vector vector) {
    std::size_t i = 0;
    for (; i < n && (reinterpret_cast<std::uintptr_t>(out + i) & 15) != 0; ++i) {
        out[i] = pixel(in[i]);
    }
    for (; i + 4 <= n; i += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + i), vector(four));
    }
    for (; i < n; ++i) {
        out[i] = pixel(in[i]);
    }
}

inline void streamCopy(const std::uint32_t* in, std::uint32_t* out, std::size_t n) {
    streamRow(
        in, out, n, [](std::uint32_t p) { return p; }, [](__m128i v) { return v; });
}

inline void streamFill(std::uint32_t* out, std::size_t n, std::uint32_t value) {
    const __m128i four = _mm_set1_epi32(static_cast<int>(value));
    streamRow(
        out, out, n, [value](std::uint32_t) { return value; }, [four](__m128i) { return four; });
}

inline void finishStreaming() {
    _mm_sfence();
}

} // namespace pictorn::imaging
