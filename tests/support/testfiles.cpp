#include "testfiles.h"

#include <QFile>

namespace testfiles {

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray data(const QString &relativePath)
{
    QFile f(qEnvironmentVariable("ZARVO_TEST_DATA") + QLatin1Char('/') + relativePath);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(relativePath));
    return f.readAll();
}

} // namespace testfiles
