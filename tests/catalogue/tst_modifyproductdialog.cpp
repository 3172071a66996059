// The modify-product dialog opened on the main list's selection.
#include "app/appcontext.h"
#include "app/ui/mainwindow.h"
#include "catalogue/productfiles.h"
#include "catalogue/taxrates.h"
#include "catalogue/ui/modifyproductdialog.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "data/recordset.h"
#include "sales/sale.h"
#include "support/catalogue_dialogs.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace marvono;

namespace {

template <typename T> T* child(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

void storeProduct(const QString& name, int picture, const QString& type = "Food")
{
    auto set = ExecSQL("select * from product_info where 1=0");
    QVERIFY(set);
    set->addNew();
    const QStringList texts{
        name, "1.5", "10", "2.5", "8", "spare", type, QString::number(picture), "line one\r\nline two", "3"};
    for (int c = 0; c < texts.size(); ++c)
        set->setField(c, texts[c]);
    QVERIFY(set->update());
}

struct Shop {
    test::TempAppFolder folder;
    MainWindow window;
    Shop()
    {
        test::setClock([]() { return QDateTime(QDate(2027, 1, 31), QTime(8, 0)); });
        storeProduct("Tea", 5, "Drinks");
        storeProduct("Grandma's Jam", 6, "Spreads");
        storeProduct("Coffee", 7, "Drinks");
        window.fillProductList();
        window.show();
    }
    ~Shop() { test::setClock({}); }
    ModifyProductDialog* open(const QString& selected)
    {
        window.productList()->clearSelection();
        if (!selected.isEmpty() && !test::selectProduct(window, selected))
            return nullptr;
        window.runCommand(Command::ModifyProduct);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "frmXGSP" && top->isVisible())
                return qobject_cast<ModifyProductDialog*>(top);
        return nullptr;
    }
};

} // namespace

class TestModifyProductDialog : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup();
    void opensOnSelectedProduct();
    void designTextsWithoutSelection();
    void productFixedAtOpen();
    void renameOntoOtherProduct();
    void taxRateFollowsARename();
    void clearedPicturePathUsesZero();
    void missingPictureResavesPlaceholder();
    void apostropheName();
    void storeFailureKeepsDialogOpen();
    void salesWhileOpenStayInStock();
    void receiveWindowBooksTheSelectedProduct();
};

void TestModifyProductDialog::cleanup()
{
    test::injectWriteFault(0);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "frmXGSP")
            top->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestModifyProductDialog::opensOnSelectedProduct()
{
    Shop shop;
    QVERIFY(test::writeSolidPicture(pictureFilePath(5), QColor(0, 255, 0), "GIF"));
    QPointer<ModifyProductDialog> dialog = shop.open("Tea");
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QString("XGSP"));
    QCOMPARE(child<XPContainer>(dialog, "XPContainer1")->caption(), QString("Modify a product"));
    QCOMPARE(child<QPushButton>(dialog, "cmdOK")->text(), QString(" Update"));
    QCOMPARE(child<QPushButton>(dialog, "command1")->text(), QString("Browse"));

    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QString("Tea"));
    QCOMPARE(child<QLineEdit>(dialog, "txtInPrice")->text(), QString("1.5"));
    QCOMPARE(child<QLineEdit>(dialog, "txtAllQty")->text(), QString("10"));
    QCOMPARE(child<QLineEdit>(dialog, "txtOutPrice")->text(), QString("2.5"));
    QCOMPARE(child<QLineEdit>(dialog, "txtLeastQty")->text(), QString("8"));
    QCOMPARE(child<QLineEdit>(dialog, "txtAlert")->text(), QString("3"));
    QCOMPARE(child<QComboBox>(dialog, "cmbType")->currentText(), QString("Drinks"));
    QCOMPARE(child<QComboBox>(dialog, "cmbType")->count(), 2);
    QCOMPARE(child<QPlainTextEdit>(dialog, "txtComment")->toPlainText(), QString("line one\nline two"));
    auto* oldName = child<QLineEdit>(dialog, "Text1");
    auto* number = child<QLineEdit>(dialog, "txtpp");
    QCOMPARE(oldName->text(), QString("Tea"));
    QCOMPARE(number->text(), QString("5"));
    QVERIFY(oldName->isHidden());
    QVERIFY(number->isHidden());
    QCOMPARE(child<QLineEdit>(dialog, "txtPic")->text(), shop.folder.file("qexclient/pic/5.jpg"));
    QCOMPARE(child<PicturePreview>(dialog, "picProduct")->image().pixelColor(50, 50), QColor(0, 255, 0));

    // Update without changes: the picture is re-saved as a bitmap, the introduction rewritten and
    // the update logged.
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(test::fileBytes(pictureFilePath(5)).startsWith("BM"));
    QCOMPARE(test::pictureColor(pictureFilePath(5)), QColor(0, 255, 0));
    QCOMPARE(test::fileBytes(introFilePath(5)), QByteArray("\"line one\r\nline two\"\r\n"));
    QCOMPARE(test::rowsOf("select * from change"), QStringList{"2027-01-31|Tea"});
    QCOMPARE(test::rowsOf("select * from product_info where cName=?", {"Tea"}),
             QStringList{"Tea|1.5|10|2.5|8|spare|Drinks|5|line one\r\nline two|3"});
    QVERIFY(!shop.window.isEnabled());
    QTRY_VERIFY(shop.window.isEnabled());
    QCOMPARE(test::listedProducts(shop.window).size(), 3);
}

