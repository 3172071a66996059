// Booking a sale without a window: quantity check, stock, bill line, day ledger, atomicity.
#include "app/appcontext.h"
#include "data/database.h"
#include "data/pgengine.h"
#include "data/recordset.h"
#include "sales/sale.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QtTest>
#include <libpq-fe.h>
#include <thread>

using namespace marvono;

namespace {
QDateTime at(int year, int month, int day, int h, int m, int s)
{
    return QDateTime(QDate(year, month, day), QTime(h, m, s));
}
void setClock(const QDateTime& when)
{
    test::setClock([when]() { return when; });
}

// A second till on the same shop server, speaking raw SQL.
struct OtherTill {
    PGconn* conn = PQconnectdb(Database::instance().serverConfig()->connection.toUtf8().constData());
    ~OtherTill() { PQfinish(conn); }
    bool run(const char* sql)
    {
        PGresult* result = PQexec(conn, sql);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
        PQclear(result);
        return ok;
    }
    // Waits (at most a minute) until a till of this database waits for a lock; its process id.
    QByteArray lockWaiter()
    {
        for (int i = 0; i < 6000; ++i) {
            PGresult* result = PQexec(conn, "SELECT pid FROM pg_stat_activity WHERE datname = current_database()"
                                            " AND wait_event_type = 'Lock'");
            const QByteArray pid = PQntuples(result) > 0 ? QByteArray(PQgetvalue(result, 0, 0)) : QByteArray();
            PQclear(result);
            if (!pid.isEmpty())
                return pid;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }
};
} // namespace

class TestSale : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup()
    {
        test::setClock({});
        test::injectWriteFault(0);
    }
    void refusedQuantities_data();
    void refusedQuantities();
    void stockLimitAndRounding();
    void overflowWritesNothing();
    void rowsOfOneSaleAtYearEnd();
    void sameDayAddsUpNextMonthStartsAgain();
    void bookedToFirstBuyer();
    void emptyQuantitySellsNothing();
    void missingProductAndQuotes();
    void faultBetweenWritesRollsBack();
    void confirmationAndReceiptTexts();
    void saleWaitsForAnotherTillsSale();
    void connectionLostMidSaleBooksNothing();
};

void TestSale::refusedQuantities_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::newRow("letter after digits") << "12a";
    QTest::newRow("leading blank") << " 3";
    QTest::newRow("minus") << "-1";
    QTest::newRow("decimal point") << "1.5";
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("\u0663");
}

void TestSale::refusedQuantities()
{
    QFETCH(QString, quantity);
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "10"));
    const QStringList before = test::databaseSnapshot();
    QVERIFY(!isQuantityText(quantity));
    QCOMPARE(bookSale("Tea", quantity).outcome, SaleOutcome::BadQuantity);
    QCOMPARE(test::databaseSnapshot(), before);
}

void TestSale::stockLimitAndRounding()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "5"));
    const QStringList before = test::databaseSnapshot();
    SaleResult result = bookSale("Tea", "6");
    QCOMPARE(result.outcome, SaleOutcome::NotEnoughStock);
    QCOMPARE(test::databaseSnapshot(), before);

    result = bookSale("Tea", "5");
    QCOMPARE(result.outcome, SaleOutcome::Sold);
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("0"));

    // Fractional stock is stored back whole, a half going to the even neighbour.
    QVERIFY(test::addProduct("Half up", "1", "2", "7.5"));
    QVERIFY(test::addProduct("Half down", "1", "2", "6.5"));
    QVERIFY(test::addProduct("Tiny", "1", "2", "0.4"));
    QCOMPARE(bookSale("Half up", "2").remaining, 6);
    QCOMPARE(test::remainingOf("Half up"), QStringLiteral("6"));
    QCOMPARE(bookSale("Half down", "2").remaining, 4);
    QCOMPARE(test::remainingOf("Half down"), QStringLiteral("4"));
    // 0.4 - 1 = -0.6 rounds to -1: refused although the stock is not zero.
    QCOMPARE(bookSale("Tiny", "1").outcome, SaleOutcome::NotEnoughStock);
    // A stock that is not a number counts as 0.
    QVERIFY(test::addProduct("Blank", "1", "2", ""));
    QCOMPARE(bookSale("Blank", "1").outcome, SaleOutcome::NotEnoughStock);
    QCOMPARE(bookSale("Blank", "0").outcome, SaleOutcome::Sold);
}

