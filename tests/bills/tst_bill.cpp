// Bill lines, totals, checkout and the printed bill, without a window.
#include "app/appcontext.h"
#include "bills/bill.h"
#include "bills/billprint.h"
#include "bills/dayclose.h"
#include "bills/discount.h"
#include "bills/escpos.h"
#include "bills/receipt.h"
#include "bills/receiptexport.h"
#include "bills/returns.h"
#include "bills/shift.h"
#include "bills/shopidentity.h"
#include "bills/thermalprinter.h"
#include "bills/voids.h"
#include "catalogue/products.h"
#include "catalogue/stockmoves.h"
#include "catalogue/taxrates.h"
#include "data/database.h"
#include "data/engine.h"
#include "history/historyfiles.h"
#include "reports/monthlyreport.h"
#include "reports/statistics.h"
#include "sales/sale.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace marvono;

namespace {
// "B|7.5|6.98|0.52": a rate's letter, gross, net and tax.
QStringList figuresOf(const QList<RateFigures>& rates)
{
    QStringList texts;
    for (const RateFigures& rate : rates)
        texts.append(QStringList{rate.rate.code, rate.gross.toText(), rate.net.toText(), rate.tax.toText()}.join('|'));
    return texts;
}
QString totalText(const QStringList& subTotals)
{
    const auto total = billTotal(subTotals);
    return total ? total->toText() : QStringLiteral("<out of range>");
}
// The files' rows as Python's csv module reads them.
QList<QList<QStringList>> readWithPythonCsv(const QStringList& paths)
{
    QProcess python;
    python.start("/usr/bin/python3", QStringList{"-c", "import csv, json, sys\n"
                                                       "print(json.dumps([list(csv.reader(open(p, newline='', "
                                                       "encoding='utf-8'), strict=True)) for p in sys.argv[1:]]))"} +
                                         paths);
    QList<QList<QStringList>> files;
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return files;
    for (const QJsonValue& file : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        files.append(QList<QStringList>());
        for (const QJsonValue& row : file.toArray())
            files.last().append(row.toVariant().toStringList());
    }
    return files;
}
void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("client data");
}
} // namespace

class TestBill : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup()
    {
        test::injectWriteFault(0);
        setPrintLauncher({});
        test::setClock({});
    }
    void totals();
    void readsOnlyTheBuyersLines();
    void lineKeyActsOnTheFirstMatch();
    void settleTakesOnlyTheShownLines();
    void addKeepsRefusedNumbersEmpty();
    void settleDeletesRowsAndClientFile();
    void settleIsAllOrNothing();
    void receiptsByDay();
    void escPosBytes();
    void escPosReachesFileAndListener();
    void returnsNetTheDayAndStopAtTheSold();
    void voidNetsWhatWasLeftOnce();
    void editingASoldLineMovesItsStock();
    void discountsOnLinesAndTheBill();
    void dayCloseTakesWhatCameSinceTheLastClose();
    void dayCloseCountsEachOperatorsDrawer();
    void taxPerRateOnReceiptsAndTheClose();
    void exportForTheAccountant();
    void printedBill();
    void printFileReplacedAndHandedToLp();
};

void TestBill::totals()
{
    QCOMPARE(totalText({"2.5", "4", "abc"}), QStringLiteral("6.5"));
    QCOMPARE(totalText({}), QStringLiteral("0"));
    QCOMPARE(totalText({" 1.5kg", "-0.25", ""}), QStringLiteral("1.25"));
    // Each sub-total is rounded to four decimals before it is added.
    QCOMPARE(totalText({"0.33333", "0.33333", "0.33333"}), QStringLiteral("0.9999"));
    QCOMPARE(totalText({"1e300"}), QStringLiteral("<out of range>"));
    QCOMPARE(totalText({"900000000000000", "900000000000000"}), QStringLiteral("<out of range>"));
    QCOMPARE(totalLabelText(Currency::fromRaw(125000), "$"), QStringLiteral("Total: $12.5"));
    QCOMPARE(totalLabelText(Currency::fromRaw(125000), "USD", true), QStringLiteral("Total : USD12.5"));

    Currency received;
    const Currency total = Currency::fromRaw(75000);
    QCOMPARE(readReceived(" ", total, &received), ReceivedCheck::Accepted);
    QCOMPARE(received, total);
    QCOMPARE(readReceived("7.4999", total, &received), ReceivedCheck::BelowTotal);
    QCOMPARE(readReceived("7,5", total, &received), ReceivedCheck::NotANumber);
    QCOMPARE(readReceived("20.25", total, &received), ReceivedCheck::Accepted);
    QCOMPARE(changeText(received, total, "$"), QStringLiteral("Received: $20.25\nChange: $12.75"));
}

void TestBill::readsOnlyTheBuyersLines()
{
    test::TempAppFolder folder;
    QVERIFY(test::addBillRow("1:00:00 PM", "A1", "Tea", "2", "1.5", "3"));
    QVERIFY(test::addBillRow("1:05:00 PM", "Window", "Cake", "1", "4", "4"));
    QVERIFY(test::addBillRow("0:30", "A1", "Cup", "", "", ""));
    QVERIFY(test::addBillRow("2:00:00 PM", "", "Mug", "1", "2", "2"));
    QCOMPARE(readBill("A1"), (QList<BillLine>{{"1:00:00 PM", "Tea", "2", "1.5", "3"}, {"0:30", "Cup", "", "", ""}}));
    QCOMPARE(readBill(""), (QList<BillLine>{{"2:00:00 PM", "Mug", "1", "2", "2"}}));
    QCOMPARE(readBill("a1"), QList<BillLine>{});
    QCOMPARE(readBill("A1' OR '1'='1"), QList<BillLine>{});
}

