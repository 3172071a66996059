#include "data/pgbackup.h"

#include "app/text.h"
#include "data/pgschema.h"
#include "data/shoprules.h"
#include "data/shopserver.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>
#include <libpq-fe.h>

namespace marvono {
namespace {

const QStringList& shopTableNames()
{
    static const QStringList names{QStringLiteral("product_info"), QStringLiteral("bill"), QStringLiteral("pandian"),
                                   QStringLiteral("user_info"), QStringLiteral("change")};
    return names;
}

// Runs a client program to its end; false with its error output on failure.
bool runClient(const QString& program, const QStringList& arguments, QByteArray* output, QString* error)
{
    QProcess process;
    process.start(postgresClientProgram(program), arguments);
    if (!process.waitForStarted(30000)) {
        setError(error, QStringLiteral("%1 cannot start: %2").arg(program, process.errorString()));
        return false;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        setError(error, QStringLiteral("%1 failed: %2")
                            .arg(program, QString::fromLocal8Bit(process.readAllStandardError()).trimmed()));
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

// The archive's table of contents, one entry per line, comments left out.
bool archiveContents(const QString& path, QStringList* entries, QString* error)
{
    QByteArray listing;
    if (!runClient(QStringLiteral("pg_restore"), {QStringLiteral("--list"), QStringLiteral("--"), path}, &listing,
                   error))
        return false;
    for (const QByteArray& line : listing.split('\n')) {
        if (!line.isEmpty() && !line.startsWith(';'))
            entries->append(QString::fromUtf8(line));
    }
    return true;
}

// The part of an entry after its ids: "TABLE public product_info postgres" and the like.
QString entryDescription(const QString& entry)
{
    const qsizetype afterIds =
        entry.indexOf(QLatin1Char(' '), entry.indexOf(QLatin1Char(' '), entry.indexOf(QLatin1Char(' ')) + 1) + 1);
    return afterIds < 0 ? QString() : entry.mid(afterIds + 1);
}

// The archive's contents list, when it holds the five tables of a shop database and their data.
bool shopArchiveContents(const QString& path, QStringList* entries, QString* error)
{
    if (!QFileInfo(path).isFile()) {
        setError(error, QStringLiteral("%1 is not a file").arg(path));
        return false;
    }
    if (!archiveContents(path, entries, error))
        return false;
    QSet<QString> tables;
    QSet<QString> data;
    for (const QString& entry : *entries) {
        const QStringList words = entryDescription(entry).split(QLatin1Char(' '));
        if (words.size() < 3 || words[0] != QLatin1String("TABLE"))
            continue;
        if (words[1] == QLatin1String("DATA")) {
            if (words.size() >= 4)
                data.insert(words[3]);
        } else {
            tables.insert(words[2]);
        }
    }
    for (const QString& name : shopTableNames()) {
        if (!tables.contains(name) || !data.contains(name)) {
            setError(error, QStringLiteral("%1 holds no table %2 of a shop database.").arg(path, name));
            return false;
        }
    }
    return true;
}

// Every object of the program's schema as the archive's contents list names it, without the
// owner: "TABLE public bill", "TRIGGER public product_info product_info_announce", and the entries
// that only carry such an object's data or grants. Read from the live schema the program has just
// made, so whatever the schema code creates is accepted and nothing else.
const char* const kSchemaEntries = R"sql(
WITH objects(kind, tag, owned) AS (
    SELECT CASE c.relkind WHEN 'S' THEN 'SEQUENCE' WHEN 'i' THEN 'INDEX' ELSE 'TABLE' END, c.relname, c.relkind
    FROM pg_class c WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind IN ('r', 'S', 'i')
    UNION ALL SELECT 'FUNCTION', p.proname || '(' || pg_get_function_identity_arguments(p.oid) || ')', 'f'
    FROM pg_proc p WHERE p.pronamespace = current_schema()::regnamespace
    UNION ALL SELECT CASE t.typtype WHEN 'd' THEN 'DOMAIN' ELSE 'TYPE' END, t.typname, 't'
    FROM pg_type t WHERE t.typnamespace = current_schema()::regnamespace AND t.typtype IN ('d', 'e')
    UNION ALL SELECT CASE co.contype WHEN 'f' THEN 'FK CONSTRAINT' ELSE 'CONSTRAINT' END, r.relname || ' ' || co.conname, 'c'
    FROM pg_constraint co JOIN pg_class r ON r.oid = co.conrelid WHERE r.relnamespace = current_schema()::regnamespace
    UNION ALL SELECT 'TRIGGER', r.relname || ' ' || tg.tgname, 'g'
    FROM pg_trigger tg JOIN pg_class r ON r.oid = tg.tgrelid
    WHERE r.relnamespace = current_schema()::regnamespace AND NOT tg.tgisinternal)
SELECT kind || ' ' || current_schema() || ' ' || tag FROM objects
UNION ALL SELECT 'ACL ' || current_schema() || ' ' || kind || ' ' || tag FROM objects WHERE owned IN ('r', 'S', 'f')
UNION ALL SELECT 'ACL ' || current_schema() || ' COLUMN ' || c.relname || '.' || a.attname
FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid
WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r' AND a.attacl IS NOT NULL
UNION ALL SELECT 'TABLE DATA ' || current_schema() || ' ' || tag FROM objects WHERE owned = 'r'
UNION ALL SELECT 'SEQUENCE SET ' || current_schema() || ' ' || tag FROM objects WHERE owned = 'S'
UNION ALL SELECT 'SEQUENCE OWNED BY ' || current_schema() || ' ' || tag FROM objects WHERE owned = 'S'
)sql";

// The COPY line pg_restore writes before a table's rows, for each table of the live schema, and
// the statement that takes those rows in.
const char* const kCopyHeaders = R"sql(
SELECT format('COPY %s.%s (%s) FROM stdin;', quote_ident(current_schema()), quote_ident(c.relname), cols),
       format('COPY %s.%s (%s) FROM STDIN', quote_ident(current_schema()), quote_ident(c.relname), cols),
       format('DELETE FROM %s.%s', quote_ident(current_schema()), quote_ident(c.relname))
FROM pg_class c, LATERAL (SELECT string_agg(quote_ident(a.attname), ', ' ORDER BY a.attnum) AS cols
    FROM pg_attribute a WHERE a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped) AS columns
WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r'
)sql";

// Everything of the old shop database goes, whatever an earlier restore brought along: the
// schema's tables, views, sequences, routines and types, and other schemas of the owner. What an
// extension installed is the extension's, and stays.
const char* const kDropEverything = R"sql(
DO $drop$
DECLARE
    item record;
BEGIN
    FOR item IN SELECT n.nspname FROM pg_namespace n WHERE n.nspowner = current_user::regrole
        AND n.oid <> current_schema()::regnamespace AND n.nspname NOT LIKE 'pg\_%'
        AND n.nspname <> 'information_schema' LOOP
        EXECUTE format('DROP SCHEMA IF EXISTS %I CASCADE', item.nspname);
    END LOOP;
    FOR item IN SELECT CASE c.relkind WHEN 'v' THEN 'VIEW' WHEN 'm' THEN 'MATERIALIZED VIEW'
        WHEN 'f' THEN 'FOREIGN TABLE' WHEN 'S' THEN 'SEQUENCE' ELSE 'TABLE' END AS kind, c.relname AS name
        FROM pg_class c WHERE c.relnamespace = current_schema()::regnamespace
        AND c.relkind IN ('r', 'p', 'v', 'm', 'f', 'S') AND NOT EXISTS (SELECT FROM pg_depend d
            WHERE d.classid = 'pg_class'::regclass AND d.objid = c.oid AND d.deptype IN ('a', 'i', 'e')) LOOP
        EXECUTE format('DROP %s IF EXISTS %I.%I CASCADE', item.kind, current_schema(), item.name);
    END LOOP;
    FOR item IN SELECT CASE p.prokind WHEN 'a' THEN 'AGGREGATE' ELSE 'ROUTINE' END AS kind,
        format('%I.%I(%s)', current_schema(), p.proname, pg_get_function_identity_arguments(p.oid)) AS name
        FROM pg_proc p WHERE p.pronamespace = current_schema()::regnamespace AND p.prokind <> 'w'
        AND NOT EXISTS (SELECT FROM pg_depend d WHERE d.classid = 'pg_proc'::regclass AND d.objid = p.oid
            AND d.deptype = 'e') LOOP
        EXECUTE format('DROP %s IF EXISTS %s CASCADE', item.kind, item.name);
    END LOOP;
    FOR item IN SELECT t.typname FROM pg_type t WHERE t.typnamespace = current_schema()::regnamespace
        AND (t.typtype IN ('d', 'e', 'r') OR (t.typtype = 'c' AND
             (SELECT c.relkind FROM pg_class c WHERE c.oid = t.typrelid) = 'c')) AND NOT EXISTS (SELECT
            FROM pg_depend d WHERE d.classid = 'pg_type'::regclass AND d.objid = t.oid AND d.deptype = 'e') LOOP
        EXECUTE format('DROP TYPE IF EXISTS %I.%I CASCADE', current_schema(), item.typname);
    END LOOP;
END
$drop$
)sql";

// New rows after a recovery take keys past the restored ones.
const char* const kAdvanceSequences = R"sql(
DO $advance$
DECLARE
    item record;
BEGIN
    FOR item IN SELECT format('%I.%I', current_schema(), c.relname) AS tab, a.attname AS col,
        pg_get_serial_sequence(format('%I.%I', current_schema(), c.relname), a.attname) AS seq
        FROM pg_class c JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
        WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r' LOOP
        IF item.seq IS NOT NULL THEN
            EXECUTE format('SELECT setval(%L, coalesce((SELECT max(%I) FROM %s), 0) + 1, false)',
                           item.seq, item.col, item.tab);
        END IF;
    END LOOP;
END
$advance$
)sql";

