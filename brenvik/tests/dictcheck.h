#pragma once

// Helpers for checking dictionaries from the outside: a reader that follows
// the dictionary loader's rules, and a plain reference build to compare with.
// Uses only the library's exported functions.
#include <brenvik.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace dictcheck {

// The whole file; empty when it cannot be read.
inline std::string readFile(const std::string &p)
{
    std::string s;
    FILE *f = std::fopen(p.c_str(), "rb");
    if (!f)
        return s;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    std::fclose(f);
    return s;
}

struct Line {
    long long count;
    std::string word;
    bool operator==(const Line &o) const { return count == o.count && word == o.word; }
};

struct Loaded {
    bool ok = true;
    std::string error;
    std::string header;
    std::vector<Line> lines;
};

// Reads a dictionary as the program's loader does: the first line is the
// delimiter specification; then, per word line, skip bytes <= 32, read the integer up
// to the first byte <= 32 (at most 32 characters), consume that byte, and
// take the rest of the line as the word. Byte 26 ends the file; CR LF, LF
// and CR end lines.
inline Loaded load(const std::string &file)
{
    Loaded d;
    size_t end = file.find('\x1a');
    if (end == std::string::npos)
        end = file.size();
    size_t i = 0;
    const auto atLineEnd = [&](size_t k) { return file[k] == '\r' || file[k] == '\n'; };
    const auto skipLineEnd = [&]() {
        if (i < end && file[i] == '\r')
            ++i;
        else if (i < end && file[i] == '\n') {
            ++i;
            return;
        } else
            return;
        if (i < end && file[i] == '\n')
            ++i;
    };
    while (i < end && !atLineEnd(i))
        d.header.push_back(file[i++]);
    skipLineEnd();
    for (;;) {
        while (i < end && static_cast<unsigned char>(file[i]) <= 32)
            ++i;
        if (i >= end)
            break;
        std::string digits;
        while (i < end && static_cast<unsigned char>(file[i]) > 32 && digits.size() < 33)
            digits.push_back(file[i++]);
        char *stop = nullptr;
        const long long n = std::strtoll(digits.c_str(), &stop, 10);
        if (digits.size() > 32 || *stop || digits == "-" || digits == "+") {
            d.ok = false;
            d.error = "Invalid numeric input: " + digits;
            return d;
        }
        Line line{n, {}};
        if (i < end && !atLineEnd(i)) {
            ++i; // the one separator
            while (i < end && !atLineEnd(i))
                line.word.push_back(file[i++]);
        }
        skipLineEnd();
        d.lines.push_back(std::move(line));
    }
    return d;
}

// The delimiter characters a delimiter specification stands for, read character by
// character: "^p" CR, "^t" tab, "^" and any other character that character,
// a final "^" code 0.
inline std::vector<bool> delimiterSet(const std::string &notation)
{
    std::vector<bool> set(256, false);
    for (size_t i = 0; i < notation.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(notation[i]);
        if (ch == '^') {
            ++i;
            ch = i < notation.size() ? static_cast<unsigned char>(notation[i]) : 0;
            if (ch == 'p')
                ch = 13;
            else if (ch == 't')
                ch = 9;
        }
        set[ch] = true;
    }
    return set;
}

// Lower-case table as the library's tolow gives it (byte 0 maps to itself).
inline std::vector<unsigned char> lowerTable()
{
    std::vector<unsigned char> table(256);
    table[0] = 0;
    for (int b = 1; b < 256; ++b) {
        char s[2] = {static_cast<char>(b), 0};
        tolow(s);
        table[b] = static_cast<unsigned char>(s[0]);
    }
    return table;
}

// A deliberately simple build: split (also at CR, LF and 26), lower-case,
// drop short words, count, order by count and then first occurrence.
// A UTF-8 text in Windows-1251, as the library reads one: a word (between
// delimiters of the notation, CR, LF and byte 26) with a character
// Windows-1251 lacks is left out and counted. False for malformed UTF-8.
// Unicode of the Windows-1251 bytes 0x80..0xBF (0xC0..0xFF are U+0410..U+044F).
inline constexpr unsigned short kUpper1251[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

inline bool utf8ToWindows1251(const std::string &utf8, const std::string &notation, std::string &out,
                              long long &skipped)
{
    const auto &upper = kUpper1251;
    std::vector<bool> delim = delimiterSet(notation);
    delim['\r'] = delim['\n'] = delim[26] = true;
    out.clear();
    skipped = 0;
    std::string word;
    bool bad = false;
    const auto endWord = [&] {
        if (bad)
            ++skipped;
        else
            out += word;
        word.clear();
        bad = false;
    };
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        unsigned cp = b;
        size_t n = 1;
        if (b >= 0x80) {
            n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
            if (n == 0 || b >= 0xF8 || i + n > utf8.size())
                return false;
            cp = b & (0x7F >> n);
            for (size_t k = 1; k < n; ++k) {
                const auto t = static_cast<unsigned char>(utf8[i + k]);
                if ((t & 0xC0) != 0x80)
                    return false;
                cp = (cp << 6) | (t & 0x3F);
            }
            const unsigned min = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
            if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                return false;
        }
        i += n;
        int byte = -1;
        if (cp < 0x80)
            byte = int(cp);
        else if (cp >= 0x410 && cp <= 0x44F)
            byte = int(0xC0 + cp - 0x410);
        else
            for (int k = 0; k < 64; ++k)
                if (upper[k] == cp)
                    byte = 0x80 + k;
        if (byte >= 0 && delim[size_t(byte)]) {
            endWord();
            out.push_back(char(byte));
        } else if (byte < 0) {
            bad = true;
        } else {
            word.push_back(char(byte));
        }
    }
    endWord();
    return true;
}

inline std::vector<Line> reference(const std::string &text, const std::string &notation, int minimum)
{
    std::vector<bool> delimiter = delimiterSet(notation);
    delimiter[13] = delimiter[10] = delimiter[26] = true;
    static const std::vector<unsigned char> lower = lowerTable();
    std::unordered_map<std::string, std::pair<long long, size_t>> counts; // count, first index
    std::vector<std::string> firstSeen;
    std::string word;
    const auto finish = [&]() {
        if (!word.empty() && static_cast<long long>(word.size()) >= minimum) {
            auto [it, inserted] = counts.try_emplace(word, 0, firstSeen.size());
            if (inserted)
                firstSeen.push_back(word);
            ++it->second.first;
        }
        word.clear();
    };
    for (unsigned char c : text) {
        if (delimiter[c])
            finish();
        else
            word.push_back(static_cast<char>(lower[c]));
    }
    finish();
    std::vector<Line> lines;
    for (const auto &w : firstSeen)
        lines.push_back({counts[w].first, w});
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line &a, const Line &b) { return a.count > b.count; });
    return lines;
}

} // namespace dictcheck
