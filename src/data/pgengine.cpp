#include "data/pgengine_p.h"

#include "app/numbers.h"
#include "data/database.h"
#include "data/flatcontainers.h"
#include "data/pgschema.h"
#include "data/rowscan.h"
#include "data/serverwait.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <cerrno>
#include <charconv>
#include <libpq-fe.h>
#include <poll.h>

namespace marvono {

namespace {

// How long a wait goes unnoticed before the operator is shown it.
constexpr int kQuietWaitMs = 150;

ServerWaitHooks* waitHooks = nullptr;

// Waits for the server's socket. A till's windows stay painted meanwhile (the operator's input
// waits in the queue) and show that the till is busy once the wait lasts more than a moment; a
// program without windows just waits.
class SocketWait {
  public:
    explicit SocketWait(bool& waiting)
        : m_waiting(waiting), m_windows(waitHooks && waitHooks->keepsWindowsPainted() ? waitHooks : nullptr)
    {
        m_waiting = true;
        m_clock.start();
    }
    ~SocketWait()
    {
        if (m_slow)
            m_windows->slowWaitEnded();
        m_waiting = false;
    }
    SocketWait(const SocketWait&) = delete;
    SocketWait& operator=(const SocketWait&) = delete;

    // False when the deadline passes before the socket is ready.
    bool wait(int socket, bool forWrite, const QDeadlineTimer& deadline)
    {
        if (socket < 0)
            return true; // libpq reports the broken connection itself
        // While a long pipeline is still being written, the server may already be answering it
        // and wait for its answers to be read: a writer watches for both.
        pollfd watched{socket, short(forWrite ? POLLOUT | POLLIN : POLLIN), 0};
        for (;;) {
            const qint64 slice = qBound(qint64(0), deadline.remainingTime(), qint64(m_windows ? 20 : 500));
            const int ready = ::poll(&watched, 1, int(slice));
            if (ready > 0 || (ready < 0 && errno != EINTR))
                return true;
            if (deadline.hasExpired())
                return false;
            if (!m_windows)
                continue;
            if (!m_slow && m_clock.elapsed() >= kQuietWaitMs) {
                m_windows->slowWaitStarted();
                m_slow = true;
            }
            m_windows->pumpEvents();
        }
    }

  private:
    bool& m_waiting;
    ServerWaitHooks* const m_windows;
    bool m_slow = false;
    QElapsedTimer m_clock;
};

// Statements that change nothing, and may go again when the connection broke under them.
bool isRepeatable(const QString& sql)
{
    const QStringView text = QStringView(sql).trimmed();
    return text.startsWith(QLatin1String("select"), Qt::CaseInsensitive) ||
           text.compare(QLatin1String("BEGIN"), Qt::CaseInsensitive) == 0;
}

// Type oids of the built-in types the program's columns use.
constexpr Oid kInt2 = 21, kInt4 = 23, kInt8 = 20, kText = 25, kVarchar = 1043, kDate = 1082;

QString primaryMessage(PGconn* conn, PGresult* result)
{
    const char* text = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (text && *text)
        return QString::fromUtf8(text);
    return QString::fromUtf8(PQerrorMessage(conn)).trimmed();
}

// Values go as texts and the server casts them to the column's type, as the embedded engine's
// column affinity does. A double takes the general form so that whole numbers fit integer
// columns too.
QByteArray valueText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        return generalText(value.toDouble()).toUtf8();
    default:
        return value.toString().toUtf8();
    }
}

