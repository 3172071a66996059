#include "catalogue/ui/addproductdialog.h"
#include "catalogue/ui/importdialogs.h"
#include "catalogue/ui/labelswindow.h"
#include "catalogue/ui/modifyproductdialog.h"
#include "catalogue/ui/pricechangewindow.h"
#include "catalogue/ui/productactions.h"
#include "catalogue/ui/receivestockdialog.h"
#include "catalogue/ui/stockmoveswindow.h"
#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"

namespace marvono {

void registerCatalogueCommands(CommandTable& table)
{
    table.set(Command::AddProduct, [](ShopWindow& window) { showSingleDialog<AddProductDialog>(window.mainWindow()); });
    table.set(Command::ModifyProduct, [](ShopWindow& window) {
        if (productChosen(window))
            showSingleDialog<ModifyProductDialog>(window.mainWindow());
    });
    table.set(Command::DeleteProductButton,
              [](ShopWindow& main) { deleteSelectedProduct(main, DeleteMode::WithPicture); });
    table.set(Command::DeleteProductMenu, [](ShopWindow& main) { deleteSelectedProduct(main, DeleteMode::RowOnly); });
    table.set(Command::ProductClicked, showProductDetails);
    table.set(Command::ProductListFocusLost, hideProductPicture);
    table.set(Command::ReceiveStock,
              [](ShopWindow& window) { showSingleDialog<ReceiveStockDialog>(window.mainWindow()); });
    table.set(Command::OpenStockMoves,
              [](ShopWindow& window) { showSingleDialog<StockMovesWindow>(window.mainWindow()); });
    table.set(Command::ProductListFilled, refreshProductDetails);
    table.set(Command::ChangePrices,
              [](ShopWindow& window) { showSingleDialog<PriceChangeWindow>(window.mainWindow()); });
    table.set(Command::PrintLabels, [](ShopWindow& window) { showSingleDialog<LabelsWindow>(window.mainWindow()); });
    table.set(Command::ImportProducts, importProducts);
    table.set(Command::ExportProducts, exportProducts);
}

} // namespace marvono
