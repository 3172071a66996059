#include "controls/ui/commands.h"

#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "reports/ui/statisticswindow.h"

namespace marvono {

void registerReportsCommands(CommandTable& table)
{
    table.set(Command::OpenStatistics,
              [](ShopWindow& window) { showSingleDialog<StatisticsWindow>(window.mainWindow()); });
}

} // namespace marvono
