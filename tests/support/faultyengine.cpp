#include "support/faultyengine.h"

#include "data/database.h"
#include "data/engine.h"
#include "data/pgengine.h"

#include <csignal>
#include <sys/resource.h>
#include <utility>

namespace marvono::test {
namespace {

int writeCountdown = 0;
CommitLoss commitLoss = CommitLoss::None;

// Passes every call on to the engine it wraps, but for the faults armed above.
class FaultyEngine final : public Engine {
  public:
    explicit FaultyEngine(Engine& inner) : m_inner(inner) {}

    bool execute(const QString& sql, const QVariantList& values, QString* error) override
    {
        return m_inner.execute(sql, values, error);
    }
    bool query(const QString& sql, const QVariantList& values, const QString& keyedTable, RecordSetBuilder& into,
               QString* error) override
    {
        return m_inner.query(sql, values, keyedTable, into, error);
    }
    bool scan(const QString& sql, const QVariantList& values, const std::function<bool(const ScannedRow&)>& visit,
              QString* error) override
    {
        return m_inner.scan(sql, values, visit, error);
    }
    bool insertRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64* key,
                   QString* error) override
    {
        return !writeFails(error) && m_inner.insertRow(table, columns, values, key, error);
    }
    bool updateRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64 key,
                   QString* error) override
    {
        return !writeFails(error) && m_inner.updateRow(table, columns, values, key, error);
    }
    bool insertLinkedRows(const QString& table, const QStringList& columns, const QVariantList& values,
                          const LinkedRow& link, QString* error) override
    {
        return !writeFails(error) && m_inner.insertLinkedRows(table, columns, values, link, error);
    }
    bool deleteRow(const QString& table, qint64 key, QString* error) override
    {
        return !writeFails(error) && m_inner.deleteRow(table, key, error);
    }
    bool begin(QString* error) override { return m_inner.begin(error); }
    bool commit(QString* error) override;
    void rollback() override { m_inner.rollback(); }
    bool lockKey(const QString& key, QString* error) override { return m_inner.lockKey(key, error); }
    bool lockRows(const QString& table, const QString& column, const QVariant& value, QString* error) override
    {
        return m_inner.lockRows(table, column, value, error);
    }
    bool lockAndQuery(const QString& table, const QString& column, const QVariant& value, RecordSetBuilder& into,
                      QString* error) override
    {
        return m_inner.lockAndQuery(table, column, value, into, error);
    }
    bool lockAndQueryThen(const QString& table, const QString& column, const QVariant& value, RecordSetBuilder& into,
                          const QString& sql, const QVariantList& values, const QString& keyedTable,
                          RecordSetBuilder& thenInto, QString* error) override
    {
        return m_inner.lockAndQueryThen(table, column, value, into, sql, values, keyedTable, thenInto, error);
    }
    void batchWrites() override { m_inner.batchWrites(); }
    bool sendWrites(QString* error) override { return m_inner.sendWrites(error); }
    qint64 nextReceiptNumber(QString* error) override { return m_inner.nextReceiptNumber(error); }
    bool takeOpenStockMoves(qint64 close, QString* error) override { return m_inner.takeOpenStockMoves(close, error); }
    bool passwordMatches(const QString& stored, const QString& typed) const override
    {
        return m_inner.passwordMatches(stored, typed);
    }
    void close() override { m_inner.close(); }
    ColumnCache& tableColumns() override { return m_inner.tableColumns(); }

  private:
    static bool writeFails(QString* error)
    {
        if (writeCountdown <= 0 || --writeCountdown > 0)
            return false;
        if (error)
            *error = QStringLiteral("Operation failed (injected fault).");
        return true;
    }

    Engine& m_inner;
};

bool FaultyEngine::commit(QString* error)
{
    auto* server = dynamic_cast<PgEngine*>(&m_inner);
    const CommitLoss loss = server ? std::exchange(commitLoss, CommitLoss::None) : CommitLoss::None;
    if (loss == CommitLoss::BeforeCommit) {
        // The writes held back reach the server; only the commit is lost.
        if (!server->sendWrites(error)) {
            server->rollback();
            return false;
        }
        server->terminateSession();
    }
    const bool committed = m_inner.commit(error);
    if (committed && loss == CommitLoss::AfterCommit) {
        server->terminateSession();
        if (error)
            *error = server->lostText();
        return false;
    }
    return committed;
}

// The engine is wrapped only while a fault is armed, so that the tests see the engines
// themselves otherwise.
void wrapWhileArmed()
{
    const bool armed = writeCountdown > 0 || commitLoss != CommitLoss::None;
    Database::instance().setEngineDecorator(
        armed ? Database::EngineDecorator([](Engine& inner) { return std::make_unique<FaultyEngine>(inner); })
              : Database::EngineDecorator());
}

} // namespace

void injectWriteFault(int nthWrite)
{
    writeCountdown = nthWrite;
    wrapWhileArmed();
}

void injectCommitLoss(CommitLoss loss)
{
    commitLoss = loss;
    wrapWhileArmed();
}

void limitFileSize(long long bytes)
{
    // Past the limit a write fails with EFBIG rather than ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes < 0 ? limit.rlim_max : rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

} // namespace marvono::test