// Before the live data is archived, writers are kept out of every table until the recovery ends,
// so the archive holds exactly what the recovery replaces.
const char* const kLockTables = R"sql(
DO $lock$
DECLARE
    item record;
BEGIN
    FOR item IN SELECT c.relname FROM pg_class c WHERE c.relnamespace = current_schema()::regnamespace
        AND c.relkind = 'r' AND c.relowner = current_user::regrole LOOP
        EXECUTE format('LOCK TABLE %I.%I IN EXCLUSIVE MODE', current_schema(), item.relname);
    END LOOP;
END
$lock$
)sql";

// A connection to the shop database, closed with the object.
class Connection {
  public:
    explicit Connection(const QString& conninfo) : m_conn(connectToShopServer(conninfo)) {}
    ~Connection() { PQfinish(m_conn); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    PGconn* handle() const { return m_conn; }

  private:
    PGconn* m_conn;
};

// Entries of the archive that are no object of the program's schema.
QStringList foreignEntries(const QStringList& entries, const QSet<QString>& allowed)
{
    QStringList foreign;
    for (const QString& entry : entries) {
        QString description = entryDescription(entry);
        // The owner comes last; the grants of the owner's default privileges only ever add to the
        // schema's own objects, and nothing of the archive but its rows is run anyway.
        description.truncate(description.lastIndexOf(QLatin1Char(' ')));
        if (!allowed.contains(description) && !description.startsWith(QLatin1String("DEFAULT ACL ")))
            foreign.append(description);
    }
    return foreign;
}

// pg_restore writing the rows of an archive's tables as text, read line by line.
class ArchiveText {
  public:
    bool start(const QString& source, const QStringList& dataEntries, QString* error)
    {
        if (!m_list.open() || m_list.write(dataEntries.join(QLatin1Char('\n')).toUtf8() + '\n') < 0 ||
            !m_list.flush()) {
            return fail(error,
                        QStringLiteral("Cannot write a list of the archive's tables: %1").arg(m_list.errorString()));
        }
        m_restore.start(postgresClientProgram(QStringLiteral("pg_restore")),
                        {QStringLiteral("--data-only"), QStringLiteral("--file=-"), QStringLiteral("--use-list"),
                         m_list.fileName(), QStringLiteral("--"), source});
        if (!m_restore.waitForStarted(30000))
            return fail(error, QStringLiteral("pg_restore cannot start: %1").arg(m_restore.errorString()));
        m_restore.closeWriteChannel();
        return true;
    }

