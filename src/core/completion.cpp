#include "core/completion.h"

#include "core/documentwords.h"
#include "core/learnedwords.h"

#include <QSet>

#include <algorithm>
#include <atomic>
#include <bit>

WordSet::WordSet(const WordList &words) : m_words(words)
{
    static std::atomic<quint64> next{1};
    m_id = next++;
    const size_t n = size_t(words.size());
    const size_t capacity = std::bit_ceil(std::max<size_t>(16, n * 2));
    m_slots.assign(capacity, 0);
    m_mask = capacity - 1;
    for (size_t i = 0; i < n; ++i) {
        const QByteArrayView w = words.at(qsizetype(i));
        size_t s = qHash(w) & m_mask;
        bool seen = false;
        while (m_slots[s] != 0) {
            if (words.at(m_slots[s] - 1) == w) {
                seen = true; // a word listed twice keeps its first place
                break;
            }
            s = (s + 1) & m_mask;
        }
        if (!seen)
            m_slots[s] = quint32(i + 1);
    }
}

qsizetype WordSet::indexOf(QByteArrayView word) const
{
    for (size_t s = qHash(word) & m_mask; m_slots[s] != 0; s = (s + 1) & m_mask) {
        if (m_words.at(m_slots[s] - 1) == word)
            return qsizetype(m_slots[s] - 1);
    }
    return -1;
}

QByteArrayView SuggestionItems::word(qsizetype row) const
{
    if (row < m_front.size())
        return m_front.at(row);
    row -= m_front.size();
    if (row < dictionaryRows()) {
        for (const qsizetype s : m_skip) {
            if (s <= row)
                ++row;
        }
        return m_dictionary.word(row);
    }
    return m_back.at(row - dictionaryRows());
}

SuggestionItems mergeSuggestions(Matches dictionary, QByteArrayView prefix, QByteArrayView typed,
                                 const WordSet *inDictionary, const LearnedWords *learned,
                                 const DocumentWords *document)
{
    SuggestionItems items(std::move(dictionary));
    if (prefix.isEmpty() || (!learned && !document))
        return items;
    QSet<QByteArray> listed; // the learned words listed, which the document's must not repeat
    const auto lacking = [&](const QByteArray &w) { return !inDictionary || !inDictionary->contains(w); };
    if (learned) {
        // Words finished twice or more move up: ahead of every word never finished.
        const std::span<const quint32> rows = items.m_dictionary.rows();
        for (const QByteArray &w : learned->startingWith(prefix, 2)) {
            listed.insert(w);
            items.m_front.append(w);
            const qsizetype index = inDictionary ? inDictionary->indexOf(w) : -1;
            const auto it = std::lower_bound(rows.begin(), rows.end(), quint32(std::max<qsizetype>(index, 0)));
            if (index >= 0 && it != rows.end() && *it == quint32(index))
                items.m_skip.push_back(it - rows.begin());
        }
        std::sort(items.m_skip.begin(), items.m_skip.end());
        // Words finished once are offered even when the dictionary lacks them.
        for (const QByteArray &w : learned->startingWith(prefix, 1)) {
            if (!listed.contains(w) && lacking(w)) {
                listed.insert(w);
                items.m_back.append(w);
            }
        }
    }
    if (document) {
        for (const QByteArrayView w : document->startingWith(prefix, typed, inDictionary)) {
            if (listed.isEmpty() || !listed.contains(w.toByteArray()))
                items.m_back.append(w);
        }
    }
    return items;
}
