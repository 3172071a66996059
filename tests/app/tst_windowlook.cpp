// How every window looks at the default font: no caption, label, button text, list header or
// cell cut off; window and toolbar icons; frames that fill the main window.
#include "app/ui/loginwindow.h"
#include "app/ui/mainwindow.h"
#include "app/ui/modulemain.h"
#include "app/ui/splashwindow.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/toolbarbutton.h"
#include "controls/ui/xpcontainer.h"
#include "reports/ui/monthlyreportwindow.h"
#include "support/catalogue_dialogs.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyleOption>
#include <QTreeView>
#include <QtTest>

using namespace marvono;

namespace {

// Notes `text` of `widget` when it needs more than its room.
void expectRoom(QStringList& clipped, const QWidget* widget, const QString& text, QSize need, QSize room)
{
    if (need.width() > room.width() || need.height() > room.height())
        clipped << QStringLiteral("%1/%2 \"%3\" needs %4x%5 in %6x%7")
                       .arg(widget->window()->objectName(), widget->objectName(), text)
                       .arg(need.width())
                       .arg(need.height())
                       .arg(room.width())
                       .arg(room.height());
}

void checkLabel(const QLabel* label, QStringList& clipped)
{
    if (label->text().isEmpty() || label->wordWrap() || Qt::mightBeRichText(label->text()))
        return;
    const int margin = label->margin();
    const QRect room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    expectRoom(clipped, label, label->text(), label->fontMetrics().size(0, label->text()), room.size());
}

void checkButton(const QAbstractButton* button, QStringList& clipped)
{
    const bool check = qobject_cast<const QCheckBox*>(button);
    if (button->text().isEmpty() || (!check && !qobject_cast<const QPushButton*>(button)))
        return;
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect room = button->style()->subElementRect(
        check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    QSize need = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (const auto* toolbar = qobject_cast<const ToolbarButton*>(button)) {
        // The caption may wrap under the icon: it must fit where it is drawn, inside the button.
        const QRect caption = toolbar->captionRect();
        need = button->fontMetrics()
                   .boundingRect(caption, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, button->text())
                   .size();
        expectRoom(clipped, button, button->text(), need, room.intersected(caption).size());
        return;
    }
    if (!button->icon().isNull())
        need.rwidth() += button->iconSize().width() + 4;
    expectRoom(clipped, button, button->text(), need, room.size());
}

// Header texts against their sections, and the cells on show against their columns.
void checkList(const QTreeView* view, QStringList& clipped)
{
    const QHeaderView* header = view->header();
    for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section))
            continue;
        QStyleOptionHeader option;
        option.initFrom(header);
        option.rect = QRect(0, 0, header->sectionSize(section), header->height());
        option.text = header->model()->headerData(section, Qt::Horizontal).toString();
        const QRect room = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
        const QRect need = header->fontMetrics().boundingRect(room, int(header->defaultAlignment()), option.text);
        expectRoom(clipped, view, option.text, need.size(), room.size());
        const int cells = static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(section);
        expectRoom(clipped, view, QStringLiteral("cells of ") + option.text, {cells, 0},
                   {header->sectionSize(section), 0});
    }
}

// Every shown text of one window that does not fit its control.
QStringList clippedTexts(QWidget* window)
{
    QStringList clipped;
    const auto widgets = window->findChildren<QWidget*>();
    for (const QWidget* widget : widgets) {
        // A dialog owned by this window is a window of its own, checked on its own.
        if (widget->window() != window || !widget->isVisibleTo(window))
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            checkLabel(label, clipped);
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            checkButton(button, clipped);
        else if (const auto* tree = qobject_cast<const QTreeView*>(widget); tree && !tree->isHeaderHidden())
            checkList(tree, clipped);
    }
    return clipped;
}

// A shop with a few products, a bill and a buyer, and every window of the program open on it.
struct AllWindows {
    test::TempAppFolder folder;
    LoginWindow login;
    SplashWindow splash;
    MainWindow main;

