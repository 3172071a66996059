#include "app/appcontext.h"
#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "settings/ui/changeoperatordialog.h"
#include "settings/ui/operatorsdialog.h"

#include "settings/ui/preferencesdialog.h"
#include <QAction>

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
    table.set(Command::ChangeOperator, [](ShopWindow& window) {
        QWidget* main = window.mainWindow();
        ChangeOperatorDialog lock(main);
        lock.exec();
        if (lock.exitChosen()) {
            main->close();
            return;
        }
        // The owner's windows go with the owner's rights.
        const bool owner = runValues().ownerRights;
        if (auto* operators = main->findChild<QAction*>(QStringLiteral("menuOperators")))
            operators->setEnabled(owner);
        if (auto* kept = main->findChild<OperatorsDialog*>(QStringLiteral("frmOperators")); kept && !owner)
            kept->close();
    });
}

} // namespace marvono
