// Hostile texts and damaged files: every one gives a clear failure or is kept whole; none
// crashes the program or loses data.
#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "app/settings.h"
#include "bills/buyerlist.h"
#include "catalogue/products.h"
#include "catalogue/ui/picturefiles.h"
#include "data/backup.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "history/historyfiles.h"
#include "reports/monthlyreport.h"
#include "reports/reportexport.h"
#include "reports/statistics.h"
#include "reports/workbookfile.h"
#include "sales/sale.h"
#include "settings/login.h"
#include "support/testsupport.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace marvono;

namespace {

QStringList hostileTexts()
{
    return {
        "Farmer's Tea",
        "x' OR '1'='1",
        "say \"cheese\"",
        "a, b, c",
        "two\r\nlines",
        QString::fromUtf8("Grüner Tee 绿茶 \xf0\x9f\x8d\xb5"),
        "'; DROP TABLE product_info; --",
        QString(1024 * 1024, QLatin1Char('M')),
    };
}

void addProduct(const QString& name, const QString& stock = "100")
{
    auto set = ExecSQL("select * from product_info");
    QVERIFY(set);
    set->addNew();
    set->setField(0, name);
    set->setField(1, "1.5");
    set->setField(2, "100");
    set->setField(3, "2.5");
    set->setField(4, stock);
    set->setField(6, name);
    set->setField(7, 0);
    set->setField(8, name);
    set->setField(9, "1");
    QVERIFY2(set->update(), qPrintable(set->errorText()));
}

void damage(const QString& path, const QByteArray& bytes)
{
    Database::instance().close();
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void hostileTextsRoundTripThroughTheDatabase();
    void hostileTextsInFiles();
    void hostileMonthAndYear();
    void damagedSettingsFiles();
    void damagedDatabases_data();
    void damagedDatabases();
    void templateThatIsNotAWorkbook();
    void missingProductFolders();
};

void TestHostile::hostileTextsRoundTripThroughTheDatabase()
{
    test::TempAppFolder folder;
    test::setClock([] { return QDateTime(QDate(2009, 7, 5), QTime(14, 5, 9)); });
    for (const QString& name : hostileTexts()) {
        addProduct(name);
        // Looked up by name, sold, listed in the ledger and the statistics, whole.
        auto found = ExecSQL("select * from product_info where cName=?", {name});
        QVERIFY(found && found->count() == 1);
        QCOMPARE(found->text(0), name);
        QCOMPARE(found->text(8), name);
        // A double quote cannot be held by the buyer file's format; the rest is kept whole.
        QVERIFY(writeBuyerList({name.left(200)}));
        const QString buyer = firstBuyer();
        if (!name.contains('"'))
            QCOMPARE(buyer, name.left(200));
        const SaleResult sale = bookSale(name, "2");
        QCOMPARE(int(sale.outcome), int(SaleOutcome::Sold));
        auto bill = ExecSQL("select * from Bill where ctable=? and cproduct=?", {buyer, name});
        QVERIFY(bill && bill->count() == 1);
        auto ledger = ExecSQL("select * from PanDian where cname=?", {name});
        QVERIFY(ledger && ledger->count() == 1);
        QCOMPARE(ledger->text(3), QStringLiteral("2"));
    }
    // Nothing else was touched by the SQL-shaped names.
    QCOMPARE(ExecSQL("select * from product_info")->count(), hostileTexts().size());
    const QStringList account = test::rowsOf("select * from user_info");
    QCOMPARE(account.size(), 1);
    QCOMPARE(account.first().section('|', 0, 0), QStringLiteral("vetch"));
    QVERIFY(Database::instance().engine(nullptr)->passwordMatches(account.first().section('|', 1), "vetch"));
    const Statistics statistics = catalogueStatistics("$");
    QVERIFY(!statistics.failed);
    QCOMPARE(int(statistics.products.size()), int(hostileTexts().size()));
    const ReportLines report = monthOfYear("7", "2009", "$");
    QVERIFY(!report.failed);
    QCOMPARE(int(report.lines.size()), int(hostileTexts().size()));
    test::setClock({});
}

void TestHostile::hostileTextsInFiles()
{
    test::TempAppFolder folder;
    for (const QString& text : hostileTexts()) {
        // The settings keep every text without a double quote whole.
        QVERIFY(saveSetup({true, text, "$"}));
        QVERIFY(loadSetup());
        if (!text.contains('"'))
            QCOMPARE(runValues().shopName, text);
        QCOMPARE(runValues().currencySymbol, QStringLiteral("$"));
        // A saved history holds the pane's text as one quoted item, whatever it holds.
        const QString path = folder.file("history.TXT");
        QVERIFY(saveHistoryFile(path, text));
        QCOMPARE(test::fileBytes(path), "\"" + withCrLf(text).toUtf8() + "\"\r\n");
    }
    // Buyer names with commas, blanks or non-ASCII text survive the buyer file.
    const QStringList buyers{"a, b", QString::fromUtf8("Käufer"), "Table 5", "x' OR '1'='1", ""};
    QVERIFY(writeBuyerList(buyers));
    QCOMPARE(readBuyerList(), buyers);
}

void TestHostile::hostileMonthAndYear()
{
    test::TempAppFolder folder;
    for (const QString& text :
         {QString("x' OR '1'='1"), QString("7; DROP TABLE PanDian"), QString("seven"), QString("1e400"), QString()}) {
        QVERIFY(monthOfYear(text, "2009", "$").failed || text.isEmpty());
        QVERIFY(monthOfYear("7", text, "$").failed || text.isEmpty());
    }
    QCOMPARE(ExecSQL("select * from PanDian")->count(), 0); // the table is still there
}

void TestHostile::damagedSettingsFiles()
{
    test::TempAppFolder folder;
    // Binary bytes in setup.dat: a load failure or a load, never a crash.
    QRandomGenerator random(20261207);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(int(random.bounded(200)), Qt::Uninitialized);
        for (char& c : bytes)
            c = char(random.bounded(256));
        damage(folder.file("setup.dat"), bytes);
        loadSetup();
    }
    damage(folder.file("setup.dat"), "\"1\"\r\n\"Shop\"\r\n");
    QVERIFY(!loadSetup());
    damage(folder.file("setup.dat"), QByteArray("\"1\"\r\n\"Sh\0p\"\r\n\"1\"\r\n\"$\"\r\n", 22));
    QVERIFY(loadSetup());

