// The bill editor driven as the operator does: list, click, add, update, delete, pay and print.
#include "app/appcontext.h"
#include "app/ui/mainwindow.h"
#include "bills/bill.h"
#include "bills/billprint.h"
#include "bills/shift.h"
#include "bills/thermalprinter.h"
#include "bills/ui/billwindow.h"
#include "bills/ui/receiptswindow.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "data/engine.h"
#include "history/historyfiles.h"
#include "sales/sale.h"
#include "support/history_dialogs.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace marvono;

namespace {

struct Editor {
    test::TempAppFolder folder;
    MainWindow main;
    QPointer<BillWindow> dialog;
    QStringList printed;

    Editor()
    {
        main.show();
        setPrintLauncher([this](const QString& program, const QStringList& arguments) {
            printed.append(program + " " + arguments.join(" "));
            return true;
        });
    }
    ~Editor() { setPrintLauncher({}); }
    void open()
    {
        main.runCommand(Command::OpenBillEditor);
        dialog = main.findChild<BillWindow*>(QStringLiteral("frmBill"));
    }
    QTreeWidget* list() const { return dialog->findChild<QTreeWidget*>("LV"); }
    QLineEdit* box(const char* name) const { return dialog->findChild<QLineEdit*>(name); }
    QString total() const { return dialog->findChild<QLabel*>("lblTotal")->text(); }
    QStringList lines() const
    {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < 5; ++c)
                cells.append(list()->topLevelItem(i)->text(c));
            texts.append(cells.join("|"));
        }
        return texts;
    }
    void click(int row)
    {
        QTreeWidgetItem* item = list()->topLevelItem(row);
        list()->setCurrentItem(item);
        emit list()->itemClicked(item, 0);
    }
    void type(const QString& time, const QString& product, const QString& quantity, const QString& unitPrice,
              const QString& subTotal)
    {
        box("txtTime")->setText(time);
        box("txtFood")->setText(product);
        box("txtQty")->setText(quantity);
        box("txtUprice")->setText(unitPrice);
        box("txtPrice")->setText(subTotal);
    }
    test::SeenBox press(const char* button, QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        test::BoxAnswerer answerer(answer);
        dialog->findChild<QPushButton*>(button)->click();
        return answerer.box();
    }
};

} // namespace

class TestBillWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() { test::setClock({}); }
    void controlsAndFirstBuyersBill();
    void emptyBuyerListShowsTheEmptyBuyer();
    void clickFillsTheBoxes();
    void addNewChecksOnlyForBlanks();
    void updateChecksQuantityAndKeepsTheKey();
    void deleteAsksAndTakesTheFirstMatch();
    void payBill();
    void discountsAskAnOwnerAndPrint();
    void chosenBuyersBillIsEditedAndSettled();
    void lostConnectionSaysWhetherPaid();
    void printBill();
    void receiptsWindow();
    void escPosPrinter();
};

void TestBillWindow::controlsAndFirstBuyersBill()
{
    Editor editor;
    runValues().currencySymbol = "USD";
    runValues().themeIndex = 3;
    QVERIFY(test::writeBuyers({"A1", "Window"}));
    QVERIFY(test::addBillRow("1:00:00 PM", "A1", "Tea", "2", "1.25", "2.5"));
    QVERIFY(test::addBillRow("1:01:00 PM", "Window", "Cake", "1", "4", "4"));
    QVERIFY(test::addBillRow("1:02:00 PM", "A1", "Cup", "1", "4", "4"));
    QVERIFY(test::addBillRow("1:03:00 PM", "A1", "Odd", "1", "", ""));
    editor.open();
    QVERIFY(editor.dialog);
    QCOMPARE(editor.dialog->windowTitle(), QStringLiteral("Bill"));
    QWidget* container = editor.dialog->findChild<QWidget*>("XPContainer1");
    QCOMPARE(container->property("Caption").toString(), QStringLiteral("Payment"));
    QCOMPARE(container->property("Theme").toInt(), 3);
    QCOMPARE(editor.dialog->findChild<QLabel*>("Label7")->text(), QStringLiteral("USD"));
    QCOMPARE(editor.dialog->findChild<QLabel*>("Label8")->text(), QStringLiteral("USD"));
    auto* buyers = editor.dialog->findChild<QComboBox*>("cmbTable");
    QVERIFY(buyers->isHidden());
    QCOMPARE(buyers->count(), 2);
    QCOMPARE(buyers->currentIndex(), -1);
    QCOMPARE(editor.dialog->findChild<QLabel*>("lblBuyer")->text(), QStringLiteral("Buyer: A1"));
    QVERIFY(editor.box("Text1")->isHidden());
    QStringList headers;
    for (int c = 0; c < editor.list()->columnCount(); ++c)
        headers.append(editor.list()->headerItem()->text(c));
    QCOMPARE(headers, (QStringList{"Time", "Product", "Quantity", "Unit Price", "Sub-Total"}));
    const QList<QPair<const char*, const char*>> captions{{"cmdadd", "Add New"},        {"cmdupdate", "Update"},
                                                          {"cmddel", "Delete"},         {"cmdPrint", "Print Bill"},
                                                          {"cmdCheckout", "Pay  Bill"}, {"cmdExit", "Leave"}};
    for (const auto& [name, caption] : captions)
        QCOMPARE(editor.dialog->findChild<QPushButton*>(name)->text(), QString::fromLatin1(caption));
    QStringList labels;
    for (QLabel* label : editor.dialog->findChildren<QLabel*>())
        labels.append(label->text());
    for (const char* text : {"Bill:", "Time:", "Product:", "Quantity:", "Unit Price:", "Sub-Total:"})
        QVERIFY2(labels.contains(QString::fromLatin1(text)), text);

    // Only A1's lines, as the database holds them, and their total as currency.
    QCOMPARE(editor.lines(), (QStringList{"1:00:00 PM|Tea|2|1.25|2.5", "1:02:00 PM|Cup|1|4|4", "1:03:00 PM|Odd|1||"}));
    QCOMPARE(editor.total(), QStringLiteral("Total: USD6.5"));

    // Lines booked while the editor is open show when Checkout brings it up again.
    QVERIFY(test::addBillRow("1:04:00 PM", "A1", "Late", "1", "1", "1"));
    editor.open();
    QCOMPARE(editor.list()->topLevelItemCount(), 4);
    QCOMPARE(editor.main.findChildren<BillWindow*>().size(), 1);
    QCOMPARE(editor.main.findChild<QLabel*>("lblBillTotal")->text(), QStringLiteral("Bill: USD7.5"));
    // And when the operator comes back to it from the main window.
    editor.main.activateWindow();
    QTRY_VERIFY(editor.main.isActiveWindow());
    QVERIFY(test::addBillRow("1:05:00 PM", "A1", "Scan", "1", "1", "1"));
    editor.dialog->activateWindow();
    QTRY_COMPARE(editor.list()->topLevelItemCount(), 5);
    editor.dialog->findChild<QPushButton*>("cmdExit")->click();
    QTRY_VERIFY(editor.dialog.isNull());
    editor.open();
    QCOMPARE(editor.list()->topLevelItemCount(), 5);
}

