// Counting one 4-byte start code (00 00 01 xx) in video payload: the only pass over every
// payload byte of a Read, so it looks at 16 bytes at a time for the zero pairs that begin a code.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quarnel {

// Codes 00 00 01 `last` that lie wholly inside p[0, n).
inline int32_t countStartCodes(const uint8_t* p, size_t n, uint8_t last) {
    int32_t found = 0;
    size_t i = 0;
    if (n < 4) return 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    // a code starts at i + k when bytes i+k and i+k+1 are zero; a block needs 3 bytes beyond it
    for (; i + 19 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        unsigned pairs = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, zero), _mm_cmpeq_epi8(b, zero))));
        while (pairs) {
            const size_t at = i + size_t(__builtin_ctz(pairs));
            if (p[at + 2] == 1 && p[at + 3] == last) ++found;
            pairs &= pairs - 1;
        }
    }
#endif
    for (; i + 3 < n; ++i)
        if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1 && p[i + 3] == last) ++found;
    return found;
}

}  // namespace quarnel
