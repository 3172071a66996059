// The shop-server tools: creating a shop database and moving an embedded file into one.
#include "bills/bill.h"
#include "catalogue/ui/picturefiles.h"
#include "data/database.h"
#include "data/pgbackup.h"
#include "data/pgschema.h"
#include "data/recordset.h"
#include "support/pgserver.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QtTest>
#include <grp.h>
#include <libpq-fe.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace marvono;

namespace {

const char* const kTables[] = {"product_info", "Bill", "PanDian", "user_info", "change"};

// What a snapshot reads of a table: all but the password, which the server keeps as a hash.
QByteArray snapshotColumns(const char* table, const char* key = "")
{
    return qstrcmp(table, "user_info") == 0 ? QByteArray("cUser") + key : "*";
}

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(MARVONO_TOOLS_DIR "/") + name, arguments);
    ToolRun run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

// Every row of every table as the server holds it, in insertion order, fields as text.
QStringList serverSnapshot(const QString& conninfo)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QStringList all;
    PQclear(PQexec(conn, "SET DateStyle = 'ISO, YMD'"));
    for (const char* table : kTables) {
        all.append(QString::fromLatin1(table) + ":");
        const QByteArray sql = "SELECT " + snapshotColumns(table, ", mv_key") + " FROM " + table + " ORDER BY mv_key";
        PGresult* res = PQexec(conn, sql.constData());
        if (PQresultStatus(res) != PGRES_TUPLES_OK)
            all.append(QStringLiteral("<failed>"));
        for (int r = 0; r < PQntuples(res); ++r) {
            QStringList cells;
            // The hidden key is the last column and differs between databases by nature.
            for (int c = 0; c + 1 < PQnfields(res); ++c)
                cells.append(PQgetisnull(res, r, c) ? QStringLiteral("<null>")
                                                    : QString::fromUtf8(PQgetvalue(res, r, c)));
            all.append(cells.join(QLatin1Char('|')));
        }
        PQclear(res);
    }
    PQfinish(conn);
    return all;
}

QStringList embeddedSnapshot()
{
    QStringList all;
    for (const char* table : kTables) {
        all.append(QString::fromLatin1(table) + ":");
        all.append(test::rowsOf(QString::fromLatin1("select " + snapshotColumns(table) + " from " + table)));
    }
    return all;
}

// A catalogue with the values a careless copy would change: digits as typed, texts with
// tabs, line breaks, backslashes and quotes, NULLs, a date.
bool fillEmbedded()
{
    bool ok = test::addProduct("Tea", "1.50", "2.00", "40") && test::addProduct("Café", "007", "1e2", " 3 ");
    auto product = ExecSQL("select * from product_info where cName='Tea'");
    ok = ok && product && !product->isEof();
    if (ok) {
        product->setField(8, "line one\r\nline\ttwo \\ 'quoted' \"both\"");
        product->setField(5, QVariant());
        ok = product->update();
    }
    ok = ok && test::addBillRow("9:05:00 AM", "Table 1", "Tea", "2", "2", "4");
    auto ledger = ExecSQL("select * from PanDian");
    ok = ok && ledger;
    if (ok) {
        ledger->addNew();
        const QVariantList values{"Tea", "2.00", "1.50", "2", 7, 12, 2026};
        for (int c = 0; c < values.size(); ++c)
            ledger->setField(c, values[c]);
        ok = ledger->update();
    }
    auto log = ExecSQL("select * from change");
    ok = ok && log;
    if (ok) {
        log->addNew();
        log->setField(0, QDate(2026, 2, 28));
        log->setField(1, "Old Tea");
        ok = log->update();
    }
    return ok;
}

} // namespace

class TestShopDbTools : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() { MARVONO_START_PG(m_server); }
    void initCreatesOnceAndRefusesAgain();
    void moveCopiesEveryValueAndRefusesAgain();
    void moveIntoInitialisedDatabase();
    void failedMoveLeavesServerUntouched();
    void tillsOnlyAddToTheBooks_data();
    void tillsOnlyAddToTheBooks();

  private:
    test::PgTestServer m_server;
};