    bool readLine(QByteArray* line)
    {
        while (!m_restore.canReadLine() && m_restore.state() != QProcess::NotRunning)
            m_restore.waitForReadyRead(1000);
        *line = m_restore.canReadLine() ? m_restore.readLine() : m_restore.readAllStandardOutput();
        return !line->isEmpty();
    }

    // Waits for pg_restore to end; after a failure (`ok` false) the rest is not wanted.
    bool finish(bool ok, QString* error)
    {
        if (!ok)
            m_restore.kill();
        m_restore.waitForFinished(-1);
        if (ok && (m_restore.exitStatus() != QProcess::NormalExit || m_restore.exitCode() != 0)) {
            return fail(error, QStringLiteral("pg_restore failed: %1")
                                   .arg(QString::fromLocal8Bit(m_restore.readAllStandardError()).trimmed()));
        }
        return ok;
    }

  private:
    QTemporaryFile m_list;
    QProcess m_restore;
};

// How a COPY header of the archive ends.
const QLatin1String kRowsFollow(") FROM stdin;");

// The live table a COPY header of the archive belongs to (a row of kCopyHeaders), or nothing.
// An archive of an earlier version may lack the columns later versions added to a table of the
// program's own; they come last, and its rows leave them empty.
const QStringList* tableOfHeader(const QList<QStringList>& headers, const QString& header)
{
    const auto fits = [&header](const QStringList& row) {
        return row[0] == header || (header.endsWith(kRowsFollow) && row[0].endsWith(kRowsFollow) &&
                                    row[0].startsWith(header.chopped(kRowsFollow.size()) + QStringLiteral(", ")));
    };
    const auto table = std::find_if(headers.cbegin(), headers.cend(), fits);
    return table == headers.cend() ? nullptr : &*table;
}

// Copies the rows that follow a COPY header, up to the archive's end-of-rows line, into `table`.
bool copyTableRows(PGconn* conn, const QStringList& table, const QString& header, ArchiveText& text, QString* error)
{
    // The rows replace what the schema put in on its own, such as the delivered account.
    if (!runStatements(conn, table[2].toUtf8().constData(), error))
        return false;
    // A header that is a leading part of the table's own is made of the program's quoted names.
    const QString copy =
        table[0] == header ? table[1] : header.chopped(kRowsFollow.size()) + QStringLiteral(") FROM STDIN");
    PGresult* started = PQexec(conn, copy.toUtf8().constData());
    bool ok = PQresultStatus(started) == PGRES_COPY_IN;
    if (!ok)
        setError(error, serverErrorText(conn, started));
    PQclear(started);
    bool ended = false;
    QByteArray line;
    while (ok && text.readLine(&line)) {
        if (line == "\\.\n" || line == "\\.") {
            ended = true;
            break;
        }
        ok = PQputCopyData(conn, line.constData(), int(line.size())) == 1;
    }
    if (!ok)
        return false;
    PQputCopyEnd(conn, ended ? nullptr : "the archive ended inside a table");
    while (PGresult* result = PQgetResult(conn)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK) {
            ok = false;
            setError(error, serverErrorText(conn, result));
        }
        PQclear(result);
    }
    return ok;
}

