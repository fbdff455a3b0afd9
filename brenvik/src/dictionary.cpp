#include "dictionary.h"

#include "lower.h"
#include "notation.h"

#include <algorithm>
#include <cstring>

namespace brenvik {

namespace {

// Every case form of a word and both readers' counts go into one entry for
// the lower-cased word, which comes first where its earliest form did.
// Lower-casing keeps a word's length, so short and long words stay apart:
// all end in first's tables, and second's are emptied.
int32_t mergeWords(Counter &first, Counter &second, Reporter &writing)
{
    SmallTable &words = first.small(), &more = second.small();
    words.remap(kLower.map);
    writing.report(3);
    more.remap(kLower.map);
    writing.report(5);
    const uint64_t pieces = more.size() + second.longWords().size();
    uint64_t merged = 0;
    constexpr uint64_t kChunk = 256;
    SmallTable::Key keys[kChunk];
    for (uint64_t at = 0; at < more.size(); at += kChunk) {
        const uint64_t m = std::min(kChunk, more.size() - at);
        for (uint64_t k = 0; k < m; ++k) {
            const SmallEntry &e = more.entry(at + k);
            keys[k] = SmallTable::Key{e.lo, e.hi, e.length(), e.first(), e.count};
        }
        if (!words.addAll(keys, m))
            return BRENVIK_OUT_OF_MEMORY;
        merged += m;
        writing.report(5 + percentOf(merged, pieces) / 20);
    }
    more.clear();
    WordTable &longWords = first.longWords(), &moreLongWords = second.longWords();
    for (uint32_t k = 0; k < moreLongWords.size(); ++k) {
        const WordEntry &e = moreLongWords.entry(k);
        if (!longWords.add(moreLongWords.word(e), e.length, e.hash, e.first, e.count))
            return BRENVIK_OUT_OF_MEMORY;
        if ((++merged & 4095) == 0)
            writing.report(5 + percentOf(merged, pieces) / 20);
    }
    writing.report(10);
    return BRENVIK_OK;
}

// Most frequent first; ties in the order the words first came.
bool before(uint64_t countX, uint64_t firstX, uint64_t countY, uint64_t firstY)
{
    return countX != countY ? countX > countY : firstX < firstY;
}
bool shortBefore(const SmallEntry &x, const SmallEntry &y) { return before(x.count, x.first(), y.count, y.first()); }
bool longBefore(const WordEntry &x, const WordEntry &y) { return before(x.count, x.first, y.count, y.first); }

// The words in order, sorted where they stand: in runs so that progress
// keeps moving, then merged run head by run head while they are written.
class Ordering {
public:
    struct Word {
        uint64_t count, first;
        const uint8_t *bytes;
        uint64_t length;
    };

    void sort(SmallTable &words, WordTable &longWords, Reporter &writing)
    {
        m_small = words.finish();
        m_long = longWords.finish();
        m_longTable = &longWords;
        const uint64_t shorts = words.size(), longs = longWords.size();
        m_size = shorts + longs;
        // Runs in proportion to each kind's share, at least one for each kind present.
        const auto runsFor = [&](uint64_t n) {
            return n ? uint32_t(std::clamp<uint64_t>(n * (kMaxRuns - 1) / m_size, 1, n / 1024 + 1)) : 0;
        };
        const uint32_t shortRuns = runsFor(shorts), longRuns = runsFor(longs);
        for (uint32_t r = 0; r < shortRuns; ++r)
            m_runs[m_runCount++] = Run{false, shorts * r / shortRuns, shorts * (r + 1) / shortRuns};
        for (uint32_t r = 0; r < longRuns; ++r)
            m_runs[m_runCount++] = Run{true, longs * r / longRuns, longs * (r + 1) / longRuns};
        for (uint32_t r = 0; r < m_runCount; ++r) {
            const Run &run = m_runs[r];
            if (run.longWords)
                std::sort(m_long + run.at, m_long + run.end, longBefore);
            else
                std::sort(m_small + run.at, m_small + run.end, shortBefore);
            writing.report(10 + int(30 * uint64_t(r + 1) / m_runCount));
            if (run.at < run.end)
                m_heap[m_heapSize++] = r;
        }
        for (uint32_t i = m_heapSize; i-- > 0;)
            siftDown(i);
    }

