#pragma once
// Discounts on an open bill: on one line, or on the whole bill spread over its lines. The Bill row
// keeps the discounted sub-total, so everything that adds sub-totals stays right; the discount's
// own row keeps what was taken off, so it can be shown, removed and printed on the receipt. A
// discount on units sold from stock also lowers the day's takings in the ledger. No widgets.
#include "app/numbers.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace marvono {

enum class DiscountKind { Percent, Amount };
enum class DiscountScope { Line, Bill };

// A discount as it stands on a bill line or a receipt line.
struct Discount {
    DiscountScope scope = DiscountScope::Line;
    DiscountKind kind = DiscountKind::Percent;
    QString value;   // as typed, in the stored form: "10" (percent) or "0.5" (amount)
    Currency amount; // taken off the line
    Currency before; // the line's sub-total before it
    int line = 0;    // on a receipt: the receipt line (from 1) it belongs to
    friend bool operator==(const Discount&, const Discount&) = default;
};

// "Discount 10%" or "Discount" (an amount), "Bill discount 10%" or "Bill discount".
QString discountTitle(const Discount& discount);

enum class DiscountCheck { Accepted, NotANumber, NotPositive, OverHundred, OverAmount, NothingToDiscount };
// The typed value (read with "." as the decimal point) in the stored form, and the cents it takes
// off `base`; the reason when it is refused.
DiscountCheck readDiscount(const QString& text, DiscountKind kind, Currency base, QString* value, Currency* off);
// What the operator is told when the value is refused.
QString discountRefusal(DiscountCheck check, Currency base, const QString& currencySymbol);

// `total` cents spread over `bases` in proportion, the largest remainders taking the cents left,
// so the shares add up to it exactly. Lines without a positive base take nothing.
QList<Currency> spreadDiscount(Currency total, const QList<Currency>& bases);

enum class DiscountOutcome {
    Done,
    Refused,        // the value; the check says why
    NotFound,       // the line is no longer on the bill
    BillDiscounted, // a line cannot be discounted under a bill discount
    Failed,
};
struct DiscountResult {
    DiscountOutcome outcome = DiscountOutcome::Failed;
    DiscountCheck check = DiscountCheck::Accepted;
    Currency base; // what the refused value was measured against
    QString error;
};

// Each takes the bill's lines as stored, in one transaction with them locked, and replaces a
// discount of the same line or bill.
DiscountResult discountLine(const QString& buyer, qint64 billKey, DiscountKind kind, const QString& text);
DiscountResult discountBill(const QString& buyer, DiscountKind kind, const QString& text);
// Takes off the bill discount when the bill has one, else the line's; Done when there was none.
DiscountResult removeDiscount(const QString& buyer, qint64 billKey);

// The discounts of the buyer's open lines, by bill row.
QHash<qint64, QList<Discount>> billDiscounts(const QString& buyer);

// Inside the caller's transaction that deletes a bill row or changes its amounts: takes its
// discounts off the ledger and drops them. False, with an error, on failure.
bool dropDiscounts(qint64 billKey, QString* error);
// Whether the bill row carries a discount; nothing when the query fails.
std::optional<bool> isDiscounted(qint64 billKey);

// Inside the caller's transaction, for bill rows being paid: their discounts, each with its line
// (from 1) in the order of `billKeys`; the open rows go. Nothing, with an error, on failure.
std::optional<QList<Discount>> takeDiscounts(const QList<qint64>& billKeys, QString* error);

// Inside the caller's transaction: adds `taken` (negative: gives it back) to the day's ledger row
// of discounts, making the row when there is none. False, with an error, on failure.
bool bookDiscountInLedger(const QDate& day, Currency taken, QString* error);

// The ledger row that keeps a day's discounts on units sold from stock: its price is minus what
// was taken off that day, one unit, nothing bought in.
inline const QString kDiscountLedgerName = QStringLiteral("(Discounts)");

} // namespace marvono
