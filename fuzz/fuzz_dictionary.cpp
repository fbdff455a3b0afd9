// Feeds arbitrary bytes to the dictionary reader and the prefix index built
// over what it read; checks the index against the plain scan.
#include "core/dictionaryfile.h"
#include "core/suggestions.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const dictionaryfile::Parsed parsed = dictionaryfile::parse(bytes);
    const WordList &words = parsed.words;
    if (parsed.firstLine.size() > qsizetype(size) || words.size() > qsizetype(size))
        std::abort();
    // Prefixes taken from the input itself, one to four bytes long.
    for (qsizetype len = 1; len <= 4 && len <= bytes.size(); ++len) {
        const QByteArrayView prefix = bytes.first(len);
        const Matches m = findMatches(words, prefix);
        const std::vector<quint32> expected = linearMatches(words, prefix);
        if (size_t(m.size()) != expected.size()
            || !std::equal(m.rows().begin(), m.rows().end(), expected.begin()))
            std::abort();
    }
    for (qsizetype i = 0; i < words.size() && i < 4; ++i) {
        const QByteArrayView w = words.at(i);
        if (!w.isEmpty()) {
            const Matches m = findMatches(words, w);
            if (m.isEmpty())
                std::abort();
        }
    }
    return 0;
}
