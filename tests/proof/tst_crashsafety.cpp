// Kills a process with SIGKILL while it books sales or rewrites settings and buyer files, and
// checks that nothing is ever half written: the database stays intact and every sale is either
// wholly there or wholly absent; the files hold the old or the new content, never a mixture.
#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "app/settings.h"
#include "bills/buyerlist.h"
#include "data/database.h"
#include "data/recordset.h"
#include "sales/sale.h"
#include "support/testsupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <csignal>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

namespace {

constexpr int kStartStock = 1000000;

// Child side: endless work until killed.
int childMain(const QString& mode, const QString& folder)
{
    setAppFolder(folder);
    // "ready" follows the first piece of work, so the kill lands among the writes rather than
    // during start-up.
    auto ready = []() {
        std::printf("ready\n");
        std::fflush(stdout);
    };
    if (mode == QLatin1String("sell")) {
        for (bool first = true;; first = false) {
            if (bookSale(QStringLiteral("Tea"), QStringLiteral("1")).outcome != SaleOutcome::Sold)
                return 3;
            if (first)
                ready();
        }
    }
    // Alternate two complete versions of setup.dat and tables.dat.
    QStringList buyersA, buyersB;
    for (int i = 0; i < 400; ++i) {
        buyersA.append(QStringLiteral("buyerA%1").arg(i));
        buyersB.append(QStringLiteral("buyerB%1").arg(i));
    }
    const ShopSettings a{true, QString(2000, QLatin1Char('a')), QStringLiteral("$")};
    const ShopSettings b{false, QString(3000, QLatin1Char('b')), QStringLiteral("EUR")};
    for (bool flip = false;; flip = !flip) {
        saveSetup(flip ? a : b);
        writeBuyerList(flip ? buyersA : buyersB);
        if (!flip)
            ready();
    }
}

QString integrityOf(const QString& path)
{
    QString error;
    // Read-write, as the program opens it: a hot journal left by the kill is rolled back here.
    sqlite3* db = openEncrypted(path, false, &error);
    if (!db)
        return QStringLiteral("cannot open: ") + error;
    QString result;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

// Starts the child, lets it work for a random moment and kills it.
bool runAndKill(const QString& mode, const QString& folder, int maxDelayMs)
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--child"), mode, folder});
    child.start();
    if (!child.waitForReadyRead(20000))
        return false;
    QTest::qSleep(int(QRandomGenerator::global()->bounded(maxDelayMs + 1)));
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished(20000);
    return child.exitStatus() == QProcess::CrashExit;
}

int kills()
{
    return qEnvironmentVariableIntValue("MARVONO_KILLS") > 0 ? qEnvironmentVariableIntValue("MARVONO_KILLS") : 200;
}

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void salesSurviveKills();
    void filesSurviveKills();
};

void TestCrashSafety::salesSurviveKills()
{
    test::TempAppFolder folder;
    QVERIFY(writeBuyerList({"A1"}));
    auto set = ExecSQL("select * from product_info");
    set->addNew();
    set->setField(0, "Tea");
    set->setField(1, "1");
    set->setField(2, QString::number(kStartStock));
    set->setField(3, "2");
    set->setField(4, QString::number(kStartStock));
    set->setField(9, "0");
    QVERIFY(set->update());
    Database::instance().close();

    int killedMidWork = 0;
    for (int round = 0; round < kills(); ++round) {
        killedMidWork += runAndKill(QStringLiteral("sell"), folder.path(), 60) ? 1 : 0;
        Database::instance().close();
        const QString integrity = integrityOf(folder.file("system32.dll"));
        QCOMPARE(integrity, QStringLiteral("ok"));
        // Every sale booked is there whole: stock, bill line and ledger quantity agree.
        auto product = ExecSQL("select * from product_info where cName=?", {"Tea"});
        QVERIFY(product && !product->isEof());
        const qint64 sold = kStartStock - product->text(4).toLongLong();
        const qint64 lines = ExecSQL("select * from Bill where ctable=?", {"A1"})->count();
        double ledger = 0;
        for (auto rows = ExecSQL("select * from PanDian where cname=?", {"Tea"}); !rows->isEof(); rows->moveNext())
            ledger += rows->text(3).toDouble();
        QCOMPARE(lines, sold);
        QCOMPARE(qint64(ledger), sold);
        Database::instance().close();
    }
    QVERIFY(killedMidWork == kills());
    const qint64 booked = kStartStock - ExecSQL("select * from product_info")->text(4).toLongLong();
    qInfo("%d kills; %lld sales booked", kills(), booked);
    QVERIFY(booked > kills()); // the kills landed while sales were being written
}

void TestCrashSafety::filesSurviveKills()
{
    test::TempAppFolder folder(false);
    QStringList buyersA, buyersB;
    for (int i = 0; i < 400; ++i) {
        buyersA.append(QStringLiteral("buyerA%1").arg(i));
        buyersB.append(QStringLiteral("buyerB%1").arg(i));
    }
    const QByteArray setupA = formatQuotedItems({"1", QString(2000, 'a'), "1", "$"});
    const QByteArray setupB = formatQuotedItems({"0", QString(3000, 'b'), "1", "EUR"});
    const QByteArray setupOld = test::fileBytes(folder.file("setup.dat"));
    for (int round = 0; round < kills(); ++round) {
        QVERIFY(runAndKill(QStringLiteral("files"), folder.path(), 40));
        const QByteArray setup = test::fileBytes(folder.file("setup.dat"));
        QVERIFY2(setup == setupA || setup == setupB || setup == setupOld, "setup.dat half written");
        QVERIFY(loadSetup());
        if (QFile::exists(buyerListPath())) {
            const QStringList buyers = readBuyerList();
            QVERIFY2(buyers == buyersA || buyers == buyersB, "tables.dat half written");
        }
    }
    // No temporary files are left to pile up beside them... beyond the one a kill may leave.
    const QStringList leftovers = QDir(folder.path()).entryList({"setup.dat.*"}, QDir::Files);
    QVERIFY(leftovers.size() <= kills());
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        return childMain(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
