#pragma once
// Booking the sale of one product: the stock, the buyer's bill line and the day's ledger row,
// written together or not at all. No widgets: the sell dialog and tools call the same code.
#include "app/numbers.h"

#include <QDateTime>
#include <QString>

namespace marvono {

// True when every character is an ASCII digit; the empty text passes and counts as 0.
bool isQuantityText(const QString& text);

// A new identity for a sale, as a UUID of 36 characters; one made in a later millisecond sorts
// after it as text.
QString newSaleIdentity();

struct SaleRequest {
    QString productName;  // the product captured when the sale began
    QString quantityText; // as typed: digits only, possibly empty
    QString buyer;        // the buyer chosen for the run (chosenBuyer), empty when there is none
};

enum class SaleOutcome {
    Sold,
    BadQuantity,    // a character that is not a digit
    NoProduct,      // no product of that name
    NotEnoughStock, // the remaining quantity would fall below 0
    Failed,         // a database failure or a number out of range; nothing was written
    // The shop server's connection broke during the sale, before the server received its commit
    // or, asked again on a new connection, the server holds nothing of it.
    NotBooked,
    // The connection broke during the sale and could not be made again: whether the server
    // committed the sale is not known.
    Unconfirmed,
};

struct SaleResult {
    SaleOutcome outcome = SaleOutcome::Failed;
    QString productName;  // the product's name as stored, as the bill line and ledger hold it
    QString storedPrice;  // the product's retail price as stored
    Currency price;       // that price read as a number
    double charge = 0;    // price x quantity
    qint32 remaining = 0; // the stock left after the sale
    QDateTime bookedAt;   // the clock when the sale was booked
    QString error;        // the engine's text for Failed
    // Sold although the connection broke while the sale was committed: the server confirmed it
    // on a new connection.
    bool confirmedAfterLoss = false;
};

// Checks the quantity, then in one transaction lowers the stock, appends the bill line and adds
// the quantity to the product's ledger row of the day (creating it when absent), all with the
// name and prices of the product row as locked in that transaction, and records the sale's
// identity. Any failure rolls every write back. When the shop server's connection breaks on the
// way, the identity tells on a new connection whether the server committed the sale.
SaleResult bookSale(const SaleRequest& request);

// Convenience for callers without a window: the buyer chosen for the run.
SaleResult bookSale(const QString& productName, const QString& quantityText);

// What the operator is told of a sale the shop server's lost connection stopped (NotBooked) or
// left unknown (Unconfirmed); empty for every other outcome.
QString connectionLossText(SaleOutcome outcome);

// "Quantity: 3 Unit(s)" CR LF "Unit Price: 2.5 $" CR LF "Charge: $7.5".
QString saleConfirmationText(const QString& quantityText, const QString& storedPrice, double charge,
                             const QString& currencySymbol);

// The block appended to the message pane: it starts with a line end and ends without one.
QString saleReceiptText(const QString& productName, Currency price, double charge, const QString& quantityText,
                        const QString& currencySymbol, const QDateTime& when);

} // namespace marvono
