#pragma once

#include "core/fileio.h"

#include <QString>

// Documents on disk: Windows-1251 bytes, lines ended by CR LF. In memory the
// text uses "\n" between lines. Failures throw ZarvoError with the message
// the general error report shows.
namespace document {

// Reads a document; CR LF, LF and lone CR all end a line. Only regular
// files are read, and only when they fit in memory. The stamp, when asked
// for, tells later whether another program has changed the file.
QString read(const QString &path, fileio::FileStamp *stamp = nullptr);

// Converts file bytes to the in-memory text.
QString fromBytes(QByteArray bytes);

// Converts the in-memory text to file bytes; throws when a character has no
// Windows-1251 byte, naming it and its line.
QByteArray toBytes(QStringView text);

// Writes safely (fileio::save): a failed write leaves the old file exactly
// as it was. A read-only file is refused, not replaced. Returns the stamp of
// what was written.
fileio::FileStamp write(const QString &path, QStringView text);

} // namespace document
