// Number reading, currency, general text form and the quoted-item file format.
#include "app/numbers.h"
#include "app/quoteditems.h"
#include "app/typedinput.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>
#include <limits>

using namespace marvono;

class TestHelpers : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void numberText();
    void scannerKeys();
    void generalText_data();
    void generalText();
    void currencyRounding_data();
    void currencyRounding();
    void currencyRangeAndSum();
    void currencyText();
    void quotedItemsRead_data();
    void quotedItemsRead();
    void quotedItemsRoundTrip();
    void atomicWriteKeepsOldFileOnFailure();
};

void TestHelpers::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("digits then letters") << "12abc" << 12.0;
    QTest::newRow("blanks and decimals") << "  3.5x" << 3.5;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("negative") << "-2" << -2.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "7." << 7.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("exponent") << "1e3kg" << 1000.0;
    QTest::newRow("bare e") << "4e" << 4.0;
    QTest::newRow("comma is not a point") << "2,5" << 2.0;
    QTest::newRow("blank inside ends") << "1 2" << 1.0;
    QTest::newRow("form feed before digits") << "\f55355555" << 55355555.0; // found by fuzzing
}

void TestHelpers::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(marvono::leadingNumber(text), expected);
}

void TestHelpers::numberText()
{
    QVERIFY(isNumberText(u"2.50"));
    QVERIFY(isNumberText(u" -3 "));
    QVERIFY(!isNumberText(u"12abc"));
    QVERIFY(!isNumberText(u""));
    QVERIFY(!isNumberText(u"Alert Quantity"));
    QVERIFY(isNumberText(u"\f55355555"));
    // Typed into a box: a comma is no decimal point where the locale's is a point.
    QCOMPARE(typedNumberText(" 0.60"), std::optional<QString>(" 0.60"));
    QCOMPARE(typedNumberText(""), std::optional<QString>(""));
    QCOMPARE(typedNumberText("0,60"), std::nullopt);
    QVERIFY(isScannedCodeText(u"40063813") && !isScannedCodeText(u"4006381") && !isScannedCodeText(u"4006381.5"));
}

void TestHelpers::scannerKeys()
{
    // Eight digits and Enter a few milliseconds apart are a scan; at a person's pace, or after a
    // pause before Enter, they are typing.
    KeyBurst scanner, person, paused, dotted;
    for (int i = 0; i < 8; ++i) {
        scanner.typed(u'7', 1000 + i * 8);
        person.typed(u'7', 1000 + i * 120);
        paused.typed(u'7', 1000 + i * 8);
        dotted.typed(u'7', 1000 + i * 8);
    }
    QVERIFY(scanner.enterEndsScan(1000 + 8 * 8));
    QVERIFY(!person.enterEndsScan(1000 + 8 * 120));
    QVERIFY(!paused.enterEndsScan(1000 + 7 * 8 + 400));
    dotted.typed(u'.', 1000 + 8 * 8);
    QVERIFY(!dotted.enterEndsScan(1000 + 9 * 8));
}

void TestHelpers::generalText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 120.0 << "120";
    QTest::newRow("half") << 37.5 << "37.5";
    QTest::newRow("negative") << -16.0 << "-16";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("binary fraction") << 0.1 + 0.2 << "0.3";
    QTest::newRow("15 digits") << 123456789.123456789 << "123456789.123457";
    QTest::newRow("margin") << (10.1 - 8) * 3 << "6.3";
}

void TestHelpers::generalText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(marvono::generalText(value), expected);
}

void TestHelpers::currencyRounding_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("exact") << 12.5 << qint64(125000);
    QTest::newRow("tie to even down") << 0.00005 * 1 << qint64(0); // 0.5 ten-thousandths -> 0
    QTest::newRow("tie to even up") << 0.00015 << qint64(2);
    QTest::newRow("negative tie") << -0.00025 << qint64(-2);
    QTest::newRow("more decimals") << 1.23456 << qint64(12346);
}

void TestHelpers::currencyRounding()
{
    QFETCH(double, value);
    QFETCH(qint64, raw);
    auto c = Currency::fromDouble(value);
    QVERIFY(c.has_value());
    QCOMPARE(c->raw(), raw);
}

