// The add-product dialog driven as the operator does, with the main window behind it.
#include "app/appcontext.h"
#include "app/ui/mainwindow.h"
#include "catalogue/productfiles.h"
#include "catalogue/ui/addproductdialog.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "data/recordset.h"
#include "support/catalogue_dialogs.h"
#include "support/history_dialogs.h"
#include "support/testsupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace marvono;

namespace {

template <typename T> T* child(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

QStringList labelTexts(QWidget* dialog)
{
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        texts.append(label->text());
    return texts;
}

// The main window with its list, and the add dialog opened through its command.
struct Shop {
    test::TempAppFolder folder;
    MainWindow window;
    Shop() { window.show(); }
    AddProductDialog* open()
    {
        window.runCommand(Command::AddProduct);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "frmTJSP" && top->isVisible())
                return qobject_cast<AddProductDialog*>(top);
        return nullptr;
    }
};

void fill(AddProductDialog* dialog, const QString& name)
{
    child<QLineEdit>(dialog, "txtName")->setText(name);
    child<QComboBox>(dialog, "cmbType")->setEditText("Drinks");
    child<QLineEdit>(dialog, "txtInPrice")->setText("1.5");
    child<QLineEdit>(dialog, "txtAllQty")->setText("10");
    child<QLineEdit>(dialog, "txtOutPrice")->setText("2.5");
    child<QLineEdit>(dialog, "txtLeastQty")->setText("8");
}

} // namespace

class TestAddProductDialog : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup();
    void layoutAndInitialTexts();
    void oneWindowPerRun();
    void browseLoadsPreview();
    void browseCancelChangesNothing();
    void addStoresAndRefreshes();
    void defaultAlertShowsLowStock();
    void duplicateKeepsDialogOpen();
    void storeFailureKeepsDialogOpen();
    void cancelStoresNothing();
};

void TestAddProductDialog::cleanup()
{
    test::injectWriteFault(0);
    // A dialog left open must not carry over to the next case.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "frmTJSP")
            top->close();
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestAddProductDialog::layoutAndInitialTexts()
{
    Shop shop;
    runValues().currencySymbol = "EUR";
    runValues().themeIndex = 3;
    for (const char* type : {"Fruit", "Drinks", "Fruit"}) {
        auto set = ExecSQL("select * from product_info where 1=0");
        set->addNew();
        set->setField(0, QString("P") + type);
        set->setField(6, type);
        QVERIFY(set->update());
    }
    AddProductDialog* dialog = shop.open();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QString("Add a new product"));
    auto* frame = child<XPContainer>(dialog, "XPContainer1");
    QVERIFY(frame);
    QCOMPARE(frame->caption(), QString("Add a new product"));
    QCOMPARE(frame->theme(), 3);

    const QStringList labels = labelTexts(dialog);
    for (const char* text :
         {"Product Name:", "Product Category:", "Purchase Price:", "Purchase Quantity:", "Retail Price:",
          "Remaining Quantity:", "Alert Quantity:", "Picture Path:", "Please use 100px * 100px image"})
        QVERIFY2(labels.contains(text), text);
    QCOMPARE(labels.count("EUR"), 2);
    QCOMPARE(labels.count("Unit(s)"), 3);

    for (const char* box : {"txtName", "txtInPrice", "txtAllQty", "txtOutPrice", "txtLeastQty", "txtPic"})
        QVERIFY2(child<QLineEdit>(dialog, box)->text().isEmpty(), box);
    QCOMPARE(child<QLineEdit>(dialog, "txtAlert")->text(), QString("Alert Quantity"));
    auto* comment = child<QPlainTextEdit>(dialog, "txtComment");
    QCOMPARE(comment->blockCount(), 2);
    QCOMPARE(comment->document()->findBlockByNumber(0).text(), QString("Product Intro here"));

    auto* type = child<QComboBox>(dialog, "cmbType");
    QVERIFY(type->isEditable());
    QCOMPARE(type->count(), 2);
    QCOMPARE(type->itemText(0), QString("Fruit"));
    QCOMPARE(type->itemText(1), QString("Drinks"));
    QCOMPARE(type->currentText(), QString());

    QCOMPARE(child<QPushButton>(dialog, "command1")->text(), QString("Browse"));
    QCOMPARE(child<QPushButton>(dialog, "cmdOK")->text(), QString(" Add"));
    QCOMPARE(child<QPushButton>(dialog, "cmdCancel")->text(), QString(" Cancel"));
    QVERIFY(child<PicturePreview>(dialog, "picProduct"));
    QVERIFY(!dialog->isModal());
}

