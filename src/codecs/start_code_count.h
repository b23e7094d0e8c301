// SPDX-License-Identifier: GPL-3.0-or-later
// Counting one 4-byte start code (00 00 01 xx) in video payload: the only pass over every
// payload byte of a Read, so it looks at 16 or 32 bytes at a time for the zero pairs that begin a code.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef __x86_64__
#include <immintrin.h>
#endif

namespace quarnel {

// Codes 00 00 01 `last` at i..n: the plain loop that finishes what the wide loops leave.
inline int32_t countStartCodesFrom(const uint8_t* p, size_t n, uint8_t last, size_t i) {
    int32_t found = 0;
    for (; i + 3 < n; ++i)
        if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1 && p[i + 3] == last) ++found;
    return found;
}

// The zero pairs of a block as a bit mask give the candidates; each is checked for 01 `last`.
inline int32_t countCandidates(const uint8_t* p, size_t at, unsigned pairs, uint8_t last) {
    int32_t found = 0;
    while (pairs) {
        const size_t k = at + size_t(__builtin_ctz(pairs));
        if (p[k + 2] == 1 && p[k + 3] == last) ++found;
        pairs &= pairs - 1;
    }
    return found;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QUARNEL_START_CODES_AVX2 1
// 32 bytes at a time where the processor has AVX2, chosen when the program runs.
__attribute__((target("avx2"))) inline int32_t countStartCodesAvx2(const uint8_t* p, size_t n, uint8_t last) {
    int32_t found = 0;
    size_t i = 0;
    const __m256i zero = _mm256_setzero_si256();
    for (; i + 35 <= n; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 1));
        const unsigned pairs = unsigned(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, zero), _mm256_cmpeq_epi8(b, zero))));
        if (pairs) found += countCandidates(p, i, pairs, last);
    }
    return found + countStartCodesFrom(p, n, last, i);
}
#endif

// 16 bytes at a time (SSE2 is part of every x86-64 processor).
inline int32_t countStartCodesSse2(const uint8_t* p, size_t n, uint8_t last) {
    int32_t found = 0;
    size_t i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    // a code starts at i + k when bytes i+k and i+k+1 are zero; a block needs 3 bytes beyond it
    for (; i + 19 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const unsigned pairs =
            unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, zero), _mm_cmpeq_epi8(b, zero))));
        if (pairs) found += countCandidates(p, i, pairs, last);
    }
#endif
    return found + countStartCodesFrom(p, n, last, i);
}

// Codes 00 00 01 `last` that lie wholly inside p[0, n).
inline int32_t countStartCodes(const uint8_t* p, size_t n, uint8_t last) {
#ifdef QUARNEL_START_CODES_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return countStartCodesAvx2(p, n, last);
#endif
    return countStartCodesSse2(p, n, last);
}

}  // namespace quarnel
