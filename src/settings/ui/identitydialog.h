#pragma once
// frmIdentity: the shop's address and tax number printed on its papers, opened from the preferences.
#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace marvono {

class IdentityDialog : public QDialog {
    Q_OBJECT
  public:
    explicit IdentityDialog(QWidget* parent = nullptr);

  private:
    void save();

    QPlainTextEdit* m_address = nullptr; // txtAddress
    QLineEdit* m_taxNumber = nullptr;    // txtTaxNumber
};

} // namespace marvono
