// Several tills selling from one shop server at once, and tills killed in the middle of a sale.
// Each till is a process of its own running the program's sale code.
#include "bills/bill.h"
#include "bills/buyerlist.h"
#include "bills/dayclose.h"
#include "catalogue/catalogueimport.h"
#include "data/pgschema.h"
#include "sales/sale.h"
#include "settings/operators.h"
#include "support/pgserver.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <libpq-fe.h>
#include <memory>

using namespace marvono;

namespace {

const QStringList kProducts{"Tea", "Cake", "Milk"};

struct Sold {
    int quantity = 0;
    int lines = 0;
};

// "sold NAME QUANTITY LINES" lines of a till's report, added into `sold`; the number refused.
int readReport(const QByteArray& report, QMap<QString, Sold>& sold)
{
    int refused = -1;
    for (const QByteArray& line : report.split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() == 4 && words[0] == "sold") {
            sold[QString::fromUtf8(words[1])].quantity += words[2].toInt();
            sold[QString::fromUtf8(words[1])].lines += words[3].toInt();
        } else if (words.size() == 2 && words[0] == "refused") {
            refused = words[1].toInt();
        }
    }
    return refused;
}

std::unique_ptr<QProcess> startTill(const QString& folder, int sales, int seed)
{
    auto till = std::make_unique<QProcess>();
    till->start(QStringLiteral(MARVONO_TEST_TILL),
                QStringList{folder, QString::number(sales), QString::number(seed)} + kProducts);
    till->waitForStarted();
    return till;
}

} // namespace

class TestTills : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() { MARVONO_START_PG(m_server); }
    void fourTillsSellTheSameProducts();
    void killedTillsLeaveNoHalfSale();
    void tillsPayingAtOnceNumberReceiptsInTurn();
    void twoTillsPayingOneBillPayItOnce();
    void tillsClosingAtOnceCloseOnce();
    void twoTillsVoidingOneReceiptVoidItOnce();
    void shiftsOpenedWhileClosingCountOnce();
    void tillsEditingSoldLinesKeepTheBooks();
    void importWhileSellingKeepsTheStock();
    void twoTillsKeepTheirOperatorsApart();

  private:
    // A shop database with the three products at `stock` each, and the application folder
    // pointed at it with a buyer, the tills logging in as the tills' role; empty on failure.
    QString openShop(test::TempAppFolder& folder, const QString& name, int stock);
    // Per product: stock sold (start - remaining), bill quantity and lines, ledger quantity,
    // and the largest number of ledger rows of one day.
    void checkBooks(const QString& shop, int stock, const QMap<QString, Sold>* expected);

    test::PgTestServer m_server;
};

QString TestTills::openShop(test::TempAppFolder& folder, const QString& name, int stock)
{
    const QString shop = m_server.createDatabase(name);
    if (!test::initShopDatabase(shop))
        return {};
    for (const QString& product : kProducts)
        test::pgRows(shop, QStringLiteral("insert into product_info (cName, cInPrice, cOutPrice, cLeastQty, cPic) "
                                          "values ('%1', '1', '2.5', '%2', 0)")
                               .arg(product)
                               .arg(stock));
    QFile conf(folder.file("shopserver.conf"));
    if (!conf.open(QIODevice::WriteOnly) || !test::writeBuyers({"Counter"}))
        return {};
    conf.write("connection=" + shop.toUtf8() + " user=" + name.toUtf8() + "_till\n");
    return shop;
}

void TestTills::checkBooks(const QString& shop, int stock, const QMap<QString, Sold>* expected)
{
    for (const QString& product : kProducts) {
        const int remaining =
            test::pgValue(shop, QStringLiteral("select cLeastQty from product_info where cName = '%1'").arg(product))
                .toInt();
        const QStringList bill = test::pgRows(
            shop,
            QStringLiteral("select coalesce(sum(cqty::numeric), 0)::int, count(*) from Bill where cproduct = '%1'")
                .arg(product));
        const QStringList ledger =
            test::pgRows(shop, QStringLiteral("select coalesce(sum(q), 0)::int, coalesce(max(n), 0) from "
                                              "(select sum(cqty::numeric) q, count(*) n from PanDian where cname = "
                                              "'%1' group by cday, cmonth, cyear) days")
                                   .arg(product));
        const int sold = stock - remaining;
        QVERIFY2(remaining >= 0, qPrintable(product));
        QCOMPARE(bill.value(0).section('|', 0, 0).toInt(), sold);
        QCOMPARE(ledger.value(0).section('|', 0, 0).toInt(), sold);
        // One ledger row per product and day, however many tills sold it.
        QVERIFY(ledger.value(0).section('|', 1, 1).toInt() <= 1);
        if (expected) {
            QCOMPARE(sold, expected->value(product).quantity);
            QCOMPARE(bill.value(0).section('|', 1, 1).toInt(), expected->value(product).lines);
        }
    }
}

