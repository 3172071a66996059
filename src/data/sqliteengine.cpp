#include "data/sqliteengine.h"

#include "data/database.h"
#include "data/rowscan.h"
#include "data/schema.h"

#include <QFileInfo>
#include <algorithm>
#include <sqlcipher/sqlite3.h>

namespace marvono {
namespace {

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

ColumnKind kindOf(const char* declared)
{
    const char* type = declared ? declared : "";
    if (qstricmp(type, "TEXT") == 0)
        return ColumnKind::Text;
    if (qstricmp(type, "NUMTEXT") == 0)
        return ColumnKind::Number;
    if (qstricmp(type, "INTEGER") == 0)
        return ColumnKind::Integer;
    if (qstricmp(type, "DATE") == 0)
        return ColumnKind::Date;
    return ColumnKind::Other;
}

bool bindValue(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return sqlite3_bind_null(statement, index) == SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return sqlite3_bind_int64(statement, index, value.toLongLong()) == SQLITE_OK;
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(statement, index, value.toDouble()) == SQLITE_OK;
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        return sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
}

QString quoted(const QString& identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

class SqliteRow final : public ScannedRow {
  public:
    explicit SqliteRow(sqlite3_stmt* statement) : m_statement(statement) {}
    int columnCount() const override { return sqlite3_column_count(m_statement); }
    bool isNull(int column) const override { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    QByteArrayView utf8(int column) const override
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return text ? QByteArrayView(text, sqlite3_column_bytes(m_statement, column)) : QByteArrayView();
    }

  private:
    sqlite3_stmt* m_statement;
};

} // namespace

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
    if (sqlite3_key(db, key.constData(), int(key.size())) != SQLITE_OK ||
        !execPlain(db, "SELECT count(*) FROM sqlite_master", error)) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    return db;
}

SqliteEngine::~SqliteEngine()
{
    close();
}

bool SqliteEngine::open(const QString& path, QString* error)
{
    close();
    m_db = openEncrypted(path, false, error);
    if (!m_db)
        return false;
    // A file of an older version (an old copy put back, a recovered backup) is brought up to
    // date before the first statement runs on it.
    QString upgradeError;
    if (!upgradeEmbeddedSchema(m_db, &upgradeError)) {
        if (error)
            *error = QStringLiteral("The database file %1 cannot be upgraded: %2").arg(path, upgradeError);
        close();
        return false;
    }
    m_openedPath = path;
    return true;
}

void SqliteEngine::close()
{
    for (sqlite3_stmt* statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    m_statements.clear();
    m_columns.clear();
    m_tableColumns.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_openedPath.clear();
}

sqlite3_stmt* SqliteEngine::prepare(const QString& sql, QString* error)
{
    if (!m_db) {
        if (error)
            *error = QStringLiteral("The database is not open.");
        return nullptr;
    }
    if (sqlite3_stmt* cached = m_statements.value(sql)) {
        sqlite3_reset(cached);
        sqlite3_clear_bindings(cached);
        return cached;
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &statement, &tail) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
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
        m_columns.clear();
    }
    m_statements.insert(sql, statement);
    return statement;
}

bool SqliteEngine::step(sqlite3_stmt* statement, const QVariantList& values, QString* error)
{
    for (int i = 0; i < values.size(); ++i)
        bindValue(statement, i + 1, values[i]);
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (rc != SQLITE_DONE) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

bool SqliteEngine::execute(const QString& sql, const QVariantList& values, QString* error)
{
    sqlite3_stmt* statement = prepare(sql, error);
    return statement && step(statement, values, error);
}

bool SqliteEngine::query(const QString& sql, const QVariantList& values, const QString& keyedTable,
                         RecordSetBuilder& into, QString* error)
{
    // "select * from T ..." gets the row id in front so rows can be written back.
    static const qsizetype selectAllFrom = QStringLiteral("select * from ").size();
    const int skip = keyedTable.isEmpty() ? 0 : 1;
    sqlite3_stmt* prepared =
        prepare(skip ? QStringLiteral("select rowid, * from ") + sql.mid(selectAllFrom) : sql, error);
    if (!prepared)
        return false;
    for (int i = 0; i < values.size(); ++i)
        bindValue(prepared, i + 1, values[i]);
    // The columns are read after the first step: a statement whose tables changed since it was
    // prepared is prepared again by that step, and only then names the columns it returns.
    int rc = sqlite3_step(prepared);
    const int width = sqlite3_column_count(prepared) - skip;
    // A statement run again names the same columns, unless the schema changed under it: the
    // names and types are compared, and made into texts only when they differ.
    std::vector<KnownColumn>& known = m_columns[prepared];
    known.resize(size_t(qMax(width, 0)));
    for (int c = 0; c < width; ++c) {
        KnownColumn& column = known[size_t(c)];
        const char* name = sqlite3_column_name(prepared, c + skip);
        const char* declared = sqlite3_column_decltype(prepared, c + skip);
        if (column.name.isNull() || qstrcmp(column.utf8Name, name) != 0 || qstrcmp(column.declared, declared) != 0) {
            column.utf8Name = name;
            column.declared = declared;
            column.name = QString::fromUtf8(name);
            column.kind = kindOf(declared);
        }
        into.addColumn(column.name, column.kind);
    }
    for (; rc == SQLITE_ROW; rc = sqlite3_step(prepared)) {
        into.beginRow(skip ? sqlite3_column_int64(prepared, 0) : 0);
        for (int c = 0; c < width; ++c) {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(prepared, c + skip));
            // No text is NULL, except for an empty blob, which reads as an empty text.
            if (!text && sqlite3_column_type(prepared, c + skip) != SQLITE_NULL)
                text = "";
            into.appendCell(text, text ? sqlite3_column_bytes(prepared, c + skip) : 0);
        }
    }
    sqlite3_reset(prepared);
    if (rc != SQLITE_DONE) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

bool SqliteEngine::scan(const QString& sql, const QVariantList& values,
                        const std::function<bool(const ScannedRow&)>& visit, QString* error)
{
    sqlite3_stmt* statement = prepare(sql, error);
    if (!statement)
        return false;
    for (int i = 0; i < values.size(); ++i)
        bindValue(statement, i + 1, values[i]);
    const SqliteRow row(statement);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!visit(row)) {
            rc = SQLITE_DONE;
            break;
        }
    }
    if (rc != SQLITE_DONE && error)
        *error = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_reset(statement);
    return rc == SQLITE_DONE;
}

