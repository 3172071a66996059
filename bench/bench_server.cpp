// The shop server beside raw libpq: a committed sale, the product list filled from 100,000
// products, and four tills selling the same three products at once. The raw side of a sale is
// the least a sale needs (lock and lower the stock, add the bill line, add to the day's ledger row,
// commit), one prepared statement at a time on its own connection. Each benchmark runs both sides
// in turn (see alternate()): its time is the program's, raw_ms the raw side's and x_raw the ratio
// of the two times.
//   bench_server [--benchmark_filter=...]
// The server is a private PostgreSQL 15 server started for the run, durable (fsync on, every
// commit flushed to disk) as a shop's server runs, or the server whose libpq connection string
// MARVONO_BENCH_SERVER gives: its role must be able to create databases; the run's databases
// (marvono_bench_*) are made there afresh and dropped at the end.
// The four tills are child processes of this program (bench_server --till ...), each with its own
// connection; they report ready after a first sale and start selling together, so connecting and
// preparing stay outside the timed window on both sides.
#include "app/appcontext.h"
#include "catalogue/catalogueimport.h"
#include "catalogue/ui/productlistmodel.h"
#include "data/database.h"
#include "data/pgengine.h"
#include "data/pgschema.h"
#include "importrows.h"
#include "sales/sale.h"
#include "support/pgserver.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <libpq-fe.h>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <utility>

using namespace marvono;

namespace {

constexpr int kCatalogue = 100000;
constexpr int kTills = 4;
constexpr int kTillProducts = 3;
constexpr int kSalesPerTill = 400;
constexpr int kLedgerHistory = 50000;
const QString kBuyer = QStringLiteral("Counter");

using Clock = std::chrono::steady_clock;

[[noreturn]] void die(const QString& what);

// A value for a libpq connection string, quoted.
QByteArray connValue(const QByteArray& value)
{
    QByteArray quoted = value;
    return '\'' + quoted.replace('\\', "\\\\").replace('\'', "\\'") + '\'';
}

// The server of the run: the private one, or the existing one MARVONO_BENCH_SERVER names.
class BenchServer {
  public:
    bool start()
    {
        m_existing = qgetenv("MARVONO_BENCH_SERVER");
        if (!m_existing.isEmpty())
            return true;
        m_private.setDurable(true);
        return m_private.start();
    }
    QString error() const { return m_private.error(); }
    // The Unix socket folder a connection must reach, so that a wrong string cannot fall back to
    // another server; empty for an existing server.
    QString socketDir() const { return m_existing.isEmpty() ? m_private.socketDir() : QString(); }
    QString maintenanceConnection() const
    {
        return m_existing.isEmpty() ? m_private.connectionString(QStringLiteral("postgres"))
                                    : QString::fromUtf8(m_existing);
    }
    // A fresh empty database; its connection string.
    QString createDatabase(const QString& name)
    {
        if (m_existing.isEmpty()) {
            const QString made = m_private.createDatabase(name);
            if (made.isEmpty())
                die(QStringLiteral("cannot create database %1: %2").arg(name, m_private.error()));
            return made;
        }
        const QByteArray database = "marvono_bench_" + name.toUtf8();
        admin("DROP DATABASE IF EXISTS " + database);
        admin("CREATE DATABASE " + database + " TEMPLATE template0");
        m_made.append(database);
        char* parseError = nullptr;
        PQconninfoOption* options = PQconninfoParse(m_existing.constData(), &parseError);
        if (!options)
            die(QStringLiteral("MARVONO_BENCH_SERVER: ") +
                QString::fromUtf8(parseError ? parseError : "out of memory"));
        QByteArray conninfo;
        for (const PQconninfoOption* option = options; option->keyword; ++option)
            if (option->val && qstrcmp(option->keyword, "dbname") != 0)
                conninfo += QByteArray(option->keyword) + '=' + connValue(option->val) + ' ';
        PQconninfoFree(options);
        return QString::fromUtf8(conninfo + "dbname=" + database);
    }
    void stop()
    {
        for (const QByteArray& database : std::exchange(m_made, {}))
            admin("DROP DATABASE IF EXISTS " + database, false);
        if (m_existing.isEmpty())
            m_private.stop();
    }

