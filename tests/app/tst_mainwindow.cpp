// The main window: frames, toolbar, menus, load, list refresh, themes and command dispatch.
#include "app/appcontext.h"
#include "app/instance.h"
#include "app/ui/mainwindow.h"
#include "catalogue/ui/productlistmodel.h"
#include "controls/ui/xpcontainer.h"
#include "data/recordset.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace marvono;
using marvono::test::BoxAnswerer;
using marvono::test::TempAppFolder;

namespace {

void addProduct(const QString& name, const QString& category, const QVariant& remaining = QStringLiteral("9"),
                const QVariant& alert = QStringLiteral("1"))
{
    ExecSQL(QStringLiteral("insert into product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cType, cPic, "
                           "cAlert) values (?, '1', '10', '2', ?, ?, 0, ?)"),
            {name, remaining, category, alert});
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList names(const MainWindow& window)
{
    QStringList texts;
    for (int r = 0; r < window.productModel()->rowCount(); ++r)
        texts.append(window.productModel()->cellText(r, ProductListModel::Name));
    return texts;
}

XPContainer* frame(MainWindow& window, const char* name)
{
    return window.findChild<XPContainer*>(QString::fromLatin1(name));
}

QStringList menuTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void framesAndToolbar();
    void detailsAndMessagePane();
    void menus();
    void loadFillsSortsAndPlaces();
    void loadFailure_data();
    void loadFailure();
    void placement();
    void sizeSnapsBack();
    void refreshAfterFailedRowEnablesWindow();
    void skinsCycleAndDialogTheme();
    void eventsDispatchThroughCommandTable_data();
    void eventsDispatchThroughCommandTable();
    void selectedProductIsLastSelectedRow();
};

void TestMainWindow::framesAndToolbar()
{
    TempAppFolder folder;
    MainWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("frmMain"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Marvono V1.0.1"));
    QCOMPARE(MainWindow::instance(), &window);
    QCOMPARE(ShopWindow::current(), static_cast<ShopWindow*>(&window));

    const struct {
        const char* name;
        const char* caption;
        QRect place;
    } frames[] = {{"XPContainer2", "Tools", {0, 0, 1016, 79}},
                  {"XPContainer1", "Food Info", {0, 80, 621, 615}},
                  {"XPContainer3", "Product Detail", {622, 80, 393, 157}},
                  {"XPContainer5", "History && Quick View", {622, 238, 393, 457}}};
    for (const auto& f : frames) {
        XPContainer* container = frame(window, f.name);
        QVERIFY2(container, f.name);
        QCOMPARE(container->caption(), QString::fromLatin1(f.caption));
        QCOMPARE(container->geometry(), f.place);
    }
    QCOMPARE(window.productList()->parentWidget(), frame(window, "XPContainer1"));
    QCOMPARE(window.productList()->geometry(), QRect(8, 32, 601, 572));

    const struct {
        const char* name;
        const char* caption;
        int left;
    } buttons[] = {{"cmdAdd", "Add New", 4},        {"cmdDel", "Delete", 70},     {"cmdEdit", "Modify", 136},
                   {"cmdSale", "Add to cart", 202}, {"cmdBill", "Checkout", 268}, {"cmdJS", "Stat.", 334},
                   {"cmdSkins", "Skins", 400},      {"cmdXX", "Setup", 466},      {"cmdUpdate", "Update", 532},
                   {"cmdExit", "Exit", 946}};
    for (const auto& b : buttons) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(b.name));
        QVERIFY2(button, b.name);
        QCOMPARE(button->text(), QString::fromLatin1(b.caption));
        QCOMPARE(button->parentWidget(), frame(window, "XPContainer2"));
        QCOMPARE(button->geometry(), QRect(b.left, 26, 67, 52));
    }
    QCOMPARE(window.buyerCombo()->objectName(), QStringLiteral("cmbTable"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.buyerCombo()->isVisible());
    QVERIFY(window.findChild<QLabel*>(QStringLiteral("Image1")));
}

void TestMainWindow::detailsAndMessagePane()
{
    TempAppFolder folder;
    MainWindow window;
    QCOMPARE(window.pictureBox()->objectName(), QStringLiteral("picProduct"));
    QVERIFY(window.pictureBox()->isHidden());
    QCOMPARE(window.pictureBox()->parentWidget(), frame(window, "XPContainer3"));
    QStringList captions;
    for (const char* name : {"lblNameCaption", "lblTypeCaption", "lblPriceCaption", "lblQtyCaption"})
        captions.append(window.findChild<QLabel*>(QString::fromLatin1(name))->text());
    QCOMPARE(captions, QStringList({"Name:", "Category:", "Retail Price:", "Quantity:"}));
    for (const char* name : {"lblName", "lblType", "lblPrice", "lblQty"})
        QCOMPARE(window.findChild<QLabel*>(QString::fromLatin1(name))->text(), QStringLiteral("-"));

    QPlainTextEdit* pane = window.historyPane();
    QCOMPARE(pane->objectName(), QStringLiteral("txtInfo"));
    QVERIFY(pane->isReadOnly());
    QVERIFY(pane->toPlainText().isEmpty());
    QCOMPARE(pane->geometry(), QRect(10, 34, 373, 359));
    const struct {
        const char* name;
        const char* caption;
        int left;
    } buttons[] = {{"cmdClear", "Clear", 10}, {"command3", "Print", 184}, {"command1", "Save", 288}};
    for (const auto& b : buttons) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(b.name));
        QVERIFY2(button, b.name);
        QCOMPARE(button->text(), QString::fromLatin1(b.caption));
        QCOMPARE(button->parentWidget(), frame(window, "XPContainer5"));
        QCOMPARE(button->geometry(), QRect(b.left, 406, 95, 39));
    }
}

