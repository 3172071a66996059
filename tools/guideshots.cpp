// Photographs the windows the user guide shows, on a sample catalogue: the login window, the main
// window and the dialogs it opens. Run under a real X server (tools/guideshots.sh uses Xvfb).
//   usage: marvono-guideshots APPFOLDER OUTDIR
#include "app/appcontext.h"
#include "app/instance.h"
#include "app/ui/artwork.h"
#include "app/ui/loginwindow.h"
#include "app/ui/mainwindow.h"
#include "bills/bill.h"
#include "bills/buyerlist.h"
#include "bills/dayclose.h"
#include "bills/drawercash.h"
#include "bills/receipt.h"
#include "bills/shift.h"
#include "bills/shopidentity.h"
#include "bills/ui/cashdialogs.h"
#include "bills/ui/dayclosewindow.h"
#include "catalogue/labels.h"
#include "catalogue/products.h"
#include "catalogue/stockmoves.h"
#include "catalogue/ui/importdialogs.h"
#include "sales/sale.h"
#include "settings/ui/identitydialog.h"
#include "settings/ui/operatorsdialog.h"
#include "settings/ui/taxratesdialog.h"
#include "shotscene.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

using namespace marvono;

namespace {
// Each step opens a window; after it has painted, the newest visible window is photographed.
struct Step {
    QString picture;
    std::function<void()> open;
    bool closeAfter = true;
};

QWidget* newestWindow(const QSet<QWidget*>& before)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !before.contains(widget) && !widget->inherits("QMenu"))
            return widget;
    }
    return nullptr;
}

QSet<QWidget*> visibleWindows()
{
    QSet<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            windows.insert(widget);
    }
    return windows;
}

bool photograph(QWidget* window, const QString& path)
{
    window->raise();
    const QRect area = window->frameGeometry();
    return window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path, "PNG");
}

// A few days of this month's sales, so the bill and the monthly report have lines to show.
void bookSampleSales()
{
    const QDate today = QDate::currentDate();
    const struct {
        int day;
        const char* product;
        const char* quantity;
    } sales[] = {{1, "Green Tea", "2"}, {1, "Croissant", "6"}, {2, "Cola", "3"},
                 {3, "Apples", "5"},    {3, "Green Tea", "1"}, {4, "Cheddar", "2"}};
    struct SaleTime final : TimeSource {
        QDateTime at;
        QDateTime now() const override { return at; }
    } saleTime;
    Clock::setSource(&saleTime);
    for (const auto& sale : sales) {
        saleTime.at = QDateTime(QDate(today.year(), today.month(), std::min(sale.day, today.day())), QTime(10, 30));
        bookSale(QString::fromLatin1(sale.product), QString::fromLatin1(sale.quantity));
    }
    Clock::setSource(nullptr);
}

// Codes of each kind the labels window tells apart, and one product left without a code.
void codeSampleDrinks()
{
    const struct {
        const char* product;
        const char* code;
    } codes[] = {{"Green Tea", "400638133393"},
                 {"Cola", "96385074"},
                 {"Orange Juice", "5012345678901"},
                 {"Espresso Beans", "ESP-500"}};
    for (const auto& sample : codes) {
        StoredProduct product = findProduct(QString::fromLatin1(sample.product));
        product.values.code = QString::fromLatin1(sample.code);
        modifyProduct(
            product.values.name, product.values, product.pictureNumber, true, [](const QString&) { return true; },
            product.values.leastQty);
    }
}

QWidget* openWindow(const char* objectName)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() == QLatin1String(objectName))
            return widget;
    }
    return nullptr;
}

// The receipt as the printer lays it out, black on a strip of white paper, in a window of its own.
// Printed lines as they come out of the printer, in a window of their own.
void showPrintedLines(const QStringList& lines, const QString& title)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetrics metrics(font);
    const int margin = 16;
    QImage paper(metrics.horizontalAdvance(QString(42, QLatin1Char('0'))) + 2 * margin,
                 int(lines.size()) * metrics.lineSpacing() + 2 * margin, QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(margin, margin + int(i) * metrics.lineSpacing() + metrics.ascent(), lines.at(i));
    painter.end();
    auto* window = new QLabel;
    window->setObjectName(QStringLiteral("printedReceipt"));
    window->setWindowTitle(title);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setPixmap(QPixmap::fromImage(paper));
    window->show();
}

void showPrintedReceipt(qint64 number)
{
    const std::optional<Receipt> receipt = readReceipt(number);
    showPrintedLines(
        receipt ? receiptTextLines(*receipt, runValues().shopName, readShopIdentity(), runValues().currencySymbol, 42)
                : QStringList(),
        QStringLiteral("Receipt No. %1").arg(number));
}

// The drawer is counted 50 cents short of what it should hold.
Currency shortOfExpected(Currency expected)
{
    return Currency::fromRaw(expected.raw() - 5000);
}

