// The shop server engine's row writes, transactions and locks.
#include "data/pgengine_p.h"

#include "data/database.h"
#include "data/pgschema.h"

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
    }
    // Record sets write whichever columns changed, so the combinations are few but not fixed.
    if (m_writeStatements.size() >= 256)
        m_writeStatements.clear();
    return *m_writeStatements.insert(key, QString::fromUtf8(sql));
}

bool PgEngine::insertRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64* key,
                         QString* error)
{
    auto result = run(writeStatement(WriteKind::Insert, table, columns), values, error);
    if (!result)
        return false;
    if (key)
        *key = PQntuples(result->handle) == 1 ? QByteArray(PQgetvalue(result->handle, 0, 0)).toLongLong() : -1;
    return true;
}

bool PgEngine::updateRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64 key,
                         QString* error)
{
    QVariantList bound = values;
    bound.append(key);
    return touchedRow(run(writeStatement(WriteKind::Update, table, columns), bound, error).get(), error);
}

bool PgEngine::deleteRow(const QString& table, qint64 key, QString* error)
{
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

bool PgEngine::begin(QString* error)
{
    if (!run(QStringLiteral("BEGIN"), {}, error))
        return false;
    m_inTransaction = true;
    return true;
}

bool PgEngine::commit(QString* error)
{
    const CommitLoss loss = takeCommitLoss();
    if (loss == CommitLoss::BeforeCommit)
        breakConnection();
    auto result = run(QStringLiteral("COMMIT"), {}, error);
    m_inTransaction = false;
    if (result && loss == CommitLoss::AfterCommit) {
        breakConnection();
        result.reset();
        if (error)
            *error = lostText();
    }
    // COMMIT of a transaction that failed part way answers ROLLBACK rather than an error.
    if (result && qstrcmp(PQcmdStatus(result->handle), "COMMIT") == 0)
        return true;
    if (result && error)
        *error = QStringLiteral("The transaction was rolled back");
    return false;
}

void PgEngine::rollback()
{
    if (!isLost())
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

} // namespace marvono
