#include "app/settings.h"

#include "app/appcontext.h"
#include "app/numbers.h"
#include "app/quoteditems.h"
#include "app/text.h"

#include <QFileInfo>

namespace marvono {

bool loadSetup(QString* error)
{
    const auto items = readQuotedItems(appPath(QStringLiteral("setup.dat")), error);
    if (!items)
        return false;
    RunValues& values = runValues();
    auto fail = [&](const char* why) {
        if (error)
            *error = QString::fromLatin1(why);
        return false;
    };
    if (items->size() < 1)
        return fail("setup.dat: item 1 missing");
    values.warningTone = items->at(0) != QLatin1String("0");
    if (items->size() < 2)
        return fail("setup.dat: item 2 missing");
    values.shopName = items->at(1);
    if (items->size() < 3)
        return fail("setup.dat: item 3 missing");
    const double check = roundHalfEven(leadingNumber(items->at(2)));
    if (check < 0 || check > 255)
        return fail("setup.dat: item 3 out of range");
    if (items->size() < 4)
        return fail("setup.dat: item 4 missing");
    values.currencySymbol = items->at(3);
    return true;
}

bool saveSetup(const ShopSettings& settings, QString* error)
{
    // The symbol is stored without surrounding blanks, whoever hands it in, so prices never show
    // a blank between symbol and amount.
    return writeQuotedItems(appPath(QStringLiteral("setup.dat")),
                            {settings.warningTone ? QStringLiteral("1") : QStringLiteral("0"), settings.shopName,
                             QStringLiteral("1"), trimBlanks(settings.currencySymbol)},
                            error);
}

std::optional<qint16> readStyleTheme()
{
    const QString path = appPath(QStringLiteral("style.dat"));
    if (!QFileInfo::exists(path))
        return qint16(0);
    const auto items = readQuotedItems(path);
    if (!items || items->isEmpty() || !isNumberText(items->first()))
        return std::nullopt;
    const double theme = roundHalfEven(leadingNumber(items->first()));
    if (theme < -32768 || theme > 32767)
        return std::nullopt;
    return qint16(theme);
}

} // namespace marvono