void TestBill::lineKeyActsOnTheFirstMatch()
{
    test::TempAppFolder folder;
    QVERIFY(test::addBillRow("9:00:00 AM", "A1", "First", "1", "1", "1"));
    QVERIFY(test::addBillRow("9:00:00 AM", "Window", "Other buyer", "1", "1", "1"));
    QVERIFY(test::addBillRow("9:00:00 AM", "A1", "Second", "2", "2", "4"));
    QCOMPARE(findBillLine("A1", "9:00:00 AM")->product, QStringLiteral("First"));
    QVERIFY(!findBillLine("A1", "9:00:01 AM"));

    QCOMPARE(updateBillLine("A1", "9:00:00 AM", {"10:00", "Changed", "3", "", "9"}), LineChange::Done);
    QCOMPARE(test::rowsOf("select * from Bill"),
             (QStringList{"10:00|A1|Changed|3|<null>|9", "9:00:00 AM|Window|Other buyer|1|1|1",
                          "9:00:00 AM|A1|Second|2|2|4"}));
    QCOMPARE(updateBillLine("A1", "nothing", {"x", "y", "1", "1", "1"}), LineChange::NotFound);
    // A unit price the number column refuses fails the update and leaves the row.
    const QStringList before = test::rowsOf("select * from Bill");
    QCOMPARE(updateBillLine("A1", "9:00:00 AM", {"9:00:00 AM", "Second", "2", "abc", "4"}), LineChange::Failed);
    QCOMPARE(test::rowsOf("select * from Bill"), before);

    QCOMPARE(deleteBillLine("A1", "9:00:00 AM"), LineChange::Done);
    QCOMPARE(deleteBillLine("A1", "9:00:00 AM"), LineChange::NotFound);
    QCOMPARE(test::rowsOf("select cproduct from Bill"), (QStringList{"Changed", "Other buyer"}));
    test::injectWriteFault(1);
    QCOMPARE(deleteBillLine("A1", "10:00"), LineChange::Failed);
    QCOMPARE(test::rowsOf("select cproduct from Bill"), (QStringList{"Changed", "Other buyer"}));
}

void TestBill::addKeepsRefusedNumbersEmpty()
{
    test::TempAppFolder folder;
    QVERIFY(addBillLine("A1", {"noon", "Tea", "2x", "", "abc"}));
    QVERIFY(addBillLine("A1", {"O'Clock", "Mum's \"tea\"", "1", "0.5", "0.5"}));
    QCOMPARE(test::rowsOf("select * from Bill"),
             (QStringList{"noon|A1|Tea|<null>|<null>|<null>", "O'Clock|A1|Mum's \"tea\"|1|0.5|0.5"}));
    QCOMPARE(findBillLine("A1", "O'Clock")->product, QStringLiteral("Mum's \"tea\""));
}

void TestBill::settleDeletesRowsAndClientFile()
{
    test::TempAppFolder folder;
    QVERIFY(test::addBillRow("1", "A1", "Tea", "1", "1", "1"));
    QVERIFY(test::addBillRow("2", "Window", "Tea", "1", "1", "1"));
    QVERIFY(test::addBillRow("3", "A1", "Cup", "1", "1", "1"));
    touch(clientBillPath(0));
    touch(clientBillPath(1));
    touch(clientBillPath(-1));
    QCOMPARE(clientBillPath(0), folder.file("qexclient/bill/0.bil"));

    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QCOMPARE(test::rowsOf("select ctable from Bill"), QStringList{"Window"});
    QVERIFY(!QFile::exists(clientBillPath(0)));
    QVERIFY(QFile::exists(clientBillPath(1)));
    QVERIFY(QFile::exists(clientBillPath(-1)));
    // The empty name of an empty buyer list has no place in it, and no client file.
    QCOMPARE(settleBill("", -1), Settlement::Settled);
    QVERIFY(QFile::exists(clientBillPath(-1)));

    // An empty bill still removes the client file, and a missing file is no failure.
    touch(clientBillPath(0));
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QVERIFY(!QFile::exists(clientBillPath(0)));
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QCOMPARE(test::rowsOf("select ctable from Bill"), QStringList{"Window"});

    // A client file that cannot be removed is reported after the rows are gone.
    QVERIFY(QDir().mkpath(clientBillPath(0) + "/inside"));
    QCOMPARE(settleBill("Window"), Settlement::FileFailed);
    QCOMPARE(test::rowsOf("select count(*) from Bill"), QStringList{"0"});
}

void TestBill::settleTakesOnlyTheShownLines()
{
    test::TempAppFolder folder;
    QVERIFY(test::addBillRow("1", "A1", "Tea", "1", "1", "1"));
    ShownBill shown;
    shown.lines = *readBill("A1", &shown.keys);
    qint64 added = -1;
    QVERIFY(addBillLine("A1", {"3", "Cup", "1", "2", "2"}, &added));
    shown.keys.append(added);
    shown.lines.append({"3", "Cup", "1", "2", "2"});
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)); });
    // Cash that does not cover what is settled settles nothing.
    QCOMPARE(settleBill("A1", 0, &shown, Payment{Currency::fromRaw(29999), "ann"}), Settlement::ShortPaid);
    // A line booked, or changed, elsewhere since the bill was shown: nothing is paid.
    QVERIFY(test::addBillRow("2", "A1", "Cake", "1", "3", "3"));
    QCOMPARE(settleBill("A1", 0, &shown, Payment{Currency::fromRaw(100000), "ann"}), Settlement::Changed);
    QVERIFY(deleteBillLine("A1", "2") == LineChange::Done);
    QVERIFY(updateBillLine("A1", "3", {"3", "Cup", "2", "2", "4"}) == LineChange::Done);
    QCOMPARE(settleBill("A1", 0, &shown, Payment{Currency::fromRaw(100000), "ann"}), Settlement::Changed);
    QCOMPARE(readBill("A1")->size(), 2);
    QVERIFY(updateBillLine("A1", "3", {"3", "Cup", "1", "2", "2"}) == LineChange::Done);
    std::optional<Receipt> receipt;
    QCOMPARE(settleBill("A1", 0, &shown, Payment{Currency::fromRaw(100000), "ann", &receipt}), Settlement::Settled);
    QCOMPARE(readBill("A1"), QList<BillLine>());
    QCOMPARE(test::rowsOf("select cNumber, cTime, cBuyer, cOperator, cTotal, cReceived, cChange, cRefundOf "
                          "from marvono_receipt"),
             QStringList{"1|2026-12-07 14:05:09|A1|ann|3|10|7|<null>"});
    QCOMPARE(readReceipt(1)->lines, (QList<BillLine>{{"1", "Tea", "1", "1", "1"}, {"3", "Cup", "1", "2", "2"}}));
    QCOMPARE(receipt->number, 1);
    QCOMPARE(receipt->change, Currency::fromRaw(70000));
}

