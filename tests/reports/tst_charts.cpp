// The chart figures and windows: a report month by day and product, sales and profit by
// category, the amount scale, and the charts drawn from them.
#include "app/appcontext.h"
#include "data/recordset.h"
#include "reports/monthlyreport.h"
#include "reports/salescharts.h"
#include "reports/statistics.h"
#include "reports/ui/monthlyreportwindow.h"
#include "reports/ui/statisticswindow.h"
#include "support/history_dialogs.h"
#include "support/testsupport.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHorizontalBarSeries>
#include <QImageReader>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QtTest>

using namespace marvono;

namespace {

ReportLine line(const char* date, const char* product, const char* quantity, const char* price, double margin)
{
    const QStringList parts = QString::fromLatin1(date).split(QLatin1Char('-'));
    return {parts[0],
            parts[1],
            parts[2],
            QString::fromLatin1(product),
            QString::fromLatin1(quantity),
            QString::fromLatin1(price),
            margin,
            QStringLiteral("$")};
}

void addSale(const QVariantList& row)
{
    QString message;
    ExecSQL("insert into PanDian values (?,?,?,?,?,?,?)", message, row);
    QVERIFY2(message.contains("successful"), qPrintable(message));
}

void addProduct(const QString& name, const QString& category, const QString& in, const QString& all, const QString& out,
                const QString& left)
{
    ExecSQL("insert into product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cType, cPic, cAlert) "
            "values (?, ?, ?, ?, ?, ?, 0, '1')",
            {name, in, all, out, left, category});
}

QList<qreal> values(const QBarSet* set)
{
    QList<qreal> list;
    for (int i = 0; set && i < set->count(); ++i)
        list.append(set->at(i));
    return list;
}

QChart* chartOf(QWidget* window, const char* name)
{
    auto* view = window->findChild<QChartView*>(name);
    return view ? view->chart() : nullptr;
}

QWidget* openedChart(QWidget* from, const char* name)
{
    from->findChild<QPushButton*>("cmdChart")->click();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String(name) && window->isVisible())
            return window;
    return nullptr;
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();

    void monthByDayAndProduct();
    void categoriesAddUpToTheStatistics();
    void scaleMarks_data();
    void scaleMarks();
    void monthChartHoldsTheReport();
    void emptyMonthShowsMessage();
    void lastAmountOfTheTopTenIsWhole();
    void categoryChart();

  private:
    std::unique_ptr<test::TempAppFolder> m_folder;
};

void TestCharts::init()
{
    m_folder = std::make_unique<test::TempAppFolder>();
    QVERIFY(m_folder->isValid());
    runValues().currencySymbol = QStringLiteral("$");
    test::setClock([] { return QDateTime(QDate(2024, 2, 20), QTime(10, 0)); });
}

void TestCharts::cleanup()
{
    test::setClock({});
    m_folder.reset();
}

void TestCharts::monthByDayAndProduct()
{
    std::vector<ReportLine> lines = {line("2024-2-5", "Cola", "4", "2.5", 2.8), line("2024-2-5", "Tea", "1", "3", 1),
                                     line("2024-2-29", "Cola", "2", "2.5", 1.4)};
    for (int i = 0; i < 11; ++i) // eleven more products, each selling less than Tea
        lines.push_back(line("2024-2-7", qPrintable(QStringLiteral("P%1").arg(i)), "1", "0.5", 0.1));
    MonthFigures figures = monthFigures(lines);
    QCOMPARE(figures.period, QStringLiteral("2024-2"));
    QCOMPARE(figures.days.size(), size_t(29)); // a leap February, quiet days included
    QCOMPARE(figures.days[4].label, QStringLiteral("5"));
    QCOMPARE(figures.days[4].takings, 13.0);
    QCOMPARE(figures.days[4].profit, 3.8);
    QCOMPARE(figures.days[5].takings, 0.0);
    QCOMPARE(figures.days[6].takings, 5.5);
    QCOMPARE(figures.days[28].takings, 5.0);
    QCOMPARE(figures.top.size(), size_t(10));
    QCOMPARE(figures.top[0].product, QStringLiteral("Cola"));
    QCOMPARE(figures.top[0].takings, 15.0);
    QCOMPARE(figures.top[1].product, QStringLiteral("Tea"));
    QCOMPARE(figures.top[9].product, QStringLiteral("P6")); // equal takings by name; P7 to P9 left out

    // The opening list holds one month of several years: one entry per date sold.
    figures = monthFigures({line("2009-7-5", "Cola", "4", "2.5", 2.8), line("2008-7-9", "Tea", "1", "3", 1)});
    QCOMPARE(figures.period, QString());
    QCOMPARE(figures.days.size(), size_t(2));
    QCOMPARE(figures.days[0].label, QStringLiteral("2008-7-9"));
    QCOMPARE(figures.days[1].takings, 10.0);
    QVERIFY(monthFigures({}).days.empty());
}