void TestShopDbTools::initCreatesOnceAndRefusesAgain()
{
    const QString db = m_server.createDatabase("init");
    QVERIFY(!db.isEmpty());
    QTemporaryDir shared;
    QFile buyers(shared.filePath("tables.dat"));
    QVERIFY(buyers.open(QIODevice::WriteOnly) && buyers.write("\"Table 9\"\r\n") > 0);
    buyers.close();
    const QString group = QString::fromLocal8Bit(::getgrgid(::getgid())->gr_name);
    QVERIFY(runTool("marvono-shopdb-init", {"--client-folder", shared.path(), "--client-group", "no-such-group"})
                .output.contains("there is no group no-such-group"));
    ToolRun first = runTool("marvono-shopdb-init", {"--client-folder", shared.path(), "--client-group", group, db});
    QVERIFY2(first.exitCode == 0 && first.output.contains("Role init_till"), qPrintable(first.output));
    // The operators' group writes the folder, also what a till makes there later under its umask.
    QCOMPARE(QFileInfo(shared.filePath("tables.dat")).group(), group);
    QVERIFY(QFileInfo(shared.filePath("tables.dat")).permissions() & QFile::WriteGroup);
    const mode_t umask = ::umask(022);
    QVERIFY(QDir(shared.filePath("bill")).mkdir("made") &&
            QFile(shared.filePath("bill/made/0.bil")).open(QIODevice::WriteOnly));
    ::umask(umask);
    QVERIFY(QFileInfo(shared.filePath("bill/made/0.bil")).permissions() & QFile::WriteGroup);
    QCOMPARE(QFileInfo(shared.filePath("bill/made/0.bil")).group(), group);
    const QStringList created = serverSnapshot(db);
    QVERIFY(created.contains("vetch"));
    QVERIFY(!created.contains("<failed>"));
    QVERIFY(!loadPicture(shared.filePath("pic/zw.jpg")).isNull());
    QVERIFY(QFileInfo(shared.filePath("info")).isDir() && QFileInfo(shared.filePath("bill")).isDir());
    QCOMPARE(test::fileBytes(shared.filePath("tables.dat")), QByteArray("\"Table 9\"\r\n"));

    // The tills' role sells and backs up, but cannot drop a table or recover.
    const QString till = db + " user=init_till";
    QCOMPARE(test::pgRows(till, "insert into product_info (cName) values ('Tea')"), QStringList());
    QCOMPARE(test::pgValue(till, "select version from marvono_schema"), QString::number(kSchemaVersion));
    QCOMPARE(test::pgRows(till, "insert into marvono_sale (cId) values ('a sale')"), QStringList());
    QVERIFY(test::pgValue(till, "drop table Bill").startsWith("<failed"));
    QVERIFY(runTool("marvono-shopdb-init", {till}).output.contains("needs the shop database's owner role"));
    QString error;
    const QString archive = shared.filePath("shop.DBK");
    QVERIFY2(backupShopServer(till, archive, &error), qPrintable(error));
    QVERIFY(!recoverShopServer(till, archive, &error));
    QVERIFY2(error.contains("needs the shop database's owner role init_owner"), qPrintable(error));
    QVERIFY2(recoverShopServer(db + " user=init_owner", archive, &error), qPrintable(error));
    QCOMPARE(test::pgRows(till, "insert into Bill (cTable) values ('A1')"), QStringList());
    test::pgRows(till, "delete from product_info; delete from Bill");

    ToolRun second = runTool("marvono-shopdb-init", {db});
    QCOMPARE(second.exitCode, 1);
    QVERIFY2(second.output.contains("holds a shop database already"), qPrintable(second.output));
    QCOMPARE(serverSnapshot(db), created);

    QVERIFY(runTool("marvono-shopdb-init", {"host=/nonexistent/socket dbname=x"}).exitCode == 1);
}

void TestShopDbTools::moveCopiesEveryValueAndRefusesAgain()
{
    test::TempAppFolder folder;
    QVERIFY(fillEmbedded());
    QVERIFY(test::addBillRow("9:06:00 AM", "Table 2", "Tea", "1", "2", "2"));
    QCOMPARE(settleBill("Table 2"), Settlement::Settled);
    const QStringList before = embeddedSnapshot();
    Database::instance().close();
    const QString db = m_server.createDatabase("moved");
    ToolRun move = runTool("marvono-shopdb-move", {folder.file("system32.dll"), db});
    QVERIFY2(move.exitCode == 0, qPrintable(move.output));
    QCOMPARE(serverSnapshot(db), before);
    // The records and the receipt counter go too, so the server's numbers go on after the file's.
    QCOMPARE(test::pgRows(db, "select r.cNumber, l.cProduct, c.cValue from marvono_receipt r join "
                              "marvono_receipt_line l on l.cReceipt = r.cNumber, marvono_counter c"),
             QStringList{"1|Tea|1"});
    // The file stays, but no till opens it again without a word.
    QString message;
    QVERIFY(!ExecSQL("select * from product_info", message));
    QVERIFY2(message.contains("moved to the shop server"), qPrintable(message));

    // A second move would double every row: it must refuse and leave the data alone.
    ToolRun again = runTool("marvono-shopdb-move", {folder.file("system32.dll"), db});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.output.contains("nothing was"), qPrintable(again.output));
    QCOMPARE(serverSnapshot(db), before);
}

