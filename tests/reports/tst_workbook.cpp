// The BIFF8 workbook writer and appender, checked by reading the files back with xlrd.
#include "reports/biff.h"
#include "reports/olefile.h"
#include "reports/workbookfile.h"
#include "support/xlsreader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace marvono;
using marvono::test::readWithXlrd;
using marvono::test::XlsBook;

namespace {

const QStringList kTitles = {"Date", "Product Name", "Sale Quantity", "Price per Unit", "Total"};

QByteArray templateFile()
{
    return newWorkbookFile("sheet1", {kTitles}).value_or(QByteArray());
}

biff::TextRows numberedRows(int count, int columns = 5)
{
    biff::TextRows rows;
    for (int i = 0; i < count; ++i) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row.append(QStringLiteral("r%1c%2").arg(i).arg(c));
        rows.push_back(row);
    }
    return rows;
}

QList<QStringList> asList(const biff::TextRows& rows)
{
    return QList<QStringList>(rows.begin(), rows.end());
}

} // namespace

class TestWorkbook : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }
    void newWorkbookReadsBack();
    void textBeyondLatin1AndLongTexts();
    void appendGoesBelowExistingRowsInOrder();
    void appendKeepsLaterSheetsReachable();
    void appendingNothingKeepsTheSheet();
    void rowLimit();
    void rejectsWhatIsNotAWorkbook_data();
    void rejectsWhatIsNotAWorkbook();
    void damagedStreamsFailCleanly();

  private:
    XlsBook readBack(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("book%1.xls").arg(++m_files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        file.close();
        return readWithXlrd(path);
    }

    QTemporaryDir m_dir;
    int m_files = 0;
};

void TestWorkbook::newWorkbookReadsBack()
{
    const biff::TextRows rows = {kTitles, {"2009-7-5", "Cola", "4Unit(s)", "$2.5", "2.8"}};
    const auto bytes = newWorkbookFile("sheet1", rows);
    QVERIFY(bytes);
    const XlsBook book = readBack(*bytes);
    QVERIFY2(book.ok, qPrintable(book.error));
    QCOMPARE(book.sheets.size(), 1);
    QCOMPARE(book.sheets[0].name, QString("sheet1"));
    QCOMPARE(book.sheets[0].rows, asList(rows));
    QVERIFY(book.sheets[0].onlyText);
    QCOMPARE(book.sheets[0].dimensionRows, 2);
    QCOMPARE(book.sheets[0].dimensionColumns, 5);
}

void TestWorkbook::textBeyondLatin1AndLongTexts()
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8D\xBA"); // one character, two UTF-16 units
    const QString longLatin(300, QLatin1Char('x'));
    // A text cut at 255 units would end inside the surrogate pair: the whole pair goes.
    const QString longWide = QString(254, QLatin1Char('y')) + emoji + "tail";
    const biff::TextRows rows = {{QString::fromUtf8("Caf\xC3\xA9 \xC3\xBC"),
                                  QString::fromUtf8("\xE5\x92\x96\xE5\x95\xA1"), "Z" + emoji, longLatin, longWide}};
    const auto bytes = newWorkbookFile(QString::fromUtf8("Bl\xC3\xA4tt \xE8\xA1\xA8"), rows);
    QVERIFY(bytes);
    const XlsBook book = readBack(*bytes);
    QVERIFY2(book.ok, qPrintable(book.error));
    QCOMPARE(book.sheets[0].name, QString::fromUtf8("Bl\xC3\xA4tt \xE8\xA1\xA8"));
    const QStringList cells = book.sheets[0].rows.value(0);
    QCOMPARE(cells.value(0), rows[0][0]);
    QCOMPARE(cells.value(1), rows[0][1]);
    QCOMPARE(cells.value(2), rows[0][2]);
    QCOMPARE(cells.value(3), longLatin.left(255));
    QCOMPARE(cells.value(4), QString(254, QLatin1Char('y')));
}

void TestWorkbook::appendGoesBelowExistingRowsInOrder()
{
    const biff::TextRows first = numberedRows(40); // more than one block of rows
    const auto once = appendToWorkbookFile(templateFile(), "sheet1", first);
    QVERIFY(once);
    const biff::TextRows second = {{"", "gap before", "", "", "last"}};
    const auto twice = appendToWorkbookFile(*once, "SHEET1", second);
    QVERIFY(twice);

    const XlsBook book = readBack(*twice);
    QVERIFY2(book.ok, qPrintable(book.error));
    QList<QStringList> expected = {kTitles};
    expected += asList(first);
    expected += asList(second);
    QCOMPARE(book.sheets[0].rows, expected);
    QCOMPARE(book.sheets[0].dimensionRows, 42);
    QCOMPARE(book.sheets[0].dimensionColumns, 5);
}

