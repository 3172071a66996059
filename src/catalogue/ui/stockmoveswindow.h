#pragma once
// frmStockMoves: the goods received and the stock count corrections of one day, and the purchase
// value of the goods received that day.
#include <QDialog>

class QDateEdit;
class QLabel;

namespace marvono {

struct StockMove;
template <typename Row> class LinesModel;
class XPContainer;

class StockMovesWindow : public QDialog {
    Q_OBJECT
  public:
    explicit StockMovesWindow(QWidget* parent = nullptr);

    // Reads the chosen day's moves afresh.
    void load();

  private:
    XPContainer* m_container = nullptr;
    QDateEdit* m_day = nullptr; // dtpDay
    LinesModel<StockMove>* m_model = nullptr;
    QLabel* m_cost = nullptr; // lblCost
};

} // namespace marvono
