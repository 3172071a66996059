#pragma once
// The shop server engine: the program's statements run on PostgreSQL through libpq.
#include "data/engine.h"
#include "data/shopserver.h"

#include <QHash>
#include <memory>

typedef struct pg_conn PGconn;

namespace marvono {

class PgEngine final : public Engine {
  public:
    // Connects to the server shopserver.conf names; nothing, with a message naming the server,
    // when it cannot be reached.
    static std::unique_ptr<PgEngine> connect(const ShopServerConfig& config, QString* error);
    ~PgEngine() override;

    bool execute(const QString& sql, const QVariantList& values, QString* error) override;
    bool query(const QString& sql, const QVariantList& values, const QString& keyedTable, RecordSetBuilder& into,
               QString* error) override;
    bool scan(const QString& sql, const std::function<bool(const ScannedRow&)>& visit, QString* error) override;
    bool insertRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64* key,
                   QString* error) override;
    bool updateRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64 key,
                   QString* error) override;
    bool deleteRow(const QString& table, qint64 key, QString* error) override;
    bool begin(QString* error) override;
    bool commit(QString* error) override;
    void rollback() override;
    bool lockKey(const QString& key, QString* error) override;
    bool lockRows(const QString& table, const QString& column, const QVariant& value, QString* error) override;
    void close() override;

    const ShopServerConfig& config() const { return m_config; }
    bool isLost() const;

    // The program writes "?" for values and may order by "rowid"; the server wants "$1" and
    // knows the hidden key instead. Quoted texts and names are left alone.
    static QByteArray translate(const QString& sql);

  private:
    PgEngine() = default;
    struct Result;
    enum class WriteKind : char16_t { Insert = 'I', Update = 'U', Delete = 'D', Lock = 'L' };
    // The text of a row write or row lock, built once per table and column list: quoting and
    // joining the names cost more on the client than running the prepared statement.
    QString writeStatement(WriteKind kind, const QString& table, const QStringList& columns);
    // Runs a statement, prepared once per text and connection. Nothing on failure.
    std::unique_ptr<Result> run(const QString& sql, const QVariantList& values, QString* error);
    bool ensureConnected(QString* error);
    bool setUpSession(QString* error);
    ColumnKind kindOf(void* result, int column);
    void loadColumnKinds();
    QString lostText() const;
    // The server ends this connection, for the tests of a broken connection.
    void breakConnection();

    ShopServerConfig m_config;
    PGconn* m_conn = nullptr;
    QHash<QString, QByteArray> m_prepared;     // statement text -> prepared statement name
    QHash<QString, QString> m_writeStatements; // kind, table and columns -> statement text
    int m_nextName = 0;
    bool m_inTransaction = false;
    QHash<quint64, ColumnKind> m_kinds; // (table oid, column number) -> kind
};

} // namespace marvono
