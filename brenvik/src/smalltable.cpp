#include "smalltable.h"

#include <cstdlib>

namespace brenvik {

SmallTable::~SmallTable()
{
    std::free(m_index);
    std::free(m_entries);
    for (unsigned k = 0; k < m_retiredCount; ++k)
        std::free(m_retired[k]);
}

void SmallTable::retire(void *block)
{
    if (!block)
        return;
    if (m_retiredCount < sizeof m_retired / sizeof *m_retired)
        m_retired[m_retiredCount++] = block;
    else
        std::free(block);
}

bool SmallTable::grow()
{
    const unsigned bits = m_index ? 64 - m_shift + 1 : 13;
    // Entry numbers are 4 bytes, and the index keeps a free slot for every used one.
    if (bits > 32)
        return false;
    const uint64_t slots = uint64_t(1) << bits, capacity = slots / 2;
    auto *index = static_cast<uint32_t *>(std::calloc(slots, sizeof(uint32_t)));
    auto *entries = static_cast<SmallEntry *>(std::malloc(capacity * sizeof(SmallEntry)));
    if (!index || !entries) {
        std::free(index);
        std::free(entries);
        return false;
    }
    if (m_entries)
        std::memcpy(entries, m_entries, m_size * sizeof(SmallEntry));
    retire(m_index);
    retire(m_entries);
    m_index = index;
    m_entries = entries;
    m_capacity = capacity;
    m_mask = slots - 1;
    m_shift = 64 - bits;
    for (uint64_t k = 0; k < m_size; ++k) {
        const SmallEntry &e = m_entries[k];
        uint64_t i = slotOf(e.lo, e.hi, e.length());
        while (m_index[i])
            i = (i + 1) & m_mask;
        m_index[i] = uint32_t(k + 1);
    }
    return true;
}

} // namespace brenvik
