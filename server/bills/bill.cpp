#include "bills/bill.h"

#include "app/appcontext.h"
#include "bills/receipt.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/rowscan.h"
#include "data/shopserver.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <charconv>

namespace marvono {
namespace {

enum BillColumn { BillTime, BillBuyer, BillProduct, BillQuantity, BillPrice, BillSubTotal };

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

LineChange updateBillLine(const QString& buyer, const QString& keyTime, const BillLine& line)
{
    auto set = findLine(buyer, keyTime);
    if (!set)
        return LineChange::Failed;
    if (set->isEof())
        return LineChange::NotFound;
    const bool ok = set->setField(BillTime, line.time) && set->setField(BillProduct, line.product) &&
                    set->setField(BillQuantity, line.quantity) && set->setField(BillPrice, line.unitPrice) &&
                    set->setField(BillSubTotal, line.subTotal) && set->update();
    return ok ? LineChange::Done : LineChange::Failed;
}

LineChange deleteBillLine(const QString& buyer, const QString& keyTime)
{
    auto set = findLine(buyer, keyTime);
    if (!set)
        return LineChange::Failed;
    if (set->isEof())
        return LineChange::NotFound;
    return set->deleteCurrent() ? LineChange::Done : LineChange::Failed;
}

QString clientBillPath(int number)
{
    return qexclientPath(QStringLiteral("bill/%1.bil").arg(number));
}

Settlement settleBill(const QString& buyer, int clientBillNumber, const QList<qint64>* shownLines,
                      const Payment& payment)
{
    const QSet<qint64> shown = shownLines ? QSet<qint64>(shownLines->begin(), shownLines->end()) : QSet<qint64>();
    const auto failed = [&payment](Settlement settlement, const QString& error) {
        if (payment.error)
            *payment.error = error;
        return settlement;
    };
    {
        Transaction transaction;
        if (!transaction.isActive())
            return failed(Settlement::RowsFailed, transaction.errorText());
        QString message;
        auto set = ExecSQL(QStringLiteral("select * from Bill where ctable=? order by rowid"), message, {buyer});
        if (!set)
            return failed(Settlement::RowsFailed, message);
        Receipt receipt;
        QStringList subTotals;
        for (; !set->isEof(); set->moveNext()) {
            if (shownLines && !shown.contains(set->rowKey()))
                continue;
            receipt.lines.append(BillLine{set->text(BillTime), set->text(BillProduct), set->text(BillQuantity),
                                          set->text(BillPrice), set->text(BillSubTotal)});
            subTotals.append(set->text(BillSubTotal));
            if (!set->deleteCurrent())
                return failed(Settlement::RowsFailed, set->errorText());
        }
        if (!receipt.lines.isEmpty()) {
            const std::optional<Currency> total = billTotal(subTotals);
            if (!total)
                return failed(Settlement::RowsFailed, QStringLiteral("The bill's total is out of range."));
            receipt.total = *total;
            receipt.received = payment.received.value_or(*total);
            // Another till may have raised a line since the cash was counted.
            if (receipt.received.raw() < total->raw())
                return failed(Settlement::ShortPaid, receivedRefusal(ReceivedCheck::BelowTotal, *total, {}));
            receipt.change = difference(receipt.received, *total);
            receipt.time = Clock::now();
            receipt.buyer = buyer;
            receipt.operatorName = payment.operatorName;
            if (!writeReceipt(receipt, &message))
                return failed(Settlement::RowsFailed, message);
        }
        if (!transaction.commit())
            return failed(Settlement::RowsFailed, transaction.errorText());
        if (payment.receipt && !receipt.lines.isEmpty())
            *payment.receipt = receipt;
    }
    const QString billFile = clientBillPath(clientBillNumber);
    if (clientBillNumber >= 0 && QFile::exists(billFile) && !QFile::remove(billFile))
        return Settlement::FileFailed;
    return Settlement::Settled;
}

} // namespace marvono
