// The sell dialog driven as the operator does: select a product in the main list, open, sell.
#include "app/appcontext.h"
#include "app/ui/mainwindow.h"
#include "data/database.h"
#include "data/recordset.h"
#include "sales/ui/selldialog.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <libpq-fe.h>

using namespace marvono;

namespace {

// A shown main window with the catalogue listed.
struct Shop {
    test::TempAppFolder folder;
    MainWindow window;
    Shop() { window.show(); }
    void select(const QString& name)
    {
        QTreeView* list = window.productList();
        const auto matches =
            list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        QVERIFY(!matches.isEmpty());
        list->selectionModel()->select(matches.first(),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    SellDialog* open()
    {
        window.runCommand(Command::SellProduct);
        return window.findChild<SellDialog*>(QStringLiteral("frmSCSP"));
    }
};

template <typename T> T* child(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

// Types a quantity and presses Sell, answering the box that follows (if any).
test::SeenBox sell(SellDialog* dialog, const QString& quantity)
{
    child<QLineEdit>(dialog, "txtSellQty")->setText(quantity);
    test::BoxAnswerer answerer;
    child<QPushButton>(dialog, "cmdOK")->click();
    return answerer.box();
}

} // namespace

class TestSellDialog : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() { test::setClock({}); }
    void controlsAtLoad();
    void saleConfirmsAppendsReceiptAndRefreshes();
    void refusalsKeepTheDialogOpen_data();
    void refusalsKeepTheDialogOpen();
    void productGoneRefreshesSilently();
    void productFixedAtLoadAndSingleInstance();
    void cancelWritesNothing();
    void keyboardSellsAndCancels();
    void productNotLoadedSellsNothing();
    void lostCommitSaysWhetherBooked_data();
    void lostCommitSaysWhetherBooked();
    void lockHeldElsewhereTimesOutWhilePainting();
};

void TestSellDialog::controlsAtLoad()
{
    Shop shop;
    runValues().currencySymbol = QStringLiteral("USD");
    runValues().themeIndex = 4;
    QVERIFY(test::addProduct("Cup", "1", "2.50", "10"));
    QVERIFY(test::writeBuyers({"A1", "Window"}));
    shop.window.fillProductList();
    shop.select("Cup");
    SellDialog* dialog = shop.open();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("sale"));
    QCOMPARE(child<QWidget>(dialog, "XPContainer1")->property("Caption").toString(), QStringLiteral("Add to Cart"));
    QCOMPARE(child<QWidget>(dialog, "XPContainer1")->property("Theme").toInt(), 4);
    QCOMPARE(child<QLabel>(dialog, "Label7")->text(), QStringLiteral("USD"));
    QCOMPARE(child<QLineEdit>(dialog, "Text1")->text(), QStringLiteral("Cup"));
    QVERIFY(child<QLineEdit>(dialog, "Text1")->isHidden());
    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QStringLiteral("Cup"));
    QCOMPARE(child<QLineEdit>(dialog, "txtOutPrice")->text(), QStringLiteral("2.50"));
    QVERIFY(child<QLineEdit>(dialog, "txtName")->isReadOnly());
    QVERIFY(child<QLineEdit>(dialog, "txtOutPrice")->isReadOnly());
    QVERIFY(!child<QLineEdit>(dialog, "txtSellQty")->isReadOnly());
    auto* buyers = child<QComboBox>(dialog, "cmbTable");
    QVERIFY(buyers->isHidden());
    QCOMPARE(buyers->count(), 2);
    QCOMPARE(buyers->currentText(), QStringLiteral("A1"));
    QCOMPARE(child<QPushButton>(dialog, "cmdOK")->text(), QStringLiteral("    Sell   "));
    QCOMPARE(child<QPushButton>(dialog, "cmdCancel")->text(), QStringLiteral(" Cancel"));
    const auto labels = dialog->findChildren<QLabel*>();
    QStringList texts;
    for (QLabel* label : labels)
        texts.append(label->text());
    for (const char* text : {"Product Name:", "Price:", "Quantity:", "Unit(s)"})
        QVERIFY2(texts.contains(QString::fromLatin1(text)), text);
}

