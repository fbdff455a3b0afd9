#include "core/documentwords.h"

#include "core/cp1251.h"

#include <algorithm>
#include <memory>

namespace {

// The Windows-1251 byte of every UTF-16 unit; 0 for none (and for NUL,
// which no word holds either).
const std::array<unsigned char, 65536> &byteTable()
{
    static const auto table = [] {
        auto t = std::make_unique<std::array<unsigned char, 65536>>();
        t->fill(0);
        for (int c = 1; c < 0x80; ++c)
            (*t)[size_t(c)] = uchar(c);
        for (int b = 0x80; b < 0x100; ++b) {
            const char byte = char(b);
            const QString s = cp1251::decode(QByteArrayView(&byte, 1));
            (*t)[s.at(0).unicode()] = uchar(b);
        }
        return t;
    }();
    return *table;
}

quint16 twoBytes(QByteArrayView w)
{
    return quint16((uchar(w[0]) << 8) | uchar(w[1]));
}

} // namespace

DocumentWords::DocumentWords(const LowerTable &lower, const DelimiterSet &delimiters)
    : m_lower(lower),
      m_delimiters(delimiters),
      m_byTwo(65536)
{}

quint32 DocumentWords::idOf(std::string_view word)
{
    if (const auto it = m_ids.find(word); it != m_ids.end())
        return it->second;
    const auto id = quint32(m_entries.size());
    Entry e;
    e.text = QByteArray(word.data(), qsizetype(word.size()));
    e.order = m_nextOrder++;
    m_entries.push_back(std::move(e));
    const QByteArray &text = m_entries.back().text;
    m_ids.emplace(std::string_view(text.constData(), size_t(text.size())), id);
    if (text.size() >= 2)
        m_byTwo[twoBytes(text)].push_back(id);
    return id;
}

DocumentWords::Ids DocumentWords::wordsOf(QStringView line)
{
    const auto &bytes = byteTable();
    Ids ids;
    char word[256];
    size_t n = 0;
    bool lacking = false;
    const auto finish = [&] {
        if (n > 0 && !lacking && n < sizeof word)
            ids.push_back(idOf(std::string_view(word, n)));
        n = 0;
        lacking = false;
    };
    for (const QChar c : line) {
        if (m_delimiters.contains(c) || c == QLatin1Char('\n') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator) {
            finish();
            continue;
        }
        const unsigned char b = bytes[c.unicode()];
        if (b == 0 || n + 1 >= sizeof word) {
            lacking = true; // no prefix can match it; a word this long is no completion either
            continue;
        }
        word[n++] = char(m_lower[b]);
    }
    finish();
    return ids;
}

void DocumentWords::add(const Ids &ids)
{
    for (const quint32 id : ids) {
        if (m_entries[id].count++ == 0)
            ++m_distinct;
    }
}

void DocumentWords::remove(const Ids &ids)
{
    for (const quint32 id : ids) {
        if (--m_entries[id].count == 0)
            --m_distinct;
    }
}

void DocumentWords::reset(QStringView text, QChar lineBreak)
{
    m_entries.clear();
    m_ids.clear();
    for (auto &bucket : m_byTwo)
        bucket.clear();
    m_lines.clear();
    m_nextOrder = 0;
    m_distinct = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(lineBreak, start);
        const QStringView line = text.sliced(start, (end < 0 ? text.size() : end) - start);
        m_lines.push_back(wordsOf(line));
        add(m_lines.back());
        if (end < 0)
            break;
        start = end + 1;
    }
}

void DocumentWords::replaceLines(qsizetype first, qsizetype removed, const std::vector<QString> &lines)
{
    first = std::clamp<qsizetype>(first, 0, lineCount());
    removed = std::clamp<qsizetype>(removed, 0, lineCount() - first);
    const auto at = m_lines.begin() + first;
    for (auto it = at; it != at + removed; ++it)
        remove(*it);
    // Lines that stay in number are replaced in place; only a change in the
    // number of lines moves the ones after them.
    const qsizetype common = std::min<qsizetype>(removed, qsizetype(lines.size()));
    for (qsizetype k = 0; k < common; ++k) {
        m_lines[size_t(first + k)] = wordsOf(lines[size_t(k)]);
        add(m_lines[size_t(first + k)]);
    }
    if (removed > common) {
        m_lines.erase(at + common, at + removed);
    } else if (qsizetype(lines.size()) > common) {
        std::vector<Ids> more;
        more.reserve(lines.size() - size_t(common));
        for (size_t k = size_t(common); k < lines.size(); ++k) {
            more.push_back(wordsOf(lines[k]));
            add(more.back());
        }
        m_lines.insert(m_lines.begin() + first + common, std::make_move_iterator(more.begin()),
                       std::make_move_iterator(more.end()));
    }
}

quint32 DocumentWords::count(QByteArrayView word) const
{
    const auto it = m_ids.find(std::string_view(word.data(), size_t(word.size())));
    return it == m_ids.end() ? 0 : m_entries[it->second].count;
}

qsizetype DocumentWords::distinctWords() const
{
    return m_distinct;
}

std::vector<QByteArray> DocumentWords::startingWith(QByteArrayView prefix, QByteArrayView skipOnce) const
{
    std::vector<quint32> found;
    if (prefix.isEmpty())
        return {};
    const auto consider = [&](const std::vector<quint32> &bucket) {
        for (const quint32 id : bucket) {
            const Entry &e = m_entries[id];
            if (e.count == 0 || e.text.size() <= prefix.size() || !e.text.startsWith(prefix))
                continue;
            if (e.count == 1 && e.text == skipOnce)
                continue;
            found.push_back(id);
        }
    };
    if (prefix.size() >= 2) {
        consider(m_byTwo[twoBytes(prefix)]);
    } else {
        for (int b1 = 0; b1 < 256; ++b1)
            consider(m_byTwo[size_t(uchar(prefix[0]) << 8 | b1)]);
    }
    std::sort(found.begin(), found.end(), [this](quint32 a, quint32 b) {
        const Entry &x = m_entries[a], &y = m_entries[b];
        return x.count != y.count ? x.count > y.count : x.order < y.order;
    });
    std::vector<QByteArray> out;
    out.reserve(found.size());
    for (const quint32 id : found)
        out.push_back(m_entries[id].text);
    return out;
}
