#include "core/learnedwords.h"

#include "core/fileio.h"

#include <algorithm>

namespace {
const QByteArray kHeader = "zarvo-learned 1";
constexpr quint32 kMaxCount = 1u << 30;
constexpr qsizetype kMaxWord = 255;
} // namespace

void LearnedWords::load(const QString &path)
{
    m_counts.clear();
    QByteArray bytes;
    try {
        bytes = fileio::readRegular(path, 2.0);
    } catch (...) {
        return; // missing, unreadable or no file at all: nothing learned
    }
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.isEmpty() || lines.first().trimmed() != kHeader)
        return;
    QHash<QByteArray, quint32> counts;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype space = line.indexOf(' ');
        bool ok = false;
        const uint n = space > 0 ? line.left(space).toUInt(&ok) : 0;
        const QByteArray word = line.mid(space + 1);
        if (!ok || n == 0 || n > kMaxCount || word.isEmpty() || word.size() > kMaxWord || word.contains(' '))
            return; // damaged: nothing of it is trusted
        counts.insert(word, n);
    }
    m_counts = std::move(counts);
}

void LearnedWords::save(const QString &path) const
{
    std::vector<std::pair<QByteArray, quint32>> all;
    all.reserve(size_t(m_counts.size()));
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        all.emplace_back(it.key(), it.value());
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    QByteArray out = kHeader + "\r\n";
    for (const auto &[word, n] : all)
        out += QByteArray::number(n) + ' ' + word + "\r\n";
    fileio::save(path, out);
}

void LearnedWords::finished(QByteArrayView word)
{
    if (word.isEmpty() || word.size() > kMaxWord || word.contains(' '))
        return;
    quint32 &n = m_counts[word.toByteArray()];
    if (n < kMaxCount)
        ++n;
}

std::vector<QByteArray> LearnedWords::startingWith(QByteArrayView prefix, quint32 minimum) const
{
    std::vector<std::pair<QByteArray, quint32>> found;
    if (prefix.isEmpty())
        return {};
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it) {
        if (it.value() >= minimum && it.key().size() > prefix.size() && it.key().startsWith(prefix))
            found.emplace_back(it.key(), it.value());
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::vector<QByteArray> out;
    out.reserve(found.size());
    for (auto &f : found)
        out.push_back(std::move(f.first));
    return out;
}
