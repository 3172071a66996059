#pragma once
// Goods a customer brings back from a paid bill: the stock goes back up, the day's ledger nets
// the units, and the money paid back is a receipt of its own pointing to the one it refunds.
#include "bills/receipt.h"

namespace marvono {

// Units taken back from one line of a receipt (counted from 1).
struct ReturnedUnits {
    int line = 0;
    int units = 0;
};

enum class ReturnOutcome { Returned, NoReceipt, BeyondSold, Voided, Failed };
struct ReturnResult {
    ReturnOutcome outcome = ReturnOutcome::Failed;
    std::optional<Receipt> refund;
    QString error;
    QStringList notes; // lines whose units went back to no stock, and why
};

// Per line of a sale's receipt, the whole units not yet returned; nothing when the receipt is
// missing, is a refund itself, or cannot be read.
std::optional<QList<int>> returnableUnits(qint64 receiptNumber);

// In one transaction: puts the units back in stock of the product they were sold from, whatever
// its name now, takes them off today's ledger at the price they cost, and writes the refund
// receipt (negative quantities and total, each unit paid back at its share of the line's
// sub-total in cents, the line's last unit taking what is left). A line is never returned beyond
// the units sold on it.
ReturnResult returnFromReceipt(qint64 receiptNumber, const QList<ReturnedUnits>& items, const QString& operatorName);

class Transaction;
// Inside the caller's transaction: holds the receipt until it ends, so that returns and voids of
// it at other tills wait and then see what this one wrote. False when the lock cannot be taken.
bool holdReceipt(Transaction& transaction, qint64 receiptNumber);
// How a refund pays back: in cash (a return), or the way the sale was paid (a void).
enum class PayBack { InCash, AsPaid };
// Inside the caller's transaction, holding the receipt: the stock, ledger and refund receipt of
// returnFromReceipt. A voided sale returns nothing.
ReturnResult writeRefund(qint64 receiptNumber, const QList<ReturnedUnits>& items, const QString& operatorName,
                         PayBack payBack = PayBack::InCash);

} // namespace marvono
