#pragma once
// The chosen buyer's running bill total, for the main window's status bar.
#include <QLabel>

namespace marvono {

class BillTotalLabel : public QLabel {
    Q_OBJECT
  public:
    explicit BillTotalLabel(QWidget* parent);
    ~BillTotalLabel() override;

    // Reads the chosen buyer's bill and shows its total; a bill that cannot be read leaves the
    // label empty rather than showing an old amount.
    void refresh();
    // Every label reads the bill again: after a sale, an edit of the bill or a payment.
    static void refreshAll();
};

} // namespace marvono
