// The library with UTF-8 and UTF-16 sources, through its exported functions.
#include "check.h"
#include "dictcheck.h"
#include "testfiles.h"

#include <brenvik.h>

#include <string>
#include <utility>
#include <vector>

using namespace testfiles;

namespace {

// Windows-1251 text back to UTF-8 (every byte has a character).
std::string utf8Of(const std::string &windows1251)
{
    const auto &upper = dictcheck::kUpper1251;
    std::string out;
    for (const char ch : windows1251) {
        const auto b = static_cast<unsigned char>(ch);
        const unsigned cp = b < 0x80 ? b : b >= 0xC0 ? 0x410 + (b - 0xC0) : upper[b - 0x80];
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string utf16Of(const std::string &utf8, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        unsigned cp = b;
        size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
        if (n > 1) {
            cp = b & (n == 2 ? 0x1F : 0x0F);
            for (size_t k = 1; k < n; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += n;
        const char hi = char(cp >> 8), lo = char(cp & 0xFF);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    }
    return out;
}

void testUnicodeSources()
{
    // A UTF-8 or UTF-16 source gives, byte for byte, the dictionary of its
    // Windows-1251 form; reading from the threads' split point included.
    const std::string windows1251 = sampleText(6u << 20, 31); // past the size where two threads convert
    const std::string utf8 = utf8Of(windows1251);
    writeFile(path("w.txt"), windows1251);
    CHECK(createdicdll(path("w.txt").c_str(), path("w.slo").c_str(), kDefault.c_str(), 2, nullptr, nullptr)
          == BRENVIK_OK);
    const std::string expected = dictcheck::readFile(path("w.slo"));
    const std::pair<const char *, std::string> sources[] = {{"UTF-8", utf8},
                                                            {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
                                                            {"UTF-16LE", utf16Of(utf8, false)},
                                                            {"UTF-16BE", utf16Of(utf8, true)}};
    for (const auto &[name, bytes] : sources) {
        check::current = name;
        writeFile(path("u.txt"), bytes);
        int64_t skipped = -1;
        CHECK(createdicex(path("u.txt").c_str(), path("u.slo").c_str(), kDefault.c_str(), 2, BRENVIK_SOURCE_AUTO,
                          &skipped, nullptr, nullptr)
              == BRENVIK_OK);
        CHECK(skipped == 0);
        CHECK(dictcheck::readFile(path("u.slo")) == expected);
    }
    check::current.clear();
}

void testWordsOutsideWindows1251()
{
    // "Ā" (U+0100) and a character beyond the first plane are in no
    // Windows-1251 word: their words go whole and are counted; the rest is
    // counted as usual, also around a word longer than the library's blocks.
    const std::string longBad = std::string(3u << 20, 'a') + "\xC4\x80";
    const std::string text =
        "ok \xD0\xBC\xD0\xB8\xD1\x80 x\xC4\x80y ok\r\n\xF0\x9F\x98\x80 " + longBad + " fine ok \xC4\x80";
    writeFile(path("bad.txt"), text);
    int64_t skipped = -1;
    CHECK(createdicex(path("bad.txt").c_str(), path("bad.slo").c_str(), kDefault.c_str(), 0, BRENVIK_SOURCE_AUTO,
                      &skipped, nullptr, nullptr)
          == BRENVIK_OK);
    CHECK(skipped == 4);
    const auto d = dictcheck::load(dictcheck::readFile(path("bad.slo")));
    CHECK((d.lines == std::vector<dictcheck::Line>{{3, "ok"}, {1, "\xEC\xE8\xF0"}, {1, "fine"}}));
    std::string converted;
    long long refSkipped = 0;
    CHECK(dictcheck::utf8ToWindows1251(text, kDefault.c_str(), converted, refSkipped) && refSkipped == 4);

    // A Windows-1251 text is no UTF-8: read as it is, nothing skipped.
    writeFile(path("cp.txt"), "\xEC\xE8\xF0 \xEC\xE8\xF0");
    CHECK(createdicex(path("cp.txt").c_str(), path("cp.slo").c_str(), kDefault.c_str(), 0, BRENVIK_SOURCE_AUTO,
                      &skipped, nullptr, nullptr)
          == BRENVIK_OK);
    CHECK(skipped == 0);
    CHECK((dictcheck::load(dictcheck::readFile(path("cp.slo"))).lines
           == std::vector<dictcheck::Line>{{2, "\xEC\xE8\xF0"}}));
    // Only such words in the text: nothing to write.
    writeFile(path("none.txt"), "\xC4\x80 \xC4\x80\xC4\x80");
    CHECK(createdicex(path("none.txt").c_str(), path("none.slo").c_str(), kDefault.c_str(), 0, BRENVIK_SOURCE_AUTO,
                      &skipped, nullptr, nullptr)
          == BRENVIK_DICTIONARY_EMPTY);
}

} // namespace

int main()
{
    if (!testfiles::makeDir("tst_brenvik_unicode"))
        return 2;
    const check::Case tests[] = {
        {"unicode sources", testUnicodeSources},
        {"words outside Windows-1251", testWordsOutsideWindows1251},
    };
    const int status = check::runTests(tests);
    testfiles::removeDir();
    return status;
}
