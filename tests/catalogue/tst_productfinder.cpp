// The main window's search box and low-stock notice: filtering, refresh, keys and selling by Enter.
#include "app/ui/mainwindow.h"
#include "catalogue/ui/productlistmodel.h"
#include "data/recordset.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace marvono;
using marvono::test::TempAppFolder;

namespace {

void addProduct(const QString& name, const QString& category, const QString& remaining, const QString& alert)
{
    ExecSQL(QStringLiteral("insert into product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cType, cPic, "
                           "cAlert) values (?, '1', '10', '2', ?, ?, 0, ?)"),
            {name, remaining, category, alert});
}

QStringList names(const MainWindow& window)
{
    QStringList texts;
    for (int r = 0; r < window.productModel()->rowCount(); ++r)
        texts.append(window.productModel()->cellText(r, ProductListModel::Name));
    return texts;
}

// A loaded main window, shown and active so that its keys reach it.
struct Shop {
    TempAppFolder folder;
    MainWindow window;
    QLineEdit* search = nullptr;
    QLabel* notice = nullptr;
    bool active = false;

    Shop()
    {
        addProduct(QStringLiteral("Green Tea"), QStringLiteral("Drinks"), QStringLiteral("2"), QStringLiteral("5"));
        addProduct(QStringLiteral("Cola"), QStringLiteral("Drinks"), QStringLiteral("20"), QStringLiteral("5"));
        addProduct(QStringLiteral("Teacake"), QStringLiteral("Bakery"), QStringLiteral("1"), QStringLiteral("3"));
        addProduct(QStringLiteral("Salt"), QStringLiteral("Spices"), QStringLiteral("9"), QStringLiteral("1"));
        window.load();
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
        search = window.findChild<QLineEdit*>(QStringLiteral("txtSearch"));
        notice = window.findChild<QLabel*>(QStringLiteral("lblLowStock"));
    }
    void refresh()
    {
        window.requestRefresh(true);
        QTRY_VERIFY(window.isEnabled());
    }
};

} // namespace

class TestProductFinder : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void searchFiltersAndSurvivesRefresh();
    void enterWithOneMatchSells();
    void lowStockNotice();
};

