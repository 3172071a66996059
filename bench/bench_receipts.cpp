// Paid bills at shop scale, each beside raw SQLCipher doing the same work on one connection: Pay
// Bill settling 20 lines and writing their receipt, and the receipts window opening on, or turned
// to, a day of 2,000 receipts (20,000 receipts in the file).
#include "app/appcontext.h"
#include "app/settings.h"
#include "benchmain.h"
#include "bills/bill.h"
#include "bills/receipt.h"
#include "bills/ui/receiptswindow.h"
#include "data/database.h"
#include "data/schema.h"
#include "support/testclock.h"

#include <QApplication>
#include <QDateEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

namespace {

constexpr int kDays = 10;
constexpr int kReceiptsPerDay = 2000;
constexpr int kLinesPerBill = 20;
const QDate kBusyDay(2026, 6, 15);

void exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql, sqlite3_errmsg(db));
}

sqlite3_stmt* prepared(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql, sqlite3_errmsg(db));
    return statement;
}

void run(sqlite3_stmt* statement)
{
    sqlite3_step(statement);
    sqlite3_reset(statement);
}

// Ten days of 2,000 receipts of three lines each, built once.
struct Shop {
    QTemporaryDir dir;
    sqlite3* raw = nullptr;
    sqlite3_stmt* line = nullptr;

    Shop()
    {
        setAppFolder(dir.path());
        QString error;
        if (!createDeliveredDatabase(dir.filePath(QStringLiteral("system32.dll")), &error))
            qFatal("%s", qPrintable(error));
        raw = openEncrypted(dir.filePath(QStringLiteral("system32.dll")), false, &error);
        exec(raw, "BEGIN");
        sqlite3_stmt* head = prepared(raw, "INSERT INTO marvono_receipt (cNumber, cTime, cBuyer, cOperator, cTotal, "
                                           "cReceived, cChange) VALUES (?, ?, 'A1', 'vetch', '7.5', '10', '2.5')");
        sqlite3_stmt* lines = prepared(raw, "INSERT INTO marvono_receipt_line (cReceipt, cLine, cTime, cProduct, cQty, "
                                            "cPrice, cSubTotal) VALUES (?, ?, '2:05:09 PM', 'Tea', '1', '2.5', '2.5')");
        int number = 0;
        for (int day = 0; day < kDays; ++day) {
            for (int i = 0; i < kReceiptsPerDay; ++i) {
                const QByteArray time =
                    dateTimeText(QDateTime(kBusyDay.addDays(day - kDays / 2), QTime(8, 0).addSecs(i * 17))).toUtf8();
                sqlite3_bind_int(head, 1, ++number);
                sqlite3_bind_text(head, 2, time.constData(), int(time.size()), SQLITE_TRANSIENT);
                run(head);
                for (int l = 1; l <= 3; ++l) {
                    sqlite3_bind_int(lines, 1, number);
                    sqlite3_bind_int(lines, 2, l);
                    run(lines);
                }
            }
        }
        sqlite3_finalize(head);
        sqlite3_finalize(lines);
        const QByteArray counter = "UPDATE marvono_counter SET cValue = " + QByteArray::number(number);
        exec(raw, counter.constData());
        exec(raw, "COMMIT");
        line = prepared(raw, "INSERT INTO Bill (ctime,ctable,cproduct,cqty,cprice,csubtotal) "
                             "VALUES ('2:05:09 PM','P','Tea','2','2.5','5')");
        saveSetup({true, QStringLiteral("Bench Shop"), QStringLiteral("$")});
    }
    ~Shop()
    {
        sqlite3_finalize(line);
        sqlite3_close(raw);
    }
    // A bill of 20 lines for the buyer P, written outside the timing.
    void openBill()
    {
        exec(raw, "BEGIN");
        for (int i = 0; i < kLinesPerBill; ++i)
            run(line);
        exec(raw, "COMMIT");
    }
};

Shop& shop()
{
    static Shop instance;
    return instance;
}

void BM_PayBill20(benchmark::State& state)
{
    Shop& s = shop();
    std::optional<Receipt> receipt;
    for (auto _ : state) {
        state.PauseTiming();
        s.openBill();
        state.ResumeTiming();
        if (settleBill(QStringLiteral("P"), 0, nullptr,
                       Payment{Currency::fromRaw(1000000), QStringLiteral("vetch"), &receipt}) != Settlement::Settled ||
            receipt->lines.size() != kLinesPerBill)
            state.SkipWithError("bill not paid");
    }
}

