#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "settings/ui/preferencesdialog.h"

namespace marvono {

void registerSettingsCommands(CommandTable& table)
{
    table.set(Command::OpenPreferences,
              [](ShopWindow& window) { showSingleDialog<PreferencesDialog>(window.mainWindow()); });
}

} // namespace marvono
