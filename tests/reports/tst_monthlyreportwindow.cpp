// The monthly report window: opening list, search, and export to a workbook read back by xlrd.
#include "app/appcontext.h"
#include "data/recordset.h"
#include "reports/ui/monthlyreportwindow.h"
#include "support/history_dialogs.h"
#include "support/testsupport.h"
#include "support/xlsreader.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>
#include <tuple>

using namespace marvono;

namespace {

const QStringList kTitles = {"Date", "Product Name", "Sale Quantity", "Price per Unit", "Total"};

void addSale(const QVariantList& row)
{
    QString message;
    ExecSQL("insert into PanDian values (?,?,?,?,?,?,?)", message, row);
    QVERIFY2(message.contains("successful"), qPrintable(message));
}

QList<QStringList> listRows(QWidget* window)
{
    QList<QStringList> rows;
    auto* model = window->findChild<QTreeView*>("LV")->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells.append(model->index(r, c).data().toString());
        rows.append(cells);
    }
    return rows;
}

QComboBox* combo(QWidget* window, const char* name)
{
    return window->findChild<QComboBox*>(name);
}

test::SeenBox click(QWidget* window, const char* button)
{
    test::BoxAnswerer answerer;
    window->findChild<QPushButton*>(button)->click();
    return answerer.box();
}

test::SeenBox search(QWidget* window, const QString& month, const QString& year)
{
    combo(window, "cmbMonth1")->setEditText(month);
    combo(window, "cmbYear1")->setEditText(year);
    return click(window, "cmdSearch");
}

} // namespace

class TestMonthlyReportWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();

    void openingListShowsTheMonthOfEveryYear();
    void searchShowsOneYear();
    void linesAndMargins();
    void leadingNumbersCount();
    void searchNeedsMonthAndYear();
    void searchFailures();
    void searchReadsMonthAndYearAsNumbers();
    void openingFailureKeepsEarlierLines();
    void yearListRunsToThisYear();
    void exportWritesTheListBelowTheTitles();
    void exportOfEmptyListAndSecondExportToSameName();
    void cancelledExportWritesNothing();
    void failedExportKeepsTheOldFile();
    void exportNameGetsItsExtension();

  private:
    std::unique_ptr<MonthlyReportWindow> open(test::SeenBox* box = nullptr)
    {
        test::BoxAnswerer answerer;
        auto window = std::make_unique<MonthlyReportWindow>();
        if (box)
            *box = answerer.box();
        return window;
    }
    test::SeenBox exportTo(QWidget* window, const QString& path, test::SeenFileDialog* dialog = nullptr)
    {
        test::FileDialogAnswerer files(path);
        const test::SeenBox box = click(window, "cmdExcel");
        if (dialog)
            *dialog = files.dialog();
        return box;
    }

    std::unique_ptr<test::TempAppFolder> m_folder;
};

void TestMonthlyReportWindow::init()
{
    m_folder = std::make_unique<test::TempAppFolder>();
    QVERIFY(m_folder->isValid());
    // The template as the ready application folder has it, made by the build's own tool.
    const int status = QProcess::execute(QStringLiteral(MARVONO_TOOLS_DIR "/marvono-maketemplate"),
                                         {m_folder->file("report/report.rpt")});
    QCOMPARE(status, 0);
    test::setClock([] { return QDateTime(QDate(2009, 7, 20), QTime(10, 0)); });
}

void TestMonthlyReportWindow::cleanup()
{
    test::setClock({});
    m_folder.reset();
}

void TestMonthlyReportWindow::openingListShowsTheMonthOfEveryYear()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2008});
    addSale({"Milk", "3", "2", "1", 5, 6, 2009});
    addSale({"Tea", "2", "1", "2", 6, 7, 2009});
    test::SeenBox box;
    const auto window = open(&box);
    QVERIFY(!box.seen);
    QCOMPARE(window->objectName(), QString("frmBB"));
    QCOMPARE(listRows(window.get()), (QList<QStringList>{{"2008-7-5", "Cola", "4Unit(s)", "$2.5", "2.8"},
                                                         {"2009-7-6", "Tea", "2Unit(s)", "$2", "2"}}));
    QCOMPARE(combo(window.get(), "cmbMonth1")->currentText(), QString());
    QCOMPARE(combo(window.get(), "cmbYear1")->currentText(), QString());
}

void TestMonthlyReportWindow::searchShowsOneYear()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2008});
    addSale({"Tea", "2", "1", "2", 6, 7, 2009});
    addSale({"Milk", "3", "2", "1", 7, 7, 2009});
    const auto window = open();
    combo(window.get(), "cmbMonth1")->setCurrentIndex(6);
    combo(window.get(), "cmbYear1")->setCurrentIndex(4);
    QVERIFY(!click(window.get(), "cmdSearch").seen);
    QCOMPARE(listRows(window.get()), (QList<QStringList>{{"2009-7-6", "Tea", "2Unit(s)", "$2", "2"},
                                                         {"2009-7-7", "Milk", "1Unit(s)", "$3", "1"}}));
    QVERIFY(!search(window.get(), "3", "2009").seen); // a month without sales, and no message
    QVERIFY(listRows(window.get()).isEmpty());
}