void TestSellDialog::saleConfirmsAppendsReceiptAndRefreshes()
{
    Shop shop;
    runValues().currencySymbol = QStringLiteral("USD");
    test::setClock([]() { return QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)); });
    QVERIFY(test::addProduct("Cup", "1", "1.25", "10"));
    QVERIFY(test::writeBuyers({"A1", "Window"}));
    shop.window.fillProductList();
    const QString earlier = QString(40, '\n') + "earlier";
    shop.window.historyPane()->setPlainText(earlier);
    shop.select("Cup");
    shop.window.reloadBuyerCombo();
    QPointer<SellDialog> dialog = shop.open();
    QVERIFY(child<QComboBox>(dialog, "cmbBuyer"));
    QTest::keyClick(child<QComboBox>(dialog, "cmbBuyer"), Qt::Key_Down);
    QCOMPARE(child<QComboBox>(&shop.window, "cmbBuyer")->currentText(), QStringLiteral("Window"));

    const test::SeenBox box = sell(dialog, "2");
    // The refresh request empties the list and disables the window until the timer refills it.
    QVERIFY(!shop.window.isEnabled());
    QCOMPARE(shop.window.productList()->model()->rowCount(), 0);
    QVERIFY(box.seen);
    QCOMPARE(box.title, QStringLiteral("OK"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.text, QStringLiteral("Quantity: 2 Unit(s)\r\nUnit Price: 1.25 USD\r\nCharge: USD2.5"));

    // The pane keeps its text and gains the receipt (the pane shows each line end as one break).
    const QString receipt =
        QStringLiteral("\r\n==============================\r\nProduct Name: Cup\r\nPrice: USD1.25\r\n"
                       "Total: USD2.5\r\nQuantity: 2\r\nTime: 2026-12-07 14:05:09");
    QCOMPARE(shop.window.historyPane()->toPlainText(), QString(earlier + receipt).replace("\r\n", "\n"));
    // The pane shows the newest receipt.
    const QScrollBar* bar = shop.window.historyPane()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(test::rowsOf("select ctable, cqty, cprice, csubtotal from Bill"), QStringList{"Window|2|1.25|2.5"});
    QCOMPARE(test::remainingOf("Cup"), QStringLiteral("8"));

    QTRY_VERIFY(dialog.isNull());
    QTRY_VERIFY(shop.window.isEnabled());
    QCOMPARE(shop.window.productList()->model()->rowCount(), 1);
}

void TestSellDialog::refusalsKeepTheDialogOpen_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("12a") << "12a"
                         << "Warning"
                         << "Please type a number";
    QTest::newRow("leading blank") << " 3"
                                   << "Warning"
                                   << "Please type a number";
    QTest::newRow("-1") << "-1"
                        << "Warning"
                        << "Please type a number";
    QTest::newRow("6 of 5") << "6"
                            << "Warning"
                            << "There is no enough this products!";
    QTest::newRow("scanned code")
        << "4006381333931"
        << "Warning"
        << "The Quantity box got the scanned code 4006381333931: a code is not an amount "
           "or a quantity, so nothing was taken. Scan into the search box of the main window.";
}

void TestSellDialog::refusalsKeepTheDialogOpen()
{
    QFETCH(QString, quantity);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Shop shop;
    QVERIFY(test::addProduct("Cup", "1", "2", "5"));
    shop.window.fillProductList();
    shop.select("Cup");
    SellDialog* dialog = shop.open();
    const QStringList before = test::databaseSnapshot();
    const test::SeenBox box = sell(dialog, quantity);
    QCOMPARE(box.title, title);
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(test::databaseSnapshot(), before);
    QVERIFY(dialog->isVisible());
    QVERIFY(shop.window.isEnabled());
    QVERIFY(shop.window.historyPane()->toPlainText().isEmpty());
    // The same dialog then sells the whole stock.
    const test::SeenBox ok = sell(dialog, "5");
    QCOMPARE(ok.title, QStringLiteral("OK"));
    QCOMPARE(test::remainingOf("Cup"), QStringLiteral("0"));
}

