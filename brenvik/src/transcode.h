#pragma once

// Sources in UTF-8 or UTF-16 become Windows-1251 before their words are
// counted: the dictionary file stays Windows-1251, and a word holding a
// character Windows-1251 lacks is left out whole (and counted), never
// written with a substitute. Failures are return values.
#include <cstdint>

namespace brenvik {

enum class SourceEncoding : int32_t { Auto = 0, Windows1251 = 1, Utf8 = 2, Utf16LE = 3, Utf16BE = 4 };

struct Transcoded
{
    int fd = -1; // the Windows-1251 text (a memory file), or -1: read the source as it is
    uint64_t size = 0;
    uint64_t skipped = 0; // words left out
};

// Looks at the source and, when it is UTF-8 (a byte-order mark, or valid
// UTF-8 with non-ASCII bytes) or UTF-16 (a byte-order mark), or when the
// caller names such an encoding, writes its Windows-1251 form. `delimiter`
// tells which Windows-1251 bytes end a word. `progress` gets 0..100.
// Returns a BRENVIK_ result.
int32_t transcode(int source, uint64_t size, SourceEncoding encoding, const uint8_t delimiter[256], Transcoded &out,
                  void (*progress)(void *context, int percent), void *context);

} // namespace brenvik
