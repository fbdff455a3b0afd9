#pragma once

// Counting table for words of at most 16 bytes: each entry holds its word's
// bytes, so a lookup compares two integers. A hash index of 4-byte entry
// numbers points into the entries, which stay in the order the words first
// came: common words come early, so the hot part of the table stays small
// and in cache. Linear probing; out of memory is reported by return values.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace brenvik {

constexpr uint64_t kSmallWord = 16;
static_assert(std::endian::native == std::endian::little, "a word's first byte is the low byte of its key");

// For each length 0..16, the masks that keep that many leading bytes of two
// little-endian 8-byte loads.
struct KeepBytes {
    uint64_t masks[kSmallWord + 1][2];
    constexpr const uint64_t *operator[](uint64_t length) const { return masks[length]; }
};
constexpr KeepBytes makeKeepBytes()
{
    KeepBytes k{};
    for (uint64_t n = 0; n <= kSmallWord; ++n) {
        k.masks[n][0] = n >= 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * n)) - 1;
        k.masks[n][1] = n >= 16 ? ~uint64_t(0) : n <= 8 ? 0 : (uint64_t(1) << (8 * (n - 8))) - 1;
    }
    return k;
}
inline constexpr KeepBytes kKeepBytes = makeKeepBytes();

struct SmallEntry {
    uint64_t lo, hi; // the word's bytes, zero past its length
    uint64_t count;
    uint64_t meta; // first occurrence << 5 | length
    uint64_t length() const { return meta & 31; }
    uint64_t first() const { return meta >> 5; }
    // The word's bytes, as they lie in lo and hi (little-endian).
    const uint8_t *bytes() const { return reinterpret_cast<const uint8_t *>(this); }
};
static_assert(sizeof(SmallEntry) == 32 && offsetof(SmallEntry, lo) == 0 && offsetof(SmallEntry, hi) == 8,
              "an entry is half a cache line, its word's bytes first");

class SmallTable {
public:
    explicit SmallTable(uint64_t seed = 0) : m_seed(seed) {}
    SmallTable(const SmallTable &) = delete;
    SmallTable &operator=(const SmallTable &) = delete;
    ~SmallTable();

    // Counts `count` occurrences of the word whose bytes are lo, hi (zero
    // past `length`, 1..16) and whose earliest occurrence is at `first`.
    bool add(uint64_t lo, uint64_t hi, uint64_t length, uint64_t first, uint64_t count = 1)
    {
        if (m_size >= m_capacity && !grow())
            return false;
        uint64_t i = slotOf(lo, hi, length);
        for (;;) {
            const uint32_t id = m_index[i];
            if (id == 0)
                break;
            SmallEntry &e = m_entries[id - 1];
            if (e.lo == lo && e.hi == hi && e.length() == length) {
                e.count += count;
                // Only merging can bring an earlier occurrence later.
                if (first < e.first())
                    e.meta = first << 5 | length;
                return true;
            }
            i = (i + 1) & m_mask;
        }
        SmallEntry &e = m_entries[m_size];
        e.lo = lo;
        e.hi = hi;
        e.count = count;
        e.meta = first << 5 | length;
        m_index[i] = uint32_t(++m_size);
        return true;
    }

    struct Key {
        uint64_t lo, hi, length, first, count;
    };
    // Adds many words at once: asking for all their index slots, then for
    // all their entries, before counting any, lets the memory fetch them in
    // parallel instead of one after the other.
    bool addAll(const Key *keys, size_t n)
    {
        constexpr size_t kAhead = 64;
        uint64_t slots[kAhead];
        for (size_t at = 0; at < n; at += kAhead) {
            const size_t m = std::min(kAhead, n - at);
            if (m_index) {
                for (size_t k = 0; k < m; ++k) {
                    const Key &w = keys[at + k];
                    slots[k] = slotOf(w.lo, w.hi, w.length);
                    __builtin_prefetch(m_index + slots[k]);
                }
                for (size_t k = 0; k < m; ++k)
                    if (const uint32_t id = m_index[slots[k]])
                        __builtin_prefetch(m_entries + id - 1);
            }
            for (size_t k = 0; k < m; ++k) {
                const Key &w = keys[at + k];
                if (!add(w.lo, w.hi, w.length, w.first, w.count))
                    return false;
            }
        }
        return true;
    }

    uint64_t size() const { return m_size; }
    const SmallEntry &entry(uint64_t k) const { return m_entries[k]; }

    // Rewrites every word through `map` (as lower-casing does), merging the
    // entries that become one word. The entries keep their order.
    void remap(const uint8_t map[256]);

    // Done counting: gives back the index and outgrown blocks, and lends the
    // entries out to be put in any order. A word added later builds a new index first.
    SmallEntry *finish();
    // Gives back all memory: the table is empty.
    void clear();

    // Reads `length` (1..16) bytes at p as the table keys them; the 16 bytes
    // from p must be readable. Branch-free: word lengths are too varied to predict.
    static void key(const uint8_t *p, uint64_t length, uint64_t &lo, uint64_t &hi)
    {
        std::memcpy(&lo, p, 8);
        std::memcpy(&hi, p + 8, 8);
        lo &= kKeepBytes[length][0];
        hi &= kKeepBytes[length][1];
    }

private:
    uint64_t slotOf(uint64_t lo, uint64_t hi, uint64_t length) const
    {
        uint64_t h = (lo ^ m_seed) * 0x9E3779B97F4A7C15ull;
        h ^= (hi + length) * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        return h >> m_shift;
    }
    bool grow();
    void retire(void *block, uint64_t bytes);

    uint32_t *m_index = nullptr;
    uint64_t m_mask = 0;
    unsigned m_shift = 64;
    SmallEntry *m_entries = nullptr;
    uint64_t m_size = 0;
    uint64_t m_capacity = 0; // entries; the index has twice as many slots
    uint64_t m_seed;
    // Outgrown blocks, freed with the table: giving memory back while the
    // other reader runs would make the system stop both cores to flush
    // their address caches, again and again while the table is young.
    static constexpr uint64_t kKeepAtMost = 8u << 20;
    void *m_retired[32] = {};
    unsigned m_retiredCount = 0;
};

} // namespace brenvik
