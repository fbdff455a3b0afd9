#pragma once

#include <QStringList>

// The document's lines, each ended by a line break (an empty last line does
// not count), followed by the help text; the result ends with a line break.
QString withHelpText(const QStringList &lines);
