// The product list's rows: cell texts, low-stock colour, category order and fill failures.
#include "app/appcontext.h"
#include "catalogue/ui/productlistmodel.h"
#include "data/recordset.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace marvono;
using marvono::test::TempAppFolder;

namespace {

// Name, purchase price, purchase quantity, retail price, remaining, category, picture, alert;
// a null QVariant stores NULL.
void addProduct(const QString& name, const QVariant& remaining, const QVariant& alert,
                const QString& category = QStringLiteral("Food"), const QString& price = QStringLiteral("2.5"))
{
    ExecSQL(QStringLiteral("insert into product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cType, cPic, "
                           "cAlert, cComment) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {name, QStringLiteral("1.25"), QStringLiteral("40"), price, remaining, category, 7, alert,
             QStringLiteral("intro")});
}

QStringList column(const ProductListModel& model, int column)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts.append(model.cellText(r, column));
    return texts;
}

bool redInEveryCell(const ProductListModel& model, int row)
{
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.index(row, c).data(Qt::ForegroundRole).value<QColor>() != QColor(255, 0, 0))
            return false;
    return true;
}

bool uncoloured(const ProductListModel& model, int row)
{
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.index(row, c).data(Qt::ForegroundRole).isValid())
            return false;
    return true;
}

} // namespace

class TestProductListModel : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void headersAndCellTexts();
    void lowStock_data();
    void lowStock();
    void sortsByCategoryKeepingOrderWithin();
    void symbolOfTheFillIsKept();
    void missingQuantityPaintedRed();
    void emptyAndFailedQuery();
    void sortMovesSelectionWithRows();
    void filterByNameOrCategory();
    void filterSurvivesRefillAndSort();
    void accentsMatchComposedOrDecomposed();
};

void TestProductListModel::headersAndCellTexts()
{
    TempAppFolder folder;
    runValues().currencySymbol = QStringLiteral("$");
    addProduct(QStringLiteral("Green Tea"), QStringLiteral("12"), QStringLiteral("3"), QStringLiteral("Drinks"),
               QStringLiteral("12.5"));
    ProductListModel model;
    const auto result = model.fill();
    QVERIFY(result.complete);
    QCOMPARE(result.rowsAdded, 1);
    QCOMPARE(model.columnCount(), 7);
    QStringList headers;
    for (int c = 0; c < model.columnCount(); ++c)
        headers.append(model.headerData(c, Qt::Horizontal).toString());
    QCOMPARE(headers, QStringList({"Product Name", "Purchase Price", "Purchase Quantity", "Retail Price",
                                   "Remaining Quantity", "Category", "Pic No."}));
    QStringList cells;
    for (int c = 0; c < model.columnCount(); ++c)
        cells.append(model.index(0, c).data().toString());
    QCOMPARE(cells, QStringList({"Green Tea", "$1.25", "40Unit(s)", "$12.5", "12Unit(s)", "Drinks", "7"}));
    QVERIFY(uncoloured(model, 0));

    // Texts beyond ASCII keep their field boundaries.
    addProduct(QStringLiteral("Cr\u00E8me br\u00FBl\u00E9e \U0001F370"), QStringLiteral("0"), QStringLiteral("0"),
               QStringLiteral("D\u00E9sserts"), QStringLiteral("3"));
    model.clear();
    model.fill();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.cellText(1, ProductListModel::Name), QStringLiteral("Cr\u00E8me br\u00FBl\u00E9e \U0001F370"));
    QCOMPARE(model.cellText(1, ProductListModel::RetailPrice), QStringLiteral("$3"));
    QCOMPARE(model.cellText(1, ProductListModel::Category), QStringLiteral("D\u00E9sserts"));
    QCOMPARE(model.cellText(1, ProductListModel::PicNo), QStringLiteral("7"));
}

