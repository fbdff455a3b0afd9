#include "core/profile.h"

#include "core/cp1251.h"
#include "core/fileio.h"
#include "core/error.h"

#include <QFileInfo>

namespace profile {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

bool sameName(QByteArrayView raw, QStringView name)
{
    const QByteArrayView t = trimmed(raw);
    // Cheap test first: names longer or shorter than the one sought.
    if (t.size() != name.size())
        return false;
    return QString::compare(cp1251::decode(t), name, Qt::CaseInsensitive) == 0;
}

// One line of the file: [begin, end) its content, next the start of the line after it.
struct Line
{
    qsizetype begin;
    qsizetype end;
    qsizetype next;
};

class Lines
{
public:
    explicit Lines(QByteArrayView text) : m_text(text) {}
    bool next(Line &line)
    {
        if (m_pos >= m_text.size())
            return false;
        // CR LF, LF and a lone CR each end a line, as the system's own
        // settings reader takes them.
        const qsizetype n = m_text.size();
        qsizetype i = m_pos;
        while (i < n && m_text[i] != '\n' && m_text[i] != '\r')
            ++i;
        line.begin = m_pos;
        line.end = i;
        if (i < n)
            i += (m_text[i] == '\r' && i + 1 < n && m_text[i + 1] == '\n') ? 2 : 1;
        line.next = i;
        m_pos = line.next;
        return true;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

enum class Kind { Blank, Section, Key, Other };

struct Parsed
{
    Kind kind = Kind::Other;
    QByteArrayView name;  // section or key name, untrimmed inside
    QByteArrayView value; // trimmed
};

Parsed parseLine(QByteArrayView content)
{
    Parsed p;
    const QByteArrayView t = trimmed(content);
    if (t.isEmpty()) {
        p.kind = Kind::Blank;
        return p;
    }
    if (t[0] == '[') {
        p.kind = Kind::Section;
        const qsizetype close = t.indexOf(']');
        p.name = close < 0 ? t.sliced(1) : t.sliced(1, close - 1);
        return p;
    }
    if (t[0] == ';')
        return p; // comment
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return p;
    p.kind = Kind::Key;
    p.name = t.first(eq);
    p.value = trimmed(t.sliced(eq + 1));
    return p;
}

// Where a key stands in the text, or where it would go.
struct Place
{
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine{};      // when keyFound
    qsizetype insertAt = -1; // after the section's last non-blank line (when sectionFound)
    bool insertNeedsBreak = false; // that line has no line end yet
    QByteArrayView value;
};

Place locate(QByteArrayView text, QStringView section, QStringView key)
{
    Place place;
    Lines lines(text);
    Line line;
    bool inSection = false;
    while (lines.next(line)) {
        const Parsed p = parseLine(text.sliced(line.begin, line.end - line.begin));
        if (p.kind == Kind::Section) {
            if (inSection)
                break; // only the first section of that name counts
            if (sameName(p.name, section)) {
                inSection = true;
                place.sectionFound = true;
                place.insertAt = line.next;
                place.insertNeedsBreak = line.next == line.end;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (p.kind != Kind::Blank) {
            place.insertAt = line.next;
            place.insertNeedsBreak = line.next == line.end;
        }
        if (p.kind == Kind::Key && sameName(p.name, key)) {
            place.keyFound = true;
            place.keyLine = line;
            place.value = p.value;
            return place;
        }
    }
    return place;
}

} // namespace

std::optional<QString> lookup(QByteArrayView text, QStringView section, QStringView key)
{
    const Place place = locate(text, section, key);
    if (!place.keyFound)
        return std::nullopt;
    QByteArrayView v = place.value;
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v[v.size() - 1] == v[0])
        v = v.sliced(1, v.size() - 2);
    return cp1251::decode(v.first(qMin(v.size(), maxValueLength)));
}

QByteArray assign(QByteArrayView text, QStringView section, QStringView key, QByteArrayView value)
{
    QByteArray keyBytes;
    cp1251::encode(key, keyBytes);
    QByteArray entry = keyBytes;
    entry.append('=').append(value);

    const Place place = locate(text, section, key);
    QByteArray out;
    out.reserve(text.size() + entry.size() + section.size() + 8);
    if (place.keyFound) {
        out.append(text.first(place.keyLine.begin));
        out.append(entry);
        // Keep the line's own end (CR LF, LF or CR) as it was.
        out.append(text.sliced(place.keyLine.end));
        return out;
    }
    if (place.sectionFound) {
        out.append(text.first(place.insertAt));
        if (place.insertNeedsBreak)
            out.append("\r\n");
        out.append(entry).append("\r\n");
        out.append(text.sliced(place.insertAt));
        return out;
    }
    QByteArray sectionBytes;
    cp1251::encode(section, sectionBytes);
    out.append(text);
    if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
        out.append("\r\n");
    out.append('[').append(sectionBytes).append("]\r\n").append(entry).append("\r\n");
    return out;
}

std::optional<QByteArray> encodeValue(QStringView value)
{
    if (value.contains(u'\n') || value.contains(u'\r') || value.contains(QChar(0)))
        return std::nullopt;
    QByteArray bytes;
    if (!cp1251::encode(value, bytes))
        return std::nullopt;
    const bool blankEdge = !bytes.isEmpty() && (isBlank(bytes.front()) || isBlank(bytes.back()));
    const bool quoted = bytes.size() >= 2 && (bytes.front() == '"' || bytes.front() == '\'')
                        && bytes.back() == bytes.front();
    if (blankEdge || quoted)
        return '"' + bytes + '"';
    return bytes;
}

namespace {

// The file's bytes; empty when it does not exist. Nothing when it exists but
// cannot be read: writing then would lose its content.
std::optional<QByteArray> fileBytes(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return QByteArray();
    // A folder, pipe or device is no settings file (and reading a pipe could block).
    try {
        return fileio::readRegular(path);
    } catch (const ZarvoError &) {
        return std::nullopt;
    }
}

} // namespace

std::optional<QString> read(const QString &path, const QString &section, const QString &key)
{
    const std::optional<QByteArray> bytes = fileBytes(path);
    if (!bytes)
        return std::nullopt;
    return lookup(*bytes, section, key);
}

QString readString(const QString &path, const QString &section, const QString &key, const QString &def)
{
    return read(path, section, key).value_or(def);
}

bool writeString(const QString &path, const QString &section, const QString &key, const QString &value)
{
    const std::optional<QByteArray> encoded = encodeValue(value);
    if (!encoded)
        return false;
    const std::optional<QByteArray> before = fileBytes(path);
    if (!before)
        return false;
    try {
        fileio::save(path, assign(*before, section, key, *encoded));
    } catch (const ZarvoError &) {
        return false;
    }
    return true;
}

} // namespace profile