void showCashCount(QWidget* main)
{
    const auto drawers = drawersToCount();
    const Currency expected = drawers && !drawers->isEmpty() ? drawers->first().expected() : Currency();
    auto* count = new CashDialog(main, QStringLiteral("frmCashCount"), QStringLiteral("txtCounted"),
                                 QStringLiteral("How much cash did you count in the drawer?"), QString());
    count->setAttribute(Qt::WA_DeleteOnClose);
    count->findChild<QLineEdit*>(QStringLiteral("txtCounted"))->setText(shortOfExpected(expected).toText());
    count->show();
}

template <typename Dialog> void showDialog(QWidget* parent)
{
    auto* dialog = new Dialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

// A supplier's price list as a spreadsheet saves it with semicolons and decimal commas, against the
// sample catalogue: rows to add, to update, to leave and to refuse.
constexpr char kPriceList[] = "Name;Category;EAN;Price\r\n"
                              "Green Tea;Drinks;;2,5\r\n"
                              "Cola;Drinks;;1,35\r\n"
                              "Ginger Ale;Drinks;5012345678900;1,4\r\n"
                              "Lemonade;Drinks;5012345678917;one fifty\r\n"
                              "Oat Milk;Dairy;5012345678924;1,95\r\n"
                              ";Snacks;;1\r\n"
                              "Apricot Jam;Pantry;5012345678931;3,2\r\n"
                              "Orange Marmalade;Pantry;5012345678931;3,4\r\n"
                              "Honey;Pantry;;4,75\r\n"
                              "Rice;Pantry;;1,8\r\n";

// The preview of importing the price list, opened over the main window.
// The supplier's price list beside the sample shop; nothing when it cannot be written or read.
std::optional<CatalogueFile> priceListFile(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("price-list.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(kPriceList) < 0)
        return std::nullopt;
    file.close();
    return readCatalogueFile(path, nullptr);
}

void showImportMapping(const QString& folder, QWidget* main)
{
    const std::optional<CatalogueFile> csv = priceListFile(folder);
    if (!csv)
        return;
    auto* mapping = new ImportMappingDialog(csv->header, guessMapping(csv->header), main);
    mapping->setAttribute(Qt::WA_DeleteOnClose);
    mapping->show();
}

void showImportPreview(const QString& folder, QWidget* main)
{
    const std::optional<CatalogueFile> csv = priceListFile(folder);
    const std::optional<ImportPlan> plan = csv ? previewImport(*csv, guessMapping(csv->header), nullptr) : std::nullopt;
    if (!plan)
        return;
    auto* preview = new ImportPreviewDialog(*csv, *plan, main);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->show();
}

void trigger(QWidget* window, const char* objectName)
{
    if (auto* action = window->findChild<QAction*>(QString::fromLatin1(objectName)))
        action->trigger();
    else if (auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(objectName)))
        button->click();
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Each window is closed after its picture; the run ends when the last picture is taken.
    app.setQuitOnLastWindowClosed(false);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: marvono-guideshots APPFOLDER OUTDIR\n");
        return 2;
    }
    setAppFolder(args.at(1));
    const QDir out(args.at(2));
    runValues().currentUser = QStringLiteral("vetch");
    runValues().currentPassword = QStringLiteral("vetch");
    // The shift starts with 50 in the drawer, before the day's first sale.
    if (QString error; !openShift(runValues().currentUser, Currency::fromRaw(500000), &error))
        std::fprintf(stderr, "marvono-guideshots: %s\n", qPrintable(error));
    bookSampleSales();
    installProgramIcon();
    registerUserGuide(installedGuidePath());

    MainWindow* main = nullptr;
    QPointer<QWidget> statistics;
    DayClose lastClose;
    const QList<Step> steps = {
        {QStringLiteral("login.png"),
         [] {
             auto* login = new LoginWindow;
             login->load();
             login->findChild<QLineEdit*>(QStringLiteral("txtUserName"))->setText(QStringLiteral("vetch"));
             login->findChild<QLineEdit*>(QStringLiteral("txtPWD"))->setText(QStringLiteral("vetch"));
             login->show();
         }},
        {QStringLiteral("main.png"),
         [&] {
             main = new MainWindow;
             main->show();
             main->load(nullptr);
             QTimer::singleShot(400, main, [&] { dressMainWindowForPicture(main); });
         },
         false},
        {QStringLiteral("add.png"), [&] { main->runCommand(Command::AddProduct); }},
        {QStringLiteral("modify.png"), [&] { main->runCommand(Command::ModifyProduct); }},
        {QStringLiteral("sell.png"), [&] { main->runCommand(Command::SellProduct); }},
        {QStringLiteral("bill.png"), [&] { main->runCommand(Command::OpenBillEditor); }},
        {QStringLiteral("receipts.png"),
         [&] {
             // The bill just shown, paid with a note of 50.
             settleBill(firstBuyer(), 0, nullptr, Payment{Currency::fromRaw(500000), QStringLiteral("vetch")});
             main->runCommand(Command::OpenReceipts);
         }},
        {QStringLiteral("taxreceipt.png"), [] { showPrintedReceipt(1); }},
        {QStringLiteral("receive.png"), [&] { main->runCommand(Command::ReceiveStock); }},
        {QStringLiteral("stockmoves.png"),
         [&] {
             receiveStock(QStringLiteral("Green Tea"), QStringLiteral("24"), QString());
             correctStock(QStringLiteral("Croissant"), StockDirection::Out, QStringLiteral("2"),
                          QStringLiteral("Breakage"));
             main->runCommand(Command::OpenStockMoves);
         }},
        {QStringLiteral("labels.png"),
         [&] {
             codeSampleDrinks();
             main->runCommand(Command::PrintLabels);
             if (QWidget* labels = openWindow("frmLabels")) {
                 trigger(labels, "optCategory");
                 labels->findChild<QComboBox*>(QStringLiteral("cboCategory"))->setCurrentText(QStringLiteral("Drinks"));
                 // The product without a code, for which the in-store code button is offered.
                 auto* list = labels->findChild<QTreeWidget*>(QStringLiteral("lstLabels"));
                 list->setCurrentItem(list->findItems(QStringLiteral("Mineral Water"), Qt::MatchExactly).value(0));
             }
         }},

        {QStringLiteral("importmapping.png"), [&] { showImportMapping(args.at(1), main); }},
        {QStringLiteral("import.png"), [&] { showImportPreview(args.at(1), main); }},
        {QStringLiteral("prices.png"),
         [&] {
             main->runCommand(Command::ChangePrices);
             if (QWidget* prices = openWindow("frmChangePrices")) {
                 trigger(prices, "optCategory");
                 prices->findChild<QComboBox*>(QStringLiteral("cboCategory"))->setCurrentText(QStringLiteral("Bakery"));
                 prices->findChild<QLineEdit*>(QStringLiteral("txtChange"))->setText(QStringLiteral("8"));
                 prices->findChild<QComboBox*>(QStringLiteral("cboStep"))->setCurrentIndex(3);
             }
         }},
        {QStringLiteral("cashcount.png"), [&] { showCashCount(main); }},
        {QStringLiteral("dayclose.png"),
         [&] {
             // The window the menu opens once the drawer is counted and the close confirmed.
             const auto drawers = drawersToCount();
             QMap<QString, Currency> counted;
             for (const DrawerCash& drawer : drawers.value_or(QList<DrawerCash>()))
                 counted.insert(drawer.operatorName, shortOfExpected(drawer.expected()));
             lastClose = closeDay(counted).close;
             auto* close = new DayCloseWindow(lastClose, main);
             close->setAttribute(Qt::WA_DeleteOnClose);
             close->show();
         }},
        {QStringLiteral("closecash.png"),
         [&] {
             // The cash block at the end of the printed close.
             const QStringList lines =
                 dayCloseTextLines(lastClose, runValues().shopName, readShopIdentity(), runValues().currencySymbol, 42);
             const qsizetype cash = lines.indexOf(QRegularExpression(QStringLiteral("Cash: .*")));
             showPrintedLines(lines.mid(std::max<qsizetype>(0, cash - 1)),
                              QStringLiteral("Close No. %1").arg(lastClose.number));
         }},
        {QStringLiteral("statistics.png"), [&] { main->runCommand(Command::OpenStatistics); }, false},
        {QStringLiteral("report.png"),
         [&] {
             statistics = newestWindow({main});
             if (statistics)
                 trigger(statistics, "cmdBB");
         }},
        {QStringLiteral("preferences.png"),
         [&] {
             if (statistics)
                 statistics->close();
             main->runCommand(Command::OpenPreferences);
         }},
        {QStringLiteral("taxrates.png"), [&] { showDialog<TaxRatesDialog>(main); }},
        {QStringLiteral("identity.png"), [&] { showDialog<IdentityDialog>(main); }},
        {QStringLiteral("operators.png"), [&] { showDialog<OperatorsDialog>(main); }},
        {QStringLiteral("about.png"), [&] { trigger(main, "menuAbout"); }},
        {QStringLiteral("help.png"), [&] { trigger(main, "menuHelpTopics"); }},
    };

    int status = 0;
    qsizetype next = 0;
    std::function<void()> run = [&] {
        if (next == steps.size()) {
            app.exit(status);
            return;
        }
        const Step& step = steps.at(next++);
        const QSet<QWidget*> before = visibleWindows();
        step.open();
        QTimer::singleShot(1500, &app, [&, before, step] {
            QWidget* window = newestWindow(before);
            if (!window || !photograph(window, out.filePath(step.picture))) {
                std::fprintf(stderr, "marvono-guideshots: no picture of %s\n", qPrintable(step.picture));
                status = 1;
            }
            if (window && step.closeAfter && window != main)
                window->close();
            QTimer::singleShot(200, &app, run);
        });
    };
    QTimer::singleShot(0, &app, run);
    app.exec();
    return status;
}
