#include "controls/ui/commands.h"

namespace marvono {

const char* ownerCommandText(Command command)
{
    switch (command) {
    // What every operator may do: sell and scan, bills and buyers, receipts, the close, the
    // history pane and handing the till over.
    case Command::ProductClicked:
    case Command::ProductListFocusLost:
    case Command::ProductListFilled:
    case Command::SellProduct:
    case Command::OpenBillEditor:
    case Command::OpenBuyers:
    case Command::OpenReceipts:
    case Command::CloseDay:
    case Command::ChangeOperator:
    case Command::ClearHistoryButton:
    case Command::ClearHistoryMenu:
    case Command::SaveHistory:
    case Command::PrintHistory:
        return nullptr;
    case Command::AddProduct:
        return "add a product";
    case Command::DeleteProductButton:
    case Command::DeleteProductMenu:
        return "delete a product";
    case Command::ModifyProduct:
        return "modify a product";
    case Command::ImportProducts:
        return "import products";
    case Command::ExportProducts:
        return "export the products";
    case Command::ExportReceipts:
        return "export the receipts";
    case Command::OpenStatistics:
        return "open the statistics and the monthly report";
    case Command::OpenPreferences:
        return "change the preferences";
    case Command::Backup:
        return "back up the database";
    case Command::Recovery:
        return "recover a backup";
    case Command::ReceiveStock:
        return "receive or correct stock";
    case Command::OpenStockMoves:
        return "see the stock moves";
    case Command::PrintLabels:
        return "print labels";
    case Command::ChangePrices:
        return "change prices";
    case Command::OpenOperators:
        return "keep the operators";
    default:
        // A command added later is the owner's until it is placed above.
        return "use this command";
    }
}

} // namespace marvono
