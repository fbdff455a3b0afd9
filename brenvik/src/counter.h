#pragma once

// Counts the words of a text: words of up to 16 bytes as they stand, in a
// table that keys them by their bytes; longer ones lower-cased, in a general
// table. Case forms of one word are merged once counting is done, which
// keeps lower-casing off the path every byte takes.
#include "delimitermask.h"
#include "files.h"
#include "smalltable.h"
#include "wordtable.h"

#include <cstdint>

namespace brenvik {

class Counter {
public:
    // Counters whose long words are merged must share `seed`.
    Counter(const DelimiterMask &delimiters, uint64_t minimum, uint64_t seed)
        : m_delimiters(delimiters), m_minimum(minimum), m_seed(seed), m_small(seed ^ 0x5DEECE66Dull)
    {
    }

    // Scratch space for one batch, kept off the stack: the caller's thread may have little.
    bool prepare() { return m_spans.allocate(kMostWords) && m_keys.allocate(kMostWords); }

    // Counts the words of [b, e), whose first byte is at file offset `base`.
    // [b, e) starts at a word or delimiter and ends after one or at the end of
    // the text, is shorter than 4 GiB, and the 64 bytes past e are readable.
    // Long words are lower-cased in place.
    void count(uint8_t *b, uint8_t *e, uint64_t base);

    // A word longer than a reading step, gathered lower-cased across steps
    // straight into the long-word table's spare room, so that it is never
    // held twice. extendLong is false when memory ran out.
    void startLong(uint64_t first);
    bool extendLong(const uint8_t *p, uint64_t n);
    void finishLong();
    bool gathering() const { return m_gathering; }

    bool failed() const { return m_failed; }
    const DelimiterMask &delimiters() const { return m_delimiters; }
    SmallTable &small() { return m_small; }
    WordTable &longWords() { return m_longWords; }
    uint64_t minimum() const { return m_minimum; }

private:
    struct Span {
        uint32_t start, length; // from the start of the range
    };
    static constexpr size_t kBatch = 32;                   // groups of 64 bytes: 2 KB of text
    static constexpr size_t kMostWords = kBatch * 32 + 1; // words ending in one batch

    void word(uint8_t *w, uint64_t length, uint64_t first);
    void longWord(uint8_t *w, uint64_t length, uint64_t first);

    const DelimiterMask &m_delimiters;
    const uint64_t m_minimum;
    const uint64_t m_seed;
    SmallTable m_small;
    WordTable m_longWords;
    Buffer<Span> m_spans;
    Buffer<SmallTable::Key> m_keys;
    bool m_failed = false;
    bool m_gathering = false;
    uint64_t m_gathered = 0, m_gatherFirst = 0;
};

} // namespace brenvik
