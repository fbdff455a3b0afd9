#pragma once

#include "core/wordlist.h"

#include <QByteArrayView>

#include <array>
#include <memory>
#include <span>
#include <vector>

// Word indices grouped by their first byte and by their first two bytes,
// each group in word-list order. A one- or two-byte prefix's matches are one
// group as it stands; a longer prefix filters its two-byte group, so every
// result keeps the word-list order without sorting.
class SuggestionIndex
{
public:
    explicit SuggestionIndex(const WordList &words);

    std::span<const quint32> firstByteGroup(unsigned char b) const;
    std::span<const quint32> twoByteGroup(unsigned char b0, unsigned char b1) const;

    qsizetype memoryBytes() const;

private:
    std::vector<quint32> m_byFirst;
    std::array<quint32, 257> m_firstStart{};
    std::vector<quint32> m_byTwo;
    std::vector<quint32> m_twoStart; // 65537 entries
};

// The words that begin with a prefix, as indices into the word list, in
// word-list order. Keeps alive whatever its indices point into.
class Matches
{
public:
    Matches() = default;

    std::span<const quint32> rows() const { return m_rows; }
    qsizetype size() const { return qsizetype(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    const WordList &words() const { return m_words; }
    QByteArrayView word(qsizetype row) const { return m_words.at(m_rows[size_t(row)]); }

private:
    friend Matches findMatches(const WordList &words, QByteArrayView prefix);
    WordList m_words;
    std::shared_ptr<const SuggestionIndex> m_index; // owner of a group span
    std::shared_ptr<const std::vector<quint32>> m_owned; // owner of a filtered list
    std::span<const quint32> m_rows;
};

// Every word whose first prefix.size() bytes equal prefix, byte for byte.
// An empty prefix matches nothing.
Matches findMatches(const WordList &words, QByteArrayView prefix);

// The same by looking at every word in turn: the reference for the index.
std::vector<quint32> linearMatches(const WordList &words, QByteArrayView prefix);
