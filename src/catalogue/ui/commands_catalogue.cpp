#include "app/ui/commands.h"
#include "app/ui/frmmain.h"
#include "catalogue/ui/addproductdialog.h"
#include "catalogue/ui/frmreceive.h"
#include "catalogue/ui/frmstockmoves.h"
#include "catalogue/ui/modifyproductdialog.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/dialogs.h"

namespace marvono {

void registerCatalogueCommands(CommandTable& table)
{
    table.set(Command::AddProduct, [](FrmMain& window) { showSingleDialog<AddProductDialog>(&window); });
    table.set(Command::ModifyProduct, [](FrmMain& window) {
        if (productChosen(window))
            showSingleDialog<ModifyProductDialog>(&window);
    });
    table.set(Command::DeleteProductButton,
              [](FrmMain& main) { deleteSelectedProduct(main, DeleteMode::WithPicture); });
    table.set(Command::DeleteProductMenu, [](FrmMain& main) { deleteSelectedProduct(main, DeleteMode::RowOnly); });
    table.set(Command::ProductClicked, showProductDetails);
    table.set(Command::ProductListFocusLost, hideProductPicture);
    table.set(Command::ReceiveStock,
              [](FrmMain& window) { showSingleDialog<FrmReceive>(static_cast<QWidget*>(&window)); });
    table.set(Command::OpenStockMoves,
              [](FrmMain& window) { showSingleDialog<FrmStockMoves>(static_cast<QWidget*>(&window)); });
    table.set(Command::ProductListFilled, refreshProductDetails);
}

} // namespace marvono
