#pragma once

#include "core/wordlist.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Reading a dictionary file: the delimiter specification on the first line,
// then one word per line, each after a decimal integer and one separator.
namespace dictionaryfile {

struct Parsed
{
    QByteArray firstLine; // the delimiter specification, Windows-1251
    WordList words;       // the words read, in file order
    bool invalidNumber = false; // reading stopped at a line without a valid integer
};

// Parses the bytes of a dictionary file. Never throws for any content,
// except when the words would not fit the word list's 4 GiB buffer.
Parsed parse(QByteArrayView data);

enum class Status { Ok, NotOpened };

// Reads and parses the file at path. NotOpened when it is missing, a folder
// or not readable; then `out` is left untouched. Throws ZarvoError for a
// pipe, socket or device (never read, so never blocking), for a file larger
// than the memory its words need, and when reading fails after opening.
Status read(const QString &path, Parsed &out);

} // namespace dictionaryfile
