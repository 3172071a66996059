// Moves an embedded system32.dll into a shop database on a server, in one transaction, and checks
// row counts and every value before committing.
#include "data/database.h"
#include "data/pgschema.h"
#include "data/shopserver.h"
#include "shopdbtool.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <optional>
#include <sqlcipher/sqlite3.h>
#include <vector>

using namespace marvono;
using tools::ServerConnection;

namespace {

using Row = std::vector<std::optional<QByteArray>>;

struct Table {
    QString name;
    QByteArrayList serverColumns; // in table order, the hidden key left out
    std::vector<Row> rows;
};

QByteArray quotedIdentifier(PGconn* conn, const QString& name)
{
    const QByteArray utf8 = name.toLower().toUtf8();
    char* quoted = PQescapeIdentifier(conn, utf8.constData(), size_t(utf8.size()));
    const QByteArray result(quoted ? quoted : "");
    PQfreemem(quoted);
    return result;
}

// Every row of one embedded table in stored order, each value as its text (NULL kept apart).
bool readEmbedded(sqlite3* db, Table& table, QString* error)
{
    const QByteArray sql = "SELECT * FROM \"" + table.name.toUtf8() + "\" ORDER BY rowid";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("cannot read table %1: %2").arg(table.name, QString::fromUtf8(sqlite3_errmsg(db)));
        return false;
    }
    const int columns = sqlite3_column_count(statement);
    if (columns != table.serverColumns.size()) {
        *error = QStringLiteral("table %1 has %2 columns in the file but %3 on the server")
                     .arg(table.name)
                     .arg(columns)
                     .arg(table.serverColumns.size());
        sqlite3_finalize(statement);
        return false;
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        Row row(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_NULL)
                continue;
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
            row[size_t(c)] = QByteArray(text, sqlite3_column_bytes(statement, c));
        }
        table.rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE) {
        *error = QStringLiteral("cannot read table %1: %2").arg(table.name, QString::fromUtf8(sqlite3_errmsg(db)));
        return false;
    }
    return true;
}

bool readServerColumns(ServerConnection& server, Table& table, QString* error)
{
    const QByteArray name = table.name.toLower().toUtf8();
    const char* values[] = {name.constData(), kHiddenKeyColumn};
    PGresult* result = PQexecParams(server.handle(),
                                    "SELECT column_name FROM information_schema.columns WHERE table_schema = "
                                    "current_schema() AND table_name = $1 AND column_name <> $2 "
                                    "ORDER BY ordinal_position",
                                    2, nullptr, values, nullptr, nullptr, 0);
    const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0;
    if (ok) {
        for (int r = 0; r < PQntuples(result); ++r)
            table.serverColumns.append(quotedIdentifier(server.handle(), QString::fromUtf8(PQgetvalue(result, r, 0))));
    } else {
        *error = QStringLiteral("the server has no table %1").arg(table.name);
    }
    PQclear(result);
    return ok;
}

// COPY's text format: backslash, tab, newline and carriage return escaped, \N for NULL.
void appendCopyField(QByteArray& line, const std::optional<QByteArray>& value)
{
    if (!value) {
        line += "\\N";
        return;
    }
    for (const char ch : *value) {
        switch (ch) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += ch;
        }
    }
}

bool copyIn(ServerConnection& server, const Table& table, QString* error)
{
    const QByteArray sql = "COPY " + quotedIdentifier(server.handle(), table.name) + " (" +
                           table.serverColumns.join(", ") + ") FROM STDIN";
    PGresult* result = PQexec(server.handle(), sql.constData());
    const bool started = PQresultStatus(result) == PGRES_COPY_IN;
    PQclear(result);
    if (!started) {
        *error = QString::fromUtf8(PQerrorMessage(server.handle())).trimmed();
        return false;
    }
    QByteArray buffer;
    bool sent = true;
    for (const Row& row : table.rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                buffer += '\t';
            appendCopyField(buffer, row[c]);
        }
        buffer += '\n';
        if (buffer.size() > 256 * 1024) {
            sent = PQputCopyData(server.handle(), buffer.constData(), int(buffer.size())) == 1;
            buffer.clear();
            if (!sent)
                break;
        }
    }
    if (sent && !buffer.isEmpty())
        sent = PQputCopyData(server.handle(), buffer.constData(), int(buffer.size())) == 1;
    PQputCopyEnd(server.handle(), sent ? nullptr : "the move stopped");
    bool ok = sent;
    while ((result = PQgetResult(server.handle())) != nullptr) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK) {
            ok = false;
            *error = QStringLiteral("table %1: %2")
                         .arg(table.name, QString::fromUtf8(PQresultErrorMessage(result)).trimmed());
        }
        PQclear(result);
    }
    return ok;
}

