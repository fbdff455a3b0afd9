#pragma once

#include <QString>

#include <array>

// The delimiter specification: characters that separate words, written with
// the escapes "^p" (carriage return), "^t" (tab), "^x" (x itself) and a final
// "^" (the character with code 0).
QString defaultDelimiterSpec();

// The characters a specification stands for, in order of appearance
// (duplicates kept).
QString expandDelimiterSpec(const QString &spec);

// The expanded specification as a set with constant-time lookup for the
// Windows-1251 range of codes below 256.
class DelimiterSet
{
public:
    DelimiterSet() = default;
    explicit DelimiterSet(const QString &spec);

    bool contains(QChar c) const;

private:
    std::array<quint64, 4> m_low{};
    QString m_high; // sorted characters with codes of 256 and above
};

// Answers IsDelimiter for a specification that changes rarely: the expansion
// is kept until the text differs.
class CachedDelimiterSet
{
public:
    bool contains(const QString &spec, QChar c);

private:
    QString m_spec;
    DelimiterSet m_set;
    bool m_valid = false;
};
