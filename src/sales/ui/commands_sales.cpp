#include "app/ui/commands.h"
#include "app/ui/frmmain.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/dialogs.h"
#include "sales/ui/frmscsp.h"

namespace marvono {

void registerSalesCommands(CommandTable& table)
{
    table.set(Command::SellProduct, [](FrmMain& window) {
        if (productChosen(window))
            showSingleDialog<FrmSCSP>(&window);
    });
}

} // namespace marvono