void TestSellDialog::productGoneRefreshesSilently()
{
    Shop shop;
    QVERIFY(test::addProduct("Cup", "1", "2", "5"));
    shop.window.fillProductList();
    test::BoxAnswerer asked; // with no product chosen nothing opens
    QVERIFY(!shop.open());
    QCOMPARE(asked.box().text, QStringLiteral("Please choose a product in the list first."));
    shop.select("Cup");
    SellDialog* dialog = shop.open();
    ExecSQL("delete from product_info");
    const QStringList before = test::databaseSnapshot();
    const test::SeenBox box = sell(dialog, "1");
    QVERIFY(!box.seen);
    QCOMPARE(test::databaseSnapshot(), before);
    QVERIFY(dialog->isVisible());
    QCOMPARE(shop.window.productList()->model()->rowCount(), 0);
    QVERIFY(!shop.window.isEnabled());
    QTRY_VERIFY(shop.window.isEnabled());
}

void TestSellDialog::productFixedAtLoadAndSingleInstance()
{
    Shop shop;
    QVERIFY(test::addProduct("Cup", "1", "2", "5"));
    QVERIFY(test::addProduct("Mug", "1", "3", "5"));
    shop.window.fillProductList();
    shop.select("Cup");
    SellDialog* dialog = shop.open();
    shop.select("Mug");
    // Opening again only brings the same dialog forward, still on Cup.
    QCOMPARE(shop.open(), dialog);
    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QStringLiteral("Cup"));
    // A price changed meanwhile is the one charged and booked.
    ExecSQL("update product_info set cOutPrice='2.5' where cName='Cup'");
    QVERIFY(sell(dialog, "1").text.endsWith("Charge: $2.5"));
    QCOMPARE(test::rowsOf("select cproduct, cprice, csubtotal from Bill"), QStringList{"Cup|2.5|2.5"});
    QCOMPARE(test::remainingOf("Cup"), QStringLiteral("4"));
    QCOMPARE(test::remainingOf("Mug"), QStringLiteral("5"));
}

void TestSellDialog::cancelWritesNothing()
{
    Shop shop;
    QVERIFY(test::addProduct("Cup", "1", "2", "5"));
    shop.window.fillProductList();
    shop.select("Cup");
    QPointer<SellDialog> dialog = shop.open();
    child<QLineEdit>(dialog, "txtSellQty")->setText("1");
    const QStringList before = test::databaseSnapshot();
    child<QPushButton>(dialog, "cmdCancel")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::databaseSnapshot(), before);
    QVERIFY(!shop.window.refreshTimer()->isActive());
    QCOMPARE(shop.window.productList()->model()->rowCount(), 1);
}

void TestSellDialog::keyboardSellsAndCancels()
{
    Shop shop;
    QVERIFY(test::addProduct("Cup", "1", "2", "5"));
    QVERIFY(test::writeBuyers({"A1"}));
    shop.window.fillProductList();
    shop.select("Cup");
    QPointer<SellDialog> dialog = shop.open();
    auto* quantity = child<QLineEdit>(dialog, "txtSellQty");
    QCOMPARE(dialog->focusWidget(), quantity);
    // Esc closes it as Cancel does: nothing is sold.
    const QStringList before = test::databaseSnapshot();
    QTest::keyClicks(quantity, "1");
    QTest::keyClick(quantity, Qt::Key_Escape);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::databaseSnapshot(), before);

    dialog = shop.open();
    quantity = child<QLineEdit>(dialog, "txtSellQty");
    QCOMPARE(dialog->focusWidget(), quantity);
    test::BoxAnswerer answer;
    QTest::keyClick(quantity, Qt::Key_Return); // nothing typed: nothing sold
    QVERIFY(!answer.box().seen && dialog->isVisible());
    QTest::keyClicks(quantity, "2");
    QTest::keyClick(quantity, Qt::Key_Return);
    QVERIFY(answer.box().seen);
    QCOMPARE(answer.box().title, QStringLiteral("OK"));
    QCOMPARE(test::remainingOf("Cup"), QStringLiteral("3"));
    QTRY_VERIFY(dialog.isNull());
}

