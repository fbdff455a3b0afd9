#pragma once

// Finds the delimiters of a text 64 bytes at a time, as bit masks, so that
// the word loop jumps from word to word instead of testing every byte.
#include <cstddef>
#include <cstdint>

namespace brenvik {

class DelimiterMask {
public:
    // `flags[b]` is non-zero when byte b is a delimiter.
    explicit DelimiterMask(const uint8_t flags[256]);

    // out[k] gets bit i set when p[64k + i] is a delimiter, for k < groups.
    // Reads exactly 64 * groups bytes.
    void fill(const uint8_t *p, size_t groups, uint64_t *out) const;

    bool isDelimiter(uint8_t b) const { return m_flags[b] != 0; }

    // The two ways fill() may take, open so that each can be checked on any machine.
    void fillPortable(const uint8_t *p, size_t groups, uint64_t *out) const;
#if defined(__x86_64__)
    bool hasAvx2() const { return m_avx2; }
    void fillAvx2(const uint8_t *p, size_t groups, uint64_t *out) const;
#endif

private:

    uint8_t m_flags[256];
    // For each low nibble, one bit per high nibble 0..7 (m_low) or 8..15
    // (m_high); both 16-byte halves the same, for 32-byte shuffles.
    alignas(32) uint8_t m_low[32];
    alignas(32) uint8_t m_high[32];
    bool m_avx2 = false;
};

} // namespace brenvik
