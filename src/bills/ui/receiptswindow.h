#pragma once
// frmReceipts: the paid bills of a day with their totals, a receipt's lines, and reprints.
#include "bills/receipt.h"

#include <QDialog>
#include <memory>

class QDateEdit;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace marvono {

class XPContainer;

class ReceiptsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ReceiptsWindow(QWidget* parent = nullptr);

    // Lists the receipts of the day shown in the day box.
    void showDay();

    class RowTexts;

  private:
    void build();
    void showLines();
    std::optional<Receipt> selectedReceipt();
    void returnUnits();
    void voidSelected();
    // After a void: offers to put its lines back on the buyer's bill, under what the void did.
    void offerToBillAgain(const Receipt& voided, const QStringList& notes);

    XPContainer* m_container = nullptr;
    QDateEdit* m_day = nullptr;           // dtpDay
    QTreeWidget* m_receipts = nullptr;    // lvReceipts
    QTreeWidget* m_lines = nullptr;       // lvLines
    QLabel* m_dayTotal = nullptr;         // lblDayTotal
    QLineEdit* m_units = nullptr;         // txtUnits: units to take back from the selected line
    std::shared_ptr<RowTexts> m_rowTexts; // the rows' texts and shapes, shared by the items
};

} // namespace marvono