  private:
    void admin(const QByteArray& sql, bool required = true)
    {
        PGconn* conn = PQconnectdb(m_existing.constData());
        PGresult* result = PQexec(conn, sql.constData());
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        const QString reason = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        PQclear(result);
        PQfinish(conn);
        if (!ok && required)
            die(QStringLiteral("%1: %2").arg(QString::fromUtf8(sql), reason));
    }

    test::PgTestServer m_private;
    QByteArray m_existing;
    QList<QByteArray> m_made;
};

BenchServer* g_pg = nullptr;

void die(const QString& what)
{
    std::fprintf(stderr, "bench_server: %s\n", qPrintable(what));
    if (g_pg)
        g_pg->stop();
    std::exit(1);
}

QByteArray productName(int i)
{
    return QByteArrayLiteral("Product ") + QByteArray::number(i).rightJustified(6, '0');
}

// A connection that is certainly to `conninfo`'s server: an empty or wrong string would let libpq
// fall back to the default socket and measure some other server.
PGconn* connectTo(const QString& conninfo, const QString& socketDir)
{
    if (conninfo.isEmpty())
        die(QStringLiteral("empty connection string"));
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK)
        die(QStringLiteral("cannot connect (%1): %2").arg(conninfo, QString::fromUtf8(PQerrorMessage(conn))));
    if (!socketDir.isEmpty() && QString::fromUtf8(PQhost(conn)) != socketDir)
        die(QStringLiteral("connected to %1 instead of the private server").arg(QString::fromUtf8(PQhost(conn))));
    return conn;
}

void execOrDie(PGconn* conn, const char* sql)
{
    PGresult* result = PQexec(conn, sql);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        die(QStringLiteral("%1: %2").arg(QString::fromUtf8(sql), QString::fromUtf8(PQresultErrorMessage(result))));
    PQclear(result);
}

// A fresh shop database on the run's server, `products` products with `stock` units each; its
// connection string.
QString makeShop(const QString& name, int products, int stock)
{
    const QString conninfo = g_pg->createDatabase(name);
    PGconn* conn = connectTo(conninfo, g_pg->socketDir());
    QString error;
    if (!createShopSchema(conn, &error))
        die(QStringLiteral("cannot create the shop tables: ") + error);
    PGresult* copying = PQexec(conn, "COPY product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cSpare,"
                                     " cType, cPic, cComment, cAlert) FROM STDIN");
    if (PQresultStatus(copying) != PGRES_COPY_IN)
        die(QStringLiteral("copy refused: ") + QString::fromUtf8(PQresultErrorMessage(copying)));
    PQclear(copying);
    QByteArray rows;
    for (int i = 0; i < products; ++i) {
        rows += productName(i) + '\t' + QByteArray::number(1 + i % 97) + ".25\t" + QByteArray::number(50 + i % 13) +
                '\t' + QByteArray::number(2 + i % 89) + ".5\t" + QByteArray::number(stock) + "\t\tCategory " +
                QByteArray::number((i * 7919) % 40) + '\t' + QByteArray::number(i) +
                "\tA short introduction of the product.\t5\n";
        if (rows.size() > (1 << 20) || i + 1 == products) {
            if (PQputCopyData(conn, rows.constData(), int(rows.size())) != 1)
                die(QStringLiteral("copy failed: ") + QString::fromUtf8(PQerrorMessage(conn)));
            rows.clear();
        }
    }
    if (PQputCopyEnd(conn, nullptr) != 1)
        die(QStringLiteral("copy failed: ") + QString::fromUtf8(PQerrorMessage(conn)));
    PGresult* copied = PQgetResult(conn);
    if (PQresultStatus(copied) != PGRES_COMMAND_OK)
        die(QStringLiteral("copy failed: ") + QString::fromUtf8(PQresultErrorMessage(copied)));
    PQclear(copied);
    while (PGresult* rest = PQgetResult(conn))
        PQclear(rest);
    // Ledger rows of the year before, one per product and day (at most kLedgerHistory), as a shop
    // that has been selling has them; the server's statistics then describe a ledger in use.
    const int history = int(std::min<qint64>(kLedgerHistory, qint64(products) * 336));
    const QByteArray product = "(i % " + QByteArray::number(products) + ")";
    const QByteArray day = "(i / " + QByteArray::number(products) + ")";
    execOrDie(conn, QByteArray("INSERT INTO pandian (cname, cprice, cinprice, cqty, cday, cmonth, cyear) SELECT"
                               " 'Product ' || lpad(" +
                               product + "::text, 6, '0'), '2.5', '1.25', '3', 1 + " + day + " % 28, 1 + " + day +
                               " / 28 % 12, " + QByteArray::number(QDate::currentDate().year() - 1) +
                               " FROM generate_series(0, " + QByteArray::number(history - 1) + ") AS i")
                        .constData());
    execOrDie(conn, "VACUUM ANALYZE");
    PQfinish(conn);
    return conninfo;
}

