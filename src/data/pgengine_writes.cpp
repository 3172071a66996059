// The shop server engine's row writes, transactions and locks.
#include "data/pgengine_p.h"

#include "data/pgschema.h"

#include <utility>

namespace marvono {

namespace {

QByteArray quotedName(const QString& name)
{
    // Unquoted names fold to lower case on the server, so a quoted one must be folded too.
    return '"' + name.toLower().toUtf8().replace('"', "\"\"") + '"';
}

} // namespace

QString PgEngine::writeStatement(WriteKind kind, const QString& table, const QStringList& columns)
{
    qsizetype length = 1 + table.size();
    for (const QString& column : columns)
        length += 1 + column.size();
    QString key;
    key.reserve(length);
    key.append(QChar(char16_t(kind))).append(table);
    for (const QString& column : columns)
        key.append(QChar(0x1f)).append(column);
    const auto found = m_writeStatements.constFind(key);
    if (found != m_writeStatements.constEnd())
        return *found;

    QByteArray sql;
    switch (kind) {
    case WriteKind::Insert:
        sql = "INSERT INTO " + quotedName(table);
        if (columns.isEmpty()) {
            sql += " DEFAULT VALUES";
        } else {
            QByteArrayList names, markers;
            for (qsizetype i = 0; i < columns.size(); ++i) {
                names.append(quotedName(columns[i]));
                markers.append("$" + QByteArray::number(i + 1));
            }
            sql += " (" + names.join(',') + ") VALUES (" + markers.join(',') + ')';
        }
        sql += " RETURNING ";
        sql += kHiddenKeyColumn;
        break;
    case WriteKind::Update: {
        QByteArrayList assignments;
        for (qsizetype i = 0; i < columns.size(); ++i)
            assignments.append(quotedName(columns[i]) + "=$" + QByteArray::number(i + 1));
        sql = "UPDATE " + quotedName(table) + " SET " + assignments.join(',') + " WHERE " + kHiddenKeyColumn + "=$" +
              QByteArray::number(columns.size() + 1);
        break;
    }
    case WriteKind::Delete:
        sql = "DELETE FROM " + quotedName(table) + " WHERE " + kHiddenKeyColumn + "=$1";
        break;
    case WriteKind::Lock:
        sql = "SELECT 1 FROM " + quotedName(table) + " WHERE " + quotedName(columns.value(0)) + "=$1 FOR UPDATE";
        break;
    case WriteKind::LockAndRead:
        sql = "select * from " + table.toUtf8() + " where " + columns.value(0).toUtf8() + "=$1 order by " +
              kHiddenKeyColumn + " for update";
        break;
    }
    // Record sets write whichever columns changed, so the combinations are few but not fixed.
    if (m_writeStatements.size() >= 256)
        m_writeStatements.clear();
    return *m_writeStatements.insert(key, QString::fromUtf8(sql));
}

bool PgEngine::insertRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64* key,
                         QString* error)
{
    if (m_batching) {
        m_queued.push_back({writeStatement(WriteKind::Insert, table, columns), values});
        if (key)
            *key = -1;
        return true;
    }
    auto result = run(writeStatement(WriteKind::Insert, table, columns), values, error);
    if (!result)
        return false;
    if (key)
        *key = PQntuples(result->handle) == 1 ? QByteArray(PQgetvalue(result->handle, 0, 0)).toLongLong() : -1;
    return true;
}

bool PgEngine::insertLinkedRows(const QString& table, const QStringList& columns, const QVariantList& values,
                                const LinkedRow& link, QString* error)
{
    QString key = QChar(u'K') + table;
    for (const QString& column : columns)
        key += QChar(0x1f) + column;
    key += QChar(0x1e) + link.table + QChar(0x1e) + link.keyColumn;
    for (const QString& column : link.columns)
        key += QChar(0x1f) + column;
    auto found = m_writeStatements.constFind(key);
    if (found == m_writeStatements.constEnd()) {
        // The second insert takes the key from the first's RETURNING, on the server.
        QByteArrayList names, markers;
        for (qsizetype i = 0; i < link.columns.size(); ++i) {
            names.append(quotedName(link.columns[i]));
            markers.append("$" + QByteArray::number(columns.size() + i + 1));
        }
        names.append(quotedName(link.keyColumn));
        markers.append(QByteArray("(SELECT ") + kHiddenKeyColumn + " FROM added)");
        const QByteArray sql = "WITH added AS (" + writeStatement(WriteKind::Insert, table, columns).toUtf8() +
                               ") INSERT INTO " + quotedName(link.table) + " (" + names.join(',') + ") VALUES (" +
                               markers.join(',') + ')';
        if (m_writeStatements.size() >= 256)
            m_writeStatements.clear();
        found = m_writeStatements.insert(key, QString::fromUtf8(sql));
    }
    const QString sql = *found;
    QVariantList bound = values;
    bound.append(link.values);
    if (m_batching) {
        m_queued.push_back({sql, bound});
        return true;
    }
    return run(sql, bound, error) != nullptr;
}

