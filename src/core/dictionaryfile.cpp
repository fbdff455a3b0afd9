#include "core/dictionaryfile.h"

#include "core/error.h"
#include "core/fileio.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <limits>

#include <unistd.h>

namespace dictionaryfile {
namespace {

constexpr char EndOfFile = 26;
constexpr qsizetype MaxNumberLength = 32;

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Moves past one line end (CR LF, LF or CR) at pos, if there is one.
qsizetype skipLineEnd(const char *p, qsizetype pos, qsizetype n)
{
    if (pos < n && p[pos] == '\r')
        ++pos;
    else if (pos < n && p[pos] == '\n')
        return pos + 1;
    else
        return pos;
    if (pos < n && p[pos] == '\n')
        ++pos;
    return pos;
}

qsizetype lineEnd(const char *p, qsizetype pos, qsizetype n)
{
    while (pos < n && !isLineEnd(p[pos]))
        ++pos;
    return pos;
}

// A signed 32-bit decimal number: optional sign, at least one digit.
bool validNumber(const char *p, qsizetype len)
{
    if (len == 0 || len > MaxNumberLength)
        return false;
    qsizetype i = 0;
    bool negative = false;
    if (p[0] == '+' || p[0] == '-') {
        negative = p[0] == '-';
        i = 1;
    }
    if (i == len)
        return false;
    qint64 value = 0;
    const qint64 limit = negative ? qint64(std::numeric_limits<qint32>::max()) + 1
                                  : qint64(std::numeric_limits<qint32>::max());
    for (; i < len; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        value = value * 10 + (p[i] - '0');
        if (value > limit)
            return false;
    }
    return true;
}

} // namespace

Parsed parse(QByteArrayView data)
{
    Parsed out;
    const char *p = data.data();
    qsizetype n = data.size();
    if (n > 0) {
        if (const void *eof = std::memchr(p, EndOfFile, size_t(n)))
            n = static_cast<const char *>(eof) - p;
    }

    qsizetype pos = lineEnd(p, 0, n);
    out.firstLine = QByteArray(p, pos);
    pos = skipLineEnd(p, pos, n);

    // Words are shorter than their lines: the file's size bounds the buffer.
    out.words.reserve(std::count(p + pos, p + n, '\n') + 1, n - pos);
    while (true) {
        while (pos < n && isBlank(p[pos]))
            ++pos;
        if (pos >= n)
            break;
        const qsizetype numberStart = pos;
        while (pos < n && !isBlank(p[pos]) && pos - numberStart <= MaxNumberLength)
            ++pos;
        if (!validNumber(p + numberStart, pos - numberStart)) {
            out.invalidNumber = true;
            break;
        }
        if (pos >= n || isLineEnd(p[pos])) {
            // A number alone on its line: an empty word.
            out.words.append(QByteArrayView());
            pos = skipLineEnd(p, pos, n);
            continue;
        }
        ++pos; // the one separator
        const qsizetype end = lineEnd(p, pos, n);
        out.words.append(QByteArrayView(p + pos, end - pos));
        pos = skipLineEnd(p, end, n);
    }
    out.words.squeeze();
    return out;
}

Status read(const QString &path, Parsed &out)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || !info.isReadable())
        return Status::NotOpened;
    // Refuses pipes and devices without blocking, and a file whose words
    // would not fit in memory (the text plus an offset per word).
    qint64 size = 0;
    const int fd = fileio::openRegular(path, &size, 1.5);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Status::NotOpened;
    }
    if (size > 0) {
        if (uchar *mapped = file.map(0, size)) {
            out = parse(QByteArrayView(reinterpret_cast<const char *>(mapped), size));
            file.unmap(mapped);
            return Status::Ok;
        }
    }
    // Not mappable: read it whole.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ZarvoError(file.errorString());
    out = parse(bytes);
    return Status::Ok;
}

} // namespace dictionaryfile