// An application folder whose shopserver.conf points at `conninfo`.
std::unique_ptr<QTemporaryDir> shopFolder(const QString& conninfo)
{
    auto folder = std::make_unique<QTemporaryDir>();
    QFile conf(folder->filePath(QString::fromLatin1(kShopServerFile)));
    if (!folder->isValid() || !conf.open(QIODevice::WriteOnly) ||
        conf.write("connection=" + conninfo.toUtf8() + '\n') < 0)
        die(QStringLiteral("cannot write shopserver.conf"));
    return folder;
}

// One sale through the program's own code; false with the reason printed when it is not sold.
bool programSale(const QByteArray& product, int quantity)
{
    const SaleResult result = bookSale(SaleRequest{QString::fromUtf8(product), QString::number(quantity), kBuyer});
    if (result.outcome == SaleOutcome::Sold)
        return true;
    std::fprintf(stderr, "sale not booked (%d): %s\n", int(result.outcome), qPrintable(result.error));
    return false;
}

// The least a sale needs, prepared once on a connection of its own and sent one statement at a
// time: lock and lower the stock (refused below 0), add the bill line, add to the day's ledger
// row or start it, commit.
class RawTill {
  public:
    RawTill(const QString& conninfo, const QString& socketDir) : m_conn(connectTo(conninfo, socketDir))
    {
        execOrDie(m_conn, "SET datestyle TO ISO; SET client_encoding TO 'UTF8'");
        prepare("begin", "BEGIN");
        prepare("stock", "UPDATE product_info SET cleastqty = (cleastqty::numeric - $2::numeric)::text"
                         " WHERE cname = $1 RETURNING cleastqty::numeric >= 0, coutprice, cinprice");
        prepare("bill", "INSERT INTO bill (ctime, ctable, cproduct, cqty, cprice, csubtotal)"
                        " VALUES ($1, $2, $3, $4, $5, $6)");
        prepare("ledger", "WITH added AS (UPDATE pandian SET cqty = (cqty::numeric + $4::numeric)::text,"
                          " cprice = $2, cinprice = $3 WHERE cday = $5 AND cmonth = $6 AND cyear = $7"
                          " AND cname = $1 RETURNING 1)"
                          " INSERT INTO pandian (cname, cprice, cinprice, cqty, cday, cmonth, cyear)"
                          " SELECT $1, $2, $3, $4, $5, $6, $7 WHERE NOT EXISTS (SELECT 1 FROM added)");
        prepare("commit", "COMMIT");
    }
    ~RawTill() { PQfinish(m_conn); }
    RawTill(const RawTill&) = delete;
    RawTill& operator=(const RawTill&) = delete;

    bool sell(const QByteArray& product, int quantity)
    {
        const bool sold = done(run("begin", {})) && sellInTransaction(product, quantity) && done(run("commit", {}));
        if (!sold)
            PQclear(PQexec(m_conn, "ROLLBACK"));
        return sold;
    }

    // Each statement is one round trip.
    quint64 roundTrips = 0;

  private:
    void prepare(const char* name, const char* sql)
    {
        PGresult* result = PQprepare(m_conn, name, sql, 0, nullptr);
        if (PQresultStatus(result) != PGRES_COMMAND_OK)
            die(QStringLiteral("prepare %1: %2")
                    .arg(QString::fromUtf8(sql), QString::fromUtf8(PQresultErrorMessage(result))));
        PQclear(result);
    }