void TestSale::overflowWritesNothing()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "5"));
    QVERIFY(test::addProduct("Big", "1", "2", "2147483647"));
    const QStringList before = test::databaseSnapshot();
    // The remaining quantity leaves the 32-bit range before the stock is even compared.
    QCOMPARE(bookSale("Tea", "99999999999").outcome, SaleOutcome::Failed);
    QCOMPARE(bookSale("Tea", QString(400, QLatin1Char('9'))).outcome, SaleOutcome::Failed);
    QCOMPARE(test::databaseSnapshot(), before);
    // The largest 32-bit stock still sells.
    QCOMPARE(bookSale("Big", "0").remaining, 2147483647);
    QCOMPARE(test::remainingOf("Big"), QStringLiteral("2147483647"));
}

void TestSale::rowsOfOneSaleAtYearEnd()
{
    test::TempAppFolder folder;
    QVERIFY(test::writeBuyers({"A1"}));
    QVERIFY(test::addProduct("Green tea", "0.75", "1.25", "10"));
    setClock(at(2026, 12, 31, 23, 59, 59));
    const SaleResult result = bookSale("Green tea", "2");
    QCOMPARE(result.outcome, SaleOutcome::Sold);
    QCOMPARE(result.charge, 2.5);
    QCOMPARE(result.price.toText(), QStringLiteral("1.25"));
    QCOMPARE(result.remaining, 8);
    QCOMPARE(result.bookedAt, at(2026, 12, 31, 23, 59, 59));

    QCOMPARE(test::remainingOf("Green tea"), QStringLiteral("8"));
    QCOMPARE(test::rowsOf("select * from Bill"), QStringList{"11:59:59 PM|A1|Green tea|2|1.25|2.5"});
    QCOMPARE(test::rowsOf("select * from PanDian"), QStringList{"Green tea|1.25|0.75|2|31|12|2026"});

    // One second later is another day, month and year: a new ledger row.
    setClock(at(2027, 1, 1, 0, 0, 0));
    QCOMPARE(bookSale("Green tea", "1").outcome, SaleOutcome::Sold);
    QCOMPARE(test::rowsOf("select * from PanDian"),
             (QStringList{"Green tea|1.25|0.75|2|31|12|2026", "Green tea|1.25|0.75|1|1|1|2027"}));
    QCOMPARE(test::rowsOf("select ctime from Bill"), (QStringList{"11:59:59 PM", "12:00:00 AM"}));
}

void TestSale::sameDayAddsUpNextMonthStartsAgain()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "100"));
    QVERIFY(test::addProduct("Coffee", "3", "4", "100"));
    setClock(at(2026, 3, 14, 9, 0, 0));
    QCOMPARE(bookSale("Tea", "3").outcome, SaleOutcome::Sold);
    QCOMPARE(bookSale("Coffee", "1").outcome, SaleOutcome::Sold);
    // Prices changed between the two sales of the day: the row takes the later ones.
    QVERIFY(ExecSQL("update product_info set cInPrice='1.5', cOutPrice='2.5' where cName='Tea'") == nullptr);
    setClock(at(2026, 3, 14, 17, 30, 0));
    QCOMPARE(bookSale("Tea", "4").outcome, SaleOutcome::Sold);

    QCOMPARE(test::rowsOf("select * from PanDian where cname='Tea'"), QStringList{"Tea|2.5|1.5|7|14|3|2026"});
    QCOMPARE(test::rowsOf("select ctime, cqty, cprice, csubtotal from Bill where cproduct='Tea'"),
             (QStringList{"9:00:00 AM|3|2|6", "5:30:00 PM|4|2.5|10"}));
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("93"));

    // Same day number next month: a row of its own; March stays as it was.
    setClock(at(2026, 4, 14, 10, 0, 0));
    QCOMPARE(bookSale("Tea", "2").outcome, SaleOutcome::Sold);
    QCOMPARE(test::rowsOf("select * from PanDian where cname='Tea' order by cmonth"),
             (QStringList{"Tea|2.5|1.5|7|14|3|2026", "Tea|2.5|1.5|2|14|4|2026"}));
    QCOMPARE(test::rowsOf("select count(*) from PanDian where cname='Coffee'"), QStringList{"1"});
}

void TestSale::bookedToFirstBuyer()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "100"));
    // No buyer file at all: the empty buyer.
    QCOMPARE(bookSale("Tea", "1").outcome, SaleOutcome::Sold);
    QVERIFY(test::writeBuyers({}));
    QCOMPARE(bookSale("Tea", "1").outcome, SaleOutcome::Sold);
    QVERIFY(test::writeBuyers({"A1", "Window"}));
    QCOMPARE(bookSale("Tea", "1").outcome, SaleOutcome::Sold);
    QCOMPARE(test::rowsOf("select ctable from Bill"), (QStringList{"", "", "A1"}));
}

