// Tests of the build's two inner pieces, which the exported functions reach
// only one way on a given machine: the delimiter masks (both ways of finding
// them) and the short-word table.
#include "check.h"
#include "delimitermask.h"
#include "lower.h"
#include "smalltable.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace brenvik;

namespace {


std::vector<uint64_t> expectedMasks(const uint8_t flags[256], const std::vector<uint8_t> &text)
{
    std::vector<uint64_t> masks(text.size() / 64);
    for (size_t i = 0; i < masks.size() * 64; ++i)
        if (flags[text[i]])
            masks[i / 64] |= uint64_t(1) << (i % 64);
    return masks;
}

void checkMasks(const uint8_t flags[256], const std::vector<uint8_t> &text)
{
    const DelimiterMask mask(flags);
    const auto expected = expectedMasks(flags, text);
    std::vector<uint64_t> got(expected.size());
    mask.fill(text.data(), got.size(), got.data());
    CHECK(got == expected);
    std::fill(got.begin(), got.end(), 0);
    mask.fillPortable(text.data(), got.size(), got.data());
    CHECK(got == expected);
#if defined(__x86_64__)
    if (mask.hasAvx2()) {
        std::fill(got.begin(), got.end(), 0);
        mask.fillAvx2(text.data(), got.size(), got.data());
        CHECK(got == expected);
    }
#endif
    for (int b = 0; b < 256; ++b)
        CHECK(mask.isDelimiter(uint8_t(b)) == (flags[b] != 0));
}

void testMasks()
{
    // Every byte value as the only delimiter, in a text of all byte values:
    // each row and bit of the lookup tables on its own.
    std::vector<uint8_t> all(512);
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = uint8_t(i * 7 + i / 256);
    for (int d = 0; d < 256; ++d) {
        check::current = "single delimiter " + std::to_string(d);
        uint8_t flags[256] = {};
        flags[d] = 1;
        checkMasks(flags, all);
    }
    // Random sets, from empty to full, over random text.
    std::mt19937 rng(11);
    std::vector<uint8_t> text(64 * 40);
    for (auto &c : text)
        c = uint8_t(rng());
    for (int density : {0, 1, 16, 128, 250, 256}) {
        check::current = "random set of density " + std::to_string(density);
        uint8_t flags[256] = {};
        for (auto &f : flags)
            f = uint8_t(int(rng() % 256) < density ? 1 + rng() % 200 : 0);
        checkMasks(flags, text);
    }
    check::current.clear();
}

struct Word {
    uint64_t count = 0, first = 0;
};

std::string bytesOf(const SmallEntry &e) { return std::string(reinterpret_cast<const char *>(e.bytes()), e.length()); }

void testTable()
{
    // Words that differ only past a shorter one's end (NUL bytes), or only
    // in the second 8 bytes, stay apart; growth keeps every count.
    check::current = "short-word table";
    std::vector<std::string> words = {std::string("ab"), std::string("ab\0", 3), std::string("\0", 1),
                                      std::string(16, 'x'), std::string(15, 'x') + "y", std::string(8, 'q'),
                                      std::string(9, 'q')};
    std::mt19937 rng(5);
    for (int k = 0; k < 30000; ++k) {
        std::string w;
        const int n = 1 + int(rng() % 16);
        for (int i = 0; i < n; ++i)
            w.push_back(char(rng() % 4));
        words.push_back(w);
    }
    SmallTable table(rng());
    std::map<std::string, Word> expected;
    std::vector<SmallTable::Key> batch;
    for (uint64_t at = 0; at < 200000; ++at) {
        const std::string &w = words[rng() % words.size()];
        uint8_t buffer[32] = {};
        std::memcpy(buffer, w.data(), w.size());
        std::memset(buffer + w.size(), 0xEE, sizeof buffer - w.size()); // must be masked off
        SmallTable::Key key{};
        SmallTable::key(buffer, w.size(), key.lo, key.hi);
        key.length = w.size();
        key.first = at;
        key.count = 1;
        Word &e = expected[w];
        if (e.count++ == 0)
            e.first = at;
        // Both ways in: one by one and in batches.
        if (at % 2)
            CHECK(table.add(key.lo, key.hi, key.length, key.first));
        else
            batch.push_back(key);
        if (batch.size() == 77 || at + 1 == 200000) {
            CHECK(table.addAll(batch.data(), batch.size()));
            batch.clear();
        }
    }
    // Batches arrive out of order: the earliest occurrence must still win.
    CHECK(table.size() == expected.size());
    for (uint64_t k = 0; k < table.size(); ++k) {
        const SmallEntry &e = table.entry(k);
        const auto it = expected.find(bytesOf(e));
        CHECK(it != expected.end());
        if (it != expected.end())
            CHECK(e.count == it->second.count && e.first() == it->second.first);
    }

    // Lower-casing in place merges the case forms: counts add up, the
    // earliest form decides where the word first came, entries keep their order.
    check::current = "case forms merged in place";
    {
        SmallTable cased(3);
        const char *forms[] = {"Word", "of", "WORD", "\xC4\xEE\xEC", "word", "OF", "\xE4\xEE\xEC", "x"};
        for (uint64_t at = 0; at < 64; ++at) {
            const char *w = forms[at % 8];
            uint8_t buffer[32] = {};
            std::memcpy(buffer, w, std::strlen(w));
            uint64_t lo, hi;
            SmallTable::key(buffer, std::strlen(w), lo, hi);
            CHECK(cased.add(lo, hi, std::strlen(w), 100 + at));
        }
        cased.remap(kLower.map);
        CHECK(cased.size() == 4);
        const std::pair<std::string, uint64_t> order[] = {{"word", 100}, {"of", 101}, {"\xE4\xEE\xEC", 103}, {"x", 107}};
        for (uint64_t k = 0; k < 4 && k < cased.size(); ++k) {
            CHECK(bytesOf(cased.entry(k)) == order[k].first);
            CHECK(cased.entry(k).first() == order[k].second);
            CHECK(cased.entry(k).count == (k == 3 ? 8u : k == 2 ? 16u : k == 1 ? 16u : 24u));
        }
        // Words still count after that, and after the table is finished.
        uint64_t lo, hi;
        SmallTable::key(reinterpret_cast<const uint8_t *>("x\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"), 1, lo, hi);
        CHECK(cased.add(lo, hi, 1, 5000));
        cased.finish();
        CHECK(cased.add(lo, hi, 1, 6000));
        CHECK(cased.size() == 4 && cased.entry(3).count == 10);
    }

    // Merged counts add up; an earlier occurrence moves the word's first.
    check::current = "merging counts";
    SmallTable merged(1);
    uint64_t lo, hi;
    SmallTable::key(reinterpret_cast<const uint8_t *>("word\0\0\0\0\0\0\0\0\0\0\0\0"), 4, lo, hi);
    CHECK(merged.add(lo, hi, 4, 500, 3));
    CHECK(merged.add(lo, hi, 4, 100, 1));
    CHECK(merged.add(lo, hi, 4, 900, 10));
    CHECK(merged.size() == 1 && merged.entry(0).count == 14 && merged.entry(0).first() == 100);
    check::current.clear();
}

} // namespace

int main()
{
    const check::Case tests[] = {
        {"delimiter masks", testMasks},
        {"short-word table", testTable},
    };
    return check::runTests(tests);
}