void TestBillWindow::emptyBuyerListShowsTheEmptyBuyer()
{
    Editor editor;
    QVERIFY(test::addBillRow("1", "", "Tea", "1", "2", "2"));
    QVERIFY(test::addBillRow("2", "A1", "Cake", "1", "4", "4"));
    editor.open();
    QCOMPARE(editor.lines(), QStringList{"1|Tea|1|2|2"});
    QCOMPARE(editor.total(), QStringLiteral("Total: $2"));
}

void TestBillWindow::clickFillsTheBoxes()
{
    Editor editor;
    QVERIFY(test::writeBuyers({"A1"}));
    QVERIFY(test::addBillRow("9:00:00 AM", "A1", "Tea", "2", "1.5", "3"));
    QVERIFY(test::addBillRow("9:30:00 AM", "A1", "Cake", "1", "4", "4"));
    editor.open();
    editor.click(1);
    QCOMPARE(editor.box("Text1")->text(), QStringLiteral("9:30:00 AM"));
    QCOMPARE(editor.box("txtTime")->text(), QStringLiteral("9:30:00 AM"));
    QCOMPARE(editor.box("txtFood")->text(), QStringLiteral("Cake"));
    QCOMPARE(editor.box("txtQty")->text(), QStringLiteral("1"));
    QCOMPARE(editor.box("txtUprice")->text(), QStringLiteral("4"));
    QCOMPARE(editor.box("txtPrice")->text(), QStringLiteral("4"));
    // A line gone from the database leaves the boxes as they were.
    QVERIFY(settleBill("A1") == Settlement::Settled);
    editor.click(0);
    QCOMPARE(editor.box("Text1")->text(), QStringLiteral("9:00:00 AM"));
    QCOMPARE(editor.box("txtFood")->text(), QStringLiteral("Cake"));
}

void TestBillWindow::addNewChecksOnlyForBlanks()
{
    Editor editor;
    QVERIFY(test::writeBuyers({"A1"}));
    editor.open();
    QCOMPARE(editor.total(), QStringLiteral("Total: $0"));
    for (int blank = 0; blank < 4; ++blank) {
        QStringList texts{"t", "Tea", "1", "2"};
        texts[blank].clear();
        editor.type(texts[0], texts[1], texts[2], "1", texts[3]);
        const test::SeenBox box = editor.press("cmdadd");
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.text, QStringLiteral("Please completely fill the blank"));
        QCOMPARE(box.icon, QMessageBox::Warning);
    }
    QCOMPARE(editor.list()->topLevelItemCount(), 0);
    QCOMPARE(test::rowsOf("select count(*) from Bill"), QStringList{"0"});

    editor.type("10:00", "Tea", "1", "", "2.5");
    QVERIFY(!editor.press("cmdadd").seen);
    // A text that is no number would be stored empty and drop out of the total: it is refused.
    for (const QString wrong : {"2x", "12abc", " -0.5x"}) {
        editor.type("10:05", "Cake", wrong, "2", "4");
        QCOMPARE(editor.press("cmdadd").text,
                 QStringLiteral("The Quantity box holds \"%1\", which is not a number: nothing was stored. Type the "
                                "number with digits and a decimal point, for example 0.60.")
                     .arg(wrong));
        editor.type("10:10", "Junk", "1", "1", wrong);
        QVERIFY(editor.press("cmdadd").text.startsWith("The Sub-Total box holds"));
    }
    QCOMPARE(editor.lines(), QStringList{"10:00|Tea|1||2.5"});
    QCOMPARE(test::rowsOf("select * from Bill"), QStringList{"10:00|A1|Tea|1|<null>|2.5"});
}

