// Backup and recovery when the shop lives on a server: pg_dump archives, checked before restoring.
#include "data/backup.h"
#include "data/pgbackup.h"
#include "data/pgschema.h"
#include "support/pgserver.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>
#include <libpq-fe.h>

using namespace marvono;

namespace {

const QString kProducts = "select cName, cLeastQty from product_info order by mv_key";

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool createShop(const QString& conninfo, int version = kSchemaVersion)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QString error;
    const bool ok = createShopSchema(conn, &error, version);
    PQfinish(conn);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

} // namespace

class TestServerBackup : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void roundTripRestoresTablesAndAnnouncement();
    void refusedArchivesLeaveLiveData_data();
    void refusedArchivesLeaveLiveData();
    void failedBackupKeepsOldFile();

  private:
    // An application folder pointed at a fresh shop database holding Tea and Cake.
    QString freshShop(test::TempAppFolder& folder, const QString& name);
    test::PgTestServer m_server;
    int m_databases = 0;
};

void TestServerBackup::initTestCase()
{
    MARVONO_START_PG(m_server);
}

QString TestServerBackup::freshShop(test::TempAppFolder& folder, const QString& name)
{
    const QString conninfo = m_server.createDatabase(name + QString::number(++m_databases));
    if (conninfo.isEmpty() || !createShop(conninfo))
        return {};
    test::pgRows(conninfo, "insert into product_info (cName, cLeastQty, cPic) values ('Tea', '40', 1), "
                           "('Cake', '007', 2)");
    writeBytes(folder.file("shopserver.conf"), "# the shop server\nconnection=" + conninfo.toUtf8() + "\n");
    return conninfo;
}

void TestServerBackup::roundTripRestoresTablesAndAnnouncement()
{
    test::TempAppFolder folder(false);
    const QString shop = freshShop(folder, "roundtrip");
    QVERIFY(!shop.isEmpty());
    const QStringList before = test::pgRows(shop, kProducts);
    QCOMPARE(before, QStringList({"Tea|40", "Cake|007"}));
    const QString archive = folder.file("shop.DBK");
    QVERIFY(writeBytes(archive, "an older backup"));
    QString error;
    QVERIFY2(backupDatabase(archive, &error), qPrintable(error));
    QVERIFY(readBytes(archive).startsWith("PGDMP"));
    QCOMPARE(QFile::permissions(archive) & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner);

    test::pgRows(shop, "delete from product_info where cName = 'Tea'");
    test::pgRows(shop, "insert into product_info (cName) values ('Late')");
    test::pgRows(shop, "drop table change");
    test::pgRows(shop, "create table extra (a int); create function extra() returns int language sql as 'select 1'");
    QVERIFY2(recoverDatabase(archive, &error), qPrintable(error));
    QCOMPARE(test::pgRows(shop, kProducts), before);
    QCOMPARE(test::pgValue(shop, "select count(*) from change"), QStringLiteral("0"));
    QCOMPARE(test::pgRows(shop, "select relname from pg_class where relname = 'extra' union all "
                                "select proname from pg_proc where proname = 'extra'"),
             QStringList());
    // New rows after a recovery still get keys past the restored ones.
    test::pgRows(shop, "insert into product_info (cName) values ('After')");
    QCOMPARE(test::pgValue(shop, "select count(distinct mv_key) from product_info"), QStringLiteral("3"));
    // The other tills still hear of catalogue changes, and number texts are still checked.
    QCOMPARE(test::pgValue(shop, "select count(*) from pg_trigger where tgname = 'product_info_announce'"),
             QStringLiteral("1"));
    QVERIFY(
        test::pgValue(shop, "insert into product_info (cName, cInPrice) values ('Bad', 'abc')").startsWith("<failed"));

    // A recovery made at another till: this till's statements, prepared before it, read the
    // restored tables.
    test::pgRows(shop, "delete from product_info");
    QCOMPARE(test::rowsOf(kProducts), QStringList());
    QVERIFY2(recoverShopServer(shop, archive, &error), qPrintable(error));
    QCOMPARE(test::rowsOf(kProducts), before);

    // The version before's rows lack the columns added since to the program's own tables.
    const QString older = m_server.createDatabase("older");
    QVERIFY(createShop(older, kSchemaVersion - 1));
    test::pgRows(older, "insert into marvono_sale (cId) values ('a sale')");
    QVERIFY2(backupShopServer(older, archive, &error) && recoverShopServer(shop, archive, &error), qPrintable(error));
    QCOMPARE(test::pgRows(shop, "select * from marvono_sale"), QStringList{"a sale|<null>|<null>|<null>|<null>"});
}

