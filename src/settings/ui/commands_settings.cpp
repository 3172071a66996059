#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "settings/ui/frmsetup.h"

namespace marvono {

void registerSettingsCommands(CommandTable& table)
{
    table.set(Command::OpenPreferences, [](ShopWindow& window) { showSingleDialog<FrmSetup>(window.mainWindow()); });
}

} // namespace marvono
