// ExecSQL, the record set and the encrypted database file.
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>
#include <sqlcipher/sqlite3.h>

using namespace marvono;

class TestExecSql : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void queryMessagesAndClassification();
    void actionClassification_data();
    void actionClassification();
    void failures();
    void wrongKeyAndPlainFile();
    void recordSetWalkAndWrite();
    void numberColumns();
    void apostrophesAreBound();
    void keysetAndVisibility();
    void transactionRollsBack();
    void fileIsEncrypted();
};

void TestExecSql::queryMessagesAndClassification()
{
    test::TempAppFolder folder;
    QString message;
    auto set = ExecSQL("select * from product_info", message);
    QVERIFY(set);
    QVERIFY(set->isEof());
    QCOMPARE(message, QStringLiteral("find 0 Records"));
    QCOMPARE(set->columnCount(), 10);

    set = ExecSQL("SELECT * FROM USER_INFO", message);
    QVERIFY(set);
    QCOMPARE(message, QStringLiteral("find 1 Records"));
    QCOMPARE(set->text(0), QStringLiteral("vetch"));
    QVERIFY(Database::instance().engine(nullptr)->passwordMatches(set->text(1), QStringLiteral("vetch")));

    for (int i = 0; i < 3; ++i) {
        set = ExecSQL("select * from Bill", message);
        set->addNew();
        set->setField(0, QString::number(i));
        QVERIFY(set->update());
    }
    set = ExecSQL("select * from bill", message);
    QCOMPARE(message, QStringLiteral("find 3 Records"));
    QCOMPARE(set->count(), 3);
}

void TestExecSql::actionClassification_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("message");
    QTest::newRow("mixed case update") << "Update Bill set ctable='x'"
                                       << "UpdateQuery successful!";
    QTest::newRow("lower insert") << "insert into Bill (ctime) values ('1')"
                                  << "insertQuery successful!";
    QTest::newRow("delete") << "DELETE from Bill"
                            << "DELETEQuery successful!";
}

void TestExecSql::actionClassification()
{
    test::TempAppFolder folder;
    QFETCH(QString, statement);
    QFETCH(QString, message);
    QString got;
    QVERIFY(!ExecSQL(statement, got));
    QCOMPARE(got, message);
}

void TestExecSql::failures()
{
    test::TempAppFolder folder;
    QString message;
    // Pieces of the literal count as actions and fail at execution; SET is a query.
    QVERIFY(!ExecSQL("INS into x", message));
    QVERIFY(message.startsWith("Error:"));
    QVERIFY(!ExecSQL("T", message));
    QVERIFY(message.startsWith("Error:"));
    QVERIFY(!ExecSQL(" select * from product_info", message)); // empty first word: an action
    QCOMPARE(message, QStringLiteral("Query successful!"));
    QVERIFY(!ExecSQL("", message));
    QVERIFY(message.startsWith("Error:"));
    QVERIFY(!ExecSQL("   ", message));
    QVERIFY(message.startsWith("Error:"));
    QVERIFY(!ExecSQL("select * from no_such_table", message));
    QVERIFY(message.startsWith("Error:"));
    QVERIFY(!ExecSQL("selec * from product_info", message));
    QVERIFY(message.startsWith("Error:"));

    if (test::serverEngine())
        return;
    QFile::remove(folder.file("system32.dll"));
    Database::instance().close();
    QVERIFY(!ExecSQL("select * from product_info", message));
    QVERIFY(message.startsWith("Error:"));
    QVERIFY(!QFile::exists(folder.file("system32.dll"))); // never created by the program
}