void TestSale::emptyQuantitySellsNothing()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "5"));
    setClock(at(2026, 5, 1, 8, 0, 0));
    const SaleResult result = bookSale("Tea", "");
    QCOMPARE(result.outcome, SaleOutcome::Sold);
    QCOMPARE(result.charge, 0.0);
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("5"));
    QCOMPARE(test::rowsOf("select * from Bill"), QStringList{"8:00:00 AM||Tea|<null>|2|0"});
    QCOMPARE(test::rowsOf("select * from PanDian"), QStringList{"Tea|2|1|<null>|1|5|2026"});
    // A later sale the same day still adds up from the empty quantity.
    QCOMPARE(bookSale("Tea", "2").outcome, SaleOutcome::Sold);
    QCOMPARE(test::rowsOf("select cqty from PanDian"), QStringList{"2"});
}

void TestSale::missingProductAndQuotes()
{
    test::TempAppFolder folder;
    const QStringList before = test::databaseSnapshot();
    QCOMPARE(bookSale("", "1").outcome, SaleOutcome::NoProduct);
    QCOMPARE(bookSale("x' OR '1'='1", "1").outcome, SaleOutcome::NoProduct);
    QCOMPARE(test::databaseSnapshot(), before);

    // Names are bound, so apostrophes and quotes sell like any other name.
    const QString odd = QStringLiteral("Mum's \"best\", tea");
    QVERIFY(test::addProduct(odd, "1", "2", "5"));
    QVERIFY(test::writeBuyers({"O'Brien"}));
    QCOMPARE(bookSale(odd, "1").outcome, SaleOutcome::Sold);
    QCOMPARE(test::rowsOf("select ctable, cproduct from Bill"), QStringList{"O'Brien|" + odd});
    QCOMPARE(test::rowsOf("select cname from PanDian"), QStringList{odd});
}

void TestSale::faultBetweenWritesRollsBack()
{
    // The server's case changes a table, which only the shop's owner may.
    test::logInAsShopOwner(true);
    const auto asTill = qScopeGuard([] { test::logInAsShopOwner(false); });
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "5"));
    setClock(at(2026, 6, 1, 12, 0, 0));
    QCOMPARE(bookSale("Tea", "1").outcome, SaleOutcome::Sold);
    // The stock, the bill line and the ledger row are the three writes; fail each in turn,
    // with the ledger row both new (another day) and existing (same day).
    for (const QDateTime& when : {at(2026, 6, 1, 13, 0, 0), at(2026, 6, 2, 9, 0, 0)}) {
        setClock(when);
        for (int nth = 1; nth <= 3; ++nth) {
            const QStringList before = test::databaseSnapshot();
            test::injectWriteFault(nth);
            const SaleResult result = bookSale("Tea", "1");
            QCOMPARE(result.outcome, SaleOutcome::Failed);
            QVERIFY(!result.error.isEmpty());
            QCOMPARE(test::databaseSnapshot(), before);
        }
    }
    test::injectWriteFault(0);
    if (test::serverEngine()) {
        // The server refuses the ledger row, a write sent with the commit: nothing is booked, and
        // the connection sells on.
        QVERIFY(test::addProduct("Refused", "1", "2", "5"));
        ExecSQL("alter table pandian add constraint refused check (cname <> 'Refused')");
        const QStringList before = test::databaseSnapshot();
        QCOMPARE(bookSale("Refused", "1").outcome, SaleOutcome::Failed);
        QCOMPARE(test::databaseSnapshot(), before);
    }
    QCOMPARE(bookSale("Tea", "1").outcome, SaleOutcome::Sold);
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("3"));
}