void TestMonthlyReportWindow::linesAndMargins()
{
    addSale({"Cola", "10.1", "8", "3", 1, 7, 2009}); // 2.1 times 3, not 2.0999... times 3
    addSale({"Tea", "2.5", "2.5", "9", 2, 7, 2009}); // sold at the purchase price
    addSale({"Milk", "2", "3.5", "2", 3, 7, 2009});  // sold at a loss
    runValues().currencySymbol = QString::fromUtf8("\xE2\x82\xAC");
    const auto window = open();
    QCOMPARE(listRows(window.get()),
             (QList<QStringList>{{"2009-7-1", "Cola", "3Unit(s)", QString::fromUtf8("\xE2\x82\xAC") + "10.1", "6.3"},
                                 {"2009-7-2", "Tea", "9Unit(s)", QString::fromUtf8("\xE2\x82\xAC") + "2.5", "0"},
                                 {"2009-7-3", "Milk", "2Unit(s)", QString::fromUtf8("\xE2\x82\xAC") + "2", "-3"}}));
}

void TestMonthlyReportWindow::leadingNumbersCount()
{
    // Only the embedded file's number columns hold such texts; a shop server refuses them.
    MARVONO_EMBEDDED_ONLY();
    addSale({"Soup", "4x", "1", "2.5kg", 4, 7, 2009});
    const auto window = open();
    QCOMPARE(listRows(window.get()), (QList<QStringList>{{"2009-7-4", "Soup", "2.5kgUnit(s)", "$4x", "7.5"}}));
}

void TestMonthlyReportWindow::searchNeedsMonthAndYear()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2008});
    const auto window = open();
    combo(window.get(), "cmbMonth1")->setCurrentIndex(6);
    const test::SeenBox box = click(window.get(), "cmdSearch");
    QCOMPARE(box.title, QString("Warning"));
    QCOMPARE(box.text, QString("Please fill all blanks."));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(listRows(window.get()).size(), 1);
    QCOMPARE(search(window.get(), "", "2008").text, QString("Please fill all blanks."));
    QCOMPARE(listRows(window.get()).size(), 1);
}

void TestMonthlyReportWindow::searchFailures()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2009});
    addSale({"Tea", QVariant(), "1", "2", 6, 7, 2009});
    addSale({"Milk", "3", "2", "1", 7, 7, 2009});
    const auto window = open();
    QCOMPARE(listRows(window.get()).size(), 1);

    for (const auto& [month, year] :
         {std::pair<QString, QString>{"July", "2009"}, {"7", "2009 or 1=1"}, {"7.5.", "2009"}}) {
        const test::SeenBox box = search(window.get(), month, year);
        QCOMPARE(box.title, QString("Error"));
        QCOMPARE(box.text, QString("(BB)Search Engine Error"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY(listRows(window.get()).isEmpty());
    }
    // The row with an empty price stops the search; the line before it stays.
    QCOMPARE(search(window.get(), " 7", "2009").text, QString("(BB)Search Engine Error"));
    QCOMPARE(listRows(window.get()).size(), 1);
    QCOMPARE(listRows(window.get()).value(0).value(1), QString("Cola"));
}

void TestMonthlyReportWindow::searchReadsMonthAndYearAsNumbers()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2009});
    addSale({"Milk", "3", "2", "1", 7, 1, 2009});
    const auto window = open();
    for (const auto& [month, year, product] : {std::tuple<QString, QString, QString>{"7.0", "2009", "Cola"},
                                               {"07", "2009.00", "Cola"},
                                               {" 7 ", "2.009e3", "Cola"},
                                               {"1.0", "2009", "Milk"}}) {
        QVERIFY(!search(window.get(), month, year).seen);
        QCOMPARE(listRows(window.get()).size(), 1);
        QCOMPARE(listRows(window.get()).value(0).value(1), product);
    }
    // A number that no whole month equals finds nothing, and is no error.
    QVERIFY(!search(window.get(), "7.5", "2009").seen);
    QVERIFY(listRows(window.get()).isEmpty());
}

void TestMonthlyReportWindow::openingFailureKeepsEarlierLines()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2009});
    addSale({"Tea", "2", "1", QVariant(), 6, 7, 2009});
    test::SeenBox box;
    const auto window = open(&box);
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.text, QString("(BB)Init Error"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(listRows(window.get()).size(), 1);
}

void TestMonthlyReportWindow::yearListRunsToThisYear()
{
    test::setClock([] { return QDateTime(QDate(2027, 1, 1), QTime(0, 0)); });
    const auto window = open();
    QComboBox* years = combo(window.get(), "cmbYear1");
    QCOMPARE(years->count(), 23);
    QCOMPARE(years->itemText(0), QString("2005"));
    QCOMPARE(years->itemText(22), QString("2027"));
    QComboBox* months = combo(window.get(), "cmbMonth1");
    QCOMPARE(months->count(), 12);
    QCOMPARE(months->itemText(11), QString("12"));
}