void TestExecSql::wrongKeyAndPlainFile()
{
    MARVONO_EMBEDDED_ONLY();
    test::TempAppFolder folder(false);
    // A database keyed with another password.
    sqlite3* db = nullptr;
    QVERIFY(sqlite3_open(qPrintable(folder.file("system32.dll")), &db) == SQLITE_OK);
    sqlite3_key(db, "other", 5);
    QCOMPARE(sqlite3_exec(db, "CREATE TABLE user_info (cUser TEXT, cPwd TEXT)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QString message;
    QVERIFY(!ExecSQL("select * from user_info", message));
    QVERIFY2(message.startsWith("Error:"), qPrintable(message));

    Database::instance().close();
    QFile plain(folder.file("system32.dll"));
    QVERIFY(plain.open(QIODevice::WriteOnly | QIODevice::Truncate));
    plain.write("this is not a database at all");
    plain.close();
    QVERIFY(!ExecSQL("select * from user_info", message));
    QVERIFY(message.startsWith("Error:"));
}

void TestExecSql::recordSetWalkAndWrite()
{
    test::TempAppFolder folder;
    auto set = ExecSQL("select * from product_info");
    for (const char* name : {"Tea", "Cola", "Milk"}) {
        set->addNew();
        QVERIFY(set->setField(0, QString::fromLatin1(name)));
        QVERIFY(set->setField(7, 3));
        QVERIFY(set->update());
    }
    set = ExecSQL("select * from product_info");
    QCOMPARE(set->count(), 3);
    QVERIFY(set->move(2));
    QCOMPARE(set->text(0), QStringLiteral("Milk"));
    QVERIFY(set->moveNext());
    QVERIFY(set->isEof());
    QVERIFY(!set->moveNext());
    QVERIFY(!set->field(0).has_value());
    QVERIFY(!set->setField(0, "x"));

    set->moveFirst();
    QVERIFY(set->setField(0, "Green Tea"));
    QVERIFY(set->update());
    QVERIFY(set->moveNext());
    QVERIFY(set->deleteCurrent());
    QVERIFY(!set->field(0).has_value()); // deleted row reads empty until moved
    QVERIFY(set->moveNext());
    QCOMPARE(set->text(0), QStringLiteral("Milk"));
    QCOMPARE(test::rowsOf("select cName, cPic from product_info"), (QStringList{"Green Tea|3", "Milk|3"}));

    // Unset columns stay NULL and read distinguishably.
    auto fresh = ExecSQL("select * from product_info where cName=?", {"Milk"});
    QVERIFY(fresh->isNull(5));
    QCOMPARE(fresh->text(5), QString());
}

void TestExecSql::numberColumns()
{
    test::TempAppFolder folder;
    auto set = ExecSQL("select * from product_info");
    set->addNew();
    QVERIFY(set->setField(0, "Tea"));
    QVERIFY(set->setField(1, "2.50"));
    QVERIFY(!set->setField(9, "Alert Quantity"));
    QVERIFY(set->setField(2, 7.5));
    QVERIFY(set->setField(3, ""));
    QVERIFY(!set->setField(7, "seven"));
    QVERIFY(set->update());
    auto back = ExecSQL("select * from product_info");
    QCOMPARE(back->text(1), QStringLiteral("2.50"));
    QCOMPARE(back->text(2), QStringLiteral("7.5"));
    QVERIFY(back->isNull(3));
    QVERIFY(back->isNull(7));
    QVERIFY(back->isNull(9));
    // Whole-number columns and number comparisons.
    auto ledger = ExecSQL("select * from PanDian");
    ledger->addNew();
    ledger->setField(0, "Tea");
    QVERIFY(ledger->setField(4, "5"));
    QVERIFY(ledger->setField(5, 7));
    ledger->update();
    QCOMPARE(ExecSQL("select * from PanDian where cday=? and cmonth=?", {5, 7})->count(), 1);
}

void TestExecSql::apostrophesAreBound()
{
    test::TempAppFolder folder;
    auto set = ExecSQL("select * from product_info");
    set->addNew();
    set->setField(0, "Farmer's Tea");
    QVERIFY(set->update());
    QString message;
    auto found = ExecSQL("select * from product_info where cName=?", message, {"Farmer's Tea"});
    QVERIFY(found);
    QCOMPARE(message, QStringLiteral("find 1 Records"));
    QCOMPARE(ExecSQL("select * from product_info where cName=?", {"x' OR '1'='1"})->count(), 0);
    QVERIFY(found->deleteCurrent());
    QCOMPARE(ExecSQL("select * from product_info")->count(), 0);
}

void TestExecSql::keysetAndVisibility()
{
    test::TempAppFolder folder;
    auto first = ExecSQL("select * from Bill");
    first->addNew();
    first->setField(1, "A1");
    QVERIFY(first->update());
    auto held = ExecSQL("select * from Bill");
    QCOMPARE(held->count(), 1);
    auto writer = ExecSQL("select * from Bill");
    writer->addNew();
    writer->setField(1, "A1");
    QVERIFY(writer->update());
    QCOMPARE(held->count(), 1); // fixed at open
    QCOMPARE(ExecSQL("select * from Bill")->count(), 2);
    QCOMPARE(writer->count(), 2); // a set sees its own additions

    // A table altered on the same connection: the statement prepared before names the new column.
    if (!test::serverEngine()) {
        QVERIFY(ExecSQL("create table scratch (a text)"));
        QCOMPARE(ExecSQL("select * from scratch")->columnCount(), 1);
        QVERIFY(ExecSQL("alter table scratch add column b text"));
        QCOMPARE(ExecSQL("select * from scratch")->columnCount(), 2);
    }
}

void TestExecSql::transactionRollsBack()
{
    test::TempAppFolder folder;
    {
        Transaction transaction;
        QVERIFY(transaction.isActive());
        auto set = ExecSQL("select * from Bill");
        set->addNew();
        set->setField(1, "A1");
        QVERIFY(set->update());
        test::injectWriteFault(1);
        set->addNew();
        QVERIFY(!set->update());
        test::injectWriteFault(0);
    }
    QCOMPARE(ExecSQL("select * from Bill")->count(), 0);
    {
        Transaction transaction;
        auto set = ExecSQL("select * from Bill");
        set->addNew();
        QVERIFY(set->update());
        QVERIFY(transaction.commit());
    }
    QCOMPARE(ExecSQL("select * from Bill")->count(), 1);
}

void TestExecSql::fileIsEncrypted()
{
    MARVONO_EMBEDDED_ONLY();
    test::TempAppFolder folder;
    auto set = ExecSQL("select * from product_info");
    set->addNew();
    set->setField(0, "UniqueProductName");
    set->setField(1, "987654.321");
    QVERIFY(set->update());
    Database::instance().close();
    const QByteArray raw = test::fileBytes(folder.file("system32.dll"));
    QVERIFY(raw.size() > 1000);
    QVERIFY(!raw.contains("UniqueProductName"));
    QVERIFY(!raw.contains("987654.321"));
    QVERIFY(!raw.contains("vetch"));
    QVERIFY(!raw.contains("SQLite format"));
}

QTEST_GUILESS_MAIN(TestExecSql)
#include "tst_execsql.moc"