void TestCharts::categoriesAddUpToTheStatistics()
{
    addProduct("Cola", "Drinks", "1.8", "100", "2.5", "40");
    addProduct("Bread", "bakery", "0.8", "30", "1.1", "35"); // more left than bought: a loss
    addProduct("Tea", "Drinks", "1", "10", "3.333", "7");
    addProduct("Cake", "Bakery", "2", "5", "4", "5");
    const CategoryFiguresResult figures = catalogueCategoryFigures();
    QVERIFY(!figures.failed);
    QCOMPARE(figures.categories.size(), size_t(3));
    QCOMPARE(figures.categories[0].category, QStringLiteral("Bakery"));
    QCOMPARE(figures.categories[1].category, QStringLiteral("bakery"));
    QCOMPARE(figures.categories[1].sales.toText(), QStringLiteral("-5.5"));
    QCOMPARE(figures.categories[2].sales.toText(), QStringLiteral("159.999"));
    QCOMPARE(figures.categories[2].profit.toText(), QStringLiteral("48.999"));

    const Statistics statistics = catalogueStatistics(QStringLiteral("$"));
    qint64 sales = 0, profit = 0;
    for (const CategoryFigures& category : figures.categories) {
        sales += category.sales.raw();
        profit += category.profit.raw();
    }
    QCOMPARE(sales, statistics.salesTotal.raw());
    QCOMPARE(profit, statistics.profitTotal.raw());
}

void TestCharts::scaleMarks_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<QStringList>("marks");
    QTest::newRow("takings") << 0.0 << 13.0 << QStringList({"$0", "$5", "$10", "$15"});
    QTest::newRow("small") << 0.0 << 0.3 << QStringList({"$0", "$0.1", "$0.2", "$0.3"});
    QTest::newRow("loss") << -3.0 << 8.0 << QStringList({"$-5", "$0", "$5", "$10"});
    QTest::newRow("nothing") << 0.0 << 0.0 << QStringList({"$0", "$0.2", "$0.4", "$0.6", "$0.8", "$1"});
}

void TestCharts::scaleMarks()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(QStringList, marks);
    QStringList texts;
    for (double mark : marvono::scaleMarks(low, high))
        texts.append(amountText(QStringLiteral("$"), mark));
    QCOMPARE(texts, marks);
}

