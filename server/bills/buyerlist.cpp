#include "bills/buyerlist.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "data/shopserver.h"

#include <QFileInfo>

namespace marvono {
namespace {
// Kept by name and position: a name listed twice is chosen by its place, and a choice survives
// the list being edited as long as its name is still listed.
ChosenBuyer g_choice;
} // namespace

QString buyerListPath()
{
    return qexclientPath(QStringLiteral("tables.dat"));
}

QStringList readBuyerList()
{
    if (!QFileInfo::exists(buyerListPath()))
        return {};
    return readQuotedItems(buyerListPath()).value_or(QStringList());
}

QString firstBuyer()
{
    const QStringList buyers = readBuyerList();
    return buyers.isEmpty() ? QString() : buyers.first();
}

ChosenBuyer chosenBuyer(const QStringList& buyers)
{
    if (buyers.isEmpty())
        return {};
    if (g_choice.position >= 0) {
        if (g_choice.position < buyers.size() && buyers.at(g_choice.position) == g_choice.name)
            return g_choice;
        if (const int moved = int(buyers.indexOf(g_choice.name)); moved >= 0)
            return {g_choice.name, moved};
        // The chosen name has left the list: the choice is over, even if the name comes back.
        g_choice = {};
    }
    return {buyers.first(), 0};
}

ChosenBuyer chosenBuyer()
{
    return chosenBuyer(readBuyerList());
}

void chooseBuyer(const QStringList& buyers, int position)
{
    if (position >= 0 && position < buyers.size())
        g_choice = {buyers.at(position), position};
}

void forgetBuyerChoice()
{
    g_choice = {};
}

BuyerNameProblem checkBuyerName(const QString& name)
{
    if (name.contains(QLatin1Char(' ')))
        return BuyerNameProblem::Blank;
    if (name.contains(QLatin1Char('"')))
        return BuyerNameProblem::DoubleQuote;
    return BuyerNameProblem::None;
}

bool writeBuyerList(const QStringList& buyers, QString* error)
{
    return writeQuotedItems(buyerListPath(), buyers, error);
}

} // namespace marvono
