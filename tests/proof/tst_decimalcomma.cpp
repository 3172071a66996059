// The program under a locale whose decimal separator is a comma: every number it reads or writes
// keeps "." as its decimal point. The locale is built privately before the application starts,
// and the program fails (never skips) when it cannot be put in effect.
#include "app/appcontext.h"
#include "app/numbers.h"
#include "app/ui/mainwindow.h"
#include "bills/bill.h"
#include "bills/receipt.h"
#include "catalogue/ui/productlistmodel.h"
#include "data/recordset.h"
#include "reports/ui/monthlyreportwindow.h"
#include "reports/ui/statisticswindow.h"
#include "sales/sale.h"
#include "support/history_dialogs.h"
#include "support/shopdata.h"
#include "support/testsupport.h"
#include "support/xlsreader.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

using namespace marvono;

class TestDecimalComma : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<test::TempAppFolder>();
        QVERIFY(m_folder->isValid());
        runValues().currencySymbol = "$";
    }
    void cleanup()
    {
        test::setClock({});
        m_folder.reset();
    }
    void readingNumbersAndTheLowStockTest();
    void saleAndBillTotal();
    void statistics();
    void reportAndExport();
    void typedWithAComma();

  private:
    std::unique_ptr<test::TempAppFolder> m_folder;
};

void TestDecimalComma::readingNumbersAndTheLowStockTest()
{
    QCOMPARE(leadingNumber(u"12.5"), 12.5);
    QCOMPARE(leadingNumber(u" 2.5abc"), 2.5);
    QCOMPARE(leadingNumber(u"-1.25e1"), -12.5);
    QCOMPARE(leadingNumber(u"1,5"), 1.0);
    QCOMPARE(generalText(0.1 + 0.2), QString("0.3"));
    QCOMPARE(Currency::fromDouble(7.125)->toText(), QString("7.125"));

    // 2.5 left, alert at 2.75: low on stock only when the fractions are read.
    QVERIFY(test::addProduct("Cup", "1.25", "2.5", "2.5"));
    ExecSQL("update product_info set cAlert='2.75'");
    ProductListModel model;
    QVERIFY(model.fill().complete);
    QVERIFY(model.isLowStock(0));
}

void TestDecimalComma::saleAndBillTotal()
{
    QVERIFY(test::addProduct("Cup", "1.25", "2.5", "10"));
    QVERIFY(test::writeBuyers({"A1"}));
    const SaleResult sale = bookSale("Cup", "3");
    QCOMPARE(int(sale.outcome), int(SaleOutcome::Sold));
    QCOMPARE(sale.charge, 7.5);
    QCOMPARE(saleConfirmationText("3", sale.storedPrice, sale.charge, "$"),
             QString("Quantity: 3 Unit(s)\r\nUnit Price: 2.5 $\r\nCharge: $7.5"));
    QCOMPARE(test::rowsOf("select cqty, cprice, csubtotal from Bill"), QStringList{"3|2.5|7.5"});
    QCOMPARE(test::rowsOf("select cprice, cinprice, cqty from PanDian"), QStringList{"2.5|1.25|3"});

    QVERIFY(addBillLine("A1", {"noon", "Tea", "1", "0.25", "0.25"}));
    const auto bill = readBill("A1");
    QVERIFY(bill);
    QStringList subTotals;
    for (const BillLine& line : *bill)
        subTotals.append(line.subTotal);
    const auto total = billTotal(subTotals);
    QVERIFY(total);
    QCOMPARE(totalLabelText(*total, "$"), QString("Total: $7.75"));
}

void TestDecimalComma::statistics()
{
    // 60 of 100 sold at 2.5, bought at 1.25.
    QVERIFY(test::addProduct("Cup", "1.25", "2.5", "40"));
    ExecSQL("update product_info set cAllQty='100'");
    test::BoxAnswerer answerer;
    StatisticsWindow window;
    QVERIFY(!answerer.box().seen);
    QCOMPARE(window.findChild<QLabel*>("lblTotalSale")->text(), QString("Total Sale: $150"));
    QCOMPARE(window.findChild<QLabel*>("lblTotalProfit")->text(), QString("Profit Total: $75"));
}