void TestBillWindow::updateChecksQuantityAndKeepsTheKey()
{
    Editor editor;
    QVERIFY(test::writeBuyers({"A1"}));
    QVERIFY(test::addBillRow("9:00", "A1", "Tea", "2", "1.5", "3"));
    QVERIFY(test::addBillRow("9:30", "A1", "Cake", "1", "4", "4"));
    editor.open();
    editor.click(0);
    editor.box("txtQty")->setText("2x");
    test::SeenBox box = editor.press("cmdupdate");
    QCOMPARE(box.title, QStringLiteral("Warning"));
    QCOMPARE(box.text, QStringLiteral("Please type a number in Quantity Box"));
    editor.box("txtFood")->clear();
    QCOMPARE(editor.press("cmdupdate").text, QStringLiteral("Please completely fill the blank"));
    QCOMPARE(test::rowsOf("select cproduct, cqty from Bill where ctime='9:00'"), QStringList{"Tea|2"});

    editor.type("9:05", "Green tea", "3", "1.5", "4.5");
    QVERIFY(!editor.press("cmdupdate").seen);
    QCOMPARE(editor.lines().first(), QStringLiteral("9:05|Green tea|3|1.5|4.5"));
    QCOMPARE(editor.total(), QStringLiteral("Total: $8.5"));
    QCOMPARE(test::rowsOf("select * from Bill order by rowid").first(), QStringLiteral("9:05|A1|Green tea|3|1.5|4.5"));

    // The key follows the new time; a row gone behind the editor's back is an error that changes nothing.
    editor.type("9:06", "Black tea", "3", "1.5", "4.5");
    QVERIFY(!editor.press("cmdupdate").seen);
    QCOMPARE(editor.lines().first(), QStringLiteral("9:06|Black tea|3|1.5|4.5"));
    QCOMPARE(test::rowsOf("select * from Bill order by rowid").first(), QStringLiteral("9:06|A1|Black tea|3|1.5|4.5"));
    QVERIFY(deleteBillLine("A1", "9:06") == LineChange::Done);
    QCOMPARE(editor.press("cmdupdate").text, QStringLiteral("(Bill)Update error"));

    // A unit price or sub-total that is no number is refused naming its box.
    editor.click(0);
    QCOMPARE(editor.box("Text1")->text(), QStringLiteral("9:06"));
    editor.click(1);
    editor.box("txtUprice")->setText("four");
    box = editor.press("cmdupdate");
    QCOMPARE(box.title, QStringLiteral("Warning"));
    QVERIFY(box.text.startsWith("The Unit Price box holds \"four\", which is not a number"));
    editor.box("txtUprice")->setText("4");
    editor.box("txtPrice")->setText("12abc");
    QVERIFY(editor.press("cmdupdate").text.startsWith("The Sub-Total box holds \"12abc\""));
    QCOMPARE(editor.lines().at(1), QStringLiteral("9:30|Cake|1|4|4"));
    QCOMPARE(test::rowsOf("select csubtotal from Bill where ctime='9:30'"), QStringList{"4"});
}