void TestHelpers::currencyRangeAndSum()
{
    QVERIFY(!Currency::fromDouble(1e15).has_value());
    QVERIFY(!Currency::fromDouble(std::numeric_limits<double>::infinity()).has_value());
    QVERIFY(!Currency::fromDouble(std::numeric_limits<double>::quiet_NaN()).has_value());
    QVERIFY(Currency::fromDouble(922337203685477.0).has_value());
    QVERIFY(!Currency::fromDouble(938193555552060.0).has_value()); // found by fuzzing: was wrapped
    QVERIFY(!Currency::fromDouble(-938193555552060.0).has_value());
    const Currency max = Currency::fromRaw(std::numeric_limits<qint64>::max());
    QVERIFY(!max.plus(Currency::fromRaw(1)).has_value());
    QCOMPARE(Currency::fromRaw(5).plus(Currency::fromRaw(-7))->raw(), qint64(-2));
}

void TestHelpers::currencyText()
{
    QCOMPARE(Currency().toText(), QStringLiteral("0"));
    QCOMPARE(Currency::fromRaw(125000).toText(), QStringLiteral("12.5"));
    QCOMPARE(Currency::fromRaw(-30001).toText(), QStringLiteral("-3.0001"));
    QCOMPARE(Currency::fromRaw(12345678900000).toText(), QStringLiteral("1234567890"));
    QCOMPARE(Currency::fromRaw(std::numeric_limits<qint64>::min()).toText(), QStringLiteral("-922337203685477.5808"));
}

void TestHelpers::quotedItemsRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("two buyers") << QByteArray("\"A1\"\r\n\"Window\"\r\n") << QStringList{"A1", "Window"};
    QTest::newRow("comma and blanks kept") << QByteArray("\" My, Shop \"\r\n") << QStringList{" My, Shop "};
    QTest::newRow("empty item") << QByteArray("\"\"\r\n\"x\"\r\n") << QStringList{"", "x"};
    QTest::newRow("comma separated") << QByteArray("\"a\",\"b\"\r\n") << QStringList{"a", "b"};
    QTest::newRow("unquoted trimmed") << QByteArray("  3 \r\n") << QStringList{"3"};
    QTest::newRow("unquoted comma") << QByteArray("1,2\n") << QStringList{"1", "2"};
    QTest::newRow("no final line end") << QByteArray("\"a\"") << QStringList{"a"};
    QTest::newRow("multi-line item") << QByteArray("\"line1\r\nline2\"\r\n") << QStringList{"line1\r\nline2"};
    QTest::newRow("unterminated quote") << QByteArray("\"abc") << QStringList{"abc"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("utf8") << QByteArray("\"\xe2\x82\xac\"\r\n") << QStringList{QString(QChar(0x20AC))};
}

void TestHelpers::quotedItemsRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, items);
    QCOMPARE(parseQuotedItems(bytes), items);
}

void TestHelpers::quotedItemsRoundTrip()
{
    const QStringList items{"1", "My Shop", "1", "$"};
    const QByteArray bytes = formatQuotedItems(items);
    QCOMPARE(bytes, QByteArray("\"1\"\r\n\"My Shop\"\r\n\"1\"\r\n\"$\"\r\n"));
    QCOMPARE(formatQuotedItems({"A1", "Window"}).toHex(' '),
             QByteArray("22 41 31 22 0d 0a 22 57 69 6e 64 6f 77 22 0d 0a"));
    QCOMPARE(parseQuotedItems(bytes), items);
}

void TestHelpers::atomicWriteKeepsOldFileOnFailure()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tables.dat"));
    QVERIFY(writeQuotedItems(path, {"old"}));
    QCOMPARE(test::fileBytes(path), QByteArray("\"old\"\r\n"));
    QVERIFY(writeQuotedItems(path, {"new"}));
    QCOMPARE(test::fileBytes(path), QByteArray("\"new\"\r\n"));
    // A folder that cannot be written refuses the temporary file; the old file stays whole.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool root = QFileInfo(dir.path()).isWritable();
    QString error;
    if (!root) {
        QVERIFY(!writeQuotedItems(path, {"newer"}, &error));
        QVERIFY(!error.isEmpty());
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!writeQuotedItems(dir.filePath(QStringLiteral("missing/x.dat")), {"x"}));
    QCOMPARE(test::fileBytes(path), root ? QByteArray("\"new\"\r\n") : QByteArray("\"new\"\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"tables.dat"});
}

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"
