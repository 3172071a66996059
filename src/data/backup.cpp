#include "data/backup.h"

#include "app/appcontext.h"
#include "app/text.h"
#include "data/database.h"
#include "data/pgbackup.h"
#include "data/schema.h"
#include "data/shoprules.h"
#include "data/shopserver.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <sqlcipher/sqlite3.h>

namespace marvono {
namespace {

// A read transaction on a connection of its own: while it lasts, no other connection can write
// pages into the file, so a byte copy taken under it is a consistent database.
class ReadLock {
  public:
    explicit ReadLock(const QString& path, QString* error)
    {
        m_db = openEncrypted(path, true, error);
        if (!m_db)
            return;
        char* message = nullptr;
        if (sqlite3_exec(m_db, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, &message) != SQLITE_OK) {
            setError(error, QString::fromUtf8(message ? message : sqlite3_errmsg(m_db)));
            sqlite3_free(message);
            sqlite3_close_v2(m_db);
            m_db = nullptr;
        }
    }
    ~ReadLock()
    {
        if (!m_db)
            return;
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;
    bool isHeld() const { return m_db != nullptr; }

  private:
    sqlite3* m_db = nullptr;
};

// The shop server the application folder names; nothing in embedded mode, or with *failed set
// when shopserver.conf is there but cannot be used.
std::optional<ShopServerConfig> shopServer(bool* failed, QString* error)
{
    QString configError;
    auto config = readShopServerConfig(appFolder(), &configError);
    *failed = !config && !configError.isEmpty();
    if (*failed)
        setError(error, configError);
    return config;
}

// Fails, with the rule it breaks, when the data of an embedded file breaks the shop's rules.
bool fileKeepsShopRules(const QString& path, QString* error)
{
    sqlite3* db = openEncrypted(path, true, error);
    if (!db)
        return false;
    const auto firstRow = [db](const char* sql, QString* failure) -> std::optional<QStringList> {
        sqlite3_stmt* statement = nullptr;
        int step = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        if (step == SQLITE_OK)
            step = sqlite3_step(statement);
        QStringList row;
        for (int c = 0; step == SQLITE_ROW && c < sqlite3_column_count(statement); ++c)
            row.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c))));
        if (step != SQLITE_ROW && step != SQLITE_DONE)
            setError(failure, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_finalize(statement);
        return step == SQLITE_ROW || step == SQLITE_DONE ? std::optional(row) : std::nullopt;
    };
    // An older file keeps no receipts; the upgrade at its first opening starts them.
    const int version = std::min(embeddedSchemaVersion(db), kSchemaVersion);
    const bool kept = keepsShopRules(
        firstRow, embeddedSchemaTables(version).contains(QStringLiteral("marvono_counter")), path, error);
    sqlite3_close_v2(db);
    return kept;
}

// The live file is copied to `keepAs` before `source` replaces it.
bool recoverEmbedded(const QString& source, const QString& keepAs, QString* error)
{
    const QString live = Database::instance().filePath();
    if (!isDatabaseOfThisProgram(source, error) || !fileKeepsShopRules(source, error))
        return false;
    Database::instance().close();
    // A live file that is missing has nothing to keep; one that is damaged is kept as it is.
    if (QFileInfo::exists(live) && !copyFileAtomically(live, keepAs, error))
        return false;
    if (!copyFileAtomically(source, live, error))
        return false;
    // A journal left beside the old file belongs to the old file; rolled into the recovered
    // one it would corrupt it.
    QFile::remove(live + QStringLiteral("-journal"));
    return true;
}

} // namespace

bool copyFileAtomically(const QString& source, const QString& destination, QString* error)
{
    QFile in(source);
    if (QFileInfo(source).isDir() || !in.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
        return false;
    }
    QSaveFile out(destination);
    // Unbuffered: a write the disk refuses must show in write()'s count. Through the buffer it
    // would surface only inside commit(), which does not report it and would put a cut file in
    // place of the old one.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(destination, out.errorString()));
        return false;
    }
    // A copy of the shop's data is as private as the database; the bytes follow the permissions.
    out.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(64 * 1024);
        if (chunk.isEmpty() && in.error() != QFile::NoError) {
            setError(error, QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
            out.cancelWriting();
            return false;
        }
        if (out.write(chunk) != chunk.size()) {
            setError(error, QStringLiteral("Cannot write %1: %2").arg(destination, out.errorString()));
            out.cancelWriting();
            return false;
        }
    }
    if (!out.commit()) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(destination, out.errorString()));
        return false;
    }
    return true;
}

bool backupDatabase(const QString& destination, QString* error)
{
    bool failed = false;
    if (const auto server = shopServer(&failed, error))
        return backupShopServer(server->connection, destination, error);
    if (failed)
        return false;
    const QString live = Database::instance().filePath();
    // Renaming a copy over the live file would leave the open connection on the old one.
    const QString target = QFileInfo(destination).canonicalFilePath();
    if (!target.isEmpty() && target == QFileInfo(live).canonicalFilePath()) {
        setError(error, QStringLiteral("The backup file cannot be the database itself."));
        return false;
    }
    // A file that does not open as the database would be refused by a recovery anyway.
    ReadLock lock(live, error);
    if (!lock.isHeld())
        return false;
    return copyFileAtomically(live, destination, error);
}

bool isDatabaseOfThisProgram(const QString& path, QString* error)
{
    sqlite3* db = openEncrypted(path, true, error);
    if (!db)
        return false;
    QSet<QString> tables;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &statement, nullptr) ==
        SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            tables.insert(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))).toLower());
    }
    sqlite3_finalize(statement);
    // A file keeps the tables of every version up to its own; a newer file also those of this one.
    const int version = std::min(embeddedSchemaVersion(db), kSchemaVersion);
    sqlite3_close_v2(db);
    for (const QString& name : embeddedSchemaTables(version)) {
        if (!tables.contains(name)) {
            setError(error, QStringLiteral("%1 holds no table %2.").arg(path, name));
            return false;
        }
    }
    return true;
}

bool recoverDatabase(const QString& source, QString* error, QString* keptCopy)
{
    bool failed = false;
    const auto server = shopServer(&failed, error);
    if (failed)
        return false;
    // The data a recovery replaces is kept, so a recovery from the wrong file can be undone. The
    // copy takes the place of an older one only once the recovery has succeeded.
    const QString kept = server ? appFolder() + QStringLiteral("/shopserver-before-recovery.DBK")
                                : Database::instance().filePath() + QStringLiteral(".before-recovery");
    const QString staged = kept + QStringLiteral(".new");
    bool recovered = false;
    if (server) {
        recovered = recoverShopServer(server->connection, source, error, staged);
        // The restore made the tables afresh; a connection that knew the old ones starts over.
        Database::instance().close();
    } else {
        recovered = recoverEmbedded(source, staged, error);
    }
    if (!recovered) {
        QFile::remove(staged);
        return false;
    }
    if (!QFileInfo::exists(staged))
        return true;
    // Should the rename fail, the copy stays where it was written, and is told so.
    const bool renamed = std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(kept).constData()) == 0;
    if (keptCopy)
        *keptCopy = renamed ? kept : staged;
    return true;
}

} // namespace marvono
