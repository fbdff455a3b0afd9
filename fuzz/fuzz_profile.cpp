// Profile reader and writer on arbitrary file text: never crashes, and a key
// written is read back with its value while the other keys keep theirs.
#include "core/profile.h"

// The parser is compiled into this target so that the fuzzer's coverage
// instrumentation sees its branches (the core library is built without it).
#include "core/cp1251.cpp"
#include "core/profile.cpp"

#include <QString>

#include <cstdlib>
#include <cstdint>

namespace {

const QString kSections[] = {QStringLiteral("Form1"), QStringLiteral("Font"), QStringLiteral("option")};
const QString kKeys[] = {QStringLiteral("Top"), QStringLiteral("name"), QStringLiteral("Dic")};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));

    for (const QString &section : kSections)
        for (const QString &key : kKeys)
            (void)profile::lookup(text, section, key);

    // Write one key chosen by the first byte and check what the reader sees.
    const unsigned pick = size ? data[0] : 0;
    const QString &section = kSections[pick % 3];
    const QString &key = kKeys[(pick / 3) % 3];
    const QString value = QStringLiteral(" v%1 ").arg(size);
    const std::optional<QByteArray> encoded = profile::encodeValue(value);
    if (!encoded)
        std::abort();
    const QByteArray after = profile::assign(text, section, key, *encoded);
    if (profile::lookup(after, section, key) != value)
        std::abort();

    // Another key of another section keeps its value (or stays absent).
    const QString &otherSection = kSections[(pick + 1) % 3];
    const QString &otherKey = kKeys[(pick / 3 + 1) % 3];
    if (profile::lookup(after, otherSection, otherKey) != profile::lookup(text, otherSection, otherKey))
        std::abort();
    return 0;
}
