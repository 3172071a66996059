#include "bills/shopidentity.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "app/text.h"

namespace marvono {
namespace {

QString identityPath()
{
    return appPath(QStringLiteral("identity.dat"));
}

} // namespace

ShopIdentity shopIdentityOf(const QString& addressText, const QString& taxNumber)
{
    ShopIdentity identity;
    for (const QString& line : addressText.split(QLatin1Char('\n'))) {
        if (const QString kept = line.trimmed(); !kept.isEmpty())
            identity.address.append(kept);
    }
    identity.taxNumber = taxNumber.trimmed();
    return identity;
}

ShopIdentity readShopIdentity()
{
    const std::optional<QStringList> items = readQuotedItems(identityPath());
    if (!items || items->isEmpty())
        return {};
    return shopIdentityOf(items->mid(1).join(QLatin1Char('\n')), items->first());
}

bool saveShopIdentity(const ShopIdentity& identity, QString* error)
{
    const QStringList items = QStringList{identity.taxNumber} + identity.address;
    if (items.join(QString()).contains(QLatin1Char('"')))
        return fail(error, QStringLiteral("The address and the tax number cannot hold a double quote (\")."));
    QString reason;
    if (writeQuotedItems(identityPath(), items, &reason))
        return true;
    return fail(error, QStringLiteral("Cannot write %1: %2").arg(identityPath(), reason));
}

QStringList identityLines(const ShopIdentity& identity, int columns)
{
    QStringList lines;
    for (const QString& line : identity.address)
        lines += wrapped(line, columns);
    if (!identity.taxNumber.isEmpty())
        lines += wrapped(QStringLiteral("Tax No. ") + identity.taxNumber, columns);
    return lines;
}

} // namespace marvono