void TestSellDialog::productNotLoadedSellsNothing()
{
    test::logInAsShopOwner(true);
    Shop shop;
    test::logInAsShopOwner(false);
    QVERIFY(test::addProduct("Cup", "1", "2", "5"));
    shop.window.fillProductList();
    shop.select("Cup");
    const QStringList before = test::databaseSnapshot();
    // The catalogue cannot be read while the dialog loads.
    ExecSQL("alter table product_info rename to product_away");
    test::BoxAnswerer box;
    QPointer<SellDialog> dialog = shop.open();
    QVERIFY(!child<QPushButton>(dialog, "cmdOK")->isEnabled());
    QVERIFY(box.wait());
    QVERIFY2(box.box().text.contains("could not be loaded"), qPrintable(box.box().text));
    QTRY_VERIFY(dialog.isNull());
    ExecSQL("alter table product_away rename to product_info");
    QCOMPARE(test::databaseSnapshot(), before);
}

void TestSellDialog::lostCommitSaysWhetherBooked_data()
{
    QTest::addColumn<test::CommitLoss>("loss");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("remaining");
    QTest::newRow("before the server committed") << test::CommitLoss::BeforeCommit << "the sale was not booked"
                                                 << "5";
    QTest::newRow("after the server committed") << test::CommitLoss::AfterCommit << "the sale was booked"
                                                << "3";
}

void TestSellDialog::lostCommitSaysWhetherBooked()
{
    if (!test::serverEngine())
        QSKIP("the embedded file has no connection to lose");
    QFETCH(test::CommitLoss, loss);
    QFETCH(QString, says);
    QFETCH(QString, remaining);
    Shop shop;
    QVERIFY(test::addProduct("Cup", "1", "2", "5"));
    shop.window.fillProductList();
    shop.select("Cup");
    SellDialog* dialog = shop.open();
    test::injectCommitLoss(loss);
    const test::SeenBox box = sell(dialog, "2");
    QVERIFY2(box.text.contains(says), qPrintable(box.text));
    QCOMPARE(test::remainingOf("Cup"), remaining);
    const bool booked = loss == test::CommitLoss::AfterCommit;
    QCOMPARE(test::rowsOf("select cproduct, csubtotal from Bill"), booked ? QStringList{"Cup|4"} : QStringList());
    QCOMPARE(shop.window.historyPane()->toPlainText().contains("Product Name: Cup"), booked);
}

void TestSellDialog::lockHeldElsewhereTimesOutWhilePainting()
{
    if (!test::serverEngine())
        QSKIP("no other till holds the embedded file's rows");
    Shop shop;
    QVERIFY(test::addProduct("Cup", "1", "2", "5"));
    shop.window.fillProductList();
    shop.select("Cup");
    SellDialog* dialog = shop.open();
    const QStringList before = test::databaseSnapshot();
    PGconn* other = PQconnectdb(Database::instance().serverConfig()->connection.toUtf8().constData());
    PQclear(PQexec(other, "BEGIN; SELECT 1 FROM product_info FOR UPDATE"));
    // While the sale waits, the window's timers run and the cursor shows it is busy.
    bool busyCursor = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&busyCursor]() {
        busyCursor = busyCursor || (QGuiApplication::overrideCursor() &&
                                    QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor);
    });
    watch.start(50);
    const test::SeenBox box = sell(dialog, "1");
    PQfinish(other);
    QVERIFY2(QRegularExpression("^\\(SCSP\\)The shop server is busy: another till holds this product, and this till "
                                "waited \\d+\\.\\d s for it\\. The sale was not booked\\. Please try again\\.$")
                 .match(box.text)
                 .hasMatch(),
             qPrintable(box.text));
    // A till cut off inside a transaction holds its locks no longer than this.
    QCOMPARE(test::rowsOf("select current_setting('idle_in_transaction_session_timeout')"), QStringList{"30s"});
    QVERIFY(busyCursor);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(test::databaseSnapshot(), before);
}

QTEST_MAIN(TestSellDialog)
#include "tst_selldialog.moc"
