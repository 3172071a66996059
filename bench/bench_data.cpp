// ExecSQL and the record set beside the same work done with raw SQLCipher calls, on a catalogue
// of 100,000 products in a temporary application folder.
#include "app/appcontext.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "settings/login.h"
#include "settings/operators.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

namespace {

constexpr int kProducts = 100000;

QString productName(int i)
{
    return QStringLiteral("Product %1").arg(i, 6, 10, QLatin1Char('0'));
}

bool fillCatalogue()
{
    Transaction transaction;
    if (!transaction.isActive())
        return false;
    const QString insert = QStringLiteral("insert into product_info values (?,?,?,?,?,?,?,?,?,?)");
    for (int i = 0; i < kProducts; ++i) {
        QString message;
        ExecSQL(insert, message,
                {productName(i), QString::number(1 + i % 97) + QStringLiteral(".25"), QString::number(10 + i % 50),
                 QString::number(2 + i % 89) + QStringLiteral(".5"), QString::number(i % 40), QVariant(),
                 QStringLiteral("Category %1").arg(i % 23), i, QStringLiteral("An introduction of a few words."),
                 QStringLiteral("5")});
        if (!message.endsWith(QStringLiteral("Query successful!"))) {
            std::fprintf(stderr, "insert failed: %s\n", qPrintable(message));
            return false;
        }
    }
    return transaction.commit();
}

// The raw side: one open connection to the same file.
sqlite3* g_raw = nullptr;

std::vector<QString> lookupNames()
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, kProducts - 1);
    std::vector<QString> names(4096);
    for (QString& name : names)
        name = productName(pick(random));
    return names;
}

void BM_ExecSqlLookup(benchmark::State& state)
{
    const std::vector<QString> names = lookupNames();
    size_t next = 0;
    qsizetype chars = 0;
    for (auto _ : state) {
        auto set = ExecSQL(QStringLiteral("select * from product_info where cName=?"), {names[next++ % names.size()]});
        for (int c = 0; c < set->columnCount(); ++c)
            chars += set->text(c).size();
    }
    benchmark::DoNotOptimize(chars);
}

void BM_ExecSqlLookup_Raw(benchmark::State& state)
{
    const std::vector<QString> names = lookupNames();
    size_t next = 0;
    qsizetype chars = 0;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(g_raw, "select * from product_info where cName=?", -1, &statement, nullptr);
    for (auto _ : state) {
        const QByteArray name = names[next++ % names.size()].toUtf8();
        sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const int width = sqlite3_column_count(statement);
            for (int c = 0; c < width; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                chars += QString::fromUtf8(text, sqlite3_column_bytes(statement, c)).size();
            }
        }
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(chars);
}

void BM_RecordSetWalk(benchmark::State& state)
{
    qsizetype chars = 0;
    for (auto _ : state) {
        auto set = ExecSQL(QStringLiteral("select * from product_info"));
        const int width = set->columnCount();
        for (; !set->isEof(); set->moveNext())
            for (int c = 0; c < width; ++c)
                chars += set->text(c).size();
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(state.iterations() * kProducts);
}

void BM_RecordSetWalk_Raw(benchmark::State& state)
{
    qsizetype chars = 0;
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(g_raw, "select * from product_info", -1, &statement, nullptr);
        const int width = sqlite3_column_count(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < width; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                chars += QString::fromUtf8(text, sqlite3_column_bytes(statement, c)).size();
            }
        }
        sqlite3_finalize(statement);
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(state.iterations() * kProducts);
}

// An operator's login: the owner's account tried first, then the operator's row read and the
// password checked against its salted hash.
void BM_OperatorLogin(benchmark::State& state)
{
    QString error;
    static const bool added = addOperator(QStringLiteral("anna"), QStringLiteral("s3cret"), Role::Cashier, &error);
    if (!added)
        state.SkipWithError(qPrintable(error));
    for (auto _ : state)
        if (checkLogin(QStringLiteral("anna"), QStringLiteral("s3cret")) != LoginCheck::Valid)
            state.SkipWithError("the operator was refused");
}

BENCHMARK(BM_OperatorLogin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExecSqlLookup)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExecSqlLookup_Raw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordSetWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordSetWalk_Raw)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir folder;
    setAppFolder(folder.path());
    QString error;
    if (!createDeliveredDatabase(appPath(QStringLiteral("system32.dll")), &error) || !fillCatalogue()) {
        std::fprintf(stderr, "cannot build the catalogue: %s\n", qPrintable(error));
        return 1;
    }
    g_raw = openEncrypted(appPath(QStringLiteral("system32.dll")), true, &error);
    if (!g_raw) {
        std::fprintf(stderr, "cannot open the catalogue: %s\n", qPrintable(error));
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sqlite3_close(g_raw);
    Database::instance().close();
    return 0;
}
