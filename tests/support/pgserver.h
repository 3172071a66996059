#pragma once
// A private PostgreSQL 15 server for tests: its own cluster in a temporary folder, reached only
// through a Unix socket in that folder, stopped when the object goes.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace marvono::test {

class PgTestServer {
  public:
    PgTestServer();
    ~PgTestServer();
    PgTestServer(const PgTestServer&) = delete;
    PgTestServer& operator=(const PgTestServer&) = delete;

    // Creates the cluster and starts the server; false with error() when it cannot.
    bool start();
    // Before start(): every commit flushed to disk (fsync on), as a shop's server runs. Tests leave
    // it off for speed; benchmarks measure what a shop would see.
    void setDurable(bool durable) { m_durable = durable; }
    bool isDurable() const { return m_durable; }
    void stop();
    bool isRunning() const { return m_running; }
    // pg_ctl stops the server with its clients' connections (down) or starts it again as it was.
    bool setDown(bool down);
    QString error() const { return m_error; }

    // A fresh empty database; returns its libpq connection string, empty with error() on failure.
    QString createDatabase(const QString& name);
    // The connection string of an existing database of this server.
    QString connectionString(const QString& database) const;
    QString socketDir() const;
    int port() const { return m_port; }

    // Whether the PostgreSQL 15 server programs are installed here.
    static bool serverInstalled();
    // Under CI a server that cannot start fails the test; elsewhere a missing postgresql-15 skips it.
    static bool ciRequiresServer();

  private:
    void stopWithThisProcess();
    bool run(const QString& program, const QStringList& arguments, int timeoutMs);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_error;
    int m_port = 0;
    QString m_options;
    bool m_running = false;
    bool m_asPostgresUser = false;
    bool m_durable = false;
};

// Rows of a query on a database of a test server, fields joined by "|", NULL as "<null>";
// {"<failed: ...>"} when it fails. Statements without rows give an empty list.
QStringList pgRows(const QString& conninfo, const QString& sql);
// The first field of the first row, or the failure text.
QString pgValue(const QString& conninfo, const QString& sql);

} // namespace marvono::test

// Starts `server` or ends the test: a QSKIP when postgresql-15 is missing outside CI, a failure
// otherwise.
#define MARVONO_START_PG(server)                                                                                       \
    do {                                                                                                               \
        if (!marvono::test::PgTestServer::serverInstalled() && !marvono::test::PgTestServer::ciRequiresServer())       \
            QSKIP("postgresql-15 is not installed (scripts/deps.sh test installs it)");                                \
        QVERIFY2((server).start(), qPrintable((server).error()));                                                      \
    } while (false)
