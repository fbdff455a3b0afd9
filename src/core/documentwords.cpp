#include "core/documentwords.h"

#include "core/completion.h"
#include "core/cp1251.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

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

// FNV-1a, one byte at a time as the word is read.
constexpr size_t kHashStart = 14695981039346656037ull;
inline size_t hashStep(size_t h, unsigned char b)
{
    return (h ^ b) * 1099511628211ull;
}

} // namespace

DocumentWords::DocumentWords(const std::vector<quint16> &unit) : m_unit(unit), m_slots(1024, 0), m_byTwo(65536)
{}

DocumentWords::DocumentWords(const LowerTable &lower, const DelimiterSet &delimiters)
    : m_unit(65536),
      m_slots(1024, 0),
      m_byTwo(65536)
{
    const auto &bytes = byteTable();
    for (int u = 0; u < 65536; ++u) {
        const QChar c{char16_t(u)};
        if (delimiters.contains(c) || c == QLatin1Char('\n') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            m_unit[size_t(u)] = kDelimiter;
        else if (bytes[size_t(u)] == 0)
            m_unit[size_t(u)] = kLacking;
        else
            m_unit[size_t(u)] = lower[bytes[size_t(u)]];
    }
}

void DocumentWords::grow()
{
    std::vector<quint32> table(m_slots.size() * 2, 0);
    const size_t mask = table.size() - 1;
    for (quint32 id = 0; id < quint32(m_entries.size()); ++id) {
        size_t s = m_entries[id].hash & mask;
        while (table[s] != 0)
            s = (s + 1) & mask;
        table[s] = id + 1;
    }
    m_slots = std::move(table);
}

quint32 DocumentWords::idOf(std::string_view word, size_t hash)
{
    const size_t mask = m_slots.size() - 1;
    size_t s = hash & mask;
    for (; m_slots[s] != 0; s = (s + 1) & mask) {
        const quint32 id = m_slots[s] - 1;
        const Entry &e = m_entries[id];
        if (e.hash == quint32(hash) && e.length == word.size()) {
            const char *t = m_text.data() + e.offset;
            size_t k = 0;
            while (k < word.size() && t[k] == word[k])
                ++k;
            if (k == word.size())
                return id;
        }
    }
    const auto id = quint32(m_entries.size());
    Entry e;
    e.hash = quint32(hash);
    e.offset = quint32(m_text.size());
    e.length = quint32(word.size());
    e.order = m_nextOrder++;
    m_text.append(word);
    m_entries.push_back(e);
    if (m_dictionary)
        m_entries.back().known = m_dictionary->contains(QByteArrayView(word.data(), qsizetype(word.size()))) ? 1 : 0;
    m_slots[s] = id + 1;
    if (word.size() >= 2)
        m_byTwo[twoBytes(QByteArrayView(word.data(), 2))].push_back(id);
    if (m_entries.size() * 2 > m_slots.size())
        grow();
    return id;
}

DocumentWords::Ids DocumentWords::wordsOf(QStringView line)
{
    Ids ids;
    char word[256];
    size_t n = 0;
    size_t hash = kHashStart;
    bool lacking = false;
    const quint16 *unit = m_unit.data();
    for (const QChar c : line) {
        const quint16 u = unit[c.unicode()];
        if (u < 0x100) {
            if (n + 1 < sizeof word) {
                word[n++] = char(u);
                hash = hashStep(hash, uchar(u));
            } else {
                lacking = true; // a word this long is no completion
            }
            continue;
        }
        if (u == kLacking) {
            lacking = true; // no prefix can match it
            continue;
        }
        if (n > 0 && !lacking)
            ids.push_back(idOf(std::string_view(word, n), hash));
        n = 0;
        hash = kHashStart;
        lacking = false;
    }
    if (n > 0 && !lacking)
        ids.push_back(idOf(std::string_view(word, n), hash));
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

void DocumentWords::countLines(QStringView text, QChar lineBreak)
{
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

void DocumentWords::reset(QStringView text, QChar lineBreak)
{
    m_entries.clear();
    m_text.clear();
    m_slots.assign(1024, 0);
    for (auto &bucket : m_byTwo)
        bucket.clear();
    m_lines.clear();
    m_nextOrder = 0;
    m_distinct = 0;
    // A large text is counted in two halves at once, split at a line break;
    // the second half's words then join the first's in their order.
    const qsizetype middle = text.size() >= (1 << 20) ? text.indexOf(lineBreak, text.size() / 2) : -1;
    if (middle < 0) {
        countLines(text, lineBreak);
        return;
    }
    DocumentWords second(m_unit);
    std::thread worker([&] { second.countLines(text.sliced(middle + 1), lineBreak); });
    countLines(text.first(middle), lineBreak);
    worker.join();
    std::vector<quint32> ours(second.m_entries.size());
    for (size_t id = 0; id < ours.size(); ++id) {
        const Entry &e = second.m_entries[id];
        ours[id] = idOf(std::string_view(second.m_text.data() + e.offset, e.length), e.hash);
    }
    m_lines.reserve(m_lines.size() + second.m_lines.size());
    for (Ids &line : second.m_lines) {
        for (quint32 &id : line)
            id = ours[id];
        add(line);
        m_lines.push_back(std::move(line));
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
    size_t hash = kHashStart;
    for (const char b : word)
        hash = hashStep(hash, uchar(b));
    const size_t mask = m_slots.size() - 1;
    for (size_t s = hash & mask; m_slots[s] != 0; s = (s + 1) & mask) {
        const Entry &e = m_entries[m_slots[s] - 1];
        if (textOf(e) == word)
            return e.count;
    }
    return 0;
}

qsizetype DocumentWords::distinctWords() const
{
    return m_distinct;
}

void DocumentWords::setDictionary(const WordSet *set)
{
    m_dictionary = set;
    m_knownFor = set ? set->id() : 0;
    for (const Entry &e : m_entries)
        e.known = set ? (set->contains(textOf(e)) ? 1 : 0) : -1;
}

std::vector<QByteArrayView> DocumentWords::startingWith(QByteArrayView prefix, QByteArrayView skipOnce,
                                                        const WordSet *lackingFrom) const
{
    std::vector<quint32> found;
    if (prefix.isEmpty())
        return {};
    if (lackingFrom && lackingFrom->id() != m_knownFor) {
        for (const Entry &e : m_entries)
            e.known = -1;
        m_knownFor = lackingFrom->id();
    }
    const auto consider = [&](const std::vector<quint32> &bucket) {
        for (const quint32 id : bucket) {
            const Entry &e = m_entries[id];
            const QByteArrayView text = textOf(e);
            if (e.count == 0 || text.size() <= prefix.size() || !text.startsWith(prefix))
                continue;
            if (e.count == 1 && text == skipOnce)
                continue;
            if (lackingFrom) {
                if (e.known < 0)
                    e.known = lackingFrom->contains(text) ? 1 : 0;
                if (e.known)
                    continue;
            }
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
    std::vector<QByteArrayView> out;
    out.reserve(found.size());
    for (const quint32 id : found)
        out.push_back(textOf(m_entries[id]));
    return out;
}
