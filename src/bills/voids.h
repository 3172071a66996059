#pragma once
// Voiding a whole sale: every unit not returned yet is paid back by a receipt of its own, through
// the returns' code, and the void is recorded once with its reason. The voided lines may then go
// back on the buyer's bill to be paid again. No widgets.
#include "bills/receipt.h"

namespace marvono {

enum class VoidOutcome { Voided, NoReceipt, NotASale, AlreadyVoided, AllReturned, Failed };
struct VoidResult {
    VoidOutcome outcome = VoidOutcome::Failed;
    std::optional<Receipt> voidReceipt;
    QString error;     // why the receipt was not voided, as the operator is told
    QStringList notes; // lines whose units went back to no stock, and why
};

// Whether the receipt can be voided now: Voided when it can, else the refusal and its text.
VoidResult voidRefusal(qint64 receiptNumber);

// In one transaction: refunds every unit of the sale not returned yet (stock back to the product
// rows they came from, the ledger netted at their cost), writing a void receipt pointing to the
// sale, and records the void. A sale is voided at most once, also by tills voiding it at once.
VoidResult voidReceipt(qint64 receiptNumber, const QString& reason, const QString& operatorName);

// Sells the void's lines again to its buyer, each as a sale at the product's price now (a line
// typed into the bill by hand goes back as it was); the lines that could not go back, with why.
QStringList billVoidedLinesAgain(const Receipt& voidReceipt);

} // namespace marvono
