#pragma once

#include <QString>

#include <array>
#include <functional>

// The word left of a position in a line: the characters before `column`
// back to the nearest delimiter. Empty when the column is at the line's start
// or a delimiter stands just left of it. `isDelimiter` is asked for each
// character, so it may read a delimiter specification that is being edited.
QStringView wordLeftOf(QStringView line, qsizetype column, const std::function<bool(QChar)> &isDelimiter);

// The delimiter specification: characters that separate words, written with
// the escapes "^p" (carriage return), "^t" (tab), "^x" (x itself) and a final
// "^" (the character with code 0).
QString defaultDelimiterSpec();

// The characters a delimiter specification stands for, in order of appearance
// (duplicates kept).
QString expandDelimiterSpec(const QString &notation);

// The expanded delimiter specification as a set with constant-time lookup for the
// Windows-1251 range of codes below 256.
class DelimiterSet
{
public:
    DelimiterSet() = default;
    explicit DelimiterSet(const QString &notation);

    bool contains(QChar c) const;

private:
    std::array<quint64, 4> m_low{};
    QString m_high; // sorted characters with codes of 256 and above
};

// Answers IsDelimiter for a delimiter specification that changes rarely: the expansion
// is kept until the text differs.
class CachedDelimiterSet
{
public:
    bool contains(const QString &notation, QChar c);

private:
    QString m_notation;
    DelimiterSet m_set;
    bool m_valid = false;
};