// Streams the rows of the archive's tables into the live ones. Only the rows are taken, each
// table's through a COPY the program writes itself for the table's columns as the schema has
// them: no statement of the archive is ever run.
bool copyArchiveRows(PGconn* conn, const QString& source, const QStringList& dataEntries, QString* error)
{
    const auto headers = queryRows(conn, kCopyHeaders, error);
    ArchiveText text;
    if (!headers || !text.start(source, dataEntries, error))
        return false;
    QSet<QString> copied;
    bool ok = true;
    QByteArray line;
    while (ok && text.readLine(&line)) {
        // The rows come in the archive's own encoding.
        if (line.startsWith("SET client_encoding = '") && line.endsWith("';\n")) {
            const QByteArray encoding = line.mid(23, line.size() - 23 - 3);
            ok = PQsetClientEncoding(conn, encoding.constData()) == 0;
            if (!ok)
                setError(error, QStringLiteral("unknown encoding %1").arg(QString::fromUtf8(encoding)));
            continue;
        }
        if (!line.startsWith("COPY "))
            continue;
        const QString header = QString::fromUtf8(line).trimmed();
        const QStringList* table = tableOfHeader(*headers, header);
        if (!table || copied.contains(header))
            return text.finish(
                fail(error, QStringLiteral("%1 holds rows a shop database has not: %2").arg(source, header)), error);
        copied.insert(header);
        ok = copyTableRows(conn, *table, header, text, error);
    }
    // A refused or failed table ends the recovery: the rest of the archive is not wanted.
    return text.finish(ok, error);
}

