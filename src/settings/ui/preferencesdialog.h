#pragma once
// frmSetup: shop name, currency symbol, warning tone, user name and password, receipt printer, and
// the buttons to the tax rates and the shop identity.
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
    void buildPrinterGroup();
    void showPrinterChoice();

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
    XPContainer* m_printerGroup = nullptr;
    QComboBox* m_printer = nullptr;       // cmbPrinter: desktop printing or ESC/POS
    QComboBox* m_columns = nullptr;       // cmbColumns: an ESC/POS printer's line width
    QLineEdit* m_printerTarget = nullptr; // txtPrinter: its device file or host:port
    QList<QWidget*> m_blueLabels;
};

} // namespace marvono
