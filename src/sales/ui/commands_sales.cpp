#include "catalogue/ui/productactions.h"
#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "sales/ui/selldialog.h"

namespace marvono {

void registerSalesCommands(CommandTable& table)
{
    table.set(Command::SellProduct, [](ShopWindow& window) {
        if (productChosen(window))
            showSingleDialog<SellDialog>(window.mainWindow());
    });
}

} // namespace marvono