void TestTills::fourTillsSellTheSameProducts()
{
    test::TempAppFolder folder(false);
    // About 4000 units asked for, 1500 in stock: the stock check must turn sales away under load.
    const int stock = 500;
    const QString shop = openShop(folder, "tills", stock);
    QVERIFY(!shop.isEmpty());
    // Each till in a folder of its own, sharing the client folder, books to a buyer of its own.
    std::vector<std::unique_ptr<QTemporaryDir>> tillFolders;
    std::vector<std::unique_ptr<QProcess>> tills;
    for (int seed = 1; seed <= 4; ++seed) {
        tillFolders.push_back(std::make_unique<QTemporaryDir>());
        QFile conf(tillFolders.back()->filePath("shopserver.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("connection=%1\nqexclient=%2\ntill=Till%3\n")
                       .arg(shop, folder.file("qexclient"))
                       .arg(seed)
                       .toUtf8());
        conf.close();
        tills.push_back(startTill(tillFolders.back()->path(), 500, seed));
    }
    QMap<QString, Sold> sold;
    int refused = 0;
    const QStringList tillNames{"Till1", "Till2", "Till3", "Till4"};
    for (int t = 0; t < 4; ++t) {
        auto& till = tills[size_t(t)];
        QVERIFY(till->waitForFinished(600000));
        const QByteArray report = till->readAllStandardOutput();
        QVERIFY2(till->exitCode() == 0, till->readAllStandardError().constData());
        // A slow till may find the stock gone before its first sale: compare what each booked.
        QMap<QString, Sold> tillSold;
        const int tillRefused = readReport(report, tillSold);
        QVERIFY(tillRefused >= 0);
        refused += tillRefused;
        int lines = 0;
        for (auto it = tillSold.cbegin(); it != tillSold.cend(); ++it) {
            sold[it.key()].quantity += it->quantity;
            sold[it.key()].lines += it->lines;
            lines += it->lines;
        }
        QCOMPARE(test::pgRows(shop, QStringLiteral("select count(*) from Bill where ctable = '%1'").arg(tillNames[t])),
                 QStringList{QString::number(lines)});
    }
    QCOMPARE(test::pgRows(shop, "select count(*) from Bill where ctable not like 'Till_'"), QStringList{"0"});
    QStringList buyers = readBuyerList();
    buyers.sort();
    QCOMPARE(buyers, QStringList{"Counter"} + tillNames);
    QVERIFY(refused > 0);
    checkBooks(shop, stock, &sold);
    int sales = 0;
    for (const Sold& s : sold)
        sales += s.lines;
    QCOMPARE(sales + refused, 2000);
}

void TestTills::killedTillsLeaveNoHalfSale()
{
    test::TempAppFolder folder(false);
    const int stock = 1000000;
    const QString shop = openShop(folder, "killed", stock);
    QVERIFY(!shop.isEmpty());
    for (int round = 0; round < 50; ++round) {
        auto till = startTill(folder.path(), 1000000, round + 100);
        QByteArray seen;
        // Let it get going, then kill it after a varying number of sales: most kills land
        // inside a sale's transaction, some between two.
        const int sales = 1 + QRandomGenerator::global()->bounded(8);
        while (seen.count('.') < sales && till->state() == QProcess::Running) {
            till->waitForReadyRead(10000);
            seen += till->readAllStandardOutput();
        }
        QVERIFY2(seen.startsWith("ready"), (seen + till->readAllStandardError()).constData());
        ::kill(pid_t(till->processId()), SIGKILL);
        QVERIFY(till->waitForFinished(30000));
        QCOMPARE(till->exitStatus(), QProcess::CrashExit);
    }
    checkBooks(shop, stock, nullptr);
    QVERIFY(test::pgValue(shop, "select count(*) from Bill").toInt() >= 50);
}

void TestTills::tillsPayingAtOnceNumberReceiptsInTurn()
{
    test::TempAppFolder folder(false);
    const QString shop = openShop(folder, "receipts", 1);
    QVERIFY(!shop.isEmpty());
    std::vector<std::unique_ptr<QProcess>> tills;
    for (const char* buyer : {"A", "B"}) {
        tills.push_back(std::make_unique<QProcess>());
        tills.back()->start(QStringLiteral(MARVONO_TEST_TILL), {folder.path(), "pay:40", buyer});
    }
    QList<int> numbers;
    for (auto& till : tills) {
        QVERIFY(till->waitForFinished(600000));
        QVERIFY2(till->exitCode() == 0, till->readAllStandardError().constData());
        for (const QByteArray& line : till->readAllStandardOutput().split('\n'))
            if (line.startsWith("receipt "))
                numbers.append(line.mid(8).toInt());
    }
    std::sort(numbers.begin(), numbers.end());
    QCOMPARE(numbers.size(), 80);
    QCOMPARE(numbers.first(), 1);
    QCOMPARE(numbers.last(), 80);
    QCOMPARE(QSet<int>(numbers.begin(), numbers.end()).size(), 80);
    QCOMPARE(test::pgValue(shop, "select count(*) from marvono_receipt_line"), QStringLiteral("80"));
}

void TestTills::twoTillsPayingOneBillPayItOnce()
{
    test::TempAppFolder folder(false);
    const QString shop = openShop(folder, "onebill", 1);
    QVERIFY(!shop.isEmpty());
    for (int round = 1; round <= 5; ++round) {
        for (int line = 0; line < 20; ++line)
            test::pgRows(shop, QStringLiteral("insert into Bill (ctime, ctable, cproduct, cqty, cprice, csubtotal) "
                                              "values ('%1', 'Counter', 'Tea', '1', '2.5', '2.5')")
                                   .arg(line));
        std::vector<std::unique_ptr<QProcess>> tills;
        for (int i = 0; i < 2; ++i) {
            tills.push_back(std::make_unique<QProcess>());
            tills.back()->start(QStringLiteral(MARVONO_TEST_TILL), {folder.path(), "shown", "Counter"});
        }
        // Both have read the bill before either pays it.
        for (auto& till : tills)
            QVERIFY(till->waitForReadyRead(60000));
        for (auto& till : tills)
            till->write("go\n");
        QStringList answers;
        for (auto& till : tills) {
            QVERIFY(till->waitForFinished(60000));
            QVERIFY2(till->exitCode() == 0, till->readAllStandardError().constData());
            answers.append(QString::fromUtf8(till->readAllStandardOutput()).section('\n', 1, 1));
        }
        answers.sort();
        QCOMPARE(answers, (QStringList{QStringLiteral("elsewhere The bill was just paid at another till: receipt "
                                                      "No. %1. Nothing was paid here.")
                                           .arg(round),
                                       QStringLiteral("receipt %1").arg(round)}));
    }
    QCOMPARE(test::pgValue(shop, "select count(*) from marvono_receipt_line"), QStringLiteral("100"));
    QCOMPARE(test::pgValue(shop, "select count(*) from Bill"), QStringLiteral("0"));
}

void TestTills::tillsClosingAtOnceCloseOnce()
{
    test::TempAppFolder folder(false);
    const QString shop = openShop(folder, "closes", 1);
    QVERIFY(!shop.isEmpty());
    // Rounds on one date: each sale after a close is closed once, however many tills press Close.
    for (int round = 1; round <= 4; ++round) {
        test::pgRows(shop, QStringLiteral("insert into marvono_receipt (cNumber, cTime, cTotal, cReceived, cChange) "
                                          "values (%1, to_char(now(), 'YYYY-MM-DD HH24:MI:SS'), '2', '2', '0')")
                               .arg(round));
        std::vector<std::unique_ptr<QProcess>> tills;
        for (int i = 0; i < 2; ++i) {
            tills.push_back(std::make_unique<QProcess>());
            tills.back()->start(QStringLiteral(MARVONO_TEST_TILL), {folder.path(), "close"});
        }
        QList<QByteArray> said;
        for (auto& till : tills) {
            QVERIFY(till->waitForFinished(60000));
            QVERIFY2(till->exitCode() == 0, till->readAllStandardError().constData());
            said.append(till->readAllStandardOutput().trimmed());
        }
        std::sort(said.begin(), said.end());
        QCOMPARE(said,
                 (QList<QByteArray>{"already " + QByteArray::number(round), "closed " + QByteArray::number(round)}));
    }
    QCOMPARE(test::pgValue(shop, "select count(*) from marvono_day_close"), QStringLiteral("4"));
}

void TestTills::twoTillsVoidingOneReceiptVoidItOnce()
{
    test::TempAppFolder folder(false);
    const QString shop = openShop(folder, "voids", 10);
    QVERIFY(!shop.isEmpty());
    QCOMPARE(bookSale(SaleRequest{"Tea", "3", "Counter"}).outcome, SaleOutcome::Sold);
    QCOMPARE(settleBill("Counter"), Settlement::Settled);
    std::vector<std::unique_ptr<QProcess>> tills;
    for (int i = 0; i < 2; ++i) {
        tills.push_back(std::make_unique<QProcess>());
        tills.back()->start(QStringLiteral(MARVONO_TEST_TILL), {folder.path(), "void", "1"});
    }
    for (auto& till : tills)
        QVERIFY(till->waitForReadyRead(60000));
    // Both void while the product row is held, so that neither is done before the other starts.
    std::unique_ptr<PGconn, decltype(&PQfinish)> holder(PQconnectdb(shop.toUtf8().constData()), &PQfinish);
    PQclear(PQexec(holder.get(), "begin; select 1 from product_info where cName = 'Tea' for update"));
    for (auto& till : tills)
        till->write("go\n");
    QTRY_COMPARE_WITH_TIMEOUT(test::pgValue(shop, "select count(*) from pg_stat_activity where datname = "
                                                  "current_database() and wait_event_type = 'Lock'"),
                              QStringLiteral("2"), 60000);
    PQclear(PQexec(holder.get(), "commit"));
    QStringList answers;
    for (auto& till : tills) {
        QVERIFY(till->waitForFinished(60000));
        QVERIFY2(till->exitCode() == 0, till->readAllStandardError().constData());
        answers.append(QString::fromUtf8(till->readAllStandardOutput()).section('\n', 1, 1));
    }
    answers.sort();
    QCOMPARE(answers, (QStringList{"refused Receipt No. 1 was voided already, by No. 2.", "voided 2"}));
    QCOMPARE(test::pgValue(shop, "select count(*) from marvono_void"), QStringLiteral("1"));
    checkBooks(shop, 10, nullptr); // the stock back once: nothing sold, nothing on the ledger
    QCOMPARE(test::pgValue(shop, "select cLeastQty from product_info where cName = 'Tea'"), QStringLiteral("10"));
}

// Two tills open shifts (floats of 1) while this one closes: each float goes to exactly one close.
void TestTills::shiftsOpenedWhileClosingCountOnce()
{
    test::TempAppFolder folder(false);
    const QString shop = openShop(folder, "shifts", 1);
    QVERIFY(!shop.isEmpty());
    std::vector<std::unique_ptr<QProcess>> tills;
    for (const char* name : {"ann", "bob"}) {
        tills.push_back(std::make_unique<QProcess>());
        tills.back()->start(QStringLiteral(MARVONO_TEST_TILL), {folder.path(), "shifts:150", name});
    }
    for (auto& till : tills) {
        while (!till->waitForFinished(1))
            QVERIFY(closeDay().outcome != CloseOutcome::Failed);
        QVERIFY2(till->exitCode() == 0, till->readAllStandardError().constData());
    }
    QVERIFY(closeDay().outcome != CloseOutcome::Failed);
    QCOMPARE(test::pgValue(shop, "select count(*) from marvono_shift where cClose is null"), QStringLiteral("0"));
    QCOMPARE(test::pgValue(shop, "select sum(cFloat::numeric) from marvono_close_cash"), QStringLiteral("300"));
    QVERIFY(test::pgValue(shop, "select count(distinct cClose) from marvono_close_cash").toInt() > 2);
    QCOMPARE(test::pgValue(shop, "select count(*) from marvono_close_cash c where cFloat::numeric <> (select "
                                 "sum(cFloat::numeric) from marvono_shift s where s.cClose = c.cClose and "
                                 "s.cOperator = c.cOperator)"),
             QStringLiteral("0"));
}

void TestTills::tillsEditingSoldLinesKeepTheBooks()
{
    test::TempAppFolder folder(false);
    const QString shop = openShop(folder, "edits", 1000);
    QVERIFY(!shop.isEmpty());
    std::vector<std::unique_ptr<QProcess>> tills;
    tills.push_back(startTill(folder.path(), 200, 7));
    for (const char* buyer : {"A", "B"}) {
        tills.push_back(std::make_unique<QProcess>());
        tills.back()->start(QStringLiteral(MARVONO_TEST_TILL), {folder.path(), "edit:40", buyer});
    }
    for (auto& till : tills) {
        QVERIFY(till->waitForFinished(600000));
        QVERIFY2(till->exitCode() == 0, till->readAllStandardError().constData());
    }
    checkBooks(shop, 1000, nullptr);
}

// Imports re-pricing the products while a till sells them: an import writes what its file changes,
// never a remaining quantity it read before a sale.
void TestTills::importWhileSellingKeepsTheStock()
{
    test::TempAppFolder folder(false);
    const QString shop = openShop(folder, "imports", 1000);
    QVERIFY(!shop.isEmpty());
    auto till = startTill(folder.path(), 300, 11);
    const QString path = folder.file("prices.csv");
    for (int round = 0; !till->waitForFinished(1) || round < 2; ++round) {
        QFile csv(path);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(QStringLiteral("Name,Retail price\nTea,%1\nCake,%1\nMilk,%1\n").arg(3 + round % 2).toUtf8());
        csv.close();
        const std::optional<CatalogueFile> file = readCatalogueFile(path, nullptr);
        const ImportResult result = applyImport(*file, guessMapping(file->header));
        QVERIFY2(result.ok && result.plan.count(RowAction::Update) == 3, qPrintable(result.error));
    }
    QVERIFY2(till->exitCode() == 0, till->readAllStandardError().constData());
    QMap<QString, Sold> sold;
    QCOMPARE(readReport(till->readAllStandardOutput(), sold), 0);
    checkBooks(shop, 1000, &sold);
}

void TestTills::twoTillsKeepTheirOperatorsApart()
{
    test::TempAppFolder folder(false);
    const QString shop = openShop(folder, "operators", 1);
    QVERIFY(!shop.isEmpty());
    QString error;
    QVERIFY2(addOperator("Ann", "ann-pw", Role::Cashier, &error) && addOperator("Bob", "bob-pw", Role::Owner, &error),
             qPrintable(error));
    // Each till pays as the operator logged in there, while the other pays at the same time.
    std::vector<std::unique_ptr<QProcess>> tills;
    const QStringList logins{"as:Ann:ann-pw", "as:Bob:bob-pw", "as:Ann:bob-pw"};
    for (const QString& login : logins) {
        tills.push_back(std::make_unique<QProcess>());
        tills.back()->start(QStringLiteral(MARVONO_TEST_TILL),
                            {folder.path(), login, "pay:10", "Buyer of " + login.section(':', 1, 1)});
    }
    for (auto& till : tills)
        QVERIFY(till->waitForFinished(600000));
    QVERIFY2(tills[0]->exitCode() == 0, tills[0]->readAllStandardError().constData());
    QVERIFY2(tills[1]->exitCode() == 0, tills[1]->readAllStandardError().constData());
    QCOMPARE(tills[2]->exitCode(), 3);
    QCOMPARE(test::pgRows(shop, "select cBuyer, cOperator, count(*) from marvono_receipt group by 1, 2 order by 1"),
             (QStringList{"Buyer of Ann|Ann|10", "Buyer of Bob|Bob|10"}));
}

QTEST_MAIN(TestTills)
#include "tst_tills.moc"
