#pragma once

#include <QString>

// Documents on disk: Windows-1251 bytes, lines ended by CR LF. In memory the
// text uses "\n" between lines. Failures throw ZarvoError with the message
// the general error report shows.
namespace document {

// Reads a document; CR LF, LF and lone CR all end a line.
QString read(const QString &path);

// Converts file bytes to the in-memory text.
QString fromBytes(QByteArray bytes);

// Converts the in-memory text to file bytes; throws when a character has no
// Windows-1251 byte, naming it and its line.
QByteArray toBytes(QStringView text);

// Writes atomically: a failed write leaves the old file exactly as it was.
// A read-only file is refused, not replaced.
void write(const QString &path, QStringView text);

// Writes bytes the same way (shared by documents and other files we own).
void writeBytes(const QString &path, const QByteArray &bytes);

} // namespace document
