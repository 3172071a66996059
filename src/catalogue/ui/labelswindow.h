#pragma once
// frmLabels: shelf or stick-on labels for the products chosen in the main list, a category or
// the low-stock products, printed or saved as PDF on a sheet layout; gives products without a code
// an in-store one.
#include "catalogue/labels.h"

#include <QDialog>
#include <QStringList>
#include <vector>

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace marvono {

class LabelsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit LabelsWindow(QWidget* parent = nullptr);

    // Reads the chosen products afresh.
    void load();
    const std::vector<LabelProduct>& products() const { return m_products; }

  private:
    void showCount();
    void giveCode();
    void print();
    void savePdf();
    bool paint(QPrinter& printer);

    QStringList m_selected; // the names selected in the main list when the window opened
    std::vector<LabelProduct> m_products;
    QRadioButton* m_fromSelection = nullptr; // optSelected
    QRadioButton* m_fromCategory = nullptr;  // optCategory
    QRadioButton* m_fromLowStock = nullptr;  // optLowStock
    QComboBox* m_category = nullptr;         // cboCategory
    QComboBox* m_kind = nullptr;             // cboKind
    QComboBox* m_layout = nullptr;           // cboLayout
    QTreeWidget* m_list = nullptr;           // lstLabels
    QLabel* m_count = nullptr;               // lblCount
    QPushButton* m_giveCode = nullptr;       // cmdGiveCode
};

} // namespace marvono