void TestMainWindow::menus()
{
    TempAppFolder folder;
    MainWindow window;
    QStringList titles;
    QList<QStringList> items;
    for (const QAction* action : window.menuBar()->actions()) {
        titles.append(action->text());
        items.append(menuTexts(action->menu()));
    }
    QCOMPARE(titles, QStringList({"File(&F)", "Management(&M)", "Database(&B)", "Setup(&S)", "Help(&H)"}));
    QCOMPARE(items.value(0),
             QStringList({"Clear History(&C)", "Save History(&S)", "-", "Change operator(&O)", "Exit(&E)"}));
    QCOMPARE(items.value(1), QStringList({"Add a new product(&A)",
                                          "Delete a product(&D)",
                                          "Modify a product(&E)",
                                          "Sell a product(&S)",
                                          "-",
                                          "Buyer(&B)",
                                          "Bill(&M)",
                                          "Receipts(&T)",
                                          "Export receipts(&X)",
                                          "-",
                                          "Statistic(&R)",
                                          "-",
                                          "Receive stock(&I)",
                                          "Stock moves(&V)",
                                          "Print labels(&L)",
                                          "Change prices(&G)",
                                          "Close day(&Y)",
                                          "-",
                                          "Import products(&P)",
                                          "Export products(&N)",
                                          "-",
                                          "Operators(&O)"}));
    QCOMPARE(items.value(2), QStringList({"Backup(&C)", "Recovery(&R)"}));
    QCOMPARE(items.value(3), QStringList({"Preferences(&P)"}));
    QCOMPARE(items.value(4), QStringList({"Help(&B)", "-", "About(&A)"}));
    for (const char* name : {"menuAdd", "menuDel", "menuEdit", "menuSale", "menuCopy", "menuRescue"})
        QVERIFY2(window.findChild<QAction*>(QString::fromLatin1(name)), name);
    QCOMPARE(window.findChild<QAction*>(QStringLiteral("menuCopy"))->text(), QStringLiteral("Backup(&C)"));
    QCOMPARE(window.findChild<QAction*>(QStringLiteral("menuRescue"))->text(), QStringLiteral("Recovery(&R)"));
}