void TestModifyProductDialog::designTextsWithoutSelection()
{
    Shop shop;
    test::BoxAnswerer asked; // with no product chosen nothing opens
    QVERIFY(!shop.open(QString()));
    QCOMPARE(asked.box().text, QString("Please choose a product in the list first."));
    // A product gone since the list was read opens with the design texts.
    ExecSQL("delete from product_info where cName='Tea'");
    const QStringList before = test::rowsOf("select * from product_info");
    QPointer<ModifyProductDialog> dialog = shop.open("Tea");
    QVERIFY(dialog);
    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QString("Name"));
    QCOMPARE(child<QLineEdit>(dialog, "txtInPrice")->text(), QString("Purchase Price"));
    QCOMPARE(child<QLineEdit>(dialog, "txtAllQty")->text(), QString("Purchase Quantity"));
    QCOMPARE(child<QLineEdit>(dialog, "txtOutPrice")->text(), QString("Retail Price"));
    QCOMPARE(child<QLineEdit>(dialog, "txtLeastQty")->text(), QString("Remaining Quantity"));
    QCOMPARE(child<QLineEdit>(dialog, "txtAlert")->text(), QString("Alert Quantity"));
    QCOMPARE(child<QPlainTextEdit>(dialog, "txtComment")->toPlainText(), QString("Product Intro here\n"));
    QCOMPARE(child<QComboBox>(dialog, "cmbType")->currentText(), QString());
    QCOMPARE(child<QLineEdit>(dialog, "txtPic")->text(), QString());
    QCOMPARE(child<QLineEdit>(dialog, "Text1")->text(), QString("Tea"));

    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select * from product_info"), before);
    QCOMPARE(test::rowsOf("select * from change"), QStringList{"2027-01-31|Tea"});
    QCOMPARE(QDir(shop.folder.file("qexclient/pic")).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(shop.folder.file("qexclient/info")).entryList(QDir::Files), QStringList());
    QVERIFY(!shop.window.isEnabled());
    QTRY_VERIFY(shop.window.isEnabled());
}

void TestModifyProductDialog::productFixedAtOpen()
{
    Shop shop;
    QPointer<ModifyProductDialog> dialog = shop.open("Tea");
    child<QLineEdit>(dialog, "txtOutPrice")->setText("3");
    // Choosing another row, or invoking the command again, keeps the product of the open dialog.
    QCOMPARE(shop.open("Coffee"), dialog.data());
    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QString("Tea"));
    QCOMPARE(child<QLineEdit>(dialog, "txtOutPrice")->text(), QString("3"));
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select cName, cOutPrice from product_info order by rowid"),
             (QStringList{"Tea|3", "Grandma's Jam|2.5", "Coffee|2.5"}));
}

