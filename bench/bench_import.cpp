// A catalogue import of 10,000 products from a CSV file (read, planned and stored in one
// transaction) beside raw SQLCipher inserts of the same products and their tax rates, in
// one transaction on one open connection to the same file. Both start from an empty catalogue.
#include "app/appcontext.h"
#include "catalogue/catalogueimport.h"
#include "catalogue/taxrates.h"
#include "data/database.h"
#include "data/schema.h"
#include "importrows.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <sqlcipher/sqlite3.h>

using namespace marvono;
using namespace marvono::bench;

namespace {

sqlite3* g_raw = nullptr;
QString g_csv;

bool rawExec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(g_raw, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "%s: %s\n", sql, message);
    sqlite3_free(message);
    return false;
}

// Untimed between runs: the catalogue empty again.
bool emptyCatalogue()
{
    return rawExec("delete from product_info; delete from marvono_product_tax; delete from change");
}

double seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Timed: the file read and the import applied, which plans every row again once the catalogue is
// locked. The preview the operator looks at before pressing Import is timed apart (preview_ms).
void BM_CatalogueImport(benchmark::State& state)
{
    double previewSeconds = 0;
    for (auto _ : state) {
        if (!emptyCatalogue()) {
            state.SkipWithError("cannot empty the catalogue");
            return;
        }
        QString error;
        const auto start = std::chrono::steady_clock::now();
        const std::optional<CatalogueFile> file = readCatalogueFile(g_csv, &error);
        const ImportMapping mapping = file ? guessMapping(file->header) : ImportMapping{};
        const double read = seconds(start);
        const auto previewStart = std::chrono::steady_clock::now();
        const std::optional<ImportPlan> preview = file ? previewImport(*file, mapping, &error) : std::nullopt;
        previewSeconds += seconds(previewStart);
        const auto applyStart = std::chrono::steady_clock::now();
        const ImportResult result = preview ? applyImport(*file, mapping) : ImportResult{};
        state.SetIterationTime(read + seconds(applyStart));
        if (!result.ok || result.plan.count(RowAction::New) != kImportRows) {
            std::fprintf(stderr, "import: %s %s\n", qPrintable(error), qPrintable(result.error));
            state.SkipWithError("the import failed");
            return;
        }
    }
    state.counters["preview_ms"] = previewSeconds * 1000 / double(state.iterations());
}

void BM_CatalogueImport_Raw(benchmark::State& state)
{
    sqlite3_stmt* product = nullptr;
    sqlite3_stmt* tax = nullptr;
    sqlite3_prepare_v2(g_raw, "insert into product_info values (?,?,?,?,?,?,?,?,?,?)", -1, &product, nullptr);
    sqlite3_prepare_v2(g_raw, "insert into marvono_product_tax (cProductKey, cRate) values (?, 1)", -1, &tax, nullptr);
    // The cells in product_info's order: name, purchase price, purchase quantity, retail price,
    // remaining quantity, code, category, picture, introduction, alert.
    const int order[] = {0, 3, 5, 4, 6, 2, 1, -1, 9, 7};
    for (auto _ : state) {
        if (!emptyCatalogue()) {
            state.SkipWithError("cannot empty the catalogue");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        bool ok = rawExec("begin immediate");
        for (int i = 0; i < kImportRows && ok; ++i) {
            const QByteArrayList cells = importCells(i);
            for (int c = 0; c < 10; ++c) {
                if (order[c] < 0)
                    sqlite3_bind_int(product, c + 1, 0);
                else
                    sqlite3_bind_text(product, c + 1, cells[order[c]].constData(), int(cells[order[c]].size()),
                                      SQLITE_TRANSIENT);
            }
            ok = sqlite3_step(product) == SQLITE_DONE;
            sqlite3_reset(product);
            if (ok && !cells[8].isEmpty()) {
                sqlite3_bind_int64(tax, 1, sqlite3_last_insert_rowid(g_raw));
                ok = sqlite3_step(tax) == SQLITE_DONE;
                sqlite3_reset(tax);
            }
        }
        ok = ok && rawExec("commit");
        state.SetIterationTime(seconds(start));
        if (!ok) {
            rawExec("rollback");
            state.SkipWithError("the raw inserts failed");
            return;
        }
    }
    sqlite3_finalize(product);
    sqlite3_finalize(tax);
}

BENCHMARK(BM_CatalogueImport)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_CatalogueImport_Raw)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir folder;
    setAppFolder(folder.path());
    QString error;
    g_csv = folder.filePath(QStringLiteral("products.csv"));
    QFile csv(g_csv);
    if (!createDeliveredDatabase(appPath(QStringLiteral("system32.dll")), &error) ||
        !saveTaxRates({{0, {}, QStringLiteral("Standard"), QStringLiteral("20"), true},
                       {0, {}, QStringLiteral("Reduced"), QStringLiteral("7"), false}},
                      &error) ||
        !csv.open(QIODevice::WriteOnly) || csv.write(importCsv()) < 0) {
        std::fprintf(stderr, "cannot make the shop: %s\n", qPrintable(error));
        return 1;
    }
    csv.close();
    g_raw = openEncrypted(appPath(QStringLiteral("system32.dll")), false, &error);
    if (!g_raw) {
        std::fprintf(stderr, "cannot open the shop: %s\n", qPrintable(error));
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sqlite3_close(g_raw);
    Database::instance().close();
    return 0;
}
