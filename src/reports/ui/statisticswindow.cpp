#include "reports/ui/statisticswindow.h"

#include "app/appcontext.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/xpcontainer.h"
#include "reports/linesmodel.h"
#include "reports/statistics.h"
#include "reports/ui/chartwindows.h"
#include "reports/ui/monthlyreportwindow.h"
#include "reports/ui/reportlist.h"

#include <QLabel>
#include <QPointer>
#include <QTreeView>

namespace marvono {

StatisticsWindow::StatisticsWindow(QWidget* parent) : QDialog(parent)
{
    buildControls();
    load();
}

void StatisticsWindow::buildControls()
{
    setObjectName(QStringLiteral("frmJSTJ"));
    setWindowTitle(QStringLiteral("Statistic"));
    setFixedSize(XPContainer::twips(0, 0, 10200, 6600).size());

    m_container = new XPContainer(this, QStringLiteral("Stat."));
    m_container->setObjectName(QStringLiteral("XPContainer1"));
    m_container->setGeometry(rect());

    m_model = new LinesModel<ProductFigures>(statisticsTitles(), &statisticsCell, this);
    m_list = makeReportList(m_container, m_model, XPContainer::twips(150, 480, 9900, 4500));

    m_totalSale = new QLabel(QStringLiteral("Total Sale:"), m_container);
    m_totalSale->setObjectName(QStringLiteral("lblTotalSale"));
    m_totalSale->setGeometry(XPContainer::twips(300, 5160, 4500, 300));
    m_totalProfit = new QLabel(QStringLiteral("Profit Total:"), m_container);
    m_totalProfit->setObjectName(QStringLiteral("lblTotalProfit"));
    m_totalProfit->setGeometry(XPContainer::twips(300, 5580, 4500, 300));

    QPushButton* report = makeButton(m_container, QStringLiteral("cmdBB"), QStringLiteral(" Report"));
    report->setGeometry(XPContainer::twips(6600, 5520, 1500, 450));
    QPushButton* ok = makeButton(m_container, QStringLiteral("cmdOK"), QStringLiteral("  O K"));
    ok->setGeometry(XPContainer::twips(8400, 5520, 1500, 450));
    QPushButton* chart = makeButton(m_container, QStringLiteral("cmdChart"), QStringLiteral("Chart"));
    chart->setGeometry(XPContainer::twips(4950, 5520, 1500, 450));

    connect(report, &QPushButton::clicked, this, &StatisticsWindow::openReport);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    connect(chart, &QPushButton::clicked, this, &StatisticsWindow::showChart);
    pressOnEscape(this, ok);
}

void StatisticsWindow::load()
{
    m_container->setTheme(runValues().themeIndex);
    const QString& symbol = runValues().currencySymbol;
    Statistics statistics = catalogueStatistics(symbol);
    m_model->append(std::move(statistics.products));
    if (statistics.failed) {
        warn(this, QStringLiteral("Error"), QStringLiteral("(JSTJ)Init error"));
        return;
    }
    m_totalSale->setText(totalSaleText(symbol, statistics.salesTotal));
    m_totalProfit->setText(totalProfitText(symbol, statistics.profitTotal));
}

void StatisticsWindow::openReport()
{
    // The report outlives this window, so it belongs to this window's parent.
    showSingleDialog<MonthlyReportWindow>(parentWidget());
    close();
}

void StatisticsWindow::showChart()
{
    // Like the report, the chart outlives this window; a chart already open is read afresh.
    static QPointer<CategoryChartWindow> chart;
    delete chart;
    chart = new CategoryChartWindow(runValues().currencySymbol, parentWidget());
    chart->setAttribute(Qt::WA_DeleteOnClose);
    chart->show();
}

} // namespace marvono
