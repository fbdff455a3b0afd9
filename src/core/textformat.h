#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// What a text file is made of besides its text: the encoding, a byte-order
// mark and the line ends. Files are read into text with "\n" between lines
// and written back in their own form, so a file opened and saved unedited is
// byte-identical. New documents are Windows-1251 with CR LF.
namespace textformat {

enum class Encoding { Windows1251, Utf8, Utf16LE, Utf16BE, Koi8R, Ibm866 };
enum class LineEnd : quint8 { CrLf, Lf, Cr };

QString encodingName(Encoding encoding);
QString lineEndName(LineEnd end);

struct Format
{
    Encoding encoding = Encoding::Windows1251;
    bool bom = false;
    LineEnd lineEnd = LineEnd::CrLf; // of new line breaks: the file's first
};

// A file's form as read: its format and, when its line ends are mixed, each
// line's own end, so that unedited lines keep theirs.
struct Layout
{
    Format format;
    bool mixed = false;
    std::vector<LineEnd> ends;       // per line break, when mixed
    std::vector<quint64> lineHashes; // per line, when mixed
};

struct Decoded
{
    QString text;
    Layout layout;
};

// Reads a file's bytes. Without `forced` the encoding is detected: a
// byte-order mark (UTF-8, UTF-16), else valid UTF-8 holding non-ASCII bytes,
// else an 8-bit Russian encoding (Windows-1251 unless the letters clearly say
// KOI8-R or IBM866). Bytes that the forced encoding cannot read fall back to
// Windows-1251, which reads every byte.
Decoded decode(QByteArray bytes, std::optional<Encoding> forced = std::nullopt);

// Writes text in a layout's form. Nothing, with the position of the first
// character the encoding cannot hold in *bad, when there is one: a
// character is never replaced by another.
std::optional<QByteArray> encode(QStringView text, const Layout &layout, qsizetype *bad = nullptr);

} // namespace textformat
