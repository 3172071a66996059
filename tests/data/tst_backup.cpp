// Backup and recovery of the database file, from the menu commands and the copy underneath.
#include "app/ui/mainwindow.h"
#include "bills/bill.h"
#include "catalogue/ui/productlistmodel.h"
#include "data/backup.h"
#include "data/database.h"
#include "data/pgengine.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "support/history_dialogs.h"
#include "support/pgserver.h"
#include "support/shopdata.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QtTest>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Product names held by a database file other than the live one.
QStringList productsIn(const QString& path)
{
    sqlite3* db = openEncrypted(path, true, nullptr);
    if (!db)
        return {QStringLiteral("<not a database>")};
    QStringList names;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT cName FROM product_info ORDER BY cName", -1, &statement, nullptr);
    while (statement && sqlite3_step(statement) == SQLITE_ROW)
        names.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    sqlite3_close_v2(db);
    return names;
}

void addProduct(const QString& name)
{
    ExecSQL("insert into product_info (cName) values (?)", {name});
}

QStringList liveProducts()
{
    return test::rowsOf("select cName from product_info order by cName");
}

// Files in a folder other than the given ones, to catch temporary copies left behind.
QStringList strayFiles(const QString& folder, const QStringList& expected)
{
    QStringList stray = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : expected)
        stray.removeAll(name);
    return stray;
}

// The version the open shop database records.
QString storedVersion()
{
    return test::rowsOf(test::serverEngine() ? "select version from marvono_schema" : "pragma user_version").value(0);
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() { test::logInAsShopOwner(true); }
    void cleanup() { test::limitFileSize(-1); }
    void backupReplacesExistingFile();
    void roundTripIsByteIdentical();
    void cancelDoesNothing();
    void recoveryRefusesForeignFiles_data();
    void recoveryRefusesForeignFiles();
    void failedCopyLeavesDestination();
    void backupDuringWritesIsConsistent();
    void olderDatabasesAreUpgraded();
};