bool PgEngine::updateRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64 key,
                         QString* error)
{
    QVariantList bound = values;
    bound.append(key);
    if (m_batching) {
        m_queued.push_back({writeStatement(WriteKind::Update, table, columns), bound, true});
        return true;
    }
    return touchedRow(run(writeStatement(WriteKind::Update, table, columns), bound, error).get(), error);
}

bool PgEngine::deleteRow(const QString& table, qint64 key, QString* error)
{
    if (m_batching) {
        m_queued.push_back({writeStatement(WriteKind::Delete, table, {}), {key}, true});
        return true;
    }
    return touchedRow(run(writeStatement(WriteKind::Delete, table, {}), {key}, error).get(), error);
}

bool PgEngine::touchedRow(const Result* result, QString* error)
{
    if (!result)
        return false;
    // Another till's delete committed while this statement waited for the row leaves nothing to
    // write: going on would book what that till already booked.
    if (qstrcmp(PQcmdTuples(result->handle), "0") != 0)
        return true;
    if (error)
        *error = rowGoneText();
    return false;
}

bool PgEngine::begin(QString*)
{
    // BEGIN goes with the transaction's first statement rather than on a round trip of its own.
    m_queued.clear();
    m_queued.push_back({QStringLiteral("BEGIN"), {}});
    m_beginPending = true;
    m_batching = false;
    m_inTransaction = true;
    return true;
}

void PgEngine::batchWrites()
{
    m_batching = m_inTransaction;
}

bool PgEngine::sendWrites(QString* error)
{
    m_batching = false;
    if (m_queued.empty() || (m_beginPending && m_queued.size() == 1))
        return true;
    if (m_waiting) {
        m_fault = Fault::Busy;
        if (error)
            *error = QStringLiteral("The shop server is busy: it is still answering another request");
        return false;
    }
    m_fault = Fault::None;
    const Queued last = m_queued.back();
    m_queued.pop_back();
    return runWithQueued(last, error, !isLost()) != nullptr;
}

std::unique_ptr<PgEngine::Result> PgEngine::runWithQueued(const Queued& current, QString* error, bool wasConnected)
{
    bool nothingRan = false;
    auto result = runQueued(current, error, &nothingRan);
    // A connection the server dropped while it sat idle fails the transaction's first exchange,
    // BEGIN included: as a BEGIN on its own would, it goes once more on a new connection. Never a
    // commit: its answer may be what was lost.
    if (!result && nothingRan && m_fault == Fault::Lost && wasConnected && current.sql != QLatin1String("COMMIT"))
        result = runQueued(current, error, &nothingRan);
    return result;
}

std::unique_ptr<PgEngine::Result> PgEngine::runQueued(const Queued& current, QString* error, bool* nothingRan)
{
    *nothingRan = false;
    if (!ensureConnected(error))
        return nullptr;
    bool anyFresh = !m_prepared.contains(current.sql);
    for (const Queued& statement : m_queued)
        anyFresh = anyFresh || !m_prepared.contains(statement.sql);
    if (anyFresh)
        forgetPreparedIfDue();
    std::vector<Queued> batch;
    batch.swap(m_queued);
    batch.push_back(current);
    const bool beginPending = std::exchange(m_beginPending, false);
    const auto fail = [&](const Result* result, size_t failedAt) {
        const QString text = failure(result);
        if (error)
            *error = text;
        if (beginPending && failedAt == 0) {
            // The server has nothing of the transaction: it can start again as it was.
            *nothingRan = true;
            m_beginPending = true;
            batch.pop_back();
            m_queued = std::move(batch);
        }
        return nullptr;
    };
    if (PQenterPipelineMode(m_conn) != 1)
        return fail(nullptr, 0);
    m_statementClock.start();

    // Statements not yet prepared are prepared in the same pipeline, just before they run.
    struct Command {
        size_t statement;
        QByteArray preparing; // the name a prepare command gives; empty for an execution
    };
    std::vector<Command> commands;
    QHash<QString, QByteArray> preparing;
    bool sent = true;
    for (size_t i = 0; i < batch.size() && sent; ++i) {
        QByteArray name = m_prepared.value(batch[i].sql);
        if (name.isEmpty())
            name = preparing.value(batch[i].sql);
        if (name.isEmpty()) {
            name = "mv" + QByteArray::number(++m_nextName);
            preparing.insert(batch[i].sql, name);
            sent = PQsendPrepare(m_conn, name.constData(), translate(batch[i].sql).constData(), 0, nullptr) == 1;
            commands.push_back({i, name});
        }
        sent = sent && sendPrepared(name, batch[i].values);
        commands.push_back({i, {}});
    }
    if (!sent || PQpipelineSync(m_conn) != 1) {
        PQexitPipelineMode(m_conn);
        // The connection cannot carry the pipeline; a fresh one starts without it.
        m_abandoned = true;
        return fail(nullptr, 0);
    }
    auto answers = awaitPipeline(commands.size());
    if (PQexitPipelineMode(m_conn) != 1)
        m_abandoned = true;

    for (size_t c = 0; c < commands.size(); ++c) {
        const Result* answer = answers[c].get();
        const ExecStatusType status = answer ? PQresultStatus(answer->handle) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            return fail(answer, commands[c].statement);
        if (!commands[c].preparing.isEmpty())
            m_prepared.insert(batch[commands[c].statement].sql, commands[c].preparing);
        else if (batch[commands[c].statement].mustTouch && !touchedRow(answer, error))
            return nullptr; // the transaction goes no further: its caller rolls it back
        else if (batch[commands[c].statement].keepAnswer)
            m_keptAnswer = std::move(answers[c]);
    }
    return std::move(answers.back());
}