void TestServerBackup::refusedArchivesLeaveLiveData_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not an archive") << "text";
    QTest::newRow("archive of another database") << "foreign";
    QTest::newRow("archive cut short") << "truncated";
    QTest::newRow("archive damaged in its last table") << "damaged";
    QTest::newRow("missing file") << "missing";
    QTest::newRow("archive with a trigger of its own") << "trigger";
    QTest::newRow("negative stock") << "insert into product_info (cName, cLeastQty) values ('Tea', '-2')";
    QTest::newRow("two products of one name") << "insert into product_info (cName) values ('Tea'), ('Tea')";
    QTest::newRow("no login account") << "delete from user_info";
    QTest::newRow("receipt counter below a receipt") << "insert into marvono_receipt (cNumber) values (3)";
}

void TestServerBackup::refusedArchivesLeaveLiveData()
{
    QFETCH(QString, kind);
    test::TempAppFolder folder(false);
    const QString shop = freshShop(folder, "refused");
    QVERIFY(!shop.isEmpty());
    const QString bad = folder.file("bad.DBK");
    QString error;
    if (kind == "text") {
        QVERIFY(writeBytes(bad, "PGDMP but nothing else\n"));
    } else if (kind == "foreign") {
        const QString other = m_server.createDatabase("other" + QString::number(++m_databases));
        test::pgRows(other, "create table product_info (a int); insert into product_info values (1)");
        QVERIFY2(backupShopServer(other, bad, &error), qPrintable(error));
    } else if (kind == "trigger" || kind.contains(' ')) {
        const QString other = m_server.createDatabase("crafted" + QString::number(++m_databases));
        QVERIFY(createShop(other));
        test::pgRows(other, kind == "trigger"
                                ? QString("create function zero() returns trigger language plpgsql as "
                                          "$$begin new.cOutPrice := '0'; return new; end$$; create trigger "
                                          "zero before update on product_info for each row execute function "
                                          "zero()")
                                : kind);
        QVERIFY2(backupShopServer(other, bad, &error), qPrintable(error));
    } else if (kind == "truncated" || kind == "damaged") {
        test::pgRows(shop, "insert into product_info (cName, cComment) select 'P' || g, repeat(md5(g::text), 40) "
                           "from generate_series(1, 3000) g");
        QVERIFY2(backupShopServer(shop, bad, &error), qPrintable(error));
        QByteArray bytes = readBytes(bad);
        if (kind == "truncated") {
            bytes.truncate(bytes.size() * 2 / 3);
        } else {
            // The contents list stays whole, so the archive passes the check and only the
            // restore, tables into it, finds the compressed data broken.
            for (qsizetype i = bytes.size() - 60; i < bytes.size() - 20; ++i)
                bytes[i] = 'x';
        }
        QVERIFY(writeBytes(bad, bytes));
        if (kind == "damaged")
            QVERIFY2(isShopServerArchive(bad, &error), qPrintable(error));
        test::pgRows(shop, "delete from product_info where cName like 'P%'");
    }
    const QStringList products = test::pgRows(shop, kProducts);
    const QStringList tables = test::pgRows(shop, "select tablename from pg_tables where schemaname = 'public' "
                                                  "order by 1");
    QVERIFY(!recoverDatabase(bad, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(test::pgRows(shop, kProducts), products);
    QCOMPARE(test::pgRows(shop, "select tablename from pg_tables where schemaname = 'public' order by 1"), tables);
    QCOMPARE(test::pgValue(shop, "select count(*) from pg_proc where proname = 'zero'"), QStringLiteral("0"));
}

void TestServerBackup::failedBackupKeepsOldFile()
{
    test::TempAppFolder folder(false);
    QVERIFY(writeBytes(folder.file("shopserver.conf"), "connection=host=/nonexistent/socket dbname=shop\n"));
    const QString target = folder.file("kept.DBK");
    QVERIFY(writeBytes(target, "the last good backup"));
    QString error;
    QVERIFY(!backupDatabase(target, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(target), QByteArray("the last good backup"));
    QCOMPARE(QDir(folder.path()).entryList({"kept*"}, QDir::Files | QDir::Hidden), QStringList({"kept.DBK"}));
}

QTEST_MAIN(TestServerBackup)
#include "tst_serverbackup.moc"