void TestProductListModel::lowStock_data()
{
    QTest::addColumn<QVariant>("remaining");
    QTest::addColumn<QVariant>("alert");
    QTest::addColumn<bool>("red");
    QTest::newRow("5 of 5") << QVariant(QStringLiteral("5")) << QVariant(QStringLiteral("5")) << false;
    QTest::newRow("4 under alert 5") << QVariant(QStringLiteral("4")) << QVariant(QStringLiteral("5")) << true;
    QTest::newRow("0 of 0") << QVariant(QStringLiteral("0")) << QVariant(QStringLiteral("0")) << false;
    QTest::newRow("numbers, not texts") << QVariant(QStringLiteral("10")) << QVariant(QStringLiteral("9")) << false;
    QTest::newRow("fractions") << QVariant(QStringLiteral("2.5")) << QVariant(QStringLiteral("2.75")) << true;
    QTest::newRow("negative stock") << QVariant(QStringLiteral("-1")) << QVariant(QStringLiteral("0")) << true;
    QTest::newRow("no alert") << QVariant(QStringLiteral("4")) << QVariant() << true;
    QTest::newRow("no remaining") << QVariant() << QVariant(QStringLiteral("0")) << true;
}

void TestProductListModel::lowStock()
{
    QFETCH(QVariant, remaining);
    QFETCH(QVariant, alert);
    QFETCH(bool, red);
    TempAppFolder folder;
    addProduct(QStringLiteral("Milk"), remaining, alert);
    ProductListModel model;
    model.fill();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.isLowStock(0), red);
    QVERIFY(red ? redInEveryCell(model, 0) : uncoloured(model, 0));
}

void TestProductListModel::sortsByCategoryKeepingOrderWithin()
{
    TempAppFolder folder;
    const QStringList names = {"Apple", "Zwieback", "Cola", "Bread", "Anchovy", "Water"};
    const QStringList categories = {"Fruit", "bakery", "Drinks", "bakery", "Fish", "Drinks"};
    for (int i = 0; i < names.size(); ++i)
        addProduct(names[i], QStringLiteral("9"), QStringLiteral("1"), categories[i]);
    ProductListModel model;
    model.fill();
    QCOMPARE(column(model, ProductListModel::Name), names); // database order while unsorted
    QVERIFY(!model.isSortedByCategory());
    model.sortByCategory();
    QVERIFY(model.isSortedByCategory());
    QCOMPARE(column(model, ProductListModel::Category),
             QStringList({"bakery", "bakery", "Drinks", "Drinks", "Fish", "Fruit"}));
    QCOMPARE(column(model, ProductListModel::Name),
             QStringList({"Zwieback", "Bread", "Cola", "Water", "Anchovy", "Apple"}));
}

void TestProductListModel::symbolOfTheFillIsKept()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Soap"), QStringLiteral("3"), QStringLiteral("1"));
    runValues().currencySymbol = QStringLiteral("\u20AC");
    ProductListModel model;
    model.fill();
    runValues().currencySymbol = QStringLiteral("$");
    QCOMPARE(model.cellText(0, ProductListModel::RetailPrice), QStringLiteral("\u20AC2.5"));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    model.fill();
    QCOMPARE(model.cellText(0, ProductListModel::PurchasePrice), QStringLiteral("$1.25"));
}

void TestProductListModel::missingQuantityPaintedRed()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Tea"), QStringLiteral("9"), QStringLiteral("1"));
    addProduct(QStringLiteral("Salt"), QVariant(), QStringLiteral("1"));
    addProduct(QStringLiteral("Rice"), QStringLiteral("0"), QStringLiteral("5"));
    ProductListModel model;
    const auto result = model.fill();
    QVERIFY(result.complete);
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Tea", "Salt", "Rice"}));
    QCOMPARE(model.cellText(1, ProductListModel::RemainingQuantity), QStringLiteral("Unit(s)"));
    QVERIFY(uncoloured(model, 0));
    QVERIFY(redInEveryCell(model, 1));
    QVERIFY(redInEveryCell(model, 2));
}

void TestProductListModel::emptyAndFailedQuery()
{
    TempAppFolder folder;
    ProductListModel model;
    auto result = model.fill();
    QVERIFY(result.complete);
    QCOMPARE(model.rowCount(), 0);
    model.sortByCategory();
    QVERIFY(model.isSortedByCategory());

    TempAppFolder noDatabase(false);
    result = model.fill();
    QVERIFY(!result.complete);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(model.rowCount(), 0);
}