void TestSale::confirmationAndReceiptTexts()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Cup", "1", "1.25", "10"));
    QVERIFY(test::addProduct("Mug", "1", "2.50", "10"));
    setClock(at(2026, 12, 7, 14, 5, 9));
    SaleResult result = bookSale("Cup", "2");
    QCOMPARE(saleConfirmationText("2", result.storedPrice, result.charge, "USD"),
             QStringLiteral("Quantity: 2 Unit(s)\r\nUnit Price: 1.25 USD\r\nCharge: USD2.5"));
    QCOMPARE(saleReceiptText("Cup", result.price, result.charge, "2", "USD", Clock::now()),
             QStringLiteral("\r\n==============================\r\nProduct Name: Cup\r\nPrice: USD1.25\r\n"
                            "Total: USD2.5\r\nQuantity: 2\r\nTime: 2026-12-07 14:05:09"));

    // The confirmation shows the price as stored, the receipt as a number.
    result = bookSale("Mug", "3");
    QCOMPARE(saleConfirmationText("3", result.storedPrice, result.charge, "$"),
             QStringLiteral("Quantity: 3 Unit(s)\r\nUnit Price: 2.50 $\r\nCharge: $7.5"));
    QVERIFY(saleReceiptText("Mug", result.price, result.charge, "3", "$", Clock::now())
                .contains(QStringLiteral("\r\nPrice: $2.5\r\nTotal: $7.5\r\n")));

    // The times written with every sale are the C locale's, formatted by hand.
    for (const QTime time : {QTime(0, 0), QTime(0, 5, 9), QTime(11, 59, 59), QTime(12, 0), QTime(23, 59, 59)}) {
        QCOMPARE(timeOfDayText(time), QLocale::c().toString(time, QStringLiteral("h:mm:ss AP")));
        const QDateTime when(QDate(987, 1, 2), time);
        QCOMPARE(dateTimeText(when), QLocale::c().toString(when, QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    // A sale's identity is a UUID; one made later sorts later, so the server appends it to its index.
    const QString first = newSaleIdentity();
    QThread::msleep(2);
    const QString later = newSaleIdentity();
    QVERIFY(!QUuid::fromString(first).isNull() && first.size() == 36 && first.at(14) == QLatin1Char('7'));
    QVERIFY2(first < later, qPrintable(first + QLatin1Char(' ') + later));
}

void TestSale::saleWaitsForAnotherTillsSale()
{
    if (!test::serverEngine())
        QSKIP("one till per embedded file");
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "5"));
    // The other till has sold 4 of the 5 and not yet committed.
    OtherTill other;
    QVERIFY(other.run("BEGIN"));
    QVERIFY(other.run("UPDATE product_info SET cLeastQty = '1' WHERE cName = 'Tea'"));
    std::thread committer([&other]() {
        other.lockWaiter();
        other.run("COMMIT");
    });
    const SaleResult sale = bookSale("Tea", "2");
    committer.join();
    // Reading the stock before the other till's commit would sell 6 of 5 and lose its sale.
    QCOMPARE(sale.outcome, SaleOutcome::NotEnoughStock);
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("1"));
    QCOMPARE(test::rowsOf("select * from Bill"), QStringList());

    // Two sales in turn on one day keep one ledger row with both quantities.
    setClock(at(2026, 3, 4, 10, 0, 0));
    QVERIFY(other.run("INSERT INTO PanDian (cname, cprice, cinprice, cqty, cday, cmonth, cyear)"
                      " VALUES ('Tea', '2', '1', '3', 4, 3, 2026)"));
    QCOMPARE(bookSale("Tea", "1").outcome, SaleOutcome::Sold);
    QCOMPARE(test::rowsOf("select cqty from PanDian"), QStringList{"4"});

    // Its statements prepared, a sale waits for the server three times: the product and its
    // ledger row, the writes, the commit. The sale's record still names its bill row.
    const auto* server = dynamic_cast<PgEngine*>(Database::instance().engine(nullptr));
    const quint64 before = server->roundTrips();
    QCOMPARE(bookSale("Tea", "0").outcome, SaleOutcome::Sold);
    QVERIFY2(server->roundTrips() - before <= 3, qPrintable(QString::number(server->roundTrips() - before)));
    QCOMPARE(test::rowsOf("select count(*) from marvono_sale s join Bill b on b.mv_key = s.cBill"), QStringList{"2"});
}

void TestSale::connectionLostMidSaleBooksNothing()
{
    if (!test::serverEngine())
        QSKIP("the embedded file has no connection to lose");
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2", "5"));
    const QStringList before = test::databaseSnapshot();
    OtherTill other;
    QVERIFY(other.run("BEGIN"));
    QVERIFY(other.run("SELECT 1 FROM product_info FOR UPDATE"));
    // The server drops this till's connection while its sale is under way.
    std::thread cutter([&other]() {
        const QByteArray pid = other.lockWaiter();
        other.run(("SELECT pg_terminate_backend(" + pid + ")").constData());
        other.run("ROLLBACK");
    });
    const SaleResult sale = bookSale("Tea", "2");
    cutter.join();
    QCOMPARE(sale.outcome, SaleOutcome::NotBooked);
    QVERIFY2(sale.error.contains("lost"), qPrintable(sale.error));
    QVERIFY(Database::instance().connectionLost());
    // The next statement connects again and finds nothing of the sale.
    QCOMPARE(test::databaseSnapshot(), before);
    QVERIFY(!Database::instance().connectionLost());
}

QTEST_GUILESS_MAIN(TestSale)
#include "tst_sale.moc"
