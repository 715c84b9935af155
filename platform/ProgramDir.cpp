#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace {

QString WithoutTrailingSeparator(QString dir)
{
    dir = QDir::cleanPath(dir);
    while (dir.size() > 1 && dir.endsWith(u'/')) dir.chop(1);
    return dir;
}

QString ExecutableDir()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

bool WritableDir(const QString& dir)
{
    return !dir.isEmpty() && QFileInfo(dir).isDir() && access(QFile::encodeName(dir).constData(), W_OK) == 0;
}

} // namespace

QString ProgramDir()
{
    const QString home = qEnvironmentVariable("ZEPHALON_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return WithoutTrailingSeparator(QDir(home).absolutePath());
    }
    const QString exeDir = ExecutableDir();
    if (WritableDir(exeDir)) return WithoutTrailingSeparator(exeDir);
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString dir = config + QStringLiteral("/zephalon");
    QDir().mkpath(dir);
    return WithoutTrailingSeparator(dir);
}

QString IniFileName()
{
    return ProgramDir() + QStringLiteral("/Zephalon.ini");
}
