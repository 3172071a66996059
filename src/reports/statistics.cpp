#include "reports/statistics.h"

#include "data/rowscan.h"

#include <QHash>
#include <array>
#include <cmath>

namespace marvono {
namespace {

const QString kUnits = QStringLiteral("Unit(s)");

// The texts of the four figures' columns, each shared within its column.
using FigureTexts = std::array<SharedTexts, 4>;

// Per product row, what discounts took off the units sold from it, paid or still on a bill.
std::optional<QHash<qint64, Currency>> discountsByProduct()
{
    QHash<qint64, Currency> taken;
    const bool scanned = scanRows(
        QStringLiteral("select l.cProductKey, d.cAmount from marvono_receipt_discount d join marvono_receipt_line l "
                       "on l.cReceipt = d.cReceipt and l.cLine = d.cLine where l.cProductKey > 0 union all select "
                       "s.cProductKey, d.cAmount from marvono_discount d join marvono_sale s on s.cBill = d.cBill "
                       "where s.cProductKey is not null"),
        [&taken](const ScannedRow& row) {
            Currency& sum = taken[row.utf8(0).toLongLong()];
            const auto added = sum.plus(storedAmount(QString::fromUtf8(row.utf8(1))));
            sum = added.value_or(sum);
            return added.has_value();
        });
    return scanned ? std::optional(taken) : std::nullopt;
}

// Lists a product row (name, purchase price, purchase quantity, retail price, remaining
// quantity) and adds its shares to the totals, less the discounts given on its units. False, with
// the statistics failed, for a row that cannot be counted.
bool addProduct(Statistics& result, const ScannedRow& row, FigureTexts& figures, const QString& symbol,
                const QHash<qint64, Currency>& discounts)
{
    std::optional<QByteArrayView> fields[5];
    for (int column = 0; column < 5; ++column) {
        fields[column] = row.field(column);
        if (!fields[column]) {
            result.failed = true;
            return false;
        }
    }
    // Prices and quantities recur across a catalogue; names hardly ever do.
    ProductFigures product{QString::fromUtf8(*fields[0]),
                           figures[0].text(*fields[1]),
                           figures[1].text(*fields[2]),
                           figures[2].text(*fields[3]),
                           figures[3].text(*fields[4]),
                           0,
                           symbol};
    const double purchasePrice = leadingNumber(product.purchasePrice);
    const double purchaseQuantity = leadingNumber(product.purchaseQuantity);
    const double retailPrice = leadingNumber(product.retailPrice);
    const double remainingQuantity = leadingNumber(product.remainingQuantity);
    const double sold = purchaseQuantity - remainingQuantity;
    const double discount = discounts.value(row.utf8(5).toLongLong()).toDouble();
    product.profit = (retailPrice - purchasePrice) * sold - discount;
    const double sales = sold * retailPrice - discount;
    if (!std::isfinite(product.profit) || !std::isfinite(sales)) { // an overflowing number or product
        result.failed = true;
        return false;
    }
    // Each product's share is rounded to the currency before it is added.
    const auto profitShare = Currency::fromDouble(product.profit);
    const auto salesShare = Currency::fromDouble(sales);
    result.products.push_back(std::move(product));
    const auto profitTotal = profitShare ? result.profitTotal.plus(*profitShare) : std::nullopt;
    const auto salesTotal = salesShare ? result.salesTotal.plus(*salesShare) : std::nullopt;
    if (!profitTotal || !salesTotal) {
        result.failed = true;
        return false;
    }
    result.profitTotal = *profitTotal;
    result.salesTotal = *salesTotal;
    return true;
}

} // namespace

QStringList statisticsTitles()
{
    return {QStringLiteral("Product Name"), QStringLiteral("Purchase Price"),     QStringLiteral("Purchase Quantity"),
            QStringLiteral("Retail Price"), QStringLiteral("Remaining Quantity"), QStringLiteral("Profit")};
}

QString statisticsCell(const ProductFigures& product, int column)
{
    const QString& symbol = product.symbol;
    switch (column) {
    case 0:
        return product.name;
    case 1:
        return symbol + product.purchasePrice;
    case 2:
        return product.purchaseQuantity + kUnits;
    case 3:
        return symbol + product.retailPrice;
    case 4:
        return product.remainingQuantity + kUnits;
    case 5:
        return symbol + generalText(product.profit);
    default:
        return {};
    }
}

Statistics catalogueStatistics(const QString& symbol)
{
    Statistics result;
    FigureTexts figures;
    const auto discounts = discountsByProduct();
    // Each field is read once, straight from the engine's row. Only the first five columns and
    // the row's identity are used; reading the others too would double the cost of the query on a
    // large catalogue.
    const bool scanned =
        discounts &&
        scanRows(QStringLiteral("select cName, cInPrice, cAllQty, cOutPrice, cLeastQty, rowid from product_info"),
                 [&](const ScannedRow& row) { return addProduct(result, row, figures, symbol, *discounts); });
    if (!scanned) // as when the query cannot run at all: nothing is listed
        return {{}, {}, {}, true};
    return result;
}

QString totalSaleText(const QString& symbol, Currency total)
{
    return QStringLiteral("Total Sale: ") + symbol + total.toText();
}

QString totalProfitText(const QString& symbol, Currency total)
{
    return QStringLiteral("Profit Total: ") + symbol + total.toText();
}

} // namespace marvono