void TestModifyProductDialog::renameOntoOtherProduct()
{
    Shop shop;
    QPointer<ModifyProductDialog> dialog = shop.open("Tea");
    const QStringList before = test::rowsOf("select * from product_info");
    child<QLineEdit>(dialog, "txtName")->setText("Coffee");
    test::BoxAnswerer answerer;
    child<QPushButton>(dialog, "cmdOK")->click();
    QVERIFY(answerer.wait());
    QCOMPARE(answerer.box().text, QString("This product have been added already"));
    QVERIFY(dialog && dialog->isVisible());
    // The code Tea shares with the others from before codes is kept; another product's is refused.
    ExecSQL("update product_info set cSpare='4006381333931' where cName='Coffee'");
    child<QLineEdit>(dialog, "txtName")->setText("Tea");
    child<QLineEdit>(dialog, "txtCode")->setText("4006381333931");
    test::BoxAnswerer code;
    child<QPushButton>(dialog, "cmdOK")->click();
    QVERIFY(code.wait());
    QCOMPARE(code.box().text, QString("Another product has the code 4006381333931 already"));
    ExecSQL("update product_info set cSpare='spare' where cName='Coffee'");
    QCOMPARE(test::rowsOf("select * from product_info"), before);
    QCOMPARE(test::rowsOf("select * from change"), QStringList());
}

void TestModifyProductDialog::taxRateFollowsARename()
{
    Shop shop;
    QVERIFY(saveTaxRates({{0, "", "Standard", "20", true}, {0, "", "Reduced", "5", false}}, nullptr));
    QPointer<ModifyProductDialog> dialog = shop.open("Tea");
    auto* tax = child<QComboBox>(dialog, "cmbTax");
    QCOMPARE(tax->currentText(), QString("Default: A Standard 20%"));
    tax->setCurrentIndex(tax->findText("B Reduced 5%"));
    child<QLineEdit>(dialog, "txtName")->setText("Green tea");
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    shop.window.fillProductList();
    dialog = shop.open("Green tea");
    QVERIFY(dialog);
    QCOMPARE(child<QComboBox>(dialog, "cmbTax")->currentText(), QString("B Reduced 5%"));
    child<QPushButton>(dialog, "cmdCancel")->click();
    QTRY_VERIFY(dialog.isNull());
}

void TestModifyProductDialog::clearedPicturePathUsesZero()
{
    Shop shop;
    QVERIFY(test::writeSolidPicture(pictureFilePath(5), QColor(0, 0, 255), "BMP"));
    QPointer<ModifyProductDialog> dialog = shop.open("Tea");
    child<QLineEdit>(dialog, "txtPic")->clear();
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select cPic from product_info where cName=?", {"Tea"}), QStringList{"0"});
    QCOMPARE(test::pictureColor(pictureFilePath(0)), QColor(0, 0, 255));
    QCOMPARE(test::fileBytes(introFilePath(0)), QByteArray("\"line one\r\nline two\"\r\n"));
    // The former picture stays on disk.
    QVERIFY(QFile::exists(pictureFilePath(5)));
}

void TestModifyProductDialog::missingPictureResavesPlaceholder()
{
    Shop shop;
    QPointer<ModifyProductDialog> dialog = shop.open("Coffee");
    const QImage placeholder = child<PicturePreview>(dialog, "picProduct")->image();
    QCOMPARE(placeholder, PicturePreview::placeholder());
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QImage saved = QImage(pictureFilePath(7)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved, placeholder);
}

void TestModifyProductDialog::apostropheName()
{
    Shop shop;
    QPointer<ModifyProductDialog> dialog = shop.open("Grandma's Jam");
    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QString("Grandma's Jam"));
    QCOMPARE(child<QLineEdit>(dialog, "txtpp")->text(), QString("6"));
    child<QLineEdit>(dialog, "txtName")->setText("Grandpa's Jam");
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select cName from product_info order by rowid"),
             (QStringList{"Tea", "Grandpa's Jam", "Coffee"}));
    QCOMPARE(test::rowsOf("select * from change"), QStringList{"2027-01-31|Grandma's Jam"});
    // The details panel goes on showing the product under its new name.
    QTRY_VERIFY(shop.window.isEnabled());
    QCOMPARE(shop.window.findChild<QLabel*>("lblName")->text(), QString("Grandpa's Jam"));
}

void TestModifyProductDialog::storeFailureKeepsDialogOpen()
{
    Shop shop;
    const QStringList before = test::rowsOf("select * from product_info");
    QPointer<ModifyProductDialog> dialog = shop.open("Tea");
    child<QLineEdit>(dialog, "txtName")->setText("Changed");
    test::injectWriteFault(1);
    test::BoxAnswerer answerer;
    child<QPushButton>(dialog, "cmdOK")->click();
    QVERIFY(answerer.wait());
    QCOMPARE(answerer.box().title, QString("error"));
    QCOMPARE(answerer.box().text, QString("(XGSP)Update error"));
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QString("Changed"));
    QCOMPARE(test::rowsOf("select * from product_info"), before);
    QCOMPARE(test::rowsOf("select * from change"), QStringList());
    QVERIFY(shop.window.isEnabled());
    QVERIFY(!shop.window.refreshTimer()->isActive());
}

