// Random bytes as source text and delimiter specification: every build must
// end with a result, and every written dictionary must load back, word for
// word, as a plain reference build counts the text.
#include "../brenvik/tests/dictcheck.h"

#include <brenvik.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

std::string g_dir;

void writeFile(const std::string &p, const uint8_t *data, size_t n)
{
    FILE *f = std::fopen(p.c_str(), "wb");
    if (!f)
        std::abort();
    std::fwrite(data, 1, n, f);
    std::fclose(f);
}

void require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (g_dir.empty()) {
        char tmpl[] = "/tmp/fuzz_createdic.XXXXXX";
        if (!mkdtemp(tmpl))
            std::abort();
        g_dir = tmpl;
    }
    if (size < 2)
        return 0;
    // First byte: minimum length, and in its top bit whether the source's
    // encoding is left to the library (then a valid UTF-8 text is compared
    // in its Windows-1251 form); second: length of the delimiter specification.
    const bool detect = data[0] & 0x80;
    const int minimum = (data[0] & 0x7F) % 22 - 1;
    size_t specLength = data[1];
    data += 2;
    size -= 2;
    if (specLength > size)
        specLength = size;
    std::string notation;
    for (size_t k = 0; k < specLength; ++k)
        if (data[k])
            notation.push_back(static_cast<char>(data[k]));
    data += specLength;
    size -= specLength;
    std::string text(reinterpret_cast<const char *>(data), size);

    const std::string source = g_dir + "/src.txt", target = g_dir + "/out.slo";
    writeFile(source, data, size);
    ::unlink(target.c_str());
    int64_t skipped = -1;
    const int32_t r =
        createdicex(source.c_str(), target.c_str(), notation.empty() ? nullptr : notation.c_str(), minimum,
                    detect ? BRENVIK_SOURCE_AUTO : BRENVIK_SOURCE_WINDOWS_1251, &skipped, nullptr, nullptr);
    // A byte-order mark of UTF-16 makes the text UTF-16: compared only for sanity below.
    const bool utf16 =
        detect && size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
    bool high = false;
    for (char c : text)
        high = high || static_cast<unsigned char>(c) >= 0x80;
    std::string converted;
    long long refSkipped = 0;
    const bool bom = text.rfind("\xEF\xBB\xBF", 0) == 0;
    if (utf16 || (detect && bom)) {
        require(r >= 0 && r <= BRENVIK_OUT_OF_MEMORY, "a result");
        return 0;
    }
    if (detect && high && dictcheck::utf8ToWindows1251(text, notation, converted, refSkipped)) {
        text = converted;
        require(skipped == refSkipped, "skipped words as the reference counts them");
    } else {
        require(skipped == 0, "nothing skipped in Windows-1251");
    }
    const auto expected = dictcheck::reference(text, notation, minimum);
    if (size == 0) {
        require(r == BRENVIK_SOURCE_EMPTY, "empty source gives 3");
        return 0;
    }
    if (expected.empty()) {
        require(r == BRENVIK_DICTIONARY_EMPTY, "no words gives 4");
        require(::access(target.c_str(), F_OK) != 0, "no file after 4");
        return 0;
    }
    require(r == BRENVIK_OK, "build succeeds");
    const auto d = dictcheck::load(dictcheck::readFile(target));
    require(d.ok, "loads without a numeric error");
    require(d.lines == expected, "words, counts and order as the reference");
    bool raw = false;
    for (char c : notation)
        raw = raw || c == '\r' || c == '\n' || c == '\x1a';
    if (!raw)
        require(d.header == notation, "first line is the delimiter specification");
    else
        require(dictcheck::reference(text, d.header, minimum) == expected, "first line builds the same");
    return 0;
}
