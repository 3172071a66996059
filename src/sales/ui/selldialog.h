#pragma once
// The sell dialog frmSCSP: sells the product selected in the main list when the dialog opened
// to the buyer chosen for the run (at first the first buyer of the buyer list).
#include <QDialog>

class QComboBox;
class QLineEdit;
class QLabel;
class QPushButton;

namespace marvono {

class BuyerChooser;
class XPContainer;

class SellDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SellDialog(QWidget* parent = nullptr);

  private:
    void buildControls();
    void load();
    void sell();
    void requestListRefresh();

    XPContainer* m_container = nullptr;
    QComboBox* m_buyers = nullptr;   // cmbTable, never shown
    BuyerChooser* m_buyer = nullptr; // cmbBuyer: the buyer of the sale
    QLineEdit* m_name = nullptr;     // txtName
    QLineEdit* m_price = nullptr;    // txtOutPrice
    QLabel* m_symbol = nullptr;      // Label7
    QLineEdit* m_quantity = nullptr; // txtSellQty
    QLineEdit* m_product = nullptr;  // Text1, never shown: the product captured at load
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace marvono