    // Runs a prepared statement; the result, or nothing with the failure printed.
    PGresult* run(const char* name, std::initializer_list<QByteArray> values)
    {
        const char* pointers[8];
        int n = 0;
        for (const QByteArray& value : values)
            pointers[n++] = value.constData();
        ++roundTrips;
        PGresult* result = PQexecPrepared(m_conn, name, n, pointers, nullptr, nullptr, 0);
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        std::fprintf(stderr, "%s: %s", name, PQresultErrorMessage(result));
        PQclear(result);
        return nullptr;
    }

    static bool done(PGresult* result)
    {
        PQclear(result);
        return result != nullptr;
    }

    bool sellInTransaction(const QByteArray& product, int quantity)
    {
        const QByteArray count = QByteArray::number(quantity);
        PGresult* row = run("stock", {product, count});
        if (!row || PQntuples(row) != 1 || PQgetvalue(row, 0, 0)[0] != 't') {
            PQclear(row);
            return false;
        }
        const QByteArray price = PQgetvalue(row, 0, 1);
        const QByteArray cost = PQgetvalue(row, 0, 2);
        PQclear(row);
        const QDateTime now = QDateTime::currentDateTime();
        const QDate today = now.date();
        return done(run("bill", {timeOfDayText(now.time()).toUtf8(), kBuyer.toUtf8(), product, count, price,
                                 QByteArray::number(quantity * price.toDouble(), 'g', 15)})) &&
               done(run("ledger", {product, price, cost, count, QByteArray::number(today.day()),
                                   QByteArray::number(today.month()), QByteArray::number(today.year())}));
    }

    PGconn* m_conn;
};

// Round trips a sale of the program's takes on the shop server, counted by its engine.
quint64 programRoundTrips()
{
    auto* engine = dynamic_cast<PgEngine*>(Database::instance().engine(nullptr));
    return engine ? engine->roundTrips() : 0;
}

// The databases of the sale and list pairs, made on first use.
struct SaleShops {
    QString program, raw;
    std::unique_ptr<QTemporaryDir> folder;
    SaleShops()
    {
        program = makeShop(QStringLiteral("shop"), kCatalogue, 1000000);
        raw = makeShop(QStringLiteral("shop_raw"), kCatalogue, 1000000);
        folder = shopFolder(program);
        setAppFolder(folder->path());
    }
};

