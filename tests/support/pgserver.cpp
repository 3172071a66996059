#include "support/pgserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace marvono::test {

namespace {

const QString kBinDir = QStringLiteral("/usr/lib/postgresql/15/bin");
const QString kSuperuser = QStringLiteral("postgres");

QString bin(const QString& program)
{
    return kBinDir + QLatin1Char('/') + program;
}

// A port no one listens on now. The server listens only on its socket, but the port names the
// socket file and keys its shared memory, so two servers of parallel test programs keep apart.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port > 0 ? port : 54329;
}

QString quoted(const QString& value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

} // namespace

PgTestServer::PgTestServer() = default;

PgTestServer::~PgTestServer()
{
    stop();
}

bool PgTestServer::serverInstalled()
{
    return QFile::exists(bin(QStringLiteral("initdb"))) && QFile::exists(bin(QStringLiteral("pg_ctl")));
}

bool PgTestServer::ciRequiresServer()
{
    const QByteArray ci = qgetenv("CI");
    return !ci.isEmpty() && ci != "0" && ci.toLower() != "false";
}

bool PgTestServer::run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The server refuses to run as root, so everything it owns is made and run by postgres.
    if (m_asPostgresUser)
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), kSuperuser, QStringLiteral("--"), bin(program)} + arguments);
    else
        process.start(bin(program), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        m_error = program + QStringLiteral(" did not finish: ") + QString::fromLocal8Bit(process.readAll());
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAll());
        return false;
    }
    return true;
}

QString PgTestServer::socketDir() const
{
    return m_dir ? m_dir->filePath(QStringLiteral("run")) : QString();
}

bool PgTestServer::start()
{
    if (m_running)
        return true;
    if (!serverInstalled()) {
        m_error = QStringLiteral("PostgreSQL 15 is not installed in ") + kBinDir;
        return false;
    }
    // A short path under /tmp: the socket path must stay within the 107 bytes Unix allows.
    m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/mvpg-XXXXXX"));
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder for the server");
        return false;
    }
    QDir(m_dir->path()).mkpath(QStringLiteral("run"));
    m_asPostgresUser = ::geteuid() == 0;
    if (m_asPostgresUser) {
        QProcess chown;
        chown.start(QStringLiteral("chown"),
                    {QStringLiteral("-R"), kSuperuser + QLatin1Char(':') + kSuperuser, m_dir->path()});
        if (!chown.waitForFinished(10000) || chown.exitCode() != 0) {
            m_error = QStringLiteral("cannot hand the server folder to the postgres user");
            return false;
        }
    }
    const QString data = m_dir->filePath(QStringLiteral("data"));
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), data, QStringLiteral("-U"), kSuperuser, QStringLiteral("-A"),
              QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
              QStringLiteral("--no-sync")},
             120000))
        return false;
    for (int attempt = 0; attempt < 5 && !m_running; ++attempt) {
        m_port = freePort();
        const QString options = QStringLiteral("-c listen_addresses='' -c unix_socket_directories=%1 -c port=%2 "
                                               "-c fsync=%3 -c max_connections=60")
                                    .arg(quoted(socketDir()))
                                    .arg(m_port)
                                    .arg(m_durable ? QStringLiteral("on") : QStringLiteral("off"));
        m_options = options;
        m_running = run(QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), data, QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                         QStringLiteral("-l"), m_dir->filePath(QStringLiteral("server.log")), QStringLiteral("-o"),
                         options, QStringLiteral("start")},
                        90000);
    }
    if (m_running)
        stopWithThisProcess();
    if (!m_running) {
        QFile log(m_dir->filePath(QStringLiteral("server.log")));
        if (log.open(QIODevice::ReadOnly))
            m_error += QStringLiteral("\n") + QString::fromLocal8Bit(log.readAll().right(2000));
    }
    return m_running;
}

