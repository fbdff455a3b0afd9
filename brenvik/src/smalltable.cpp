#include "smalltable.h"

#include <algorithm>
#include <cstdlib>

namespace brenvik {

SmallTable::~SmallTable() { clear(); }

void SmallTable::clear()
{
    finish();
    std::free(m_entries);
    m_entries = nullptr;
    m_size = m_capacity = 0;
}

SmallEntry *SmallTable::finish()
{
    std::free(m_index);
    m_index = nullptr;
    m_capacity = m_size; // so that a further add builds a new index first
    for (unsigned k = 0; k < m_retiredCount; ++k)
        std::free(m_retired[k]);
    m_retiredCount = 0;
    return m_entries;
}

void SmallTable::remap(const uint8_t map[256])
{
    if (!m_index)
        return;
    std::memset(m_index, 0, (m_mask + 1) * sizeof(uint32_t));
    // Entries only ever move down to the next free place, so one pass does
    // it; they are taken in chunks whose index slots are fetched ahead.
    constexpr uint64_t kChunk = 64;
    SmallEntry chunk[kChunk];
    uint64_t slots[kChunk];
    uint64_t kept = 0;
    for (uint64_t at = 0; at < m_size; at += kChunk) {
        const uint64_t n = std::min(kChunk, m_size - at);
        for (uint64_t k = 0; k < n; ++k) {
            SmallEntry &e = chunk[k];
            e = m_entries[at + k];
            uint8_t w[kSmallWord];
            for (uint64_t i = 0; i < kSmallWord; ++i)
                w[i] = map[e.bytes()[i]];
            key(w, e.length(), e.lo, e.hi);
            slots[k] = slotOf(e.lo, e.hi, e.length());
            __builtin_prefetch(m_index + slots[k]);
        }
        for (uint64_t k = 0; k < n; ++k) {
            const SmallEntry &e = chunk[k];
            for (uint64_t i = slots[k];; i = (i + 1) & m_mask) {
                const uint32_t id = m_index[i];
                if (id == 0) {
                    m_entries[kept] = e;
                    m_index[i] = uint32_t(++kept);
                    break;
                }
                SmallEntry &same = m_entries[id - 1];
                if (same.lo == e.lo && same.hi == e.hi && same.length() == e.length()) {
                    same.count += e.count;
                    if (e.first() < same.first())
                        same.meta = e.meta;
                    break;
                }
            }
        }
    }
    m_size = kept;
}

void SmallTable::retire(void *block, uint64_t bytes)
{
    if (!block)
        return;
    // Big blocks go back at once: they are outgrown seldom, and keeping them would double the memory.
    if (bytes < kKeepAtMost && m_retiredCount < sizeof m_retired / sizeof *m_retired)
        m_retired[m_retiredCount++] = block;
    else
        std::free(block);
}

bool SmallTable::grow()
{
    unsigned bits = m_index ? 64 - m_shift + 1 : 13;
    while ((uint64_t(1) << bits) / 2 <= m_size) // after finish() the index is rebuilt
        ++bits;
    // Entry numbers are 4 bytes, and the index keeps a free slot for every used one.
    if (bits > 32)
        return false;
    const uint64_t slots = uint64_t(1) << bits, capacity = slots / 2;
    auto *index = static_cast<uint32_t *>(std::calloc(slots, sizeof(uint32_t)));
    if (!index)
        return false;
    // Entries grow in place where they can: a big block is remapped, not copied.
    auto *entries = static_cast<SmallEntry *>(std::realloc(m_entries, capacity * sizeof(SmallEntry)));
    if (!entries) {
        std::free(index);
        return false;
    }
    retire(m_index, (m_mask + 1) * sizeof(uint32_t));
    m_index = index;
    m_entries = entries;
    m_capacity = capacity;
    m_mask = slots - 1;
    m_shift = 64 - bits;
    // Slots are asked for a few entries ahead: a big index is far from the cache.
    constexpr uint64_t kAhead = 16;
    for (uint64_t k = 0; k < m_size; ++k) {
        if (k + kAhead < m_size) {
            const SmallEntry &ahead = m_entries[k + kAhead];
            __builtin_prefetch(m_index + slotOf(ahead.lo, ahead.hi, ahead.length()), 1);
        }
        const SmallEntry &e = m_entries[k];
        uint64_t i = slotOf(e.lo, e.hi, e.length());
        while (m_index[i])
            i = (i + 1) & m_mask;
        m_index[i] = uint32_t(k + 1);
    }
    return true;
}

} // namespace brenvik