bool SqliteEngine::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

bool SqliteEngine::insertRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64* key,
                             QString* error)
{
    auto made = std::find_if(m_inserts.begin(), m_inserts.end(),
                             [&](const InsertText& text) { return text.table == table && text.columns == columns; });
    if (made == m_inserts.end()) {
        QStringList names;
        for (const QString& column : columns)
            names.append(quoted(column));
        QString sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table))
                                      : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                            .arg(quoted(table), names.join(QLatin1Char(',')),
                                                 QStringList(names.size(), QStringLiteral("?")).join(QLatin1Char(',')));
        if (m_inserts.size() >= 8)
            m_inserts.erase(m_inserts.begin());
        made = m_inserts.insert(m_inserts.end(), {table, columns, std::move(sql)});
    }
    const QString sql = made->sql;
    sqlite3_stmt* statement = prepare(sql, error);
    if (!statement || !step(statement, values, error))
        return false;
    if (key)
        *key = sqlite3_last_insert_rowid(m_db);
    return true;
}

bool SqliteEngine::updateRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64 key,
                             QString* error)
{
    QStringList assignments;
    for (const QString& column : columns)
        assignments.append(quoted(column) + QStringLiteral("=?"));
    sqlite3_stmt* statement = prepare(
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(quoted(table), assignments.join(QLatin1Char(','))), error);
    if (!statement)
        return false;
    QVariantList bound = values;
    bound.append(key);
    return step(statement, bound, error) && touchedRow(error);
}

bool SqliteEngine::deleteRow(const QString& table, qint64 key, QString* error)
{
    sqlite3_stmt* statement = prepare(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoted(table)), error);
    return statement && step(statement, {key}, error) && touchedRow(error);
}

bool SqliteEngine::touchedRow(QString* error)
{
    if (sqlite3_changes(m_db) > 0)
        return true;
    if (error)
        *error = rowGoneText();
    return false;
}

bool SqliteEngine::lockAndQuery(const QString& table, const QString& column, const QVariant& value,
                                RecordSetBuilder& into, QString* error)
{
    return query(QStringLiteral("select * from %1 where %2=?").arg(table, column), {value}, table, into, error);
}

qint64 SqliteEngine::nextReceiptNumber(QString* error)
{
    qint64 number = 0;
    const auto read = [&number](const ScannedRow& row) {
        number = row.utf8(0).toLongLong();
        return false;
    };
    const bool ok =
        execute(QStringLiteral("update marvono_counter set cValue = cValue + 1 where cName = 'receipt'"), {}, error) &&
        scan(QStringLiteral("select cValue from marvono_counter where cName = 'receipt'"), {}, read, error);
    return ok ? number : 0;
}

bool SqliteEngine::takeOpenStockMoves(qint64 close, QString* error)
{
    return execute(QStringLiteral("update marvono_stock_move set cClose = ? where cClose is null"), {close}, error);
}

bool SqliteEngine::begin(QString* error)
{
    return m_db && execPlain(m_db, "BEGIN IMMEDIATE", error);
}

bool SqliteEngine::commit(QString* error)
{
    if (m_db && execPlain(m_db, "COMMIT", error))
        return true;
    rollback();
    return false;
}

void SqliteEngine::rollback()
{
    if (m_db)
        execPlain(m_db, "ROLLBACK", nullptr);
}

} // namespace marvono