// Archives the live data to `destination` from inside the recovery's transaction on `conn`.
bool keepLiveData(PGconn* conn, const QString& conninfo, const QString& destination, QString* error)
{
    if (!runStatements(conn, kLockTables, error))
        return false;
    // The archive is written while this transaction waits; the session must outlast it.
    const auto snapshot =
        queryRows(conn, "SET LOCAL idle_in_transaction_session_timeout = 0; SELECT pg_export_snapshot()", error);
    return snapshot && backupShopServer(conninfo, destination, error, snapshot->value(0).value(0));
}

// The recovery proper, inside the caller's transaction on `conn`.
bool replaceShopDatabase(PGconn* conn, const QString& conninfo, const QString& source, const QStringList& entries,
                         const QString& keepAs, QString* error)
{
    const QString owner = shopOwnerRole(conn, QStringLiteral("Recovery"), error);
    if (owner.isEmpty())
        return false;
    // The schema is made afresh as the shop's owner, so its grants to the tills' role follow.
    char* quoted = PQescapeIdentifier(conn, owner.toUtf8().constData(), size_t(owner.toUtf8().size()));
    const QByteArray setRole = QByteArray("SET LOCAL ROLE ") + (quoted ? quoted : "\"\"");
    PQfreemem(quoted);
    // An archive of any earlier version holds objects of that version: each version's count.
    QSet<QString> names;
    const auto collect = [conn, error, &names](int) {
        const auto objects = queryRows(conn, kSchemaEntries, error);
        for (const QStringList& row : objects.value_or(QList<QStringList>()))
            names.insert(row.first());
        return objects.has_value();
    };
    if (!runStatements(conn, setRole.constData(), error) ||
        (!keepAs.isEmpty() && !keepLiveData(conn, conninfo, keepAs, error)) ||
        !runStatements(conn, kDropEverything, error) || !createShopObjects(conn, error, kSchemaVersion, collect))
        return false;
    const QStringList foreign = foreignEntries(entries, names);
    if (!foreign.isEmpty()) {
        setError(error, QStringLiteral("%1 holds what a shop database has not: %2")
                            .arg(source, foreign.mid(0, 5).join(QStringLiteral(", "))));
        return false;
    }
    // The schema is of the newest version now, whatever version the archive's rows came from:
    // later versions only add tables and trailing columns, so the rows fit, and the version
    // recorded stays the newest.
    QStringList dataEntries;
    for (const QString& entry : entries) {
        const QStringList words = entryDescription(entry).split(QLatin1Char(' '));
        if (words.size() >= 4 && words[0] == QLatin1String("TABLE") && words[1] == QLatin1String("DATA") &&
            words[3] != QLatin1String(kSchemaVersionTable))
            dataEntries.append(entry);
    }
    const auto firstRow = [conn](const char* sql, QString* failure) -> std::optional<QStringList> {
        const auto rows = queryRows(conn, sql, failure);
        return rows ? std::optional(rows->value(0)) : std::nullopt;
    };
    if (!copyArchiveRows(conn, source, dataEntries, error) || !runStatements(conn, kAdvanceSequences, error) ||
        !keepsShopRules(firstRow, true, source, error))
        return false;
    // Heard by the other tills when the recovery commits.
    const QByteArray notify = QByteArray("SELECT pg_notify('") + kProductsChannel + "', '')";
    return runStatements(conn, notify.constData(), error);
}

} // namespace

