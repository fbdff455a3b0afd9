#pragma once

#include <QString>

#include <optional>

// Reading integers stored as text in the settings file.
namespace settingvalues {

// A decimal number with an optional sign, or a hexadecimal number after "$"
// or "0x" (read as a 32-bit pattern, so $FF000008 is a system colour).
// Empty text, text that is no such number and numbers outside the 32-bit
// range give nothing: the caller keeps the value in effect.
std::optional<qint32> parseInt(QStringView text);

// Windows MulDiv: a * b / c rounded half away from zero; nothing when c is 0
// or the result does not fit in 32 bits.
std::optional<qint32> mulDiv(qint32 a, qint32 b, qint32 c);

} // namespace settingvalues
