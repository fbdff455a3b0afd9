#include "core/cp1251.h"

#include <QStringDecoder>

#include <array>

namespace cp1251 {
namespace {

struct Tables
{
    std::array<char16_t, 256> toUnicode{};
    std::array<qint16, 65536> toByte{};

    Tables()
    {
        toByte.fill(-1);
        QStringDecoder decoder("windows-1251");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            const char16_t u = s.size() == 1 ? char16_t(s.at(0).unicode()) : char16_t(b);
            toUnicode[b] = u;
            toByte[u] = qint16(b);
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    const auto &t = tables();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i)
        dst[i] = t.toUnicode[src[i]];
    return out;
}

int byteOf(char16_t c)
{
    return tables().toByte[c];
}

qsizetype firstUnencodable(QStringView text)
{
    const auto &t = tables();
    const char16_t *p = text.utf16();
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        if (t.toByte[p[i]] < 0)
            return i;
    return -1;
}

bool encode(QStringView text, QByteArray &out, qsizetype *badPos)
{
    const auto &t = tables();
    out.resize(text.size());
    char *dst = out.data();
    const char16_t *src = text.utf16();
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        const qint16 b = t.toByte[src[i]];
        if (b < 0) {
            if (badPos)
                *badPos = i;
            out.clear();
            return false;
        }
        dst[i] = char(b);
    }
    return true;
}

} // namespace cp1251
