#include "reports/ui/monthlyreportwindow.h"

#include "app/appcontext.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/xpcontainer.h"
#include "reports/linesmodel.h"
#include "reports/monthlyreport.h"
#include "reports/reportexport.h"
#include "reports/ui/chartwindows.h"
#include "reports/ui/reportlist.h"

#include <QComboBox>
#include <QLabel>
#include <QTreeView>

namespace marvono {
namespace {

constexpr int kFirstYear = 2005;

QComboBox* addCombo(QWidget* parent, const QString& objectName, const QRect& geometry)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->setGeometry(geometry);
    combo->setEditable(true); // typed text goes into the search as it is
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

} // namespace

MonthlyReportWindow::MonthlyReportWindow(QWidget* parent) : QDialog(parent)
{
    buildControls();
    load();
}

void MonthlyReportWindow::buildControls()
{
    setObjectName(QStringLiteral("frmBB"));
    setWindowTitle(QStringLiteral("Report"));
    setFixedSize(XPContainer::twips(0, 0, 10200, 7200).size());

    m_container = new XPContainer(this, QStringLiteral("Report"));
    m_container->setObjectName(QStringLiteral("XPContainer1"));
    m_container->setGeometry(rect());

    m_searchArea = new XPContainer(m_container);
    m_searchArea->setObjectName(QStringLiteral("XPContainer2"));
    m_searchArea->setStyle(1);
    m_searchArea->setGeometry(XPContainer::twips(150, 480, 9900, 1080));

    makeLabel(m_searchArea, QStringLiteral("Label1"), QStringLiteral("Search"), XPContainer::twips(150, 90, 1500, 300));
    makeLabel(m_searchArea, QStringLiteral("Label2"), QStringLiteral("Month"), XPContainer::twips(150, 570, 700, 300));
    m_month = addCombo(m_searchArea, QStringLiteral("cmbMonth1"), XPContainer::twips(870, 510, 1100, 330));
    makeLabel(m_searchArea, QStringLiteral("Label3"), QStringLiteral("Year"), XPContainer::twips(2200, 570, 600, 300));
    m_year = addCombo(m_searchArea, QStringLiteral("cmbYear1"), XPContainer::twips(2820, 510, 1300, 330));

    QPushButton* searchButton = makeButton(m_searchArea, QStringLiteral("cmdSearch"), QStringLiteral(" Search"));
    searchButton->setGeometry(XPContainer::twips(4500, 450, 1500, 450));
    QPushButton* exportButton = makeButton(m_searchArea, QStringLiteral("cmdExcel"), QStringLiteral(" Export"));
    exportButton->setGeometry(XPContainer::twips(6300, 450, 1500, 450));
    QPushButton* chartButton = makeButton(m_searchArea, QStringLiteral("cmdChart"), QStringLiteral("Chart"));
    chartButton->setGeometry(XPContainer::twips(8100, 450, 1500, 450));

    m_model = new LinesModel<ReportLine>(reportTitles(), &reportCell, this);
    m_list = makeReportList(m_container, m_model, XPContainer::twips(150, 1680, 9900, 4650));

    QPushButton* exitButton = makeButton(m_container, QStringLiteral("cmdExit"), QStringLiteral("  Back"));
    exitButton->setGeometry(XPContainer::twips(8550, 6480, 1500, 450));

    connect(searchButton, &QPushButton::clicked, this, &MonthlyReportWindow::search);
    connect(exportButton, &QPushButton::clicked, this, &MonthlyReportWindow::exportList);
    connect(chartButton, &QPushButton::clicked, this, &MonthlyReportWindow::showChart);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, exitButton);
}

void MonthlyReportWindow::load()
{
    m_container->setTheme(runValues().themeIndex);
    m_searchArea->setTheme(runValues().themeIndex);
    const QDate today = Clock::now().date();
    // Each list goes in as one insertion rather than one per item.
    QStringList months, years;
    for (int month = 1; month <= 12; ++month)
        months.append(QString::number(month));
    // Up to this year, so that this year's sales can be searched.
    for (int year = kFirstYear; year <= std::max(kFirstYear, today.year()); ++year)
        years.append(QString::number(year));
    m_month->addItems(months);
    m_year->addItems(years);
    m_month->setCurrentIndex(-1);
    m_year->setCurrentIndex(-1);

    if (!addLines(monthOfEveryYear(today.month(), runValues().currencySymbol)))
        warn(this, QStringLiteral("Error"), QStringLiteral("(BB)Init Error"));
}

void MonthlyReportWindow::search()
{
    if (m_year->currentText().isEmpty() || m_month->currentText().isEmpty()) {
        warn(this, QStringLiteral("Warning"), QStringLiteral("Please fill all blanks."));
        return;
    }
    m_model->clear();
    if (!addLines(monthOfYear(m_month->currentText(), m_year->currentText(), runValues().currencySymbol)))
        warn(this, QStringLiteral("Error"), QStringLiteral("(BB)Search Engine Error"));
}

bool MonthlyReportWindow::addLines(ReportLines lines)
{
    m_model->append(std::move(lines.lines));
    return !lines.failed;
}

void MonthlyReportWindow::exportList()
{
    const QString path = chooseFile(this, FileDialogMode::Save, QStringLiteral("CD"), QStringLiteral("Save As"),
                                    QStringLiteral("Excel File(*.XLS)|*.xls"));
    if (path.isEmpty())
        return;
    const ExportResult result = exportReport(appPath(QStringLiteral("report/report.rpt")), path, m_model->texts());
    if (result.ok)
        showMessage(this, QMessageBox::NoIcon, QStringLiteral("Successful"),
                    QStringLiteral("EXCEL file has been exported successfully."));
    else
        warn(this, QStringLiteral("Error"), QStringLiteral("(BB)Export error"));
}

void MonthlyReportWindow::showChart()
{
    // Drawn from the lines on screen, so an open chart of an earlier search gives way.
    delete m_chart;
    m_chart = new MonthChartWindow(m_model->rows(), runValues().currencySymbol, this);
    m_chart->setAttribute(Qt::WA_DeleteOnClose);
    m_chart->show();
}

} // namespace marvono