class PgRow final : public ScannedRow {
  public:
    explicit PgRow(PGresult* result) : m_result(result), m_columns(PQnfields(result)) {}
    int columnCount() const override { return m_columns; }
    bool isNull(int column) const override { return PQgetisnull(m_result, row, column); }
    QByteArrayView utf8(int column) const override
    {
        return QByteArrayView(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
    }
    int row = 0;

  private:
    PGresult* m_result;
    int m_columns;
};

// The embedded file hands out a table's rows in the order they were added, and the program
// relies on it (the product list, a buyer's lines); the server keeps no such order, an updated
// row moving to the end. A plain read of one table is therefore ordered by the hidden key.
bool readsInAddedOrder(const QString& sql)
{
    static const QRegularExpression plainRead(QStringLiteral(R"(^\s*select\s+(.+?)\s+from\s+(\w+)(\s+where\s+.*)?$)"),
                                              QRegularExpression::CaseInsensitiveOption |
                                                  QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression ordering(QStringLiteral(R"(\b(order|group|limit|union|having|offset)\b)"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = plainRead.match(sql.trimmed());
    if (!match.hasMatch())
        return false;
    const QString columns = match.captured(1);
    if (columns.startsWith(QLatin1String("distinct"), Qt::CaseInsensitive) || columns.contains(QLatin1Char('(')))
        return false;
    if (match.captured(3).contains(ordering))
        return false;
    static const QStringList tables{QStringLiteral("product_info"), QStringLiteral("bill"), QStringLiteral("pandian"),
                                    QStringLiteral("user_info"), QStringLiteral("change")};
    return tables.contains(match.captured(2).toLower());
}

} // namespace

void setServerWaitHooks(ServerWaitHooks* hooks)
{
    waitHooks = hooks;
}

std::unique_ptr<PgEngine> PgEngine::connect(const ShopServerConfig& config, QString* error)
{
    std::unique_ptr<PgEngine> engine(new PgEngine);
    engine->m_config = config;
    engine->m_conn = connectToShopServer(config.connection, true);
    if (!engine->m_conn || !engine->completeConnection(false)) {
        QString reason = engine->m_conn ? QString::fromUtf8(PQerrorMessage(engine->m_conn)).trimmed()
                                        : QStringLiteral("out of memory");
        if (reason.isEmpty())
            reason = QStringLiteral("no answer");
        if (error)
            *error = QStringLiteral("Cannot reach the shop server (%1): %2")
                         .arg(describeServer(config.connection), connectionFailureText(reason, config.connection));
        return nullptr;
    }
    if (!engine->setUpSession(error))
        return nullptr;
    // Every till connects with the program's own statements, so an older shop database is
    // brought up to date before the first of them runs.
    QString upgradeError;
    bool refused = false;
    if (!upgradeShopSchema(engine->m_conn, &upgradeError, &refused)) {
        if (error)
            *error = refused
                         ? QStringLiteral("The shop database on the shop server (%1) is of an older version and only "
                                          "its owner can upgrade it: start Marvono once with the owner's login in "
                                          "shopserver.conf.")
                               .arg(describeServer(config.connection))
                         : QStringLiteral("The shop database on the shop server (%1) cannot be upgraded: %2")
                               .arg(describeServer(config.connection), upgradeError);
        return nullptr;
    }
    return engine;
}

PgEngine::~PgEngine()
{
    close();
}

void PgEngine::close()
{
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    m_prepared.clear();
    m_queued.clear();
    m_tableColumns.clear();
    m_inTransaction = false;
    m_beginPending = false;
    m_batching = false;
    m_abandoned = false;
}

bool PgEngine::completeConnection(bool reset)
{
    if (PQstatus(m_conn) == CONNECTION_BAD)
        return false;
    SocketWait waiter(m_waiting);
    // libpq's connect_timeout holds only for a connection made while it blocks.
    const QDeadlineTimer deadline(kConnectTimeoutMs);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (state == PGRES_POLLING_FAILED || !waiter.wait(PQsocket(m_conn), state == PGRES_POLLING_WRITING, deadline))
            return false;
        state = reset ? PQresetPoll(m_conn) : PQconnectPoll(m_conn);
    }
    m_abandoned = false;
    return PQsetnonblocking(m_conn, 1) == 0;
}

bool PgEngine::setUpSession(QString* error)
{
    // Dates are read and written as "yyyy-MM-dd", texts as UTF-8, whatever the server's defaults;
    // a lock held elsewhere or a runaway statement turns into a "busy" failure, not a frozen till.
    const QByteArray sql = "SET datestyle TO ISO; SET client_encoding TO 'UTF8'; SET lock_timeout TO " +
                           QByteArray::number(kLockTimeoutMs) + "; SET statement_timeout TO " +
                           QByteArray::number(kStatementTimeoutMs) + "; SET idle_in_transaction_session_timeout TO " +
                           QByteArray::number(kIdleInTransactionMs);
    const auto result = exec(sql.constData());
    const bool ok = result && PQresultStatus(result->handle) == PGRES_COMMAND_OK;
    if (!ok && error)
        *error = failure(result.get());
    m_prepared.clear();
    m_stalePrepared = false;
    return ok;
}

void PgEngine::terminateSession()
{
    PQclear(PQexec(m_conn, "SELECT pg_terminate_backend(pg_backend_pid())"));
}

bool PgEngine::isLost() const
{
    return !m_conn || m_abandoned || PQstatus(m_conn) != CONNECTION_OK;
}

QString PgEngine::lostText() const
{
    return QStringLiteral("The connection to the shop server (%1) was lost").arg(describeServer(m_config.connection));
}

bool PgEngine::ensureConnected(QString* error)
{
    if (!isLost())
        return true;
    m_fault = Fault::Lost;
    // Work begun on a lost connection is gone with it; only a fresh statement may reconnect.
    if (!m_conn || (m_inTransaction && !m_beginPending)) {
        if (error)
            *error = lostText();
        return false;
    }
    if (!PQresetStart(m_conn) || !completeConnection(true)) {
        const QString reason = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        if (error)
            *error = lostText() + QStringLiteral(": ") + (reason.isEmpty() ? QStringLiteral("no answer") : reason);
        return false;
    }
    return setUpSession(error);
}

QByteArray PgEngine::translate(const QString& sql)
{
    const QByteArray in = sql.toUtf8();
    QByteArray out;
    out.reserve(in.size() + 16);
    int slot = 0;
    auto isWordChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '\'' || c == '"') {
            const qsizetype end = in.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? in.size() : end + 1;
            out.append(in.mid(i, stop - i));
            i = stop - 1;
        } else if (c == '?') {
            out.append('$').append(QByteArray::number(++slot));
        } else if (isWordChar(c) && (i == 0 || !isWordChar(in[i - 1]))) {
            qsizetype end = i;
            while (end < in.size() && isWordChar(in[end]))
                ++end;
            const QByteArray word = in.mid(i, end - i);
            out.append(word.compare("rowid", Qt::CaseInsensitive) == 0 ? QByteArray(kHiddenKeyColumn) : word);
            i = end - 1;
        } else {
            out.append(c);
        }
    }
    if (readsInAddedOrder(sql))
        out.append(" ORDER BY ").append(kHiddenKeyColumn);
    return out;
}

