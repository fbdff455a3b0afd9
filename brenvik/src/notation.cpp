#include "notation.h"

namespace brenvik {

void headerLine(const char *notation, char *out, size_t &length)
{
    length = 0;
    forEachDelimiter(notation, [&](uint8_t value, size_t start, size_t len) {
        bool raw = false;
        for (size_t k = 0; k < len; ++k) {
            const auto c = static_cast<uint8_t>(notation[start + k]);
            raw = raw || c == kCR || c == kLF || c == kEOF;
        }
        if (!raw) {
            std::memcpy(out + length, notation + start, len);
            length += len;
        } else if (value == kCR) {
            out[length++] = '^';
            out[length++] = 'p';
        }
    });
}

} // namespace brenvik