void PgTestServer::stopWithThisProcess()
{
    // A test program that crashes or is killed never reaches stop(): a detached watcher ends the
    // server and removes its folder once this process is gone, so no server outlives its test.
    QStringList stopServer{bin(QStringLiteral("pg_ctl"))};
    if (m_asPostgresUser)
        stopServer =
            QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), kSuperuser, QStringLiteral("--")} + stopServer;
    QProcess watcher;
    watcher.setProgram(QStringLiteral("/bin/sh"));
    watcher.setArguments(QStringList{QStringLiteral("-c"),
                                     QStringLiteral("pid=$1 data=$2 dir=$3; shift 3; "
                                                    "while kill -0 \"$pid\" 2>/dev/null; do sleep 1; done; "
                                                    "\"$@\" -D \"$data\" -m immediate stop; rm -rf \"$dir\""),
                                     QStringLiteral("marvono-pg-watcher"), QString::number(::getpid()),
                                     m_dir->filePath(QStringLiteral("data")), m_dir->path()} +
                         stopServer);
    // Nothing of the test's output channels stays open in the watcher, or a test runner reading
    // them would wait for it.
    watcher.setStandardInputFile(QProcess::nullDevice());
    watcher.setStandardOutputFile(QProcess::nullDevice());
    watcher.setStandardErrorFile(QProcess::nullDevice());
    watcher.startDetached();
}

void PgTestServer::stop()
{
    if (!m_running)
        return;
    m_running = false;
    run(QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-w"), QStringLiteral("-m"),
         QStringLiteral("immediate"), QStringLiteral("stop")},
        60000);
}

bool PgTestServer::setDown(bool down)
{
    const QString data = m_dir->filePath(QStringLiteral("data"));
    if (down)
        return run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), data, QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("fast"),
                    QStringLiteral("stop")},
                   60000);
    return run(QStringLiteral("pg_ctl"),
               {QStringLiteral("-D"), data, QStringLiteral("-w"), QStringLiteral("-l"),
                m_dir->filePath(QStringLiteral("server.log")), QStringLiteral("-o"), m_options,
                QStringLiteral("start")},
               90000);
}

QString PgTestServer::connectionString(const QString& database) const
{
    return QStringLiteral("host=%1 port=%2 user=%3 dbname=%4")
        .arg(quoted(socketDir()))
        .arg(m_port)
        .arg(kSuperuser, quoted(database));
}

QString PgTestServer::createDatabase(const QString& name)
{
    if (!m_running) {
        m_error = QStringLiteral("the server is not running");
        return {};
    }
    PGconn* conn = PQconnectdb(connectionString(QStringLiteral("postgres")).toUtf8().constData());
    QString result;
    if (PQstatus(conn) != CONNECTION_OK) {
        m_error = QString::fromUtf8(PQerrorMessage(conn));
    } else {
        char* ident = PQescapeIdentifier(conn, name.toUtf8().constData(), size_t(name.toUtf8().size()));
        const QByteArray sql = QByteArray("CREATE DATABASE ") + ident + " TEMPLATE template0";
        PQfreemem(ident);
        PGresult* res = PQexec(conn, sql.constData());
        if (PQresultStatus(res) == PGRES_COMMAND_OK)
            result = connectionString(name);
        else
            m_error = QString::fromUtf8(PQresultErrorMessage(res));
        PQclear(res);
    }
    PQfinish(conn);
    return result;
}

QStringList pgRows(const QString& conninfo, const QString& sql)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QStringList rows;
    if (PQstatus(conn) != CONNECTION_OK) {
        rows.append(QStringLiteral("<failed: %1>").arg(QString::fromUtf8(PQerrorMessage(conn)).trimmed()));
        PQfinish(conn);
        return rows;
    }
    PQclear(PQexec(conn, "SET DateStyle = 'ISO, YMD'"));
    PGresult* res = PQexec(conn, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(res);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        rows.append(QStringLiteral("<failed: %1>").arg(QString::fromUtf8(PQresultErrorMessage(res)).trimmed()));
    for (int r = 0; status == PGRES_TUPLES_OK && r < PQntuples(res); ++r) {
        QStringList cells;
        for (int c = 0; c < PQnfields(res); ++c)
            cells.append(PQgetisnull(res, r, c) ? QStringLiteral("<null>") : QString::fromUtf8(PQgetvalue(res, r, c)));
        rows.append(cells.join(QLatin1Char('|')));
    }
    PQclear(res);
    PQfinish(conn);
    return rows;
}

QString pgValue(const QString& conninfo, const QString& sql)
{
    const QStringList rows = pgRows(conninfo, sql);
    return rows.isEmpty() ? QString() : rows.first().section(QLatin1Char('|'), 0, 0);
}

} // namespace marvono::test
