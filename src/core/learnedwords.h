#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <vector>

// How often the user has finished each word (typed a delimiter after it, or
// taken it as a completion), kept for one dictionary in a file of its own:
// a first line "zarvo-learned 1", then one "count word" line per word,
// Windows-1251 with CR LF like a dictionary. Words are lower-cased bytes.
class LearnedWords
{
public:
    // Reads the file; a missing or damaged one leaves nothing learned, silently.
    void load(const QString &path);
    // Writes the file whole and atomically; throws ZarvoError on failure.
    void save(const QString &path) const;
    void clear() { m_counts.clear(); }

    void finished(QByteArrayView word);
    quint32 count(QByteArrayView word) const { return m_counts.value(word.toByteArray()); }
    bool isEmpty() const { return m_counts.isEmpty(); }
    qsizetype size() const { return m_counts.size(); }

    // The learned words that begin with prefix and are longer than it, used
    // at least `minimum` times, the most used first (ties by their bytes).
    std::vector<QByteArray> startingWith(QByteArrayView prefix, quint32 minimum) const;

private:
    QHash<QByteArray, quint32> m_counts;
};
