#include "bills/ui/buyerlistdialog.h"
#include "bills/ui/frmbill.h"
#include "bills/ui/frmdayclose.h"
#include "bills/ui/frmreceipts.h"
#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"

namespace marvono {

void registerBillsCommands(CommandTable& table)
{
    table.set(Command::OpenBuyers, [](ShopWindow& window) { showSingleDialog<BuyerListDialog>(window.mainWindow()); });
    table.set(Command::OpenBillEditor, [](ShopWindow& window) {
        // An editor left open lists what was booked since.
        if (auto* open =
                window.mainWindow()->findChild<FrmBill*>(QStringLiteral("frmBill"), Qt::FindDirectChildrenOnly))
            open->rereadBill();
        showSingleDialog<FrmBill>(window.mainWindow());
    });
    table.set(Command::OpenReceipts, [](ShopWindow& window) { showSingleDialog<FrmReceipts>(window.mainWindow()); });
    table.set(Command::CloseDay, [](ShopWindow& window) { closeDayFor(window.mainWindow()); });
}

} // namespace marvono
