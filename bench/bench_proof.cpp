// Whole operations at shop scale, each beside raw SQLCipher doing the same work on one
// connection: a sale booked (100,000 products, 1,000,000 ledger rows) and start-up to a filled
// main window (100,000 products).
#include "app/appcontext.h"
#include "app/settings.h"
#include "app/ui/mainwindow.h"
#include "benchmain.h"
#include "bills/bill.h"
#include "bills/buyerlist.h"
#include "data/database.h"
#include "data/schema.h"
#include "sales/sale.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QUuid>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

namespace {

constexpr int kProducts = 100000;
constexpr int kLedgerRows = 1000000;

QString productName(int i)
{
    return QStringLiteral("Product %1").arg(i, 6, 10, QLatin1Char('0'));
}

void exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql, sqlite3_errmsg(db));
}

// A shop with 100,000 products and a ledger of 1,000,000 rows of earlier days, built once.
struct Shop {
    QTemporaryDir dir;
    sqlite3* raw = nullptr;

    Shop()
    {
        setAppFolder(dir.path());
        QString error;
        if (!createDeliveredDatabase(dir.filePath(QStringLiteral("system32.dll")), &error))
            qFatal("%s", qPrintable(error));
        raw = openEncrypted(dir.filePath(QStringLiteral("system32.dll")), false, &error);
        exec(raw, "BEGIN");
        sqlite3_stmt* product = nullptr;
        sqlite3_prepare_v2(raw,
                           "INSERT INTO product_info (cName,cInPrice,cAllQty,cOutPrice,cLeastQty,cType,cPic,cComment,"
                           "cAlert) VALUES (?,'1.5','100000000','2.5','100000000',?,0,'intro','10')",
                           -1, &product, nullptr);
        for (int i = 0; i < kProducts; ++i) {
            const QByteArray name = productName(i).toUtf8();
            const QByteArray type = QByteArray("Type ") + QByteArray::number(i % 50);
            sqlite3_bind_text(product, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(product, 2, type.constData(), int(type.size()), SQLITE_TRANSIENT);
            sqlite3_step(product);
            sqlite3_reset(product);
        }
        sqlite3_finalize(product);
        sqlite3_stmt* ledger = nullptr;
        sqlite3_prepare_v2(raw,
                           "INSERT INTO PanDian (cname,cprice,cinprice,cqty,cday,cmonth,cyear) "
                           "VALUES (?,'2.5','1.5','3',?,?,?)",
                           -1, &ledger, nullptr);
        for (int i = 0; i < kLedgerRows; ++i) {
            const QByteArray name = productName(i % kProducts).toUtf8();
            sqlite3_bind_text(ledger, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(ledger, 2, 1 + i % 28);
            sqlite3_bind_int(ledger, 3, 1 + (i / 28) % 12);
            sqlite3_bind_int(ledger, 4, 2000 + (i / 336) % 20);
            sqlite3_step(ledger);
            sqlite3_reset(ledger);
        }
        sqlite3_finalize(ledger);
        // A bill of 1,000 lines for the bill editor.
        sqlite3_stmt* line = nullptr;
        sqlite3_prepare_v2(raw,
                           "INSERT INTO Bill (ctime,ctable,cproduct,cqty,cprice,csubtotal) "
                           "VALUES (?,'B1000',?,'2','2.5','5')",
                           -1, &line, nullptr);
        for (int i = 0; i < 1000; ++i) {
            const QByteArray time = QTime(8, 0).addSecs(i).toString(QStringLiteral("h:mm:ss AP")).toUtf8();
            const QByteArray name = productName(i).toUtf8();
            sqlite3_bind_text(line, 1, time.constData(), int(time.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(line, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_step(line);
            sqlite3_reset(line);
        }
        sqlite3_finalize(line);
        exec(raw, "COMMIT");
        writeBuyerList({QStringLiteral("A1")});
        saveSetup({true, QStringLiteral("Bench Shop"), QStringLiteral("$")});
    }
    ~Shop() { sqlite3_close(raw); }
};

Shop& shop()
{
    static Shop instance;
    return instance;
}

void BM_SaleBooked(benchmark::State& state)
{
    shop();
    int i = 0;
    for (auto _ : state) {
        const SaleResult result =
            bookSale(SaleRequest{productName(i++ % kProducts), QStringLiteral("1"), QStringLiteral("A1")});
        if (result.outcome != SaleOutcome::Sold)
            state.SkipWithError("sale not booked");
    }
}

// The same rows written by hand: look the product up, lower its stock, append the bill line, add
// to (or create) the day's ledger row and record the sale's identity, in one committed transaction.
void BM_SaleBooked_Raw(benchmark::State& state)
{
    sqlite3* db = shop().raw;
    sqlite3_stmt *find = nullptr, *stock = nullptr, *bill = nullptr, *day = nullptr, *add = nullptr, *fresh = nullptr,
                 *identity = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid,cLeastQty,cOutPrice,cInPrice FROM product_info WHERE cName=?", -1, &find,
                       nullptr);
    sqlite3_prepare_v2(db, "UPDATE product_info SET cLeastQty=? WHERE rowid=?", -1, &stock, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO Bill (ctime,ctable,cproduct,cqty,cprice,csubtotal) VALUES (?,?,?,?,?,?)", -1,
                       &bill, nullptr);
    sqlite3_prepare_v2(db, "SELECT rowid,cqty FROM PanDian WHERE cday=? AND cmonth=? AND cyear=? AND cname=?", -1, &day,
                       nullptr);
    sqlite3_prepare_v2(db, "UPDATE PanDian SET cqty=?,cprice=?,cinprice=? WHERE rowid=?", -1, &add, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO PanDian (cname,cprice,cinprice,cqty,cday,cmonth,cyear) VALUES (?,?,?,?,?,?,?)",
                       -1, &fresh, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO marvono_sale (cId,cTime) VALUES (?,?)", -1, &identity, nullptr);
    const QDate today = QDate::currentDate();
    int i = 0;
    for (auto _ : state) {
        const QByteArray name = productName(i++ % kProducts).toUtf8();
        exec(db, "BEGIN IMMEDIATE");
        sqlite3_bind_text(find, 1, name.constData(), int(name.size()), SQLITE_STATIC);
        sqlite3_step(find);
        const qint64 row = sqlite3_column_int64(find, 0);
        const qint64 left = sqlite3_column_int64(find, 1) - 1;
        const double price = sqlite3_column_double(find, 2);
        sqlite3_reset(find);
        sqlite3_bind_int64(stock, 1, left);
        sqlite3_bind_int64(stock, 2, row);
        sqlite3_step(stock);
        sqlite3_reset(stock);
        sqlite3_bind_text(bill, 1, "2:05:09 PM", -1, SQLITE_STATIC);
        sqlite3_bind_text(bill, 2, "A1", -1, SQLITE_STATIC);
        sqlite3_bind_text(bill, 3, name.constData(), int(name.size()), SQLITE_STATIC);
        sqlite3_bind_text(bill, 4, "1", -1, SQLITE_STATIC);
        sqlite3_bind_double(bill, 5, price);
        sqlite3_bind_double(bill, 6, price);
        sqlite3_step(bill);
        sqlite3_reset(bill);
        sqlite3_bind_int(day, 1, today.day());
        sqlite3_bind_int(day, 2, today.month());
        sqlite3_bind_int(day, 3, today.year());
        sqlite3_bind_text(day, 4, name.constData(), int(name.size()), SQLITE_STATIC);
        if (sqlite3_step(day) == SQLITE_ROW) {
            const qint64 ledgerRow = sqlite3_column_int64(day, 0);
            const double quantity = sqlite3_column_double(day, 1) + 1;
            sqlite3_reset(day);
            sqlite3_bind_double(add, 1, quantity);
            sqlite3_bind_text(add, 2, "2.5", -1, SQLITE_STATIC);
            sqlite3_bind_text(add, 3, "1.5", -1, SQLITE_STATIC);
            sqlite3_bind_int64(add, 4, ledgerRow);
            sqlite3_step(add);
            sqlite3_reset(add);
        } else {
            sqlite3_reset(day);
            sqlite3_bind_text(fresh, 1, name.constData(), int(name.size()), SQLITE_STATIC);
            sqlite3_bind_text(fresh, 2, "2.5", -1, SQLITE_STATIC);
            sqlite3_bind_text(fresh, 3, "1.5", -1, SQLITE_STATIC);
            sqlite3_bind_text(fresh, 4, "1", -1, SQLITE_STATIC);
            sqlite3_bind_int(fresh, 5, today.day());
            sqlite3_bind_int(fresh, 6, today.month());
            sqlite3_bind_int(fresh, 7, today.year());
            sqlite3_step(fresh);
            sqlite3_reset(fresh);
        }
        const QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
        sqlite3_bind_text(identity, 1, id.constData(), int(id.size()), SQLITE_STATIC);
        sqlite3_bind_text(identity, 2, "2026-12-07 14:05:09", -1, SQLITE_STATIC);
        sqlite3_step(identity);
        sqlite3_reset(identity);
        exec(db, "COMMIT");
    }
    for (sqlite3_stmt* s : {find, stock, bill, day, add, fresh, identity})
        sqlite3_finalize(s);
}

// The bill editor's load of a 1,000-line bill: the lines and their total.
void BM_BillEditorLoad1000(benchmark::State& state)
{
    shop();
    for (auto _ : state) {
        const auto lines = readBill(QStringLiteral("B1000"));
        if (!lines || lines->size() != 1000)
            state.SkipWithError("bill not read");
        QStringList subTotals;
        for (const BillLine& line : *lines)
            subTotals.append(line.subTotal);
        benchmark::DoNotOptimize(billTotal(subTotals));
    }
}

void BM_BillEditorLoad1000_Raw(benchmark::State& state)
{
    sqlite3* db = shop().raw;
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM Bill WHERE ctable=?", -1, &select, nullptr);
    for (auto _ : state) {
        sqlite3_bind_text(select, 1, "B1000", -1, SQLITE_STATIC);
        double total = 0;
        QStringList texts;
        while (sqlite3_step(select) == SQLITE_ROW) {
            for (int c = 0; c < 6; ++c)
                texts.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, c))));
            total += sqlite3_column_double(select, 5);
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(texts);
    }
    sqlite3_finalize(select);
}

// Start-up after the login: the main window created, loaded (settings, 100,000 products listed,
// coloured and sorted, buyers) and shown.
void BM_StartupToMainWindow(benchmark::State& state)
{
    shop();
    const auto start = [&state] {
        Database::instance().close(); // a new run opens the file afresh
        auto window = std::make_unique<MainWindow>();
        window->show();
        if (!window->load(nullptr))
            state.SkipWithError("load failed");
        QApplication::processEvents();
        return window;
    };
    // The process's first window loads the font database and the style once, which the raw side
    // has no counterpart of; with only five runs it would weigh on the mean, so it runs untimed.
    start();
    for (auto _ : state) {
        auto window = start();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

// The raw part of the same start-up: opening the file with its password and reading every
// product row as text.
void BM_StartupToMainWindow_Raw(benchmark::State& state)
{
    const QString path = shop().dir.filePath(QStringLiteral("system32.dll"));
    for (auto _ : state) {
        QString error;
        sqlite3* db = openEncrypted(path, true, &error);
        sqlite3_stmt* scan = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM product_info", -1, &scan, nullptr);
        qint64 bytes = 0;
        while (sqlite3_step(scan) == SQLITE_ROW) {
            for (int c = 0; c < 10; ++c)
                bytes += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(scan, c))).size();
        }
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(scan);
        sqlite3_close(db);
    }
}

} // namespace

BENCHMARK(BM_SaleBooked)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_SaleBooked_Raw)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_BillEditorLoad1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BillEditorLoad1000_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartupToMainWindow_Raw)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    return marvono::bench::runWidgetBenchmarks(argc, argv);
}
