#pragma once
// The monthly report window frmBB: the daily sales ledger of one month, searched by month and
// year, and its export to an Excel workbook.
#include <QDialog>
#include <QPointer>

class QComboBox;
class QTreeView;

namespace marvono {

template <typename Row> class LinesModel;
struct ReportLine;
class XPContainer;
struct ReportLines;
class MonthChartWindow;

class MonthlyReportWindow : public QDialog {
    Q_OBJECT
  public:
    explicit MonthlyReportWindow(QWidget* parent = nullptr);

  private:
    void buildControls();
    void load();
    void search();
    void exportList();
    void showChart();
    bool addLines(ReportLines lines);

    XPContainer* m_container = nullptr;
    XPContainer* m_searchArea = nullptr;
    QComboBox* m_month = nullptr; // cmbMonth1
    QComboBox* m_year = nullptr;  // cmbYear1
    QTreeView* m_list = nullptr;  // LV
    LinesModel<ReportLine>* m_model = nullptr;
    QPointer<MonthChartWindow> m_chart;
};

} // namespace marvono
