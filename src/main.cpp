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
    // The keyboard layer (layout and Caps Lock) speaks X11. On a Wayland
    // desktop the program runs through XWayland unless the user has chosen
    // a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

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