bool PgEngine::commit(QString* error)
{
    m_batching = false;
    if (m_beginPending && m_queued.size() == 1) {
        // Nothing was asked of the server inside the transaction.
        m_queued.clear();
        m_beginPending = false;
        m_inTransaction = false;
        return true;
    }
    // Writes still held back go first, on their own: a commit never follows a failed one.
    if (!sendWrites(error)) {
        rollback();
        return false;
    }
    const auto result = run(QStringLiteral("COMMIT"), {}, error);
    m_inTransaction = false;
    // COMMIT of a transaction that failed part way answers ROLLBACK rather than an error.
    if (result && qstrcmp(PQcmdStatus(result->handle), "COMMIT") == 0)
        return true;
    if (result && error)
        *error = QStringLiteral("The transaction was rolled back");
    return false;
}

void PgEngine::rollback()
{
    const bool sent = m_inTransaction && !m_beginPending;
    m_queued.clear();
    m_beginPending = false;
    m_batching = false;
    if (sent && !isLost())
        exec("ROLLBACK");
    m_inTransaction = false;
}

bool PgEngine::lockKey(const QString& key, QString* error)
{
    // Held until the transaction ends, whichever way it ends.
    return run(QStringLiteral("SELECT pg_advisory_xact_lock(hashtextextended(?, 0))"), {key}, error) != nullptr;
}

bool PgEngine::lockRows(const QString& table, const QString& column, const QVariant& value, QString* error)
{
    return run(writeStatement(WriteKind::Lock, table, {column}), {value}, error) != nullptr;
}

bool PgEngine::lockAndQuery(const QString& table, const QString& column, const QVariant& value, RecordSetBuilder& into,
                            QString* error)
{
    return query(writeStatement(WriteKind::LockAndRead, table, {column}), {value}, table, into, error);
}

bool PgEngine::lockAndQueryThen(const QString& table, const QString& column, const QVariant& value,
                                RecordSetBuilder& into, const QString& sql, const QVariantList& values,
                                const QString& keyedTable, RecordSetBuilder& thenInto, QString* error)
{
    // The locking read goes ahead of the other in the same pipeline; the server runs the second
    // only once the first holds its rows.
    m_keptAnswer.reset();
    m_queued.push_back({writeStatement(WriteKind::LockAndRead, table, {column}), {value}, false, true});
    auto then = run(sql, values, error);
    std::erase_if(m_queued, [](const Queued& queued) { return queued.keepAnswer; });
    auto locked = std::move(m_keptAnswer);
    if (!then)
        return false;
    if (!locked) {
        if (error)
            *error = QStringLiteral("The shop server did not answer the locking read");
        return false;
    }
    readInto(*locked, table, into);
    readInto(*then, keyedTable, thenInto);
    return true;
}

qint64 PgEngine::nextReceiptNumber(QString* error)
{
    auto result = run(QStringLiteral("SELECT marvono_next_receipt()"), {}, error);
    return result && PQntuples(result->handle) == 1 ? QByteArray(PQgetvalue(result->handle, 0, 0)).toLongLong() : 0;
}

bool PgEngine::takeOpenStockMoves(qint64 close, QString* error)
{
    return run(QStringLiteral("SELECT marvono_take_stock_moves(?)"), {close}, error) != nullptr;
}

bool PgEngine::passwordMatches(const QString& stored, const QString& typed) const
{
    return hashedPasswordMatches(stored, typed);
}

} // namespace marvono
