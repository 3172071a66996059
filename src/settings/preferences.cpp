#include "settings/preferences.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "app/settings.h"
#include "app/text.h"
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

PreferencesOutcome savePreferences(const PreferencesInput& input)
{
    RunValues& values = runValues();
    values.warningTone = input.warningTone;
    if (input.confirmation != input.password)
        return PreferencesOutcome::PasswordMismatch;

    if (auto users = ExecSQL(QStringLiteral("select * from user_info")); users && !users->isEof()) {
        users->setField(0, input.userName);
        users->setField(1, input.password);
        // The dialog shows the run's password when it opens again: were it still the one typed at
        // login, the next OK would put that back.
        if (users->update())
            values.currentPassword = input.password;
    }

    values.shopName = input.shopName;
    values.currencySymbol = trimBlanks(input.currencySymbol);
    saveSetup(ShopSettings{input.warningTone, values.shopName, values.currencySymbol});
    return PreferencesOutcome::Saved;
}

} // namespace marvono
