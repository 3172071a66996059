#pragma once
// The embedded engine: the program's statements run on the encrypted system32.dll.
#include "data/engine.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace marvono {

class SqliteEngine final : public Engine {
  public:
    ~SqliteEngine() override;

    // Opens the file with the program's password; false, with an error text, when it is
    // missing, not a database or has another key.
    bool open(const QString& path, QString* error);
    sqlite3* handle() const { return m_db; }
    const QString& openedPath() const { return m_openedPath; }
    // Whether a transaction is open on the connection.
    bool inTransaction() const;

    // A prepared statement for one SQL text, kept for reuse while the connection lives; it comes
    // back reset with its bindings cleared. Nothing (and an error text) on failure.
    sqlite3_stmt* prepare(const QString& sql, QString* error);

    bool execute(const QString& sql, const QVariantList& values, QString* error) override;
    bool query(const QString& sql, const QVariantList& values, const QString& keyedTable, RecordSetBuilder& into,
               QString* error) override;
    bool scan(const QString& sql, const QVariantList& values, const std::function<bool(const ScannedRow&)>& visit,
              QString* error) override;
    bool insertRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64* key,
                   QString* error) override;
    bool updateRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64 key,
                   QString* error) override;
    bool deleteRow(const QString& table, qint64 key, QString* error) override;
    bool begin(QString* error) override;
    bool commit(QString* error) override;
    void rollback() override;
    // BEGIN IMMEDIATE holds the whole file already.
    bool lockKey(const QString&, QString*) override { return true; }
    bool lockRows(const QString&, const QString&, const QVariant&, QString*) override { return true; }
    bool lockAndQuery(const QString& table, const QString& column, const QVariant& value, RecordSetBuilder& into,
                      QString* error) override;
    qint64 nextReceiptNumber(QString* error) override;
    bool takeOpenStockMoves(qint64 close, QString* error) override;
    bool passwordMatches(const QString& stored, const QString& typed) const override { return stored == typed; }
    void close() override;

  private:
    bool step(sqlite3_stmt* statement, const QVariantList& values, QString* error);
    // After a row update or delete: false, with rowGoneText(), when it found no row.
    bool touchedRow(QString* error);
    sqlite3* m_db = nullptr;
    QString m_openedPath;
    QHash<QString, sqlite3_stmt*> m_statements;
    // The INSERT texts made lately, so a batch of rows does not quote and join its names per row.
    struct InsertText {
        QString table;
        QStringList columns;
        QString sql;
    };
    std::vector<InsertText> m_inserts;
    // The columns each statement reported when it last ran.
    struct KnownColumn {
        QByteArray utf8Name;
        QByteArray declared;
        QString name;
        ColumnKind kind = ColumnKind::Other;
    };
    QHash<sqlite3_stmt*, std::vector<KnownColumn>> m_columns;
};

} // namespace marvono
