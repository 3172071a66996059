// Moves an embedded system32.dll into a shop database on a server, in one transaction, and checks
// row counts and every value before committing.
#include "data/backup.h"
#include "data/database.h"
#include "data/pgschema.h"
#include "data/shopserver.h"
#include "shopdbtool.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
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
    bool keyed = false; // the server's table has the hidden key, which keeps the order rows came in
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
    const char* values[] = {name.constData()};
    PGresult* result = PQexecParams(server.handle(),
                                    "SELECT column_name FROM information_schema.columns WHERE table_schema = "
                                    "current_schema() AND table_name = $1 ORDER BY ordinal_position",
                                    1, nullptr, values, nullptr, nullptr, 0);
    const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0;
    if (ok) {
        for (int r = 0; r < PQntuples(result); ++r) {
            const QString column = QString::fromUtf8(PQgetvalue(result, r, 0));
            if (column == QLatin1String(kHiddenKeyColumn))
                table.keyed = true;
            else
                table.serverColumns.append(quotedIdentifier(server.handle(), column));
        }
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

// Reads the table back from the server and compares every value's text: in insertion order
// where the hidden key keeps it, else both sides sorted.
bool verify(ServerConnection& server, const Table& table, QString* error)
{
    QByteArrayList asText;
    for (const QByteArray& column : table.serverColumns)
        asText.append(column + "::text");
    QByteArray sql = "SELECT " + asText.join(", ") + " FROM " + quotedIdentifier(server.handle(), table.name);
    if (table.keyed)
        sql += QByteArray(" ORDER BY ") + kHiddenKeyColumn;
    PGresult* result = server.query(sql);
    if (!result) {
        *error = server.error();
        return false;
    }
    std::vector<Row> held(size_t(PQntuples(result)), Row(size_t(PQnfields(result))));
    for (int r = 0; r < PQntuples(result); ++r) {
        for (int c = 0; c < PQnfields(result); ++c) {
            if (!PQgetisnull(result, r, c))
                held[size_t(r)][size_t(c)] = QByteArray(PQgetvalue(result, r, c), PQgetlength(result, r, c));
        }
    }
    PQclear(result);
    // The server keeps the hash of a password it is given, never the password: a hash of the
    // file's password stands for it.
    const qsizetype password = table.name == QLatin1String("user_info") ? table.serverColumns.indexOf("\"cpwd\"") : -1;
    for (size_t r = 0; password >= 0 && r < std::min(held.size(), table.rows.size()); ++r) {
        std::optional<QByteArray>& value = held[r][size_t(password)];
        const std::optional<QByteArray>& plain = table.rows[r][size_t(password)];
        if (value && plain && hashedPasswordMatches(QString::fromUtf8(*value), QString::fromUtf8(*plain)))
            value = plain;
    }
    std::vector<Row> expected = table.rows;
    if (!table.keyed) {
        std::sort(held.begin(), held.end());
        std::sort(expected.begin(), expected.end());
    }
    if (held.size() != expected.size()) {
        *error = QStringLiteral("table %1 holds %2 rows on the server, %3 in the file")
                     .arg(table.name)
                     .arg(held.size())
                     .arg(expected.size());
        return false;
    }
    const auto text = [](const std::optional<QByteArray>& value) {
        return value ? QString::fromUtf8(*value) : QStringLiteral("NULL");
    };
    for (size_t r = 0; r < held.size(); ++r) {
        for (size_t c = 0; c < held[r].size(); ++c) {
            if (held[r][c] != expected[r][c]) {
                *error = QStringLiteral("table %1, row %2, column %3: the server holds \"%4\", the file \"%5\"")
                             .arg(table.name)
                             .arg(r + 1)
                             .arg(c)
                             .arg(text(held[r][c]), text(expected[r][c]));
                return false;
            }
        }
    }
    return true;
}

// A database that only ever had the init tool run on it holds what the schema puts in: the
// delivered account and a receipt counter that has not counted yet. Those give way to the
// file's; anything more is a shop's data.
bool holdsNoShopData(ServerConnection& server, const std::vector<Table>& tables, QString* error)
{
    QByteArrayList counts;
    for (const Table& table : tables)
        counts.append("(SELECT count(*) FROM " + quotedIdentifier(server.handle(), table.name) + ")");
    PGresult* result = server.query("SELECT " + counts.join(" + ") +
                                    ", (SELECT count(*) FROM marvono_counter WHERE cValue = 0),"
                                    " (SELECT cPwd FROM user_info WHERE cUser = 'vetch' LIMIT 1)");
    if (!result) {
        *error = server.error();
        return false;
    }
    const int rows = QByteArray(PQgetvalue(result, 0, 0)).toInt();
    const int delivered = QByteArray(PQgetvalue(result, 0, 1)).toInt() +
                          (!PQgetisnull(result, 0, 2) &&
                           hashedPasswordMatches(QString::fromUtf8(PQgetvalue(result, 0, 2)), QStringLiteral("vetch")));
    PQclear(result);
    if (rows > delivered) {
        *error = QStringLiteral("the database holds a shop's data already (%1 rows); nothing was changed").arg(rows);
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
    if (!holdsNoShopData(server, tables, error))
        return false;
    for (Table& table : tables) {
        if (!server.exec("DELETE FROM " + quotedIdentifier(server.handle(), table.name))) {
            *error = server.error();
            return false;
        }
        if (!readServerColumns(server, table, error) || !readEmbedded(db, table, error) ||
            !copyIn(server, table, error) || !verify(server, table, error))
            return false;
    }
    return true;
}

// Every table of the newest layout, spelt as the file spells it, in the order they were made.
std::vector<Table> layoutTables(sqlite3* db)
{
    const QStringList layout = embeddedSchemaTables(kSchemaVersion);
    std::vector<Table> tables;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid", -1, &statement,
                       nullptr);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        if (layout.contains(name.toLower()))
            tables.push_back(Table{name, {}, {}, false});
    }
    sqlite3_finalize(statement);
    return tables;
}