void TestBill::receiptsByDay()
{
    test::TempAppFolder folder;
    const QDate day(2026, 12, 7);
    const QStringList subTotals{"2.5", "0.1", "abc", "7"};
    for (int i = 0; i < subTotals.size(); ++i) {
        test::setClock([&] { return QDateTime(day.addDays(i / 3), QTime(23, 59, 59)); });
        QVERIFY(test::addBillRow("t", "A1", "Tea", "1", "", subTotals[i]));
        QCOMPARE(settleBill("A1"), Settlement::Settled);
    }
    const auto receipts = receiptsOfDay(day);
    QCOMPARE(receipts->size(), 3);
    QCOMPARE(receipts->last().number, 3);
    QCOMPARE(receiptsTotal(*receipts), Currency::fromRaw(26000));
    QCOMPARE(receiptsOfDay(day.addDays(1))->first().number, 4);
    QCOMPARE(receiptTextLines(*readReceipt(1), "Shop", {}, "$", 20),
             (QStringList{"        Shop", "Receipt No. 1", "Time: 2026-12-07 23:59:59", "Buyer: A1",
                          "Operator: ", QString(20, '-'), "Tea", "  1 x $        $2.50", QString(20, '-'),
                          "Total          $2.50", "Received       $2.50", "Change         $0.00"}));
}

void TestBill::escPosBytes()
{
    const QByteArray start = QByteArrayLiteral("\x1b\x40\x1b\x74\x10"); // ESC @, ESC t 16
    const QByteArray bold = QByteArrayLiteral("\x1b\x45\x01");          // ESC E 1
    const QByteArray plain = QByteArrayLiteral("\x1b\x45\x00");         // ESC E 0
    const QByteArray feed = QByteArrayLiteral("\x1b\x64\x03");          // ESC d 3
    const QByteArray pulse = QByteArrayLiteral("\x1b\x70\x00\x19\xfa"); // ESC p 0 25 250
    const QByteArray cut = QByteArrayLiteral("\x1d\x56\x42\x00");       // GS V 66 0
    // The shop's name bold, the euro sign in the code page, a control character kept from the
    // printer, a long line cut at the width.
    QCOMPARE(escPosPaper({"Shop \u20ac", "Tea\x1b" + QString(36, 'x')}, 32, 1, true),
             start + bold + "Shop \x80\n" + plain + "Tea?" + QByteArray(28, 'x') + "\n" + QByteArray(8, 'x') + "\n" +
                 feed + pulse + cut);

    Receipt sale;
    sale.lines = {{"9:00", "Tea", "1", "2", "2"}, {"9:01", "Cake", "1", "3", "3"}};
    sale.total = Currency::fromRaw(50000);
    sale.received = Currency::fromRaw(100000);
    QVERIFY(escPosReceipt(sale, "Shop", {}, "$", 48, true).endsWith(feed + pulse + cut));
    QVERIFY(escPosReceipt(sale, "Shop", {}, "$", 48, false).endsWith("\n" + feed + cut));
    Receipt refund = sale;
    refund.refundOf = 1;
    QVERIFY(escPosReceipt(refund, "Shop", {}, "$", 48, true).endsWith("\n" + feed + cut));

    // The identity, kept in a file of its own, prints plain under the bold name; without one the
    // paper is as it was.
    test::TempAppFolder folder;
    QVERIFY(saveShopIdentity(shopIdentityOf(" 1 High St \n\nLeeds", " GB123 ")));
    const ShopIdentity identity = readShopIdentity();
    QCOMPARE(identity, (ShopIdentity{{"1 High St", "Leeds"}, "GB123"}));
    const QByteArray name = start + bold + QByteArray(14, ' ') + "Shop\n" + plain;
    QVERIFY(escPosReceipt(sale, "Shop", identity, "$", 32, false)
                .startsWith(name + QByteArray(11, ' ') + "1 High St\n" + QByteArray(13, ' ') + "Leeds\n" +
                            QByteArray(9, ' ') + "Tax No. GB123\nReceipt No. 0\n"));
    QVERIFY(escPosReceipt(sale, "Shop", {}, "$", 32, false).startsWith(name + "Receipt No. 0\n"));
    QCOMPARE(dayCloseTextLines(DayClose(), "Shop", identity, "$", 24).mid(0, 5),
             (QStringList{"Shop", "1 High St", "Leeds", "Tax No. GB123", "Day close No. 0"}));
    QString error;
    QVERIFY(!saveShopIdentity({{"\"Old Mill\""}, ""}, &error));
    QCOMPARE(readShopIdentity(), identity);
}