SaleShops& saleShops()
{
    static SaleShops shops;
    return shops;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The wall-clock seconds `work` took, or -1 when it failed.
template <class Work> double stopwatch(Work work)
{
    const auto start = Clock::now();
    return work() ? secondsSince(start) : -1;
}

// Runs the program's side and the raw side of a pair in turn, each timed on its own and the
// order swapped every iteration, so that other load on a shared machine falls on both alike. The
// benchmark's time is the program's; the counters give the raw time and the ratio. Each side
// answers the seconds its run took, or a negative number when it failed.
template <class Ours, class Raw> void alternate(benchmark::State& state, Ours ours, Raw raw)
{
    double oursTotal = 0, rawTotal = 0;
    bool rawFirst = false;
    for (auto _ : state) {
        double oursSeconds = 0, rawSeconds = 0;
        if (rawFirst) {
            rawSeconds = raw();
            oursSeconds = ours();
        } else {
            oursSeconds = ours();
            rawSeconds = raw();
        }
        rawFirst = !rawFirst;
        if (oursSeconds < 0 || rawSeconds < 0) {
            state.SkipWithError(oursSeconds < 0 ? "the program's side failed" : "the raw side failed");
            return;
        }
        state.SetIterationTime(oursSeconds);
        oursTotal += oursSeconds;
        rawTotal += rawSeconds;
    }
    state.counters["raw_ms"] = rawTotal * 1000 / double(state.iterations());
    state.counters["x_raw"] = oursTotal / rawTotal;
}

// One sale, committed: the program's bookSale() against the raw statements on a twin database.
void BM_Sale(benchmark::State& state)
{
    RawTill till(saleShops().raw, g_pg->socketDir());
    int ours = 0, raw = 0;
    // One sale each untimed first: its statements are prepared.
    if (!programSale(productName(kCatalogue - 1), 1) || !till.sell(productName(kCatalogue - 1), 1))
        die(QStringLiteral("the first sale failed"));
    const quint64 oursBefore = programRoundTrips(), rawBefore = till.roundTrips;
    alternate(
        state, [&] { return stopwatch([&] { return programSale(productName(ours++ % kCatalogue), 1); }); },
        [&] { return stopwatch([&] { return till.sell(productName(raw++ % kCatalogue), 1); }); });
    state.counters["round_trips"] = double(programRoundTrips() - oursBefore) / std::max(ours, 1);
    state.counters["raw_round_trips"] = double(till.roundTrips - rawBefore) / std::max(raw, 1);
}

// The product list filled from 100,000 products against a raw scan reading every cell.
void BM_ListFill(benchmark::State& state)
{
    PGconn* conn = connectTo(saleShops().program, g_pg->socketDir());
    runValues().currencySymbol = QStringLiteral("$");
    ProductListModel model;
    const auto fill = [&] {
        model.clear();
        const auto result = model.fill();
        if (!result.error.isEmpty())
            std::fprintf(stderr, "fill: %s\n", qPrintable(result.error));
        return result.complete && model.rowCount() == kCatalogue;
    };
    const auto scan = [&] {
        PGresult* result = PQexec(conn, "select * from product_info");
        const int rows = PQntuples(result), columns = PQnfields(result);
        qint64 bytes = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                benchmark::DoNotOptimize(PQgetvalue(result, r, c));
                bytes += PQgetlength(result, r, c);
            }
        benchmark::DoNotOptimize(bytes);
        PQclear(result);
        return rows == kCatalogue;
    };
    alternate(
        state, [&] { return stopwatch(fill); }, [&] { return stopwatch(scan); });
    PQfinish(conn);
}

// The raw side of the import: the products and the tax rows of every third one inserted in one
// transaction, prepared once and sent in one pipeline, as the program's batch sends them.
bool rawImport(PGconn* conn)
{
    execOrDie(conn, "BEGIN");
    if (PQenterPipelineMode(conn) != 1)
        return false;
    int sent = 0;
    for (int i = 0; i < bench::kImportRows; ++i) {
        const QByteArrayList cells = bench::importCells(i);
        const char* values[] = {cells[0].constData(), cells[3].constData(), cells[5].constData(), cells[4].constData(),
                                cells[6].constData(), cells[2].constData(), cells[1].constData(), "0",
                                cells[9].constData(), cells[7].constData()};
        if (PQsendQueryPrepared(conn, cells[8].isEmpty() ? "product" : "taxed", 10, values, nullptr, nullptr, 0) != 1)
            return false;
        ++sent;
    }
    bool ok = PQpipelineSync(conn) == 1;
    for (int i = 0; i < sent && ok; ++i) {
        PGresult* result = PQgetResult(conn);
        ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        if (!ok)
            std::fprintf(stderr, "raw import: %s", PQresultErrorMessage(result));
        PQclear(result);
        PQclear(PQgetResult(conn)); // the end of the statement's results
    }
    PQclear(PQgetResult(conn)); // the sync
    ok = PQexitPipelineMode(conn) == 1 && ok;
    execOrDie(conn, ok ? "COMMIT" : "ROLLBACK");
    return ok;
}

