#pragma once
// Main-window actions on the selected product: deleting it and showing it in the details panel.
#include "catalogue/products.h"

namespace marvono {

class FrmMain;

// Asks for confirmation, then deletes the selected product. The toolbar button also removes the
// product's picture file; the menu item leaves it. Each has its own box titles and error text.
void deleteSelectedProduct(FrmMain& main, DeleteMode mode);

// Shows the current row's picture, name, category, retail price and remaining quantity.
void showProductDetails(FrmMain& main);
// The list lost the focus: the picture goes, the texts stay.
void hideProductPicture(FrmMain& main);
// Back to the panel as the window opened: no picture, "-" in every value label. For when the
// shown product may no longer exist, such as after a recovery.
void clearProductDetails(FrmMain& main);

} // namespace marvono
