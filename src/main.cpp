#include "Unit1.h"
#include "Unit4.h"
#include "controls/qttranslations.h"
#include "controls/style.h"
#include "core/commandline.h"
#include "startup.h"

#include <QApplication>
#include <QIcon>
#include <QProcess>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kUsageStatus = 64; // EX_USAGE

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList out;
    for (int i = 1; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

// --help and --version answer on standard output without a display; a
// wrong command line answers on standard error.
int answerWithoutWindow(const commandline::Parsed &p)
{
    switch (p.action) {
    case commandline::Action::Help:
        std::fputs(commandline::usage().toLocal8Bit().constData(), stdout);
        return 0;
    case commandline::Action::Version:
        std::printf("zarvo %s\n", ZARVO_VERSION);
        return 0;
    case commandline::Action::Usage:
        std::fprintf(stderr, "zarvo: %s\n%s", p.error.toLocal8Bit().constData(),
                     commandline::usage().toLocal8Bit().constData());
        return kUsageStatus;
    case commandline::Action::Run:
        break;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Help and version before anything needs a display. Qt's own options
    // (-platform, -display, ...) are only known once Qt has taken them, so a
    // wrong option is looked for after that.
    {
        const commandline::Parsed early = commandline::parse(argumentsOf(argc, argv));
        const bool longOption = early.option.startsWith(QLatin1String("--")); // Qt's own options have one dash
        if (early.action == commandline::Action::Help || early.action == commandline::Action::Version
            || (early.action == commandline::Action::Usage && longOption))
            return answerWithoutWindow(early);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("zarvo: нет графического дисплея: не заданы DISPLAY и WAYLAND_DISPLAY\n", stderr);
        return 1;
    }

    // The keyboard layer (layout and Caps Lock) speaks X11. On a Wayland
    // desktop the program runs through XWayland unless the user has chosen
    // a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zarvo"));
    QApplication::setStyle(new ZarvoStyle);
    installQtTranslations();
    QIcon icon;
    for (const int size : {16, 32, 64, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    const commandline::Parsed parsed = commandline::parse(QApplication::arguments().mid(1));
    if (parsed.action != commandline::Action::Run)
        return answerWithoutWindow(parsed);
    // Every further document gets a window (a process) of its own.
    for (const QString &other : parsed.others)
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("--"), other});
    QStringList forms{QApplication::arguments().value(0)};
    if (!parsed.document.isEmpty())
        forms << parsed.document;
    createForms(forms);
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