    uint64_t size() const { return m_size; }

    // The next word in order; false after the last.
    bool next(Word &w)
    {
        if (!m_heapSize)
            return false;
        Run &run = m_runs[m_heap[0]];
        w = head(run);
        if (++run.at == run.end)
            m_heap[0] = m_heap[--m_heapSize];
        siftDown(0);
        return true;
    }

private:
    static constexpr uint32_t kMaxRuns = 64;
    struct Run {
        bool longWords;
        uint64_t at, end;
    };

    Word head(const Run &run) const
    {
        if (run.longWords) {
            const WordEntry &e = m_long[run.at];
            return Word{e.count, e.first, m_longTable->word(e), e.length};
        }
        const SmallEntry &e = m_small[run.at];
        return Word{e.count, e.first(), e.bytes(), e.length()};
    }

    // A binary heap of run heads, the next to write on top.
    bool heapLess(uint32_t a, uint32_t b) const
    {
        const Word x = head(m_runs[a]), y = head(m_runs[b]);
        return before(x.count, x.first, y.count, y.first);
    }
    void siftDown(uint32_t i)
    {
        for (;;) {
            uint32_t m = i;
            const uint32_t l = 2 * i + 1, r = l + 1;
            if (l < m_heapSize && heapLess(m_heap[l], m_heap[m]))
                m = l;
            if (r < m_heapSize && heapLess(m_heap[r], m_heap[m]))
                m = r;
            if (m == i)
                return;
            std::swap(m_heap[i], m_heap[m]);
            i = m;
        }
    }

    SmallEntry *m_small = nullptr;
    WordEntry *m_long = nullptr;
    const WordTable *m_longTable = nullptr;
    uint64_t m_size = 0;
    Run m_runs[kMaxRuns] = {};
    uint32_t m_runCount = 0;
    uint32_t m_heap[kMaxRuns] = {};
    uint32_t m_heapSize = 0;
};

} // namespace

int32_t writeDictionary(Counter &first, Counter &second, const char *notation, int fd, Reporter &writing)
{
    const int32_t merged = mergeWords(first, second, writing);
    if (merged != BRENVIK_OK)
        return merged;
    Ordering order;
    order.sort(first.small(), first.longWords(), writing);

    Writer writer(fd);
    const size_t specLength = notation ? std::strlen(notation) : 0;
    Buffer<char> header;
    if (!writer.init() || !header.allocate(2 * specLength + 1)) // a raw CR grows to "^p"
        return BRENVIK_OUT_OF_MEMORY;
    size_t headerLength = 0;
    headerLine(notation, header.data, headerLength);
    if (!writer.put(header.data, headerLength) || !writer.put("\r\n", 2))
        return BRENVIK_WRITE_FAILED;

    char number[24];
    uint64_t written = 0;
    Ordering::Word e;
    while (order.next(e)) {
        char *digits = number + sizeof number;
        *--digits = ' ';
        uint64_t c = e.count;
        do {
            *--digits = char('0' + c % 10);
            c /= 10;
        } while (c);
        if (!writer.put(digits, uint64_t(number + sizeof number - digits)) || !writer.put(e.bytes, e.length) ||
            !writer.put("\r\n", 2))
            return BRENVIK_WRITE_FAILED;
        if ((written++ & 1023) == 0)
            writing.report(40 + int(60 * written / order.size()));
    }
    return writer.flush() ? BRENVIK_OK : BRENVIK_WRITE_FAILED;
}

} // namespace brenvik