void TestMainWindow::loadFillsSortsAndPlaces()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Pear"), QStringLiteral("Fruit"));
    addProduct(QStringLiteral("Cola"), QStringLiteral("Drinks"), QStringLiteral("1"), QStringLiteral("4"));
    // Stored without an alert quantity, as the add dialog can leave it: listed in red, no load error.
    addProduct(QStringLiteral("Bread"), QStringLiteral("Bakery"), QStringLiteral("9"), QVariant());
    writeFile(folder.file("qexclient/tables.dat"), "\"A1\"\r\n\"Window\"\r\n");
    writeFile(folder.file("setup.dat"), "\"0\"\r\n\"Corner Shop\"\r\n\"1\"\r\n\"EUR\"\r\n");
    runValues().themeIndex = 7;

    QWidget splash;
    auto* info = new QLabel(&splash);
    splash.show();
    MainWindow window;
    window.move(300, 300);
    BoxAnswerer answer;
    QVERIFY(window.load(info));
    QVERIFY(!answer.box().seen);
    QCOMPARE(info->text(), QStringLiteral("Loading Data..."));
    QCOMPARE(runValues().themeIndex, qint16(0));
    QCOMPARE(frame(window, "XPContainer1")->theme(), 0);
    QCOMPARE(runValues().shopName, QStringLiteral("Corner Shop"));
    QCOMPARE(runValues().warningTone, false);
    QCOMPARE(names(window), QStringList({"Bread", "Cola", "Pear"}));
    QVERIFY(window.productModel()->isSortedByCategory());
    QCOMPARE(window.productModel()->cellText(1, ProductListModel::RetailPrice), QStringLiteral("EUR2"));
    QVERIFY(window.productModel()->isLowStock(0));
    QVERIFY(window.productModel()->isLowStock(1));
    QVERIFY(!window.productModel()->isLowStock(2));
    // On a shop server the till's own buyer joins the list.
    QCOMPARE(window.buyerCombo()->count(), test::serverEngine() ? 3 : 2);
    QCOMPARE(window.buyerCombo()->itemText(0), QStringLiteral("A1"));
    const auto* where = window.findChild<QLabel*>("lblWhere");
    QVERIFY(where);
    QVERIFY2(test::serverEngine() ? where->text().startsWith("Shop server: ") && where->text().contains("database ")
                                  : where->text() == "Database on this computer: " + folder.file("system32.dll"),
             qPrintable(where->text()));
    const int screenWidth = window.screen()->geometry().width();
    QCOMPARE(window.pos(), MainWindow::placementFor(screenWidth) + window.screen()->geometry().topLeft());

    // The splash stays until the main window is on screen, so the program never has no window.
    QVERIFY(splash.isVisible());
    window.show();
    QTRY_VERIFY(!splash.isVisible());
}

void TestMainWindow::loadFailure_data()
{
    QTest::addColumn<QByteArray>("setup"); // empty: no setup.dat
    QTest::newRow("no setup.dat") << QByteArray();
    QTest::newRow("short setup.dat") << QByteArray("\"1\"\r\n\"Shop\"\r\n");
    QTest::newRow("item 3 is 256") << QByteArray("\"1\"\r\n\"Shop\"\r\n\"256\"\r\n\"$\"\r\n");
}

void TestMainWindow::loadFailure()
{
    QFETCH(QByteArray, setup);
    TempAppFolder folder;
    if (setup.isEmpty())
        QVERIFY(QFile::remove(folder.file("setup.dat")));
    else
        writeFile(folder.file("setup.dat"), setup);
    writeFile(folder.file("qexclient/tables.dat"), "\"A1\"\r\n");
    addProduct(QStringLiteral("Tea"), QStringLiteral("Z"));
    addProduct(QStringLiteral("Rice"), QStringLiteral("B"));

    MainWindow window;
    BoxAnswerer answer;
    QVERIFY(!window.load());
    QVERIFY(answer.wait());
    QCOMPARE(answer.box().title, QStringLiteral("error"));
    QCOMPARE(answer.box().text, QStringLiteral("Error!System Init Error"));
    QCOMPARE(answer.box().icon, QMessageBox::Warning);
    QCOMPARE(answer.box().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    // The steps after the failing one are skipped.
    QCOMPARE(window.buyerCombo()->count(), 0);
    QVERIFY(!window.productModel()->isSortedByCategory());
    QCOMPARE(names(window), QStringList());
}

void TestMainWindow::placement()
{
    QCOMPARE(MainWindow::placementFor(1024), QPoint(0, 0));
    QCOMPARE(MainWindow::placementFor(1280), QPoint(128, 0));
    QCOMPARE(MainWindow::placementFor(800), QPoint(0, 0));
    QCOMPARE(MainWindow::placementFor(1920), QPoint(448, 0));
    // Placed before its native window exists: only then does a window manager put the frame there.
    TempAppFolder folder;
    MainWindow window;
    QVERIFY(window.testAttribute(Qt::WA_Moved) && !window.testAttribute(Qt::WA_WState_Created));
    const QRect screen = window.screen()->geometry();
    QCOMPARE(window.pos(), MainWindow::placementFor(screen.width()) + screen.topLeft());
}

void TestMainWindow::sizeSnapsBack()
{
    TempAppFolder folder;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.frameGeometry().size(), QSize(1024, 750));
    window.resize(800, 600);
    QTRY_COMPARE(window.frameGeometry().size(), QSize(1024, 750));
    window.resize(1100, 800);
    QTRY_COMPARE(window.frameGeometry().size(), QSize(1024, 750));
}

