#include "wordtable.h"

namespace brenvik {

bool WordTable::grow()
{
    const uint64_t capacity = m_slots ? (m_mask + 1) * 2 : 4096;
    if (capacity > (uint64_t(1) << 40))
        return false;
    auto *slots = static_cast<Slot *>(std::calloc(capacity, sizeof(Slot)));
    if (!slots)
        return false;
    const uint64_t mask = capacity - 1;
    for (uint32_t k = 0; k < m_size; ++k) {
        uint64_t i = m_entries[k].hash & mask;
        while (slots[i].key)
            i = (i + 1) & mask;
        slots[i] = Slot{(m_entries[k].hash >> 32) << 32 | (uint64_t(k) + 1), m_entries[k].offset,
                        m_entries[k].length};
    }
    std::free(m_slots);
    m_slots = slots;
    m_mask = mask;
    return true;
}

bool WordTable::reserveEntry()
{
    if (m_size < m_entryCapacity)
        return true;
    if (m_entryCapacity >= 0x7FFFFFFFu)
        return false;
    const uint64_t capacity = m_entryCapacity ? uint64_t(m_entryCapacity) * 2 : 1024;
    const uint32_t bounded = capacity > 0xFFFFFFFEu ? 0xFFFFFFFEu : uint32_t(capacity);
    auto *entries = static_cast<WordEntry *>(std::realloc(m_entries, bounded * sizeof(WordEntry)));
    if (!entries)
        return false;
    m_entries = entries;
    m_entryCapacity = bounded;
    return true;
}

bool WordTable::reserveArena(uint64_t extra)
{
    if (m_arenaCapacity - m_arenaSize >= extra)
        return true;
    uint64_t capacity = m_arenaCapacity ? m_arenaCapacity : 64 * 1024;
    while (capacity - m_arenaSize < extra) {
        if (capacity > (uint64_t(1) << 46))
            return false;
        capacity *= 2;
    }
    auto *arena = static_cast<uint8_t *>(std::realloc(m_arena, capacity));
    if (!arena)
        return false;
    m_arena = arena;
    m_arenaCapacity = capacity;
    return true;
}

bool WordTable::insert(uint64_t slot, const uint8_t *w, uint64_t length, uint64_t hash,
                       uint64_t first, uint64_t count)
{
    if (!reserveEntry() || !reserveArena(length))
        return false;
    std::memmove(m_arena + m_arenaSize, w, length); // the word may already lie there: see spare()
    m_entries[m_size] = WordEntry{hash, m_arenaSize, length, count, first};
    m_arenaSize += length;
    m_slots[slot] = Slot{(hash >> 32) << 32 | (uint64_t(m_size) + 1), m_arenaSize - length, length};
    ++m_size;
    // Keep the load at most one half so that probes stay short.
    if (uint64_t(m_size) * 2 > m_mask + 1)
        return grow();
    return true;
}

} // namespace brenvik
