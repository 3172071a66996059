// Filling, colouring and sorting the product list, beside a plain scan of the same table.
//   bench_productlist [--benchmark_filter=...]
#include "app/appcontext.h"
#include "benchmain.h"
#include "catalogue/ui/productlistmodel.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

namespace {

// One catalogue of n products per size, made once per run: 40 categories, every seventh product
// low on stock.
void useCatalogue(int n)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    static int current = -1;
    if (current == n)
        return;
    Database::instance().close();
    auto& folder = folders[n];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        setAppFolder(folder->path());
        QString error;
        if (!createDeliveredDatabase(folder->filePath(QStringLiteral("system32.dll")), &error))
            qFatal("%s", qPrintable(error));
        Transaction transaction;
        for (int i = 0; i < n; ++i) {
            ExecSQL(QStringLiteral("insert into product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cSpare, "
                                   "cType, cPic, cComment, cAlert) values (?, ?, ?, ?, ?, '', ?, ?, ?, ?)"),
                    {QStringLiteral("Product %1").arg(i), QString::number(1 + i % 97) + QStringLiteral(".25"),
                     QString::number(50 + i % 13), QString::number(2 + i % 89) + QStringLiteral(".5"),
                     QString::number(i % 7 == 0 ? 2 : 20 + i % 31), QStringLiteral("Category %1").arg((i * 7919) % 40),
                     i, QStringLiteral("A short introduction of product %1.").arg(i), QStringLiteral("5")});
        }
        transaction.commit();
    }
    setAppFolder(folder->path());
    current = n;
}

void BM_ProductList_Raw(benchmark::State& state)
{
    useCatalogue(int(state.range(0)));
    for (auto _ : state) {
        sqlite3_stmt* statement = Database::instance().prepare(QStringLiteral("select * from product_info"), nullptr);
        qint64 bytes = 0;
        int rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
                bytes += sqlite3_column_bytes(statement, c);
            }
            ++rows;
        }
        sqlite3_reset(statement);
        benchmark::DoNotOptimize(bytes);
        if (rows != state.range(0))
            state.SkipWithError("short scan");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void fillColourSort(benchmark::State& state, bool withView)
{
    useCatalogue(int(state.range(0)));
    runValues().currencySymbol = QStringLiteral("$");
    ProductListModel model;
    std::unique_ptr<QTreeView> view;
    if (withView) {
        view = std::make_unique<QTreeView>();
        view->setUniformRowHeights(true);
        view->setModel(&model);
        view->resize(600, 570);
    }
    for (auto _ : state) {
        model.clear();
        const auto result = model.fill();
        model.sortByCategory();
        if (!result.complete || model.rowCount() != state.range(0))
            state.SkipWithError("short fill");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ProductList(benchmark::State& state)
{
    fillColourSort(state, false);
}

void BM_ProductListWithView(benchmark::State& state)
{
    fillColourSort(state, true);
}

} // namespace

BENCHMARK(BM_ProductList_Raw)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductListWithView)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return marvono::bench::runWidgetBenchmarks(argc, argv);
}
