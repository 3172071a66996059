#include "app/ui/commands.h"

#include "app/ui/frmmain.h"
#include "controls/ui/dialogs.h"
#include "reports/ui/statisticswindow.h"

namespace marvono {

void registerReportsCommands(CommandTable& table)
{
    table.set(Command::OpenStatistics,
              [](FrmMain& window) { showSingleDialog<StatisticsWindow>(static_cast<QWidget*>(&window)); });
}

} // namespace marvono
