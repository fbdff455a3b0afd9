#include "core/document.h"

#include "core/cp1251.h"
#include "core/error.h"

namespace document {

QString fromBytes(QByteArray bytes)
{
    // Normalise line ends in place: CR LF and lone CR become LF.
    char *d = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype w = 0;
    for (qsizetype r = 0; r < n; ++r) {
        char c = d[r];
        if (c == '\r') {
            if (r + 1 < n && d[r + 1] == '\n')
                ++r;
            c = '\n';
        }
        d[w++] = c;
    }
    return cp1251::decode(QByteArrayView(d, w));
}

QString read(const QString &path, fileio::FileStamp *stamp)
{
    // The text in memory takes about six times the file's bytes at its peak:
    // the bytes, the decoded text and the editor's copy.
    QByteArray bytes = fileio::readRegular(path, 6.0);
    if (stamp)
        *stamp = fileio::stampOf(path, bytes);
    return fromBytes(std::move(bytes));
}

QByteArray toBytes(QStringView text)
{
    qsizetype bad = -1;
    QByteArray encoded;
    if (!cp1251::encode(text, encoded, &bad)) {
        const qsizetype line = text.left(bad).count(u'\n') + 1;
        const char16_t c = text.at(bad).unicode();
        QString shown = QChar::isPrint(c) ? QString(QChar(c)) : QString();
        throw ZarvoError(QStringLiteral("Символ %1(U+%2) в строке %3 нельзя сохранить в кодировке "
                                        "Windows-1251; файл не записан")
                             .arg(shown.isEmpty() ? QString() : "\u00ab" + shown + "\u00bb ")
                             .arg(uint(c), 4, 16, QLatin1Char('0'))
                             .arg(line));
    }
    const qsizetype breaks = encoded.count('\n');
    QByteArray out(encoded.size() + breaks, Qt::Uninitialized);
    char *dst = out.data();
    for (const char c : std::as_const(encoded)) {
        if (c == '\n')
            *dst++ = '\r';
        *dst++ = c;
    }
    return out;
}

fileio::FileStamp write(const QString &path, QStringView text)
{
    const QByteArray bytes = toBytes(text);
    fileio::save(path, bytes);
    return fileio::stampOf(path, bytes);
}

} // namespace document
