#include "dictionary.h"

#include "lower.h"
#include "notation.h"

#include <algorithm>
#include <cstring>

namespace brenvik {

namespace {

// A distinct word as it is written: the order is by count, then by first occurrence.
struct Item {
    uint64_t count, first;
    const uint8_t *word;
    uint64_t length;
};

bool before(const Item &x, const Item &y)
{
    return x.count != y.count ? x.count > y.count : x.first < y.first;
}

// Every case form of a word and both readers' counts go into one entry for
// the lower-cased word, which comes first where its earliest form did.
// Lower-casing keeps a word's length, so short and long words stay apart:
// the short ones end in `words`, the long ones in first's long-word table.
int32_t mergeWords(Counter &first, Counter &second, SmallTable &words, Reporter &writing)
{
    const uint64_t pieces = first.small().size() + second.small().size() + second.longWords().size();
    uint64_t merged = 0;
    for (const Counter *c : {&first, &second}) {
        constexpr uint64_t kChunk = 256;
        SmallTable::Key keys[kChunk];
        const SmallTable &small = c->small();
        for (uint64_t at = 0; at < small.size(); at += kChunk) {
            const uint64_t m = std::min(kChunk, small.size() - at);
            for (uint64_t k = 0; k < m; ++k) {
                const SmallEntry &e = small.entry(at + k);
                uint8_t w[kSmallWord];
                for (uint64_t i = 0; i < kSmallWord; ++i) // zero bytes stay zero
                    w[i] = kLower.map[e.bytes[i]];
                SmallTable::key(w, e.length(), keys[k].lo, keys[k].hi);
                keys[k].length = e.length();
                keys[k].first = e.first();
                keys[k].count = e.count;
            }
            if (!words.addAll(keys, m))
                return BRENVIK_OUT_OF_MEMORY;
            merged += m;
            writing.report(percentOf(merged, pieces) / 10);
        }
    }
    WordTable &longWords = first.longWords(), &moreLongWords = second.longWords();
    for (uint32_t k = 0; k < moreLongWords.size(); ++k) {
        const WordEntry &e = moreLongWords.entry(k);
        if (!longWords.add(moreLongWords.word(e), e.length, e.hash, e.first, e.count))
            return BRENVIK_OUT_OF_MEMORY;
        if ((++merged & 4095) == 0)
            writing.report(percentOf(merged, pieces) / 10);
    }
    writing.report(10);
    return BRENVIK_OK;
}

// The words in order: sorted in runs so that progress keeps moving, then
// merged run head by run head while they are written.
class Ordering {
public:
    int32_t sort(const SmallTable &words, const WordTable &longWords, Reporter &writing)
    {
        m_size = words.size() + longWords.size();
        if (!m_items.allocate(m_size))
            return BRENVIK_OUT_OF_MEMORY;
        for (uint64_t k = 0; k < words.size(); ++k) {
            const SmallEntry &e = words.entry(k);
            m_items.data[k] = Item{e.count, e.first(), e.bytes, e.length()};
        }
        for (uint32_t k = 0; k < longWords.size(); ++k) {
            const WordEntry &e = longWords.entry(k);
            m_items.data[words.size() + k] = Item{e.count, e.first, longWords.word(e), e.length};
        }
        m_runs = uint32_t(std::clamp<uint64_t>(m_size / 1024, 1, kMaxRuns));
        for (uint32_t r = 0; r <= m_runs; ++r)
            m_runStart[r] = m_size * r / m_runs;
        for (uint32_t r = 0; r < m_runs; ++r) {
            std::sort(m_items.data + m_runStart[r], m_items.data + m_runStart[r + 1], before);
            writing.report(10 + int(30 * uint64_t(r + 1) / m_runs));
        }
        for (uint32_t r = 0; r < m_runs; ++r) {
            m_head[r] = m_runStart[r];
            if (m_head[r] < m_runStart[r + 1])
                m_heap[m_heapSize++] = r;
        }
        for (uint32_t i = m_heapSize; i-- > 0;)
            siftDown(i);
        return BRENVIK_OK;
    }

    uint64_t size() const { return m_size; }

    // The next word in order, or null after the last.
    const Item *next()
    {
        if (!m_heapSize)
            return nullptr;
        const uint32_t r = m_heap[0];
        const Item *item = &m_items.data[m_head[r]];
        if (++m_head[r] == m_runStart[r + 1])
            m_heap[0] = m_heap[--m_heapSize];
        siftDown(0);
        return item;
    }

private:
    static constexpr uint32_t kMaxRuns = 64;

    // A binary heap of run heads, the next to write on top.
    bool heapLess(uint32_t a, uint32_t b) const { return before(m_items.data[m_head[a]], m_items.data[m_head[b]]); }
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

    Buffer<Item> m_items;
    uint64_t m_size = 0;
    uint32_t m_runs = 0;
    uint64_t m_runStart[kMaxRuns + 1] = {};
    uint64_t m_head[kMaxRuns] = {};
    uint32_t m_heap[kMaxRuns] = {};
    uint32_t m_heapSize = 0;
};

} // namespace

int32_t writeDictionary(Counter &first, Counter &second, const char *notation, int fd, Reporter &writing)
{
    SmallTable words(randomBits(2));
    int32_t result = mergeWords(first, second, words, writing);
    Ordering order;
    if (result == BRENVIK_OK)
        result = order.sort(words, first.longWords(), writing);
    if (result != BRENVIK_OK)
        return result;

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
    while (const Item *e = order.next()) {
        char *digits = number + sizeof number;
        *--digits = ' ';
        uint64_t c = e->count;
        do {
            *--digits = char('0' + c % 10);
            c /= 10;
        } while (c);
        if (!writer.put(digits, uint64_t(number + sizeof number - digits)) || !writer.put(e->word, e->length) ||
            !writer.put("\r\n", 2))
            return BRENVIK_WRITE_FAILED;
        if ((written++ & 1023) == 0)
            writing.report(40 + int(60 * written / order.size()));
    }
    return writer.flush() ? BRENVIK_OK : BRENVIK_WRITE_FAILED;
}

} // namespace brenvik
