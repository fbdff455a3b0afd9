#include "core/textformat.h"

#include "core/cp1251.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <type_traits>

namespace textformat {
namespace {

const char *codecName(Encoding e)
{
    switch (e) {
    case Encoding::Koi8R:
        return "KOI8-R";
    case Encoding::Ibm866:
        return "IBM866";
    default:
        return "windows-1251";
    }
}

// UTF-8 to text, strictly: nothing for a malformed byte. Runs of ASCII go
// sixteen bytes at a time and two-byte letters (all of Russian) have a loop
// of their own; the general decoder is slow on both.
std::optional<QString> decodeUtf8(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *const start = reinterpret_cast<char16_t *>(out.data());
    char16_t *d = start;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *end = p + bytes.size();
    while (p < end) {
#ifdef __SSE2__
        // The output never runs ahead of the input, so sixteen units fit.
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const int high = _mm_movemask_epi8(v);
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i *>(d), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(d + 8), _mm_unpackhi_epi8(v, zero));
            const int ascii = high ? __builtin_ctz(unsigned(high)) : 16;
            p += ascii;
            d += ascii;
            if (high)
                break;
        }
#endif
        while (p < end && *p < 0x80)
            *d++ = *p++;
        // Two-byte characters in a row, then back to ASCII.
        while (end - p >= 2 && *p >= 0xC2 && *p < 0xE0 && (p[1] & 0xC0) == 0x80) {
            *d++ = char16_t(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        }
        if (p == end || *p < 0x80 || (*p >= 0xC2 && *p < 0xE0 && end - p >= 2 && (p[1] & 0xC0) == 0x80))
            continue;
        const uchar b = *p;
        if (b >= 0xE0 && b < 0xF0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            const char16_t c = char16_t(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) {
                *d++ = c;
                p += 3;
                continue;
            }
        }
        // Four bytes, and every fault: the general decoder, from here on.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString rest = decoder.decode(QByteArrayView(p, end - p));
        if (decoder.hasError())
            return std::nullopt;
        out.truncate(d - start);
        out.append(rest);
        return out;
    }
    out.truncate(d - start);
    return out;
}

std::optional<QString> decodeStrict(QByteArrayView bytes, QStringConverter::Encoding e)
{
    QStringDecoder decoder(e, QStringConverter::Flag::Stateless);
    QString out = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return out;
}

QString decodeEightBit(QByteArrayView bytes, Encoding e)
{
    if (e == Encoding::Windows1251)
        return cp1251::decode(bytes);
    QStringDecoder decoder(codecName(e));
    return decoder.isValid() ? decoder.decode(bytes) : cp1251::decode(bytes);
}

// Whether bytes are well-formed UTF-8; stops at the first fault, so an
// 8-bit Russian text is told apart at its first letter.
bool validUtf8(QByteArrayView bytes, bool cutShort = false)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *end = p + bytes.size();
    while (p < end) {
        const uchar b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        const int n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
        if (end - p < n && n > 0 && cutShort)
            return true; // the sample ends inside a character
        if (n == 0 || b > 0xF4 || end - p < n)
            return false;
        uint c = b & (0x7Fu >> n);
        for (int k = 1; k < n; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (p[k] & 0x3Fu);
        }
        if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        p += n;
    }
    return true;
}

bool hasHighBytes(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; });
}

// How Russian a sample reads: frequent lower-case letters count, capitals
// (what lower-case letters of another 8-bit encoding turn into) count against.
int russianScore(QStringView text)
{
    static const QString frequent = QStringLiteral("оеаинтсрвлкмдпуяы");
    int score = 0;
    for (const QChar c : text) {
        if (frequent.contains(c))
            score += 2;
        else if (c >= QChar(0x0410) && c <= QChar(0x042F))
            score -= 1;
    }
    return score;
}

Encoding detectEightBit(QByteArrayView bytes)
{
    // A sample of the text around its first non-ASCII bytes is enough.
    const qsizetype first =
        std::find_if(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; }) - bytes.begin();
    const QByteArrayView sample = bytes.sliced(first, std::min<qsizetype>(bytes.size() - first, 1 << 16));
    Encoding best = Encoding::Windows1251;
    const int base = russianScore(decodeEightBit(sample, Encoding::Windows1251));
    int bestScore = base;
    for (const Encoding e : {Encoding::Koi8R, Encoding::Ibm866}) {
        const int score = russianScore(decodeEightBit(sample, e));
        // Another encoding must win clearly: Windows-1251 is the house default.
        if (score > 20 && score > bestScore + std::max(20, std::abs(base))) {
            best = e;
            bestScore = score;
        }
    }
    return best;
}

