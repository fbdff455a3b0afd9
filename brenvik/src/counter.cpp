#include "counter.h"

#include "lower.h"

#include <algorithm>
#include <cstring>

namespace brenvik {

void Counter::count(uint8_t *b, uint8_t *e, uint64_t base)
{
    // Each batch of text is taken in two sweeps: the first finds its words,
    // the second counts them all at once.
    uint64_t masks[kBatch];
    Span *const spans = m_spans.data;
    SmallTable::Key *const keys = m_keys.data;
    uint64_t open = 0; // start of a word running past its group
    bool isOpen = false;
    const uint64_t minimum = m_minimum, end = uint64_t(e - b);
    for (uint64_t g = 0; g < end; g += 64 * kBatch) {
        const size_t groups = std::min<size_t>(kBatch, size_t(end - g + 63) / 64);
        m_delimiters.fill(b + g, groups, masks);
        size_t found = 0;
        for (size_t k = 0; k < groups; ++k) {
            const uint64_t at = g + 64 * k;
            uint64_t d = masks[k];
            if (end - at < 64)
                d |= ~uint64_t(0) << (end - at); // past e counts as a delimiter
            uint64_t n = ~d;
            if (isOpen) {
                if (d == 0)
                    continue;
                const unsigned stop = unsigned(__builtin_ctzll(d));
                spans[found] = Span{uint32_t(open), uint32_t(at + stop - open)};
                found += at + stop - open >= minimum;
                isOpen = false;
                n &= ~uint64_t(0) << stop;
            }
            while (n) {
                const unsigned start = unsigned(__builtin_ctzll(n));
                const uint64_t after = d & (~uint64_t(0) << start);
                if (!after) {
                    open = at + start;
                    isOpen = true;
                    break;
                }
                const unsigned stop = unsigned(__builtin_ctzll(after));
                // Kept only if long enough; no branch on that: it is unpredictable.
                spans[found] = Span{uint32_t(at + start), stop - start};
                found += stop - start >= minimum;
                n &= ~uint64_t(0) << stop;
            }
        }
        size_t shorts = 0;
        for (size_t k = 0; k < found; ++k) {
            const Span &w = spans[k];
            if (w.length <= kSmallWord) {
                SmallTable::Key &key = keys[shorts++];
                SmallTable::key(b + w.start, w.length, key.lo, key.hi);
                key.length = w.length;
                key.first = base + w.start;
                key.count = 1;
            } else {
                longWord(b + w.start, w.length, base + w.start);
            }
        }
        m_failed |= !m_small.addAll(keys, shorts);
        if (m_failed)
            return;
    }
    if (isOpen && end - open >= minimum)
        word(b + open, end - open, base + open);
}

void Counter::word(uint8_t *w, uint64_t length, uint64_t first)
{
    if (length > kSmallWord) {
        longWord(w, length, first);
        return;
    }
    uint64_t lo, hi;
    SmallTable::key(w, length, lo, hi);
    m_failed |= !m_small.add(lo, hi, length, first);
}

void Counter::longWord(uint8_t *w, uint64_t length, uint64_t first)
{
    for (uint64_t i = 0; i < length; ++i)
        w[i] = kLower.map[w[i]];
    m_failed |= !m_longWords.add(w, length, hashWord(w, length, m_seed), first, 1);
}

void Counter::startLong(uint64_t first)
{
    m_gathering = true;
    m_gathered = 0;
    m_gatherFirst = first;
}

bool Counter::extendLong(const uint8_t *p, uint64_t n)
{
    uint8_t *room = m_longWords.spare(m_gathered + n);
    if (!room)
        return false;
    for (uint64_t i = 0; i < n; ++i)
        room[m_gathered + i] = kLower.map[p[i]];
    m_gathered += n;
    return true;
}

void Counter::finishLong()
{
    m_gathering = false;
    const uint64_t length = m_gathered;
    const uint8_t *w = m_longWords.spare(length);
    if (!w) {
        m_failed = true;
        return;
    }
    if (length < m_minimum)
        return;
    if (length > kSmallWord) {
        m_failed |= !m_longWords.add(w, length, hashWord(w, length, m_seed), m_gatherFirst, 1);
        return;
    }
    uint8_t copy[kSmallWord] = {}; // the short-word key reads 16 bytes
    std::memcpy(copy, w, length);
    word(copy, length, m_gatherFirst);
}

} // namespace brenvik
