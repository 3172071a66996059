#include "reports/statistics.h"

#include "data/recordset.h"

#include <cmath>

namespace marvono {
namespace {

const QString kUnits = QStringLiteral("Unit(s)");

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

Statistics computeStatistics(RecordSet* products, const QString& symbol)
{
    Statistics result;
    if (!products) {
        result.failed = true;
        return result;
    }
    result.products.reserve(size_t(products->count()));
    for (; !products->isEof(); products->moveNext()) {
        std::optional<QString> values[5];
        for (int column = 0; column < 5; ++column) {
            values[column] = products->field(column);
            if (!values[column]) {
                result.failed = true;
                return result;
            }
        }
        const double purchasePrice = leadingNumber(*values[1]);
        const double purchaseQuantity = leadingNumber(*values[2]);
        const double retailPrice = leadingNumber(*values[3]);
        const double remainingQuantity = leadingNumber(*values[4]);
        const double sold = purchaseQuantity - remainingQuantity;
        const double profit = (retailPrice - purchasePrice) * sold;
        const double sales = sold * retailPrice;
        if (!std::isfinite(profit) || !std::isfinite(sales)) { // an overflowing number or product
            result.failed = true;
            return result;
        }
        result.products.push_back({*values[0], *values[1], *values[2], *values[3], *values[4], profit, symbol});

        // Each product's share is rounded to the currency before it is added.
        const auto profitShare = Currency::fromDouble(profit);
        const auto salesShare = Currency::fromDouble(sales);
        const auto profitTotal = profitShare ? result.profitTotal.plus(*profitShare) : std::nullopt;
        const auto salesTotal = salesShare ? result.salesTotal.plus(*salesShare) : std::nullopt;
        if (!profitTotal || !salesTotal) {
            result.failed = true;
            return result;
        }
        result.profitTotal = *profitTotal;
        result.salesTotal = *salesTotal;
    }
    return result;
}

Statistics catalogueStatistics(const QString& symbol)
{
    // Only the first five columns are used; reading the others too would double the cost of the
    // query on a large catalogue.
    auto products = ExecSQL(QStringLiteral("select cName, cInPrice, cAllQty, cOutPrice, cLeastQty from product_info"));
    return computeStatistics(products.get(), symbol);
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
