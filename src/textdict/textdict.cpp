#include "textdict/textdict.h"

#include <QFile>

namespace textdict {

QByteArray lowered(QByteArray cp1251)
{
    if (!cp1251.isEmpty())
        tolow(cp1251.data()); // detaches: the caller's bytes are untouched
    return cp1251;
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace textdict
