#include "bills/returns.h"

#include "app/appcontext.h"
#include "data/database.h"
#include "data/recordset.h"

#include <cmath>

namespace marvono {
namespace {

constexpr int kProductCost = 1;
constexpr int kProductRemaining = 4;
enum LedgerColumn { LedgerName, LedgerPrice, LedgerCost, LedgerQuantity, LedgerDay, LedgerMonth, LedgerYear };

ReturnResult failed(ReturnOutcome outcome, const QString& error)
{
    ReturnResult result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

// The original receipt and, per line, the units still returnable.
std::optional<std::pair<Receipt, QList<int>>> readReturnable(qint64 receiptNumber)
{
    std::optional<Receipt> receipt = readReceipt(receiptNumber);
    if (!receipt || receipt->refundOf)
        return std::nullopt;
    QList<int> units;
    for (const BillLine& line : receipt->lines)
        units.append(int(std::floor(leadingNumber(line.quantity))));
    auto returned = ExecSQL(QStringLiteral("select l.cOfLine, l.cQty from marvono_receipt_line l join marvono_receipt "
                                           "r on r.cNumber = l.cReceipt where r.cRefundOf = ?"),
                            {receiptNumber});
    if (!returned)
        return std::nullopt;
    for (; !returned->isEof(); returned->moveNext()) {
        const int line = returned->text(0).toInt() - 1;
        if (line >= 0 && line < units.size())
            units[line] += int(std::lround(leadingNumber(returned->text(1)))); // refunded as negative units
    }
    return std::make_pair(*receipt, units);
}

// Stock back up and the units off today's ledger row of the product.
bool putBack(const BillLine& line, int units, const QDate& today, QString* error)
{
    auto product = ExecSQL(QStringLiteral("select * from product_info where cName=?"), *error, {line.product});
    if (!product)
        return false;
    QVariant cost;
    if (!product->isEof()) {
        cost = product->field(kProductCost) ? QVariant(*product->field(kProductCost)) : QVariant();
        const double remaining = leadingNumber(product->text(kProductRemaining)) + units;
        if (!product->setField(kProductRemaining, remaining) || !product->update()) {
            *error = product->errorText();
            return false;
        }
    }
    auto ledger = ExecSQL(QStringLiteral("select * from PanDian where cday=? and cmonth=? and cyear=? and cname=?"),
                          *error, {today.day(), today.month(), today.year(), line.product});
    if (!ledger)
        return false;
    bool ok = true;
    if (ledger->isEof()) {
        ledger->addNew();
        ok = ledger->setField(LedgerName, line.product) && ledger->setField(LedgerPrice, line.unitPrice) &&
             ledger->setField(LedgerCost, cost) && ledger->setField(LedgerQuantity, -units) &&
             ledger->setField(LedgerDay, today.day()) && ledger->setField(LedgerMonth, today.month()) &&
             ledger->setField(LedgerYear, today.year());
    } else {
        ok = ledger->setField(LedgerQuantity, leadingNumber(ledger->text(LedgerQuantity)) - units);
    }
    if (!ok || !ledger->update()) {
        *error = ledger->errorText();
        return false;
    }
    return true;
}

} // namespace

std::optional<QList<int>> returnableUnits(qint64 receiptNumber)
{
    const auto returnable = readReturnable(receiptNumber);
    if (!returnable)
        return std::nullopt;
    return returnable->second;
}

ReturnResult returnFromReceipt(qint64 receiptNumber, const QList<ReturnedUnits>& items, const QString& operatorName)
{
    Transaction transaction;
    if (!transaction.isActive())
        return failed(ReturnOutcome::Failed, transaction.errorText());
    // Two tills taking back goods of the same receipt queue here, so neither returns units the
    // other has just returned.
    if (!transaction.lock(QStringLiteral("marvono_receipt %1").arg(receiptNumber)))
        return failed(ReturnOutcome::Failed, transaction.errorText());
    const auto returnable = readReturnable(receiptNumber);
    if (!returnable)
        return failed(ReturnOutcome::NoReceipt, QStringLiteral("There is no sale receipt No. %1.").arg(receiptNumber));
    const auto& [original, left] = *returnable;

    Receipt refund;
    refund.refundOf = receiptNumber;
    refund.time = Clock::now();
    refund.buyer = original.buyer;
    refund.operatorName = operatorName;
    QString error;
    for (const ReturnedUnits& item : items) {
        const int index = item.line - 1;
        if (index < 0 || index >= left.size() || item.units <= 0 || item.units > left.at(index))
            return failed(ReturnOutcome::BeyondSold,
                          QStringLiteral("Only %1 unit(s) of that line can still be returned.")
                              .arg(index >= 0 && index < left.size() ? left.at(index) : 0));
        const BillLine& line = original.lines.at(index);
        if (item.units > 0 &&
            !transaction.lockRows(QStringLiteral("product_info"), QStringLiteral("cName"), line.product))
            return failed(ReturnOutcome::Failed, transaction.errorText());
        // What the customer paid for these units: their share of the line's sub-total.
        const double paid = leadingNumber(line.subTotal) * item.units / leadingNumber(line.quantity);
        const std::optional<Currency> back = Currency::fromDouble(-paid);
        const std::optional<Currency> total = back ? refund.total.plus(*back) : std::nullopt;
        if (!total)
            return failed(ReturnOutcome::Failed, QStringLiteral("The refund is out of range."));
        refund.total = *total;
        refund.lines.append(
            BillLine{line.time, line.product, QString::number(-item.units), line.unitPrice, back->toText()});
        refund.ofLines.append(item.line);
        if (!putBack(line, item.units, refund.time.date(), &error))
            return failed(ReturnOutcome::Failed, error);
    }
    refund.received = refund.total;
    if (!writeReceipt(refund, &error))
        return failed(ReturnOutcome::Failed, error);
    if (!transaction.commit())
        return failed(ReturnOutcome::Failed, transaction.errorText());
    ReturnResult result;
    result.outcome = ReturnOutcome::Returned;
    result.refund = refund;
    return result;
}

} // namespace marvono
