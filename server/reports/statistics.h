#pragma once
// Sales statistics over the catalogue: per product its figures and the profit on the units sold,
// and the catalogue's sales and profit totals.
#include "app/numbers.h"

#include <QStringList>
#include <vector>

namespace marvono {

class RecordSet;

struct Statistics {
    // Per product: name, purchase price, purchase quantity, retail price, remaining quantity, profit.
    std::vector<QStringList> rows;
    Currency salesTotal;
    Currency profitTotal;
    // Set when a product could not be counted: rows holds the products before it (and the
    // product itself when only its contribution to the totals failed); the totals are not valid.
    bool failed = false;
};

// Walks every row of a product_info record set (nothing counts as a failure) with `symbol`
// before every amount.
Statistics computeStatistics(RecordSet* products, const QString& symbol);

// The same over the whole catalogue.
Statistics catalogueStatistics(const QString& symbol);

// "Total Sale: $600" and "Profit Total: $120".
QString totalSaleText(const QString& symbol, Currency total);
QString totalProfitText(const QString& symbol, Currency total);

} // namespace marvono
