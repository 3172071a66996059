// Exporting report lines into a copy of the template: the destination is the complete new
// workbook or stays exactly as it was.
#include "reports/monthlyreport.h"
#include "reports/reportexport.h"
#include "reports/workbookfile.h"
#include "support/testsupport.h"
#include "support/xlsreader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace marvono;

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

biff::TextRows lines(int count)
{
    biff::TextRows rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({QStringLiteral("2009-7-%1").arg(i % 31 + 1), "Cola", "4Unit(s)", "$2.5", "2.8"});
    return rows;
}

} // namespace

class TestReportExport : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void replacesAnOlderFileWhole();
    void failuresLeaveTheDestinationAlone_data();
    void failuresLeaveTheDestinationAlone();
    void readOnlyFolder();

  private:
    QString file(const QString& name) const { return m_dir->filePath(name); }
    QStringList folderContents() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_template;
    const QByteArray m_old = QByteArray(100000, 'o'); // larger than a fresh export
};

void TestReportExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_template = file("report.rpt");
    QVERIFY(writeBytes(m_template, newWorkbookFile("sheet1", {reportTitles()}).value_or(QByteArray())));
    QVERIFY(writeBytes(file("old.xls"), m_old));
}

void TestReportExport::replacesAnOlderFileWhole()
{
    const ExportResult result = exportReport(m_template, file("old.xls"), lines(3));
    QVERIFY2(result.ok, qPrintable(result.error));
    const test::XlsBook book = test::readWithXlrd(file("old.xls"));
    QVERIFY2(book.ok, qPrintable(book.error));
    QCOMPARE(book.sheets.value(0).rows.size(), 4);
    QVERIFY(QFileInfo(file("old.xls")).size() < m_old.size());
    QCOMPARE(folderContents(), (QStringList{"old.xls", "report.rpt"}));
}

void TestReportExport::failuresLeaveTheDestinationAlone_data()
{
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<QByteArray>("templateBytes");
    QTest::addColumn<int>("rows");
    QTest::newRow("missing template") << "none.rpt" << QByteArray() << 2;
    QTest::newRow("template is not a workbook") << "text.rpt" << QByteArray("Date;Product Name\n") << 2;
    QTest::newRow("template without sheet1")
        << "other.rpt" << newWorkbookFile("Report", {reportTitles()}).value_or("") << 2;
    QTest::newRow("more lines than a worksheet holds") << "report.rpt" << QByteArray() << biff::kSheetRows;
}

void TestReportExport::failuresLeaveTheDestinationAlone()
{
    QFETCH(QString, templateName);
    QFETCH(QByteArray, templateBytes);
    QFETCH(int, rows);
    if (!templateBytes.isEmpty())
        QVERIFY(writeBytes(file(templateName), templateBytes));
    const QStringList before = folderContents();
    const ExportResult result = exportReport(file(templateName), file("old.xls"), lines(rows));
    QVERIFY(!result.ok);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(test::fileBytes(file("old.xls")), m_old);
    QCOMPARE(folderContents(), before);
}

void TestReportExport::readOnlyFolder()
{
    // The folder itself as destination cannot be replaced by a file.
    QVERIFY(QDir(m_dir->path()).mkpath("taken.xls/kept"));
    QVERIFY(!exportReport(m_template, file("taken.xls"), lines(1)).ok);
    QVERIFY(QFileInfo(file("taken.xls/kept")).isDir());

    if (geteuid() == 0)
        QSKIP("the superuser writes into read-only folders");
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    const ExportResult result = exportReport(m_template, file("old.xls"), lines(1));
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!result.ok);
    QCOMPARE(test::fileBytes(file("old.xls")), m_old);
}

QTEST_GUILESS_MAIN(TestReportExport)
#include "tst_reportexport.moc"
