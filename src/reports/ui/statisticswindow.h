#pragma once
// The statistics window frmJSTJ: every product with its profit on the units sold so far, and the
// catalogue's sales and profit totals. Filled once, when it opens.
#include <QDialog>

class QLabel;
class QPushButton;
class QTreeView;

namespace marvono {

struct ProductFigures;
template <typename Row> class LinesModel;
class XPContainer;

class StatisticsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit StatisticsWindow(QWidget* parent = nullptr);

  private:
    void buildControls();
    void load();
    void openReport();
    void showChart();

    XPContainer* m_container = nullptr;
    QTreeView* m_list = nullptr; // LV
    LinesModel<ProductFigures>* m_model = nullptr;
    QLabel* m_totalSale = nullptr;
    QLabel* m_totalProfit = nullptr;
};

} // namespace marvono