void TestBill::escPosReachesFileAndListener()
{
    test::TempAppFolder folder;
    const QByteArray bytes = escPosPaper({"Shop", "Total $2.00"}, 32, 1, true);
    QString error;
    QVERIFY(!sendToPrinter(folder.file("lp0"), bytes, &error));
    QCOMPARE(error, "The receipt printer " + folder.file("lp0") + " is missing: no such device.");
    touch(folder.file("lp0"));
    QVERIFY(sendToPrinter(folder.file("lp0"), bytes, &error));
    QCOMPARE(test::fileBytes(folder.file("lp0")), "client data" + bytes);

    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(listener.serverPort());
    QVERIFY2(sendToPrinter(address, bytes, &error), qPrintable(error));
    QTRY_VERIFY(listener.hasPendingConnections());
    QTcpSocket* printer = listener.nextPendingConnection();
    QTRY_COMPARE(printer->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(printer->readAll(), bytes);
    listener.close();
    QVERIFY(!sendToPrinter(address, bytes, &error));
    QCOMPARE(error, "The receipt printer " + address + " refused the connection.");
}

void TestBill::dayCloseTakesWhatCameSinceTheLastClose()
{
    test::TempAppFolder folder(true, 6); // from when a date had one close
    const QDate day(2026, 12, 7);
    test::setClock([&] { return QDateTime(day, QTime(18, 0)); });
    QVERIFY(test::addProduct("Tea", "1.5", "2.5", "0"));
    QCOMPARE(receiveStock("Tea", "3", "").outcome, StockMoveOutcome::Booked);
    QVERIFY(test::addBillRow("1", "A1", "Tea", "1", "2.5", "2.5"));
    QCOMPARE(settleBill("A1", 0, nullptr, Payment{Currency::fromRaw(100000), "ann"}), Settlement::Settled);
    QVERIFY(test::addBillRow("2", "A1", "Cake", "2", "3", "6"));
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QVERIFY(test::addBillRow("3", "B2", "Cup", "1", "4", "4"));
    QCOMPARE(returnFromReceipt(1, {{1, 1}}, "ann").outcome, ReturnOutcome::Returned);
    // Card and other give no change: over the total they pay nothing; the cash pays the rest.
    QVERIFY(test::addBillRow("5", "C3", "Kettle", "1", "30", "30"));
    Payment split{Currency::fromRaw(200000), "ann"};
    split.card = Currency::fromRaw(310000);
    QCOMPARE(settleBill("C3", 0, nullptr, split), Settlement::OverPaid);
    split.card = Currency::fromRaw(100000);
    split.other = Currency::fromRaw(50000);
    QCOMPARE(settleBill("C3", 0, nullptr, split), Settlement::Settled);
    QCOMPARE(test::rowsOf("select cReceipt, cKind, cAmount from marvono_tender where cReceipt > 2 order by cReceipt, "
                          "cKind"),
             (QStringList{"3|cash|-2.5", "4|card|10", "4|cash|20", "4|other|5"}));
    const QStringList printed = receiptTextLines(*readReceipt(4), "Shop", {}, "$", 24);
    QCOMPARE(printed.mid(printed.size() - 5),
             (QStringList{"Total             $30.00", "Card              $10.00", "Other              $5.00",
                          "Received          $20.00", "Change             $5.00"}));
    // A receipt paid before tenders were kept counts as cash.
    QVERIFY(
        Database::instance().engine(nullptr)->execute("delete from marvono_tender where cReceipt = 2", {}, nullptr));
    QCOMPARE(readReceipt(2)->tenders, (QList<Tender>{{TenderKind::Cash, Currency::fromRaw(60000)}}));
    CloseResult result = closeDay();
    QCOMPARE(result.outcome, CloseOutcome::Closed);
    QCOMPARE(dayCloseTextLines(result.close, "Shop", {}, "$", 24).mid(1, 20),
             (QStringList{"Day close No. 1",          "From: 2026-12-07 18:00:00",
                          "To: 2026-12-07 18:00:00",  "Operator: ",
                          "Receipts No. 1 to 4",      QString(24, '-'),
                          "Receipts               3", "Takings           $38.50",
                          "Refunds (1)       -$2.50", "Net               $36.00",
                          "Cash received     $36.00", "Change given      $12.50",
                          "Net in cash       $21.00", "Net by card       $10.00",
                          "Net other          $5.00", "Goods in at cost   $4.50",
                          QString(24, '-'),           "Bills still open: 1",
                          "  B2               $4.00", "Open total         $4.00"}));
    QCOMPARE(readDayClose(1)->cash, Currency::fromRaw(210000));
    // The late shift closes again the same date: what came after the first close, and only once.
    test::setClock([&] { return QDateTime(day, QTime(23, 30)); });
    QVERIFY(test::addBillRow("4", "A1", "Tea", "1", "2.5", "2.5"));
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    result = closeDay();
    QCOMPARE(result.close.number, 2);
    QCOMPARE(result.close.firstReceipt, 5);
    QCOMPARE(result.close.takings, Currency::fromRaw(25000));
    QCOMPARE(result.close.goodsIn, Currency());
    QCOMPARE(readDayClose(2)->from, QDateTime(day, QTime(18, 0)));
    QCOMPARE(closeDay().outcome, CloseOutcome::AlreadyClosed);
}

void TestBill::dayCloseCountsEachOperatorsDrawer()
{
    test::TempAppFolder folder; // whose operator without a name has a shift with nothing in the drawer
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(18, 0)); });
    QVERIFY(openShift(" ann ", Currency::fromRaw(200000)) && openShift("bob", Currency::fromRaw(50000)));
    QCOMPARE(hasOpenShift("ann"), true);
    QVERIFY(test::addBillRow("1", "A1", "Tea", "3", "2.5", "7.5"));
    QCOMPARE(settleBill("A1", 0, nullptr, Payment{Currency::fromRaw(100000), "ann"}), Settlement::Settled);
    QVERIFY(test::addBillRow("2", "A1", "Cake", "1", "4", "4"));
    QCOMPARE(settleBill("A1", 0, nullptr, Payment{{}, "bob"}), Settlement::Settled);
    QCOMPARE(returnFromReceipt(1, {{1, 1}}, "ann").outcome, ReturnOutcome::Returned);
    QCOMPARE(drawersToCount()->size(), 3);
    // ann: 20 + 10 - 2.50 change - 2.50 refunded; bob: 5 + 4.
    const CloseResult result = closeDay({{"ann", Currency::fromRaw(240000)}, {"bob", Currency::fromRaw(95000)}});
    QCOMPARE(test::rowsOf("select cClose, cOperator, cFloat, cReceived, cChange, cRefunds, cExpected, cCounted, "
                          "cDifference from marvono_close_cash order by cOperator"),
             (QStringList{"1||0|0|0|0|0|<null>|<null>", "1|ann|20|10|2.5|2.5|25|24|-1", "1|bob|5|4|0|0|9|9.5|0.5"}));
    QCOMPARE(hasOpenShift("ann"), false);
    const QStringList paper = dayCloseTextLines(result.close, "Shop", {}, "$", 24);
    QCOMPARE(dayCloseTextLines(*readDayClose(1), "Shop", {}, "$", 24), paper);
    QCOMPARE(paper.mid(paper.indexOf("Cash: ann"), 8),
             (QStringList{"Cash: ann", "  Float           $20.00", "  Cash received   $10.00",
                          "  Change given     $2.50", "  Cash refunds     $2.50", "  Expected        $25.00",
                          "  Counted         $24.00", "  Difference      -$1.00"}));
    QCOMPARE(paper.mid(paper.indexOf("Cash: all operators")),
             (QStringList{"Cash: all operators", "  Float           $25.00", "  Cash received   $14.00",
                          "  Change given     $2.50", "  Cash refunds     $2.50", "  Expected        $34.00",
                          "  Counted    not counted"}));
    // A float alone is a drawer to close; a sale paid after the count sends the drawer back to be
    // counted, closing nothing; then nothing is left.
    QVERIFY(openShift("cat", Currency::fromRaw(100000)));
    const auto countedFor = drawersToCount();
    QCOMPARE(countedFor->value(0).expected(), Currency::fromRaw(100000));
    QVERIFY(test::addBillRow("3", "A1", "Tea", "1", "2.5", "2.5"));
    QCOMPARE(settleBill("A1", 0, nullptr, Payment{{}, "cat"}), Settlement::Settled);
    QCOMPARE(closeDay({{"cat", Currency::fromRaw(100000)}}, &*countedFor).outcome, CloseOutcome::Recount);
    QCOMPARE(test::rowsOf("select count(*) from marvono_day_close"), QStringList{"1"});
    QCOMPARE(closeDay().close.drawers.value(0).expected(), Currency::fromRaw(125000));
    QCOMPARE(closeDay().outcome, CloseOutcome::AlreadyClosed);
}