    damage(folder.file("style.dat"), "99999\r\n");
    QVERIFY(!readStyleTheme());
    damage(folder.file("style.dat"), "\"-40000\"\r\n");
    QVERIFY(!readStyleTheme());
    damage(folder.file("style.dat"), QByteArray("\xff\xfe\x00", 3));
    QVERIFY(!readStyleTheme());
    damage(folder.file("style.dat"), "\"11\"\r\n");
    QCOMPARE(readStyleTheme().value_or(-1), qint16(11));

    // An unterminated quote in the buyer file reads to the end of the file.
    damage(buyerListPath(), "\"A1\"\r\n\"Win");
    QCOMPARE(readBuyerList(), (QStringList{"A1", "Win"}));
    QCOMPARE(firstBuyer(), QStringLiteral("A1"));
}

void TestHostile::damagedDatabases_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("not a database") << 0;
    QTest::newRow("wrong key") << 1;
    QTest::newRow("truncated") << 2;
    QTest::newRow("empty file") << 3;
}

void TestHostile::damagedDatabases()
{
    MARVONO_EMBEDDED_ONLY();
    QFETCH(int, kind);
    test::TempAppFolder folder;
    for (int i = 0; i < 200; ++i)
        addProduct(QStringLiteral("Product %1").arg(i));
    Database::instance().close();
    const QString path = folder.file("system32.dll");
    const QByteArray good = test::fileBytes(path);
    if (kind == 0)
        damage(path, QByteArray(good.size(), 'x'));
    else if (kind == 1)
        damage(path, good.left(16) + QByteArray(good.size() - 16, '\x5a'));
    else if (kind == 2)
        damage(path, good.left(good.size() / 3));
    else
        damage(path, QByteArray());

    QString message;
    auto set = ExecSQL("select * from product_info", message);
    // A truncated file may still answer for its first pages; then it must not pass as whole.
    if (set) {
        QCOMPARE(kind, 2);
        QVERIFY(set->count() < 200);
    } else {
        QVERIFY2(message.startsWith("Error:"), qPrintable(message));
    }
    QVERIFY(checkLogin("vetch", "vetch") != LoginCheck::Valid || kind == 2);
    QVERIFY(bookSale("Product 1", "1").outcome != SaleOutcome::Sold || kind == 2);
    if (kind != 2)
        QVERIFY(catalogueStatistics("$").failed);
    // A damaged database is never accepted as a backup to recover from.
    if (kind != 2)
        QVERIFY(!isDatabaseOfThisProgram(path));
    QVERIFY(!QFile::exists(path + "-journal") || kind == 2);
}

void TestHostile::templateThatIsNotAWorkbook()
{
    test::TempAppFolder folder;
    const QString destination = folder.file("report.xls");
    QVERIFY(writeFileAtomically(destination, "the operator's earlier file"));
    for (const QByteArray& bytes :
         {QByteArray("not a workbook"), QByteArray(), QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8)}) {
        QVERIFY(writeFileAtomically(folder.file("bad.rpt"), bytes));
        const ExportResult result = exportReport(folder.file("bad.rpt"), destination, {{"a", "b", "c", "d", "e"}});
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(test::fileBytes(destination), QByteArray("the operator's earlier file"));
    }
}

void TestHostile::missingProductFolders()
{
    // Without the picture and introduction folders (or with files standing in their place) a
    // product is still stored whole; only its files are missing.
    test::TempAppFolder folder;
    QDir(folder.file("qexclient")).removeRecursively();
    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString source = folder.file("source.bmp");
    QVERIFY(picture.save(source, "BMP"));
    AddResult added = addProduct({"Tea", "1", "10", "2", "10", "Drinks", "intro", "1"}, source, pictureWriter(picture));
    QCOMPARE(int(added.outcome), int(AddOutcome::Added));
    QVERIFY(!QFile::exists(folder.file("qexclient/pic/1.jpg")));

    QVERIFY(QDir().mkpath(folder.file("qexclient")));
    QVERIFY(writeFileAtomically(folder.file("qexclient/pic"), "a file where the folder should be"));
    QVERIFY(writeFileAtomically(folder.file("qexclient/info"), "a file where the folder should be"));
    added = addProduct({"Coffee", "1", "10", "2", "10", "Drinks", "intro", "1"}, source, pictureWriter(picture));
    QCOMPARE(int(added.outcome), int(AddOutcome::Added));
    QCOMPARE(test::rowsOf("select cName from product_info order by cName"), (QStringList{"Coffee", "Tea"}));
    QCOMPARE(test::fileBytes(folder.file("qexclient/pic")), QByteArray("a file where the folder should be"));
}

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