// A catalogue import of 10,000 products from a CSV file (read, planned and stored in one
// transaction) against the raw inserts of the same products, both into an empty catalogue
// with two tax rates.
void BM_ServerImport(benchmark::State& state)
{
    const QString program = makeShop(QStringLiteral("import"), 0, 0);
    const QString raw = makeShop(QStringLiteral("import_raw"), 0, 0);
    const std::unique_ptr<QTemporaryDir> folder = shopFolder(program);
    setAppFolder(folder->path());
    const QString csvPath = folder->filePath(QStringLiteral("products.csv"));
    QFile csv(csvPath);
    if (!csv.open(QIODevice::WriteOnly) || csv.write(bench::importCsv()) < 0)
        die(QStringLiteral("cannot write the import file"));
    csv.close();
    PGconn* programConn = connectTo(program, g_pg->socketDir());
    PGconn* rawConn = connectTo(raw, g_pg->socketDir());
    for (PGconn* conn : {programConn, rawConn})
        execOrDie(conn, "INSERT INTO marvono_tax_rate (cId, cCode, cName, cPercent, cDefault) VALUES"
                        " (1, 'A', 'Standard', '20', 1), (2, 'B', 'Reduced', '7', 0)");
    const char* insert = "INSERT INTO product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cSpare, cType,"
                         " cPic, cComment, cAlert) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10)";
    PQclear(PQprepare(rawConn, "product", insert, 0, nullptr));
    PQclear(PQprepare(rawConn, "taxed",
                      (QByteArray("WITH added AS (") + insert +
                       " RETURNING mv_key) INSERT INTO marvono_product_tax (cProductKey, cRate)"
                       " SELECT mv_key, 1 FROM added")
                          .constData(),
                      0, nullptr));
    const auto emptied = [](PGconn* conn) {
        execOrDie(conn, "TRUNCATE product_info, marvono_product_tax, change");
        return true;
    };
    // Timed: the file read and the import applied, which plans every row again once the catalogue
    // is locked; the preview before it is timed apart (preview_ms).
    double previewSeconds = 0;
    const auto import = [&]() -> double {
        if (!emptied(programConn))
            return -1;
        QString error;
        const auto start = Clock::now();
        const std::optional<CatalogueFile> file = readCatalogueFile(csvPath, &error);
        const ImportMapping mapping = file ? guessMapping(file->header) : ImportMapping{};
        const double read = secondsSince(start);
        const auto previewStart = Clock::now();
        const std::optional<ImportPlan> preview = file ? previewImport(*file, mapping, &error) : std::nullopt;
        previewSeconds += secondsSince(previewStart);
        const auto applyStart = Clock::now();
        const ImportResult result = preview ? applyImport(*file, mapping) : ImportResult{};
        const double applied = secondsSince(applyStart);
        if (result.ok && result.plan.count(RowAction::New) == bench::kImportRows)
            return read + applied;
        std::fprintf(stderr, "import: %s %s\n", qPrintable(error), qPrintable(result.error));
        return -1;
    };
    alternate(state, import, [&] { return emptied(rawConn) ? stopwatch([&] { return rawImport(rawConn); }) : -1; });
    state.counters["preview_ms"] = previewSeconds * 1000 / double(state.iterations());
    PQfinish(programConn);
    PQfinish(rawConn);
}

// A till process waiting on stdin for the word to start.
struct TillProcess {
    QProcess process;
    QByteArray line()
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(120000))
                return QByteArrayLiteral("no answer: ") + process.readAllStandardError();
        return process.readLine().trimmed();
    }
};

// Four tills of one kind ("program" or "raw") on `target` (a folder or a connection string), each
// selling kSalesPerTill times: the seconds from the start signal to the last till done, or -1.
// Adds the processor time the tills spent selling (their own, not the server's) to `tillCpu`.
double tillsRound(const QString& kind, const QString& target, double* tillCpu)
{
    std::vector<std::unique_ptr<TillProcess>> tills;
    for (int seed = 1; seed <= kTills; ++seed) {
        auto till = std::make_unique<TillProcess>();
        till->process.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--till"), kind, target, QString::number(kSalesPerTill), QString::number(seed)});
        tills.push_back(std::move(till));
    }
    QByteArray trouble;
    for (auto& till : tills)
        if (const QByteArray answer = till->line(); answer != "ready")
            trouble = answer;
    const auto start = Clock::now();
    for (auto& till : tills)
        till->process.write("go\n");
    for (auto& till : tills) {
        const QByteArray answer = till->line();
        if (answer.startsWith("done "))
            *tillCpu += answer.mid(5).toDouble();
        else if (trouble.isEmpty())
            trouble = answer;
    }
    const double elapsed = secondsSince(start);
    for (auto& till : tills) {
        till->process.closeWriteChannel();
        till->process.waitForFinished();
        if (trouble.isEmpty() && till->process.exitCode() != 0)
            trouble = till->process.readAllStandardError();
    }
    if (trouble.isEmpty())
        return elapsed;
    std::fprintf(stderr, "%s tills: %s\n", qPrintable(kind), trouble.constData());
    return -1;
}

