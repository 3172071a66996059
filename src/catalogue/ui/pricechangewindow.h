#pragma once
// frmChangePrices: raises or lowers the retail prices of the products selected in the main list or
// of a category, by a percentage or an amount rounded to a price step, after a preview.
#include <QDialog>
#include <QStringList>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace marvono {

struct PriceRule;

class PriceChangeWindow : public QDialog {
    Q_OBJECT
  public:
    explicit PriceChangeWindow(QWidget* parent = nullptr);

    // Shows the chosen products' old and new prices under the typed rule.
    void preview();

  private:
    QStringList chosenNames() const;
    std::optional<PriceRule> typedRule() const;
    void apply();

    QStringList m_selected;                  // the names selected in the main list when the window opened
    QRadioButton* m_fromSelection = nullptr; // optSelected
    QRadioButton* m_fromCategory = nullptr;  // optCategory
    QComboBox* m_category = nullptr;         // cboCategory
    QComboBox* m_how = nullptr;              // cboHow: percent or amount
    QLineEdit* m_change = nullptr;           // txtChange
    QComboBox* m_step = nullptr;             // cboStep
    QTreeWidget* m_list = nullptr;           // lstPrices
    QPushButton* m_apply = nullptr;          // cmdApply
};

} // namespace marvono
