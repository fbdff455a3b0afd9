#include "core/datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace datapaths {
namespace {

// XDG base folders must be absolute; anything else is ignored.
QString baseFolder(const QString &variable, const QString &home, const char *fallback)
{
    if (!variable.isEmpty() && QDir::isAbsolutePath(variable))
        return QDir::cleanPath(variable);
    return QDir::cleanPath(home + QLatin1Char('/') + QLatin1String(fallback));
}

// System folders hold installed programs even when the user (root) may
// write to them: root must not scatter dictionaries into /usr/bin.
bool systemFolder(const QString &dir)
{
    return dir == QLatin1String("/bin") || dir == QLatin1String("/sbin") || dir.startsWith(QLatin1String("/usr/"));
}

} // namespace

Places resolve(const Environment &env)
{
    Places p;
    const QString programDir = QDir::cleanPath(env.programDir);
    p.installed = !env.programDirWritable || systemFolder(programDir);
    p.shipped = env.shippedDir.isEmpty() ? QString() : QDir::cleanPath(env.shippedDir);
    if (!p.installed) {
        p.dictionaries = programDir + QStringLiteral("/slo");
        p.learned = programDir + QStringLiteral("/learned");
        p.settings = QStringLiteral("./Zarvo.ini");
        return p;
    }
    const QString data = baseFolder(env.dataHome, env.home, ".local/share") + QStringLiteral("/zarvo");
    p.dictionaries = data + QStringLiteral("/slo");
    p.learned = data + QStringLiteral("/learned");
    p.settings = env.settingsInCurrentDir
        ? QStringLiteral("./Zarvo.ini")
        : baseFolder(env.configHome, env.home, ".config") + QStringLiteral("/zarvo/Zarvo.ini");
    return p;
}

Environment environment()
{
    Environment env;
    env.programDir = QCoreApplication::applicationDirPath();
    env.programDirWritable = ::access(QFile::encodeName(env.programDir).constData(), W_OK) == 0;
    env.settingsInCurrentDir = QFileInfo::exists(QStringLiteral("./Zarvo.ini"));
    const QString shipped = QDir::cleanPath(env.programDir + QStringLiteral("/../share/zarvo"));
    if (QFileInfo(shipped).isDir())
        env.shippedDir = shipped;
    env.dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    env.configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    env.home = QDir::homePath();
    return env;
}

const Places &current()
{
    static const Places places = resolve(environment());
    return places;
}

} // namespace datapaths
