#pragma once

#include "core/error.h"
#include "core/fileio.h"
#include "core/textformat.h"

#include <QString>

#include <optional>

// Documents on disk in their own form (encoding, byte-order mark, line ends;
// see textformat). In memory the text uses "\n" between lines. New documents
// are Windows-1251 with CR LF. Failures throw ZarvoError with the message the
// general error report shows.
namespace document {

struct Loaded
{
    QString text;
    textformat::Layout layout;
    fileio::FileStamp stamp; // tells later whether another program changed the file
};

// Reads a document, in the given encoding or the one detected. Only regular
// files are read, and only when they fit in memory.
Loaded load(const QString &path, std::optional<textformat::Encoding> encoding = std::nullopt);

// The text of file bytes, as load() reads them.
QString fromBytes(QByteArray bytes);

// A character the layout's encoding cannot hold: the save is refused.
class UnencodableError : public ZarvoError
{
public:
    UnencodableError(const QString &message, qsizetype position) : ZarvoError(message), m_position(position) {}
    qsizetype position() const { return m_position; }

private:
    qsizetype m_position;
};

// The bytes of text in a layout's form (by default a new document's:
// Windows-1251, CR LF). Throws UnencodableError naming the character and its
// line when the encoding cannot hold one.
QByteArray toBytes(QStringView text, const textformat::Layout &layout = {});

// Writes safely (fileio::save): a failed write leaves the old file exactly
// as it was. A read-only file is refused, not replaced. Returns the stamp of
// what was written.
fileio::FileStamp write(const QString &path, QStringView text, const textformat::Layout &layout = {});

} // namespace document
