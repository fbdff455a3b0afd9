#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The dictionary's words in file order: Windows-1251 bytes in one buffer.
class WordList
{
public:
    qsizetype size() const { return qsizetype(m_offsets.size()); }
    bool isEmpty() const { return m_offsets.empty(); }
    void clear() { m_bytes.clear(); m_offsets.clear(); }

private:
    QByteArray m_bytes;
    std::vector<quint32> m_offsets;
};