void TestModifyProductDialog::salesWhileOpenStayInStock()
{
    Shop shop;
    // Another till sells 3 of the 8 while the dialog is open; the operator changes the price only.
    QPointer<ModifyProductDialog> dialog = shop.open("Tea");
    QCOMPARE(bookSale("Tea", "3").outcome, SaleOutcome::Sold);
    child<QLineEdit>(dialog, "txtOutPrice")->setText("3");
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select cOutPrice, cLeastQty from product_info where cName=?", {"Tea"}), QStringList{"3|5"});

    // A remaining quantity the operator typed is a count of the shelf and is written as typed.
    QTRY_VERIFY(shop.window.isEnabled());
    dialog = shop.open("Coffee");
    QVERIFY(dialog);
    QCOMPARE(bookSale("Coffee", "2").outcome, SaleOutcome::Sold);
    child<QLineEdit>(dialog, "txtLeastQty")->setText("20");
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select cLeastQty from product_info where cName=?", {"Coffee"}), QStringList{"20"});
}

void TestModifyProductDialog::receiveWindowBooksTheSelectedProduct()
{
    Shop shop;
    QVERIFY(test::selectProduct(shop.window, "Coffee"));
    shop.window.runCommand(Command::OpenStockMoves);
    shop.window.runCommand(Command::ReceiveStock);
    QPointer<QWidget> dialog = shop.window.findChild<QWidget*>("frmReceive");
    QCOMPARE(child<QComboBox>(dialog, "cmbProduct")->currentText(), QString("Coffee"));
    ExecSQL("update product_info set cSpare = '4006381333931' where cName = 'Tea'");
    auto* product = child<QComboBox>(dialog, "cmbProduct");
    product->lineEdit()->setText("4006381333931");
    QTest::keyClick(product->lineEdit(), Qt::Key_Return);
    QCOMPARE(product->currentText(), QString("Tea"));
    QCOMPARE(child<QLabel>(dialog, "lblStock")->text(), QString("In stock: 8 units, price $1.50"));
    // Goods received are counted one unit per scan; scanning another product books the count first.
    auto* units = child<QLineEdit>(dialog, "txtUnits");
    for (int scan = 0; scan < 2; ++scan)
        QTest::keyClicks(product->lineEdit(), "4006381333931\r");
    QCOMPARE(units->text(), QString("3"));
    ExecSQL("update product_info set cSpare = '96385074' where cName = 'Coffee'");
    {
        test::BoxAnswerer counted(QMessageBox::Yes);
        QTest::keyClicks(product->lineEdit(), "96385074\r");
        QVERIFY(counted.wait());
        QCOMPARE(counted.box().text, QString("Book the 3 units of Tea received before counting Coffee?"));
    }
    QCOMPARE(test::rowsOf("select cLeastQty from product_info where cName=?", {"Tea"}), QStringList{"11"});
    QCOMPARE(product->currentText(), QString("Coffee"));
    QCOMPARE(units->text(), QString("1"));
    product->lineEdit()->setText("coff");
    QTest::keyClick(product->lineEdit(), Qt::Key_Return);
    QCOMPARE(product->currentText(), QString("Coffee"));
    child<QRadioButton>(dialog, "optCorrection")->setChecked(true);
    child<QLineEdit>(dialog, "txtUnits")->setText("9");
    test::BoxAnswerer answerer;
    child<QPushButton>(dialog, "cmdOK")->click();
    QVERIFY(answerer.wait());
    QCOMPARE(answerer.box().text, QString("The remaining quantity cannot fall below 0."));
    child<QLineEdit>(dialog, "txtUnits")->setText("3");
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select cAllQty, cLeastQty from product_info where cName=?", {"Coffee"}), QStringList{"7|5"});
    QWidget* moves = shop.window.findChild<QWidget*>("frmStockMoves");
    const QAbstractItemModel* booked = moves->findChild<QTreeView*>("LV")->model();
    QCOMPARE(booked->rowCount(), 2);
    QCOMPARE(booked->index(1, 6).data().toString(), QString("Breakage"));
    moves->close();
}

QTEST_MAIN(TestModifyProductDialog)
#include "tst_modifyproductdialog.moc"
