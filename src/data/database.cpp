#include "data/database.h"

#include "app/appcontext.h"
#include "data/pgengine.h"
#include "data/shopserver.h"
#include "data/sqliteengine.h"

#include <QFileInfo>

namespace marvono {

Database& Database::instance()
{
    static Database database;
    return database;
}

Database::Database() : m_embedded(std::make_unique<SqliteEngine>()) {}

Database::~Database()
{
    close();
}

QString Database::filePath() const
{
    const QString folder = appFolder();
    if (m_path.isEmpty() || folder != m_pathFolder) {
        m_path = appPath(QString::fromLatin1(kDatabaseFile));
        m_pathFolder = folder;
    }
    return m_path;
}

bool Database::connectionLost() const
{
    return m_server && m_server->isLost();
}

bool Database::serverBusy() const
{
    return m_connecting || (m_server && m_server->lastFailureWasBusy());
}

bool Database::isWaiting() const
{
    return m_connecting || (m_server && m_server->isWaiting());
}

int Database::lockWaitMs() const
{
    return m_server && m_server->lastFailureWasBusy() ? m_server->lastLockWaitMs() : -1;
}

std::optional<ShopServerConfig> Database::serverConfig() const
{
    if (!m_server)
        return std::nullopt;
    return m_server->config();
}

Engine* Database::engine(QString* error)
{
    Engine* open = openEngine(error);
    if (!open || !m_decorator)
        return open;
    // Closing the engine drops what was made of it, so a decoration made earlier wraps this one.
    if (!m_decorated)
        m_decorated = m_decorator(*open);
    return m_decorated.get();
}

void Database::setEngineDecorator(EngineDecorator decorator)
{
    m_decorated.reset();
    m_decorator = std::move(decorator);
}

Engine* Database::openEngine(QString* error)
{
    // One connection attempt at a time: a second one would leave the first half made.
    if (m_connecting) {
        if (error)
            *error = QStringLiteral("The shop server is busy: the connection to it is still being made");
        return nullptr;
    }
    if (m_server) {
        if (m_serverFolder == appFolder())
            return m_server.get();
        close();
    }
    if (m_embedded->handle()) {
        const QString path = filePath();
        // A file replaced or removed meanwhile is opened again, but never inside a transaction,
        // which holds the file it began on.
        if (m_embedded->openedPath() == path && (m_embedded->inTransaction() || QFileInfo::exists(path)))
            return m_embedded.get();
        close();
    }
    // Nothing is open: the application folder decides which engine serves it.
    QString configError;
    const std::optional<ShopServerConfig> config = readShopServerConfig(appFolder(), &configError);
    m_serverFailure = configError;
    if (!configError.isEmpty()) {
        if (error)
            *error = configError;
        return nullptr;
    }
    if (config) {
        m_connecting = true;
        m_server = PgEngine::connect(*config, &m_serverFailure);
        m_connecting = false;
        if (!m_server) {
            if (error)
                *error = m_serverFailure;
            return nullptr;
        }
        m_serverFolder = appFolder();
        return m_server.get();
    }
    // A file whose shop moved to a server looks like any other: opening it would sell into the past.
    m_serverFailure = movedToServerMessage(filePath());
    if (!m_serverFailure.isEmpty()) {
        if (error)
            *error = m_serverFailure;
        return nullptr;
    }
    return m_embedded->open(filePath(), error) ? m_embedded.get() : nullptr;
}

sqlite3* Database::connection(QString* error)
{
    Engine* open = openEngine(error);
    if (open && open != m_embedded.get()) {
        if (error)
            *error = QStringLiteral("The shop database is on a server.");
        return nullptr;
    }
    return open ? m_embedded->handle() : nullptr;
}

sqlite3_stmt* Database::prepare(const QString& sql, QString* error)
{
    return connection(error) ? m_embedded->prepare(sql, error) : nullptr;
}

void Database::close()
{
    m_decorated.reset();
    m_embedded->close();
    m_server.reset();
    m_serverFolder.clear();
    m_transactionDepth = 0;
}

QString withServerFailure(const QString& message)
{
    const QString failure = Database::instance().serverFailure();
    return failure.isEmpty() ? message : message + QStringLiteral("\r\n") + failure;
}

QString databaseInUse()
{
    QString error;
    const std::optional<ShopServerConfig> config = readShopServerConfig(appFolder(), &error);
    if (config)
        return QStringLiteral("Shop server: %1").arg(describeServer(config->connection));
    if (!error.isEmpty())
        return QStringLiteral("Shop server: %1").arg(error);
    return QStringLiteral("Database on this computer: %1").arg(Database::instance().filePath());
}

Transaction::Transaction()
{
    Database& database = Database::instance();
    Engine* engine = database.engine(&m_error);
    if (!engine)
        return;
    if (database.m_transactionDepth == 0) {
        if (!engine->begin(&m_error))
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
        if (Engine* engine = database.engine(nullptr))
            engine->rollback();
    }
}

bool Transaction::lock(const QString& key)
{
    if (!m_active || m_done)
        return false;
    Engine* engine = Database::instance().engine(&m_error);
    return engine && engine->lockKey(key, &m_error);
}

bool Transaction::lockRows(const QString& table, const QString& column, const QVariant& value)
{
    if (!m_active || m_done)
        return false;
    Engine* engine = Database::instance().engine(&m_error);
    return engine && engine->lockRows(table, column, value, &m_error);
}

void Transaction::batchWrites()
{
    if (!m_active || m_done)
        return;
    if (Engine* engine = Database::instance().engine(nullptr))
        engine->batchWrites();
}

bool Transaction::sendWrites()
{
    if (!m_active || m_done)
        return false;
    Engine* engine = Database::instance().engine(&m_error);
    return engine && engine->sendWrites(&m_error);
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
    Engine* engine = database.engine(&m_error);
    return engine && engine->commit(&m_error);
}

} // namespace marvono