void TestAddProductDialog::oneWindowPerRun()
{
    Shop shop;
    AddProductDialog* first = shop.open();
    child<QLineEdit>(first, "txtName")->setText("half typed");
    QCOMPARE(shop.open(), first);
    QCOMPARE(child<QLineEdit>(first, "txtName")->text(), QString("half typed"));
    QVERIFY(shop.window.isEnabled());
}

void TestAddProductDialog::browseLoadsPreview()
{
    Shop shop;
    AddProductDialog* dialog = shop.open();
    // A GIF under a ".jpg" name, loaded by its content.
    const QString path = shop.folder.file("photo.jpg");
    QVERIFY(test::writeSolidPicture(path, QColor(0, 255, 0), "GIF"));
    test::FileDialogAnswerer answerer(path);
    child<QPushButton>(dialog, "command1")->click();
    QVERIFY(answerer.wait());
    QCOMPARE(answerer.dialog().title, QString::fromUtf8("选择图片"));
    // The two designed filters first, then the other formats the picture loader reads.
    const QStringList filters = answerer.dialog().nameFilters;
    QCOMPARE(filters.mid(0, 2), (QStringList{QString::fromUtf8("JPEG文件(*.jpg) (*.jpg *.JPG)"),
                                             QString::fromUtf8("GIF文件(*.gif) (*.gif *.GIF)")}));
    QCOMPARE(filters.size(), 3);
    QVERIFY2(filters[2].startsWith("Other pictures (") && filters[2].contains("*.png *.PNG") &&
                 filters[2].contains("*.bmp") && !filters[2].contains("*.jpg"),
             qPrintable(filters[2]));
    QCOMPARE(answerer.dialog().shownFilters, (QStringList{QString::fromUtf8("JPEG文件(*.jpg)"),
                                                          QString::fromUtf8("GIF文件(*.gif)"), "Other pictures"}));
    QVERIFY(!answerer.dialog().nativeDialog);
    QCOMPARE(child<QLineEdit>(dialog, "txtPic")->text(), path);
    const QImage preview = child<PicturePreview>(dialog, "picProduct")->image();
    QCOMPARE(preview.size(), QSize(100, 100));
    QCOMPARE(preview.pixelColor(99, 99), QColor(0, 255, 0));
    // Drawn stretched to 100 x 100 at the top-left corner.
    const QImage shown = child<PicturePreview>(dialog, "picProduct")->grab().toImage();
    QCOMPARE(shown.pixelColor(0, 0), QColor(0, 255, 0));
    QCOMPARE(shown.pixelColor(99, 99), QColor(0, 255, 0));
}

void TestAddProductDialog::browseCancelChangesNothing()
{
    Shop shop;
    AddProductDialog* dialog = shop.open();
    const QImage before = child<PicturePreview>(dialog, "picProduct")->image();
    test::FileDialogAnswerer answerer{QString()};
    child<QPushButton>(dialog, "command1")->click();
    QVERIFY(answerer.wait());
    QCOMPARE(child<QLineEdit>(dialog, "txtPic")->text(), QString());
    QCOMPARE(child<PicturePreview>(dialog, "picProduct")->image(), before);
}

void TestAddProductDialog::addStoresAndRefreshes()
{
    Shop shop;
    const QString path = shop.folder.file("photo.jpg");
    QVERIFY(test::writeSolidPicture(path, QColor(200, 20, 20), "JPEG"));
    QVERIFY(test::writeSolidPicture(pictureFilePath(1), Qt::black, "BMP"));
    QVERIFY(test::writeSolidPicture(pictureFilePath(2), Qt::black, "BMP"));

    QPointer<AddProductDialog> dialog = shop.open();
    fill(dialog, "Tea");
    child<QLineEdit>(dialog, "txtAlert")->setText("2");
    child<QPlainTextEdit>(dialog, "txtComment")->setPlainText("Green tea\nfrom Hangzhou");
    test::FileDialogAnswerer answerer(path);
    child<QPushButton>(dialog, "command1")->click();
    QVERIFY(answerer.wait());
    child<QPushButton>(dialog, "cmdOK")->click();

    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select * from product_info"),
             QStringList{"Tea|1.5|10|2.5|8|<null>|Drinks|3|Green tea\r\nfrom Hangzhou|2"});
    QVERIFY(test::fileBytes(pictureFilePath(3)).startsWith("BM"));
    QVERIFY(test::nearColor(test::pictureColor(pictureFilePath(3)), QColor(200, 20, 20)));
    QCOMPARE(test::fileBytes(introFilePath(3)), QByteArray("\"Green tea\r\nfrom Hangzhou\"\r\n"));
    // The main window waits for the refresh, which lists the new product.
    QVERIFY(!shop.window.isEnabled());
    QTRY_VERIFY(shop.window.isEnabled());
    QCOMPARE(test::listedProducts(shop.window), QStringList{"Tea"});
}

