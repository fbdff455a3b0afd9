#include "core/settingvalues.h"

#include <limits>

namespace settingvalues {

std::optional<qint32> parseInt(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;

    int base = 10;
    qsizetype i = 0;
    bool negative = false;
    if (text.startsWith(u'$')) {
        base = 16;
        i = 1;
    } else if (text.size() > 1 && text.at(0) == u'0' && (text.at(1) == u'x' || text.at(1) == u'X')) {
        base = 16;
        i = 2;
    } else if (text.at(0) == u'+' || text.at(0) == u'-') {
        negative = text.at(0) == u'-';
        i = 1;
    }
    if (i >= text.size())
        return std::nullopt;

    // Decimal: up to 2^31 (for the negative end); hexadecimal: any 32-bit pattern.
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    if (base == 16)
        return qint32(quint32(value));
    return negative ? qint32(-qint64(value)) : qint32(value);
}

std::optional<qint32> mulDiv(qint32 a, qint32 b, qint32 c)
{
    if (c == 0)
        return std::nullopt;
    qint64 product = qint64(a) * b;
    qint64 divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const qint64 half = divisor / 2;
    const qint64 result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > std::numeric_limits<qint32>::max() || result < -std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(result);
}

} // namespace settingvalues
