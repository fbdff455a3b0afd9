#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251 at the edges of the program. Every byte 0x00-0xFF has exactly
// one character and back, so text survives a round trip byte for byte.
namespace cp1251 {

QString decode(QByteArrayView bytes);

// Position of the first character Windows-1251 cannot hold, or -1.
qsizetype firstUnencodable(QStringView text);

// Encodes text; returns false (and leaves *badPos) when a character has no
// Windows-1251 byte. Nothing is ever replaced silently.
bool encode(QStringView text, QByteArray &out, qsizetype *badPos = nullptr);

// The byte for one character, or -1.
int byteOf(char16_t c);

} // namespace cp1251
