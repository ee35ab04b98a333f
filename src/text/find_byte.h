#pragma once
// Finding one byte in the short spans the engine searches (a line, a declaration): sixteen bytes
// at a time, inline, rather than through a library call set up for long buffers.
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace scourvane::text {

// The first byte c of the n bytes at p, or null.
inline const char* findByte(const char* p, std::size_t n, char c) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; n >= 16; p += 16, n -= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
        if (hits != 0) return p + __builtin_ctz(static_cast<unsigned>(hits));
    }
#endif
    return n == 0 ? nullptr : static_cast<const char*>(std::memchr(p, c, n));
}

}  // namespace scourvane::text
