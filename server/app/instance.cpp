#include "app/instance.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace marvono {
namespace {
QString& registeredHelpFile()
{
    static QString path;
    return path;
}
QString& registeredUserGuide()
{
    static QString path;
    return path;
}
} // namespace

QString instanceLockPath(const QString& name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::tempPath();
    return QDir(folder).filePath(name + QStringLiteral(".lock"));
}

std::unique_ptr<QLockFile> lockSingleInstance(const QString& name)
{
    auto lock = std::make_unique<QLockFile>(instanceLockPath(name));
    // The lock is never refreshed while the program runs, so age must not make it stale: only a
    // holder that is no longer running frees it.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

void registerHelpFile(const QString& path)
{
    registeredHelpFile() = path;
}

QString helpFile()
{
    return registeredHelpFile();
}

QString installedGuidePath(const QString& exeFolder)
{
    const QDir folder(exeFolder.isEmpty() ? QCoreApplication::applicationDirPath() : exeFolder);
    // <prefix>/lib/marvono/marvono when installed, build/appdir/marvono in a build tree.
    const QString installed = QDir::cleanPath(folder.filePath(QStringLiteral("../../share/marvono/guide/index.html")));
    const QString built = QDir::cleanPath(folder.filePath(QStringLiteral("../docs/guide/index.html")));
    if (!QFileInfo::exists(installed) && QFileInfo::exists(built))
        return built;
    return installed;
}

void registerUserGuide(const QString& path)
{
    registeredUserGuide() = path;
}

QString userGuide()
{
    return registeredUserGuide();
}

QString helpTarget()
{
    const QString chm = helpFile();
    if (!chm.isEmpty() && QFileInfo::exists(chm))
        return chm;
    const QString guide = userGuide();
    if (!guide.isEmpty() && QFileInfo::exists(guide))
        return guide;
    return QString();
}

void openHelpFile()
{
    const QString path = helpTarget();
    if (path.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace marvono