    AllWindows()
    {
        test::writeBuyers({QStringLiteral("Counter")});
        test::addProduct(QStringLiteral("Espresso Beans Premium"), QStringLiteral("6.5"), QStringLiteral("11.9"),
                         QStringLiteral("400"));
        test::addBillRow(QStringLiteral("2026-12-07 14:05:09"), QStringLiteral("Counter"),
                         QStringLiteral("Espresso Beans Premium"), QStringLiteral("2"), QStringLiteral("11.9"),
                         QStringLiteral("23.8"));
        login.load();
        login.show();
        splash.show();
        main.load();
        main.show();
        test::selectProduct(main, QStringLiteral("Espresso Beans Premium"));
        for (Command command :
             {Command::AddProduct, Command::ModifyProduct, Command::SellProduct, Command::OpenBillEditor,
              Command::OpenBuyers, Command::OpenStatistics, Command::OpenPreferences})
            main.runCommand(command);
        main.findChild<QAction*>(QStringLiteral("menuAbout"))->trigger();
        showSingleDialog<MonthlyReportWindow>(&main);
    }
};

} // namespace

class TestWindowLook : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void everyTextFitsItsControl();
    void iconsOnWindowsAndToolbar();
    void framesFillTheMainWindow();
};

void TestWindowLook::everyTextFitsItsControl()
{
    AllWindows shop;
    const auto windows = QApplication::topLevelWidgets();
    QStringList opened, clipped;
    for (QWidget* window : windows) {
        if (!window->isVisible() || qobject_cast<QMenu*>(window))
            continue;
        QVERIFY(QTest::qWaitForWindowExposed(window));
        opened << window->objectName();
    }
    // Column widths follow the model one event-loop turn later.
    QCoreApplication::processEvents();
    for (QWidget* window : windows)
        if (window->isVisible() && !qobject_cast<QMenu*>(window))
            clipped << clippedTexts(window);
    opened.sort();
    QCOMPARE(opened, QStringList({"frmAbout", "frmBB", "frmBill", "frmJSTJ", "frmLogin", "frmMain", "frmSCSP",
                                  "frmSetup", "frmSplash", "frmTJSP", "frmTable", "frmXGSP"}));
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
}

void TestWindowLook::iconsOnWindowsAndToolbar()
{
    test::TempAppFolder folder;
    QPointer<LoginWindow> login = startProgram(QStringLiteral("marvono-test-windowlook"));
    QVERIFY(login);
    AllWindows shop;
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* window : windows)
        if (window->isVisible())
            QVERIFY2(!window->windowIcon().pixmap(32).isNull(), qPrintable(window->objectName()));
    for (const char* name :
         {"cmdAdd", "cmdDel", "cmdEdit", "cmdSale", "cmdBill", "cmdJS", "cmdSkins", "cmdXX", "cmdUpdate", "cmdExit"}) {
        const auto* button = shop.main.findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(button && !button->icon().pixmap(24).isNull(), name);
    }
    QVERIFY(!shop.main.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
    delete login;
}

void TestWindowLook::framesFillTheMainWindow()
{
    test::TempAppFolder folder;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.frameGeometry().size(), MainWindow::kOuterSize);
    const QRect client = window.centralWidget()->rect();
    auto frame = [&window](const char* name) {
        return window.findChild<XPContainer*>(QString::fromLatin1(name))->geometry();
    };
    QTRY_COMPARE(frame("XPContainer2").right(), client.right());
    // The right-hand frames end one pixel short of the edge, as designed (15225 of 15240 twips).
    QCOMPARE(frame("XPContainer3").right(), client.right() - 1);
    QCOMPARE(frame("XPContainer5").right(), client.right() - 1);
    QCOMPARE(frame("XPContainer1").bottom(), client.bottom());
    QCOMPARE(frame("XPContainer5").bottom(), client.bottom());
    // What the frames hold keeps its designed distance to their lower and right edges.
    QCOMPARE(frame("XPContainer1").height() - window.productList()->geometry().bottom(), 615 - 603);
    const QRect save = window.findChild<QPushButton*>(QStringLiteral("command1"))->geometry();
    QCOMPARE(frame("XPContainer5").height() - save.bottom(), 457 - 444);
    QCOMPARE(frame("XPContainer5").width() - save.right(), 393 - 382);
}

QTEST_MAIN(TestWindowLook)
#include "tst_windowlook.moc"
