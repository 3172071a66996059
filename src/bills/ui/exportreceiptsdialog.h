#pragma once
// frmExportReceipts: the days whose receipts and closes go to the accountant.
#include <QDate>
#include <QDialog>

class QDateEdit;

namespace marvono {

class ExportReceiptsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ExportReceiptsDialog(QWidget* parent = nullptr);
    QDate from() const;
    QDate to() const;

  private:
    void check();

    QDateEdit* m_from = nullptr; // dtpFrom
    QDateEdit* m_to = nullptr;   // dtpTo
};

// Management → Export receipts: asks for the days (this month unless changed), then for the
// receipts' CSV file, and writes it with the closes' file beside it; a failure is shown with its
// reason.
void exportReceiptsFor(QWidget* parent);

} // namespace marvono