void TestBillWindow::deleteAsksAndTakesTheFirstMatch()
{
    Editor editor;
    QVERIFY(test::writeBuyers({"A1"}));
    QVERIFY(test::addBillRow("9:00", "A1", "First", "1", "1", "1"));
    QVERIFY(test::addBillRow("9:00", "A1", "Second", "1", "2", "2"));
    QVERIFY(test::addBillRow("9:10", "A1", "Third", "1", "4", "4"));
    editor.open();
    editor.type("9:20", "Added", "1", "1", "8");
    editor.press("cmdadd");
    QCOMPARE(editor.total(), QStringLiteral("Total : $15"));

    editor.click(1); // the second line with the time 9:00
    test::SeenBox box = editor.press("cmddel", QMessageBox::Cancel);
    QCOMPARE(box.title, QStringLiteral("Confirm"));
    QCOMPARE(box.text, QStringLiteral("Are you sure to delete this order ?"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(editor.list()->topLevelItemCount(), 4);
    QCOMPARE(test::rowsOf("select count(*) from Bill"), QStringList{"4"});
    QCOMPARE(editor.total(), QStringLiteral("Total: $15"));

    editor.press("cmddel");
    QCOMPARE(editor.lines(), (QStringList{"9:00|Second|1|2|2", "9:10|Third|1|4|4", "9:20|Added|1|1|8"}));
    QCOMPARE(test::rowsOf("select cproduct from Bill order by rowid"), (QStringList{"Second", "Third", "Added"}));
    QCOMPARE(editor.total(), QStringLiteral("Total: $14"));
    QCOMPARE(editor.press("cmdupdate").text, QStringLiteral("Please completely fill the blank")); // boxes emptied
    QVERIFY(test::addProduct("Gone", "1", "1", "5"));
    QCOMPARE(bookSale(SaleRequest{"Gone", "1", "A1"}).outcome, SaleOutcome::Sold);
    QVERIFY(Database::instance().engine(nullptr)->execute("delete from product_info", {}, nullptr));
    editor.press("cmddel", QMessageBox::Cancel); // lists the line sold meanwhile
    test::BoxRecorder boxes;
    editor.dialog->findChild<QPushButton*>("cmddel")->click(); // the emptied key finds no row
    QCOMPARE(boxes.seen.last(), QStringLiteral("error/(Bill)Delete error"));
    editor.click(3);
    editor.dialog->findChild<QPushButton*>("cmddel")->click();
    QCOMPARE(boxes.seen.last(), QStringLiteral("Bill/The line's product is no longer in the catalogue: the bill was "
                                               "changed, the stock was not."));
}

void TestBillWindow::payBill()
{
    Editor editor;
    QVERIFY(test::writeBuyers({"A1", "Window"}));
    QVERIFY(test::addBillRow("9:00", "A1", "Tea", "1", "2", "2"));
    QVERIFY(test::addBillRow("9:05", "Window", "Cake", "1", "4", "4"));
    QFile bill(clientBillPath(0));
    QVERIFY(bill.open(QIODevice::WriteOnly));
    bill.close();
    editor.open();

    test::SeenBox box = editor.press("cmdCheckout", QMessageBox::Cancel);
    QCOMPARE(box.title, QStringLiteral("Confirm"));
    QCOMPARE(box.text, QStringLiteral("Are you sure to clear the bill?\n\nReceived: $2\nChange: $0"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(editor.list()->topLevelItemCount(), 1);
    QVERIFY(QFile::exists(clientBillPath(0)));

    // Cash below the total is refused before anything is asked; the change shows in the question.
    editor.box("txtReceived")->setText("1.99");
    QCOMPARE(editor.press("cmdCheckout").text, QStringLiteral("The amount received is less than the total of $2."));
    // A code scanned into Received, or an amount no customer hands over, is no cash.
    editor.box("txtReceived")->clear();
    QTest::keyClicks(editor.box("txtReceived"), "4006381333931");
    {
        test::BoxAnswerer scanned;
        QTest::keyClick(editor.box("txtReceived"), Qt::Key_Return);
        QVERIFY(scanned.box().text.startsWith("The Received box got the scanned code 4006381333931"));
    }
    QVERIFY(editor.box("txtReceived")->text().isEmpty());
    editor.box("txtReceived")->setText("4006381333931");
    QVERIFY(editor.press("cmdCheckout").text.startsWith("The Received box got a scanned code, not cash"));
    editor.box("txtReceived")->setText("1000.01");
    QVERIFY(editor.press("cmdCheckout").text.startsWith("The amount received is more than 100 times the total"));
    QCOMPARE(test::rowsOf("select count(*) from marvono_receipt"), QStringList{"0"});
    // Enter in Received pays.
    editor.box("txtReceived")->setText("5.5");
    runValues().currentUser = "ann";
    {
        // ann's first sale opens her shift with the cash in the drawer; Cancel pays nothing.
        test::BoxRecorder boxes({"cancel"});
        QTest::keyClick(editor.box("txtReceived"), Qt::Key_Return);
        QCOMPARE(boxes.seen, QStringList{"frmFloat=cancel"});
        QCOMPARE(test::rowsOf("select count(*) from marvono_receipt"), QStringList{"0"});
    }
    {
        const QString refused = "Warning/Type the cash in the drawer as a number of 0 or more, for example 50.00.";
        test::BoxRecorder paid({"1,5", "-1", "20.5"});
        QTest::keyClick(editor.box("txtReceived"), Qt::Key_Return);
        QCOMPARE(paid.seen, (QStringList{"frmFloat=1,5", refused, "frmFloat=-1", refused, "frmFloat=20.5",
                                         "Confirm/Are you sure to clear the bill?\n\nReceived: $5.5\nChange: $3.5"}));
    }
    QCOMPARE(test::rowsOf("select cOperator, cFloat, cClose from marvono_shift where cOperator = 'ann'"),
             QStringList{"ann|20.5|<null>"});
    QCOMPARE(test::rowsOf("select cNumber, cBuyer, cOperator, cTotal, cReceived, cChange from marvono_receipt"),
             QStringList{"1|A1|ann|2|5.5|3.5"});
    QCOMPARE(editor.list()->topLevelItemCount(), 0);
    QVERIFY(editor.box("txtReceived")->text().isEmpty());
    QCOMPARE(editor.dialog->findChild<QLabel*>("lblPaid")->text(), QStringLiteral("Paid: receipt No. 1, change $3.5"));
    const QString pdf = editor.folder.file("receipt.pdf");
    test::FileDialogAnswerer dialog(pdf);
    editor.dialog->findChild<QPushButton*>("cmdReceiptPdf")->click();
    QVERIFY(dialog.wait());
    QVERIFY(test::fileBytes(pdf).startsWith("%PDF"));
    QCOMPARE(editor.total(), QStringLiteral("Total: $0"));
    QCOMPARE(test::rowsOf("select ctable from Bill"), QStringList{"Window"});
    QVERIFY(!QFile::exists(clientBillPath(0)));

    // Again on the empty bill: nothing to delete, the client file still goes.
    QVERIFY(bill.open(QIODevice::WriteOnly));
    bill.close();
    {
        test::BoxRecorder boxes;
        editor.dialog->findChild<QPushButton*>("cmdCheckout")->click();
        QCOMPARE(boxes.seen, QStringList{"Confirm/Are you sure to clear the bill?"});
    }
    QVERIFY(!QFile::exists(clientBillPath(0)));
    QCOMPARE(test::rowsOf("select ctable from Bill"), QStringList{"Window"});

    // A failure while deleting leaves the list, the rows and the client file.
    editor.type("9:10", "Cup", "1", "1", "1");
    editor.press("cmdadd");
    QVERIFY(bill.open(QIODevice::WriteOnly));
    bill.close();
    test::injectWriteFault(1);
    {
        test::BoxRecorder boxes;
        editor.dialog->findChild<QPushButton*>("cmdCheckout")->click();
        QCOMPARE(boxes.seen, (QStringList{"Confirm/Are you sure to clear the bill?\n\nReceived: $1\nChange: $0",
                                          "Error/Checkout error\nOperation failed (injected fault)."}));
    }
    test::injectWriteFault(0);
    QCOMPARE(editor.lines(), QStringList{"9:10|Cup|1|1|1"});
    QCOMPARE(test::rowsOf("select ctable from Bill order by rowid"), (QStringList{"Window", "A1"}));
    QVERIFY(QFile::exists(clientBillPath(0)));

    // A card gives no change; F9 pays the whole bill by card and F8 in cash, whatever the boxes say.
    editor.box("txtCard")->setText("1.01");
    QCOMPARE(editor.press("cmdCheckout").text,
             QStringLiteral("The amount paid in Card is more than the $1 left to pay: only cash gives change."));
    const auto payByKey = [&](Qt::Key key) {
        editor.dialog->activateWindow();
        if (!QTest::qWaitFor([&] { return editor.dialog->isActiveWindow(); }))
            return QStringLiteral("<the bill window is not active>");
        test::BoxAnswerer answerer(QMessageBox::Ok);
        QTest::keyClick(editor.dialog, key);
        return answerer.box().text;
    };
    QCOMPARE(payByKey(Qt::Key_F9),
             QStringLiteral("Are you sure to clear the bill?\n\nReceived: $0\nChange: $0\nCard: $1"));
    QVERIFY(editor.box("txtCard")->text().isEmpty());
    QVERIFY(test::addBillRow("9:20", "A1", "Jug", "1", "2", "2"));
    editor.dialog->rereadBill();
    editor.box("txtReceived")->setText("100");
    editor.box("txtOther")->setText("1");
    QCOMPARE(payByKey(Qt::Key_F8), QStringLiteral("Are you sure to clear the bill?\n\nReceived: $2\nChange: $0"));
    QCOMPARE(test::rowsOf("select r.cNumber, cReceived, cChange, cKind, cAmount from marvono_receipt r join "
                          "marvono_tender t on t.cReceipt = r.cNumber where r.cNumber > 1 order by r.cNumber"),
             (QStringList{"2|0|0|card|1", "3|2|0|cash|2"}));
}

void TestBillWindow::discountsAskAnOwnerAndPrint()
{
    Editor editor;
    QVERIFY(test::writeBuyers({"A1"}));
    QVERIFY(test::addBillRow("9:00", "A1", "Tea", "2", "2.5", "5"));
    QVERIFY(test::addBillRow("9:05", "A1", "Cake", "1", "4", "4"));
    editor.open();
    editor.click(0);
    editor.box("txtDiscount")->setText("150");
    QCOMPARE(editor.press("cmdLineDiscount").text, QStringLiteral("A discount cannot be more than 100%."));
    // A cashier needs an owner's name and password; the approval is recorded.
    runValues().ownerRights = false;
    runValues().currentUser = "anna";
    QTimer::singleShot(0, [] {
        QWidget* box = QApplication::activeModalWidget();
        QCOMPARE(box->objectName(), QString("frmApproval"));
        box->findChild<QLineEdit*>("txtUserName")->setText("vetch");
        box->findChild<QLineEdit*>("txtPWD")->setText("vetch");
        box->findChild<QPushButton*>("cmdOK")->click();
    });
    editor.box("txtDiscount")->setText("10");
    editor.dialog->findChild<QPushButton*>("cmdLineDiscount")->click();
    runValues().ownerRights = true;
    QCOMPARE(test::rowsOf("select cOperator, cApprover, cWhat from marvono_approval"),
             QStringList{"anna|vetch|give a discount"});
    editor.dialog->findChild<QComboBox*>("cmbDiscountKind")->setCurrentIndex(1);
    editor.box("txtDiscount")->setText("0.5");
    editor.press("cmdBillDiscount");
    QCOMPARE(editor.lines(), (QStringList{"9:00|Tea|2|2.5|4.24", "9:05|Cake|1|4|3.76"}));
    QCOMPARE(editor.total(), QStringLiteral("Total: $8"));
    QCOMPARE(editor.list()->topLevelItem(0)->toolTip(4),
             QStringLiteral("Discount 10%: -$0.50 of $5.00\nBill discount: -$0.26 of $4.50"));
    QVERIFY(openShift("anna", Currency())); // her shift is open already
    QCOMPARE(editor.press("cmdCheckout").title, QStringLiteral("Confirm"));
    QCOMPARE(test::rowsOf("select cLine, cScope, cAmount from marvono_receipt_discount order by cLine, cScope"),
             (QStringList{"1|bill|0.26", "1|line|0.5", "2|bill|0.24"}));
}

void TestBillWindow::chosenBuyersBillIsEditedAndSettled()
{
    Editor editor;
    QVERIFY(test::writeBuyers({"A1", "Window"}));
    QVERIFY(test::addBillRow("9:00", "A1", "Tea", "1", "2", "2"));
    QVERIFY(test::addBillRow("9:05", "Window", "Cake", "1", "4", "4"));
    for (int n : {0, 1})
        QVERIFY(QFile(clientBillPath(n)).open(QIODevice::WriteOnly));
    editor.open();
    auto* chooser = editor.dialog->findChild<QComboBox*>("cmbBuyer");
    QVERIFY(chooser);
    QTest::keyClick(chooser, Qt::Key_Down);
    QCOMPARE(editor.dialog->findChild<QLabel*>("lblBuyer")->text(), QStringLiteral("Buyer: Window"));
    editor.type("9:10", "Cup", "1", "1", "1");
    editor.press("cmdadd");
    QCOMPARE(editor.lines(), (QStringList{"9:05|Cake|1|4|4", "9:10|Cup|1|1|1"}));
    editor.press("cmdCheckout");
    QCOMPARE(test::rowsOf("select ctable, cproduct from Bill"), QStringList{"A1|Tea"});
    QCOMPARE(test::rowsOf("select cBuyer, cTotal from marvono_receipt"), QStringList{"Window|5"});
    QVERIFY(QFile::exists(clientBillPath(0)));
    QVERIFY(!QFile::exists(clientBillPath(1)));
}

void TestBillWindow::lostConnectionSaysWhetherPaid()
{
    if (!test::serverEngine())
        QSKIP("the embedded file has no connection to lose");
    Editor editor;
    QVERIFY(test::writeBuyers({"A1"}));
    QVERIFY(test::addBillRow("9:00", "A1", "Tea", "1", "2", "2"));
    editor.open();
    test::BoxRecorder boxes;
    test::injectCommitLoss(test::CommitLoss::BeforeCommit);
    editor.dialog->findChild<QPushButton*>("cmdCheckout")->click();
    QCOMPARE(boxes.seen.last(), "Error/Checkout error\nThe connection to the shop server was lost: the bill was not "
                                "paid. Pay it again once the shop server is back.");
    QCOMPARE(editor.lines(), QStringList{"9:00|Tea|1|2|2"});
    test::injectCommitLoss(test::CommitLoss::AfterCommit);
    editor.dialog->findChild<QPushButton*>("cmdCheckout")->click();
    QCOMPARE(boxes.seen.last(), "Paid/The connection to the shop server was lost while the bill was paid, but the "
                                "shop server has the payment: receipt No. 1.");
    QCOMPARE(test::rowsOf("select cNumber, cTotal from marvono_receipt"), QStringList{"1|2"});
    QCOMPARE(editor.lines(), QStringList());
    QVERIFY(editor.dialog->findChild<QPushButton*>("cmdReceipt")->isEnabled());
}

void TestBillWindow::printBill()
{
    Editor editor;
    runValues().shopName = "Corner Shop";
    test::setClock([]() { return QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)); });
    QVERIFY(test::writeBuyers({"A1"}));
    editor.open();
    QVERIFY(!editor.press("cmdPrint").seen);
    QCOMPARE(
        test::fileBytes(editor.folder.file("BillPrint.txt")),
        QByteArray("Corner Shop\r\nTime: 2026-12-07 14:05:09\r\n=================================\r\nTotal: $0\r\n"));
    QCOMPARE(editor.printed, QStringList{"lp " + billPrintPath()});

    editor.type("2:05:09 PM", "Tea", "3", "2.5", "7.5");
    editor.press("cmdadd");
    QVERIFY(test::addBillRow("2:06:00 PM", "A1", "Cake", "1", "4", "4")); // booked by another till
    editor.press("cmdPrint");
    const QList<QByteArray> lines = test::fileBytes(billPrintPath()).split('\n');
    QCOMPARE(lines.at(3), QByteArray("Time: 2:05:09 PM\r"));
    QCOMPARE(lines.at(5), QByteArray("Quantity: 3 Unit(s)\r"));
    QCOMPARE(lines.at(6), QByteArray("Unit Price: $2.5\r"));
    QCOMPARE(lines.value(15), QByteArray("Total : $11.5\r"));
    QCOMPARE(editor.printed.size(), 2);

    // A print command that refuses the job is reported; the print file stays written.
    const QByteArray written = test::fileBytes(billPrintPath());
    test::FakePrintCommand refusing(1);
    test::BoxAnswerer answer;
    editor.dialog->findChild<QPushButton*>("cmdPrint")->click();
    QVERIFY(answer.wait());
    QCOMPARE(answer.box().title, QStringLiteral("Error"));
    QCOMPARE(answer.box().text,
             "(Bill)Print error\nlp: no default destination\nThe print file is kept at " + billPrintPath());
    QCOMPARE(answer.box().icon, QMessageBox::Warning);
    QCOMPARE(test::fileBytes(refusing.callsPath()), (billPrintPath() + "\n").toUtf8());
    QCOMPARE(test::fileBytes(billPrintPath()), written);
}

void TestBillWindow::receiptsWindow()
{
    Editor editor;
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); });
    for (const char* subTotal : {"2.5", "4"}) {
        QVERIFY(test::addBillRow("9:00", "A1", subTotal, "1", subTotal, subTotal));
        QCOMPARE(settleBill("A1"), Settlement::Settled);
    }
    editor.main.findChild<QAction*>("menuReceipts")->trigger();
    auto* window = editor.main.findChild<ReceiptsWindow*>("frmReceipts");
    QVERIFY(window);
    auto* receipts = window->findChild<QTreeWidget*>("lvReceipts");
    QCOMPARE(receipts->topLevelItemCount(), 2);
    QCOMPARE(window->findChild<QLabel*>("lblDayTotal")->text(), QStringLiteral("Receipts: 2   Day total: $6.50"));
    QCOMPARE(window->findChild<XPContainer*>("XPContainer1")->caption(),
             "Paid bills from 2026-12-07 00:00:00 to 2026-12-07 23:59:59");
    receipts->setCurrentItem(receipts->topLevelItem(1));
    auto* lines = window->findChild<QTreeWidget*>("lvLines");
    QCOMPARE(lines->topLevelItem(0)->text(1), QStringLiteral("4"));
    lines->setCurrentItem(lines->topLevelItem(0));
    {
        test::BoxRecorder boxes;
        window->findChild<QPushButton*>("cmdReturn")->click();
        QCOMPARE(boxes.seen, (QStringList{"Confirm/Return 1 unit(s) of 4 from receipt No. 2?",
                                          "Returned/Refund No. 3: $4.00 paid back.\n4 was typed into the bill by "
                                          "hand: no stock was moved."}));
    }
    QCOMPARE(window->findChild<QLabel*>("lblDayTotal")->text(), QStringLiteral("Receipts: 3   Day total: $2.50"));
    // Voiding: refused for a sale returned in full; for another, the reason is required.
    {
        test::BoxRecorder boxes;
        receipts->setCurrentItem(receipts->topLevelItem(1));
        window->findChild<QPushButton*>("cmdVoid")->click();
        receipts->setCurrentItem(receipts->topLevelItem(0));
        QTimer::singleShot(0, [] {
            QWidget* box = QApplication::activeModalWidget();
            QCOMPARE(box->objectName(), "frmVoid");
            box->findChild<QPushButton*>("cmdOK")->click();
            box->findChild<QLineEdit*>("txtReason")->setText("Wrong buyer");
            box->findChild<QPushButton*>("cmdOK")->click();
        });
        window->findChild<QPushButton*>("cmdVoid")->click();
        QCOMPARE(boxes.seen, (QStringList{"Void/Every unit of receipt No. 2 was returned already: there is nothing "
                                          "left to void.",
                                          "Warning/Please type the reason for the void.",
                                          "Voided/Void No. 4 of receipt No. 1: $2.50 paid back.\n2.5 was typed into "
                                          "the bill by hand: no stock was moved.\n\nPut the voided lines back on "
                                          "the bill of A1 to be paid again?"}));
    }
    QCOMPARE(receipts->topLevelItem(0)->text(7), "voided by No. 4");
    QCOMPARE(receipts->topLevelItem(3)->text(7), "void of No. 1");

    // Turned to another day, the caption follows and a long buyer widens its column: sizes kept
    // from the first day must not be lent to texts of another shape.
    test::setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(9, 0)); });
    const QString buyer(40, QLatin1Char('W'));
    QVERIFY(test::addBillRow("9:00", buyer, "Tea", "1", "2", "2"));
    QCOMPARE(settleBill(buyer), Settlement::Settled);
    window->findChild<QDateEdit*>("dtpDay")->setDate(QDate(2026, 12, 8));
    QCoreApplication::processEvents();
    QCOMPARE(window->findChild<QLabel*>("Label1")->text(),
             "Paid bills from 2026-12-08 00:00:00 to 2026-12-08 23:59:59");
    const QFontMetrics metrics(receipts->font());
    for (int c = 0; c < receipts->columnCount(); ++c)
        QVERIFY2(metrics.horizontalAdvance(receipts->topLevelItem(0)->text(c)) < receipts->header()->sectionSize(c),
                 qPrintable(receipts->topLevelItem(0)->text(c)));
    window->close();

    // The drawer is counted before the close; Cancel closes nothing, an empty count is refused.
    const QString confirmed = "Close day/Close now? Sales and goods booked after the close go to the next close.";
    {
        test::BoxRecorder boxes({"cancel"});
        editor.main.findChild<QAction*>("menuCloseDay")->trigger();
        QCOMPARE(boxes.seen, (QStringList{confirmed, "frmCashCount=cancel"}));
        QCOMPARE(test::rowsOf("select count(*) from marvono_day_close"), QStringList{"0"});
    }
    {
        test::BoxRecorder boxes({"", "2"});
        editor.main.findChild<QAction*>("menuCloseDay")->trigger();
        QCOMPARE(boxes.seen, (QStringList{confirmed, "frmCashCount=",
                                          "Warning/Type the cash counted in the drawer as a number of 0 or more, for "
                                          "example 182.50: the day is not closed without it.",
                                          "frmCashCount=2"}));
    }
    QCOMPARE(test::rowsOf("select cOperator, cCounted, cDifference from marvono_close_cash"), QStringList{"|2|0"});
    auto* close = editor.main.findChild<QWidget*>("frmDayClose");
    QVERIFY(close && close->isVisible());
    QVERIFY(
        close->findChild<QPlainTextEdit*>("txtClose")->toPlainText().contains(QRegularExpression("Takings +\\$8.50")));
    close->close();

    // The export asks for the days, this month unless changed, then for the file; a file that
    // cannot be written is reported with why.
    const auto exportTo = [&](const QString& path) {
        QTimer::singleShot(0, [] {
            QWidget* days = QApplication::activeModalWidget();
            QCOMPARE(days->findChild<QDateEdit*>("dtpFrom")->date(), QDate(2026, 12, 1));
            QCOMPARE(days->findChild<QDateEdit*>("dtpTo")->date(), QDate(2026, 12, 31));
            days->findChild<QPushButton*>("cmdOK")->click();
        });
        test::FileDialogAnswerer file(path);
        test::BoxAnswerer box;
        editor.main.findChild<QAction*>("menuExportReceipts")->trigger();
        return box.box();
    };
    const QString path = editor.folder.file("dec.csv");
    QCOMPARE(exportTo(path).text,
             "The receipts are in " + path + ", the day closes in " + editor.folder.file("dec-closes.csv") + ".");
    QVERIFY(QDir().mkdir(editor.folder.file("jan-closes.csv")));
    const test::SeenBox refused = exportTo(editor.folder.file("jan.csv"));
    QCOMPARE(refused.icon, QMessageBox::Warning);
    QVERIFY(refused.text.startsWith("Cannot write " + editor.folder.file("jan-closes.csv")));
}

