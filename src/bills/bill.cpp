#include "bills/bill.h"

#include "app/appcontext.h"
#include "bills/discount.h"
#include "bills/receipt.h"
#include "bills/soldstock.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/rowscan.h"
#include "data/shopserver.h"
#include "data/tables.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <charconv>

namespace marvono {
namespace {

std::unique_ptr<RecordSet> findLine(const QString& buyer, const QString& keyTime)
{
    return ExecSQL(QStringLiteral("select * from Bill where ctable=? and ctime=?"), {buyer, keyTime});
}

} // namespace

std::optional<QList<BillLine>> readBill(const QString& buyer, QList<qint64>* keys)
{
    // Each field is read once, straight from the engine's row, beside the row's identity.
    std::vector<std::pair<qint64, BillLine>> read;
    SharedTexts figures; // quantities and prices recur from line to line
    const bool scanned =
        scanRows(QStringLiteral("select rowid, ctime, cproduct, cqty, cprice, csubtotal from Bill where ctable=?"),
                 {buyer}, [&](const ScannedRow& row) {
                     const auto text = [&row](int column) {
                         const auto bytes = row.field(column);
                         return bytes ? QString::fromUtf8(*bytes) : QString();
                     };
                     const auto figure = [&row, &figures](int column) {
                         const auto bytes = row.field(column);
                         return bytes ? figures.text(*bytes) : QString();
                     };
                     const QByteArrayView key = row.utf8(0);
                     qint64 identity = -1;
                     std::from_chars(key.data(), key.data() + key.size(), identity);
                     read.emplace_back(identity, BillLine{text(1), text(2), figure(3), figure(4), figure(5)});
                     return true;
                 });
    if (!scanned)
        return std::nullopt;
    // In the order the lines were booked, whatever index the engine walked. Sorting the
    // identities here costs a fraction of the engine sorting whole rows.
    std::sort(read.begin(), read.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<BillLine> lines;
    lines.reserve(qsizetype(read.size()));
    if (keys) {
        keys->clear();
        keys->reserve(qsizetype(read.size()));
    }
    for (auto& [identity, line] : read) {
        lines.append(std::move(line));
        if (keys)
            keys->append(identity);
    }
    return lines;
}

std::optional<BillLine> findBillLine(const QString& buyer, const QString& keyTime)
{
    auto set = findLine(buyer, keyTime);
    if (!set || set->isEof())
        return std::nullopt;
    return BillLine{set->text(BillTime), set->text(BillProduct), set->text(BillQuantity), set->text(BillPrice),
                    set->text(BillSubTotal)};
}

std::optional<Currency> billTotal(const QStringList& subTotals)
{
    Currency total;
    for (const QString& text : subTotals) {
        const std::optional<Currency> value = Currency::fromDouble(leadingNumber(text));
        const std::optional<Currency> sum = value ? total.plus(*value) : std::nullopt;
        if (!sum)
            return std::nullopt;
        total = *sum;
    }
    return total;
}

QString totalLabelText(Currency total, const QString& currencySymbol, bool afterAddNew)
{
    return (afterAddNew ? QStringLiteral("Total : ") : QStringLiteral("Total: ")) + currencySymbol + total.toText();
}

bool addBillLine(const QString& buyer, const BillLine& line, qint64* key)
{
    // A query without rows gives the columns to append to.
    auto set = ExecSQL(QStringLiteral("select * from Bill where 1=0"));
    if (!set)
        return false;
    set->addNew();
    set->setField(BillTime, line.time);
    set->setField(BillBuyer, buyer);
    set->setField(BillProduct, line.product);
    set->setField(BillQuantity, line.quantity);
    set->setField(BillPrice, line.unitPrice);
    set->setField(BillSubTotal, line.subTotal);
    if (!set->update())
        return false;
    if (key)
        *key = set->rowKey();
    return true;
}

namespace {

// Changes (or, without `line`, deletes) the line together with the stock a sale took for it.
LineChange changeLine(const QString& buyer, const QString& keyTime, const std::optional<BillLine>& line)
{
    Transaction transaction;
    // Another till editing or paying the same bill waits, so a line's units move once.
    if (!transaction.isActive() || !transaction.lockRows(QStringLiteral("Bill"), QStringLiteral("ctable"), buyer))
        return LineChange::Failed;
    auto set = findLine(buyer, keyTime);
    if (!set)
        return LineChange::Failed;
    if (set->isEof())
        return LineChange::NotFound;
    const BillLine before{set->text(BillTime), set->text(BillProduct), set->text(BillQuantity), set->text(BillPrice),
                          set->text(BillSubTotal)};
    QString error;
    // A discount was measured on the line as it is; a line that goes takes its discounts along.
    const std::optional<bool> discounted = line ? isDiscounted(set->rowKey()) : std::optional(false);
    if (!discounted)
        return LineChange::Failed;
    if (*discounted)
        return LineChange::Discounted;
    if (!line && !dropDiscounts(set->rowKey(), &error))
        return LineChange::Failed;
    const SoldChange sold = moveSoldUnits(set->rowKey(), buyer, before,
                                          line ? std::optional(leadingNumber(line->quantity)) : std::nullopt, &error);
    if (sold == SoldChange::Failed)
        return LineChange::Failed;
    if (sold == SoldChange::NotEnoughStock)
        return LineChange::NotEnoughStock;
    const bool ok = line ? set->setField(BillTime, line->time) && set->setField(BillProduct, line->product) &&
                               set->setField(BillQuantity, line->quantity) &&
                               set->setField(BillPrice, line->unitPrice) &&
                               set->setField(BillSubTotal, line->subTotal) && set->update()
                         : set->deleteCurrent();
    if (!ok || !transaction.commit())
        return LineChange::Failed;
    return sold == SoldChange::ProductGone ? LineChange::ProductGone : LineChange::Done;
}

} // namespace

LineChange updateBillLine(const QString& buyer, const QString& keyTime, const BillLine& line)
{
    return changeLine(buyer, keyTime, line);
}

LineChange deleteBillLine(const QString& buyer, const QString& keyTime)
{
    return changeLine(buyer, keyTime, std::nullopt);
}

QString clientBillPath(int number)
{
    return qexclientPath(QStringLiteral("bill/%1.bil").arg(number));
}

namespace {

struct Settling {
    Settling(const QString& buyerName, const ShownBill* shownBill, const Payment& paid)
        : buyer(buyerName), shown(shownBill), payment(paid)
    {
    }
    QString buyer;
    const ShownBill* shown;
    const Payment& payment;
    Receipt receipt;
    QString error;
    bool committing = false; // the failure, if any, came from the commit itself
};

// Whether the stored bill is the one shown; when lines shown are gone, the receipt that paid
// them goes into the error.
Settlement compareWithShown(Settling& settling, const QList<qint64>& keys, const QList<BillLine>& lines)
{
    const ShownBill& shown = *settling.shown;
    QHash<qint64, qsizetype> stored;
    for (qsizetype i = 0; i < keys.size(); ++i)
        stored.insert(keys.at(i), i);
    bool same = keys.size() == shown.keys.size();
    for (qsizetype i = 0; i < shown.keys.size() && i < shown.lines.size(); ++i) {
        const auto found = stored.constFind(shown.keys.at(i));
        if (found == stored.constEnd()) {
            const qint64 paidBy = receiptThatPaid(settling.buyer, shown.lines.at(i));
            if (paidBy == 0) {
                same = false;
                break;
            }
            settling.error =
                QStringLiteral("The bill was just paid at another till: receipt No. %1. Nothing was paid here.")
                    .arg(paidBy);
            return Settlement::PaidElsewhere;
        }
        same = same && lines.at(*found) == shown.lines.at(i);
    }
    if (same && shown.keys.size() == shown.lines.size())
        return Settlement::Settled;
    settling.error = QStringLiteral("The bill was changed at another till or window since it was shown: nothing "
                                    "was paid. It now shows what is stored; check it and press Pay Bill again.");
    return Settlement::Changed;
}

Settlement settleRows(Settling& settling)
{
    Transaction transaction;
    if (!transaction.isActive()) {
        settling.error = transaction.errorText();
        return Settlement::RowsFailed;
    }
    // The bill's lines are this till's until the settlement ends: a second till paying the same
    // bill waits here and then finds them gone, and an edit of a line waits until it is paid.
    if (!transaction.lockRows(QStringLiteral("Bill"), QStringLiteral("ctable"), settling.buyer)) {
        settling.error = transaction.errorText();
        return Settlement::RowsFailed;
    }
    auto set =
        ExecSQL(QStringLiteral("select * from Bill where ctable=? order by rowid"), settling.error, {settling.buyer});
    if (!set)
        return Settlement::RowsFailed;
    Receipt& receipt = settling.receipt;
    QList<qint64> keys;
    QStringList subTotals;
    for (; !set->isEof(); set->moveNext()) {
        keys.append(set->rowKey());
        receipt.lines.append(BillLine{set->text(BillTime), set->text(BillProduct), set->text(BillQuantity),
                                      set->text(BillPrice), set->text(BillSubTotal)});
        subTotals.append(set->text(BillSubTotal));
    }
    if (settling.shown) {
        const Settlement compared = compareWithShown(settling, keys, receipt.lines);
        if (compared != Settlement::Settled)
            return compared;
    }
    for (set->moveFirst(); !set->isEof(); set->moveNext()) {
        if (!set->deleteCurrent()) {
            settling.error = set->errorText();
            return Settlement::RowsFailed;
        }
    }
    if (!receipt.lines.isEmpty()) {
        const auto stock = takeSoldStock(keys, &settling.error);
        if (!stock)
            return Settlement::RowsFailed;
        receipt.stock = *stock;
        const auto discounts = takeDiscounts(keys, &settling.error);
        if (!discounts)
            return Settlement::RowsFailed;
        receipt.discounts = *discounts;
        const auto taxes = ratesForLines(receipt.stock, &settling.error);
        if (!taxes)
            return Settlement::RowsFailed;
        receipt.tax = *taxes;
        const std::optional<Currency> total = billTotal(subTotals);
        if (!total) {
            settling.error = QStringLiteral("The bill's total is out of range.");
            return Settlement::RowsFailed;
        }
        receipt.total = *total;
        // Card and other give no change: the cash pays what they leave, and any change.
        const Payment& payment = settling.payment;
        const Currency left = difference(difference(*total, payment.card), payment.other);
        if (payment.card.raw() < 0 || payment.other.raw() < 0 || left.raw() < 0) {
            settling.error = QStringLiteral("Card and other come to more than the total of %1: nothing was paid.")
                                 .arg(total->toText());
            return Settlement::OverPaid;
        }
        receipt.received = payment.received.value_or(left);
        if (receipt.received.raw() < left.raw()) {
            settling.error = receivedRefusal(ReceivedCheck::BelowTotal, left, {});
            return Settlement::ShortPaid;
        }
        receipt.change = difference(receipt.received, left);
        receipt.tenders = {Tender{TenderKind::Cash, receipt.received}, Tender{TenderKind::Card, payment.card},
                           Tender{TenderKind::Other, payment.other}};
        receipt.tenders.removeIf([](const Tender& tender) { return tender.amount.raw() == 0; });
        receipt.time = Clock::now();
        receipt.buyer = settling.buyer;
        receipt.operatorName = settling.payment.operatorName;
        if (!writeReceipt(receipt, &settling.error))
            return Settlement::RowsFailed;
    }
    settling.committing = true;
    if (!transaction.commit()) {
        settling.error = transaction.errorText();
        return Settlement::RowsFailed;
    }
    return Settlement::Settled;
}

// What became of a settlement whose connection to the shop server broke.
Settlement afterLoss(const Settling& settling)
{
    // The server ends the transaction of a connection that breaks before its COMMIT. A COMMIT it
    // received commits whether or not its answer arrives; the receipt counter stays locked until
    // then, so the receipt of this payment's number is its own when it holds what was written.
    if (!settling.committing)
        return Settlement::NotPaid;
    if (settling.receipt.number == 0)
        return Settlement::Settled;
    const std::optional<bool> stored = isReceiptStored(settling.receipt);
    return !stored ? Settlement::Unconfirmed : *stored ? Settlement::Settled : Settlement::NotPaid;
}

} // namespace

Settlement settleBill(const QString& buyer, int clientBillNumber, const ShownBill* shown, const Payment& payment)
{
    Settling settling(buyer, shown, payment);
    Settlement settlement = settleRows(settling);
    const bool lost = settlement == Settlement::RowsFailed && Database::instance().connectionLost();
    const bool busy = settlement == Settlement::RowsFailed && Database::instance().serverBusy();
    if (lost) {
        settlement = afterLoss(settling);
        if (settlement == Settlement::Settled && payment.paidAfterLoss)
            *payment.paidAfterLoss = true;
    }
    if (settlement == Settlement::NotPaid) {
        settling.error = QStringLiteral("The connection to the shop server was lost: the bill was not paid. Pay it "
                                        "again once the shop server is back.");
    } else if (settlement == Settlement::Unconfirmed) {
        settling.error =
            QStringLiteral("The connection to the shop server was lost: whether the bill was paid is not known. Once "
                           "the shop server is back, look for the payment in the Receipts window before paying "
                           "again.");
    } else if (busy) {
        settling.error = QStringLiteral("The shop server is busy: another till is paying or changing this bill. "
                                        "Nothing was paid; please try again.");
    }
    if (settlement != Settlement::Settled) {
        if (payment.error)
            *payment.error = settling.error;
        return settlement;
    }
    if (payment.receipt && !settling.receipt.lines.isEmpty())
        *payment.receipt = settling.receipt;
    const QString billFile = clientBillPath(clientBillNumber);
    if (clientBillNumber >= 0 && QFile::exists(billFile) && !QFile::remove(billFile))
        return Settlement::FileFailed;
    return Settlement::Settled;
}

} // namespace marvono
