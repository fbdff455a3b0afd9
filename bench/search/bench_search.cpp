// Times Replace All on a 20 MB document with 100,000 occurrences and find
// next of a word near the end of a 50 MB document, through the main window
// and its editor. Writes the documents for the shell comparison.
// usage: bench_search OUT_DIR
#include "Unit1.h"
#include "controls/editor.h"
#include "core/document.h"
#include "controls/replacedialog.h"
#include "controls/searchedit.h"
#include "startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTextStream>

#include <cstdio>

namespace {

// Russian and English filler words; none contains the searched words.
const char16_t *const Filler[] = {
    u"дом", u"река", u"время", u"книга", u"город", u"мост", u"поле", u"ветер",
    u"the", u"river", u"stone", u"light", u"window", u"garden", u"ёлка", u"Москва",
};

QString makeText(qsizetype size, qsizetype occurrences, const QString &word, const QString &tail)
{
    QString out;
    out.reserve(size + 64);
    const qsizetype every = occurrences > 0 ? size / occurrences : size + 1;
    quint32 seed = 12345;
    qsizetype nextHit = every / 2, column = 0, hits = 0;
    while (out.size() < size - tail.size() - 2) {
        seed = seed * 1664525u + 1013904223u;
        if (hits < occurrences && out.size() >= nextHit) {
            out.append(word);
            ++hits;
            nextHit += every;
        } else {
            out.append(QString::fromUtf16(Filler[(seed >> 16) % 16]));
        }
        column += 8;
        if (column > 70) {
            out.append(u'\n');
            column = 0;
        } else {
            out.append(u' ');
        }
    }
    out.append(tail);
    out.append(u'\n');
    return out;
}

void writeCp1251(const QString &path, const QString &text)
{
    QStringEncoder enc("windows-1251");
    QByteArray bytes = enc.encode(QString(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);
    QDir::setCurrent(out); // the main window writes ./Zarvo.ini there

    createForms({QStringLiteral("zarvo")});
    TForm1 *f = Form1;
    f->show();
    app.processEvents();

    // Replace All: 20 MB, 100,000 occurrences.
    const QString word = QStringLiteral("перевал");
    const QString big = makeText(20'000'000, 100'000, word, QString());
    writeCp1251(out + QStringLiteral("/replace.txt"), big);
    f->RichEdit1->setText(big);
    app.processEvents();
    ReplaceDialog *d = f->ReplaceDialog1;
    d->setFindText(word);
    d->setReplaceText(QStringLiteral("ПЕРЕХОД"));
    d->setMatchCase(true);
    QElapsedTimer t;
    t.start();
    d->press(ReplaceDialog::Action::ReplaceAll);
    const double replaceCase = t.nsecsElapsed() / 1e9;
    const qsizetype left = f->RichEdit1->text().count(word);
    if (left != 0)
        qFatal("replace all left %lld occurrences", qlonglong(left));

    f->RichEdit1->setText(big);
    app.processEvents();
    d->setMatchCase(false);
    t.start();
    d->press(ReplaceDialog::Action::ReplaceAll);
    const double replaceFold = t.nsecsElapsed() / 1e9;
    // Its undo: one step that gives back the whole text.
    const QString replaced = f->RichEdit1->text();
    t.start();
    f->RichEdit1->undoStep();
    const double undoReplace = t.nsecsElapsed() / 1e9;
    if (f->RichEdit1->text() != big)
        qFatal("undo of replace all did not give back the text");
    f->RichEdit1->redo();
    if (f->RichEdit1->text() != replaced)
        qFatal("redo of replace all did not give back the replaced text");
    document::write(out + QStringLiteral("/replace.zarvo.txt"), f->RichEdit1->text());

    // Find next near the end of 50 MB.
    const QString needle = QStringLiteral("перешеек");
    const QString huge = makeText(50'000'000, 0, word, needle + QStringLiteral(" конец"));
    writeCp1251(out + QStringLiteral("/find.txt"), huge);
    f->RichEdit1->setText(huge);
    f->RichEdit1->setSelStart(0);
    app.processEvents();
    f->Edit1->setText(needle);
    t.start();
    f->N8Click();
    const double findFirst = t.nsecsElapsed() / 1e9;
    const int at = f->RichEdit1->selStart();
    f->RichEdit1->setSelStart(0);
    t.start();
    f->N8Click();
    const double findAgain = t.nsecsElapsed() / 1e9;
    f->CheckBox1->setChecked(true);
    f->RichEdit1->setSelStart(0);
    t.start();
    f->N8Click();
    const double findWord = t.nsecsElapsed() / 1e9;
    if (f->RichEdit1->selLength() != needle.size())
        qFatal("find next did not select the word");

    std::printf("replace_all_20MB_case_s %.3f\nreplace_all_20MB_nocase_s %.3f\n", replaceCase, replaceFold);
    std::printf("undo_replace_all_20MB_s %.3f (%.2fx the replace; target <= 1)\n", undoReplace,
                undoReplace / replaceFold);
    std::printf("find_next_50MB_first_s %.3f\nfind_next_50MB_again_s %.3f\nfind_next_50MB_wholeword_s %.3f\n",
                findFirst, findAgain, findWord);
    std::printf("find_position %d\n", at);
    std::fflush(stdout);
    destroyForms();
    return 0;
}
