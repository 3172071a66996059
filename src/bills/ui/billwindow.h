#pragma once
// The bill editor frmBill: lists, changes, prints and settles the bill of the buyer chosen for
// the run (at first the first buyer of the buyer list).
#include "bills/bill.h"
#include "bills/discount.h"
#include "bills/receipt.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace marvono {

class BuyerChooser;
class XPContainer;

class BillWindow : public QDialog {
    Q_OBJECT
  public:
    explicit BillWindow(QWidget* parent = nullptr);
    // Lists the chosen buyer's bill as it is stored now, keeping the boxes: Checkout on an open
    // editor, which sales may have added to since it was shown.
    void rereadBill();

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void buildControls();
    void buildList();
    void buildLineBoxes();
    void buildPayment();
    void buildButtons();
    void buildDiscounts();
    void load();
    void lineClicked(QTreeWidgetItem* item);
    void addNew();
    void update();
    void remove();
    // After a line changed: the stock may have moved, or the operator is told it could not.
    void afterLineChange(LineChange change);
    void payBill();
    void discountLine();
    void discountBill();
    void removeDiscount();
    // Tells the operator why a discount was not given, and lists the bill as it now stands.
    void afterDiscount(const DiscountResult& result);
    // The row identity of the line clicked; -1, after telling the operator, when none is.
    qint64 selectedLineKey();
    DiscountKind discountKind() const;
    // How Pay Bill pays: as the boxes say, or the whole bill in cash exactly (F8) or by card (F9).
    enum class PayWay { Boxes, ExactCash, WholeByCard };
    void pay(PayWay way);
    // The amount in the Card or Other box, at most `left`; nothing after the operator was told.
    std::optional<Currency> tenderIn(QLineEdit* box, const QString& name, Currency left);
    void printBill();
    void printReceipt();
    void saveReceiptPdf();
    void leave();

    // The chosen buyer, whose bill is shown; every operation acts on it.
    QString currentBuyer() const;
    // Lists the chosen buyer's bill afresh, with the boxes and line key emptied.
    void showBuyer();
    BillLine typedLine() const;
    // The Quantity, Unit Price and Sub-Total boxes with their line values and the names the
    // operator is told.
    struct NumberBox {
        QLineEdit* box;
        QString BillLine::*value;
        QString name;
    };
    QList<NumberBox> numberBoxes() const;
    // The typed line with its numbers in the stored form; nothing after the operator was told
    // which box holds no number.
    std::optional<BillLine> checkedLine() const;
    bool allFilled();
    void appendLine(const BillLine& line);
    QList<BillLine> shownLines() const;
    // Lists the buyer's lines as the database holds them and shows their total, so the screen
    // and the printed bill never show a line that is not stored. The current row stays current
    // when `keepRow`; false when the total cannot be computed.
    bool reload(bool afterAddNew, bool keepRow = true);
    // Shows the total of the listed sub-totals; false when it cannot be computed.
    bool showTotal(bool afterAddNew);

    XPContainer* m_container = nullptr;
    QComboBox* m_buyers = nullptr;     // cmbTable, never shown
    BuyerChooser* m_chooser = nullptr; // cmbBuyer
    QTreeWidget* m_list = nullptr;     // LV
    QLineEdit* m_time = nullptr;
    QLineEdit* m_product = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLineEdit* m_unitPrice = nullptr;
    QLineEdit* m_subTotal = nullptr;
    QLineEdit* m_key = nullptr; // Text1, never shown: the time text of the line last clicked
    QLabel* m_unitSymbol = nullptr;
    QLabel* m_subTotalSymbol = nullptr;
    QLabel* m_total = nullptr;
    QLabel* m_buyer = nullptr;       // lblBuyer: whose bill this is
    QLineEdit* m_received = nullptr; // txtReceived: the cash handed over, empty for the exact total
    QLineEdit* m_card = nullptr;     // txtCard: paid by card, empty for none
    QLineEdit* m_other = nullptr;    // txtOther: paid another way, empty for none
    QLabel* m_paid = nullptr;        // lblPaid: the receipt and change of the bill just paid
    QPushButton* m_printReceipt = nullptr;
    QPushButton* m_receiptPdf = nullptr;
    QLineEdit* m_discount = nullptr;     // txtDiscount: the percent or amount to take off
    QComboBox* m_discountKind = nullptr; // cmbDiscountKind: "%" or "amount"
    std::optional<Receipt> m_receipt;    // the last bill this window settled
    bool m_totalAfterAddNew = false;     // the label's "Total : " form
    // The row identities of the lines this editor loaded or added: checkout settles these only.
    QList<qint64> m_shownLines;
};

} // namespace marvono
