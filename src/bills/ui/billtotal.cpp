#include "bills/ui/billtotal.h"

#include "app/appcontext.h"
#include "bills/bill.h"
#include "bills/buyerlist.h"
#include "data/database.h"

namespace marvono {
namespace {

QList<BillTotalLabel*>& labels()
{
    static QList<BillTotalLabel*> all;
    return all;
}

} // namespace

BillTotalLabel::BillTotalLabel(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("lblBillTotal"));
    setToolTip(QStringLiteral("The running bill of the chosen buyer"));
    labels().append(this);
}

BillTotalLabel::~BillTotalLabel()
{
    labels().removeOne(this);
}

void BillTotalLabel::refresh()
{
    // A statement waiting for the shop server would refuse the read; the next refresh shows it.
    if (Database::instance().isWaiting())
        return;
    const auto lines = readBill(chosenBuyer().name);
    QStringList subTotals;
    for (const BillLine& line : lines.value_or(QList<BillLine>()))
        subTotals.append(line.subTotal);
    const std::optional<Currency> total = lines ? billTotal(subTotals) : std::nullopt;
    setText(total ? QStringLiteral("Bill: %1%2").arg(runValues().currencySymbol, total->toText()) : QString());
}

void BillTotalLabel::refreshAll()
{
    for (BillTotalLabel* label : labels())
        label->refresh();
}

} // namespace marvono
