#pragma once
// frmReceive: books goods received for a product, or a stock count correction with its reason.
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace marvono {

class XPContainer;

class ReceiveStockDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ReceiveStockDialog(QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    // The product the box names: a product's name as typed, the one product whose code it is, or
    // the one product whose name holds it.
    QString typedProduct() const;
    void chooseTyped();
    // A scanned code while goods are received: one more unit of that product.
    void countScan(int found);
    void selectProductText();
    void showStock();
    void showKind();
    void followReason(const QString& reason);
    void book();
    // Books what the boxes hold; false when refused or failed.
    bool bookTyped(bool closing);

    XPContainer* m_container = nullptr;
    QComboBox* m_product = nullptr;     // cmbProduct
    QLabel* m_stock = nullptr;          // lblStock
    QRadioButton* m_received = nullptr; // optReceived
    QRadioButton* m_correction = nullptr;
    QRadioButton* m_out = nullptr; // optOut: a correction's units leave the stock
    QRadioButton* m_in = nullptr;  // optIn
    QLineEdit* m_units = nullptr;  // txtUnits
    QLineEdit* m_price = nullptr;  // txtInPrice
    QComboBox* m_reason = nullptr; // cmbReason
};

} // namespace marvono