QString PgEngine::failure(const Result* result)
{
    if (isLost()) {
        m_fault = Fault::Lost;
        return m_abandoned ? lostText() + QStringLiteral(": no answer within %1 s").arg(kAnswerTimeoutMs / 1000)
                           : lostText();
    }
    PGresult* handle = result ? result->handle : nullptr;
    const QByteArray state(handle ? PQresultErrorField(handle, PG_DIAG_SQLSTATE) : nullptr);
    const QString text = primaryMessage(m_conn, handle);
    // Lock timeout, or the statement timeout (or a cancel) ending a statement.
    if (state == "55P03" || state == "57014") {
        m_fault = Fault::Busy;
        if (state == "55P03")
            m_lockWaitMs = int(m_statementClock.elapsed());
        return QStringLiteral("The shop server is busy: ") + text;
    }
    // The tables were dropped and made again (a recovery) under a prepared statement.
    m_fault = state == "0A000" && text.startsWith(QLatin1String("cached plan")) ? Fault::StalePlan : Fault::Other;
    if (m_fault == Fault::StalePlan) {
        m_prepared.clear();
        m_kinds.clear();
        m_kindsLookedUp.clear();
        m_tableColumns.clear();
        m_stalePrepared = true;
    }
    return text;
}

std::unique_ptr<PgEngine::Result> PgEngine::awaitResult()
{
    ++m_roundTrips;
    SocketWait waiter(m_waiting);
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    const auto giveUp = [this]() {
        // Whatever the server does with the statement now, this connection is done with it.
        m_abandoned = true;
        return nullptr;
    };
    while (PQflush(m_conn) == 1) {
        if (!waiter.wait(PQsocket(m_conn), true, deadline))
            return giveUp();
        if (!PQconsumeInput(m_conn))
            break; // PQgetResult hands over the failure
    }
    PGresult* answer = nullptr;
    for (;;) {
        while (PQisBusy(m_conn)) {
            if (!waiter.wait(PQsocket(m_conn), false, deadline)) {
                PQclear(answer);
                return giveUp();
            }
            if (!PQconsumeInput(m_conn))
                break; // PQgetResult hands over the failure
        }
        PGresult* next = PQgetResult(m_conn);
        if (!next)
            break;
        // The first failure of several statements sent together is their answer.
        if (answer && PQresultStatus(answer) == PGRES_FATAL_ERROR) {
            PQclear(next);
        } else {
            PQclear(answer);
            answer = next;
        }
    }
    return answer ? std::make_unique<Result>(answer) : nullptr;
}

