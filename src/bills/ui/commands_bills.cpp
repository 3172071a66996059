#include "bills/ui/billwindow.h"
#include "bills/ui/buyerlistdialog.h"
#include "bills/ui/dayclosewindow.h"
#include "bills/ui/exportreceiptsdialog.h"
#include "bills/ui/receiptswindow.h"
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
                window.mainWindow()->findChild<BillWindow*>(QStringLiteral("frmBill"), Qt::FindDirectChildrenOnly))
            open->rereadBill();
        showSingleDialog<BillWindow>(window.mainWindow());
    });
    table.set(Command::OpenReceipts, [](ShopWindow& window) { showSingleDialog<ReceiptsWindow>(window.mainWindow()); });
    table.set(Command::ExportReceipts, [](ShopWindow& window) { exportReceiptsFor(window.mainWindow()); });
    table.set(Command::CloseDay, [](ShopWindow& window) { closeDayFor(window.mainWindow()); });
}

} // namespace marvono
