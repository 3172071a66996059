#include "bills/buyerlist.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "data/shopserver.h"

#include <QFileInfo>

namespace marvono {

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
