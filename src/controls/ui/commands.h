#pragma once
// The main window's command table: toolbar buttons, menu items and list events are dispatched
// by command; each subsystem fills in the commands it owns.
#include <QHash>
#include <functional>

namespace marvono {

class ShopWindow;

enum class Command {
    AddProduct,          // cmdAdd, "Add a new product(&A)"
    DeleteProductButton, // cmdDel
    DeleteProductMenu,   // "Delete a product(&D)"
    ModifyProduct,       // cmdEdit, "Modify a product(&E)"
    ProductClicked,      // a click on a row of LV
    ProductListFocusLost,
    SellProduct,        // cmdSale, "Sell a product(&S)", a double click on a row
    OpenBillEditor,     // cmdBill, "Bill(&M)"
    OpenBuyers,         // "Buyer(&B)"
    OpenReceipts,       // menuReceipts, "Receipts(&T)"
    ExportReceipts,     // menuExportReceipts, "Export receipts(&X)"
    OpenStatistics,     // cmdJS, "Statistic(&R)"
    OpenPreferences,    // cmdXX, "Preferences(&P)"
    OpenOperators,      // menuOperators, "Operators(&O)": the owner's
    ChangeOperator,     // menuChangeOperator, "Change operator(&O)", Ctrl+L
    Backup,             // menuCopy
    Recovery,           // menuRescue
    ClearHistoryButton, // cmdClear
    ClearHistoryMenu,   // "Clear History(&C)"
    SaveHistory,        // command1, "Save History(&S)"
    PrintHistory,       // command3
    ReceiveStock,       // "Receive stock(&I)"
    OpenStockMoves,     // "Stock moves(&V)"
    PrintLabels,        // menuPrintLabels, "Print labels(&L)"
    ChangePrices,       // menuChangePrices, "Change prices(&G)"
    CloseDay,           // "Close day(&Y)"
    ImportProducts,     // menuImportProducts, "Import products(&P)"
    ExportProducts,     // menuExportProducts, "Export products(&N)"
    ProductListFilled,  // LV was filled again from the database
};

// What a command kept for the owner does ("add a product"), for the approval box; nothing for
// the commands every operator may run (selling, bills and buyers, receipts, the close, the
// history pane, changing operator). Every other command is the owner's.
const char* ownerCommandText(Command command);

using CommandHandler = std::function<void(ShopWindow&)>;

class CommandTable {
  public:
    void set(Command command, CommandHandler handler) { m_handlers.insert(int(command), std::move(handler)); }
    // Runs the command's handler; a command nobody registered does nothing.
    bool run(Command command, ShopWindow& window) const
    {
        const auto it = m_handlers.constFind(int(command));
        if (it == m_handlers.constEnd() || !*it)
            return false;
        (*it)(window);
        return true;
    }

  private:
    QHash<int, CommandHandler> m_handlers;
};

// Each subsystem registers its commands (src/<subsystem>/ui/commands_<subsystem>.cpp); the main
// window registers them all.
void registerCatalogueCommands(CommandTable& table);
void registerSalesCommands(CommandTable& table);
void registerBillsCommands(CommandTable& table);
void registerReportsCommands(CommandTable& table);
void registerHistoryCommands(CommandTable& table);
void registerSettingsCommands(CommandTable& table);
void registerDataCommands(CommandTable& table);

} // namespace marvono
