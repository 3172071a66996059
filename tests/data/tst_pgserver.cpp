// The private PostgreSQL server the engine tests run against.
#include "support/pgserver.h"

#include <QtTest>
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

QTEST_GUILESS_MAIN(TestPgServer)
#include "tst_pgserver.moc"
