// What a record set holds after its own writes: every field read back as written, NULL apart
// from an empty text, neighbours untouched.
#include "data/recordset.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace marvono;

class TestRecordSet : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void rewritesShowInTheHeldSet();
    void nullAndEmptyStayApart();
    void textOutsideAsciiSurvives();
    void newRowReadsBeforeAndAfterWriting();
    void writesOfSeveralTablesKeepApart();
};

namespace {
QStringList rowTexts(const RecordSet& set)
{
    QStringList cells;
    for (int c = 0; c < set.columnCount(); ++c)
        cells.append(set.field(c).value_or("<null>"));
    return cells;
}

void addBillLine(const QString& time, const QString& buyer, const QString& product)
{
    auto set = ExecSQL("select * from Bill");
    set->addNew();
    set->setField(0, time);
    set->setField(1, buyer);
    set->setField(2, product);
    set->setField(3, "2");
    QVERIFY(set->update());
}
} // namespace

void TestRecordSet::rewritesShowInTheHeldSet()
{
    test::TempAppFolder folder;
    addBillLine("1:00:00 PM", "Ann", "Tea");
    addBillLine("2:00:00 PM", "Ann", "Cola");
    addBillLine("3:00:00 PM", "Bob", "Milk");

    auto set = ExecSQL("select * from Bill");
    QVERIFY(set->move(1));
    // The same field rewritten again and again, longer and shorter.
    for (const char* product : {"Cola light", "C", "Cola zero sugar", "Cola"}) {
        QVERIFY(set->setField(2, QString::fromLatin1(product)));
        QVERIFY(set->update());
        QCOMPARE(set->text(2), QString::fromLatin1(product));
    }
    QVERIFY(set->setField(3, "12.50"));
    QVERIFY(set->update());
    QCOMPARE(rowTexts(*set), (QStringList{"2:00:00 PM", "Ann", "Cola", "12.50", "<null>", "<null>"}));
    set->moveFirst();
    QCOMPARE(rowTexts(*set), (QStringList{"1:00:00 PM", "Ann", "Tea", "2", "<null>", "<null>"}));
    QVERIFY(set->move(2));
    QCOMPARE(rowTexts(*set), (QStringList{"3:00:00 PM", "Bob", "Milk", "2", "<null>", "<null>"}));
    // A set opened afterwards sees the same.
    QCOMPARE(test::rowsOf("select * from Bill where ctable=? and ctime=?", {"Ann", "2:00:00 PM"}),
             QStringList{"2:00:00 PM|Ann|Cola|12.50|<null>|<null>"});
    // A row removed since the set was read can be neither rewritten nor deleted again.
    ExecSQL("delete from Bill where ctable=?", {"Bob"});
    QVERIFY(set->setField(2, "Tea"));
    QVERIFY(!set->update());
    QVERIFY(!set->deleteCurrent());
}

void TestRecordSet::nullAndEmptyStayApart()
{
    test::TempAppFolder folder;
    addBillLine("", "Ann", "Tea");
    auto set = ExecSQL("select * from Bill");
    QVERIFY(!set->isNull(0));
    QCOMPARE(set->field(0), std::optional<QString>(QString()));
    QVERIFY(set->isNull(4));

    QVERIFY(set->setField(1, QVariant()));
    QVERIFY(set->update());
    QVERIFY(set->isNull(1));
    QVERIFY(set->setField(1, QString("")));
    QVERIFY(set->update());
    QVERIFY(!set->isNull(1));
    QCOMPARE(test::rowsOf("select ctime, ctable, cqty from Bill"), QStringList{"||2"});
}

void TestRecordSet::textOutsideAsciiSurvives()
{
    test::TempAppFolder folder;
    const QString name = QString::fromUtf8("Crème brûlée € 5 – 日本茶");
    addBillLine("12:00:00 AM", QString::fromUtf8("Zoë"), name);
    auto set = ExecSQL("select * from Bill where cproduct=?", {name});
    QVERIFY(set && !set->isEof());
    QCOMPARE(set->text(2), name);
    QCOMPARE(set->text(1), QString::fromUtf8("Zoë"));
    QVERIFY(set->setField(1, QString::fromUtf8("Ærø")));
    QVERIFY(set->update());
    QCOMPARE(set->text(1), QString::fromUtf8("Ærø"));
    QCOMPARE(set->text(2), name);
}

void TestRecordSet::newRowReadsBeforeAndAfterWriting()
{
    test::TempAppFolder folder;
    addBillLine("1:00:00 PM", "Ann", "Tea");
    auto set = ExecSQL("select * from Bill");
    set->addNew();
    QVERIFY(set->isNull(0));
    set->setField(0, "2:00:00 PM");
    set->setField(4, 1.25);
    QCOMPARE(set->text(0), QString("2:00:00 PM"));
    QVERIFY(set->update());
    QCOMPARE(set->count(), 2);
    QCOMPARE(rowTexts(*set), (QStringList{"2:00:00 PM", "<null>", "<null>", "<null>", "1.25", "<null>"}));
    set->moveFirst();
    QCOMPARE(set->text(2), QString("Tea"));
}

void TestRecordSet::writesOfSeveralTablesKeepApart()
{
    // The server engine reuses the text of each row write; one table's must never serve another's.
    test::TempAppFolder folder;
    addBillLine("1:00:00 PM", "Ann", "Tea");
    addBillLine("2:00:00 PM", "Bob", "Milk");
    for (const char* name : {"Tea", "Milk"})
        ExecSQL("insert into product_info (cName, cLeastQty) values (?, 5)", {QString::fromLatin1(name)});
    // Each table's first row deleted and its second renamed (a text column of each).
    for (const auto& [table, column] : {std::pair{"Bill", 2}, std::pair{"product_info", 6}}) {
        auto set = ExecSQL(QString::fromLatin1("select * from %1").arg(QString::fromLatin1(table)));
        QVERIFY(set && set->count() == 2);
        QVERIFY(set->deleteCurrent());
        QVERIFY(set->move(1));
        QVERIFY(set->setField(column, "Cake"));
        QVERIFY(set->update());
    }
    QCOMPARE(test::rowsOf("select ctime, cproduct from Bill"), QStringList{"2:00:00 PM|Cake"});
    QCOMPARE(test::rowsOf("select cName, cType, cLeastQty from product_info"), QStringList{"Milk|Cake|5"});
}

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
