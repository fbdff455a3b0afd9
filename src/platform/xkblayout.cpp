#include "platform/xkblayout.h"

#include <QHash>
#include <QStringList>

namespace xkblayout {

namespace {

// Identifiers of the layouts without a variant, as the other platform names them.
const QHash<QString, QString> &layoutIds()
{
    static const QHash<QString, QString> ids = {
        {"us", "00000409"}, {"gb", "00000809"}, {"ie", "00001809"}, {"ca", "00001009"},
        {"au", "00000C09"}, {"in", "00004009"},
        {"ru", "00000419"}, {"ua", "00000422"}, {"by", "00000423"}, {"kz", "0000043F"},
        {"bg", "00000402"}, {"rs", "00000C1A"}, {"mk", "0000042F"}, {"mn", "00000450"},
        {"de", "00000407"}, {"at", "00000407"}, {"ch", "00000807"}, {"fr", "0000040C"},
        {"be", "0000080C"}, {"nl", "00000413"}, {"es", "0000040A"}, {"latam", "0000080A"},
        {"pt", "00000816"}, {"br", "00000416"}, {"it", "00000410"}, {"pl", "00000415"},
        {"cz", "00000405"}, {"sk", "0000041B"}, {"hu", "0000040E"}, {"ro", "00000418"},
        {"hr", "0000041A"}, {"si", "00000424"}, {"fi", "0000040B"}, {"se", "0000041D"},
        {"no", "00000414"}, {"dk", "00000406"}, {"is", "0000040F"}, {"ee", "00000425"},
        {"lv", "00000426"}, {"lt", "00000427"}, {"tr", "0000041F"}, {"gr", "00000408"},
        {"il", "0000040D"}, {"ara", "00000401"}, {"ir", "00000429"}, {"jp", "00000411"},
        {"kr", "00000412"}, {"cn", "00000804"}, {"tw", "00000404"}, {"th", "0000041E"},
        {"vn", "0000042A"}, {"ge", "00000437"}, {"am", "0000042B"}, {"az", "0000042C"},
    };
    return ids;
}

// Variants with an identifier of their own.
const QHash<QString, QString> &variantIds()
{
    static const QHash<QString, QString> ids = {
        {"us(dvorak)", "00010409"}, {"us(intl)", "00020409"}, {"us(alt-intl)", "00020409"},
        {"us(dvorak-l)", "00030409"}, {"us(dvorak-r)", "00040409"},
        {"ru(typewriter)", "00010419"}, {"ru(phonetic)", "00020419"},
        {"ua(legacy)", "00000422"}, {"ua(unicode)", "00020422"},
        {"gb(extd)", "00000452"}, {"ca(fr)", "00001009"}, {"ca(multix)", "00011009"},
        {"de(nodeadkeys)", "00000407"}, {"fr(bepo)", "A000040C"},
    };
    return ids;
}

} // namespace

QString windowsLayoutId(const QString &layout, const QString &variant)
{
    const QString code = layout.trimmed().toLower();
    const QString var = variant.trimmed().toLower();
    if (!var.isEmpty()) {
        const auto v = variantIds().constFind(code + u'(' + var + u')');
        if (v != variantIds().constEnd())
            return *v;
    }
    const auto l = layoutIds().constFind(code);
    if (l == layoutIds().constEnd())
        return QStringLiteral("00000000");
    return var.isEmpty() ? *l : QStringLiteral("A000") + l->right(4);
}

QString layoutIdForGroup(const QString &layouts, const QString &variants, int group)
{
    const QStringList ls = layouts.split(u',');
    const QStringList vs = variants.split(u',');
    if (group < 0 || group >= ls.size())
        return QStringLiteral("00000000");
    return windowsLayoutId(ls.at(group), group < vs.size() ? vs.at(group) : QString());
}

QString layoutIdFromSymbols(const QString &symbols, int group)
{
    // Each '+' part names a symbols file, with its variant in parentheses and
    // its group after a colon (group 1 when none). Only parts that name a
    // known layout are layouts; "pc", "inet(evdev)" and options are not.
    for (const QString &part : symbols.split(u'+', Qt::SkipEmptyParts)) {
        QString name = part;
        int index = 1;
        const qsizetype colon = part.indexOf(u':');
        if (colon >= 0) {
            bool ok = false;
            index = part.mid(colon + 1).toInt(&ok);
            if (!ok)
                continue;
            name = part.left(colon);
        }
        if (index != group + 1)
            continue;
        QString variant;
        const qsizetype open = name.indexOf(u'(');
        if (open >= 0) {
            variant = name.mid(open + 1).chopped(name.endsWith(u')') ? 1 : 0);
            name = name.left(open);
        }
        if (layoutIds().contains(name.trimmed().toLower()))
            return windowsLayoutId(name, variant);
    }
    return {};
}

QString layoutIdFromGroupName(const QString &name)
{
    static const QHash<QString, QString> ids = {
        {"english (us)", "00000409"}, {"english (uk)", "00000809"}, {"russian", "00000419"},
        {"ukrainian", "00000422"},    {"belarusian", "00000423"},   {"german", "00000407"},
        {"french", "0000040C"},       {"english (dvorak)", "00010409"},
    };
    return ids.value(name.trimmed().toLower());
}

} // namespace xkblayout