// Four tills selling the same three products at once: program processes against raw ones.
void BM_FourTills(benchmark::State& state)
{
    // Stock for far more sales than a run makes: no sale is turned away.
    static const QString program = makeShop(QStringLiteral("tills"), kTillProducts, 100000000);
    static const QString raw = makeShop(QStringLiteral("tills_raw"), kTillProducts, 100000000);
    static const std::unique_ptr<QTemporaryDir> folder = shopFolder(program);
    double oursCpu = 0, rawCpu = 0;
    alternate(
        state, [&] { return tillsRound(QStringLiteral("program"), folder->path(), &oursCpu); },
        [&] { return tillsRound(QStringLiteral("raw"), raw, &rawCpu); });
    const double sales = double(kTills) * kSalesPerTill;
    if (state.counters.count("x_raw")) {
        state.counters["till_cpu_us"] = oursCpu * 1e6 / (sales * double(state.iterations()));
        state.counters["raw_till_cpu_us"] = rawCpu * 1e6 / (sales * double(state.iterations()));
        const double rawSalesPerSecond = sales / (state.counters["raw_ms"] / 1000);
        state.counters["raw_sales_per_s"] = rawSalesPerSecond;
        state.counters["sales_per_s"] = rawSalesPerSecond / state.counters["x_raw"];
        state.counters["throughput_x_raw"] = 1 / state.counters["x_raw"];
    }
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The child side: bench_server --till program|raw FOLDER|CONNINFO SALES SEED. Quantities 1 to 3
// and products drawn from the seed, so both kinds make the same sales.
int runTill(const QStringList& args)
{
    const bool program = args.at(2) == QLatin1String("program");
    const int sales = args.at(4).toInt();
    std::mt19937 random(args.at(5).toUInt());
    std::uniform_int_distribution<int> pickProduct(0, kTillProducts - 1);
    std::uniform_int_distribution<int> pickQuantity(1, 3);
    std::unique_ptr<RawTill> raw;
    if (program)
        setAppFolder(args.at(3));
    else
        raw = std::make_unique<RawTill>(args.at(3), QString());
    const auto sell = [&]() {
        const QByteArray product = productName(pickProduct(random));
        const int quantity = pickQuantity(random);
        return program ? programSale(product, quantity) : raw->sell(product, quantity);
    };
    if (!sell())
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    char go[16];
    if (!std::fgets(go, sizeof go, stdin))
        return 1;
    const double cpuAtStart = cpuSeconds();
    for (int i = 0; i < sales; ++i)
        if (!sell())
            return 1;
    std::printf("done %.6f\n", cpuSeconds() - cpuAtStart);
    std::fflush(stdout);
    return 0;
}

BENCHMARK(BM_Sale)->Unit(benchmark::kMicrosecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_ListFill)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_FourTills)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);
BENCHMARK(BM_ServerImport)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args.at(1) == QLatin1String("--till"))
        return runTill(args);
    benchmark::Initialize(&argc, argv);
    BenchServer server;
    if (!server.start())
        die(QStringLiteral("cannot start the private PostgreSQL server: ") + server.error());
    g_pg = &server;
    const QString settings =
        test::pgRows(server.maintenanceConnection(),
                     QStringLiteral("SELECT 'fsync=' || current_setting('fsync') || ', synchronous_commit=' || "
                                    "current_setting('synchronous_commit') || ', wal_sync_method=' || "
                                    "current_setting('wal_sync_method')"))
            .value(0);
    std::printf("bench_server: %s: %s\n",
                server.socketDir().isEmpty() ? "the server of MARVONO_BENCH_SERVER"
                                             : "private PostgreSQL 15 server, durable as a shop runs it",
                qPrintable(settings));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Database::instance().close();
    server.stop();
    return 0;
}