// An older file is moved from a copy brought to the newest layout by the program's own steps, so
// the file itself is only read. The read transaction held on it keeps a till's writes out of the
// copy. Returns the database to move from, or nothing with an error text.
sqlite3* upgradedCopy(sqlite3* db, const QString& path, const QTemporaryDir& folder, QString* error)
{
    const QString copy = folder.filePath(QStringLiteral("system32.dll"));
    const bool copied = folder.isValid() && copyFileAtomically(path, copy, error);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    sqlite3* upgraded = copied ? openEncrypted(copy, false, error) : nullptr;
    if (upgraded && !upgradeEmbeddedSchema(upgraded, error)) {
        sqlite3_close_v2(upgraded);
        return nullptr;
    }
    if (upgraded)
        sqlite3_exec(upgraded, "BEGIN", nullptr, nullptr, nullptr);
    return upgraded;
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
    sqlite3_exec(db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    const int version = embeddedSchemaVersion(db);
    if (version > kSchemaVersion) {
        sqlite3_close_v2(db);
        return fail(QStringLiteral("%1 is of a newer layout (version %2) than this tool moves (version %3)")
                        .arg(args.at(1))
                        .arg(version)
                        .arg(kSchemaVersion));
    }
    QTemporaryDir upgradeFolder;
    if (version < kSchemaVersion && !(db = upgradedCopy(db, args.at(1), upgradeFolder, &error)))
        return fail(QStringLiteral("cannot upgrade a copy of %1: %2").arg(args.at(1), error));

    ServerConnection server(args.at(2));
    if (!server.isOpen()) {
        sqlite3_close_v2(db);
        return fail(QStringLiteral("cannot connect: ") + server.error());
    }
    // The server's tables are made, or brought to the newest layout, before the move.
    if (shopOwnerRole(server.handle(), QStringLiteral("marvono-shopdb-move"), &error).isEmpty() ||
        (shopDataRowCount(server.handle(), &error) < 0 ? !createShopSchema(server.handle(), &error)
                                                       : !upgradeShopSchema(server.handle(), &error))) {
        sqlite3_close_v2(db);
        return fail(error);
    }
    std::vector<Table> tables = layoutTables(db);
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
