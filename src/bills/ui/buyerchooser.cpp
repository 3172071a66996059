#include "bills/ui/buyerchooser.h"

namespace marvono {
namespace {

QList<BuyerChooser*>& choosers()
{
    static QList<BuyerChooser*> all;
    return all;
}

} // namespace

BuyerChooser::BuyerChooser(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("cmbBuyer"));
    setToolTip(QStringLiteral("The buyer sales and scans are booked to, and whose bill is shown"));
    choosers().append(this);
    // Only the operator's choice counts: filling and following other choosers moves the
    // current entry without choosing.
    connect(this, &QComboBox::activated, this, [this](int index) {
        chooseBuyer(m_buyers, index);
        for (BuyerChooser* chooser : choosers())
            chooser->showChoice();
    });
    reload();
}

BuyerChooser::~BuyerChooser()
{
    choosers().removeOne(this);
}

void BuyerChooser::reloadAll()
{
    for (BuyerChooser* chooser : choosers())
        chooser->reload();
}

void BuyerChooser::reload()
{
    m_buyers = readBuyerList();
    clear();
    for (const QString& buyer : m_buyers)
        addItem(buyer.isEmpty() ? QStringLiteral("(no name)") : buyer);
    showChoice();
}

void BuyerChooser::showChoice()
{
    const ChosenBuyer chosen = chosenBuyer(m_buyers);
    setCurrentIndex(chosen.position);
    if (chosen.name == m_shown.name && chosen.position == m_shown.position)
        return;
    m_shown = chosen;
    emit buyerChanged();
}

} // namespace marvono
