#pragma once

#include "core/delimiters.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The words of the open document and how often each occurs, kept line by
// line so that an edit recounts only the lines it touched. Words are
// lower-cased Windows-1251 bytes, as the dictionary's are; a word holding a
// character Windows-1251 lacks is left out, since no typed prefix can match
// it.
class WordSet;

class DocumentWords
{
public:
    // Lower-case of every Windows-1251 byte.
    using LowerTable = std::array<unsigned char, 256>;

    DocumentWords(const LowerTable &lower, const DelimiterSet &delimiters);

    // Counts the whole text anew, its lines split at `lineBreak` (an editor's
    // blocks: U+2029). Other line breaks inside a line only end words.
    void reset(QStringView text, QChar lineBreak = QLatin1Char('\n'));
    // Lines [first, first + removed) are now `lines`, which may be more or fewer.
    void replaceLines(qsizetype first, qsizetype removed, const std::vector<QString> &lines);

    // The dictionary whose words startingWith may leave out: each word is
    // looked up once, when it is first met (or now, for the words counted so
    // far), not at every keystroke. The set must outlive this or be replaced.
    void setDictionary(const WordSet *set);

    qsizetype lineCount() const { return qsizetype(m_lines.size()); }
    // Occurrences of a word (lower-cased Windows-1251); 0 when it is not in the text.
    quint32 count(QByteArrayView word) const;
    qsizetype distinctWords() const;

    // The words that begin with prefix and are longer than it, the most
    // frequent first, ties in order of first appearance. `skipOnce` is left
    // out when it occurs just once (the word being typed); so is every word
    // of `lackingFrom` when given (its answers are kept per word). The views
    // last until the next change.
    std::vector<QByteArrayView> startingWith(QByteArrayView prefix, QByteArrayView skipOnce = {},
                                             const WordSet *lackingFrom = nullptr) const;

private:
    // A word's bytes live in one buffer for all words, close together.
    struct Entry
    {
        quint32 hash = 0;
        quint32 offset = 0;
        quint32 length = 0;
        quint32 count = 0;
        quint32 order = 0;        // first appearance
        mutable qint8 known = -1; // in m_knownFor's set: 1, not: 0, not asked: -1
    };
    QByteArrayView textOf(const Entry &e) const { return QByteArrayView(m_text.data() + e.offset, e.length); }
    using Ids = std::vector<quint32>;

    explicit DocumentWords(const std::vector<quint16> &unit);
    void countLines(QStringView text, QChar lineBreak);
    Ids wordsOf(QStringView line);
    quint32 idOf(std::string_view word, size_t hash);
    void grow();
    void add(const Ids &ids);
    void remove(const Ids &ids);

    // What each UTF-16 unit is to a word: its lower-cased Windows-1251 byte,
    // or kDelimiter, or kLacking (no Windows-1251 byte).
    static constexpr quint16 kDelimiter = 0x100, kLacking = 0x200;
    std::vector<quint16> m_unit;
    std::vector<Entry> m_entries;
    std::vector<quint32> m_slots; // open addressing by hash: entry id + 1, 0 for empty
    std::string m_text;
    std::vector<Ids> m_lines;
    std::vector<std::vector<quint32>> m_byTwo; // ids of words of two bytes or more, by their first two
    quint32 m_nextOrder = 0;
    mutable quint64 m_knownFor = 0; // the id of the set the entries' `known` answer for
    const WordSet *m_dictionary = nullptr;
    qsizetype m_distinct = 0;
};
