#include "app/instance.h"

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

void openHelpFile()
{
    const QString path = helpFile();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace marvono
