#pragma once
// Sales statistics over the catalogue: per product its figures and the profit on the units sold,
// and the catalogue's sales and profit totals.
#include "app/numbers.h"

#include <QStringList>
#include <vector>

namespace marvono {

// A product's figures as stored, and the profit on its units sold.
struct ProductFigures {
    QString name;
    QString purchasePrice;
    QString purchaseQuantity;
    QString retailPrice;
    QString remainingQuantity;
    double profit = 0;
    QString symbol; // the currency symbol written before amounts
};

// Titles of the statistics list.
QStringList statisticsTitles();
// The text of one column of a product's line: name, purchase price, purchase quantity, retail
// price, remaining quantity, profit; amounts after the symbol, quantities before "Unit(s)".
QString statisticsCell(const ProductFigures& product, int column);

struct Statistics {
    std::vector<ProductFigures> products;
    Currency salesTotal;
    Currency profitTotal;
    // Set when a product could not be counted: products holds those before it (and the
    // product itself when only its contribution to the totals failed); the totals are not valid.
    bool failed = false;
};

// Every product of the catalogue, with `symbol` for the amounts. A product with an empty name,
// price or quantity is a failure, and so is a query that fails (then nothing is listed).
Statistics catalogueStatistics(const QString& symbol);

// "Total Sale: $600" and "Profit Total: $120".
QString totalSaleText(const QString& symbol, Currency total);
QString totalProfitText(const QString& symbol, Currency total);

} // namespace marvono
