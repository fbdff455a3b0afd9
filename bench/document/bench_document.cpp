// Opens a Windows-1251 document into the editor and saves it again, timing both.
#include "controls/editor.h"
#include "core/document.h"
#include "core/documentwords.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_document SOURCE TARGET\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Editor editor;
    editor.resize(800, 600);
    editor.show();
    QApplication::processEvents();

    // Lower case of ASCII and Russian letters, as the library gives it.
    DocumentWords::LowerTable lower{};
    for (int b = 0; b < 256; ++b)
        lower[size_t(b)] = uchar((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDF) ? b + 32 : b);

    double bestOpen = 1e9, bestSave = 1e9, bestIndexed = 1e9;
    qsizetype distinct = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        document::Loaded loaded = document::load(QString::fromLocal8Bit(argv[1]));
        editor.setText(loaded.text);
        QApplication::processEvents(); // include the first layout and paint
        bestOpen = std::min(bestOpen, t.nsecsElapsed() / 1e9);
        t.restart();
        document::write(QString::fromLocal8Bit(argv[2]), editor.text(), loaded.layout);
        bestSave = std::min(bestSave, t.nsecsElapsed() / 1e9);

        // The same open with the document's words counted, as the option does it.
        editor.setText(QString());
        QApplication::processEvents();
        t.restart();
        loaded = document::load(QString::fromLocal8Bit(argv[1]));
        editor.setText(loaded.text);
        DocumentWords words(lower, DelimiterSet(defaultDelimiterSpec()));
        words.reset(editor.document()->toRawText(), QChar::ParagraphSeparator);
        QApplication::processEvents();
        bestIndexed = std::min(bestIndexed, t.nsecsElapsed() / 1e9);
        distinct = words.distinctWords();
        editor.setText(QString());
        QApplication::processEvents();
    }
    std::printf("%.3f %.3f %.3f %lld\n", bestOpen, bestSave, bestIndexed, (long long)distinct);
    return 0;
}
