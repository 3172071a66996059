// Deleting the selected product from the toolbar and the menu, the details panel, and changing
// the prices of the selected products.
#include "app/appcontext.h"
#include "app/ui/mainwindow.h"
#include "catalogue/productfiles.h"
#include "data/database.h"
#include "data/recordset.h"
#include "support/catalogue_dialogs.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace marvono;

namespace {

void storeProduct(const QString& name, const QString& type, const QString& price, const QString& quantity,
                  const QString& picture)
{
    auto set = ExecSQL("select * from product_info where 1=0");
    QVERIFY(set);
    set->addNew();
    const QStringList texts{name, "1", "10", price, quantity, QString(), type, picture, "intro", "0"};
    for (int c = 0; c < texts.size(); ++c)
        set->setField(c, texts[c]);
    QVERIFY(set->update());
}

struct Shop {
    test::TempAppFolder folder;
    MainWindow window;
    Shop()
    {
        storeProduct("Tea", "Drinks", "2.5", "8", "7");
        storeProduct("Grandma's Jam", "Spreads", "4", "3", "0");
        storeProduct("Coffee", "Drinks", "3.25", "0", "9");
        window.fillProductList();
        window.show();
    }
    QString label(const char* name) const
    {
        auto* label = window.findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QString("<missing>");
    }
    QColor shownColor() const
    {
        const QImage image = window.pictureBox()->pixmap().toImage();
        return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
    }
};

} // namespace

class TestProductActions : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup();
    void deletePaths_data();
    void deletePaths();
    void cancelChangesNothing();
    void nothingSelected_data();
    void nothingSelected();
    void failedDeleteKeepsPicture();
    void pictureThatCannotGoKeepsProduct();
    void apostropheDelete();
    void detailsFromRow();
    void detailsPlaceholder();
    void detailsClearPictureWhenUnreadable();
    void focusLossHidesPictureOnly();
    void emptyListIgnoresClick();
    void changePricesOfTheSelection();
};

void TestProductActions::cleanup()
{
    test::injectWriteFault(0);
}

void TestProductActions::deletePaths_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("pictureKept");
    QTest::newRow("toolbar") << int(Command::DeleteProductButton) << "Confirm" << false;
    QTest::newRow("menu") << int(Command::DeleteProductMenu) << "Warning" << true;
}

void TestProductActions::deletePaths()
{
    QFETCH(int, command);
    QFETCH(QString, title);
    QFETCH(bool, pictureKept);
    Shop shop;
    QVERIFY(test::writeSolidPicture(pictureFilePath(7), Qt::red, "BMP"));
    QVERIFY(test::writeSolidPicture(pictureFilePath(9), Qt::red, "BMP"));
    QVERIFY(writeIntroFile("7", "intro"));
    QVERIFY(test::selectProduct(shop.window, "Tea"));

    test::BoxAnswerer answerer;
    shop.window.runCommand(Command(command));
    QVERIFY(answerer.box().seen);
    QCOMPARE(answerer.box().title, title);
    QCOMPARE(answerer.box().text, QString("Are you sure to delete this product ?"));
    QCOMPARE(answerer.box().icon, QMessageBox::Warning);
    QCOMPARE(answerer.box().buttons, QMessageBox::Ok | QMessageBox::Cancel);

    QCOMPARE(test::rowsOf("select cName from product_info order by rowid"), (QStringList{"Grandma's Jam", "Coffee"}));
    QCOMPARE(QFile::exists(pictureFilePath(7)), pictureKept);
    QVERIFY(QFile::exists(pictureFilePath(9)));
    QVERIFY(QFile::exists(introFilePath(7)));
    // The list is emptied at once and refilled by the refresh; the window stays usable.
    QCOMPARE(test::listedProducts(shop.window), QStringList());
    QVERIFY(shop.window.isEnabled());
    QVERIFY(shop.window.refreshTimer()->isActive());
    QTRY_COMPARE(test::listedProducts(shop.window).size(), 2);
    QVERIFY(!test::listedProducts(shop.window).contains("Tea"));
}

void TestProductActions::cancelChangesNothing()
{
    Shop shop;
    QVERIFY(test::writeSolidPicture(pictureFilePath(7), Qt::red, "BMP"));
    const QStringList before = test::rowsOf("select * from product_info");
    for (Command command : {Command::DeleteProductButton, Command::DeleteProductMenu}) {
        QVERIFY(test::selectProduct(shop.window, "Tea"));
        test::BoxAnswerer answerer(QMessageBox::Cancel);
        shop.window.runCommand(command);
        QVERIFY(answerer.box().seen);
        QCOMPARE(test::rowsOf("select * from product_info"), before);
        QVERIFY(QFile::exists(pictureFilePath(7)));
        QCOMPARE(test::listedProducts(shop.window).size(), 3);
        QVERIFY(!shop.window.refreshTimer()->isActive());
    }
}

