#include "settings/login.h"

#include "app/quoteditems.h"
#include "app/text.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "settings/operators.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace marvono {
namespace {
QString& pathOverride()
{
    static QString path;
    return path;
}

// The folder of the file, made private to the operator when this call creates it.
bool ensureFolder(const QString& folder, QString* error)
{
    if (QFileInfo(folder).isDir())
        return true;
    const QFileInfo info(folder);
    if (!QDir().mkpath(info.absolutePath()) ||
        !QDir(info.absolutePath())
             .mkdir(info.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
        if (!QFileInfo(folder).isDir()) {
            setError(error, QStringLiteral("Cannot create the folder %1").arg(folder));
            return false;
        }
    }
    return true;
}
} // namespace

QString defaultSavedLoginPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/marvono/fspwd.dll");
}

QString savedLoginPath()
{
    return pathOverride().isEmpty() ? defaultSavedLoginPath() : pathOverride();
}

void setSavedLoginPath(const QString& path)
{
    pathOverride() = path;
}

std::optional<SavedLogin> readSavedLogin(const QString& path, QString* error)
{
    const auto items = readQuotedItems(path, error);
    if (!items)
        return std::nullopt;
    if (items->size() < 2) {
        setError(error, QStringLiteral("Input past end of file"));
        return std::nullopt;
    }
    return SavedLogin{items->at(0), items->at(1)};
}

bool writeSavedLogin(const QString& path, const SavedLogin& login, QString* error)
{
    const QFileInfo target(path);
    if (!ensureFolder(target.absolutePath(), error))
        return false;
    // A temporary file starts with owner-only access, so the password is never readable by
    // others, not even before the rename puts it in place.
    QTemporaryFile temporary(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!temporary.open()) {
        setError(error, temporary.errorString());
        return false;
    }
    const QByteArray bytes = formatQuotedItems({login.user, login.password});
    if (temporary.write(bytes) != bytes.size() || !temporary.flush() || ::fsync(temporary.handle()) != 0) {
        setError(error, temporary.errorString());
        return false;
    }
    temporary.close();
    if (::rename(QFile::encodeName(temporary.fileName()).constData(),
                 QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        setError(error, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

bool removeSavedLogin(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.remove()) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

LoginCheck checkLogin(const QString& typedUser, const QString& typedPassword, bool* owner)
{
    auto account = ExecSQL(QStringLiteral("select * from user_info"));
    if (!account || account->isEof() || account->columnCount() < 2)
        return LoginCheck::Failure;
    // Only the first row counts; further rows are never consulted.
    const std::optional<QString> user = account->field(0);
    const std::optional<QString> password = account->field(1);
    Engine* engine = Database::instance().engine(nullptr);
    if (user && password && engine && trimBlanks(typedUser) == *user &&
        engine->passwordMatches(*password, trimBlanks(typedPassword))) {
        if (owner)
            *owner = true;
        return LoginCheck::Valid;
    }
    const std::optional<Operator> staff = checkOperator(typedUser, typedPassword);
    if (!staff)
        return LoginCheck::Invalid;
    if (owner)
        *owner = staff->role == Role::Owner;
    return LoginCheck::Valid;
}

} // namespace marvono
