#pragma once
// Booking the sale of one product: the stock, the buyer's bill line and the day's ledger row,
// written together or not at all. No widgets: the sell dialog and tools call the same code.
#include "app/numbers.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace marvono {

// True when every character is an ASCII digit; the empty text passes and counts as 0.
bool isQuantityText(const QString& text);

struct SaleRequest {
    QString productName;  // the product captured when the sale began
    QString quantityText; // as typed: digits only, possibly empty
    QString buyer;        // the first buyer of the buyer list, empty when there is none
    // The price as the seller was shown it; its leading number is the bill line's unit price.
    // Without it the product row's retail price is used.
    std::optional<QString> shownPrice;
};

enum class SaleOutcome {
    Sold,
    BadQuantity,    // a character that is not a digit
    NoProduct,      // no product of that name
    NotEnoughStock, // the remaining quantity would fall below 0
    Failed,         // a database failure or a number out of range; nothing was written
};

struct SaleResult {
    SaleOutcome outcome = SaleOutcome::Failed;
    QString storedPrice;  // the product's retail price as stored
    Currency price;       // that price read as a number
    double charge = 0;    // price x quantity
    qint32 remaining = 0; // the stock left after the sale
    QDateTime bookedAt;   // the clock when the sale was booked
    QString error;        // the engine's text for Failed
};

// Checks the quantity, then in one transaction lowers the stock, appends the bill line and adds
// the quantity to the product's ledger row of the day (creating it when absent). Any failure
// rolls every write back.
SaleResult bookSale(const SaleRequest& request);

// Convenience for callers without a window: the first buyer of the buyer list.
SaleResult bookSale(const QString& productName, const QString& quantityText);

// "Quantity: 3 Unit(s)" CR LF "Unit Price: 2.5 $" CR LF "Charge: $7.5".
QString saleConfirmationText(const QString& quantityText, const QString& storedPrice, double charge,
                             const QString& currencySymbol);

// The block appended to the message pane: it starts with a line end and ends without one.
QString saleReceiptText(const QString& productName, Currency price, double charge, const QString& quantityText,
                        const QString& currencySymbol, const QDateTime& when);

} // namespace marvono