void TestCharts::monthChartHoldsTheReport()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 2, 2024});
    addSale({"Tea", "3", "2", "1", 5, 2, 2024});
    addSale({"Cola", "2.5", "1.8", "2", 29, 2, 2024});
    addSale({"Cola", "9", "1", "9", 6, 2, 2023}); // another year: not on the chart after a search
    MonthlyReportWindow report;
    report.findChild<QComboBox*>("cmbMonth1")->setEditText("2");
    report.findChild<QComboBox*>("cmbYear1")->setEditText("2024");
    report.findChild<QPushButton*>("cmdSearch")->click();
    QWidget* window = openedChart(&report, "frmMonthChart");
    QVERIFY(window);
    QVERIFY(!window->findChild<QLabel*>("lblMessage")->isVisible());

    QChart* daily = chartOf(window, "chtDaily");
    QVERIFY(daily);
    QCOMPARE(daily->title(), QStringLiteral("Daily takings and profit, 2024-2"));
    auto* bars = qobject_cast<QBarSeries*>(daily->series().value(0));
    QVERIFY(bars);
    const QList<qreal> takings = values(bars->barSets().value(0));
    QCOMPARE(takings.size(), 29);
    QCOMPARE(takings[4], 13.0);
    QCOMPARE(takings[28], 5.0);
    QCOMPARE(takings[5], 0.0);
    auto* profit = qobject_cast<QLineSeries*>(daily->series().value(1));
    QVERIFY(profit);
    QCOMPARE(profit->count(), 29);
    QCOMPARE(profit->at(4).y(), 3.8);
    QCOMPARE(profit->at(28).y(), 1.4);
    auto* amounts = qobject_cast<QCategoryAxis*>(daily->axes(Qt::Vertical).value(0));
    QVERIFY(amounts);
    QCOMPARE(amounts->categoriesLabels().constLast(), QStringLiteral("$15"));

    QChart* top = chartOf(window, "chtTop");
    auto* ranking = qobject_cast<QHorizontalBarSeries*>(top->series().value(0));
    QVERIFY(ranking);
    QCOMPARE(values(ranking->barSets().value(0)), QList<qreal>({3.0, 15.0})); // best seller drawn last, on top

    // Saved as a PNG picture of the charts.
    const QString path = m_folder->file("month.png");
    test::FileDialogAnswerer files(path);
    window->findChild<QPushButton*>("cmdSave")->click();
    QVERIFY(files.wait());
    QCOMPARE(QImageReader(path).format(), QByteArray("png"));
    QVERIFY(QImageReader(path).size().width() > 800);
}

void TestCharts::lastAmountOfTheTopTenIsWhole()
{
    addSale({"Cola", "25000", "1", "4", 5, 2, 2024});
    MonthlyReportWindow report;
    report.findChild<QComboBox*>("cmbMonth1")->setEditText("2");
    report.findChild<QComboBox*>("cmbYear1")->setEditText("2024");
    report.findChild<QPushButton*>("cmdSearch")->click();
    QWidget* window = openedChart(&report, "frmMonthChart");
    QVERIFY(window);
    QChart* top = chartOf(window, "chtTop");
    auto* amounts = qobject_cast<QCategoryAxis*>(top->axes(Qt::Horizontal).value(0));
    QVERIFY(amounts);
    // The axis writes its last mark centred on the right edge of the plot.
    const qreal halfLabel =
        QFontMetricsF(amounts->labelsFont()).horizontalAdvance(amounts->categoriesLabels().last()) / 2;
    QTRY_VERIFY(top->plotArea().width() > 0);
    QVERIFY2(top->plotArea().right() + halfLabel <= top->size().width(),
             qPrintable(
                 QStringLiteral("%1 + %2 > %3").arg(top->plotArea().right()).arg(halfLabel).arg(top->size().width())));
}

void TestCharts::emptyMonthShowsMessage()
{
    MonthlyReportWindow report; // February has no sales
    test::BoxAnswerer noBox;
    QWidget* window = openedChart(&report, "frmMonthChart");
    QVERIFY(window);
    QVERIFY(!noBox.box().seen);
    QCOMPARE(window->findChild<QLabel*>("lblMessage")->text(), QStringLiteral("No sales in this month."));
    QVERIFY(window->findChild<QLabel*>("lblMessage")->isVisible());
    QVERIFY(chartOf(window, "chtDaily")->series().isEmpty());
    QVERIFY(chartOf(window, "chtTop")->series().isEmpty());
}

void TestCharts::categoryChart()
{
    addProduct("Cola", "Drinks", "1.8", "100", "2.5", "40");
    addProduct("Bread", "Bakery", "0.8", "30", "1.1", "20");
    StatisticsWindow statistics;
    QWidget* window = openedChart(&statistics, "frmCategoryChart");
    QVERIFY(window);
    auto* bars = qobject_cast<QBarSeries*>(chartOf(window, "chtCategory")->series().value(0));
    QVERIFY(bars);
    QCOMPARE(values(bars->barSets().value(0)), QList<qreal>({11.0, 150.0}));
    QCOMPARE(values(bars->barSets().value(1)), QList<qreal>({3.0, 42.0}));
    delete window;

    ExecSQL("delete from product_info");
    window = openedChart(&statistics, "frmCategoryChart");
    QVERIFY(window->findChild<QLabel*>("lblMessage")->isVisible());
}

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