std::vector<std::unique_ptr<PgEngine::Result>> PgEngine::awaitPipeline(size_t commands)
{
    ++m_roundTrips;
    std::vector<std::unique_ptr<Result>> answers(commands);
    SocketWait waiter(m_waiting);
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    while (PQflush(m_conn) == 1) {
        if (!waiter.wait(PQsocket(m_conn), true, deadline)) {
            m_abandoned = true;
            return answers;
        }
        if (!PQconsumeInput(m_conn))
            break; // the answers' reading hands over the failure
    }
    bool late = false;
    const auto next = [&]() -> PGresult* {
        while (PQisBusy(m_conn)) {
            if (!waiter.wait(PQsocket(m_conn), false, deadline)) {
                late = true;
                return nullptr;
            }
            if (!PQconsumeInput(m_conn))
                break; // PQgetResult hands over the failure
        }
        return PQgetResult(m_conn);
    };
    // Each command's results end with no result; the sync's follows the last command's.
    for (size_t command = 0; command <= commands; ++command) {
        while (PGresult* result = next()) {
            if (PQresultStatus(result) == PGRES_PIPELINE_SYNC) {
                PQclear(result);
                return answers;
            }
            if (command < commands && !answers[command])
                answers[command] = std::make_unique<Result>(result);
            else
                PQclear(result);
        }
        if (late) {
            m_abandoned = true;
            return answers;
        }
        if (PQstatus(m_conn) == CONNECTION_BAD)
            return answers;
    }
    return answers;
}

std::unique_ptr<PgEngine::Result> PgEngine::exec(const char* sql)
{
    if (m_waiting || !PQsendQuery(m_conn, sql))
        return nullptr;
    return awaitResult();
}

std::unique_ptr<PgEngine::Result> PgEngine::run(const QString& sql, const QVariantList& values, QString* error)
{
    if (m_waiting) {
        m_fault = Fault::Busy;
        if (error)
            *error = QStringLiteral("The shop server is busy: it is still answering another request");
        return nullptr;
    }
    m_fault = Fault::None;
    m_lockWaitMs = -1;
    const bool wasConnected = !isLost();
    if (!m_queued.empty())
        return runWithQueued({sql, values}, error, wasConnected);
    auto result = runOnce(sql, values, error);
    if (result || m_inTransaction || !isRepeatable(sql))
        return result;
    // A server that did not answer at all is not asked again at once: that would double the
    // time the operator waits to hear it is gone.
    if (m_fault == Fault::StalePlan || (m_fault == Fault::Lost && wasConnected && !m_abandoned))
        return runOnce(sql, values, error);
    return nullptr;
}

std::unique_ptr<PgEngine::Result> PgEngine::runOnce(const QString& sql, const QVariantList& values, QString* error)
{
    if (!ensureConnected(error))
        return nullptr;
    const auto fail = [this, error](const Result* result) {
        const QString text = failure(result);
        if (error)
            *error = text;
        return nullptr;
    };
    bool fresh = false;
    const QByteArray name = statementName(sql, &fresh);
    if (fresh) {
        if (!PQsendPrepare(m_conn, name.constData(), translate(sql).constData(), 0, nullptr))
            return fail(nullptr);
        const auto prepared = awaitResult();
        if (!prepared || PQresultStatus(prepared->handle) != PGRES_COMMAND_OK)
            return fail(prepared.get());
        m_prepared.insert(sql, name);
    }
    m_statementClock.start();
    if (!sendPrepared(name, values))
        return fail(nullptr);
    auto result = awaitResult();
    const ExecStatusType status = result ? PQresultStatus(result->handle) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return result;
    return fail(result.get());
}

QByteArray PgEngine::statementName(const QString& sql, bool* fresh)
{
    const QByteArray name = m_prepared.value(sql);
    *fresh = name.isEmpty();
    if (!*fresh)
        return name;
    forgetPreparedIfDue();
    return "mv" + QByteArray::number(++m_nextName);
}

void PgEngine::forgetPreparedIfDue()
{
    if (m_prepared.size() >= 128 || (m_stalePrepared && (!m_inTransaction || m_beginPending))) {
        exec("DEALLOCATE ALL");
        m_prepared.clear();
        m_stalePrepared = false;
    }
}

bool PgEngine::sendPrepared(const QByteArray& name, const QVariantList& values)
{
    std::vector<QByteArray> texts(size_t(values.size()));
    std::vector<const char*> pointers(size_t(values.size()), nullptr);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (values[i].isNull() || !values[i].isValid())
            continue;
        texts[size_t(i)] = valueText(values[i]);
        pointers[size_t(i)] = texts[size_t(i)].constData();
    }
    return PQsendQueryPrepared(m_conn, name.constData(), int(values.size()), pointers.data(), nullptr, nullptr, 0) == 1;
}

bool PgEngine::execute(const QString& sql, const QVariantList& values, QString* error)
{
    if (m_batching && !isRepeatable(sql)) {
        m_queued.push_back({sql, values});
        return true;
    }
    return run(sql, values, error) != nullptr;
}

