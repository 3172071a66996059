#include "bills/buyerlist.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "data/shopserver.h"

#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

namespace marvono {
namespace {
// Kept by name and position: a name listed twice is chosen by its place, and a choice survives
// the list being edited as long as its name is still listed.
ChosenBuyer g_choice;
QString g_tillBuyer; // this till's own buyer on a shop server

QString tillBuyerName(const ShopServerConfig& config)
{
    if (!config.till.isEmpty())
        return config.till;
    QString name = QSysInfo::machineHostName();
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    name.remove(QLatin1Char('"'));
    return name.isEmpty() ? QStringLiteral("Till") : name;
}
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
    if (const int own = g_tillBuyer.isEmpty() ? -1 : int(buyers.indexOf(g_tillBuyer)); own >= 0)
        return {g_tillBuyer, own};
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
    g_tillBuyer.clear();
}

bool takeTillBuyer(QString* error)
{
    const std::optional<ShopServerConfig> config = readShopServerConfig(appFolder(), nullptr);
    if (!config)
        return true;
    const QString name = tillBuyerName(*config);
    // Tills started together must not write each other's names out of the shared file.
    QLockFile lock(buyerListPath() + QStringLiteral(".lock"));
    if (!lock.tryLock(10000)) {
        if (error)
            *error = lock.error() == QLockFile::LockFailedError
                         ? QStringLiteral("%1.lock stays held by another till").arg(buyerListPath())
                         : QStringLiteral("%1.lock cannot be made").arg(buyerListPath());
        return false;
    }
    QStringList buyers;
    if (QFileInfo::exists(buyerListPath())) {
        const std::optional<QStringList> read = readQuotedItems(buyerListPath(), error);
        if (!read)
            return false;
        buyers = *read;
    }
    if (!buyers.contains(name) && !writeBuyerList(buyers << name, error))
        return false;
    g_tillBuyer = name;
    return true;
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