void TestProductFinder::searchFiltersAndSurvivesRefresh()
{
    Shop shop;
    QVERIFY(shop.search && shop.notice);
    QVERIFY(shop.active);
    QCOMPARE(names(shop.window), QStringList({"Teacake", "Green Tea", "Cola", "Salt"}));

    QTest::keyClick(&shop.window, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(shop.search->hasFocus());
    QTest::keyClicks(shop.search, QStringLiteral("TEA"));
    QCOMPARE(names(shop.window), QStringList({"Teacake", "Green Tea"}));
    QVERIFY(shop.window.productModel()->isLowStock(1));

    // The details panel and the selection act on the filtered rows.
    shop.window.productList()->setCurrentIndex(shop.window.productModel()->index(1, 0));
    QCOMPARE(shop.window.selectedProductName(), QStringLiteral("Green Tea"));

    addProduct(QStringLiteral("Iced Tea"), QStringLiteral("Drinks"), QStringLiteral("9"), QStringLiteral("1"));
    shop.refresh();
    QCOMPARE(shop.search->text(), QStringLiteral("TEA"));
    QCOMPARE(names(shop.window), QStringList({"Teacake", "Green Tea", "Iced Tea"}));

    QTest::keyClick(shop.search, Qt::Key_Escape);
    QCOMPARE(shop.search->text(), QString());
    QCOMPARE(shop.window.productModel()->rowCount(), 5);
}

void TestProductFinder::enterWithOneMatchSells()
{
    Shop shop;
    QTest::keyClicks(shop.search, QStringLiteral("tea"));
    QTest::keyClick(shop.search, Qt::Key_Return); // two matches: nothing opens
    QVERIFY(!shop.window.findChild<QWidget*>(QStringLiteral("frmSCSP")));

    QTest::keyClicks(shop.search, QStringLiteral("c"));
    QTest::keyClick(shop.search, Qt::Key_Return);
    auto* sell = shop.window.findChild<QWidget*>(QStringLiteral("frmSCSP"));
    QVERIFY(sell);
    QVERIFY(sell->isVisible());
    auto* product = sell->findChild<QLineEdit*>(QStringLiteral("Text1"));
    QVERIFY(product);
    QCOMPARE(product->text(), QStringLiteral("Teacake"));
    QCOMPARE(shop.window.findChild<QLabel*>(QStringLiteral("lblName"))->text(), QStringLiteral("Teacake"));
    // A dialog open for another product gives way to one for the match.
    shop.search->clear();
    QTest::keyClicks(shop.search, QStringLiteral("cola"));
    QTest::keyClick(shop.search, Qt::Key_Return);
    sell = shop.window.findChild<QWidget*>(QStringLiteral("frmSCSP"));
    QCOMPARE(sell->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("Cola"));
    sell->close();

    // A scanned code sells one unit at once, the next scan another; an unknown code is refused.
    ExecSQL(QStringLiteral("update product_info set cSpare='4006381333931' where cName='Cola'"));
    QVERIFY(test::writeBuyers({"A1", "Window"}));
    shop.window.reloadBuyerCombo();
    auto* chooser = shop.window.findChild<QComboBox*>(QStringLiteral("cmbBuyer"));
    QVERIFY(chooser);
    QTest::keyClick(&shop.window, Qt::Key_B, Qt::ControlModifier);
    QTRY_VERIFY(chooser->hasFocus());
    QTest::keyClick(chooser, Qt::Key_Down);
    shop.search->clear();
    shop.window.productList()->setCurrentIndex(shop.window.productModel()->index(0, 0));
    shop.search->setFocus();
    // Typed while the list is refreshed after a sale, with the window disabled, the scans still sell.
    shop.window.requestRefresh(true);
    for (int scan = 0; scan < 2; ++scan) {
        QTest::keyClicks(shop.search, QStringLiteral("4006381333931"));
        QTest::keyClick(shop.search, Qt::Key_Return);
    }
    QTRY_COMPARE(test::rowsOf("select cLeastQty from product_info where cName='Cola'"), QStringList{"18"});
    QTRY_COMPARE(shop.window.findChild<QLabel*>(QStringLiteral("lblName"))->text(), QStringLiteral("Cola"));
    QCOMPARE(test::rowsOf("select ctable, cproduct, cqty from Bill"), (QStringList{"Window|Cola|1", "Window|Cola|1"}));
    QCOMPARE(test::rowsOf("select cname, cqty from PanDian"), QStringList{"Cola|2"});
    QCOMPARE(shop.window.historyPane()->toPlainText().count(QStringLiteral("Product Name: Cola")), 2);
    QTRY_VERIFY(!shop.active || shop.search->hasFocus());
    // The code left selected in the box finds its product, and the details panel shows the code.
    QTRY_COMPARE(names(shop.window), QStringList{"Cola"});
    shop.window.productList()->setCurrentIndex(shop.window.productModel()->index(0, 0));
    QCOMPARE(shop.window.findChild<QLabel*>(QStringLiteral("lblCode"))->text(), QStringLiteral("4006381333931"));
    test::BoxAnswerer unknown;
    QTest::keyClicks(shop.search, QStringLiteral("99999999"));
    QTest::keyClick(shop.search, Qt::Key_Return);
    QVERIFY(unknown.wait());
    QCOMPARE(unknown.box().text, QStringLiteral("No product has the code 99999999"));
    QCOMPARE(test::rowsOf("select cname from PanDian"), QStringList{"Cola"});
}

void TestProductFinder::lowStockNotice()
{
    Shop shop;
    QVERIFY(shop.active);
    QVERIFY(shop.notice->isVisible());
    QCOMPARE(shop.notice->text(), QStringLiteral("2 low on stock"));
    QCOMPARE(shop.notice->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // The click lists exactly what the notice counts, looking pressed; typing ends it.
    QTest::keyClicks(shop.search, QStringLiteral("cola"));
    QTest::mouseClick(shop.notice, Qt::LeftButton);
    QCOMPARE(shop.search->text(), QString());
    QCOMPARE(names(shop.window), QStringList({"Teacake", "Green Tea"}));
    QCOMPARE(shop.notice->frameShadow(), QFrame::Sunken);
    QTest::keyClicks(shop.search, QStringLiteral("t"));
    QCOMPARE(names(shop.window), QStringList({"Teacake", "Green Tea", "Salt"}));
    QCOMPARE(shop.notice->frameShape(), QFrame::NoFrame);
    shop.search->clear();

    QTest::mouseClick(shop.notice, Qt::LeftButton);
    QCOMPARE(names(shop.window), QStringList({"Teacake", "Green Tea"}));
    QTest::mouseClick(shop.notice, Qt::LeftButton);
    QCOMPARE(shop.window.productModel()->rowCount(), 4);

    // Esc leaves the reorder list too, and a refresh recounts.
    QTest::mouseClick(shop.notice, Qt::LeftButton);
    QTest::keyClick(shop.window.productList(), Qt::Key_Escape);
    QCOMPARE(shop.window.productModel()->rowCount(), 4);
    ExecSQL(QStringLiteral("update product_info set cLeastQty='0' where cName='Salt'"));
    shop.refresh();
    QCOMPARE(shop.notice->text(), QStringLiteral("3 low on stock"));

    // Restocked: the notice goes, and a reorder list shown then gives way to the whole list.
    QTest::mouseClick(shop.notice, Qt::LeftButton);
    QCOMPARE(shop.window.productModel()->rowCount(), 3);
    ExecSQL(QStringLiteral("update product_info set cLeastQty='50'"));
    shop.refresh();
    QVERIFY(!shop.notice->isVisible());
    QCOMPARE(shop.window.productModel()->rowCount(), 4);
}

QTEST_MAIN(TestProductFinder)
#include "tst_productfinder.moc"
