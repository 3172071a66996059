#pragma once
// Main-window actions on the selected product: deleting it and showing it in the details panel.
#include "catalogue/products.h"

namespace marvono {

class ShopWindow;

// Asks for confirmation, then deletes the selected product. The toolbar button also removes the
// product's picture file; the menu item leaves it. Each has its own box titles and error text.
void deleteSelectedProduct(ShopWindow& main, DeleteMode mode);

// True when a row of the list is selected; otherwise asks the operator to choose a product first
// and answers false, for the commands that act on the selected product.
bool productChosen(ShopWindow& main);

// The names of the rows selected in the list, top to bottom.
QStringList selectedProductNames(ShopWindow& main);

// Shows the current row's picture, name, category, retail price and remaining quantity.
void showProductDetails(ShopWindow& main);
// After the list was filled again: the panel shows the stored values of the product it showed,
// or, when that product is gone, nothing.
void refreshProductDetails(ShopWindow& main);
// A scan sold this product: the panel shows it, with its stored values once the list is filled.
void showNamedProduct(ShopWindow& main, const QString& name);
// A modify renamed a product: the panel goes on showing it under its new name.
void followRenamedProduct(ShopWindow& main, const QString& oldName, const QString& newName);
// The list lost the focus: the picture goes, the texts stay.
void hideProductPicture(ShopWindow& main);
// Back to the panel as the window opened: no picture, "-" in every value label. For when the
// shown product may no longer exist, such as after a recovery.
void clearProductDetails(ShopWindow& main);

} // namespace marvono
