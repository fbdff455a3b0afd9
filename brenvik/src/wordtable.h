#pragma once

// Counting table for the dictionary build: open addressing with linear
// probing; the words' bytes live in one growing arena, so counting a word
// that is already known allocates nothing. Out of memory is reported by
// the return values, never by exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace brenvik {

struct WordEntry {
    uint64_t hash;
    uint64_t offset; // into the arena
    uint64_t length;
    uint64_t count;
    uint64_t first; // file offset of the first occurrence
};

// Hash of `length` bytes at `p`, different for every `seed`, so that no
// text can be made to pile its words into one run of the table.
inline uint64_t hashWord(const uint8_t *p, uint64_t length, uint64_t seed)
{
    uint64_t h = seed ^ 0x9E3779B97F4A7C15ull ^ (length * 0xA24BAED4963EE407ull);
    uint64_t n = length;
    while (n >= 8) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        h = (h ^ v) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
        p += 8;
        n -= 8;
    }
    if (n) {
        uint64_t v = 0;
        for (uint64_t i = 0; i < n; ++i)
            v |= uint64_t(p[i]) << (8 * i);
        h = (h ^ v) * 0x94D049BB133111EBull;
    }
    // Full avalanche: the low bits pick the slot, the high bits are the tag.
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

class WordTable {
public:
    WordTable() = default;
    WordTable(const WordTable &) = delete;
    WordTable &operator=(const WordTable &) = delete;
    ~WordTable()
    {
        std::free(m_slots);
        std::free(m_entries);
        std::free(m_arena);
    }

    uint32_t size() const { return m_size; }
    const WordEntry &entry(uint32_t i) const { return m_entries[i]; }
    const uint8_t *word(const WordEntry &e) const { return m_arena + e.offset; }

    // Room for `n` bytes after the words, where a word can be gathered
    // before it is added; null when memory ran out. Moves when it grows.
    uint8_t *spare(uint64_t n) { return reserveArena(n) ? m_arena + m_arenaSize : nullptr; }

    // Done counting: gives back the slots and lends the entries out to be
    // put in any order. The table takes no more words.
    WordEntry *finish()
    {
        std::free(m_slots);
        m_slots = nullptr;
        m_mask = 0;
        m_entryCapacity = m_size; // any further add fails instead of using the slots
        m_finished = true;
        return m_entries;
    }

    // Adds `count` occurrences of the word; false when memory ran out. A hit
    // reads only its slot and the word's bytes: the entry is merely updated.
    bool add(const uint8_t *w, uint64_t length, uint64_t hash, uint64_t first, uint64_t count)
    {
        if (m_finished || (!m_slots && !grow()))
            return false;
        const uint64_t tag = hash >> 32;
        uint64_t i = hash & m_mask;
        for (;;) {
            const Slot &s = m_slots[i];
            if (s.key == 0)
                break;
            if ((s.key >> 32) == tag && s.length == length &&
                std::memcmp(m_arena + s.offset, w, length) == 0) {
                WordEntry &e = m_entries[uint32_t(s.key) - 1];
                e.count += count;
                if (first < e.first)
                    e.first = first;
                return true;
            }
            i = (i + 1) & m_mask;
        }
        return insert(i, w, length, hash, first, count);
    }

private:
    bool insert(uint64_t slot, const uint8_t *w, uint64_t length, uint64_t hash, uint64_t first,
                uint64_t count);
    bool grow();
    bool reserveEntry();
    bool reserveArena(uint64_t extra);

    struct Slot {
        uint64_t key; // (hash >> 32) << 32 | entry index + 1; 0 is free
        uint64_t offset;
        uint64_t length;
    };
    Slot *m_slots = nullptr;
    uint64_t m_mask = 0;
    WordEntry *m_entries = nullptr;
    uint32_t m_size = 0;
    uint32_t m_entryCapacity = 0;
    uint8_t *m_arena = nullptr;
    uint64_t m_arenaSize = 0;
    uint64_t m_arenaCapacity = 0;
    bool m_finished = false;
};

} // namespace brenvik
