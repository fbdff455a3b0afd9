#include "core/delimiters.h"

#include <algorithm>

QString defaultDelimiterSpec()
{
    return QStringLiteral("+-*/;.\" ',!?()[]{}^p^t");
}

QString expandDelimiterSpec(const QString &notation)
{
    QString chars;
    chars.reserve(notation.size());
    for (qsizetype i = 0; i < notation.size(); ++i) {
        QChar ch = notation.at(i);
        if (ch == QLatin1Char('^')) {
            ++i;
            ch = i < notation.size() ? notation.at(i) : QChar(0);
            if (ch == QLatin1Char('p'))
                ch = QChar(13);
            else if (ch == QLatin1Char('t'))
                ch = QChar(9);
        }
        chars.append(ch);
    }
    return chars;
}

DelimiterSet::DelimiterSet(const QString &notation)
{
    for (QChar ch : expandDelimiterSpec(notation)) {
        const char16_t code = ch.unicode();
        if (code < 256)
            m_low[code >> 6] |= quint64(1) << (code & 63);
        else
            m_high.append(ch);
    }
    std::sort(m_high.begin(), m_high.end());
}

bool DelimiterSet::contains(QChar c) const
{
    const char16_t code = c.unicode();
    if (code < 256)
        return (m_low[code >> 6] >> (code & 63)) & 1;
    return std::binary_search(m_high.cbegin(), m_high.cend(), c);
}

bool CachedDelimiterSet::contains(const QString &notation, QChar c)
{
    if (!m_valid || notation != m_notation) {
        m_notation = notation;
        m_set = DelimiterSet(notation);
        m_valid = true;
    }
    return m_set.contains(c);
}

QStringView wordLeftOf(QStringView line, qsizetype column, const std::function<bool(QChar)> &isDelimiter)
{
    column = qBound(qsizetype(0), column, line.size());
    qsizetype start = column;
    while (start > 0 && !isDelimiter(line.at(start - 1)))
        --start;
    return line.sliced(start, column - start);
}
