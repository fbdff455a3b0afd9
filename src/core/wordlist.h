#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <memory>

class SuggestionIndex;

// The dictionary's words in file order: Windows-1251 bytes in one buffer,
// with the end offset of every word. Copies are cheap (implicitly shared),
// so a view can keep the words it shows alive while the dictionary is
// replaced underneath it.
class WordList
{
public:
    qsizetype size() const { return m_ends.size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    void clear();

    // Appends one word. Throws ZarvoError when the buffer would exceed 4 GiB.
    void append(QByteArrayView word);
    void reserve(qsizetype words, qsizetype bytes);
    void squeeze();

    QByteArrayView at(qsizetype i) const
    {
        const quint32 begin = i == 0 ? 0 : m_ends[i - 1];
        return QByteArrayView(m_bytes.constData() + begin, m_ends[i] - begin);
    }
    qsizetype length(qsizetype i) const { return m_ends[i] - (i == 0 ? 0 : m_ends[i - 1]); }
    QString text(qsizetype i) const; // decoded from Windows-1251
    QStringList texts() const;

    // Bytes held for the words: the text buffer plus one offset per word.
    qsizetype memoryBytes() const;

    // The prefix index over these words, built on first use and shared by copies.
    std::shared_ptr<const SuggestionIndex> index() const;

    bool operator==(const WordList &other) const
    {
        return m_ends == other.m_ends && m_bytes == other.m_bytes;
    }

private:
    QByteArray m_bytes;
    QList<quint32> m_ends;
    mutable std::shared_ptr<const SuggestionIndex> m_index;
};
