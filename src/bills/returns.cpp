#include "bills/returns.h"

#include "app/appcontext.h"
#include "bills/discount.h"
#include "bills/soldstock.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/tables.h"

#include <cmath>

namespace marvono {
namespace {

ReturnResult failed(ReturnOutcome outcome, const QString& error)
{
    ReturnResult result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

// What is left of each line of a sale's receipt: whole units not yet returned, and what was paid
// back for the units that were.
struct LineLeft {
    int units = 0;
    Currency refunded; // as a positive amount
};

// The original receipt and, per line, what is left of it.
std::optional<std::pair<Receipt, QList<LineLeft>>> readReturnable(qint64 receiptNumber)
{
    std::optional<Receipt> receipt = readReceipt(receiptNumber);
    if (!receipt || receipt->refundOf)
        return std::nullopt;
    QList<LineLeft> left;
    for (const BillLine& line : receipt->lines)
        left.append(LineLeft{int(std::floor(leadingNumber(line.quantity))), {}});
    auto returned = ExecSQL(QStringLiteral("select l.cOfLine, l.cQty, l.cSubTotal from marvono_receipt_line l join "
                                           "marvono_receipt r on r.cNumber = l.cReceipt where r.cRefundOf = ?"),
                            {receiptNumber});
    if (!returned)
        return std::nullopt;
    for (; !returned->isEof(); returned->moveNext()) {
        const int line = returned->text(0).toInt() - 1;
        if (line < 0 || line >= left.size())
            continue;
        // Refunded as negative units and amounts.
        left[line].units += int(std::lround(leadingNumber(returned->text(1))));
        left[line].refunded = difference(left[line].refunded,
                                         Currency::fromDouble(leadingNumber(returned->text(2))).value_or(Currency()));
    }
    return std::make_pair(*receipt, left);
}

qint64 roundedToCents(double raw)
{
    return qint64(std::llround(raw / 100.0)) * 100;
}

// What the customer paid for `units` of the line, in cents: their share of the sub-total, the last
// units of a line taking what its earlier refunds left, so a line pays back exactly what it cost.
std::optional<Currency> paidFor(const BillLine& line, const LineLeft& left, int units)
{
    const double quantity = leadingNumber(line.quantity);
    const std::optional<Currency> subTotal = Currency::fromDouble(leadingNumber(line.subTotal));
    if (!subTotal || !(quantity > 0))
        return std::nullopt;
    const qint64 lineCents = roundedToCents(double(subTotal->raw()));
    if (units == left.units && quantity == std::floor(quantity))
        return Currency::fromRaw(lineCents - left.refunded.raw());
    const double share = double(lineCents) * units / quantity;
    if (!(std::fabs(share) < 9e18))
        return std::nullopt;
    return Currency::fromRaw(roundedToCents(share));
}

// The purchase price the units had: kept with the line, else the product's, else that of the sale
// day's ledger row, which the sale wrote.
QString purchasePrice(const LineStock& stock, const RecordSet* product, const BillLine& line, const QDate& saleDay)
{
    if (!stock.inPrice.isEmpty())
        return stock.inPrice;
    if (product && !product->isEof() && !product->isNull(ProductCost))
        return product->text(ProductCost);
    auto ledger = ExecSQL(QStringLiteral("select cinprice from PanDian where cday=? and cmonth=? and cyear=? and "
                                         "cname=? and cinprice is not null"),
                          {saleDay.day(), saleDay.month(), saleDay.year(), line.product});
    return ledger && !ledger->isEof() ? ledger->text(0) : QString();
}

// Puts the units back in stock of the product the line's units came from and takes them off
// today's ledger. A line typed in by hand took no stock; the units of a product gone are only
// refunded. `note` receives what the operator is told of such a line.
bool putBack(const BillLine& line, const LineStock& stock, int units, const QDate& saleDay, const QDate& today,
             QString* note, QString* error)
{
    if (stock.productKey == kTypedByHand) {
        *note = QStringLiteral("%1 was typed into the bill by hand: no stock was moved.").arg(line.product);
        return true;
    }
    Transaction hold; // joins the caller's: the product row stays held until the refund is written
    std::unique_ptr<RecordSet> product;
    if (stock.productKey != kStockUnknown) {
        product = lockedProduct(stock.productKey, error);
    } else if (hold.lockRows(QStringLiteral("product_info"), QStringLiteral("cName"), line.product)) {
        // Paid before receipts kept the product: found by the name it had.
        product = ExecSQL(QStringLiteral("select * from product_info where cName=?"), *error, {line.product});
    } else {
        *error = hold.errorText();
    }
    if (!product)
        return false;
    const QString inPrice = purchasePrice(stock, product.get(), line, saleDay);
    QString name = line.product;
    if (product->isEof()) {
        *note = QStringLiteral("%1 is no longer in the catalogue: the refund is recorded, no stock was moved.")
                    .arg(line.product);
    } else {
        name = product->text(ProductName);
        if (!product->setField(ProductRemaining, leadingNumber(product->text(ProductRemaining)) + units) ||
            !product->update()) {
            *error = product->errorText();
            return false;
        }
    }
    // Without a purchase price the ledger row would stop the monthly report.
    if (inPrice.isEmpty())
        return hold.commit();
    const QString price = isNumberText(line.unitPrice)
                              ? line.unitPrice.trimmed()
                              : generalText(leadingNumber(line.subTotal) / leadingNumber(line.quantity));
    return addToLedger(today, name, price, inPrice, -units, error) && hold.commit();
}

// A refunded line that was discounted pays back less than its units' price: the refund keeps the
// difference as a discount given back, and the day's ledger of discounts takes it back for units
// that came from stock, so statistics and the monthly report count what the units fetched.
bool giveBackDiscount(const Receipt& original, int index, int units, Currency paid, Receipt& refund, QString* error)
{
    Currency discounted;
    for (const Discount& discount : original.discounts)
        if (discount.line == index + 1)
            discounted = discounted.plus(discount.amount).value_or(discounted);
    const double quantity = leadingNumber(original.lines.at(index).quantity);
    if (discounted.raw() == 0 || !(quantity > 0))
        return true;
    const Currency before = storedAmount(original.lines.at(index).subTotal).plus(discounted).value_or(Currency());
    const Currency full = Currency::fromRaw(roundedToCents(double(before.raw()) * units / quantity));
    const Currency given = difference(paid, full); // negative: the discount comes back
    refund.discounts.append(Discount{
        DiscountScope::Line, DiscountKind::Amount, {}, given, difference(Currency(), full), int(refund.lines.size())});
    return original.stock.value(index).productKey <= 0 || bookDiscountInLedger(refund.time.date(), given, error);
}

} // namespace

std::optional<QList<int>> returnableUnits(qint64 receiptNumber)
{
    const auto returnable = readReturnable(receiptNumber);
    if (!returnable)
        return std::nullopt;
    QList<int> units;
    for (const LineLeft& left : returnable->second)
        units.append(left.units);
    return units;
}

ReturnResult returnFromReceipt(qint64 receiptNumber, const QList<ReturnedUnits>& items, const QString& operatorName)
{
    Transaction transaction;
    if (!transaction.isActive() || !holdReceipt(transaction, receiptNumber))
        return failed(ReturnOutcome::Failed, transaction.errorText());
    ReturnResult result = writeRefund(receiptNumber, items, operatorName);
    if (result.outcome == ReturnOutcome::Returned && !transaction.commit())
        return failed(ReturnOutcome::Failed, transaction.errorText());
    return result;
}

bool holdReceipt(Transaction& transaction, qint64 receiptNumber)
{
    // Two tills taking back goods of the same receipt queue here, so neither returns units the
    // other has just returned.
    return transaction.lock(QStringLiteral("marvono_receipt %1").arg(receiptNumber));
}

ReturnResult writeRefund(qint64 receiptNumber, const QList<ReturnedUnits>& items, const QString& operatorName,
                         PayBack payBack)
{
    auto returnable = readReturnable(receiptNumber);
    if (!returnable)
        return failed(ReturnOutcome::NoReceipt, QStringLiteral("There is no sale receipt No. %1.").arg(receiptNumber));
    const Receipt& original = returnable->first;
    if (original.voidedBy)
        return failed(ReturnOutcome::Voided, QStringLiteral("Receipt No. %1 was voided by No. %2: nothing of it can "
                                                            "be returned.")
                                                 .arg(receiptNumber)
                                                 .arg(original.voidedBy));
    // Each item takes from what is left, so a line named twice is never returned beyond its units.
    QList<LineLeft>& left = returnable->second;

    ReturnResult result;
    Receipt refund;
    refund.refundOf = receiptNumber;
    refund.time = Clock::now();
    refund.buyer = original.buyer;
    refund.operatorName = operatorName;
    QString error;
    for (const ReturnedUnits& item : items) {
        const int index = item.line - 1;
        if (index < 0 || index >= left.size() || item.units <= 0 || item.units > left.at(index).units)
            return failed(ReturnOutcome::BeyondSold,
                          QStringLiteral("Only %1 unit(s) of that line can still be returned.")
                              .arg(index >= 0 && index < left.size() ? left.at(index).units : 0));
        const BillLine& line = original.lines.at(index);
        const LineStock stock = original.stock.value(index);
        const std::optional<Currency> paid = paidFor(line, left.at(index), item.units);
        const std::optional<Currency> total = paid ? refund.total.plus(difference(Currency(), *paid)) : std::nullopt;
        if (!total)
            return failed(ReturnOutcome::Failed, QStringLiteral("The refund is out of range."));
        refund.total = *total;
        refund.lines.append(BillLine{line.time, line.product, QString::number(-item.units), line.unitPrice,
                                     difference(Currency(), *paid).toText()});
        if (!giveBackDiscount(original, index, item.units, *paid, refund, &error))
            return failed(ReturnOutcome::Failed, error);
        refund.ofLines.append(item.line);
        refund.stock.append(stock);
        refund.tax.append(original.tax.value(index)); // paid back at the rate it was paid at
        left[index].units -= item.units;
        left[index].refunded = left[index].refunded.plus(*paid).value_or(Currency());
        QString note;
        if (!putBack(line, stock, item.units, original.time.date(), refund.time.date(), &note, &error))
            return failed(ReturnOutcome::Failed, error);
        if (!note.isEmpty() && !result.notes.contains(note))
            result.notes.append(note);
    }
    // Goods brought back are paid back in cash; a void undoes the sale's card and other too.
    refund.tenders = payBack == PayBack::AsPaid ? tendersPayingBack(original.tenders, refund.total)
                                                : QList<Tender>{Tender{TenderKind::Cash, refund.total}};
    refund.received = tenderSum(refund.tenders, TenderKind::Cash);
    if (!writeReceipt(refund, &error))
        return failed(ReturnOutcome::Failed, error);
    result.outcome = ReturnOutcome::Returned;
    result.refund = refund;
    return result;
}

} // namespace marvono
