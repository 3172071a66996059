#include "app/appcontext.h"
#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "settings/ui/operatorsdialog.h"
#include "settings/ui/preferencesdialog.h"

namespace marvono {

void registerSettingsCommands(CommandTable& table)
{
    table.set(Command::OpenPreferences,
              [](ShopWindow& window) { showSingleDialog<PreferencesDialog>(window.mainWindow()); });
    table.set(Command::OpenOperators, [](ShopWindow& window) {
        if (!runValues().ownerRights) {
            warn(window.mainWindow(), QStringLiteral("Operators"),
                 QStringLiteral("Only the owner keeps the operators."));
            return;
        }
        showSingleDialog<OperatorsDialog>(window.mainWindow());
    });
}

} // namespace marvono
