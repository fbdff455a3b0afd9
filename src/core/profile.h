#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// INI profile files with the Windows profile rules: "[section]" lines and
// "key=value" lines; section and key names match case-insensitively, with
// surrounding blanks ignored; the first of duplicate sections or keys counts.
// Files are Windows-1251; lines written by us end with CR LF; every other
// byte of the file (comments, unknown keys, blank lines) is kept as it was.
namespace profile {

// Longest string a read returns, in characters.
constexpr qsizetype maxValueLength = 2047;

// The value of key in section of the given file text: trimmed of blanks, one
// pair of surrounding single or double quotes removed, cut to maxValueLength.
// Nothing when the section or key is absent.
std::optional<QString> lookup(QByteArrayView text, QStringView section, QStringView key);

// The file text with key set to the (already encoded) value: the key's line is
// replaced where it stands, a new key goes after the last non-blank line of its
// section, a new section at the end of the file.
QByteArray assign(QByteArrayView text, QStringView section, QStringView key, QByteArrayView value);

// The text a value is stored as so that lookup gives it back unchanged: as it
// is, unless surrounding blanks or quotes would be lost on reading; then it is
// put in double quotes. Nothing when it cannot be stored (a line break, or a
// character Windows-1251 lacks).
std::optional<QByteArray> encodeValue(QStringView value);

// Reads a string from the file at path (resolved against the current
// directory now); def when the file, section or key is absent.
QString readString(const QString &path, const QString &section, const QString &key, const QString &def);
std::optional<QString> read(const QString &path, const QString &section, const QString &key);

// Writes one key to the file at once, creating the file when needed. The file
// is replaced atomically, so it is never left truncated. Returns false when
// the file cannot be read or written (read-only file or folder, disk full,
// unstorable value); the file is unchanged then.
bool writeString(const QString &path, const QString &section, const QString &key, const QString &value);

} // namespace profile
