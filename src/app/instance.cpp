#include "app/instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

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

const QByteArray kWakeMessage = QByteArrayLiteral("show\n");
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

QString instanceServerPath(const QString& name)
{
    // Beside the lock, in the user's own runtime folder, so only this user's starts reach it.
    QString path = instanceLockPath(name);
    path.chop(int(qstrlen(".lock")));
    return path + QStringLiteral(".socket");
}

QLocalServer* listenForLaterStarts(const QString& name, QObject* parent, std::function<void()> woken)
{
    const QString path = instanceServerPath(name);
    QLocalServer::removeServer(path);
    auto* server = new QLocalServer(parent);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        delete server;
        return nullptr;
    }
    QObject::connect(server, &QLocalServer::newConnection, server, [server, woken]() {
        while (QLocalSocket* caller = server->nextPendingConnection()) {
            QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            QObject::connect(caller, &QLocalSocket::readyRead, caller, [caller, woken]() {
                if (!caller->canReadLine())
                    return;
                if (caller->readLine() == kWakeMessage)
                    woken();
                caller->disconnectFromServer();
            });
        }
    });
    return server;
}

bool wakeRunningInstance(const QString& name)
{
    QLocalSocket socket;
    socket.connectToServer(instanceServerPath(name));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(kWakeMessage);
    const bool sent = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return sent;
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

} // namespace marvono
