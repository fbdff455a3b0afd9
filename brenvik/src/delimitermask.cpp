#include "delimitermask.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace brenvik {

DelimiterMask::DelimiterMask(const uint8_t flags[256])
{
    std::memset(m_low, 0, sizeof m_low);
    std::memset(m_high, 0, sizeof m_high);
    for (int b = 0; b < 256; ++b) {
        m_flags[b] = flags[b] ? 1 : 0;
        if (!flags[b])
            continue;
        const int lo = b & 15, hi = b >> 4;
        uint8_t *table = hi < 8 ? m_low : m_high;
        table[lo] |= uint8_t(1u << (hi & 7));
        table[lo + 16] |= uint8_t(1u << (hi & 7));
    }
#if defined(__x86_64__)
    m_avx2 = __builtin_cpu_supports("avx2");
#endif
}

void DelimiterMask::fill(const uint8_t *p, size_t groups, uint64_t *out) const
{
#if defined(__x86_64__)
    if (m_avx2) {
        fillAvx2(p, groups, out);
        return;
    }
#endif
    fillPortable(p, groups, out);
}

void DelimiterMask::fillPortable(const uint8_t *p, size_t groups, uint64_t *out) const
{
    for (size_t k = 0; k < groups; ++k, p += 64) {
        uint64_t m = 0;
        for (unsigned i = 0; i < 64; ++i)
            m |= uint64_t(m_flags[p[i]]) << i;
        out[k] = m;
    }
}

#if defined(__x86_64__)
namespace {

// A byte's low nibble picks a row of bits, its high nibble the bit in it:
// two shuffles look up the row (one table for each half of the byte range,
// chosen by the byte's top bit), a third turns the high nibble into its bit.
__attribute__((target("avx2"))) inline uint32_t delimiters32(const uint8_t *q, __m256i low, __m256i high)
{
    const __m256i bits = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4,
                                          8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(q));
    const __m256i lo = _mm256_and_si256(v, nibble);
    const __m256i hi = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
    const __m256i row = _mm256_blendv_epi8(_mm256_shuffle_epi8(low, lo), _mm256_shuffle_epi8(high, lo), v);
    const __m256i hit = _mm256_and_si256(row, _mm256_shuffle_epi8(bits, hi));
    // Bytes whose bit is clear are not delimiters.
    return ~uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(hit, _mm256_setzero_si256())));
}

} // namespace

__attribute__((target("avx2"))) void DelimiterMask::fillAvx2(const uint8_t *p, size_t groups,
                                                             uint64_t *out) const
{
    const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i *>(m_low));
    const __m256i high = _mm256_load_si256(reinterpret_cast<const __m256i *>(m_high));
    for (size_t k = 0; k < groups; ++k, p += 64)
        out[k] = uint64_t(delimiters32(p, low, high)) | uint64_t(delimiters32(p + 32, low, high)) << 32;
}
#endif

} // namespace brenvik
