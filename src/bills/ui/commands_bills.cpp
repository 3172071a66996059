#include "app/ui/commands.h"
#include "app/ui/frmmain.h"
#include "bills/ui/buyerlistdialog.h"
#include "bills/ui/frmbill.h"
#include "bills/ui/frmdayclose.h"
#include "bills/ui/frmreceipts.h"
#include "controls/ui/dialogs.h"

namespace marvono {

void registerBillsCommands(CommandTable& table)
{
    table.set(Command::OpenBuyers, [](FrmMain& window) { showSingleDialog<BuyerListDialog>(&window); });
    table.set(Command::OpenBillEditor, [](FrmMain& window) {
        // An editor left open lists what was booked since.
        if (auto* open = window.findChild<FrmBill*>(QStringLiteral("frmBill"), Qt::FindDirectChildrenOnly))
            open->rereadBill();
        showSingleDialog<FrmBill>(&window);
    });
    table.set(Command::OpenReceipts, [](FrmMain& window) { showSingleDialog<FrmReceipts>(&window); });
    table.set(Command::CloseDay, [](FrmMain& window) { closeDayFor(&window); });
}

} // namespace marvono