void TestDecimalComma::reportAndExport()
{
    QCOMPARE(QProcess::execute(MARVONO_TOOLS_DIR "/marvono-maketemplate", {m_folder->file("report/report.rpt")}), 0);
    test::setClock([] { return QDateTime(QDate(2009, 7, 20), QTime(10, 0)); });
    QString message;
    ExecSQL("insert into PanDian values (?,?,?,?,?,?,?)", message, {"Cola", "10.1", "8", "3", 6, 7, 2009});
    const QStringList line = {"2009-7-6", "Cola", "3Unit(s)", "$10.1", "6.3"};

    std::unique_ptr<MonthlyReportWindow> window;
    {
        test::BoxAnswerer opening;
        window = std::make_unique<MonthlyReportWindow>();
        QVERIFY(!opening.box().seen);
    }
    const QAbstractItemModel* list = window->findChild<QTreeView*>("LV")->model();
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(list->index(0, 4).data().toString(), line.last());

    const QString path = m_folder->file("July.xls");
    test::FileDialogAnswerer files(path);
    test::BoxAnswerer exported;
    window->findChild<QPushButton*>("cmdExcel")->click();
    QCOMPARE(exported.box().title, QString("Successful"));
    const test::XlsBook book = test::readWithXlrd(path);
    QVERIFY2(book.ok, qPrintable(book.error));
    QCOMPARE(book.sheets.value(0).rows.value(1), line);
}

void TestDecimalComma::typedWithAComma()
{
    // Typed with the locale's comma, a price is stored with a point: reports and the shop server
    // read it, and the product never sells at 0.
    QVERIFY(test::writeBuyers({"A1"}));
    MainWindow main;
    main.show();
    main.runCommand(Command::AddProduct);
    QWidget* add = main.findChild<QWidget*>("frmTJSP");
    QVERIFY(add);
    const QStringList typed{"Tea", "0,60", "10", "1,49", "10"};
    const char* const boxes[] = {"txtName", "txtInPrice", "txtAllQty", "txtOutPrice", "txtLeastQty"};
    for (int i = 0; i < typed.size(); ++i)
        add->findChild<QLineEdit*>(boxes[i])->setText(typed[i]);
    add->findChild<QPushButton*>("cmdOK")->click();
    QCOMPARE(test::rowsOf("select cInPrice, cOutPrice from product_info"), QStringList{"0.60|1.49"});

    main.runCommand(Command::OpenBillEditor);
    QWidget* bill = main.findChild<QWidget*>("frmBill");
    const QStringList line{"10:00", "Tea", "2", "1,49", "2,98"};
    const char* const lineBoxes[] = {"txtTime", "txtFood", "txtQty", "txtUprice", "txtPrice"};
    for (int i = 0; i < line.size(); ++i)
        bill->findChild<QLineEdit*>(lineBoxes[i])->setText(line[i]);
    bill->findChild<QPushButton*>("cmdadd")->click();
    QCOMPARE(test::rowsOf("select cprice, csubtotal from Bill"), QStringList{"1.49|2.98"});
    QCOMPARE(bill->findChild<QLabel*>("lblTotal")->text(), QString("Total : $2.98"));
    Currency received;
    QCOMPARE(readReceived("20,5", Currency::fromRaw(29800), &received), ReceivedCheck::Accepted);
    QCOMPARE(received.toText(), QString("20.5"));
}

namespace {

// Compiles de_DE.UTF-8 into `folder` with the C library's own tool.
bool buildCommaLocale(const QByteArray& folder)
{
    QByteArray target = folder + "/de_DE.UTF-8";
    char localedef[] = "localedef", i[] = "-i", source[] = "de_DE", f[] = "-f", charmap[] = "UTF-8";
    char* const arguments[] = {localedef, i, source, f, charmap, target.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, localedef, nullptr, nullptr, arguments, environ) != 0)
        return false;
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// The locale has to be in the environment before QApplication applies it with setlocale().
int main(int argc, char** argv)
{
    const char* tmp = std::getenv("TMPDIR");
    QByteArray folder = QByteArray(tmp && *tmp ? tmp : "/tmp") + "/marvono-locale-XXXXXX";
    if (!mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const bool built = buildCommaLocale(folder);
    setenv("LOCPATH", folder.constData(), 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    int result = 1;
    {
        QApplication app(argc, argv);
        if (!built || std::strcmp(std::localeconv()->decimal_point, ",") != 0 ||
            QLocale().decimalPoint() != QStringLiteral(",")) {
            std::fprintf(stderr, "FAIL: the decimal-comma locale de_DE.UTF-8 could not be built or put in effect "
                                 "(localedef, Debian package locales)\n");
        } else {
            TestDecimalComma test;
            result = QTest::qExec(&test, argc, argv);
        }
    }
    QDir(QString::fromLocal8Bit(folder)).removeRecursively();
    return result;
}

#include "tst_decimalcomma.moc"