void TestShopDbTools::moveIntoInitialisedDatabase()
{
    // A file of the first layout, moved from a copy brought to the newest: the file stays as it is.
    test::TempAppFolder folder(true, 1);
    sqlite3* file = openEncrypted(folder.file("system32.dll"), false, nullptr);
    QVERIFY(file);
    QCOMPARE(sqlite3_exec(file,
                          "INSERT INTO product_info (cName, cLeastQty) VALUES ('Tea', '3'); "
                          "UPDATE user_info SET cPwd = 'secret'",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close_v2(file);
    const QByteArray bytes = test::fileBytes(folder.file("system32.dll"));

    const QString db = m_server.createDatabase("initialised");
    QCOMPARE(runTool("marvono-shopdb-init", {db}).exitCode, 0);
    ToolRun move = runTool("marvono-shopdb-move", {folder.file("system32.dll"), db});
    QVERIFY2(move.exitCode == 0, qPrintable(move.output));
    // The file's account replaces the delivered one rather than standing beside it.
    QCOMPARE(test::pgRows(db, "select cUser from user_info"), QStringList{"vetch"});
    QVERIFY(hashedPasswordMatches(test::pgValue(db, "SELECT cPwd FROM user_info"), "secret"));
    QCOMPARE(test::pgRows(db, "select cName, cLeastQty from product_info"), QStringList{"Tea|3"});
    QCOMPARE(test::fileBytes(folder.file("system32.dll")), bytes);
}

void TestShopDbTools::failedMoveLeavesServerUntouched()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "3"));
    QVERIFY(test::addProduct("Coffee", "1", "2", "3"));
    Database::instance().close();
    // A picture number the file's loose typing let through but the server's column refuses.
    sqlite3* file = openEncrypted(folder.file("system32.dll"), false, nullptr);
    QVERIFY(file);
    QCOMPARE(
        sqlite3_exec(file, "UPDATE product_info SET cPic = 'x7' WHERE cName = 'Coffee'", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close_v2(file);

    const QString db = m_server.createDatabase("refused");
    QCOMPARE(runTool("marvono-shopdb-init", {db}).exitCode, 0);
    const QStringList initialised = serverSnapshot(db);
    ToolRun move = runTool("marvono-shopdb-move", {folder.file("system32.dll"), db});
    QCOMPARE(move.exitCode, 1);
    QVERIFY2(move.output.contains("nothing was moved"), qPrintable(move.output));
    QCOMPARE(serverSnapshot(db), initialised);
}

void TestShopDbTools::tillsOnlyAddToTheBooks_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("made by init") << "books";
    QTest::newRow("upgraded") << "oldbooks";
}

void TestShopDbTools::tillsOnlyAddToTheBooks()
{
    QFETCH(QString, name);
    const QString db = m_server.createDatabase(name);
    QVERIFY(!db.isEmpty());
    if (name == "oldbooks") {
        // As the init tool of version 7 left a shop: the tills could write every row.
        test::pgRows(db, "CREATE ROLE oldbooks_owner LOGIN; CREATE ROLE oldbooks_till LOGIN; "
                         "ALTER DATABASE oldbooks OWNER TO oldbooks_owner");
        PGconn* owner = PQconnectdb((db + " user=oldbooks_owner").toUtf8().constData());
        QString error;
        QVERIFY2(runStatements(owner, "ALTER DEFAULT PRIVILEGES GRANT ALL ON TABLES TO oldbooks_till", &error) &&
                     createShopSchema(owner, &error, 7) && upgradeShopSchema(owner, &error),
                 qPrintable(error));
        PQfinish(owner);
    } else {
        QCOMPARE(runTool("marvono-shopdb-init", {db}).exitCode, 0);
    }
    const QString till = db + " user=" + name + "_till";
    for (const char* forbidden :
         {"DELETE FROM marvono_receipt", "DELETE FROM marvono_receipt_line", "DELETE FROM marvono_day_close",
          "DELETE FROM marvono_stock_move", "DELETE FROM marvono_sale", "DELETE FROM user_info", "DELETE FROM PanDian",
          "UPDATE marvono_receipt SET cTotal = '0'", "UPDATE marvono_stock_move SET cClose = NULL",
          "UPDATE marvono_counter SET cValue = 0", "UPDATE marvono_schema SET version = 1", "TRUNCATE product_info",
          "SELECT marvono_take_stock_moves(5)", "ALTER FUNCTION marvono_next_receipt() SECURITY INVOKER",
          "DELETE FROM marvono_tender"})
        QVERIFY2(test::pgValue(till, forbidden).startsWith("<failed"), forbidden);
    const QString password = test::pgValue(till, "SELECT cPwd FROM user_info");
    QVERIFY2(!password.contains("vetch") && hashedPasswordMatches(password, "vetch"), qPrintable(password));
}

QTEST_MAIN(TestShopDbTools)
#include "tst_shopdbtools.moc"
