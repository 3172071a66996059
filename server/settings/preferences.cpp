#include "settings/preferences.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "app/settings.h"
#include "data/recordset.h"

#include <QFileInfo>

namespace marvono {

SetupHead readSetupHead()
{
    const QString path = appPath(QStringLiteral("setup.dat"));
    if (!QFileInfo::exists(path))
        return {};
    const auto items = readQuotedItems(path);
    if (!items)
        return {};
    SetupHead head;
    if (items->size() >= 1)
        head.warningTone = items->at(0) != QLatin1String("0");
    if (items->size() >= 2)
        head.shopName = items->at(1);
    return head;
}

QString withoutBlanksAround(const QString& text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == QLatin1Char(' '))
        ++first;
    while (end > first && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(first, end - first);
}

PreferencesOutcome savePreferences(const PreferencesInput& input)
{
    RunValues& values = runValues();
    values.warningTone = input.warningTone;
    if (input.confirmation != input.password)
        return PreferencesOutcome::PasswordMismatch;

    if (auto users = ExecSQL(QStringLiteral("select * from user_info")); users && !users->isEof()) {
        users->setField(0, input.userName);
        users->setField(1, input.password);
        users->update();
    }

    values.shopName = input.shopName;
    values.currencySymbol = withoutBlanksAround(input.currencySymbol);
    saveSetup(ShopSettings{input.warningTone, values.shopName, values.currencySymbol});
    return PreferencesOutcome::Saved;
}

} // namespace marvono
