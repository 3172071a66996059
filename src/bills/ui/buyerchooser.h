#pragma once
// A drop-down of the buyer list that shows and changes the buyer chosen for the run. Every open
// chooser shows the same buyer: a choice made in one moves the others.
#include "bills/buyerlist.h"

#include <QComboBox>

namespace marvono {

class BuyerChooser : public QComboBox {
    Q_OBJECT
  public:
    explicit BuyerChooser(QWidget* parent);
    ~BuyerChooser() override;

    // The chosen buyer among the entries shown.
    ChosenBuyer buyer() const { return m_shown; }

    // Every chooser reads the buyer list file again.
    static void reloadAll();

  signals:
    // The buyer shown changed, in whichever chooser it was chosen.
    void buyerChanged();

  private:
    void reload();
    void showChoice();

    QStringList m_buyers;
    ChosenBuyer m_shown;
};

} // namespace marvono
