#include "support/testsupport.h"

#include "app/appcontext.h"
#include "bills/buyerlist.h"
#include "data/database.h"
#include "data/pgschema.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "history/historyfiles.h"
#include "support/pgserver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QtTest>
#include <libpq-fe.h>
#include <sqlcipher/sqlite3.h>

namespace marvono::test {
namespace {

// One server for the whole test program, started at first use and stopped at exit.
PgTestServer& testServer()
{
    static PgTestServer server;
    if (!server.isRunning() && !server.start())
        qFatal("cannot start the PostgreSQL test server: %s", qPrintable(server.error()));
    return server;
}

bool& asShopOwner()
{
    static bool owner = false;
    return owner;
}

// A fresh shop database on the test server; the connection string, empty on failure. The newest
// version is made as a shop's is; an older one the program upgrades as the administrator.
QString freshShopDatabase(int version, QString* error)
{
    static int made = 0;
    const QString name = QStringLiteral("shop%1").arg(++made);
    const QString connection = testServer().createDatabase(name);
    if (connection.isEmpty()) {
        *error = testServer().error();
        return {};
    }
    if (version == kSchemaVersion) {
        *error = QStringLiteral("marvono-shopdb-init failed");
        const QString role = asShopOwner() ? "_owner" : "_till";
        return initShopDatabase(connection) ? connection + " user=" + name + role : QString();
    }
    PGconn* conn = PQconnectdb(connection.toUtf8().constData());
    const bool created = createShopSchema(conn, error, version);
    PQfinish(conn);
    return created ? connection : QString();
}

} // namespace

bool initShopDatabase(const QString& conninfo)
{
    QProcess init;
    init.start(QStringLiteral(MARVONO_TOOLS_DIR "/marvono-shopdb-init"), {conninfo});
    return init.waitForFinished(60000) && init.exitStatus() == QProcess::NormalExit && init.exitCode() == 0;
}

void logInAsShopOwner(bool owner)
{
    asShopOwner() = owner;
}

bool serverEngine()
{
    static const bool server = qgetenv("MARVONO_TEST_ENGINE") == "postgres";
    return server;
}

TempAppFolder::TempAppFolder(bool withDatabase, int schemaVersion)
{
    if (!m_dir.isValid())
        return;
    Database::instance().close();
    setAppFolder(m_dir.path());
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("qexclient/pic"));
    root.mkpath(QStringLiteral("qexclient/info"));
    root.mkpath(QStringLiteral("qexclient/bill"));
    QFile setup(file(QStringLiteral("setup.dat")));
    if (setup.open(QIODevice::WriteOnly))
        setup.write("\"1\"\r\n\"Test Shop\"\r\n\"1\"\r\n\"$\"\r\n");
    setup.close();
    QString error;
    // The windows ask an operator for the float at the first sale of a shift: the tests' operator
    // (no name) is at work already, with an empty drawer.
    const char* shift = "insert into marvono_shift (cOperator, cOpened, cFloat) values ('', '', '0')";
    if (withDatabase && serverEngine()) {
        const QString connection = freshShopDatabase(schemaVersion, &error);
        QFile conf(file(QStringLiteral("shopserver.conf")));
        m_valid = !connection.isEmpty() && conf.open(QIODevice::WriteOnly) &&
                  conf.write("connection=" + connection.toUtf8() + '\n') > 0 &&
                  (schemaVersion != kSchemaVersion || pgRows(connection, QString::fromLatin1(shift)).isEmpty());
    } else {
        const QString path = file(QStringLiteral("system32.dll"));
        m_valid = !withDatabase || createDeliveredDatabase(path, &error, schemaVersion);
        if (m_valid && withDatabase && schemaVersion == kSchemaVersion) {
            sqlite3* db = openEncrypted(path, false, &error);
            m_valid = db && sqlite3_exec(db, shift, nullptr, nullptr, nullptr) == SQLITE_OK;
            sqlite3_close(db);
        }
    }
    if (!m_valid)
        qWarning("cannot create test database: %s", qPrintable(error));
    runValues() = RunValues{};
    runValues().currencySymbol = QStringLiteral("$");
    forgetBuyerChoice();
}

TempAppFolder::~TempAppFolder()
{
    Database::instance().close();
}

QString TempAppFolder::file(const QString& relative) const
{
    return m_dir.filePath(relative);
}

BoxAnswerer::BoxAnswerer(QMessageBox::StandardButton answer) : m_seen(std::make_shared<SeenBox>())
{
    auto seen = m_seen;
    auto* timer = new QTimer;
    m_timer = timer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, seen, answer]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        seen->seen = true;
        QAbstractButton* button = box->button(answer);
        if (button)
            button->click();
        else
            box->reject();
        timer->stop();
    });
    timer->start();
}

BoxAnswerer::~BoxAnswerer()
{
    delete m_timer.data();
}

bool BoxAnswerer::wait(int ms) const
{
    auto seen = m_seen;
    return QTest::qWaitFor([seen]() { return seen->seen; }, ms);
}

FakePrintCommand::FakePrintCommand(int exitCode, bool installed) : m_oldPath(qgetenv("PATH"))
{
    setPrintLauncher({});
    if (installed) {
        QFile script(m_dir.filePath(QStringLiteral("lp")));
        if (script.open(QIODevice::WriteOnly))
            script.write("#!/bin/sh\necho \"$*\" >> \"" + callsPath().toUtf8() +
                         "\"\necho lp: no default destination >&2\nexit " + QByteArray::number(exitCode) + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("PATH", QFile::encodeName(m_dir.path()));
}

FakePrintCommand::~FakePrintCommand()
{
    qputenv("PATH", m_oldPath);
}

QStringList rowsOf(const QString& statement, const QVariantList& values)
{
    QStringList rows;
    auto set = ExecSQL(statement, values);
    if (!set)
        return {QStringLiteral("<failed>")};
    for (; !set->isEof(); set->moveNext()) {
        QStringList cells;
        for (int c = 0; c < set->columnCount(); ++c)
            cells.append(set->field(c).value_or(QStringLiteral("<null>")));
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace marvono::test
