#include "core/document.h"

#include "core/cp1251.h"
#include "core/error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace document {
namespace {

QString failure(const QString &what, const QString &path, const QString &reason)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, path, reason);
}

bool readOnly(const QFileInfo &info)
{
    // The mode bits only: the "user" bits follow access(2), which lets the superuser write.
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    // No write bit at all counts as read-only even for the superuser, as the
    // read-only attribute does on Windows.
    return !info.isWritable() || !(info.permissions() & anyWrite);
}

} // namespace

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

QString read(const QString &path)
{
    QFileInfo info(path);
    if (info.isDir())
        throw ZarvoError(failure(QStringLiteral("Не удаётся открыть файл"), path,
                                 QStringLiteral("это папка")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ZarvoError(failure(QStringLiteral("Не удаётся открыть файл"), path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ZarvoError(failure(QStringLiteral("Не удаётся прочитать файл"), path, file.errorString()));
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

void write(const QString &path, QStringView text)
{
    writeBytes(path, toBytes(text));
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    const QString what = QStringLiteral("Не удаётся записать файл");
    const QFileInfo info(path);
    if (info.exists()) {
        if (info.isDir())
            throw ZarvoError(failure(what, path, QStringLiteral("это папка")));
        if (readOnly(info))
            throw ZarvoError(failure(what, path, QStringLiteral("файл только для чтения")));
    }
    if (info.exists() && !info.isFile()) {
        // A device or pipe cannot be replaced by renaming: write it directly.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            throw ZarvoError(failure(what, path, file.errorString()));
        file.close();
        if (file.error() != QFileDevice::NoError)
            throw ZarvoError(failure(what, path, file.errorString()));
        return;
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw ZarvoError(failure(what, path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw ZarvoError(failure(what, path, reason));
    }
    if (!file.commit())
        throw ZarvoError(failure(what, path, file.errorString()));
}

} // namespace document
