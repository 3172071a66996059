#pragma once
// frmSetup: shop name, currency symbol, warning tone, user name and password.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace marvono {

class XPContainer;

class PreferencesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PreferencesDialog(QWidget* parent = nullptr);

  private:
    void build();
    void load();
    void save();

    XPContainer* m_frame = nullptr;
    XPContainer* m_nameGroup = nullptr;
    XPContainer* m_symbolGroup = nullptr;
    XPContainer* m_toneGroup = nullptr;
    XPContainer* m_securityGroup = nullptr;
    QLineEdit* m_shopName = nullptr;     // txtGG
    QLineEdit* m_symbol = nullptr;       // txtSymbol
    QCheckBox* m_tone = nullptr;         // chkSound
    QLineEdit* m_userName = nullptr;     // txtUsername
    QLineEdit* m_password = nullptr;     // txtPWD
    QLineEdit* m_confirmation = nullptr; // txtPWD2
    QComboBox* m_paper = nullptr;        // cmbPaper: receipt paper
    QList<QWidget*> m_blueLabels;
};

} // namespace marvono
