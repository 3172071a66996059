#include "data/rowscan.h"

#include "data/database.h"

#include <sqlcipher/sqlite3.h>

namespace marvono {

int ScannedRow::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

bool ScannedRow::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QByteArrayView ScannedRow::utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(m_statement, column)) : QByteArrayView();
}

bool scanRows(const QString& query, const std::function<bool(const ScannedRow&)>& visit, QString* error)
{
    Database& database = Database::instance();
    sqlite3_stmt* statement = database.prepare(query, error);
    if (!statement)
        return false;
    const ScannedRow row(statement);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!visit(row)) {
            rc = SQLITE_DONE;
            break;
        }
    }
    if (rc != SQLITE_DONE && error)
        *error = QString::fromUtf8(sqlite3_errmsg(database.connection(nullptr)));
    sqlite3_reset(statement);
    return rc == SQLITE_DONE;
}

} // namespace marvono
