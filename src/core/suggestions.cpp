#include "core/suggestions.h"

#include <cstring>

SuggestionIndex::SuggestionIndex(const WordList &words)
{
    const qsizetype n = words.size();
    // Counting sort, stable: a word's place in its group follows the list.
    std::array<quint32, 257> firstCount{};
    std::vector<quint32> twoCount(65537, 0);
    for (qsizetype i = 0; i < n; ++i) {
        const QByteArrayView w = words.at(i);
        if (w.size() >= 1)
            ++firstCount[size_t(uchar(w[0])) + 1];
        if (w.size() >= 2)
            ++twoCount[size_t(uchar(w[0])) * 256 + uchar(w[1]) + 1];
    }
    for (size_t b = 1; b < firstCount.size(); ++b)
        firstCount[b] += firstCount[b - 1];
    for (size_t b = 1; b < twoCount.size(); ++b)
        twoCount[b] += twoCount[b - 1];
    m_firstStart = firstCount;
    m_twoStart = twoCount;
    m_byFirst.resize(firstCount[256]);
    m_byTwo.resize(twoCount[65536]);
    for (qsizetype i = 0; i < n; ++i) {
        const QByteArrayView w = words.at(i);
        if (w.size() >= 1)
            m_byFirst[firstCount[uchar(w[0])]++] = quint32(i);
        if (w.size() >= 2)
            m_byTwo[twoCount[size_t(uchar(w[0])) * 256 + uchar(w[1])]++] = quint32(i);
    }
}

std::span<const quint32> SuggestionIndex::firstByteGroup(unsigned char b) const
{
    return std::span<const quint32>(m_byFirst).subspan(m_firstStart[b],
                                                         m_firstStart[b + 1] - m_firstStart[b]);
}

std::span<const quint32> SuggestionIndex::twoByteGroup(unsigned char b0, unsigned char b1) const
{
    const size_t k = size_t(b0) * 256 + b1;
    return std::span<const quint32>(m_byTwo).subspan(m_twoStart[k], m_twoStart[k + 1] - m_twoStart[k]);
}

qsizetype SuggestionIndex::memoryBytes() const
{
    const size_t bytes = (m_byFirst.capacity() + m_byTwo.capacity() + m_twoStart.capacity()) * sizeof(quint32)
                         + sizeof(m_firstStart);
    return qsizetype(bytes);
}

Matches findMatches(const WordList &words, QByteArrayView prefix)
{
    Matches m;
    if (prefix.isEmpty() || words.isEmpty())
        return m;
    m.m_index = words.index(); // built first, so the copy below shares it
    m.m_words = words;
    const uchar b0 = uchar(prefix[0]);
    if (prefix.size() == 1) {
        m.m_rows = m.m_index->firstByteGroup(b0);
        return m;
    }
    const std::span<const quint32> group = m.m_index->twoByteGroup(b0, uchar(prefix[1]));
    if (prefix.size() == 2) {
        m.m_rows = group;
        return m;
    }
    auto owned = std::make_shared<std::vector<quint32>>();
    const char *rest = prefix.data() + 2;
    const size_t restLength = size_t(prefix.size() - 2);
    for (const quint32 i : group) {
        const QByteArrayView w = words.at(i);
        if (size_t(w.size()) >= restLength + 2 && std::memcmp(w.data() + 2, rest, restLength) == 0)
            owned->push_back(i);
    }
    m.m_rows = std::span<const quint32>(*owned);
    m.m_owned = std::move(owned);
    m.m_index.reset();
    return m;
}

std::vector<quint32> linearMatches(const WordList &words, QByteArrayView prefix)
{
    std::vector<quint32> out;
    if (prefix.isEmpty())
        return out;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QByteArrayView w = words.at(i);
        if (w.size() >= prefix.size() && std::memcmp(w.data(), prefix.data(), size_t(prefix.size())) == 0)
            out.push_back(quint32(i));
    }
    return out;
}
