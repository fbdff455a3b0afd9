#include "Unit1.h"
#include "Unit4.h"
#include "controls/style.h"
#include "startup.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zarvo"));
    QApplication::setStyle(new ZarvoStyle);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zarvo.png")));

    createForms(QApplication::arguments());
    Form1->show();
    Form1->activateWindow();
    const int status = QApplication::exec();
    destroyForms();

    // A build still running (or paused) in the background is abandoned: the
    // program does not wait for it.
    if (anyBuildRunning()) {
        std::fflush(nullptr);
        _exit(status);
    }
    return status;
}
