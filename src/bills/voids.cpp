#include "bills/voids.h"

#include "app/appcontext.h"
#include "bills/returns.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "sales/sale.h"

#include <algorithm>
#include <cmath>

namespace marvono {
namespace {

VoidResult refused(VoidOutcome outcome, const QString& error)
{
    VoidResult result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

// The refusal, or Voided with the units of each line left to void in `units`.
VoidResult check(qint64 receiptNumber, QList<int>* units)
{
    const std::optional<Receipt> receipt = readReceipt(receiptNumber);
    if (!receipt)
        return refused(VoidOutcome::NoReceipt, QStringLiteral("There is no receipt No. %1.").arg(receiptNumber));
    if (receipt->isVoid)
        return refused(VoidOutcome::NotASale,
                       QStringLiteral("Receipt No. %1 is a void itself: it cannot be voided.").arg(receiptNumber));
    if (receipt->refundOf)
        return refused(VoidOutcome::NotASale,
                       QStringLiteral("Receipt No. %1 is a refund: it cannot be voided.").arg(receiptNumber));
    if (receipt->voidedBy)
        return refused(
            VoidOutcome::AlreadyVoided,
            QStringLiteral("Receipt No. %1 was voided already, by No. %2.").arg(receiptNumber).arg(receipt->voidedBy));
    const std::optional<QList<int>> left = returnableUnits(receiptNumber);
    if (!left)
        return refused(VoidOutcome::Failed, QStringLiteral("Receipt No. %1 cannot be read.").arg(receiptNumber));
    if (std::all_of(left->cbegin(), left->cend(), [](int n) { return n <= 0; }))
        return refused(VoidOutcome::AllReturned,
                       QStringLiteral("Every unit of receipt No. %1 was returned already: there is nothing left to "
                                      "void.")
                           .arg(receiptNumber));
    *units = *left;
    VoidResult result;
    result.outcome = VoidOutcome::Voided;
    return result;
}

} // namespace

VoidResult voidRefusal(qint64 receiptNumber)
{
    QList<int> units;
    return check(receiptNumber, &units);
}

VoidResult voidReceipt(qint64 receiptNumber, const QString& reason, const QString& operatorName)
{
    if (reason.trimmed().isEmpty())
        return refused(VoidOutcome::Failed, QStringLiteral("A void needs a reason."));
    Transaction transaction;
    if (!transaction.isActive() || !holdReceipt(transaction, receiptNumber))
        return refused(VoidOutcome::Failed, transaction.errorText());
    QList<int> units;
    VoidResult result = check(receiptNumber, &units);
    if (result.outcome != VoidOutcome::Voided)
        return result;
    QList<ReturnedUnits> items;
    for (int line = 0; line < units.size(); ++line)
        if (units.at(line) > 0)
            items.append(ReturnedUnits{line + 1, units.at(line)});
    const ReturnResult refund = writeRefund(receiptNumber, items, operatorName, PayBack::AsPaid);
    if (refund.outcome != ReturnOutcome::Returned)
        return refused(VoidOutcome::Failed, refund.error);
    QString error;
    Engine* engine = Database::instance().engine(&error);
    if (!engine ||
        !engine->execute(
            QStringLiteral("insert into marvono_void (cReceipt, cVoid, cTime, cOperator, cReason) values "
                           "(?, ?, ?, ?, ?)"),
            {receiptNumber, refund.refund->number, dateTimeText(refund.refund->time), operatorName, reason.trimmed()},
            &error))
        return refused(VoidOutcome::Failed, error);
    if (!transaction.commit())
        return refused(VoidOutcome::Failed, transaction.errorText());
    result.voidReceipt = refund.refund;
    result.voidReceipt->isVoid = true;
    result.voidReceipt->voidReason = reason.trimmed();
    result.notes = refund.notes;
    return result;
}

QStringList billVoidedLinesAgain(const Receipt& voidReceipt)
{
    QStringList notBack;
    for (qsizetype i = 0; i < voidReceipt.lines.size(); ++i) {
        const BillLine& line = voidReceipt.lines.at(i);
        const qint64 productKey = voidReceipt.stock.value(i).productKey;
        const qint64 units = -std::llround(leadingNumber(line.quantity));
        if (units <= 0)
            continue;
        const QString quantity = QString::number(units);
        const QString what = QStringLiteral("%1 (%2 units): ").arg(line.product, quantity);
        if (productKey == kTypedByHand) {
            const QString subTotal = difference(Currency(), storedAmount(line.subTotal)).toText();
            if (!addBillLine(voidReceipt.buyer, BillLine{timeOfDayText(Clock::now().time()), line.product, quantity,
                                                         line.unitPrice, subTotal}))
                notBack.append(what + QStringLiteral("the bill line cannot be written."));
            continue;
        }
        // Sold again from the product row the units went back to, whatever its name now.
        QString name = line.product;
        if (productKey != kStockUnknown) {
            auto product = ExecSQL(QStringLiteral("select cName from product_info where rowid=?"), {productKey});
            name = product && !product->isEof() ? product->text(0) : QString();
        }
        SaleResult sale;
        sale.outcome = SaleOutcome::NoProduct;
        if (!name.isEmpty())
            sale = bookSale(SaleRequest{name, quantity, voidReceipt.buyer});
        if (sale.outcome == SaleOutcome::NoProduct)
            notBack.append(what + QStringLiteral("no longer in the catalogue."));
        else if (sale.outcome == SaleOutcome::NotEnoughStock)
            notBack.append(what + QStringLiteral("not enough units in stock."));
        else if (sale.outcome != SaleOutcome::Sold)
            notBack.append(what + (sale.error.isEmpty() ? connectionLossText(sale.outcome) : sale.error));
    }
    return notBack;
}

} // namespace marvono