void TestBill::taxPerRateOnReceiptsAndTheClose()
{
    test::TempAppFolder folder(true, 9); // from before tax rates
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0)); });
    QVERIFY(test::addProduct("Tea", "1", "2.5", "10"));
    QVERIFY(test::addProduct("Cake", "0.05", "0.1", "10"));
    QCOMPARE(bookSale(SaleRequest{"Cake", "1", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    const QStringList untaxed = receiptTextLines(*readReceipt(1), "Shop", {}, "$", 24);
    QVERIFY(!untaxed.join('\n').contains("Tax"));

    QVERIFY(saveTaxRates({{0, "", "Standard", "20", true}, {0, "", "Reduced", "7.5", false}}, nullptr));
    const QList<TaxRate> rates = *readTaxRates();
    QVERIFY(setProductTaxRate(findProduct("Tea").rowKey, rates.at(1).id, nullptr));
    // The rate is the row's: it follows a rename.
    QVERIFY(Database::instance().engine(nullptr)->execute("update product_info set cName = 'Green tea' where cName = "
                                                          "'Tea'",
                                                          {}, nullptr));
    for (const QString product : {"Green tea", "Cake", "Cake"})
        QCOMPARE(bookSale(SaleRequest{product, product == "Cake" ? "1" : "3", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    // 0.10 + 0.10 at 20%: 0.17 net on the rate's gross, where each line's net would add up to 0.16.
    const QStringList taxed = receiptTextLines(*readReceipt(2), "Shop", {}, "$", 24);
    QCOMPARE(taxed.mid(6, 2), (QStringList{"Green tea", "  3 x $2.50      $7.50 B"}));
    QCOMPARE(taxed.mid(taxed.size() - 8),
             (QStringList{"A Standard 20%", "  Gross            $0.20", "  Net              $0.17",
                          "  Tax              $0.03", "B Reduced 7.5%", "  Gross            $7.50",
                          "  Net              $6.98", "  Tax              $0.52"}));
    QCOMPARE(netOfTax(Currency::fromRaw(50), "0"), Currency::fromRaw(100)); // a half: away from zero
    QCOMPARE(netOfTax(Currency::fromRaw(-250), "0"), Currency::fromRaw(-300));

    // A rate changed later leaves the receipts as printed; a refund pays back at the rate paid.
    QVERIFY(saveTaxRates({{rates.at(0).id, "", "Standard", "25", true}, rates.at(1)}, nullptr));
    QCOMPARE(receiptTextLines(*readReceipt(1), "Shop", {}, "$", 24), untaxed);
    QCOMPARE(receiptTextLines(*readReceipt(2), "Shop", {}, "$", 24), taxed);
    QCOMPARE(returnFromReceipt(2, {{1, 1}}, "ann").outcome, ReturnOutcome::Returned);
    QCOMPARE(figuresOf(taxByRate({"-2.5"}, readReceipt(3)->tax)), QStringList{"B|-2.5|-2.33|-0.17"});

    // The close adds up what its receipts printed, rate by rate; lines without a rate untaxed.
    const DayClose close = closeDay().close;
    QCOMPARE(figuresOf(close.takingsTax), (QStringList{"A|0.2|0.17|0.03", "B|7.5|6.98|0.52", "|0.1|0.1|0"}));
    QCOMPARE(figuresOf(close.refundsTax), (QStringList{"A|0|0|0", "B|-2.5|-2.33|-0.17", "|0|0|0"}));
    QCOMPARE(readDayClose(1)->takingsTax, close.takingsTax);
    const QStringList paper = dayCloseTextLines(close, "Shop", {}, "$", 24);
    const qsizetype all = paper.indexOf("All rates");
    QVERIFY(all > 0);
    QCOMPARE(paper.mid(all + 1, 9),
             (QStringList{"  Takings          $7.80", "    net            $7.25", "    tax            $0.55",
                          "  Refunds         -$2.50", "    net           -$2.33", "    tax           -$0.17",
                          "  Net              $5.30", "    net            $4.92", "    tax            $0.38"}));
}

void TestBill::exportForTheAccountant()
{
    test::TempAppFolder folder;
    const QDate day(2026, 12, 7);
    test::setClock([&] { return QDateTime(day, QTime(10, 0)); });
    QVERIFY(saveTaxRates({{0, "", "Standard", "20", true}, {0, "", "Reduced", "7.5", false}}, nullptr));
    QVERIFY(test::addProduct("Tea", "1", "2.5", "10"));
    QVERIFY(test::addProduct("Cake", "0.05", "0.1", "10"));
    QVERIFY(setProductTaxRate(findProduct("Tea").rowKey, readTaxRates()->at(1).id, nullptr));
    QVERIFY(Database::instance().engine(nullptr)->execute("update product_info set cSpare = '40001234' where cName = "
                                                          "'Tea'",
                                                          {}, nullptr));
    for (const QString product : {"Tea", "Cake", "Cake"})
        QCOMPARE(bookSale(SaleRequest{product, product == "Cake" ? "1" : "3", "A1"}).outcome, SaleOutcome::Sold);
    QVERIFY(test::addBillRow("10:00", "A1", "Tea, \"green\"\r\nleaf", "1", "2", "2"));
    QCOMPARE(settleBill("A1", 0, nullptr, Payment{Currency::fromRaw(200000), "ann"}), Settlement::Settled);
    QCOMPARE(returnFromReceipt(1, {{1, 1}}, "ann").outcome, ReturnOutcome::Returned);
    QCOMPARE(closeDay().outcome, CloseOutcome::Closed);
    test::setClock([&] { return QDateTime(day.addDays(1), QTime(9, 0)); }); // after the range
    QCOMPARE(bookSale(SaleRequest{"Cake", "1", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QCOMPARE(closeDay().outcome, CloseOutcome::Closed);

    // The rows as the receipts and the close printed them: a rate's lines add up to its figures.
    const QString path = folder.file("december.csv");
    QString error;
    QVERIFY2(exportReceipts(day.addDays(-6), day, path, &error), qPrintable(error));
    QVERIFY(test::fileBytes(path).startsWith("receipt,time,operator,buyer,product,code,quantity,unit price,gross,"
                                             "rate,percent,net,tax,received,change\r\n1,2026-12-07T10:00:00,ann,"));
    const auto files = readWithPythonCsv({path, folder.file("december-closes.csv")});
    QCOMPARE(files.size(), 2);
    const QString at = "2026-12-07T10:00:00";
    QCOMPARE(files.at(0).mid(1),
             (QList<QStringList>{
                 {"1", at, "ann", "A1", "Tea", "40001234", "3", "2.5", "7.5", "B", "7.5", "6.98", "0.52", "20", "10.3"},
                 {"1", at, "ann", "A1", "Cake", "", "1", "0.1", "0.1", "A", "20", "0.08", "0.02", "20", "10.3"},
                 {"1", at, "ann", "A1", "Cake", "", "1", "0.1", "0.1", "A", "20", "0.09", "0.01", "20", "10.3"},
                 {"1", at, "ann", "A1", "Tea, \"green\"\r\nleaf", "", "1", "2", "2", "A", "20", "1.66", "0.34", "20",
                  "10.3"},
                 {"2", at, "ann", "A1", "Tea", "40001234", "-1", "2.5", "-2.5", "B", "7.5", "-2.33", "-0.17", "-2.5",
                  "0"}}));
    QCOMPARE(figuresOf(taxByRate({"7.5", "0.1", "0.1", "2"}, readReceipt(1)->tax)),
             (QStringList{"A|2.2|1.83|0.37", "B|7.5|6.98|0.52"}));
    QCOMPARE(files.at(1),
             (QList<QStringList>{
                 {"close", "from", "to", "rate", "percent", "takings gross", "takings net", "takings tax",
                  "refunds gross", "refunds net", "refunds tax", "balance gross", "balance net", "balance tax"},
                 {"1", at, at, "A", "20", "2.2", "1.83", "0.37", "0", "0", "0", "2.2", "1.83", "0.37"},
                 {"1", at, at, "B", "7.5", "7.5", "6.98", "0.52", "-2.5", "-2.33", "-0.17", "5", "4.65", "0.35"}}));
    QCOMPARE(figuresOf(readDayClose(1)->takingsTax), (QStringList{"A|2.2|1.83|0.37", "B|7.5|6.98|0.52"}));

    // All or nothing: a closes' file that cannot be written takes the receipts' file back.
    QVERIFY(QDir(folder.path()).mkdir("jan-closes.csv"));
    QVERIFY(!exportReceipts(day, day, folder.file("jan.csv"), &error));
    QVERIFY2(error.startsWith("Cannot write " + folder.file("jan-closes.csv") + ": "), qPrintable(error));
    QVERIFY(!QFile::exists(folder.file("jan.csv")));
}

void TestBill::settleIsAllOrNothing()
{
    test::TempAppFolder folder;
    for (int i = 0; i < 3; ++i)
        QVERIFY(test::addBillRow(QString::number(i), "A1", "Tea", "1", "1", "1"));
    touch(clientBillPath(0));
    const QStringList before = test::databaseSnapshot();
    test::injectWriteFault(2);
    QCOMPARE(settleBill("A1"), Settlement::RowsFailed);
    QCOMPARE(test::databaseSnapshot(), before);
    QVERIFY(QFile::exists(clientBillPath(0)));

    // A receipt that cannot be written keeps the lines on the bill.
    test::injectWriteFault(0);
    QVERIFY(
        Database::instance().engine(nullptr)->execute("insert into marvono_receipt (cNumber) values (1)", {}, nullptr));
    QCOMPARE(settleBill("A1"), Settlement::RowsFailed);
    QCOMPARE(test::databaseSnapshot(), before);
    QCOMPARE(test::rowsOf("select count(*) from marvono_receipt_line"), QStringList{"0"});

    // No database at all.
    Database::instance().close();
    QVERIFY(QFile::remove(folder.file(test::serverEngine() ? "shopserver.conf" : "system32.dll")));
    QCOMPARE(settleBill("A1"), Settlement::RowsFailed);
    QVERIFY(QFile::exists(clientBillPath(0)));
}

void TestBill::returnsNetTheDayAndStopAtTheSold()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2.5", "7"));
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); });
    QCOMPARE(bookSale(SaleRequest{"Tea", "3", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QCOMPARE(returnFromReceipt(1, {{1, 4}}, "ann").outcome, ReturnOutcome::BeyondSold);
    const ReturnResult result = returnFromReceipt(1, {{1, 2}}, "ann");
    QCOMPARE(result.outcome, ReturnOutcome::Returned);
    QCOMPARE(result.refund->total, Currency::fromRaw(-50000));
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("6"));
    QCOMPARE(test::rowsOf("select cqty from PanDian"), QStringList{"1"});
    QCOMPARE(returnFromReceipt(1, {{1, 2}}, "ann").outcome, ReturnOutcome::BeyondSold);
    QCOMPARE(returnFromReceipt(1, {{1, 1}, {1, 1}}, "ann").outcome, ReturnOutcome::BeyondSold);
    QCOMPARE(returnableUnits(1), QList<int>{1});
    QCOMPARE(returnFromReceipt(2, {{1, 1}}, "ann").outcome, ReturnOutcome::NoReceipt);
    QCOMPARE(test::rowsOf("select cNumber, cTotal, cRefundOf from marvono_receipt order by cNumber"),
             (QStringList{"1|7.5|<null>", "2|-5|1"}));
    QCOMPARE(test::rowsOf("select cQty, cSubTotal, cOfLine from marvono_receipt_line where cReceipt = 2"),
             QStringList{"-2|-5|1"});

    // Renamed, the product takes its units back, and the next day's ledger row has its cost.
    test::setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(9, 0)); });
    Engine* engine = Database::instance().engine(nullptr);
    QVERIFY(engine->execute("update product_info set cName = 'Green tea'", {}, nullptr));
    QCOMPARE(returnFromReceipt(1, {{1, 1}}, "ann").outcome, ReturnOutcome::Returned);
    QCOMPARE(test::remainingOf("Green tea"), QStringLiteral("7"));
    QCOMPARE(test::rowsOf("select cname, cinprice, cqty from PanDian where cday = 8"), QStringList{"Green tea|1|-1"});
    QVERIFY(!monthOfEveryYear(12, "$").failed);
    // Gone, it is refunded only; "3 for $10" pays back whole cents, the last unit the rest.
    QCOMPARE(bookSale(SaleRequest{"Green tea", "1", "A1"}).outcome, SaleOutcome::Sold);
    QVERIFY(test::addBillRow("t", "A1", "Cake", "3", "3.3333", "10"));
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QVERIFY(engine->execute("delete from product_info", {}, nullptr));
    QCOMPARE(returnFromReceipt(4, {{1, 1}}, "ann").notes,
             QStringList{"Green tea is no longer in the catalogue: the refund is recorded, no stock was moved."});
    QStringList refunds;
    for (int unit = 0; unit < 3; ++unit)
        refunds.append(returnFromReceipt(4, {{2, 1}}, "ann").refund->total.toText());
    QCOMPARE(refunds, (QStringList{"-3.33", "-3.33", "-3.34"}));
}

void TestBill::voidNetsWhatWasLeftOnce()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2.5", "7"));
    QVERIFY(test::addProduct("Cake", "2", "3", "5"));
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); });
    QCOMPARE(bookSale(SaleRequest{"Tea", "3", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(bookSale(SaleRequest{"Cake", "2", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QCOMPARE(returnFromReceipt(1, {{1, 1}}, "ann").outcome, ReturnOutcome::Returned);
    QCOMPARE(voidReceipt(1, " ", "ann").outcome, VoidOutcome::Failed);
    // A partly returned sale voids the rest only; stock, ledger and close net to nothing.
    const VoidResult voided = voidReceipt(1, "Wrong buyer", "ann");
    QCOMPARE(voided.outcome, VoidOutcome::Voided);
    QCOMPARE(voided.voidReceipt->total, Currency::fromRaw(-110000));
    QCOMPARE(test::rowsOf("select cQty, cSubTotal, cOfLine from marvono_receipt_line where cReceipt = 3"),
             (QStringList{"-2|-5|1", "-2|-6|2"}));
    QCOMPARE(test::rowsOf("select cname, cqty from PanDian order by cname"), (QStringList{"Cake|0", "Tea|0"}));
    QCOMPARE(test::rowsOf("select cLeastQty from product_info order by cName"), (QStringList{"5", "7"}));
    QCOMPARE(test::rowsOf("select cReceipt, cVoid, cOperator, cReason from marvono_void"),
             QStringList{"1|3|ann|Wrong buyer"});
    QCOMPARE(receiptTextLines(*readReceipt(3), "Shop", {}, "$", 24).mid(1, 3),
             (QStringList{"Void No. 3", "VOID of receipt No. 1", "Reason: Wrong buyer"}));
    QCOMPARE(receiptsOfDay(QDate(2026, 12, 7))->first().voidedBy, 3);
    QCOMPARE(voidReceipt(1, "again", "ann").error, "Receipt No. 1 was voided already, by No. 3.");
    QCOMPARE(voidRefusal(3).outcome, VoidOutcome::NotASale);
    QCOMPARE(voidRefusal(2).outcome, VoidOutcome::NotASale);
    QCOMPARE(returnFromReceipt(1, {{2, 1}}, "ann").outcome, ReturnOutcome::Voided);
    const DayClose close = closeDay().close;
    QCOMPARE(close.net(), Currency());
    QVERIFY(dayCloseTextLines(close, "Shop", {}, "$", 32).contains("  of which voids (1)     -$11.00"));

    // Every unit returned: nothing to void. Put back on the bill, the lines are sold again.
    QCOMPARE(bookSale(SaleRequest{"Tea", "1", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QCOMPARE(returnFromReceipt(4, {{1, 1}}, "ann").outcome, ReturnOutcome::Returned);
    QCOMPARE(voidRefusal(4).outcome, VoidOutcome::AllReturned);
    QCOMPARE(bookSale(SaleRequest{"Tea", "2", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(bookSale(SaleRequest{"Cake", "1", "A1"}).outcome, SaleOutcome::Sold);
    QVERIFY(test::addBillRow("t", "A1", "Cup", "1", "4", "4"));
    Payment split{std::nullopt, "ann"};
    split.card = Currency::fromRaw(100000); // a void pays back the card as well as the cash
    QCOMPARE(settleBill("A1", 0, nullptr, split), Settlement::Settled);
    const Receipt again = *voidReceipt(6, "Card refused", "ann").voidReceipt;
    QCOMPARE(test::rowsOf("select cKind, cAmount from marvono_tender where cReceipt = 7 order by cKind"),
             (QStringList{"card|-10", "cash|-2"}));
    Engine* engine = Database::instance().engine(nullptr);
    QVERIFY(engine->execute("update product_info set cLeastQty = '1' where cName = 'Tea'", {}, nullptr));
    QCOMPARE(billVoidedLinesAgain(again), QStringList{"Tea (2 units): not enough units in stock."});
    QCOMPARE(test::rowsOf("select cproduct, cqty, csubtotal from Bill"), (QStringList{"Cake|1|3", "Cup|1|4"}));
    QCOMPARE(test::remainingOf("Cake"), QStringLiteral("4"));
}

void TestBill::editingASoldLineMovesItsStock()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2.5", "7"));
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); });
    QCOMPARE(bookSale(SaleRequest{"Tea", "1", "A1"}).outcome, SaleOutcome::Sold);
    QVERIFY(test::addBillRow("t", "A1", "Tea", "1", "2.5", "2.5"));
    test::setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(9, 0)); });
    const QString sold = timeOfDayText(QTime(9, 0));
    QCOMPARE(updateBillLine("A1", sold, {sold, "Tea", "3", "2.5", "7.5"}), LineChange::Done);
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("4"));
    QCOMPARE(updateBillLine("A1", sold, {sold, "Tea", "9", "2.5", "22.5"}), LineChange::NotEnoughStock);
    QCOMPARE(test::rowsOf("select cqty, cday from PanDian"), QStringList{"3|7"});
    QCOMPARE(deleteBillLine("A1", sold), LineChange::Done);
    QCOMPARE(deleteBillLine("A1", "t"), LineChange::Done); // typed in by hand: the bill only
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("7"));
    QCOMPARE(test::rowsOf("select cqty from PanDian"), QStringList{"0"});
    QCOMPARE(test::rowsOf("select cKind, cUnits, cRemaining from marvono_stock_move order by rowid"),
             (QStringList{"Bill edit|-2|4", "Bill edit|3|7"}));
    // A paid row's identity, taken again by a line typed in by hand, moves no stock.
    QCOMPARE(bookSale(SaleRequest{"Tea", "1", "A1"}).outcome, SaleOutcome::Sold);
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QVERIFY(test::addBillRow("t", "A1", "Tea", "1", "2.5", "2.5"));
    QCOMPARE(deleteBillLine("A1", "t"), LineChange::Done);
    QCOMPARE(test::remainingOf("Tea"), QStringLiteral("6"));
}

void TestBill::discountsOnLinesAndTheBill()
{
    test::TempAppFolder folder;
    QVERIFY(test::addProduct("Tea", "1", "2.5", "10"));
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); });
    QCOMPARE(bookSale(SaleRequest{"Tea", "2", "A1"}).outcome, SaleOutcome::Sold);
    QVERIFY(test::addBillRow("t", "A1", "Cake", "1", "4", "4"));
    QList<qint64> keys;
    QVERIFY(readBill("A1", &keys));
    QCOMPARE(discountLine("A1", keys[0], DiscountKind::Percent, "101").check, DiscountCheck::OverHundred);
    QCOMPARE(discountLine("A1", keys[0], DiscountKind::Amount, "5.01").check, DiscountCheck::OverAmount);
    QCOMPARE(discountLine("A1", keys[0], DiscountKind::Amount, "-1").check, DiscountCheck::NotPositive);
    QCOMPARE(discountLine("A1", keys[0], DiscountKind::Percent, "ten").check, DiscountCheck::NotANumber);
    QCOMPARE(discountLine("A1", keys[0], DiscountKind::Percent, "10").outcome, DiscountOutcome::Done);
    // $1 over $4.50 and $4: 52.94 and 47.06 cents, the larger remainder takes the cent left.
    QCOMPARE(discountBill("A1", DiscountKind::Amount, "1").outcome, DiscountOutcome::Done);
    QCOMPARE(test::rowsOf("select csubtotal from Bill order by rowid"), (QStringList{"3.97", "3.53"}));
    QCOMPARE(discountLine("A1", keys[0], DiscountKind::Percent, "5").outcome, DiscountOutcome::BillDiscounted);
    QCOMPARE(updateBillLine("A1", "t", {"t", "Cake", "2", "4", "8"}), LineChange::Discounted);
    // Only the units sold from stock lower the day's takings in the ledger.
    QCOMPARE(test::rowsOf("select cname, cprice, cinprice, cqty, cday from PanDian order by rowid"),
             (QStringList{"Tea|2.5|1|2|7", "(Discounts)|-1.03|0|1|7"}));
    QCOMPARE(removeDiscount("A1", -1).outcome, DiscountOutcome::Done);
    QCOMPARE(test::rowsOf("select csubtotal from Bill order by rowid"), (QStringList{"4.5", "4"}));
    QCOMPARE(discountBill("A1", DiscountKind::Amount, "1").outcome, DiscountOutcome::Done);
    const Statistics open = catalogueStatistics("$");
    QCOMPARE(open.salesTotal.toText() + '|' + open.profitTotal.toText(), QStringLiteral("3.97|1.97"));

    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QCOMPARE(readReceipt(1)->total, Currency::fromRaw(75000));
    QCOMPARE(receiptTextLines(*readReceipt(1), "Shop", {}, "$", 24).mid(5, 9),
             (QStringList{"------------------------", "Tea", "  2 x $2.50        $5.00", "  Discount 10%    -$0.50",
                          "Cake", "  1 x $4.00        $4.00", "------------------------", "Bill discount     -$1.00",
                          "Total              $7.50"}));
    QCOMPARE(test::rowsOf("select count(*) from marvono_discount"), QStringList{"0"});
    const Statistics paid = catalogueStatistics("$");
    QCOMPARE(paid.salesTotal.toText() + '|' + paid.profitTotal.toText(), QStringLiteral("3.97|1.97"));
    QCOMPARE(test::rowsOf("select cname, cprice, cqty from PanDian order by rowid"),
             (QStringList{"Tea|2.5|2", "(Discounts)|-1.03|1"}));
    // A unit returned gives its share of the discounts back to the ledger and the statistics.
    QCOMPARE(returnFromReceipt(1, {{1, 1}}, "ann").refund->total.toText(), QStringLiteral("-1.99"));
    QCOMPARE(catalogueStatistics("$").salesTotal.toText(), QStringLiteral("1.98"));
    QCOMPARE(test::rowsOf("select cprice from PanDian where cname = '(Discounts)'"), QStringList{"-0.52"});
}