quint64 lineHash(QStringView line)
{
    return qHash(line, 0x5a17);
}

// Turns CR LF, LF and CR into "\n" in place and notes the line ends.
void normaliseLineEnds(QString &text, Layout &layout)
{
    QChar *d = text.data();
    const qsizetype n = text.size();
    qsizetype w = 0;
    int kinds = 0;
    std::vector<LineEnd> ends;
    for (qsizetype r = 0; r < n; ++r) {
        QChar c = d[r];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            LineEnd end = LineEnd::Lf;
            if (c == QLatin1Char('\r')) {
                end = LineEnd::Cr;
                if (r + 1 < n && d[r + 1] == QLatin1Char('\n')) {
                    end = LineEnd::CrLf;
                    ++r;
                }
            }
            if (ends.empty())
                layout.format.lineEnd = end;
            kinds |= 1 << int(end);
            ends.push_back(end);
            c = QLatin1Char('\n');
        }
        d[w++] = c;
    }
    text.truncate(w);
    layout.mixed = kinds != 0 && (kinds & (kinds - 1)) != 0;
    if (!layout.mixed)
        return;
    layout.ends = std::move(ends);
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
        layout.lineHashes.push_back(lineHash(line));
}

// Each line break's end in a mixed file: lines the edit left alone keep
// theirs (matched from the start and from the end of the text); a region
// with as many lines as before keeps them line by line; other new breaks
// take the file's first end.
std::vector<LineEnd> endsFor(QStringView text, const Layout &layout)
{
    std::vector<quint64> hashes;
    for (const QStringView line : text.split(QLatin1Char('\n')))
        hashes.push_back(lineHash(line));
    const std::vector<quint64> &old = layout.lineHashes;
    const size_t breaks = hashes.size() - 1, oldBreaks = layout.ends.size();
    size_t head = 0;
    while (head < hashes.size() && head < old.size() && hashes[head] == old[head])
        ++head;
    size_t tail = 0;
    while (tail < hashes.size() - head && tail < old.size() - head
           && hashes[hashes.size() - 1 - tail] == old[old.size() - 1 - tail])
        ++tail;
    std::vector<LineEnd> ends(breaks, layout.format.lineEnd);
    for (size_t k = 0; k < breaks; ++k) {
        if (k < head && k < oldBreaks)
            ends[k] = layout.ends[k];
        else if (k + tail >= breaks && k + oldBreaks >= breaks && k + oldBreaks - breaks < oldBreaks)
            ends[k] = layout.ends[k + oldBreaks - breaks];
        else if (breaks == oldBreaks)
            ends[k] = layout.ends[k];
    }
    return ends;
}

// Puts each "\n" of `in` back as its line end: `in` is text or bytes of
// an encoding where "\n" is one unit of its own (8-bit, UTF-8, UTF-16 text).
template <typename Buffer> Buffer withLineEnds(const Buffer &in, const std::vector<LineEnd> &ends, const Layout &layout)
{
    using Unit = std::remove_cv_t<std::remove_reference_t<decltype(in.at(0))>>;
    if (!layout.mixed && layout.format.lineEnd == LineEnd::Lf)
        return in;
    const qsizetype breaks = in.count(Unit('\n'));
    Buffer out(in.size() + breaks, Qt::Uninitialized);
    auto *d = out.data();
    qsizetype k = 0;
    for (const Unit c : in) {
        if (c != Unit('\n')) {
            *d++ = c;
            continue;
        }
        switch (layout.mixed ? ends[size_t(k)] : layout.format.lineEnd) {
        case LineEnd::CrLf:
            *d++ = Unit('\r');
            *d++ = Unit('\n');
            break;
        case LineEnd::Lf:
            *d++ = Unit('\n');
            break;
        case LineEnd::Cr:
            *d++ = Unit('\r');
            break;
        }
        ++k;
    }
    out.truncate(d - out.data());
    return out;
}

// The first character that does not come back the same from the encoding.
qsizetype firstLost(QStringView text, const QString &back)
{
    const qsizetype n = std::min(text.size(), back.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != back[i])
            return i;
    }
    return n;
}

} // namespace

