#pragma once
// The figures the chart windows draw: a report month by day and by product, the catalogue's
// sales and profit by category, and the amount scale beside them.
#include "app/numbers.h"

#include <QString>
#include <vector>

namespace marvono {

class RecordSet;
struct ReportLine;

struct DayFigures {
    QString label;      // the day of the month, or the whole date when the lines span months
    double takings = 0; // price times quantity
    double profit = 0;  // the lines' margins
};

struct ProductTakings {
    QString product;
    double takings = 0;
};

struct MonthFigures {
    QString period;                  // "2009-7" when the lines are of one month, else empty
    std::vector<DayFigures> days;    // in date order
    std::vector<ProductTakings> top; // at most ten, the largest takings first
};

// Lines of one year and month give every day of that month, days without sales at 0; lines of
// several months give one entry per date sold. No lines, nothing.
MonthFigures monthFigures(const std::vector<ReportLine>& lines);

struct CategoryFigures {
    QString category;
    Currency sales;  // units sold times retail price
    Currency profit; // units sold times (retail less purchase price)
};

struct CategoryFiguresResult {
    std::vector<CategoryFigures> categories; // in category order
    bool failed = false;                     // a figure left the currency range
};

// Sales and profit of the units sold (purchase less remaining quantity), each product's share
// rounded to the currency as the statistics round it, summed by category. Reads cType,
// cInPrice, cAllQty, cOutPrice, cLeastQty in that order.
CategoryFiguresResult computeCategoryFigures(RecordSet* products);
CategoryFiguresResult catalogueCategoryFigures();

// Round steps (1, 2 or 5 times a power of ten) from at or below `low` to at or above `high`,
// about five of them; 0 is always one of the marks.
std::vector<double> scaleMarks(double low, double high);

// An amount as the program writes it: the symbol directly before the general text form.
QString amountText(const QString& symbol, double value);

} // namespace marvono
