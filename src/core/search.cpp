#include "core/search.h"

namespace search {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

namespace {

bool isWholeWord(QStringView text, qsizetype at, qsizetype size)
{
    if (isWordChar(text[at]) && at > 0 && isWordChar(text[at - 1]))
        return false;
    const qsizetype end = at + size;
    if (isWordChar(text[end - 1]) && end < text.size() && isWordChar(text[end]))
        return false;
    return true;
}

} // namespace

qsizetype find(QStringView text, QStringView what, qsizetype start, qsizetype length, Options options)
{
    return find(text, QStringView(), what, start, length, options);
}

qsizetype find(QStringView text, QStringView folded, QStringView what, qsizetype start, qsizetype length,
               Options options)
{
    if (what.isEmpty() || start < 0 || length < what.size() || start > text.size())
        return -1;
    const qsizetype end = qMin(text.size(), start + length);
    Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QStringView haystack = text;
    QString foldedWhat;
    if (!options.matchCase && folded.size() == text.size()) {
        // Folding keeps every position, so hits in the folded text are hits in the text.
        foldedWhat = what.toString().toCaseFolded();
        what = foldedWhat;
        haystack = folded;
        cs = Qt::CaseSensitive;
    }
    // The hit must end within the range, so search only the range itself.
    const QStringView range = haystack.sliced(0, end);
    for (qsizetype from = start; from + what.size() <= end;) {
        const qsizetype hit = range.indexOf(what, from, cs);
        if (hit < 0)
            return -1;
        // Words are judged against the whole text, not the range.
        if (!options.wholeWord || isWholeWord(text, hit, what.size()))
            return hit;
        from = hit + 1;
    }
    return -1;
}

Outcome doFind(Target &target, const QString &what, int key, Options options)
{
    if (what.isEmpty()) {
        target.setSelLength(0);
        return Outcome::EmptyText;
    }
    for (;;) {
        const int selected = target.selLength();
        int from = selected != 0 ? target.selStart() : 0;
        if (key == FindNextKey)
            from += selected;
        const int length = target.textLength() - from;
        const int hit = target.find(what, from, length, options);
        if (hit >= 0) {
            target.setSelStart(hit);
            target.setSelLength(int(what.size()));
            return Outcome::Found;
        }
        if (key != FindNextKey || from == 0)
            return Outcome::NotFound;
        // Wrap around once: the next pass starts from an empty selection,
        // so it covers the whole text and is no longer a find next.
        target.setSelLength(0);
        key = 0;
    }
}

ReplaceAllResult replaceAll(QStringView text, QStringView what, QStringView with, Options options)
{
    ReplaceAllResult result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype hit = find(text, what, from, text.size() - from, options);
        if (hit < 0)
            break;
        if (result.count == 0)
            result.text.reserve(text.size() + qMax<qsizetype>(0, with.size() - what.size()) * 16);
        result.text.append(text.sliced(from, hit - from));
        result.text.append(with);
        result.caret = result.text.size();
        from = hit + what.size();
        ++result.count;
    }
    if (result.count > 0)
        result.text.append(text.sliced(from));
    return result;
}

} // namespace search
