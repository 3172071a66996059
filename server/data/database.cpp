#include "data/database.h"

#include "app/appcontext.h"

#include <QFileInfo>
#include <sqlcipher/sqlite3.h>

namespace marvono {
namespace {
int& faultCountdown()
{
    static int countdown = 0;
    return countdown;
}

bool execPlain(sqlite3* db, const char* sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        return false;
    }
    return true;
}
} // namespace

Database& Database::instance()
{
    static Database database;
    return database;
}

Database::~Database()
{
    close();
}

QString Database::filePath() const
{
    return appPath(QString::fromLatin1(kDatabaseFile));
}

sqlite3* openEncrypted(const QString& path, bool readOnly, QString* error)
{
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("Could not find file '%1'.").arg(path);
        return nullptr;
    }
    sqlite3* db = nullptr;
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    const QByteArray key(kDatabasePassword);
    // A wrong key only shows at the first read, so read the schema at once.
    if (sqlite3_key(db, key.constData(), int(key.size())) != SQLITE_OK
        || !execPlain(db, "SELECT count(*) FROM sqlite_master", error)) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    return db;
}

sqlite3* Database::connection(QString* error)
{
    const QString path = filePath();
    if (m_db && m_openedPath != path)
        close();
    if (m_db && !QFileInfo::exists(path))
        close();
    if (!m_db) {
        m_db = openEncrypted(path, false, error);
        if (m_db)
            m_openedPath = path;
    }
    return m_db;
}

sqlite3_stmt* Database::prepare(const QString& sql, QString* error)
{
    sqlite3* db = connection(error);
    if (!db)
        return nullptr;
    if (sqlite3_stmt* cached = m_statements.value(sql)) {
        sqlite3_reset(cached);
        sqlite3_clear_bindings(cached);
        return cached;
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &statement, &tail) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(db));
        return nullptr;
    }
    if (!statement) {
        if (error)
            *error = QStringLiteral("The statement is empty.");
        return nullptr;
    }
    if (tail && QByteArray(tail).trimmed().size() > 0) {
        sqlite3_finalize(statement);
        if (error)
            *error = QStringLiteral("Characters found after end of SQL statement.");
        return nullptr;
    }
    if (m_statements.size() >= 128) {
        for (sqlite3_stmt* old : std::as_const(m_statements))
            sqlite3_finalize(old);
        m_statements.clear();
    }
    m_statements.insert(sql, statement);
    return statement;
}

void Database::close()
{
    for (sqlite3_stmt* statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    m_statements.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_openedPath.clear();
    m_transactionDepth = 0;
}

Transaction::Transaction()
{
    Database& database = Database::instance();
    sqlite3* db = database.connection(&m_error);
    if (!db)
        return;
    if (database.m_transactionDepth == 0) {
        if (!execPlain(db, "BEGIN IMMEDIATE", &m_error))
            return;
        m_outermost = true;
    }
    ++database.m_transactionDepth;
    m_active = true;
}

Transaction::~Transaction()
{
    if (!m_active || m_done)
        return;
    Database& database = Database::instance();
    --database.m_transactionDepth;
    if (m_outermost) {
        if (sqlite3* db = database.connection(nullptr))
            execPlain(db, "ROLLBACK", nullptr);
    }
}

bool Transaction::commit()
{
    if (!m_active || m_done)
        return false;
    m_done = true;
    Database& database = Database::instance();
    --database.m_transactionDepth;
    if (!m_outermost)
        return true;
    sqlite3* db = database.connection(&m_error);
    if (db && execPlain(db, "COMMIT", &m_error))
        return true;
    if (db)
        execPlain(db, "ROLLBACK", nullptr);
    return false;
}

void injectWriteFault(int nthWrite)
{
    faultCountdown() = nthWrite;
}

bool consumeWriteFault()
{
    int& countdown = faultCountdown();
    if (countdown <= 0)
        return false;
    return --countdown == 0;
}

} // namespace marvono
