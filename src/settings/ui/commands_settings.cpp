#include "app/ui/commands.h"
#include "app/ui/frmmain.h"
#include "controls/ui/dialogs.h"
#include "settings/ui/frmsetup.h"

namespace marvono {

void registerSettingsCommands(CommandTable& table)
{
    table.set(Command::OpenPreferences, [](FrmMain& window) { showSingleDialog<FrmSetup>(&window); });
}

} // namespace marvono