void TestMonthlyReportWindow::exportWritesTheListBelowTheTitles()
{
    const QString wide = QString::fromUtf8("Caf\xC3\xA9 \xE5\x92\x96\xE5\x95\xA1");
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2008});
    addSale({wide, "10.1", "8", "3", 6, 7, 2009});
    const auto window = open();
    const QString path = m_folder->file("July.xls");
    test::SeenFileDialog dialog;
    const test::SeenBox box = exportTo(window.get(), path, &dialog);
    QCOMPARE(dialog.objectName, QString("CD"));
    QCOMPARE(dialog.acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(dialog.nameFilters, QStringList{"Excel File(*.XLS) (*.xls *.XLS)"});
    QCOMPARE(box.title, QString("Successful"));
    QCOMPARE(box.text, QString("EXCEL file has been exported successfully."));
    QCOMPARE(box.icon, QMessageBox::NoIcon);

    const test::XlsBook book = test::readWithXlrd(path);
    QVERIFY2(book.ok, qPrintable(book.error));
    QCOMPARE(book.sheets.size(), 1);
    QCOMPARE(book.sheets[0].name, QString("sheet1"));
    QVERIFY(book.sheets[0].onlyText);
    QCOMPARE(book.sheets[0].rows, (QList<QStringList>{kTitles,
                                                      {"2008-7-5", "Cola", "4Unit(s)", "$2.5", "2.8"},
                                                      {"2009-7-6", wide, "3Unit(s)", "$10.1", "6.3"}}));
    QCOMPARE(book.sheets[0].dimensionRows, 3);
}

void TestMonthlyReportWindow::exportOfEmptyListAndSecondExportToSameName()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2008});
    addSale({"Tea", "2", "1", "2", 6, 7, 2009});
    const auto window = open();
    const QString path = m_folder->file("report.xls");
    QCOMPARE(exportTo(window.get(), path).title, QString("Successful"));
    QCOMPARE(test::readWithXlrd(path).sheets.value(0).rows.size(), 3);

    search(window.get(), "7", "2009");
    QCOMPARE(exportTo(window.get(), path).title, QString("Successful"));
    QCOMPARE(test::readWithXlrd(path).sheets.value(0).rows,
             (QList<QStringList>{kTitles, {"2009-7-6", "Tea", "2Unit(s)", "$2", "2"}}));

    search(window.get(), "1", "2009");
    QCOMPARE(exportTo(window.get(), path).title, QString("Successful"));
    QCOMPARE(test::readWithXlrd(path).sheets.value(0).rows, QList<QStringList>{kTitles});
    // Nothing is left behind beside the file.
    QCOMPARE(QDir(m_folder->path()).entryList({"*.xls*"}, QDir::Files), QStringList{"report.xls"});
}

void TestMonthlyReportWindow::cancelledExportWritesNothing()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2008});
    const auto window = open();
    const QStringList before = QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    test::SeenFileDialog dialog;
    QVERIFY(!exportTo(window.get(), QString(), &dialog).seen);
    QVERIFY(dialog.seen);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestMonthlyReportWindow::exportNameGetsItsExtension()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2008});
    const auto window = open();
    test::SeenFileDialog dialog;
    QCOMPARE(exportTo(window.get(), m_folder->file("July"), &dialog).title, QString("Successful"));
    // The description is read once, as designed; the patterns stay out of sight.
    QCOMPARE(dialog.shownFilters, QStringList{"Excel File(*.XLS)"});
    QVERIFY(QFile::exists(m_folder->file("July.xls")));
    QVERIFY(!QFile::exists(m_folder->file("July")));
    QCOMPARE(test::readWithXlrd(m_folder->file("July.xls")).sheets.value(0).rows.size(), 2);

    // A name with its own extension keeps it; the dialog opens where the last file went.
    QCOMPARE(exportTo(window.get(), m_folder->file("August.XLS"), &dialog).title, QString("Successful"));
    QCOMPARE(dialog.folder, QDir(m_folder->path()).absolutePath());
    QVERIFY(QFile::exists(m_folder->file("August.XLS")));
    QVERIFY(!QFile::exists(m_folder->file("August.XLS.xls")));
}

void TestMonthlyReportWindow::failedExportKeepsTheOldFile()
{
    addSale({"Cola", "2.5", "1.8", "4", 5, 7, 2008});
    const auto window = open();
    const QString path = m_folder->file("old.xls");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("last month's figures");
    old.close();

    QVERIFY(QFile::remove(m_folder->file("report/report.rpt")));
    const test::SeenBox box = exportTo(window.get(), path);
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.text, QString("(BB)Export error"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(test::fileBytes(path), QByteArray("last month's figures"));
}

QTEST_MAIN(TestMonthlyReportWindow)
#include "tst_monthlyreportwindow.moc"
