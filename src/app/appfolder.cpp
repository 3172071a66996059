#include "app/appfolder.h"

#include "app/appcontext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace marvono {
namespace {
bool isPackageManaged(const QString& folder)
{
    const QString path = QDir::cleanPath(folder) + QLatin1Char('/');
    return path.startsWith(QLatin1String("/usr/")) && !path.startsWith(QLatin1String("/usr/local/"));
}

QString dataHomeFolder()
{
    // Follows $XDG_DATA_HOME and falls back to ~/.local/share, as the XDG base directories say.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}
} // namespace

QString chooseAppFolder(const QString& exeFolder, bool exeFolderWritable, const QString& dataHome)
{
    if (exeFolderWritable && !isPackageManaged(exeFolder))
        return QDir::cleanPath(exeFolder);
    return QDir::cleanPath(dataHome + QStringLiteral("/marvono"));
}

const QStringList& deliveredFiles()
{
    static const QStringList files = {
        QStringLiteral("system32.dll"),         QStringLiteral("setup.dat"),         QStringLiteral("style.dat"),
        QStringLiteral("qexclient/pic/zw.jpg"), QStringLiteral("report/report.rpt"), QStringLiteral("tutorial.chm"),
        QStringLiteral("qexclient/tables.dat"),
    };
    return files;
}

const QStringList& appSubfolders()
{
    static const QStringList folders = {
        QStringLiteral("qexclient/pic"),
        QStringLiteral("qexclient/info"),
        QStringLiteral("qexclient/bill"),
        QStringLiteral("report"),
    };
    return folders;
}

bool layOutAppFolder(const QString& from, const QString& to)
{
    const QDir source(from);
    const QDir target(to);
    // A shop that already has a database may hold bills under the empty buyer name, booked while
    // it had no buyer list; a list laid in now would hide them from the bill editor.
    const bool freshShop = !QFileInfo::exists(target.filePath(QStringLiteral("system32.dll")));
    bool ok = true;
    for (const QString& folder : appSubfolders())
        ok = target.mkpath(folder) && ok;
    for (const QString& file : deliveredFiles()) {
        const QString src = source.filePath(file);
        const QString dst = target.filePath(file);
        if (!QFileInfo::exists(src) || QFileInfo::exists(dst) ||
            (file == QLatin1String("qexclient/tables.dat") && !freshShop))
            continue;
        // QFile::copy writes a temporary file and renames it, so a start that dies half way leaves
        // no partial database behind that a later start would take for the operator's own.
        if (!QFile::copy(src, dst)) {
            ok = false;
            continue;
        }
        // The installed originals are read-only for the operator; the copies are the operator's.
        ok = QFile::setPermissions(dst, QFile::ReadOwner | QFile::WriteOwner) && ok;
    }
    return ok;
}

QString defaultAppFolder()
{
    static const QString folder = [] {
        const QString exeFolder = QCoreApplication::applicationDirPath();
        return chooseAppFolder(exeFolder, QFileInfo(exeFolder).isWritable(), dataHomeFolder());
    }();
    return folder;
}

bool prepareAppFolder()
{
    const QString folder = appFolder();
    const QString exeFolder = QDir::cleanPath(QCoreApplication::applicationDirPath());
    if (folder != defaultAppFolder() || folder == exeFolder)
        return true;
    return layOutAppFolder(exeFolder, folder);
}

} // namespace marvono