// The same rows by hand: read the bill's lines, delete each, raise the counter, write the receipt
// and its 20 lines, in one committed transaction.
void BM_PayBill20_Raw(benchmark::State& state)
{
    Shop& s = shop();
    sqlite3* db = s.raw;
    sqlite3_stmt* select = prepared(db, "SELECT rowid,* FROM Bill WHERE ctable=? ORDER BY rowid");
    sqlite3_stmt* remove = prepared(db, "DELETE FROM Bill WHERE rowid=?");
    sqlite3_stmt* raise = prepared(db, "UPDATE marvono_counter SET cValue = cValue + 1 WHERE cName = 'receipt'");
    sqlite3_stmt* number = prepared(db, "SELECT cValue FROM marvono_counter WHERE cName = 'receipt'");
    sqlite3_stmt* head = prepared(db, "INSERT INTO marvono_receipt (cNumber, cTime, cBuyer, cOperator, cTotal, "
                                      "cReceived, cChange) VALUES (?, ?, 'P', 'vetch', ?, '100', ?)");
    sqlite3_stmt* lines = prepared(db, "INSERT INTO marvono_receipt_line (cReceipt, cLine, cTime, cProduct, cQty, "
                                       "cPrice, cSubTotal) VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (auto _ : state) {
        state.PauseTiming();
        s.openBill();
        state.ResumeTiming();
        exec(db, "BEGIN IMMEDIATE");
        QList<QStringList> bill;
        double total = 0;
        sqlite3_bind_text(select, 1, "P", -1, SQLITE_STATIC);
        while (sqlite3_step(select) == SQLITE_ROW) {
            QStringList texts;
            for (int c = 1; c <= 6; ++c)
                texts.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, c))));
            total += sqlite3_column_double(select, 6);
            bill.append(texts);
            sqlite3_bind_int64(remove, 1, sqlite3_column_int64(select, 0));
            run(remove);
        }
        sqlite3_reset(select);
        run(raise);
        sqlite3_step(number);
        const qint64 receipt = sqlite3_column_int64(number, 0);
        sqlite3_reset(number);
        const QByteArray time = dateTimeText(QDateTime::currentDateTime()).toUtf8();
        const QByteArray totalText = QByteArray::number(total);
        const QByteArray changeText = QByteArray::number(100 - total);
        sqlite3_bind_int64(head, 1, receipt);
        sqlite3_bind_text(head, 2, time.constData(), int(time.size()), SQLITE_STATIC);
        sqlite3_bind_text(head, 3, totalText.constData(), int(totalText.size()), SQLITE_STATIC);
        sqlite3_bind_text(head, 4, changeText.constData(), int(changeText.size()), SQLITE_STATIC);
        run(head);
        for (int i = 0; i < bill.size(); ++i) {
            const QStringList& texts = bill.at(i);
            sqlite3_bind_int64(lines, 1, receipt);
            sqlite3_bind_int(lines, 2, i + 1);
            QList<QByteArray> utf8;
            for (int c : {0, 2, 3, 4, 5}) {
                utf8.append(texts.at(c).toUtf8());
                sqlite3_bind_text(lines, int(utf8.size()) + 2, utf8.last().constData(), int(utf8.last().size()),
                                  SQLITE_STATIC);
            }
            run(lines);
        }
        exec(db, "COMMIT");
    }
    for (sqlite3_stmt* statement : {select, remove, raise, number, head, lines})
        sqlite3_finalize(statement);
}

// The receipts window opened on a day of 2,000 receipts: read, listed and added up.
void BM_ReceiptsWindowDay2000(benchmark::State& state)
{
    shop();
    test::setClock([] { return QDateTime(kBusyDay, QTime(12, 0)); });
    for (auto _ : state) {
        ReceiptsWindow window;
        window.show();
        QApplication::processEvents();
    }
    test::setClock({});
}

// The window open on a day without receipts, then turned to the day of 2,000: the fill alone,
// read, listed, added up, the columns fitted and the list painted.
void BM_ReceiptsFillDay2000(benchmark::State& state)
{
    shop();
    const QDate quiet = kBusyDay.addDays(-kDays);
    test::setClock([quiet] { return QDateTime(quiet, QTime(12, 0)); });
    ReceiptsWindow window;
    window.show();
    QApplication::processEvents();
    auto* day = window.findChild<QDateEdit*>(QStringLiteral("dtpDay"));
    for (auto _ : state) {
        day->setDate(kBusyDay);
        QApplication::processEvents();
        state.PauseTiming();
        day->setDate(quiet);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    test::setClock({});
}

void BM_ReceiptsWindowDay2000_Raw(benchmark::State& state)
{
    sqlite3_stmt* select = prepared(shop().raw, "SELECT * FROM marvono_receipt WHERE cTime >= ? AND cTime < ? "
                                                "ORDER BY cNumber");
    const QByteArray from = kBusyDay.toString(Qt::ISODate).toUtf8();
    const QByteArray to = kBusyDay.addDays(1).toString(Qt::ISODate).toUtf8();
    for (auto _ : state) {
        sqlite3_bind_text(select, 1, from.constData(), int(from.size()), SQLITE_STATIC);
        sqlite3_bind_text(select, 2, to.constData(), int(to.size()), SQLITE_STATIC);
        QStringList texts;
        double total = 0;
        int rows = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            for (int c = 0; c < 8; ++c)
                texts.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, c))));
            total += sqlite3_column_double(select, 4);
            ++rows;
        }
        sqlite3_reset(select);
        if (rows != kReceiptsPerDay)
            state.SkipWithError("day not read");
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(texts);
    }
    sqlite3_finalize(select);
}

} // namespace

BENCHMARK(BM_PayBill20)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_PayBill20_Raw)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_ReceiptsWindowDay2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiptsFillDay2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiptsWindowDay2000_Raw)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return marvono::bench::runWidgetBenchmarks(argc, argv);
}