void PgEngine::loadColumnKinds()
{
    const auto answer = exec("SELECT a.attrelid::bigint, a.attnum, t.typname FROM pg_attribute a"
                             " JOIN pg_type t ON t.oid = a.atttypid JOIN pg_class c ON c.oid = a.attrelid"
                             " WHERE a.attnum > 0 AND NOT a.attisdropped AND c.relkind = 'r'"
                             " AND pg_table_is_visible(c.oid)"
                             " AND c.relname IN ('product_info', 'bill', 'pandian', 'user_info', 'change')");
    PGresult* result = answer ? answer->handle : nullptr;
    if (PQresultStatus(result) == PGRES_TUPLES_OK) {
        for (int r = 0; r < PQntuples(result); ++r) {
            const QByteArray type(PQgetvalue(result, r, 2));
            const ColumnKind kind = type == "numtext"                                    ? ColumnKind::Number
                                    : type == "text"                                     ? ColumnKind::Text
                                    : type == "int4" || type == "int8" || type == "int2" ? ColumnKind::Integer
                                    : type == "date"                                     ? ColumnKind::Date
                                                                                         : ColumnKind::Other;
            const quint64 key = packedKey(QByteArray(PQgetvalue(result, r, 0)).toULongLong(),
                                          QByteArray(PQgetvalue(result, r, 1)).toUShort(), 16);
            m_kinds.insert(key, kind);
        }
    }
}

ColumnKind PgEngine::kindOf(void* handle, int column)
{
    auto* result = static_cast<PGresult*>(handle);
    // A domain reports its base type, so a table column's kind comes from the table itself.
    const Oid table = PQftable(result, column);
    if (table != InvalidOid) {
        const quint64 key = packedKey(table, quint16(PQftablecol(result, column)), 16);
        // A table made again (by a recovery) has a new oid: its kinds are read once more.
        if (!m_kinds.contains(key) && !m_kindsLookedUp.contains(table)) {
            m_kindsLookedUp.insert(table);
            loadColumnKinds();
        }
        const auto found = m_kinds.constFind(key);
        if (found != m_kinds.constEnd())
            return *found;
    }
    switch (PQftype(result, column)) {
    case kText:
    case kVarchar:
        return ColumnKind::Text;
    case kInt2:
    case kInt4:
    case kInt8:
        return ColumnKind::Integer;
    case kDate:
        return ColumnKind::Date;
    default:
        return ColumnKind::Other;
    }
}

bool PgEngine::query(const QString& sql, const QVariantList& values, const QString& keyedTable, RecordSetBuilder& into,
                     QString* error)
{
    auto result = run(sql, values, error);
    if (!result)
        return false;
    readInto(*result, keyedTable, into);
    return true;
}

void PgEngine::readInto(const Result& result, const QString& keyedTable, RecordSetBuilder& into)
{
    PGresult* res = result.handle;
    const int width = PQnfields(res);
    // The hidden key never reaches the record set; a keyed set keeps it as the row's key.
    int keyColumn = -1;
    std::vector<int> shown;
    shown.reserve(size_t(width));
    for (int c = 0; c < width; ++c) {
        if (qstrcmp(PQfname(res, c), kHiddenKeyColumn) == 0 && PQftable(res, c) != InvalidOid) {
            if (keyColumn < 0)
                keyColumn = c;
            continue;
        }
        shown.push_back(c);
        into.addColumn(QString::fromUtf8(PQfname(res, c)), kindOf(res, c));
    }
    const bool keyed = !keyedTable.isEmpty() && keyColumn >= 0;
    const int rows = PQntuples(res);
    for (int r = 0; r < rows; ++r) {
        qint64 key = 0;
        if (keyed) {
            const char* text = PQgetvalue(res, r, keyColumn);
            std::from_chars(text, text + PQgetlength(res, r, keyColumn), key);
        }
        into.beginRow(key);
        for (int c : shown) {
            if (PQgetisnull(res, r, c))
                into.appendCell(nullptr, 0);
            else
                into.appendCell(PQgetvalue(res, r, c), PQgetlength(res, r, c));
        }
    }
}

bool PgEngine::scan(const QString& sql, const QVariantList& values, const std::function<bool(const ScannedRow&)>& visit,
                    QString* error)
{
    auto result = run(sql, values, error);
    if (!result)
        return false;
    PgRow row(result->handle);
    const int rows = PQntuples(result->handle);
    for (row.row = 0; row.row < rows; ++row.row)
        if (!visit(row))
            break;
    return true;
}

} // namespace marvono