// Reads the table back from the server in insertion order and compares every value's text.
bool verify(ServerConnection& server, const Table& table, QString* error)
{
    QByteArrayList asText;
    for (const QByteArray& column : table.serverColumns)
        asText.append(column + "::text");
    const QByteArray sql = "SELECT " + asText.join(", ") + " FROM " + quotedIdentifier(server.handle(), table.name) +
                           " ORDER BY " + kHiddenKeyColumn;
    PGresult* result = server.query(sql);
    if (!result) {
        *error = server.error();
        return false;
    }
    bool same = PQntuples(result) == int(table.rows.size());
    if (!same)
        *error = QStringLiteral("table %1 holds %2 rows on the server, %3 in the file")
                     .arg(table.name)
                     .arg(PQntuples(result))
                     .arg(table.rows.size());
    for (int r = 0; same && r < PQntuples(result); ++r) {
        for (int c = 0; same && c < PQnfields(result); ++c) {
            const std::optional<QByteArray>& expected = table.rows[size_t(r)][size_t(c)];
            const bool isNull = PQgetisnull(result, r, c);
            same = isNull == !expected.has_value() &&
                   (isNull || QByteArray(PQgetvalue(result, r, c), PQgetlength(result, r, c)) == *expected);
            if (!same)
                *error = QStringLiteral("table %1, row %2, column %3: the server holds \"%4\", the file \"%5\"")
                             .arg(table.name)
                             .arg(r + 1)
                             .arg(c)
                             .arg(isNull ? QStringLiteral("NULL") : QString::fromUtf8(PQgetvalue(result, r, c)),
                                  expected ? QString::fromUtf8(*expected) : QStringLiteral("NULL"));
        }
    }
    PQclear(result);
    return same;
}

// A database that only ever had the init tool run on it holds the delivered account and
// nothing else; that account gives way to the file's. Anything more is a shop's data.
bool holdsNoShopData(ServerConnection& server, QString* error)
{
    PGresult* result = server.query("SELECT (SELECT count(*) FROM product_info) + (SELECT count(*) FROM Bill)"
                                    " + (SELECT count(*) FROM PanDian) + (SELECT count(*) FROM change),"
                                    " (SELECT count(*) FROM user_info),"
                                    " (SELECT count(*) FROM user_info WHERE cUser = 'vetch' AND cPwd = 'vetch')");
    if (!result) {
        *error = server.error();
        return false;
    }
    const int other = QByteArray(PQgetvalue(result, 0, 0)).toInt();
    const int accounts = QByteArray(PQgetvalue(result, 0, 1)).toInt();
    const int delivered = QByteArray(PQgetvalue(result, 0, 2)).toInt();
    PQclear(result);
    if (other > 0 || accounts > 1 || accounts != delivered) {
        *error = QStringLiteral("the database holds a shop's data already (%1 rows); nothing was changed")
                     .arg(other + accounts);
        return false;
    }
    return true;
}

bool move(sqlite3* db, ServerConnection& server, std::vector<Table>& tables, QString* error)
{
    // Taken before the emptiness check, so two moves (or a till) cannot slip in between.
    QByteArrayList names;
    for (const Table& table : tables)
        names.append(quotedIdentifier(server.handle(), table.name));
    if (!server.exec("LOCK TABLE " + names.join(", ") + " IN EXCLUSIVE MODE")) {
        *error = server.error();
        return false;
    }
    if (!holdsNoShopData(server, error))
        return false;
    if (!server.exec("DELETE FROM user_info")) {
        *error = server.error();
        return false;
    }
    for (Table& table : tables) {
        if (!readServerColumns(server, table, error) || !readEmbedded(db, table, error) ||
            !copyIn(server, table, error) || !verify(server, table, error))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (const auto exit =
            tools::commandLineExit(args, 2, "marvono-shopdb-move PATH/system32.dll \"<libpq connection string>\"",
                                   "Moves the data of a till's system32.dll into a shop database on a PostgreSQL\n"
                                   "server in one transaction, checking row counts and every value before it\n"
                                   "commits. A shop database that holds data already is left alone."))
        return *exit;
    auto fail = [](const QString& text) {
        std::fprintf(stderr, "marvono-shopdb-move: %s\n", qPrintable(text));
        return 1;
    };
    QString error;
    if (!QFileInfo(args.at(1)).isFile())
        return fail(QStringLiteral("%1 does not exist").arg(args.at(1)));
    sqlite3* db = openEncrypted(args.at(1), true, &error);
    if (!db)
        return fail(QStringLiteral("cannot open %1: %2").arg(args.at(1), error));
    // The file is read inside one read transaction, so a till still writing to it cannot make
    // the copy mix two states.
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);

    ServerConnection server(args.at(2));
    if (!server.isOpen()) {
        sqlite3_close_v2(db);
        return fail(QStringLiteral("cannot connect: ") + server.error());
    }
    if (shopOwnerRole(server.handle(), QStringLiteral("marvono-shopdb-move"), &error).isEmpty() ||
        (shopDataRowCount(server.handle(), &error) < 0 && !createShopSchema(server.handle(), &error))) {
        sqlite3_close_v2(db);
        return fail(error);
    }
    std::vector<Table> tables;
    for (const QString& name : tools::shopTables())
        tables.push_back(Table{name, {}, {}});
    const bool moved = server.exec("BEGIN") && move(db, server, tables, &error) && server.exec("COMMIT");
    if (!moved && error.isEmpty())
        error = server.error();
    if (!moved)
        server.exec("ROLLBACK");
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    if (!moved)
        return fail(error + QStringLiteral(" (nothing was moved)"));
    for (const Table& table : tables)
        std::printf("%s: %zu rows moved and checked\n", qPrintable(table.name), table.rows.size());
    if (!markMovedToServer(args.at(1), args.at(2), &error))
        return fail(
            QStringLiteral("the data was moved, but %1 could not be marked as moved: %2").arg(args.at(1), error));
    std::printf("%s is marked as moved: a till without the shop server's shopserver.conf will say so.\n",
                qPrintable(args.at(1)));
    return 0;
}
