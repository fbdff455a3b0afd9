#include "core/document.h"

namespace document {

QString fromBytes(QByteArray bytes)
{
    return textformat::decode(std::move(bytes)).text;
}

Loaded load(const QString &path, std::optional<textformat::Encoding> encoding)
{
    // The text in memory takes about six times the file's bytes at its peak:
    // the bytes, the decoded text and the editor's copy.
    QByteArray bytes = fileio::readRegular(path, 6.0);
    Loaded loaded;
    loaded.stamp = fileio::stampOf(path, bytes);
    textformat::Decoded decoded = textformat::decode(std::move(bytes), encoding);
    loaded.text = std::move(decoded.text);
    loaded.layout = std::move(decoded.layout);
    return loaded;
}

QByteArray toBytes(QStringView text, const textformat::Layout &layout)
{
    qsizetype bad = -1;
    std::optional<QByteArray> bytes = textformat::encode(text, layout, &bad);
    if (bytes)
        return std::move(*bytes);
    const qsizetype line = text.left(bad).count(u'\n') + 1;
    const char16_t c = bad < text.size() ? text.at(bad).unicode() : 0;
    const QString shown = QChar::isPrint(c) ? QString(QChar(c)) : QString();
    throw UnencodableError(QStringLiteral("Символ %1(U+%2) в строке %3 нельзя сохранить в кодировке %4; "
                                          "файл не записан")
                               .arg(shown.isEmpty() ? QString() : "\u00ab" + shown + "\u00bb ")
                               .arg(uint(c), 4, 16, QLatin1Char('0'))
                               .arg(line)
                               .arg(textformat::encodingName(layout.format.encoding)),
                           bad);
}

fileio::FileStamp write(const QString &path, QStringView text, const textformat::Layout &layout)
{
    const QByteArray bytes = toBytes(text, layout);
    fileio::save(path, bytes);
    return fileio::stampOf(path, bytes);
}

} // namespace document
