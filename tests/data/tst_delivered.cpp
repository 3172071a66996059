// The delivered database and the sample catalogue, as the tools build them.
#include "app/appcontext.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QtTest>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

class TestDelivered : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void deliveredDatabaseLayout();
    void sampleCatalogue();

  private:
    static int runTool(const QString& name, const QStringList& args)
    {
        QProcess process;
        process.start(QStringLiteral(MARVONO_TOOLS_DIR "/") + name, args);
        if (!process.waitForFinished(60000))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

void TestDelivered::deliveredDatabaseLayout()
{
    test::TempAppFolder folder(false);
    const QString db = folder.file("system32.dll");
    QCOMPARE(runTool("marvono-makedb", {db}), 0);
    QVERIFY(runTool("marvono-makedb", {db}) != 0); // never overwrites

    const QList<QPair<QString, QStringList>> tables = {
        {"product_info",
         {"cName", "cInPrice", "cAllQty", "cOutPrice", "cLeastQty", "cSpare", "cType", "cPic", "cComment", "cAlert"}},
        {"Bill", {"ctime", "ctable", "cproduct", "cqty", "cprice", "csubtotal"}},
        {"PanDian", {"cname", "cprice", "cinprice", "cqty", "cday", "cmonth", "cyear"}},
        {"user_info", {"cUser", "cPwd"}},
        {"change", {"cDate", "cName"}},
    };
    QString error;
    sqlite3* raw = openEncrypted(db, true, &error);
    QVERIFY2(raw, qPrintable(error));
    for (const auto& [table, columns] : tables) {
        sqlite3_stmt* statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(raw, qPrintable("select * from " + table), -1, &statement, nullptr), SQLITE_OK);
        QStringList found;
        for (int c = 0; c < sqlite3_column_count(statement); ++c)
            found.append(QString::fromUtf8(sqlite3_column_name(statement, c)));
        sqlite3_finalize(statement);
        QCOMPARE(found, columns);
    }
    QCOMPARE(embeddedSchemaVersion(raw), kSchemaVersion);
    sqlite3_close(raw);
    QCOMPARE(test::rowsOf("select * from user_info"), QStringList{"vetch|vetch"});
    QCOMPARE(test::rowsOf("select count(*) from product_info"), QStringList{"0"});
}

void TestDelivered::sampleCatalogue()
{
    test::TempAppFolder folder;
    Database::instance().close();
    QCOMPARE(runTool("marvono-makesample", {folder.path()}), 0);
    const int products = test::rowsOf("select count(*) from product_info").first().toInt();
    QVERIFY(products >= 24);
    // Some products are low on stock and a few have pictures and introductions of their own.
    auto set = ExecSQL("select * from product_info");
    int low = 0;
    int pictures = 0;
    for (; !set->isEof(); set->moveNext()) {
        low += set->text(9).toDouble() > set->text(4).toDouble() ? 1 : 0;
        const int number = set->text(7).toInt();
        if (number > 0) {
            ++pictures;
            QVERIFY(QImage(folder.file(QStringLiteral("qexclient/pic/%1.jpg").arg(number))).width() == 100);
            QVERIFY(QFile::exists(folder.file(QStringLiteral("qexclient/info/%1.ifo").arg(number))));
        }
    }
    QVERIFY(low >= 3);
    QVERIFY(pictures >= 3);
    // The first sale goes to a named buyer.
    QCOMPARE(test::fileBytes(folder.file("qexclient/tables.dat")),
             QByteArray("\"Counter\"\r\n\"Table1\"\r\n\"Table2\"\r\n"));
    // A second run leaves a shop with products alone.
    Database::instance().close();
    QCOMPARE(runTool("marvono-makesample", {folder.path()}), 0);
    QCOMPARE(test::rowsOf("select count(*) from product_info").first().toInt(), products);

    // An operator's own buyer list is never replaced.
    test::TempAppFolder own;
    QFile buyers(own.file("qexclient/tables.dat"));
    QVERIFY(buyers.open(QIODevice::WriteOnly));
    buyers.write("\"Mine\"\r\n");
    buyers.close();
    Database::instance().close();
    QCOMPARE(runTool("marvono-makesample", {own.path()}), 0);
    QCOMPARE(test::fileBytes(own.file("qexclient/tables.dat")), QByteArray("\"Mine\"\r\n"));

    // Scaled up for a large shop: the sample again under numbered names.
    test::TempAppFolder large;
    Database::instance().close();
    QCOMPARE(runTool("marvono-makesample", {large.path(), "100"}), 0);
    QCOMPARE(test::rowsOf("select count(*) from product_info where cName like 'Green Tea%'"), QStringList({"3"}));
    QCOMPARE(test::rowsOf("select count(*) from product_info"), QStringList({"100"}));
}

QTEST_GUILESS_MAIN(TestDelivered)
#include "tst_delivered.moc"