QString postgresClientProgram(const QString& name)
{
    const QString versioned = QStringLiteral("/usr/lib/postgresql/15/bin/") + name;
    return QFileInfo(versioned).isExecutable() ? versioned : name;
}

bool backupShopServer(const QString& conninfo, const QString& destination, QString* error, const QString& snapshot)
{
    QSaveFile out(destination);
    if (QFileInfo(destination).isDir() || !out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(destination, out.errorString()));
        return false;
    }
    // The archive holds the shop's data: owner-only, like the embedded database and its backups.
    out.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QStringList arguments{QStringLiteral("--format=custom"), QStringLiteral("--dbname=") + conninfo};
    if (!snapshot.isEmpty())
        arguments.append(QStringLiteral("--snapshot=") + snapshot);
    QProcess dump;
    dump.start(postgresClientProgram(QStringLiteral("pg_dump")), arguments);
    if (!dump.waitForStarted(30000)) {
        setError(error, QStringLiteral("pg_dump cannot start: %1").arg(dump.errorString()));
        out.cancelWriting();
        return false;
    }
    dump.closeWriteChannel();
    bool written = true;
    // The archive is streamed: a large shop database never sits in memory whole.
    while (written && (dump.state() != QProcess::NotRunning || dump.bytesAvailable() > 0)) {
        if (dump.bytesAvailable() == 0 && !dump.waitForReadyRead(1000))
            continue;
        const QByteArray chunk = dump.readAllStandardOutput();
        written = out.write(chunk) == chunk.size();
    }
    dump.waitForFinished(-1);
    if (!written || dump.exitStatus() != QProcess::NormalExit || dump.exitCode() != 0) {
        setError(error, written ? QStringLiteral("pg_dump failed: %1")
                                      .arg(QString::fromLocal8Bit(dump.readAllStandardError()).trimmed())
                                : QStringLiteral("Cannot write %1: %2").arg(destination, out.errorString()));
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(destination, out.errorString()));
        return false;
    }
    return true;
}

bool isShopServerArchive(const QString& path, QString* error)
{
    QStringList entries;
    return shopArchiveContents(path, &entries, error);
}

bool recoverShopServer(const QString& conninfo, const QString& source, QString* error, const QString& keepAs)
{
    QStringList entries;
    if (!shopArchiveContents(source, &entries, error))
        return false;
    Connection connection(conninfo);
    PGconn* conn = connection.handle();
    if (PQstatus(conn) != CONNECTION_OK) {
        setError(error, connectionFailureText(serverErrorText(conn, nullptr), conninfo));
        return false;
    }
    // One transaction: a refused or failed recovery leaves the live database as it was.
    if (!runStatements(conn, "SET client_encoding = 'UTF8'; BEGIN", error))
        return false;
    if (replaceShopDatabase(conn, conninfo, source, entries, keepAs, error) && runStatements(conn, "COMMIT", error))
        return true;
    runStatements(conn, "ROLLBACK", nullptr);
    return false;
}

} // namespace marvono
