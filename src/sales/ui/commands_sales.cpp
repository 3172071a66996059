#include "app/ui/commands.h"
#include "app/ui/frmmain.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/dialogs.h"
#include "sales/ui/selldialog.h"

namespace marvono {

void registerSalesCommands(CommandTable& table)
{
    table.set(Command::SellProduct, [](FrmMain& window) {
        if (productChosen(window))
            showSingleDialog<SellDialog>(&window);
    });
}

} // namespace marvono
