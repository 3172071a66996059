// The private PostgreSQL server the engine tests run against.
#include "support/pgserver.h"

#include <QtTest>
#include <csignal>
#include <cstdio>
#include <libpq-fe.h>

using namespace marvono;

namespace {

// The single value of a query, or the error text prefixed with "!".
QString scalar(const QString& conninfo, const char* sql)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QString value;
    if (PQstatus(conn) != CONNECTION_OK) {
        value = QStringLiteral("!") + QString::fromUtf8(PQerrorMessage(conn));
    } else {
        PGresult* res = PQexec(conn, sql);
        value = PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) == 1
                    ? QString::fromUtf8(PQgetvalue(res, 0, 0))
                    : QStringLiteral("!") + QString::fromUtf8(PQresultErrorMessage(res));
        PQclear(res);
    }
    PQfinish(conn);
    return value;
}

} // namespace

class TestPgServer : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void startsServesSeparateDatabasesAndStops();
    void twoServersRunSideBySide();
    void serverEndsWithAKilledTestProgram();
};

void TestPgServer::startsServesSeparateDatabasesAndStops()
{
    test::PgTestServer server;
    MARVONO_START_PG(server);
    const QString first = server.createDatabase("first");
    const QString second = server.createDatabase("second");
    QVERIFY2(!first.isEmpty() && !second.isEmpty(), qPrintable(server.error()));
    QCOMPARE(scalar(first, "select current_database()"), QStringLiteral("first"));
    QCOMPARE(scalar(first, "select current_setting('server_version_num')::int / 10000"), QStringLiteral("15"));
    QCOMPARE(scalar(first, "create table t (a int); select count(*) from t"), QStringLiteral("0"));
    // A database made fresh must not see another's tables.
    QVERIFY(scalar(second, "select count(*) from t").startsWith('!'));
    QVERIFY(server.createDatabase("first").isEmpty());

    const QString socketDir = server.socketDir();
    server.stop();
    QVERIFY(!server.isRunning());
    QVERIFY(scalar(first, "select 1").startsWith('!'));
    QVERIFY(!QFile::exists(socketDir + QStringLiteral("/.s.PGSQL.%1").arg(server.port())));
}

void TestPgServer::twoServersRunSideBySide()
{
    test::PgTestServer one;
    test::PgTestServer two;
    MARVONO_START_PG(one);
    MARVONO_START_PG(two);
    QVERIFY(one.port() != two.port() || one.socketDir() != two.socketDir());
    const QString a = one.createDatabase("shop");
    const QString b = two.createDatabase("shop");
    QVERIFY(!a.isEmpty() && !b.isEmpty());
    QCOMPARE(scalar(a, "create table only_here (a int); select 'one'"), QStringLiteral("one"));
    QVERIFY(scalar(b, "select count(*) from only_here").startsWith('!'));
}

void TestPgServer::serverEndsWithAKilledTestProgram()
{
    if (!test::PgTestServer::serverInstalled() && !test::PgTestServer::ciRequiresServer())
        QSKIP("postgresql-15 is not installed (scripts/deps.sh test installs it)");
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MARVONO_PG_KILLED_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(120000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    const QStringList started = QString::fromUtf8(child.readAllStandardOutput()).split('\n');
    QVERIFY2(started.size() >= 2, qPrintable(child.readAllStandardError()));
    const QString conninfo = started.at(0);
    const QString folder = started.at(1);
    QVERIFY(!conninfo.isEmpty() && QFileInfo(folder).isDir());
    QTRY_VERIFY_WITH_TIMEOUT(scalar(conninfo, "select 1").startsWith('!') && !QFileInfo::exists(folder), 30000);
}

// The child of serverEndsWithAKilledTestProgram(): starts a server, says where, and dies the way a
// crashing test does, without any destructor running.
int startServerAndDie(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    auto* server = new test::PgTestServer;
    if (!server->start()) {
        std::fprintf(stderr, "%s\n", qPrintable(server->error()));
        return 1;
    }
    std::printf("%s\n%s\n", qPrintable(server->connectionString(QStringLiteral("postgres"))),
                qPrintable(QFileInfo(server->socketDir()).path()));
    std::fflush(stdout);
    std::raise(SIGKILL);
    return 1;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("MARVONO_PG_KILLED_CHILD"))
        return startServerAndDie(argc, argv);
    QCoreApplication app(argc, argv);
    TestPgServer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_pgserver.moc"