void TestBackup::backupReplacesExistingFile()
{
    MARVONO_EMBEDDED_ONLY();
    test::TempAppFolder folder;
    addProduct("Tea");
    MainWindow window;
    const QString target = folder.file("old.DBK");
    QVERIFY(writeBytes(target, "an older backup"));

    test::FileDialogAnswerer dialog(target);
    test::BoxAnswerer box;
    window.runCommand(Command::Backup);
    QVERIFY(dialog.wait());
    QCOMPARE(dialog.dialog().objectName, QStringLiteral("CD"));
    QCOMPARE(dialog.dialog().acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(dialog.dialog().nameFilters, QStringList{"Database backup filetype(*.DBK) (*.dbk *.DBK)"});
    QVERIFY(box.wait());
    QCOMPARE(box.box().title, QStringLiteral("successful"));
    QCOMPARE(box.box().text, QStringLiteral("Backup successfully."));
    QCOMPARE(box.box().icon, QMessageBox::Warning);
    QCOMPARE(test::fileBytes(target), test::fileBytes(folder.file("system32.dll")));
    QCOMPARE(productsIn(target), QStringList{"Tea"});
    QCOMPARE(QFile::permissions(target) & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(strayFiles(folder.path(), {"old.DBK", "system32.dll", "setup.dat"}), QStringList());
}

void TestBackup::roundTripIsByteIdentical()
{
    test::TempAppFolder folder;
    addProduct("Tea");
    MainWindow window;
    const QString live = folder.file("system32.dll");
    // Any extension will do; the filter only proposes one.
    const QString target = folder.file("monday.bak");
    const QString kept =
        folder.file(test::serverEngine() ? "shopserver-before-recovery.DBK" : "system32.dll.before-recovery");
    QVERIFY(writeBytes(kept, "an older copy"));
    const QByteArray original = test::fileBytes(live);
    {
        test::FileDialogAnswerer dialog(target);
        test::BoxAnswerer box;
        window.runCommand(Command::Backup);
        QVERIFY(box.wait());
        QCOMPARE(box.box().text, QStringLiteral("Backup successfully."));
    }
    addProduct("Coffee");
    QCOMPARE(liveProducts(), (QStringList{"Coffee", "Tea"}));
    window.fillProductList();
    window.findChild<QLabel*>("lblName")->setText("Coffee");
    QVERIFY(test::writeBuyers({"B2"}));

    test::FileDialogAnswerer dialog(target);
    test::BoxAnswerer box;
    window.runCommand(Command::Recovery);
    QVERIFY(dialog.wait());
    QCOMPARE(dialog.dialog().objectName, QStringLiteral("CD"));
    QCOMPARE(dialog.dialog().acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(dialog.dialog().nameFilters, QStringList{"Database backup filetype(*.DBK) (*.dbk *.DBK)"});
    QVERIFY(box.wait());
    QCOMPARE(box.box().title, QStringLiteral("OK"));
    QCOMPARE(box.box().text, "Recovery successfully.\r\nThe data it replaced is kept in " + kept);
    QCOMPARE(box.box().icon, QMessageBox::Warning);
    QCOMPARE(test::fileBytes(live), original);
    QCOMPARE(liveProducts(), QStringList{"Tea"});
    // What the window shows follows the recovered database without waiting for another command.
    QTRY_COMPARE(window.productModel()->rowCount(), 1);
    QCOMPARE(window.productModel()->cellText(0, ProductListModel::Name), QStringLiteral("Tea"));
    QCOMPARE(window.buyerCombo()->itemText(0), QStringLiteral("B2"));
    QCOMPARE(window.findChild<QLabel*>("lblName")->text(), QStringLiteral("-"));
    // The replaced data is kept, owner-only, and can be recovered in turn.
    QCOMPARE(QFile::permissions(kept) & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(recoverDatabase(kept));
    QCOMPARE(liveProducts(), (QStringList{"Coffee", "Tea"}));
}

void TestBackup::cancelDoesNothing()
{
    test::TempAppFolder folder;
    MainWindow window;
    const QString live = folder.file("system32.dll");
    const QString target = folder.file("a.DBK");
    {
        test::FileDialogAnswerer dialog(target);
        test::BoxAnswerer box;
        window.runCommand(Command::Backup);
        QVERIFY(box.wait());
    }
    addProduct("Tea");
    const QByteArray liveBefore = test::fileBytes(live);
    const QByteArray targetBefore = test::fileBytes(target);
    for (Command command : {Command::Backup, Command::Recovery}) {
        test::FileDialogAnswerer dialog(QString{});
        test::BoxAnswerer box;
        window.runCommand(command);
        QVERIFY(dialog.dialog().seen);
        QVERIFY(!box.box().seen);
    }
    QCOMPARE(test::fileBytes(live), liveBefore);
    QCOMPARE(test::fileBytes(target), targetBefore);
    QCOMPARE(liveProducts(), QStringList{"Tea"});
}

void TestBackup::recoveryRefusesForeignFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text file") << "text";
    QTest::newRow("unencrypted database") << "plain";
    QTest::newRow("database without the change table") << "DROP TABLE change";
    QTest::newRow("database without the stock moves") << "DROP TABLE marvono_stock_move";
    QTest::newRow("negative stock") << "INSERT INTO product_info (cName, cLeastQty) VALUES ('Tea', ' -2')";
    QTest::newRow("two products of one name") << "INSERT INTO product_info (cName) VALUES ('Tea'), ('Tea')";
    QTest::newRow("no login account") << "DELETE FROM user_info";
    QTest::newRow("receipt counter below a receipt") << "INSERT INTO marvono_receipt (cNumber) VALUES (3)";
}

void TestBackup::recoveryRefusesForeignFiles()
{
    QFETCH(QString, kind);
    test::TempAppFolder folder;
    addProduct("Tea");
    MainWindow window;
    const QString live = folder.file("system32.dll");
    const QString source = folder.file("foreign.DBK");
    if (kind == "text") {
        QVERIFY(writeBytes(source, "\"not a database\"\r\n"));
    } else if (kind == "plain") {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(source.toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "CREATE TABLE product_info(cName); CREATE TABLE Bill(x); CREATE TABLE PanDian(x);"
                              "CREATE TABLE user_info(x); CREATE TABLE change(x);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
    } else {
        QVERIFY(createDeliveredDatabase(source, nullptr));
        sqlite3* db = openEncrypted(source, false, nullptr);
        QVERIFY(db);
        QCOMPARE(sqlite3_exec(db, qPrintable(kind), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    const QByteArray liveBefore = test::fileBytes(live);

    test::FileDialogAnswerer dialog(source);
    test::BoxAnswerer box;
    window.runCommand(Command::Recovery);
    QVERIFY(box.wait());
    QCOMPARE(box.box().title, QStringLiteral("error"));
    QVERIFY2(box.box().text.startsWith("(main)Recovery error\r\n"), qPrintable(box.box().text));
    QCOMPARE(box.box().icon, QMessageBox::Warning);
    QCOMPARE(test::fileBytes(live), liveBefore);
    QCOMPARE(liveProducts(), QStringList{"Tea"});
}

void TestBackup::failedCopyLeavesDestination()
{
    MARVONO_EMBEDDED_ONLY();
    test::TempAppFolder folder;
    addProduct("Tea");
    const QString live = folder.file("system32.dll");
    const QString target = folder.file("old.DBK");
    QVERIFY(writeBytes(target, "an older backup"));
    const QStringList expected{"old.DBK", "system32.dll", "setup.dat"};

    // Part way through the copy.
    test::limitFileSize(4096);
    QVERIFY(!backupDatabase(target));
    QCOMPARE(test::fileBytes(target), QByteArray("an older backup"));
    QCOMPARE(strayFiles(folder.path(), expected), QStringList());

    // The database itself, a folder that does not exist, and a source that cannot be read as a file.
    const QByteArray liveBytes = test::fileBytes(live);
    QVERIFY(!backupDatabase(live));
    QCOMPARE(test::fileBytes(live), liveBytes);
    test::limitFileSize(-1);
    QVERIFY(!backupDatabase(folder.file("no such folder/x.DBK")));
    QVERIFY(!copyFileAtomically(folder.file("qexclient"), target));
    QCOMPARE(test::fileBytes(target), QByteArray("an older backup"));

    // A recovery that fails while copying leaves the live database whole.
    const QString good = folder.file("good.DBK");
    QVERIFY(backupDatabase(good));
    addProduct("Coffee");
    const QByteArray liveBefore = test::fileBytes(live);
    test::limitFileSize(4096);
    QVERIFY(!recoverDatabase(good));
    QCOMPARE(test::fileBytes(live), liveBefore);
    QCOMPARE(liveProducts(), (QStringList{"Coffee", "Tea"}));
    QCOMPARE(strayFiles(folder.path(), expected + QStringList{"good.DBK"}), QStringList());

    // The menu reports the failure.
    test::limitFileSize(4096);
    MainWindow window;
    test::FileDialogAnswerer dialog(target);
    test::BoxAnswerer box;
    window.runCommand(Command::Backup);
    QVERIFY(box.wait());
    QCOMPARE(box.box().title, QStringLiteral("error"));
    QVERIFY2(box.box().text.startsWith("(main)Backup error\r\nCannot write " + target + ": "),
             qPrintable(box.box().text));
    QCOMPARE(test::fileBytes(target), QByteArray("an older backup"));
}

void TestBackup::backupDuringWritesIsConsistent()
{
    MARVONO_EMBEDDED_ONLY();
    test::TempAppFolder folder;
    addProduct("Tea");
    const QString target = folder.file("during.DBK");
    {
        // An open record set holds nothing that would make the copy inconsistent.
        auto held = ExecSQL("select * from product_info");
        QVERIFY(held);
        QVERIFY(held->setField(1, "12"));
        QVERIFY(held->update());
        QVERIFY(backupDatabase(target));
        QVERIFY(isDatabaseOfThisProgram(target));
        QCOMPARE(productsIn(target), QStringList{"Tea"});
    }
    {
        // Changes not yet committed are not in the copy, and the copy is whole.
        Transaction transaction;
        QVERIFY(transaction.isActive());
        addProduct("Coffee");
        QVERIFY(backupDatabase(target));
        QCOMPARE(productsIn(target), QStringList{"Tea"});
        QVERIFY(transaction.commit());
    }
    QVERIFY(backupDatabase(target));
    QCOMPARE(productsIn(target), (QStringList{"Coffee", "Tea"}));

    // Without a live database there is nothing to back up.
    QVERIFY(QFile::remove(folder.file("system32.dll")));
    Database::instance().close();
    QVERIFY(!backupDatabase(target));
    QCOMPARE(productsIn(target), (QStringList{"Coffee", "Tea"}));
}

void TestBackup::olderDatabasesAreUpgraded()
{
    test::TempAppFolder folder(true, 1);
    const QString backup = folder.file("first.DBK");
    QVERIFY(backupDatabase(backup));
    if (test::serverEngine()) {
        // A role that does not own the tables cannot upgrade them, and is told who can.
        const QString shop = readShopServerConfig(folder.path(), nullptr)->connection;
        test::pgRows(shop, "create role clerk login; grant select on all tables in schema public to clerk");
        QString error;
        QVERIFY(!PgEngine::connect(ShopServerConfig{shop + " user=clerk", {}, {}}, &error));
        QVERIFY2(error.contains("only its owner can upgrade it"), qPrintable(error));
    }
    // Longer than a tree index of the first version takes, even compressed.
    QString name;
    for (int i = 0; i < 200; ++i)
        name += QUuid::createUuid().toString();
    addProduct(name);
    QCOMPARE(storedVersion(), QString::number(kSchemaVersion));
    QCOMPARE(liveProducts(), QStringList{name});
    // Receipts of the upgraded database go with its backup, and their numbers go on after it.
    QVERIFY(test::addBillRow("t", "A1", "Tea", "1", "1", "1"));
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    const QString withReceipts = folder.file("receipts.DBK");
    QVERIFY(backupDatabase(withReceipts));
    QVERIFY(recoverDatabase(backup));
    QCOMPARE(test::rowsOf("select count(*) from marvono_receipt"), QStringList{"0"});
    QVERIFY(recoverDatabase(withReceipts));
    QCOMPARE(test::rowsOf("select cReceipt, cProduct from marvono_receipt_line"), QStringList{"1|Tea"});
    QCOMPARE(test::rowsOf("select cReceipt, cKind, cAmount from marvono_tender"), QStringList{"1|cash|1"});
    QVERIFY(test::addBillRow("t", "A1", "Cake", "1", "1", "1"));
    QCOMPARE(settleBill("A1"), Settlement::Settled);
    QCOMPARE(test::rowsOf("select cNumber from marvono_receipt order by cNumber"), (QStringList{"1", "2"}));
    QVERIFY(recoverDatabase(backup));
    QCOMPARE(liveProducts(), QStringList());
    QCOMPARE(storedVersion(), QString::number(kSchemaVersion));
    addProduct(name);
    QCOMPARE(liveProducts(), QStringList{name});
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