QString encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Windows1251:
        return QStringLiteral("Windows-1251");
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case Encoding::Utf16BE:
        return QStringLiteral("UTF-16BE");
    case Encoding::Koi8R:
        return QStringLiteral("KOI8-R");
    case Encoding::Ibm866:
        return QStringLiteral("IBM866");
    }
    return {};
}

QString lineEndName(LineEnd end)
{
    switch (end) {
    case LineEnd::CrLf:
        return QStringLiteral("CR LF (Windows)");
    case LineEnd::Lf:
        return QStringLiteral("LF (Linux, macOS)");
    case LineEnd::Cr:
        return QStringLiteral("CR (старый Mac)");
    }
    return {};
}

Decoded decode(QByteArray bytes, std::optional<Encoding> forced)
{
    Decoded d;
    Format &f = d.layout.format;
    std::optional<QString> text;
    const bool utf8Bom = bytes.startsWith("\xEF\xBB\xBF");
    const bool le = bytes.startsWith("\xFF\xFE"), be = bytes.startsWith("\xFE\xFF");
    Encoding e = forced.value_or(Encoding::Windows1251);
    if (!forced) {
        if (utf8Bom)
            e = Encoding::Utf8;
        else if (le)
            e = Encoding::Utf16LE;
        else if (be)
            e = Encoding::Utf16BE;
        else if (hasHighBytes(bytes))
            // A sample decides; a fault further on is caught by the strict decoding below.
            e = validUtf8(QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 1 << 16)), true)
                ? Encoding::Utf8
                : detectEightBit(bytes);
    }
    switch (e) {
    case Encoding::Utf8:
        f.bom = utf8Bom;
        text = decodeUtf8(QByteArrayView(bytes).sliced(utf8Bom ? 3 : 0));
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        f.bom = e == Encoding::Utf16LE ? le : be;
        if ((bytes.size() - (f.bom ? 2 : 0)) % 2 == 0)
            text = decodeStrict(QByteArrayView(bytes).sliced(f.bom ? 2 : 0),
                                e == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        break;
    case Encoding::Koi8R:
    case Encoding::Ibm866:
    case Encoding::Windows1251:
        text = decodeEightBit(bytes, e);
        break;
    }
    if (!text && !forced && e == Encoding::Utf8 && !utf8Bom) {
        // Valid UTF-8 at the start only: an 8-bit text after all.
        e = detectEightBit(bytes);
        text = decodeEightBit(bytes, e);
    }
    if (!text) {
        // Bytes this encoding cannot read: Windows-1251 keeps every one of them.
        f = Format{};
        e = Encoding::Windows1251;
        text = cp1251::decode(bytes);
    }
    f.encoding = e;
    bytes = QByteArray(); // the bytes are no longer needed while the text is worked on
    d.text = std::move(*text);
    normaliseLineEnds(d.text, d.layout);
    return d;
}

std::optional<QByteArray> encode(QStringView text, const Layout &layout, qsizetype *bad)
{
    const Format &f = layout.format;
    const std::vector<LineEnd> ends = layout.mixed ? endsFor(text, layout) : std::vector<LineEnd>();
    QByteArray out;
    qsizetype lost = -1;
    switch (f.encoding) {
    case Encoding::Windows1251:
        if (cp1251::encode(text, out, &lost)) {
            lost = -1;
            out = withLineEnds(out, ends, layout);
        }
        break;
    case Encoding::Utf8:
        if (!text.isValidUtf16()) {
            lost = firstLost(text, QString::fromUtf8(text.toUtf8()));
            break;
        }
        out = withLineEnds(text.toUtf8(), ends, layout);
        if (f.bom)
            out.prepend("\xEF\xBB\xBF");
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        QStringEncoder encoder(f.encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               f.bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        out = encoder.encode(withLineEnds(text.toString(), ends, layout));
        break;
    }
    case Encoding::Koi8R:
    case Encoding::Ibm866: {
        QStringEncoder encoder(codecName(f.encoding));
        QStringDecoder decoder(codecName(f.encoding));
        out = encoder.encode(text);
        const QString back = decoder.decode(out);
        if (back != text) {
            lost = firstLost(text, back);
            break;
        }
        out = withLineEnds(out, ends, layout);
        break;
    }
    }
    if (lost >= 0) {
        if (bad)
            *bad = lost;
        return std::nullopt;
    }
    return out;
}

} // namespace textformat