void TestMainWindow::refreshAfterFailedRowEnablesWindow()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Tea"), QStringLiteral("Drinks"));
    MainWindow window;
    QVERIFY(window.load());
    QCOMPARE(names(window), QStringList({"Tea"}));
    QVERIFY(!window.refreshTimer()->isActive());

    addProduct(QStringLiteral("Salt"), QStringLiteral("Spices"), QVariant(), QStringLiteral("3"));
    addProduct(QStringLiteral("Bread"), QStringLiteral("Bakery"));
    window.requestRefresh(true);
    QCOMPARE(window.productModel()->rowCount(), 0);
    QVERIFY(!window.isEnabled());
    QVERIFY(window.refreshTimer()->isActive());
    QCOMPARE(window.refreshTimer()->interval(), 200);
    QTRY_VERIFY(window.isEnabled());
    QVERIFY(!window.refreshTimer()->isActive());
    QCOMPARE(names(window), QStringList({"Bread", "Tea", "Salt"}));
    QVERIFY(window.productModel()->isSortedByCategory());
    QVERIFY(window.productModel()->isLowStock(2));

    // A database that cannot be read leaves the list empty but the window usable.
    TempAppFolder noDatabase(false);
    window.requestRefresh(true);
    QTRY_VERIFY(window.isEnabled());
    QCOMPARE(window.productModel()->rowCount(), 0);
    QVERIFY(!window.refreshTimer()->isActive());
}

void TestMainWindow::skinsCycleAndDialogTheme()
{
    TempAppFolder folder;
    MainWindow window;
    QVERIFY(window.load());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    XPContainer* food = frame(window, "XPContainer1");
    const QImage start = food->grab().toImage();
    auto* skins = window.findChild<QPushButton*>(QStringLiteral("cmdSkins"));
    for (int press = 1; press <= 3; ++press)
        skins->click();
    QCOMPARE(runValues().themeIndex, qint16(3));
    for (const char* name : {"XPContainer1", "XPContainer2", "XPContainer3", "XPContainer5"}) {
        QCOMPARE(frame(window, name)->theme(), 3);
        QCOMPARE(frame(window, name)->borderColor(), XPContainer::themeColors(3).border);
    }
    QVERIFY(food->grab().toImage() != start);

    window.findChild<QAction*>(QStringLiteral("menuAbout"))->trigger();
    auto* about = qobject_cast<QWidget*>(QApplication::activeWindow());
    QTRY_VERIFY((about = window.findChild<QWidget*>(QStringLiteral("frmAbout"))) && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("about"));
    QVERIFY(!about->isModal());
    QStringList aboutFrames;
    for (const XPContainer* container : about->findChildren<XPContainer*>()) {
        aboutFrames.append(container->caption());
        QCOMPARE(container->theme(), 3);
    }
    aboutFrames.sort();
    QCOMPARE(aboutFrames, QStringList({"About", "Infomation"}));
    QStringList texts;
    for (const QLabel* label : about->findChildren<QLabel*>())
        texts.append(label->text());
    QVERIFY(texts.contains("Marvono V1.0.1"));
    QVERIFY(texts.contains("  Sales:"));
    QVERIFY(texts.contains("Support:"));
    // An open dialog keeps its theme; invoking it again brings back the same box.
    skins->click();
    QCOMPARE(about->findChild<XPContainer*>(QStringLiteral("XPContainer1"))->theme(), 3);
    window.findChild<QAction*>(QStringLiteral("menuAbout"))->trigger();
    QCOMPARE(window.findChildren<QWidget*>(QStringLiteral("frmAbout")).size(), 1);
    auto* ok = about->findChild<QPushButton*>(QStringLiteral("cmdOK"));
    QCOMPARE(ok->text(), QStringLiteral("O K"));
    ok->click();
    QTRY_VERIFY(!window.findChild<QWidget*>(QStringLiteral("frmAbout")));

    for (int press = 5; press <= 12; ++press)
        skins->click();
    QCOMPARE(runValues().themeIndex, qint16(0));
    QCOMPARE(food->theme(), 0);
    QCOMPARE(food->grab().toImage(), start);
}

