// Reading and writing setup.dat and style.dat.
#include "app/appcontext.h"
#include "app/settings.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>

using namespace marvono;
using marvono::test::TempAppFolder;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void toneReading_data();
    void toneReading();
    void itemThreeRange_data();
    void itemThreeRange();
    void shortOrMissingFileKeepsEarlierItems();
    void roundTripKeepsCommaAndEuro();
    void savedFileLayout();
    void styleTheme_data();
    void styleTheme();
};

void TestSettings::toneReading_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<bool>("tone");
    QTest::newRow("zero") << QByteArray("\"0\"") << false;
    QTest::newRow("one") << QByteArray("\"1\"") << true;
    QTest::newRow("blank before zero") << QByteArray("\" 0\"") << true;
    QTest::newRow("empty") << QByteArray("\"\"") << true;
    QTest::newRow("other text") << QByteArray("\"off\"") << true;
    QTest::newRow("unquoted zero") << QByteArray("0") << false;
}

void TestSettings::toneReading()
{
    QFETCH(QByteArray, item);
    QFETCH(bool, tone);
    TempAppFolder folder(false);
    writeFile(folder.file("setup.dat"), item + "\r\n\"Shop\"\r\n\"1\"\r\n\"$\"\r\n");
    runValues().warningTone = !tone;
    QVERIFY(loadSetup());
    QCOMPARE(runValues().warningTone, tone);
}

void TestSettings::itemThreeRange_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one") << QByteArray("\"1\"") << true;
    QTest::newRow("zero") << QByteArray("\"0\"") << true;
    QTest::newRow("255") << QByteArray("\"255\"") << true;
    QTest::newRow("256") << QByteArray("\"256\"") << false;
    QTest::newRow("minus one") << QByteArray("\"-1\"") << false;
    QTest::newRow("254.5 rounds to even 254") << QByteArray("\"254.5\"") << true;
    QTest::newRow("255.5 rounds to 256") << QByteArray("\"255.5\"") << false;
    QTest::newRow("no number counts as 0") << QByteArray("\"abc\"") << true;
    QTest::newRow("leading number") << QByteArray("\"12abc\"") << true;
}

void TestSettings::itemThreeRange()
{
    QFETCH(QByteArray, item);
    QFETCH(bool, accepted);
    TempAppFolder folder(false);
    writeFile(folder.file("setup.dat"), "\"1\"\r\n\"Shop\"\r\n" + item + "\r\n\"EUR\"\r\n");
    runValues().currencySymbol = QStringLiteral("old");
    QCOMPARE(loadSetup(), accepted);
    // Items before the bad one are kept, the symbol after it is not read.
    QCOMPARE(runValues().shopName, QStringLiteral("Shop"));
    QCOMPARE(runValues().currencySymbol, accepted ? QStringLiteral("EUR") : QStringLiteral("old"));
}

void TestSettings::shortOrMissingFileKeepsEarlierItems()
{
    TempAppFolder folder(false);
    runValues().warningTone = true;
    runValues().shopName = QStringLiteral("before");
    runValues().currencySymbol = QStringLiteral("before");

    writeFile(folder.file("setup.dat"), "\"0\"\r\n\"New Name\"\r\n\"1\"\r\n");
    QVERIFY(!loadSetup());
    QCOMPARE(runValues().warningTone, false);
    QCOMPARE(runValues().shopName, QStringLiteral("New Name"));
    QCOMPARE(runValues().currencySymbol, QStringLiteral("before"));

    writeFile(folder.file("setup.dat"), "");
    QVERIFY(!loadSetup());
    QCOMPARE(runValues().shopName, QStringLiteral("New Name"));

    QVERIFY(QFile::remove(folder.file("setup.dat")));
    QString error;
    QVERIFY(!loadSetup(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(runValues().warningTone, false);
}

void TestSettings::roundTripKeepsCommaAndEuro()
{
    TempAppFolder folder(false);
    QVERIFY(saveSetup({false, QStringLiteral(" Smith, Jones & Co "), QStringLiteral("  \u20AC ")}));
    runValues() = RunValues{};
    runValues().warningTone = true;
    QVERIFY(loadSetup());
    QCOMPARE(runValues().warningTone, false);
    QCOMPARE(runValues().shopName, QStringLiteral(" Smith, Jones & Co "));
    QCOMPARE(runValues().currencySymbol, QStringLiteral("\u20AC"));
}

void TestSettings::savedFileLayout()
{
    TempAppFolder folder(false);
    QVERIFY(saveSetup({true, QStringLiteral("My Shop"), QStringLiteral("$")}));
    QCOMPARE(marvono::test::fileBytes(folder.file("setup.dat")),
             QByteArray("\"1\"\r\n\"My Shop\"\r\n\"1\"\r\n\"$\"\r\n"));
    QVERIFY(saveSetup({false, QString(), QString()}));
    QCOMPARE(marvono::test::fileBytes(folder.file("setup.dat")), QByteArray("\"0\"\r\n\"\"\r\n\"1\"\r\n\"\"\r\n"));
}

void TestSettings::styleTheme_data()
{
    QTest::addColumn<QByteArray>("content"); // "<absent>" for no file
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("theme");
    QTest::newRow("absent") << QByteArray("<absent>") << true << 0;
    QTest::newRow("quoted 3") << QByteArray("\"3\"\r\n") << true << 3;
    QTest::newRow("bare 3") << QByteArray("3\r\n") << true << 3;
    QTest::newRow("out of table range is kept") << QByteArray("\"14\"\r\n") << true << 14;
    QTest::newRow("half to even") << QByteArray("\"2.5\"\r\n") << true << 2;
    QTest::newRow("negative") << QByteArray("\"-1\"\r\n") << true << -1;
    QTest::newRow("not a number") << QByteArray("\"blue\"\r\n") << false << 0;
    QTest::newRow("empty file") << QByteArray("") << false << 0;
    QTest::newRow("beyond 16 bits") << QByteArray("\"40000\"\r\n") << false << 0;
}

void TestSettings::styleTheme()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, valid);
    QFETCH(int, theme);
    TempAppFolder folder(false);
    if (content != "<absent>")
        writeFile(folder.file("style.dat"), content);
    const auto read = readStyleTheme();
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(int(*read), theme);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