void TestProductActions::nothingSelected_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("confirmTitle");
    QTest::addColumn<QString>("error");
    QTest::newRow("toolbar") << int(Command::DeleteProductButton) << "Confirm"
                             << "(MAIN)Delete error";
    QTest::newRow("menu") << int(Command::DeleteProductMenu) << "Warning"
                          << "(main)Delete error";
}

void TestProductActions::nothingSelected()
{
    QFETCH(int, command);
    QFETCH(QString, confirmTitle);
    QFETCH(QString, error);
    Shop shop;
    shop.window.productList()->clearSelection();
    const QStringList before = test::rowsOf("select * from product_info");
    test::BoxSequence boxes({QMessageBox::Ok, QMessageBox::Ok});
    shop.window.runCommand(Command(command));
    QCOMPARE(boxes.boxes().size(), 2);
    QCOMPARE(boxes.boxes()[0].title, confirmTitle);
    QCOMPARE(boxes.boxes()[1].title, QString("error"));
    QCOMPARE(boxes.boxes()[1].text, error);
    QCOMPARE(boxes.boxes()[1].icon, QMessageBox::Warning);
    QCOMPARE(boxes.boxes()[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(test::rowsOf("select * from product_info"), before);
    QCOMPARE(test::listedProducts(shop.window).size(), 3);
    QVERIFY(!shop.window.refreshTimer()->isActive());
}

void TestProductActions::failedDeleteKeepsPicture()
{
    Shop shop;
    QVERIFY(test::writeSolidPicture(pictureFilePath(7), Qt::red, "BMP"));
    QVERIFY(test::selectProduct(shop.window, "Tea"));
    test::injectWriteFault(1);
    test::BoxSequence boxes({QMessageBox::Ok, QMessageBox::Ok});
    shop.window.runCommand(Command::DeleteProductButton);
    QCOMPARE(boxes.boxes().size(), 2);
    QCOMPARE(boxes.boxes()[1].text, QString("(MAIN)Delete error"));
    QCOMPARE(test::rowsOf("select cName from product_info order by rowid").size(), 3);
    QVERIFY(QFile::exists(pictureFilePath(7)));
    QCOMPARE(test::listedProducts(shop.window).size(), 3);
}

void TestProductActions::pictureThatCannotGoKeepsProduct()
{
    Shop shop;
    QVERIFY(QDir().mkpath(pictureFilePath(7)));
    QVERIFY(test::writeSolidPicture(pictureFilePath(7) + "/inside.jpg", Qt::red, "BMP"));
    QVERIFY(test::selectProduct(shop.window, "Tea"));
    test::BoxSequence boxes({QMessageBox::Ok, QMessageBox::Ok});
    shop.window.runCommand(Command::DeleteProductButton);
    QCOMPARE(boxes.boxes().size(), 2);
    QCOMPARE(boxes.boxes()[1].text, QString("(MAIN)Delete error"));
    QCOMPARE(test::rowsOf("select cName from product_info order by rowid").size(), 3);
    QVERIFY(QFile::exists(pictureFilePath(7) + "/inside.jpg"));
    QCOMPARE(test::listedProducts(shop.window).size(), 3);
    QVERIFY(!shop.window.refreshTimer()->isActive());
}

void TestProductActions::apostropheDelete()
{
    Shop shop;
    QVERIFY(test::selectProduct(shop.window, "Grandma's Jam"));
    test::BoxAnswerer answerer;
    shop.window.runCommand(Command::DeleteProductMenu);
    QCOMPARE(answerer.box().title, QString("Warning"));
    QCOMPARE(test::rowsOf("select cName from product_info order by rowid"), (QStringList{"Tea", "Coffee"}));
    QTRY_COMPARE(test::listedProducts(shop.window).size(), 2);
}

void TestProductActions::detailsFromRow()
{
    Shop shop;
    runValues().currencySymbol = "$";
    // A GIF and a JPEG under ".jpg" names, read by content.
    QVERIFY(test::writeSolidPicture(pictureFilePath(7), QColor(0, 255, 0), "GIF"));
    QVERIFY(test::writeSolidPicture(pictureFilePath(9), QColor(20, 20, 200), "JPEG"));
    QVERIFY(test::selectProduct(shop.window, "Tea"));
    shop.window.runCommand(Command::ProductClicked);
    QVERIFY(shop.window.pictureBox()->isVisible());
    QCOMPARE(shop.shownColor(), QColor(0, 255, 0));
    QCOMPARE(shop.label("lblName"), QString("Tea"));
    QCOMPARE(shop.label("lblType"), QString("Drinks"));
    QCOMPARE(shop.label("lblPrice"), QString("$2.5"));
    QCOMPARE(shop.label("lblQty"), QString("8Unit(s)"));

    QVERIFY(test::selectProduct(shop.window, "Coffee"));
    shop.window.runCommand(Command::ProductClicked);
    QVERIFY(test::nearColor(shop.shownColor(), QColor(20, 20, 200)));
    QCOMPARE(shop.label("lblName"), QString("Coffee"));
    QCOMPARE(shop.label("lblPrice"), QString("$3.25"));
    QCOMPARE(shop.label("lblQty"), QString("0Unit(s)"));

    // The panel follows the keys, and shows the stored values after a refresh; none once deleted.
    QTest::keyClick(shop.window.productList(), Qt::Key_Up);
    QCOMPARE(shop.label("lblName"), QString("Tea"));
    for (const char* change : {"update product_info set cLeastQty='5'", "delete from product_info where cPic=7"}) {
        ExecSQL(change);
        shop.window.requestRefresh(false);
        QTRY_VERIFY(shop.window.isEnabled() && !shop.window.refreshTimer()->isActive());
        QCOMPARE(shop.label("lblQty"), QString(change[0] == 'u' ? "5Unit(s)" : "-"));
    }
}

void TestProductActions::detailsPlaceholder()
{
    Shop shop;
    QVERIFY(test::writeSolidPicture(placeholderPicturePath(), QColor(90, 0, 90), "BMP"));
    QVERIFY(test::selectProduct(shop.window, "Grandma's Jam"));
    shop.window.runCommand(Command::ProductClicked);
    QCOMPARE(shop.shownColor(), QColor(90, 0, 90));
    QCOMPARE(shop.label("lblName"), QString("Grandma's Jam"));
    QCOMPARE(shop.label("lblType"), QString("Spreads"));

    // Picture number 0 shows 0.jpg once such a file exists.
    QVERIFY(test::writeSolidPicture(pictureFilePath(0), QColor(0, 90, 90), "BMP"));
    shop.window.runCommand(Command::ProductClicked);
    QCOMPARE(shop.shownColor(), QColor(0, 90, 90));
}

void TestProductActions::detailsClearPictureWhenUnreadable()
{
    Shop shop;
    QVERIFY(test::writeSolidPicture(pictureFilePath(7), QColor(0, 255, 0), "GIF"));
    QVERIFY(test::selectProduct(shop.window, "Tea"));
    shop.window.runCommand(Command::ProductClicked);
    QCOMPARE(shop.shownColor(), QColor(0, 255, 0));

    // No zw.jpg, and 9.jpg is no picture: the box shows none rather than Tea's, the texts change.
    QFile broken(pictureFilePath(9));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("garbage");
    broken.close();
    QVERIFY(test::selectProduct(shop.window, "Coffee"));
    shop.window.runCommand(Command::ProductClicked);
    QVERIFY(shop.window.pictureBox()->pixmap().isNull());
    QCOMPARE(shop.label("lblName"), QString("Coffee"));
}

void TestProductActions::focusLossHidesPictureOnly()
{
    Shop shop;
    QVERIFY(test::writeSolidPicture(pictureFilePath(7), QColor(0, 255, 0), "GIF"));
    QVERIFY(test::selectProduct(shop.window, "Tea"));
    shop.window.runCommand(Command::ProductClicked);
    QVERIFY(shop.window.pictureBox()->isVisible());
    shop.window.runCommand(Command::ProductListFocusLost);
    QVERIFY(!shop.window.pictureBox()->isVisible());
    QCOMPARE(shop.label("lblName"), QString("Tea"));
    QCOMPARE(shop.label("lblQty"), QString("8Unit(s)"));
    shop.window.runCommand(Command::ProductClicked);
    QVERIFY(shop.window.pictureBox()->isVisible());
}

void TestProductActions::emptyListIgnoresClick()
{
    Shop shop;
    const QString before = shop.label("lblName");
    shop.window.requestRefresh(false); // empties the list
    shop.window.runCommand(Command::ProductClicked);
    QCOMPARE(shop.label("lblName"), before);
    QVERIFY(shop.window.pictureBox()->pixmap().isNull());
}

void TestProductActions::changePricesOfTheSelection()
{
    Shop shop;
    QTreeView* list = shop.window.productList();
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        if (list->model()->index(row, 0).data().toString() != "Grandma's Jam")
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    shop.window.findChild<QAction*>("menuChangePrices")->trigger();
    QWidget* prices = nullptr;
    QTRY_VERIFY((prices = QApplication::activeWindow()) && prices->objectName() == "frmChangePrices");
    prices->findChild<QLineEdit*>("txtChange")->setText("10");
    prices->findChild<QComboBox*>("cboStep")->setCurrentIndex(1);
    test::BoxAnswerer answerer;
    prices->findChild<QPushButton*>("cmdApply")->click();
    QCOMPARE(answerer.box().title, QString("Change prices"));
    // 2.75 and 3.575 to the nearest 0.05; the product not selected keeps its price.
    QCOMPARE(test::rowsOf("select cName, cOutPrice from product_info order by rowid"),
             (QStringList{"Tea|2.75", "Grandma's Jam|4", "Coffee|3.6"}));
    prices->close();
}

QTEST_MAIN(TestProductActions)
#include "tst_productactions.moc"