void TestMainWindow::eventsDispatchThroughCommandTable_data()
{
    QTest::addColumn<QString>("source"); // a button or menu item objectName, or a list event
    QTest::addColumn<int>("command");
    const struct {
        const char* source;
        Command command;
    } rows[] = {{"cmdAdd", Command::AddProduct},
                {"cmdDel", Command::DeleteProductButton},
                {"cmdEdit", Command::ModifyProduct},
                {"cmdSale", Command::SellProduct},
                {"cmdBill", Command::OpenBillEditor},
                {"cmdJS", Command::OpenStatistics},
                {"cmdXX", Command::OpenPreferences},
                {"cmdClear", Command::ClearHistoryButton},
                {"command3", Command::PrintHistory},
                {"command1", Command::SaveHistory},
                {"menuClearHistory", Command::ClearHistoryMenu},
                {"menuSaveHistory", Command::SaveHistory},
                {"menuAdd", Command::AddProduct},
                {"menuDel", Command::DeleteProductMenu},
                {"menuEdit", Command::ModifyProduct},
                {"menuSale", Command::SellProduct},
                {"menuBuyer", Command::OpenBuyers},
                {"menuBill", Command::OpenBillEditor},
                {"menuExportReceipts", Command::ExportReceipts},
                {"menuStat", Command::OpenStatistics},
                {"menuReceive", Command::ReceiveStock},
                {"menuStockMoves", Command::OpenStockMoves},
                {"menuPrintLabels", Command::PrintLabels},
                {"menuChangePrices", Command::ChangePrices},
                {"menuCloseDay", Command::CloseDay},
                {"menuImportProducts", Command::ImportProducts},
                {"menuExportProducts", Command::ExportProducts},
                {"menuCopy", Command::Backup},
                {"menuRescue", Command::Recovery},
                {"menuPreferences", Command::OpenPreferences},
                {"row click", Command::ProductClicked},
                {"row double click", Command::SellProduct},
                {"list focus out", Command::ProductListFocusLost}};
    for (const auto& row : rows)
        QTest::newRow(row.source) << QString::fromLatin1(row.source) << int(row.command);
}

void TestMainWindow::eventsDispatchThroughCommandTable()
{
    QFETCH(QString, source);
    QFETCH(int, command);
    TempAppFolder folder;
    addProduct(QStringLiteral("Tea"), QStringLiteral("Drinks"));
    MainWindow window;
    QVERIFY(window.load());
    QList<int> ran;
    for (int c = int(Command::AddProduct); c <= int(Command::ExportProducts); ++c)
        window.commands().set(Command(c), [&ran, c](ShopWindow&) { ran.append(c); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTreeView* list = window.productList();
    const QPoint row = list->visualRect(list->model()->index(0, 0)).center();

    if (auto* button = window.findChild<QPushButton*>(source)) {
        button->click();
    } else if (auto* action = window.findChild<QAction*>(source)) {
        action->trigger();
    } else if (source == "row click") {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    } else if (source == "row double click") {
        // An item view takes a double click only after the press that started it.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    } else {
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        ran.clear();
        window.historyPane()->setFocus();
    }
    QTRY_VERIFY(ran.contains(command));
    // Nothing but the events' own commands (a double click is also a click).
    for (int c : std::as_const(ran))
        QVERIFY(c == command || (source == "row double click" && c == int(Command::ProductClicked)));
}

void TestMainWindow::selectedProductIsLastSelectedRow()
{
    TempAppFolder folder;
    addProduct(QStringLiteral("Cola"), QStringLiteral("B"));
    addProduct(QStringLiteral("Bread"), QStringLiteral("A"));
    addProduct(QStringLiteral("Pear"), QStringLiteral("C"));
    MainWindow window;
    QVERIFY(window.load());
    QCOMPARE(window.selectedProductName(), QString());
    QCOMPARE(window.currentRowTexts(), QStringList());
    QTreeView* list = window.productList();
    QAbstractItemModel* model = list->model();
    list->selectionModel()->select(model->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->selectionModel()->select(model->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(window.selectedProductName(), QStringLiteral("Pear"));
    list->setCurrentIndex(model->index(1, 3));
    QCOMPARE(window.currentRowTexts(), QStringList({"Cola", "$1", "10Unit(s)", "$2", "9Unit(s)", "B", "0"}));
    window.requestRefresh(false);
    QCOMPARE(window.selectedProductName(), QString());
    QVERIFY(window.isEnabled());
    QTRY_COMPARE(model->rowCount(), 3);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
