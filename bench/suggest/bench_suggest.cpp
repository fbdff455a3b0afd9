// Dictionary load, word-list memory and the keystroke path of the suggestions
// at a million words. "generate FILE N" writes a reproducible dictionary;
// "measure FILE" times it.
#include "core/cp1251.h"
#include "core/delimiters.h"
#include "core/dictionaryfile.h"
#include "core/documentwords.h"
#include "core/learnedwords.h"
#include "core/suggestionmodel.h"
#include "core/suggestions.h"

#include <brenvik.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

namespace {

const QString defaultDelims = QStringLiteral("+-*/;.\" ',!?()[]{}^p^t");

bool isDelimiter(QChar c)
{
    const QString &s = defaultDelims;
    for (qsizetype i = 0; i < s.size(); ++i) {
        QChar ch = s.at(i);
        if (ch == QLatin1Char('^')) {
            ++i;
            ch = i < s.size() ? s.at(i) : QChar(0);
            if (ch == QLatin1Char('p')) ch = QChar(13);
            else if (ch == QLatin1Char('t')) ch = QChar(9);
        }
        if (ch == c)
            return true;
    }
    return false;
}

int generate(const QString &path, int count)
{
    QRandomGenerator rng(20261209);
    // Russian letters weighted roughly by frequency, a few Latin words.
    const QString ru = QStringLiteral("оооооооеееееееаааааааииииииннннннттттттсссссррррррвввввлллллккккммммдддппппууууяяыыььгзбчйхжшюцщэфъё");
    const QString en = QStringLiteral("eeeeettttaaaoooiiinnnsssrrhhlldcumfpgwyb");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    QByteArray out = "+-*/;.\" ',!?()[]{}^p^t\r\n";
    for (int i = 0; i < count; ++i) {
        const bool latin = rng.bounded(10) == 0;
        const QString &alpha = latin ? en : ru;
        // Lengths 1..20, most between 5 and 11.
        int len = 2 + int(rng.bounded(5)) + int(rng.bounded(5)) + int(rng.bounded(4));
        if (rng.bounded(20) == 0)
            len = 1 + int(rng.bounded(20));
        QString w;
        for (int k = 0; k < len; ++k)
            w.append(alpha.at(rng.bounded(int(alpha.size()))));
        QByteArray bytes;
        cp1251::encode(w, bytes);
        out += QByteArray::number(count - i) + ' ' + bytes + "\r\n";
        if (out.size() > (1 << 20)) {
            f.write(out);
            out.clear();
        }
    }
    f.write(out);
    return 0;
}

struct Stats
{
    std::vector<double> us;
    void add(double v) { us.push_back(v); }
    double median() { std::sort(us.begin(), us.end()); return us.empty() ? 0 : us[us.size() / 2]; }
    double max() const { return us.empty() ? 0 : *std::max_element(us.begin(), us.end()); }
};

int measure(const QString &path, const QString &documentPath)
{
    QElapsedTimer t;
    t.start();
    dictionaryfile::Parsed parsed;
    if (dictionaryfile::read(path, parsed) != dictionaryfile::Status::Ok)
        return 1;
    const double readMs = t.nsecsElapsed() / 1e6;
    const WordList words = parsed.words;
    t.restart();
    const auto index = words.index();
    const double indexMs = t.nsecsElapsed() / 1e6;
    const qsizetype fileSize = QFileInfo(path).size();
    const qsizetype n = words.size();
    std::printf("words: %lld, file %.1f MB\n", (long long)n, fileSize / 1e6);
    std::printf("LoadDictionary: read %.1f ms + index %.1f ms = %.1f ms\n", readMs, indexMs, readMs + indexMs);
    const double wordsMem = double(words.memoryBytes()), indexMem = double(index->memoryBytes());
    std::printf("memory: Words %.1f B/word (%.2f x file), index %.1f B/word, together %.2f x file\n",
                wordsMem / n, wordsMem / fileSize, indexMem / n, (wordsMem + indexMem) / fileSize);

    // Every one-, two- and three-byte prefix that occurs.
    std::map<int, std::set<QByteArray>> prefixes;
    for (qsizetype i = 0; i < n; ++i) {
        const QByteArrayView w = words.at(i);
        for (qsizetype len = 1; len <= 3 && len <= w.size(); ++len)
            prefixes[int(len)].insert(w.first(len).toByteArray());
    }
    // With a document: its words and learned words take part, as with both options on.
    std::unique_ptr<DocumentWords> docWords;
    std::unique_ptr<WordSet> inDictionary;
    LearnedWords learned;
    if (!documentPath.isEmpty()) {
        QFile f(documentPath);
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const QString text = cp1251::decode(f.readAll());
        DocumentWords::LowerTable lower{};
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        tolow(all.data() + 1); // NUL ends the library's string
        for (int b = 0; b < 256; ++b)
            lower[size_t(b)] = uchar(all[b]);
        t.restart();
        inDictionary = std::make_unique<WordSet>(words);
        const double setMs = t.nsecsElapsed() / 1e6;
        t.restart();
        docWords = std::make_unique<DocumentWords>(lower, DelimiterSet(defaultDelimiterSpec()));
        docWords->setDictionary(inDictionary.get());
        docWords->reset(text);
        const double docMs = t.nsecsElapsed() / 1e6;
        // Every twentieth document word finished twice.
        int k = 0;
        for (const QByteArrayView w : docWords->startingWith(QByteArrayView("\xEF")))
            if (k++ % 20 == 0) {
                learned.finished(w);
                learned.finished(w);
            }
        std::printf("document %.1f MB: %lld distinct words counted in %.1f ms; dictionary word set %.1f ms; "
                    "%lld learned words\n",
                    text.size() / 1e6, (long long)docWords->distinctWords(), docMs, setMs, (long long)learned.size());
    }
    SuggestionModel model;
    for (auto &[len, set] : prefixes) {
        Stats engine, linear;
        qsizetype most = 0;
        int sampled = 0;
        const int linearEvery = len == 3 ? int(std::max<size_t>(1, set.size() / 300)) : 1;
        int k = 0;
        for (const QByteArray &p : set) {
            const QString line = QStringLiteral("Вот такой текст ") + cp1251::decode(p);
            QElapsedTimer e;
            e.start();
            // The keystroke: word left of the caret, encode, lower-case, match, refill.
            qsizetype start = line.size();
            while (start > 0 && !isDelimiter(line.at(start - 1)))
                --start;
            QByteArray bytes;
            cp1251::encode(QStringView(line).mid(start), bytes);
            tolow(bytes.data());
            if (docWords)
                model.setItems(mergeSuggestions(findMatches(words, bytes), bytes, bytes, inDictionary.get(), &learned,
                                                docWords.get()));
            else
                model.setMatches(findMatches(words, bytes));
            engine.add(e.nsecsElapsed() / 1e3);
            most = std::max(most, model.count());
            if (k++ % linearEvery == 0) {
                e.restart();
                const std::vector<quint32> r = linearMatches(words, bytes);
                linear.add(e.nsecsElapsed() / 1e3);
                ++sampled;
                if (!docWords && r.size() != size_t(model.count()))
                    std::printf("MISMATCH for a prefix of %d bytes\n", len);
            }
        }
        std::printf("%s%d-letter prefixes: %zu; engine median %.3f ms, max %.3f ms (largest list %lld); "
                    "linear scan (%d of them) median %.3f ms, max %.3f ms\n",
                    docWords ? "both options on, " : "", len, set.size(), engine.median() / 1e3, engine.max() / 1e3,
                    (long long)most, sampled, linear.median() / 1e3, linear.max() / 1e3);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("generate"))
        return generate(args[2], args[3].toInt());
    if (args.size() >= 3 && args[1] == QLatin1String("measure"))
        return measure(args[2], args.value(3));
    std::fprintf(stderr, "usage: bench_suggest generate FILE N | measure FILE [DOCUMENT]\n");
    return 2;
}
