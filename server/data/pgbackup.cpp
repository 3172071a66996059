#include "data/pgbackup.h"

#include "data/pgschema.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>
#include <libpq-fe.h>

namespace marvono {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

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

// The tables an archive of a shop database holds, each with its data; false (with an error text)
// when the archive is not one.
bool archiveTables(const QString& path, QSet<QString>* found, QString* error)
{
    if (!QFileInfo(path).isFile()) {
        setError(error, QStringLiteral("%1 is not a file").arg(path));
        return false;
    }
    QStringList entries;
    if (!archiveContents(path, &entries, error))
        return false;
    QSet<QString> tables;
    QSet<QString> data;
    for (const QString& entry : entries) {
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
    if (found)
        *found = tables;
    return true;
}

// Brings the restored tables to the newest version and lets the other tills know of them. An
// archive from before versions were kept leaves the live database's version table behind, which
// then no longer speaks for the restored tables: they are of the first version.
bool settleRestore(const QString& conninfo, bool versionKept, QString* error)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QString failure;
    bool ok = PQstatus(conn) == CONNECTION_OK;
    if (ok && !versionKept) {
        PGresult* result = PQexec(conn, "DROP TABLE IF EXISTS marvono_schema");
        ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
    }
    ok = ok && upgradeShopSchema(conn, &failure);
    if (ok) {
        // The restore drops and remakes the catalogue's change announcement before the data goes
        // in, so the other tills hear of it only from here.
        const QByteArray sql = QByteArray("SELECT pg_notify('") + kProductsChannel + "', '')";
        PQclear(PQexec(conn, sql.constData()));
    } else {
        setError(error, QStringLiteral("The recovered shop database cannot be upgraded: %1")
                            .arg(failure.isEmpty() ? QString::fromUtf8(PQerrorMessage(conn)).trimmed() : failure));
    }
    PQfinish(conn);
    return ok;
}

} // namespace

QString postgresClientProgram(const QString& name)
{
    const QString versioned = QStringLiteral("/usr/lib/postgresql/15/bin/") + name;
    return QFileInfo(versioned).isExecutable() ? versioned : name;
}

bool backupShopServer(const QString& conninfo, const QString& destination, QString* error)
{
    QSaveFile out(destination);
    if (QFileInfo(destination).isDir() || !out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(destination, out.errorString()));
        return false;
    }
    // The archive holds the shop's data: owner-only, like the embedded database and its backups.
    out.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QProcess dump;
    dump.start(postgresClientProgram(QStringLiteral("pg_dump")),
               {QStringLiteral("--format=custom"), QStringLiteral("--dbname=") + conninfo});
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
    return archiveTables(path, nullptr, error);
}

bool recoverShopServer(const QString& conninfo, const QString& source, QString* error)
{
    QSet<QString> tables;
    if (!archiveTables(source, &tables, error))
        return false;
    // One transaction, stopping at the first error: the old tables are dropped and the archive's
    // made only when everything of it goes in. Ownership and grants stay the restoring role's,
    // so an archive from another server or role restores as well.
    if (!runClient(QStringLiteral("pg_restore"),
                   {QStringLiteral("--single-transaction"), QStringLiteral("--exit-on-error"),
                    QStringLiteral("--clean"), QStringLiteral("--if-exists"), QStringLiteral("--no-owner"),
                    QStringLiteral("--no-privileges"), QStringLiteral("--dbname=") + conninfo, QStringLiteral("--"),
                    source},
                   nullptr, error))
        return false;
    return settleRestore(conninfo, tables.contains(QStringLiteral("marvono_schema")), error);
}

} // namespace marvono
