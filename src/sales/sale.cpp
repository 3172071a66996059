#include "sales/sale.h"

#include "app/appcontext.h"
#include "bills/buyerlist.h"
#include "bills/soldstock.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/tables.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <cmath>
#include <cstdio>
#include <limits>

namespace marvono {
namespace {

SaleResult failed(SaleResult result, const QString& error)
{
    result.outcome = SaleOutcome::Failed;
    result.error = error;
    return result;
}

// Assigns every field in order; the first refusal stops and reports.
bool assignAll(RecordSet& set, std::initializer_list<std::pair<int, QVariant>> fields)
{
    for (const auto& [column, value] : fields)
        if (!set.setField(column, value))
            return false;
    return true;
}

// Takes the stock, price and cost from the held product row; false, with the outcome set, when
// the sale cannot go on.
bool priceFromProduct(const RecordSet& product, double quantity, SaleResult& result)
{
    const double remaining = roundHalfEven(leadingNumber(product.text(ProductRemaining)) - quantity);
    if (!(remaining >= std::numeric_limits<qint32>::min() && remaining <= std::numeric_limits<qint32>::max())) {
        result = failed(result, QStringLiteral("Overflow"));
        return false;
    }
    if (remaining < 0) {
        result.outcome = SaleOutcome::NotEnoughStock;
        return false;
    }
    result.remaining = qint32(remaining);
    result.productName = product.text(ProductName);
    result.storedPrice = product.text(ProductPrice);
    const std::optional<Currency> price = Currency::fromDouble(leadingNumber(result.storedPrice));
    if (!price) {
        result = failed(result, QStringLiteral("Overflow"));
        return false;
    }
    result.price = *price;
    result.charge = price->toDouble() * quantity;
    return true;
}

// Adds the bill line and the sale's record, which names the bill row and the product row so that
// an edit of the line knows which stock to move; the server gives it the bill row's key.
bool addBillLine(const SaleRequest& request, const SaleResult& result, const QString& id, qint64 productKey,
                 const QVariant& cost, QString* error)
{
    auto bill = RowsToAdd(QStringLiteral("Bill"), *error);
    if (!bill)
        return false;
    bill->addNew();
    if (assignAll(*bill, {{BillTime, timeOfDayText(result.bookedAt.time())},
                          {BillBuyer, request.buyer},
                          {BillProduct, result.productName},
                          {BillQuantity, request.quantityText},
                          {BillPrice, result.price.toDouble()},
                          {BillSubTotal, result.charge}}) &&
        bill->update(LinkedRow{
            QStringLiteral("marvono_sale"),
            {QStringLiteral("cId"), QStringLiteral("cTime"), QStringLiteral("cProductKey"), QStringLiteral("cInPrice")},
            {id, dateTimeText(result.bookedAt), productKey, cost},
            QStringLiteral("cBill")}))
        return true;
    *error = bill->errorText();
    return false;
}

// Adds the sale to the product's ledger row of the day, or starts the row: it keeps the day's
// total, so the monthly report shows everything sold that day. A row found by the day and the
// name keeps them.
bool addToDayRow(RecordSet& ledger, const SaleRequest& request, const SaleResult& result, double quantity,
                 const QVariant& cost)
{
    const QDate day = result.bookedAt.date();
    if (!ledger.isEof())
        return assignAll(ledger, {{LedgerPrice, result.price.toText()},
                                  {LedgerCost, cost},
                                  {LedgerQuantity, leadingNumber(ledger.text(LedgerQuantity)) + quantity}}) &&
               ledger.update();
    ledger.addNew();
    return assignAll(ledger, {{LedgerName, result.productName},
                              {LedgerPrice, result.price.toText()},
                              {LedgerCost, cost},
                              {LedgerQuantity, request.quantityText},
                              {LedgerDay, day.day()},
                              {LedgerMonth, day.month()},
                              {LedgerYear, day.year()}}) &&
           ledger.update();
}

// Books the sale under its identity `id` in one transaction; `committing` tells whether a
// failure came from the commit itself.
SaleResult bookSaleOnce(const SaleRequest& request, const QString& id, bool* committing)
{
    SaleResult result;

    // Reading inside the write transaction keeps the stock check and the write together.
    Transaction transaction;
    if (!transaction.isActive())
        return failed(result, transaction.errorText());
    // Another till selling the same product waits here until its sale is committed, so the stock
    // read is never one that another till is about to change. The day's ledger row of the
    // product is read in the same exchange once the product is held: no other sale changes it
    // meanwhile.
    result.bookedAt = Clock::now();
    const QDate today = result.bookedAt.date();
    QString message;
    std::unique_ptr<RecordSet> ledger;
    auto product = LockedRows(QStringLiteral("product_info"), QStringLiteral("cName"), request.productName, message,
                              kLedgerRowQuery, {today.day(), today.month(), today.year(), request.productName}, ledger);
    if (!product)
        return failed(result, message);
    if (product->isEof()) {
        result.outcome = SaleOutcome::NoProduct;
        return result;
    }
    const double quantity = leadingNumber(request.quantityText);
    if (!priceFromProduct(*product, quantity, result))
        return result;
    const std::optional<QString> cost = product->field(ProductCost);
    const QVariant costValue = cost ? QVariant(*cost) : QVariant();

    // The writes go to a shop server together, with nothing to wait for between them.
    transaction.batchWrites();
    if (!addBillLine(request, result, id, product->rowKey(), costValue, &message))
        return failed(result, message);
    if (!product->setField(ProductRemaining, result.remaining) || !product->update())
        return failed(result, product->errorText());
    if (!addToDayRow(*ledger, request, result, quantity, costValue))
        return failed(result, ledger->errorText());
    if (!transaction.sendWrites())
        return failed(result, transaction.errorText());
    *committing = true;
    if (!transaction.commit())
        return failed(result, transaction.errorText());
    result.outcome = SaleOutcome::Sold;
    return result;
}

} // namespace

QString newSaleIdentity()
{
    // The layout of a time-ordered UUID (version 7): the milliseconds since 1970 first, then
    // random bits. Identities made later sort later, so the server adds each one at the end of
    // its index instead of at a random place in it.
    const quint64 ms = quint64(QDateTime::currentMSecsSinceEpoch()) & 0xffffffffffffULL;
    QRandomGenerator* random = QRandomGenerator::system();
    const quint64 high = (ms << 16) | 0x7000 | (random->generate() & 0x0fff);
    const quint64 low = (random->generate64() & 0x3fffffffffffffffULL) | 0x8000000000000000ULL;
    using Hex = unsigned long long;
    char text[40];
    const int length =
        std::snprintf(text, sizeof text, "%08llx-%04llx-%04llx-%04llx-%012llx", Hex(high >> 32),
                      Hex((high >> 16) & 0xffff), Hex(high & 0xffff), Hex(low >> 48), Hex(low & 0xffffffffffffULL));
    return QString::fromLatin1(text, length);
}

bool isQuantityText(const QString& text)
{
    for (const QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    return true;
}

SaleResult bookSale(const SaleRequest& request)
{
    if (!isQuantityText(request.quantityText)) {
        SaleResult result;
        result.outcome = SaleOutcome::BadQuantity;
        return result;
    }
    const QString id = newSaleIdentity();
    bool committing = false;
    SaleResult result = bookSaleOnce(request, id, &committing);
    if (result.outcome != SaleOutcome::Failed || !Database::instance().connectionLost())
        return result;
    // The server ends the transaction of a connection that breaks before its COMMIT. A COMMIT it
    // received commits whether or not its answer arrives, so then the next statement connects
    // again and looks for the sale's identity.
    if (!committing) {
        result.outcome = SaleOutcome::NotBooked;
        return result;
    }
    auto booked = ExecSQL(QStringLiteral("select cId from marvono_sale where cId=?"), {id});
    if (!booked) {
        result.outcome = SaleOutcome::Unconfirmed;
    } else if (booked->isEof()) {
        result.outcome = SaleOutcome::NotBooked;
    } else {
        result.outcome = SaleOutcome::Sold;
        result.confirmedAfterLoss = true;
    }
    return result;
}

SaleResult bookSale(const QString& productName, const QString& quantityText)
{
    return bookSale(SaleRequest{productName, quantityText, chosenBuyer().name});
}

QString connectionLossText(SaleOutcome outcome)
{
    // After a broken connection the operator must know whether the sale is on the bill: selling
    // again what was booked would charge the buyer twice.
    switch (outcome) {
    case SaleOutcome::NotBooked:
        return QStringLiteral("(SCSP)Connection to the shop server lost: the sale was not booked; sell it again once "
                              "the shop server is back.");
    case SaleOutcome::Unconfirmed:
        return QStringLiteral("(SCSP)Connection to the shop server lost: whether the sale was booked is not known. "
                              "Once the shop server is back, look for it in the buyer's bill before selling it again.");
    default:
        return {};
    }
}

QString saleConfirmationText(const QString& quantityText, const QString& storedPrice, double charge,
                             const QString& currencySymbol)
{
    return QStringLiteral("Quantity: ") + quantityText + QStringLiteral(" Unit(s)\r\nUnit Price: ") + storedPrice +
           QLatin1Char(' ') + currencySymbol + QStringLiteral("\r\nCharge: ") + currencySymbol + generalText(charge);
}

QString saleReceiptText(const QString& productName, Currency price, double charge, const QString& quantityText,
                        const QString& currencySymbol, const QDateTime& when)
{
    return QStringLiteral("\r\n==============================\r\nProduct Name: ") + productName +
           QStringLiteral("\r\nPrice: ") + currencySymbol + generalText(price.toDouble()) +
           QStringLiteral("\r\nTotal: ") + currencySymbol + generalText(charge) + QStringLiteral("\r\nQuantity: ") +
           quantityText + QStringLiteral("\r\nTime: ") + dateTimeText(when);
}

} // namespace marvono