void TestBill::printedBill()
{
    BillPrintout printout{"Test Shop", QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)), {}, "Total: $0", "$"};
    QCOMPARE(
        billPrintBytes(printout),
        QByteArray("Test Shop\r\nTime: 2026-12-07 14:05:09\r\n=================================\r\nTotal: $0\r\n"));
    printout.shopName.clear();
    printout.lines = {{"2:05:09 PM", "Tea", "3", "2.5", "7.5"}, {"x", "Cake", "", "", "abc"}};
    printout.totalLabel = "Total : $7.5";
    QCOMPARE(billPrintBytes(printout), QByteArray("\r\n"
                                                  "Time: 2026-12-07 14:05:09\r\n"
                                                  "=================================\r\n"
                                                  "Time: 2:05:09 PM\r\n"
                                                  "Product: Tea\r\n"
                                                  "Quantity: 3 Unit(s)\r\n"
                                                  "Unit Price: $2.5\r\n"
                                                  "Sub-Total: $7.5\r\n"
                                                  " \r\n"
                                                  "Time: x\r\n"
                                                  "Product: Cake\r\n"
                                                  "Quantity:  Unit(s)\r\n"
                                                  "Unit Price: $\r\n"
                                                  "Sub-Total: $abc\r\n"
                                                  " \r\n"
                                                  "Total : $7.5\r\n"));
}

void TestBill::printFileReplacedAndHandedToLp()
{
    test::TempAppFolder folder;
    QStringList calls;
    setPrintLauncher([&calls](const QString& program, const QStringList& arguments) {
        calls.append(program + " " + arguments.join(" "));
        return true;
    });
    QFile old(billPrintPath());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4096, 'x'));
    old.close();
    const BillPrintout printout{"Shop", QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), {}, "Total: $0", "$"};
    printBill(printout);
    QCOMPARE(billPrintPath(), folder.file("BillPrint.txt"));
    QCOMPARE(test::fileBytes(billPrintPath()), billPrintBytes(printout));
    QCOMPARE(calls, QStringList{"lp " + billPrintPath()});

    // The file cannot be written: printing is still asked for, without complaint.
    QVERIFY(QFile::remove(billPrintPath()));
    QVERIFY(QDir().mkpath(billPrintPath() + "/blocked"));
    printBill(printout);
    QCOMPARE(calls.size(), 2);
}

QTEST_GUILESS_MAIN(TestBill)
#include "tst_bill.moc"
