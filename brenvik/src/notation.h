#pragma once

// The delimiter specification: how it is read, and how it is written as a
// dictionary's first line.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace brenvik {

constexpr uint8_t kCR = 13, kLF = 10, kEOF = 26;

// Reads the delimiter specification the way the dictionary's users read it:
// "^p" CR, "^t" tab, "^x" x, a final "^" code 0. Calls f(value, tokenStart, tokenLength).
template <typename F>
void forEachDelimiter(const char *notation, F f)
{
    if (!notation)
        return;
    const size_t n = std::strlen(notation);
    for (size_t i = 0; i < n; ++i) {
        const size_t start = i;
        auto ch = static_cast<uint8_t>(notation[i]);
        if (ch == '^') {
            ++i;
            ch = i < n ? static_cast<uint8_t>(notation[i]) : 0;
            if (ch == 'p')
                ch = kCR;
            else if (ch == 't')
                ch = 9;
        }
        f(ch, start, (i < n ? i + 1 : n) - start);
    }
}

// The first line of the dictionary for `notation`, into `out` (room for
// twice the notation's length): the delimiter specification as passed, except that
// raw CR, LF and code 26 would end that line (or the file) early. CR is
// written as "^p", which stands for the same character; LF and code 26 are
// left out, which changes nothing about the words since the build always
// splits at them anyway.
void headerLine(const char *notation, char *out, size_t &length);

} // namespace brenvik
