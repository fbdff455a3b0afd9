#include "core/wordlist.h"

#include "core/cp1251.h"
#include "core/error.h"
#include "core/suggestions.h"

#include <limits>

void WordList::clear()
{
    m_bytes.clear();
    m_ends.clear();
    m_index.reset();
}

void WordList::append(QByteArrayView word)
{
    const qsizetype end = m_bytes.size() + word.size();
    if (end > qsizetype(std::numeric_limits<quint32>::max()))
        throw ZarvoError(QStringLiteral("Словарь слишком велик"));
    m_bytes.append(word);
    m_ends.append(quint32(end));
    m_index.reset();
}

void WordList::reserve(qsizetype words, qsizetype bytes)
{
    m_ends.reserve(words);
    m_bytes.reserve(bytes);
}

void WordList::squeeze()
{
    m_ends.squeeze();
    m_bytes.squeeze();
}

QString WordList::text(qsizetype i) const
{
    return cp1251::decode(at(i));
}

QStringList WordList::texts() const
{
    QStringList out;
    out.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        out.append(text(i));
    return out;
}

qsizetype WordList::memoryBytes() const
{
    return m_bytes.capacity() + m_ends.capacity() * qsizetype(sizeof(quint32));
}

std::shared_ptr<const SuggestionIndex> WordList::index() const
{
    if (!m_index)
        m_index = std::make_shared<const SuggestionIndex>(*this);
    return m_index;
}
