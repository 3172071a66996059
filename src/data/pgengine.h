#pragma once
// The shop server engine: the program's statements run on PostgreSQL through libpq.
#include "data/engine.h"
#include "data/shopserver.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <memory>
#include <vector>

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
    bool scan(const QString& sql, const QVariantList& values, const std::function<bool(const ScannedRow&)>& visit,
              QString* error) override;
    bool insertRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64* key,
                   QString* error) override;
    bool updateRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64 key,
                   QString* error) override;
    bool insertLinkedRows(const QString& table, const QStringList& columns, const QVariantList& values,
                          const LinkedRow& link, QString* error) override;
    bool deleteRow(const QString& table, qint64 key, QString* error) override;
    bool begin(QString* error) override;
    bool commit(QString* error) override;
    void rollback() override;
    bool lockKey(const QString& key, QString* error) override;
    bool lockRows(const QString& table, const QString& column, const QVariant& value, QString* error) override;
    bool lockAndQuery(const QString& table, const QString& column, const QVariant& value, RecordSetBuilder& into,
                      QString* error) override;
    bool lockAndQueryThen(const QString& table, const QString& column, const QVariant& value, RecordSetBuilder& into,
                          const QString& sql, const QVariantList& values, const QString& keyedTable,
                          RecordSetBuilder& thenInto, QString* error) override;
    void batchWrites() override;
    bool sendWrites(QString* error) override;
    qint64 nextReceiptNumber(QString* error) override;
    bool takeOpenStockMoves(qint64 close, QString* error) override;
    bool passwordMatches(const QString& stored, const QString& typed) const override;
    void close() override;

    // How many times this engine has waited for the server's answer: each wait is one round trip
    // over the network, however many statements it answers.
    quint64 roundTrips() const { return m_roundTrips; }

    const ShopServerConfig& config() const { return m_config; }
    bool isLost() const;
    // Has the server end this connection's session, as an administrator ending it would; the
    // work of a transaction not yet committed is gone with it, and the next statement outside a
    // transaction connects again.
    void terminateSession();
    // What a statement fails with once the connection is lost.
    QString lostText() const;
    // True while a statement waits for the server's answer. The windows are kept painted
    // meanwhile, and a statement asked for from there is refused as busy.
    bool isWaiting() const { return m_waiting; }
    // Whether the last statement that failed met a lock held elsewhere, ran out of time on the
    // server, or was asked for while another one waited.
    bool lastFailureWasBusy() const { return m_fault == Fault::Busy; }
    // How long the last statement that failed waited for a row lock held elsewhere, in
    // milliseconds; -1 when it failed otherwise.
    int lastLockWaitMs() const { return m_lockWaitMs; }

    // What the till's sessions allow a statement: a row lock held elsewhere is waited for
    // kLockTimeoutMs, any statement runs at most kStatementTimeoutMs, and a server that has not
    // answered after kAnswerTimeoutMs (hung, or its network gone) is given up, as is a
    // connection not made within kConnectTimeoutMs. A session left idle inside a transaction for
    // kIdleInTransactionMs (its till cut off mid-sale) is ended by the server, so the rows it
    // locked are free again.
    static constexpr int kLockTimeoutMs = 3000;
    static constexpr int kStatementTimeoutMs = 10000;
    static constexpr int kAnswerTimeoutMs = 15000;
    static constexpr int kConnectTimeoutMs = 10000;
    static constexpr int kIdleInTransactionMs = 30000;

    // The program writes "?" for values and may order by "rowid"; the server wants "$1" and
    // knows the hidden key instead. Quoted texts and names are left alone.
    static QByteArray translate(const QString& sql);

  private:
    PgEngine() = default;
    struct Result;
    enum class Fault { None, Lost, Busy, StalePlan, Other };
    enum class WriteKind : char16_t { Insert = 'I', Update = 'U', Delete = 'D', Lock = 'L', LockAndRead = 'R' };
    // The text of a row write or row lock, built once per table and column list: quoting and
    // joining the names cost more on the client than running the prepared statement.
    QString writeStatement(WriteKind kind, const QString& table, const QStringList& columns);
    // Runs a statement, prepared once per text and connection. Nothing on failure. A read (or
    // BEGIN) outside a transaction goes once more when the connection had been lost or the
    // tables were remade under its prepared statement.
    std::unique_ptr<Result> run(const QString& sql, const QVariantList& values, QString* error);
    std::unique_ptr<Result> runOnce(const QString& sql, const QVariantList& values, QString* error);
    struct Queued {
        QString sql;
        QVariantList values;
        bool mustTouch = false;  // an update or delete of one row, failing when it finds none
        bool keepAnswer = false; // a read whose answer is kept in m_keptAnswer
    };
    // Runs the statements held back (the transaction's BEGIN, batched writes) and then `current`,
    // all in one round trip; once more on a new connection when the server had dropped this one
    // before the BEGIN.
    std::unique_ptr<Result> runWithQueued(const Queued& current, QString* error, bool wasConnected);
    // One attempt of that. `nothingRan` tells when the BEGIN itself failed, so that none of them
    // took effect.
    std::unique_ptr<Result> runQueued(const Queued& current, QString* error, bool* nothingRan);
    // The name `sql` is prepared under; `fresh` when it is not prepared yet (the name is then new).
    QByteArray statementName(const QString& sql, bool* fresh);
    // Drops the server's prepared statements when they have grown many or stale; only before a
    // statement is prepared.
    void forgetPreparedIfDue();
    bool sendPrepared(const QByteArray& name, const QVariantList& values);
    // A statement without values, not prepared. Nothing when no answer came.
    std::unique_ptr<Result> exec(const char* sql);
    // The answer to what was sent; nothing when the server did not answer in time, the
    // connection then being given up.
    std::unique_ptr<Result> awaitResult();
    // The first answer to each of `commands` commands sent in pipeline mode, read up to the
    // pipeline's sync; the places of commands left unanswered (a broken connection, no answer in
    // time) stay empty.
    std::vector<std::unique_ptr<Result>> awaitPipeline(size_t commands);
    // Drives a connection being made (or remade) to its end without blocking the windows.
    bool completeConnection(bool reset);
    bool ensureConnected(QString* error);
    bool setUpSession(QString* error);
    // After a row update or delete: false when it failed or found no row (rowGoneText()).
    bool touchedRow(const Result* result, QString* error);
    // Records why a statement failed and returns its text.
    QString failure(const Result* result);
    ColumnKind kindOf(void* result, int column);
    // Hands the rows of a query's answer to a record set; keyed by the hidden key with `keyedTable`.
    void readInto(const Result& result, const QString& keyedTable, RecordSetBuilder& into);
    void loadColumnKinds();

    ShopServerConfig m_config;
    PGconn* m_conn = nullptr;
    QHash<QString, QByteArray> m_prepared;     // statement text -> prepared statement name
    QHash<QString, QString> m_writeStatements; // kind, table and columns -> statement text
    int m_nextName = 0;
    bool m_inTransaction = false;
    bool m_waiting = false;
    bool m_abandoned = false;     // the server stopped answering; the connection is dropped
    bool m_stalePrepared = false; // the server still holds statements forgotten here
    Fault m_fault = Fault::None;
    int m_lockWaitMs = -1;
    QElapsedTimer m_statementClock;       // since the statement now waited for was sent
    std::vector<Queued> m_queued;         // sent ahead of the next statement that waits for its answer
    bool m_beginPending = false;          // the transaction's BEGIN is queued, not yet sent
    bool m_batching = false;              // writes are queued until the next read or the commit
    std::unique_ptr<Result> m_keptAnswer; // the answer of the queued read marked keepAnswer
    quint64 m_roundTrips = 0;
    QHash<quint64, ColumnKind> m_kinds; // (table oid, column number) -> kind
    QSet<quint32> m_kindsLookedUp;      // table oids the kinds were loaded again for
};

} // namespace marvono
