#pragma once

#include <QString>
#include <QStringList>

// The program's command line: `zarvo [--help] [--version] [--] [DOCUMENT...]`.
namespace commandline {

enum class Action { Run, Help, Version, Usage };

struct Parsed
{
    Action action = Action::Run;
    QString document;   // the first argument that is no option; empty for none
    QString error;      // with Action::Usage: what is wrong
    QString option;     // with Action::Usage: the option not known
    QStringList others; // further documents (a file manager passes all it was given), each for a window of its own
};

// Reads the arguments after the program's name. "--" ends the options, so a
// document whose name starts with "-" can be named.
Parsed parse(const QStringList &arguments);

// The usage text, for standard output (help) or standard error (a wrong line).
QString usage();

} // namespace commandline
