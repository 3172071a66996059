#pragma once
// Selling by barcode scanner: the scanner types a product's code and Enter into the main window's
// search box, and one unit of that product is booked at once, without the sell dialog.
#include "sales/sale.h"

#include <QString>

namespace marvono {

class ShopWindow;

enum class ScanOutcome {
    NotACode, // no product has this code and it does not look like one: the text is a name search
    Sold,     // one unit was booked, its receipt is in the message pane
    Refused,  // the operator was told why nothing was sold
};

// Enter in the search box: when `text` is exactly one product's code, books one unit of it
// through the program's sale to the buyer a sale from the sell dialog goes to, appends the
// receipt, sounds and flashes the message pane and refreshes the list. A text that looks like a
// barcode (looksLikeBarcode) but names no single product, and a product out of stock, are told
// in a message box that Enter or Esc closes.
ScanOutcome sellScannedCode(ShopWindow& main, const QString& text);

// Appends the receipt of a sale to the message pane and shows it.
void appendSaleReceipt(ShopWindow& main, const SaleResult& sale, const QString& quantityText);

} // namespace marvono
