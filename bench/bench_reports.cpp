// Statistics over a large catalogue, the report of a busy month and its export, each beside a
// plain scan of the same rows through SQLCipher.
#include "app/appcontext.h"
#include "benchmain.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "reports/linesmodel.h"
#include "reports/monthlyreport.h"
#include "reports/reportexport.h"
#include "reports/statistics.h"
#include "reports/ui/monthlyreportwindow.h"
#include "reports/workbookfile.h"
#include "support/testclock.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

namespace {

constexpr int kProducts = 100000;
constexpr int kMonthRows = 50000;

struct Shop {
    QTemporaryDir dir;
    QString reportTemplate;

    Shop()
    {
        Database::instance().close();
        setAppFolder(dir.path());
        createDeliveredDatabase(dir.filePath(QStringLiteral("system32.dll")), nullptr);
        runValues().currencySymbol = QStringLiteral("$");
        test::setClock([] { return QDateTime(QDate(2009, 7, 20), QTime(12, 0)); });
        {
            Transaction transaction;
            for (int i = 0; i < kProducts; ++i)
                ExecSQL(QStringLiteral("insert into product_info values (?,?,?,?,?,?,?,?,?,?)"),
                        {QStringLiteral("Product %1").arg(i), QString::number(1 + i % 50) + QStringLiteral(".25"),
                         QString::number(100 + i % 7), QString::number(3 + i % 60) + QStringLiteral(".5"),
                         QString::number(i % 90), QVariant(), QStringLiteral("Drinks"), 0, QVariant(),
                         QStringLiteral("5")});
            // The month in question in two years, and as many rows of other months.
            for (int i = 0; i < 2 * kMonthRows; ++i)
                ExecSQL(QStringLiteral("insert into PanDian values (?,?,?,?,?,?,?)"),
                        {QStringLiteral("Product %1").arg(i % 5000), QString::number(2 + i % 9) + QStringLiteral(".1"),
                         QStringLiteral("1.8"), QString::number(1 + i % 12), 1 + i % 28, i % 2 ? 7 : 1 + i % 6,
                         i % 4 == 1 ? 2008 : 2009});
            transaction.commit();
        }
        reportTemplate = dir.filePath(QStringLiteral("report.rpt"));
        QFile file(reportTemplate);
        file.open(QIODevice::WriteOnly);
        file.write(newWorkbookFile(kReportSheet, {reportTitles()}).value_or(QByteArray()));
    }
};

Shop& shop()
{
    static Shop instance;
    return instance;
}

// Steps through a statement and touches every column's text, as any reader of the rows must.
qint64 rawScan(const char* sql, int month = 0)
{
    sqlite3* db = Database::instance().connection(nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (month)
        sqlite3_bind_int(statement, 1, month);
    qint64 bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c) {
            benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
            bytes += sqlite3_column_bytes(statement, c);
        }
    }
    sqlite3_finalize(statement);
    return bytes;
}

void BM_RawScanProducts(benchmark::State& state)
{
    shop();
    for (auto _ : state)
        benchmark::DoNotOptimize(rawScan("select * from product_info"));
    state.SetItemsProcessed(state.iterations() * kProducts);
}

void BM_Statistics(benchmark::State& state)
{
    shop();
    for (auto _ : state) {
        Statistics statistics = catalogueStatistics(QStringLiteral("$"));
        if (statistics.failed || statistics.products.size() != size_t(kProducts))
            state.SkipWithError("statistics failed");
        benchmark::DoNotOptimize(statistics.salesTotal);
    }
    state.SetItemsProcessed(state.iterations() * kProducts);
}

void BM_RawScanMonth(benchmark::State& state)
{
    shop();
    for (auto _ : state)
        benchmark::DoNotOptimize(rawScan("select * from pandian where cmonth=?", 7));
    state.SetItemsProcessed(state.iterations() * kMonthRows);
}

// The report window as it opens: the month of every year queried, listed and painted.
void BM_ReportWindow(benchmark::State& state)
{
    shop();
    int lines = 0;
    const auto open = [&lines] {
        auto window = std::make_unique<MonthlyReportWindow>();
        window->show();
        auto* list = window->findChild<QTreeView*>(QStringLiteral("LV"));
        list->viewport()->repaint();
        QCoreApplication::processEvents();
        lines = list->model()->rowCount();
        return window;
    };
    const auto close = [](std::unique_ptr<MonthlyReportWindow>& window) {
        window->close();
        QCoreApplication::processEvents();
        window.reset();
    };
    // The process's first window loads the font database once; it opens untimed so that five
    // openings measure the report, not that.
    auto first = open();
    close(first);
    for (auto _ : state) {
        auto window = open();
        state.PauseTiming(); // closing and deleting the window is not part of the report
        close(window);
        state.ResumeTiming();
    }
    if (lines != kMonthRows)
        state.SkipWithError("the list does not hold the month");
    state.SetItemsProcessed(state.iterations() * kMonthRows);
}

void BM_ReportLines(benchmark::State& state)
{
    shop();
    for (auto _ : state) {
        ReportLines lines = monthOfEveryYear(7, QStringLiteral("$"));
        if (lines.failed || lines.lines.size() != size_t(kMonthRows))
            state.SkipWithError("report failed");
        benchmark::DoNotOptimize(lines.lines.data());
    }
    state.SetItemsProcessed(state.iterations() * kMonthRows);
}

void BM_Export(benchmark::State& state)
{
    shop();
    LinesModel<ReportLine> list(reportTitles(), &reportCell);
    list.append(monthOfEveryYear(7, QStringLiteral("$")).lines);
    const QString destination = shop().dir.filePath(QStringLiteral("July.xls"));
    for (auto _ : state) {
        // The texts of the list as shown, then the workbook.
        const ExportResult result = exportReport(shop().reportTemplate, destination, list.texts());
        if (!result.ok)
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * qint64(list.rows().size()));
    state.counters["bytes"] = double(QFile(destination).size());
}

} // namespace

BENCHMARK(BM_RawScanProducts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawScanMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return marvono::bench::runWidgetBenchmarks(argc, argv);
}
