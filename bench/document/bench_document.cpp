// Opens a Windows-1251 document into the editor and saves it again, timing both.
#include "controls/editor.h"
#include "core/document.h"

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

    double bestOpen = 1e9, bestSave = 1e9;
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
    }
    std::printf("%.3f %.3f\n", bestOpen, bestSave);
    return 0;
}