void TestAddProductDialog::defaultAlertShowsLowStock()
{
    Shop shop;
    QPointer<AddProductDialog> dialog = shop.open();
    fill(dialog, "Salt");
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select cAlert, cPic from product_info"), QStringList{"<null>|0"});
    QCOMPARE(test::fileBytes(introFilePath(0)), QByteArray("\"Product Intro here\r\n\"\r\n"));
    QTRY_COMPARE(test::listedProducts(shop.window), QStringList{"Salt"});
    const QModelIndex cell = shop.window.productList()->model()->index(0, 0);
    QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
}

void TestAddProductDialog::duplicateKeepsDialogOpen()
{
    Shop shop;
    QPointer<AddProductDialog> dialog = shop.open();
    fill(dialog, "Tea");
    child<QLineEdit>(dialog, "txtCode")->setText("12345678");
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());

    dialog = shop.open();
    fill(dialog, "tea");
    child<QLineEdit>(dialog, "txtCode")->setText("12345678");
    test::BoxAnswerer code;
    child<QPushButton>(dialog, "cmdOK")->click();
    QVERIFY(code.wait());
    QCOMPARE(code.box().text, QString("Another product has the code 12345678 already"));
    QCOMPARE(code.box().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    child<QLineEdit>(dialog, "txtCode")->clear();
    child<QLineEdit>(dialog, "txtName")->setText("Tea");
    test::BoxAnswerer answerer;
    child<QPushButton>(dialog, "cmdOK")->click();
    QVERIFY(answerer.wait());
    QCOMPARE(answerer.box().title, QString("Warning"));
    QCOMPARE(answerer.box().text, QString("This product have been added already"));
    QCOMPARE(answerer.box().icon, QMessageBox::Warning);
    QCOMPARE(answerer.box().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QString("Tea"));

    child<QLineEdit>(dialog, "txtName")->setText("tea");
    child<QPushButton>(dialog, "cmdOK")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select cName, cSpare from product_info order by rowid"),
             (QStringList{"Tea|12345678", "tea|<null>"}));
}

void TestAddProductDialog::storeFailureKeepsDialogOpen()
{
    Shop shop;
    QPointer<AddProductDialog> dialog = shop.open();
    fill(dialog, "Tea");
    // A price with a decimal comma is no number here: it would be stored empty and sell at 0.
    child<QLineEdit>(dialog, "txtOutPrice")->setText("0,60");
    {
        test::BoxAnswerer refused;
        child<QPushButton>(dialog, "cmdOK")->click();
        QVERIFY(refused.box().text.startsWith("The Retail Price box holds \"0,60\", which is not a number"));
    }
    QCOMPARE(test::rowsOf("select * from product_info"), QStringList());
    child<QLineEdit>(dialog, "txtOutPrice")->setText("2.5");
    test::injectWriteFault(1);
    test::BoxAnswerer answerer;
    child<QPushButton>(dialog, "cmdOK")->click();
    QVERIFY(answerer.wait());
    QCOMPARE(answerer.box().title, QString("error"));
    QCOMPARE(answerer.box().text, QString("(TJSP)Add error"));
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "txtName")->text(), QString("Tea"));
    QCOMPARE(test::rowsOf("select * from product_info"), QStringList());
    QVERIFY(!QFile::exists(introFilePath(0)));
    QVERIFY(shop.window.isEnabled());
    QVERIFY(!shop.window.refreshTimer()->isActive());
}

void TestAddProductDialog::cancelStoresNothing()
{
    Shop shop;
    QPointer<AddProductDialog> dialog = shop.open();
    fill(dialog, "Tea");
    // Esc on the open category list closes the list alone.
    child<QComboBox>(dialog, "cmbType")->addItem("Drinks");
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    child<QComboBox>(dialog, "cmbType")->showPopup();
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(child<QComboBox>(dialog, "cmbType")->view(), Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(dialog && dialog->isVisible());
    child<QPushButton>(dialog, "cmdCancel")->click();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(test::rowsOf("select * from product_info"), QStringList());
    QVERIFY(!shop.window.refreshTimer()->isActive());
    QVERIFY(shop.window.isEnabled());
}

QTEST_MAIN(TestAddProductDialog)
#include "tst_addproductdialog.moc"