void TestProductListModel::sortMovesSelectionWithRows()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Pear"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Fruit"));
    addProduct(QStringLiteral("Cake"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Bakery"));
    ProductListModel model;
    model.fill();
    const QPersistentModelIndex pear = model.index(0, ProductListModel::Category);
    model.sortByCategory();
    QCOMPARE(pear.row(), 1);
    QCOMPARE(pear.data().toString(), QStringLiteral("Fruit"));
}

void TestProductListModel::filterByNameOrCategory()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Cola"), QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("Drinks"));
    addProduct(QStringLiteral("Молоко"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Dairy"));
    addProduct(QStringLiteral("Cocoa"), QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("Sweets"));
    addProduct(QStringLiteral("Water"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Cold drinks"));
    ProductListModel model;
    model.fill();
    model.sortByCategory();
    QCOMPARE(model.lowStockCount(), 2);
    const QPersistentModelIndex cocoa = model.index(3, 0);
    QCOMPARE(cocoa.data().toString(), QStringLiteral("Cocoa"));

    // Name or category, folded case in any script; red rows stay red, the category order stays.
    model.setFilter(QStringLiteral("CO"), false);
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Water", "Cola", "Cocoa"}));
    QVERIFY(uncoloured(model, 0));
    QVERIFY(redInEveryCell(model, 1));
    QVERIFY(redInEveryCell(model, 2));
    QCOMPARE(cocoa.row(), 2);
    model.setFilter(QStringLiteral("COL"), false); // narrows from the rows shown
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Water", "Cola"}));
    QVERIFY(!cocoa.isValid()); // filtered out, so no longer selected
    model.setFilter(QStringLiteral("cola"), false);
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Cola"}));
    model.setFilter(QStringLiteral("c"), false); // widening tests every product again
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Water", "Cola", "Cocoa"}));
    model.setFilter(QStringLiteral("мОЛ"), false);
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Молоко"}));
    model.setFilter(QStringLiteral("tea"), false);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.cellText(0, ProductListModel::Name), QString());

    // Low stock only, alone and with a text.
    model.setFilter(QString(), true);
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Cola", "Cocoa"}));
    model.setFilter(QStringLiteral("oa"), true);
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Cocoa"}));
    QCOMPARE(model.lowStockCount(), 2); // counts every product, shown or not
    model.setFilter(QString(), false);
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Water", "Молоко", "Cola", "Cocoa"}));
}

void TestProductListModel::accentsMatchComposedOrDecomposed()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Cafe\u0301 noir"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Drinks"));
    addProduct(QStringLiteral("Cr\u00e8me"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Dairy"));
    ProductListModel model;
    model.fill();
    model.setFilter(QStringLiteral("CAF\u00c9"), false); // composed, against a name stored decomposed
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Cafe\u0301 noir"}));
    model.setFilter(QStringLiteral("cre\u0300"), false); // decomposed, against a composed name
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Cr\u00e8me"}));
    model.setFilter(QStringLiteral("cre\u0300me"), false); // narrowing keeps it
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Cr\u00e8me"}));
    model.setFilter(QStringLiteral("cr\u00e9"), false); // another accent is another letter
    QCOMPARE(model.rowCount(), 0);
}

void TestProductListModel::filterSurvivesRefillAndSort()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Tea"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Drinks"));
    addProduct(QStringLiteral("Bread"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Bakery"));
    ProductListModel model;
    model.fill();
    model.sortByCategory();
    model.setFilter(QStringLiteral("e"), false);
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Bread", "Tea"}));

    // The refresh: clear, fill in database order, sort; the filter holds throughout.
    addProduct(QStringLiteral("Cheese"), QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("Dairy"));
    addProduct(QStringLiteral("Milk"), QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("Dairy"));
    model.clear();
    QCOMPARE(model.filterText(), QStringLiteral("e"));
    model.fill();
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Tea", "Bread", "Cheese"}));
    const QPersistentModelIndex cheese = model.index(2, 0);
    model.sortByCategory();
    QCOMPARE(column(model, ProductListModel::Name), QStringList({"Bread", "Cheese", "Tea"}));
    QCOMPARE(cheese.row(), 1);
    QVERIFY(model.isLowStock(1));
    QCOMPARE(model.productCount(), 4);
    QCOMPARE(model.lowStockCount(), 1);
}

QTEST_GUILESS_MAIN(TestProductListModel)
#include "tst_productlistmodel.moc"