void TestWorkbook::appendKeepsLaterSheetsReachable()
{
    const auto stream =
        biff::newWorkbook({{"before", {{"b"}}}, {"sheet1", {kTitles}}, {"after", {{"a1"}, {"a2", "a3"}}}});
    QVERIFY(stream);
    const auto file = ole::singleStreamFile(ole::kWorkbookStream, *stream);
    QVERIFY(file);
    const auto appended = appendToWorkbookFile(*file, "sheet1", numberedRows(3));
    QVERIFY(appended);

    const XlsBook book = readBack(*appended);
    QVERIFY2(book.ok, qPrintable(book.error));
    QCOMPARE(book.sheets.size(), 3);
    QCOMPARE(book.sheet("before")->rows, (QList<QStringList>{{"b"}}));
    QCOMPARE(book.sheet("sheet1")->rows.size(), 4);
    QCOMPARE(book.sheet("after")->rows, (QList<QStringList>{{"a1", ""}, {"a2", "a3"}}));
}

void TestWorkbook::appendingNothingKeepsTheSheet()
{
    const auto stream = biff::newWorkbook("sheet1", {kTitles});
    QVERIFY(stream);
    QCOMPARE(biff::appendRows(*stream, "sheet1", {}), stream);
}

void TestWorkbook::rowLimit()
{
    QString error;
    QVERIFY(!biff::newWorkbook("sheet1", numberedRows(biff::kSheetRows + 1, 1), &error));
    QVERIFY(!error.isEmpty());

    const auto full = appendToWorkbookFile(templateFile(), "sheet1", numberedRows(biff::kSheetRows - 1, 1));
    QVERIFY(full);
    QVERIFY(!appendToWorkbookFile(*full, "sheet1", numberedRows(1, 1), &error));
    QVERIFY(error.contains("65536"));
    QVERIFY(!appendToWorkbookFile(templateFile(), "sheet1", numberedRows(biff::kSheetRows, 1)));

    const XlsBook book = readBack(*full);
    QVERIFY2(book.ok, qPrintable(book.error));
    const auto& rows = book.sheets[0].rows;
    QCOMPARE(rows.size(), biff::kSheetRows);
    QCOMPARE(rows.last().value(0), QString("r65534c0"));
    QCOMPARE(book.sheets[0].dimensionRows, biff::kSheetRows);
}

void TestWorkbook::rejectsWhatIsNotAWorkbook_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("Date,Product Name\r\n2009-7-5,Cola\r\n");
    QTest::newRow("compound file without a workbook")
        << ole::singleStreamFile("Contents", QByteArray(600, 'z')).value_or(QByteArray());
    QTest::newRow("workbook stream of noise")
        << ole::singleStreamFile("Workbook", QByteArray(5000, '\x09')).value_or(QByteArray());
    QTest::newRow("no sheet1") << newWorkbookFile("Sheet2", {kTitles}).value_or(QByteArray());
    QByteArray cut = templateFile();
    cut.chop(cut.size() / 2);
    QTest::newRow("compound file cut short") << cut;
}

void TestWorkbook::rejectsWhatIsNotAWorkbook()
{
    QFETCH(QByteArray, file);
    QString error;
    QVERIFY(!appendToWorkbookFile(file, "sheet1", numberedRows(2), &error));
    QVERIFY(!error.isEmpty());
}

void TestWorkbook::damagedStreamsFailCleanly()
{
    const auto stream = biff::newWorkbook({{"sheet1", {kTitles, {"a"}}}, {"other", {{"b"}}}});
    QVERIFY(stream);
    // Every shorter stream ends inside a substream and must be refused.
    for (qsizetype length = 0; length < stream->size(); ++length)
        QVERIFY2(!biff::appendRows(stream->left(length), "sheet1", numberedRows(1)),
                 qPrintable(QString::number(length)));
    // Damaged bytes must never read outside the stream; either outcome is fine as long as it is one.
    QRandomGenerator random(20091105);
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = *stream;
        for (int n = 0; n < 3; ++n)
            damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
        const auto result = biff::appendRows(damaged, "sheet1", numberedRows(2));
        if (result)
            QVERIFY(result->size() > damaged.size());
    }
}

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
