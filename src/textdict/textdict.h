#pragma once

// The program's binding to the text-to-dictionary library. The library is
// linked by name: the program does not start without it.
#include <brenvik.h>

#include <QString>

namespace textdict {

// Lower-cases Windows-1251 bytes with the library's own rule, on a copy.
QByteArray lowered(QByteArray cp1251);

// The library's path argument for a path as the program holds it.
QByteArray nativePath(const QString &path);

} // namespace textdict