void TestBillWindow::escPosPrinter()
{
    Editor editor;
    test::setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); });
    const QString device = editor.folder.file("lp0");
    const QByteArray pulse("\x1bp\x00\x19\xfa", 5);
    QVERIFY(saveReceiptPrinter({true, device, 32}));
    QVERIFY(test::writeBuyers({"A1"}));
    QVERIFY(test::addBillRow("9:00", "A1", "Tea", "1", "2", "2"));
    editor.open();
    {
        test::BoxRecorder boxes;
        editor.dialog->findChild<QPushButton*>("cmdCheckout")->click();
        QCOMPARE(boxes.seen, (QStringList{"Confirm/Are you sure to clear the bill?\n\nReceived: $2\nChange: $0",
                                          "Receipt printer/The receipt printer " + device +
                                              " is missing: no such device.\nReceipt No. 1 is stored: print it "
                                              "again from the Receipts window."}));
    }
    // A device that is there but cannot be opened says why, and the receipt stays printable.
    QVERIFY(QDir().mkdir(device));
    editor.main.findChild<QAction*>("menuReceipts")->trigger();
    auto* window = editor.main.findChild<ReceiptsWindow*>("frmReceipts");
    auto* receipts = window->findChild<QTreeWidget*>("lvReceipts");
    QCOMPARE(receipts->topLevelItemCount(), 1);
    receipts->setCurrentItem(receipts->topLevelItem(0));
    {
        test::BoxRecorder boxes;
        window->findChild<QPushButton*>("cmdPrint")->click();
        QCOMPARE(boxes.seen, QStringList{"Receipt printer/The receipt printer " + device +
                                         " cannot be opened: Is a directory.\nReceipt No. 1 is stored: print it "
                                         "again from the Receipts window."});
    }
    QVERIFY(QDir().rmdir(device) && QFile(device).open(QIODevice::WriteOnly));
    window->findChild<QPushButton*>("cmdPrint")->click();
    const QByteArray reprint = test::fileBytes(device);
    QVERIFY(reprint.contains("Receipt No. 1\n") && !reprint.contains(pulse));

    // A payment opens the drawer; the close is printed there too, without.
    editor.type("9:10", "Cup", "1", "1", "1");
    editor.press("cmdadd");
    editor.box("txtReceived")->setText("5");
    editor.press("cmdCheckout");
    const QByteArray paid = test::fileBytes(device).mid(reprint.size());
    QVERIFY(paid.contains("Receipt No. 2\n") && paid.endsWith(pulse + "\x1dVB" + '\0'));
    {
        test::BoxRecorder boxes({"3"});
        editor.main.findChild<QAction*>("menuCloseDay")->trigger();
    }
    editor.main.findChild<QWidget*>("frmDayClose")->findChild<QPushButton*>("cmdPrint")->click();
    const QByteArray close = test::fileBytes(device).mid(reprint.size() + paid.size());
    QVERIFY(close.contains("Day close No. 1\n") && !close.contains(pulse));
}

QTEST_MAIN(TestBillWindow)
#include "tst_billwindow.moc"
