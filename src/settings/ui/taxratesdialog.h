#pragma once
// frmTaxRates: the shop's tax rates (name, percent, default), opened from the preferences.
#include <QDialog>

class QTableWidget;

namespace marvono {

class TaxRatesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TaxRatesDialog(QWidget* parent = nullptr);

  private:
    void load();
    void addRate();
    void removeRate();
    void save();

    QTableWidget* m_table = nullptr; // tblTaxRates
};

} // namespace marvono
