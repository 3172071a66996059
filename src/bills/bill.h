#pragma once
// A buyer's open bill: its lines in the Bill table, keyed by buyer and time text, the running
// total and the checkout. No widgets: the bill editor and tools call the same code.
#include "app/numbers.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace marvono {

// One bill line as texts, in the order the editor shows them.
struct BillLine {
    QString time;
    QString product;
    QString quantity;
    QString unitPrice;
    QString subTotal;
    friend bool operator==(const BillLine&, const BillLine&) = default;
};

// The buyer's lines in the order they were written; nothing when the query fails. `keys`, when
// given, receives each line's row identity, for settling exactly the lines that were shown.
std::optional<QList<BillLine>> readBill(const QString& buyer, QList<qint64>* keys = nullptr);

// The first line of the buyer with that time text (the line key); nothing when there is none or
// the query fails.
std::optional<BillLine> findBillLine(const QString& buyer, const QString& keyTime);

// The sub-totals read as numbers (a text without a leading number counts as 0) and added up as
// currency; nothing when the sum leaves the currency range.
std::optional<Currency> billTotal(const QStringList& subTotals);
// "Total: $12.5", or "Total : $12.5" in the form the editor shows after adding a line.
QString totalLabelText(Currency total, const QString& currencySymbol, bool afterAddNew = false);

// Appends a line as given. A text that a number column refuses is stored as an empty value and
// the line is still written: the editor refuses such texts before it calls this.
// `key`, when given, receives the new line's row identity.
bool addBillLine(const QString& buyer, const BillLine& line, qint64* key = nullptr);

enum class LineChange {
    Done,
    NotFound,
    Failed,
    NotEnoughStock, // the sold product has fewer units left than the raise; nothing was changed
    ProductGone,    // done on the bill only: the product the sale took the units from is gone
    Discounted,     // the line carries a discount, which must come off before it changes
};
// Changes the first line of the buyer with that time text; its buyer stays. For a line a sale
// booked, the change of quantity moves in the same transaction into or out of the product's
// remaining quantity and its ledger row of the sale's day (bills/soldstock.h).
LineChange updateBillLine(const QString& buyer, const QString& keyTime, const BillLine& line);
// Deletes the first line of the buyer with that time text; a sold line's units go back to stock
// and its discounts go.
LineChange deleteBillLine(const QString& buyer, const QString& keyTime);

// The client program's bill file qexclient/bill/<number>.bil.
QString clientBillPath(int number);

enum class Settlement {
    Settled,
    RowsFailed, // no line was deleted
    FileFailed, // the lines are gone but the client bill file could not be deleted
    ShortPaid,  // the lines settled cost more than the cash received; nothing was deleted
    OverPaid,   // card and other come to more than the lines settled cost; nothing was deleted
    // The stored bill is not the one shown (another till or window changed it); nothing was paid.
    Changed,
    // The lines shown were paid meanwhile, at another till; the error names that receipt.
    PaidElsewhere,
    // The shop server's connection broke before the server committed the payment or, asked
    // again on a new connection, the server holds nothing of it.
    NotPaid,
    // The connection broke while the payment was committed and could not be made again: whether
    // the server committed it is not known.
    Unconfirmed,
};

struct Receipt;
// What was taken for a bill and, once it is paid, the receipt written for it.
struct Payment {
    std::optional<Currency> received; // the cash; nothing: exactly what card and other leave
    QString operatorName;
    std::optional<Receipt>* receipt = nullptr; // receives the receipt written, if any
    QString* error = nullptr;                  // receives why the lines could not be settled
    // Set when the connection broke while the payment was committed and the server, asked again,
    // holds it: the bill is paid, with the receipt given.
    bool* paidAfterLoss = nullptr;
    Currency card = {};  // paid by card, no more than the total
    Currency other = {}; // paid another way (a voucher, a transfer), no more than what card leaves
};

// The bill as an editor showed it: each line with its row identity (from readBill and addBillLine).
struct ShownBill {
    QList<qint64> keys;
    QList<BillLine> lines;
};

// Checkout: deletes the buyer's lines and writes their receipt in one transaction, then the client
// bill file of the settled buyer's position in the buyer list (the first buyer: 0), when it exists.
// A buyer at no position (-1: the empty name of an empty list) owns no client bill file, so none
// is deleted: a file left there belongs to a buyer no longer listed.
// The buyer's lines stay locked for the whole settlement, so a second till paying the same bill
// waits and then finds them gone. With `shown`, exactly the lines shown are paid, and only while
// the stored bill is the one shown; without it, every line goes. A bill without lines writes no
// receipt. Every outcome but Settled leaves the bill as it was, with the reason in the payment's
// error.
Settlement settleBill(const QString& buyer, int clientBillNumber = 0, const ShownBill* shown = nullptr,
                      const Payment& payment = {});

} // namespace marvono
