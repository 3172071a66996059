#pragma once
// The stock behind bill and receipt lines. A sale records the bill row it wrote, the product row
// it took the units from and their purchase price: a change to that line moves the stock and the
// day's ledger with it, and a paid line passes the product row and price on to its receipt line.
// A line typed into the bill by hand has no stock behind it. No widgets.
#include "bills/receipt.h"

#include <QDate>
#include <memory>

namespace marvono {

class RecordSet;

enum class SoldChange {
    NotSold,        // no sale booked the row, or its units did not change: only the bill changes
    Moved,          // the difference went into or out of the stock and the ledger
    ProductGone,    // the product the units came from is no longer there: only the bill changes
    NotEnoughStock, // the remaining quantity would fall below 0; nothing may be written
    Failed,         // nothing may be written
};

// Inside the caller's transaction, before the bill row changes: moves the difference between the
// units the row holds (`before`) and `quantity` (nothing: the row goes) into or out of the product
// the sale took them from and its ledger row of the sale's day, and logs it as a bill edit.
SoldChange moveSoldUnits(qint64 billKey, const QString& buyer, const BillLine& before, std::optional<double> quantity,
                         QString* error);

// Inside the caller's transaction, for bill rows being paid: per row, the product row and price
// its sale recorded (kTypedByHand when no sale booked it); the sales then let go of the rows, whose
// identities a later row may take. Nothing, with an error, on failure.
std::optional<QList<LineStock>> takeSoldStock(const QList<qint64>& billKeys, QString* error);

// Inside the caller's transaction: the product row of that identity, held as a sale holds it
// until the transaction ends; a set at its end when the product is gone, nothing on failure.
std::unique_ptr<RecordSet> lockedProduct(qint64 productKey, QString* error);

// The day's ledger row of a product, for the values day, month, year and name.
inline const QString kLedgerRowQuery =
    QStringLiteral("select * from PanDian where cday=? and cmonth=? and cyear=? and cname=?");

// Inside the caller's transaction: adds `units` (negative: units back) to the product's ledger row
// of `day`, making the row when there is none. A row without a purchase price takes `inPrice`.
bool addToLedger(const QDate& day, const QString& name, const QString& price, const QString& inPrice, double units,
                 QString* error);

} // namespace marvono
