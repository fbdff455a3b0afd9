// dictbuild-corpus MEGABYTES < utf8-text > corpus
// Reads UTF-8 text lines and writes a Windows-1251 corpus of at least the
// given size: the input's lines in a reproducible random order (fixed
// seed), CR LF line ends. Characters Windows-1251 cannot hold are dropped.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr unsigned short kUpper[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

std::string toWindows1251(const std::string &line)
{
    std::string out;
    for (size_t i = 0; i < line.size();) {
        const auto c = static_cast<unsigned char>(line[i]);
        unsigned cp = c;
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        ++i;
        if (extra < 0)
            continue;
        if (extra)
            cp = c & (0x3F >> extra);
        for (int k = 0; k < extra && i < line.size(); ++k, ++i)
            cp = cp << 6 | (static_cast<unsigned char>(line[i]) & 0x3F);
        if (cp < 0x80) {
            if (cp >= 0x20 || cp == '\t')
                out.push_back(char(cp));
            continue;
        }
        for (int b = 0; b < 128; ++b)
            if (kUpper[b] == cp) {
                out.push_back(char(0x80 + b));
                break;
            }
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 64;
    const uint64_t want = std::strtoull(argv[1], nullptr, 10) << 20;
    std::vector<std::string> lines;
    std::string line;
    for (int ch; (ch = std::getchar()) != EOF;) {
        if (ch == '\n') {
            std::string l = toWindows1251(line);
            if (!l.empty())
                lines.push_back(std::move(l));
            line.clear();
        } else {
            line.push_back(char(ch));
        }
    }
    if (lines.empty())
        return 1;
    uint64_t state = 0x2545F4914F6CDD1Dull, written = 0;
    while (written < want) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const std::string &l = lines[state % lines.size()];
        std::fwrite(l.data(), 1, l.size(), stdout);
        std::fwrite("\r\n", 1, 2, stdout);
        written += l.size() + 2;
    }
    return 0;
}
