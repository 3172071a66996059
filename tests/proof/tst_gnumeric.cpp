// Exports read back by a second reader we did not write: Gnumeric's ssconvert turns the workbook
// into CSV, which must hold the template's titles and every exported cell.
#include "app/quoteditems.h"
#include "reports/reportexport.h"
#include "reports/workbookfile.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace marvono;

class TestGnumeric : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void exportReadBySsconvert();
};

void TestGnumeric::exportReadBySsconvert()
{
    const QString ssconvert = QStandardPaths::findExecutable("ssconvert");
    if (ssconvert.isEmpty())
        QSKIP("ssconvert (Debian package gnumeric) is not installed; scripts/deps.sh installs it");
    QTemporaryDir dir;
    const auto workbook = newWorkbookFile(kReportSheet, {reportColumnTitles()});
    QVERIFY(workbook);
    QVERIFY(writeFileAtomically(dir.filePath("report.rpt"), *workbook));
    biff::TextRows rows;
    rows.push_back({"2009-7-5", "Cola", "4Unit(s)", "$2.5", "2.8"});
    rows.push_back({"2009-7-6", QString::fromUtf8("Grüner Tee 绿茶"), "12Unit(s)", QString::fromUtf8("€1.25"), "-0.5"});
    rows.push_back({"2009-7-7", "Farmer's \"Best\", Tea", "0Unit(s)", "$10.1", "6.3"});
    for (int i = 0; i < 500; ++i)
        rows.push_back({"2009-7-8", QStringLiteral("Product %1").arg(i), "1Unit(s)", "$1", "0"});
    const QString xls = dir.filePath("july.xls");
    const ExportResult result = exportReport(dir.filePath("report.rpt"), xls, rows);
    QVERIFY2(result.ok, qPrintable(result.error));

    const QString csv = dir.filePath("july.csv");
    QProcess process;
    process.start(ssconvert, {"--export-type=Gnumeric_stf:stf_csv", xls, csv});
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitCode(), 0);
    // Parse the CSV: fields separated by commas, quoted ones with doubled inner quotes.
    QList<QStringList> table;
    QStringList fields;
    QString field;
    bool quoted = false;
    const QString text = QString::fromUtf8(test::fileBytes(csv));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.append(field);
            field.clear();
        } else if (c == '\n') {
            fields.append(field);
            table.append(fields);
            fields.clear();
            field.clear();
        } else if (c != '\r') {
            field += c;
        }
    }
    QCOMPARE(table.size(), int(rows.size()) + 1);
    QCOMPARE(table.first(), reportColumnTitles());
    for (size_t r = 0; r < rows.size(); ++r)
        QCOMPARE(table.at(int(r) + 1), rows[r]);
}

QTEST_GUILESS_MAIN(TestGnumeric)
#include "tst_gnumeric.moc"
