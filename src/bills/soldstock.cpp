#include "bills/soldstock.h"

#include "catalogue/stockmoves.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "data/tables.h"

#include <QHash>
#include <cmath>
#include <limits>

namespace marvono {
namespace {

// Statements about many bill rows name them in groups of this many, within every engine's limit
// of bound values.
constexpr qsizetype kKeysPerStatement = 500;

QString keySlots(qsizetype count)
{
    return QStringList(count, QStringLiteral("?")).join(QLatin1Char(','));
}

} // namespace

std::unique_ptr<RecordSet> lockedProduct(qint64 productKey, QString* error)
{
    // Joins the caller's transaction, so the lock lasts as long as that one. The row is locked by
    // its name, as a sale locks it; a rename in between is seen on the next read.
    Transaction hold;
    QString lockedName;
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto product = ExecSQL(QStringLiteral("select * from product_info where rowid=?"), *error, {productKey});
        if (!product)
            return nullptr;
        if (product->isEof() || (attempt > 0 && product->text(ProductName) == lockedName)) {
            hold.commit();
            return product;
        }
        lockedName = product->text(ProductName);
        if (!hold.lockRows(QStringLiteral("product_info"), QStringLiteral("cName"), lockedName)) {
            *error = hold.errorText();
            return nullptr;
        }
    }
    *error = QStringLiteral("The product is being renamed on another till; please try again.");
    return nullptr;
}

bool addToLedger(const QDate& day, const QString& name, const QString& price, const QString& inPrice, double units,
                 QString* error)
{
    auto ledger = ExecSQL(kLedgerRowQuery, *error, {day.day(), day.month(), day.year(), name});
    if (!ledger)
        return false;
    const QVariant cost = inPrice.isEmpty() ? QVariant() : QVariant(inPrice);
    bool ok = true;
    if (ledger->isEof()) {
        ledger->addNew();
        ok = ledger->setField(LedgerName, name) && ledger->setField(LedgerPrice, price) &&
             ledger->setField(LedgerCost, cost) && ledger->setField(LedgerQuantity, units) &&
             ledger->setField(LedgerDay, day.day()) && ledger->setField(LedgerMonth, day.month()) &&
             ledger->setField(LedgerYear, day.year());
    } else {
        // A row left without a purchase price stops the monthly report; the units' price mends it.
        ok = ledger->setField(LedgerQuantity, leadingNumber(ledger->text(LedgerQuantity)) + units) &&
             (!ledger->isNull(LedgerCost) || ledger->setField(LedgerCost, cost));
    }
    if (!ok || !ledger->update()) {
        *error = ledger->errorText();
        return false;
    }
    return true;
}

SoldChange moveSoldUnits(qint64 billKey, const QString& buyer, const BillLine& before, std::optional<double> quantity,
                         QString* error)
{
    auto sale = ExecSQL(QStringLiteral("select cProductKey, cInPrice, cTime from marvono_sale where cBill = ?"), *error,
                        {billKey});
    if (!sale)
        return SoldChange::Failed;
    if (sale->isEof() || sale->isNull(0))
        return SoldChange::NotSold;
    const qint64 productKey = sale->text(0).toLongLong();
    QString inPrice = sale->text(1);
    const QDate day = QDate::fromString(sale->text(2).left(10), Qt::ISODate);
    // A row gone lets go of its identity, which a later row may take.
    Engine* engine = Database::instance().engine(error);
    if (!quantity &&
        (!engine ||
         !engine->execute(QStringLiteral("update marvono_sale set cBill = null where cBill = ?"), {billKey}, error)))
        return SoldChange::Failed;
    const double back = leadingNumber(before.quantity) - quantity.value_or(0); // units back into stock
    if (back == 0)
        return SoldChange::NotSold;

    auto product = lockedProduct(productKey, error);
    if (!product)
        return SoldChange::Failed;
    if (product->isEof())
        return SoldChange::ProductGone;
    const double remaining = roundHalfEven(leadingNumber(product->text(ProductRemaining)) + back);
    if (!(std::fabs(remaining) <= std::numeric_limits<qint32>::max())) {
        *error = QStringLiteral("Overflow");
        return SoldChange::Failed;
    }
    if (remaining < 0)
        return SoldChange::NotEnoughStock;
    if (!product->setField(ProductRemaining, remaining) || !product->update()) {
        *error = product->errorText();
        return SoldChange::Failed;
    }
    if (inPrice.isEmpty())
        inPrice = product->text(ProductCost);
    const QString price = isNumberText(before.unitPrice) ? before.unitPrice.trimmed() : product->text(ProductPrice);
    if (!addToLedger(day, before.product, price, inPrice, -back, error) ||
        !logStockMove(product->text(ProductName), kBillEditMove, qint64(back), inPrice, product->text(ProductRemaining),
                      QStringLiteral("Bill of %1").arg(buyer), error))
        return SoldChange::Failed;
    return SoldChange::Moved;
}

std::optional<QList<LineStock>> takeSoldStock(const QList<qint64>& billKeys, QString* error)
{
    Engine* engine = Database::instance().engine(error);
    if (!engine)
        return std::nullopt;
    QHash<qint64, LineStock> sold;
    for (qsizetype from = 0; from < billKeys.size(); from += kKeysPerStatement) {
        const QList<qint64> keys = billKeys.mid(from, kKeysPerStatement);
        const QVariantList values(keys.cbegin(), keys.cend());
        const QString where = QStringLiteral(" where cBill in (%1)").arg(keySlots(keys.size()));
        auto sales =
            ExecSQL(QStringLiteral("select cBill, cProductKey, cInPrice from marvono_sale") + where, *error, values);
        if (!sales)
            return std::nullopt;
        for (; !sales->isEof(); sales->moveNext()) {
            if (!sales->isNull(1))
                sold.insert(sales->text(0).toLongLong(), LineStock{sales->text(1).toLongLong(), sales->text(2)});
        }
        if (!engine->execute(QStringLiteral("update marvono_sale set cBill = null") + where, values, error))
            return std::nullopt;
    }
    QList<LineStock> stock;
    stock.reserve(billKeys.size());
    for (qint64 key : billKeys)
        stock.append(sold.value(key, LineStock{kTypedByHand, {}}));
    return stock;
}

} // namespace marvono
