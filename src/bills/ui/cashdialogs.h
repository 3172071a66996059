#pragma once
// The cash in a drawer, typed by the operator: the float that opens a shift (frmFloat) and the
// cash counted at the close (frmCashCount).
#include "app/numbers.h"

#include <QDialog>
#include <optional>

class QLineEdit;

namespace marvono {

// One amount of cash, 0 or more; OK refuses an empty box or a text that is no such amount.
class CashDialog : public QDialog {
    Q_OBJECT
  public:
    CashDialog(QWidget* parent, const QString& form, const QString& box, const QString& prompt, const QString& refusal);
    std::optional<Currency> amount() const { return m_amount; }

  private:
    void check();

    QLineEdit* m_box = nullptr;
    QString m_refusal;
    std::optional<Currency> m_amount;
};

// Before a sale: true when the operator's shift is open, after asking for the float at its first
// sale; false, the sale not to be made, when the operator cancelled or the shift could not be read
// or opened (and the operator was told).
bool shiftOpenFor(QWidget* parent);

// The cash the operator counted in the drawer of `operatorName` (named when `named`); nothing
// when the operator cancelled.
std::optional<Currency> askCountedCash(QWidget* parent, const QString& operatorName, bool named);

} // namespace marvono
