#include "reports/salescharts.h"

#include "data/recordset.h"
#include "reports/monthlyreport.h"

#include <QDate>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace marvono {
namespace {

constexpr size_t kTopProducts = 10;

using DateKey = std::tuple<int, int, int>; // year, month, day

DateKey dateOf(const ReportLine& line)
{
    return {int(leadingNumber(line.year)), int(leadingNumber(line.month)), int(leadingNumber(line.day))};
}

double takingsOf(const ReportLine& line)
{
    return leadingNumber(line.price) * leadingNumber(line.quantity);
}

} // namespace

MonthFigures monthFigures(const std::vector<ReportLine>& lines)
{
    MonthFigures figures;
    if (lines.empty())
        return figures;

    std::map<DateKey, DayFigures> byDate;
    QHash<QString, double> byProduct;
    for (const ReportLine& line : lines) {
        DayFigures& day = byDate[dateOf(line)];
        if (day.label.isEmpty())
            day.label = reportCell(line, 0);
        day.takings += takingsOf(line);
        day.profit += line.margin;
        byProduct[line.product] += takingsOf(line);
    }

    const auto [year, month, firstDay] = byDate.begin()->first;
    const auto [lastYear, lastMonth, lastDay] = byDate.rbegin()->first;
    const QDate first(year, month, 1);
    if (year == lastYear && month == lastMonth && first.isValid() && firstDay >= 1 && lastDay <= first.daysInMonth()) {
        figures.period = QString::number(year) + QLatin1Char('-') + QString::number(month);
        for (int d = 1; d <= first.daysInMonth(); ++d) {
            const auto it = byDate.find({year, month, d});
            DayFigures day = it != byDate.end() ? it->second : DayFigures{};
            day.label = QString::number(d);
            figures.days.push_back(day);
        }
    } else {
        for (auto& [key, day] : byDate)
            figures.days.push_back(day);
    }

    for (auto it = byProduct.cbegin(); it != byProduct.cend(); ++it)
        figures.top.push_back({it.key(), it.value()});
    std::sort(figures.top.begin(), figures.top.end(), [](const ProductTakings& a, const ProductTakings& b) {
        return a.takings != b.takings ? a.takings > b.takings : a.product < b.product;
    });
    if (figures.top.size() > kTopProducts)
        figures.top.resize(kTopProducts);
    return figures;
}

CategoryFiguresResult computeCategoryFigures(RecordSet* products)
{
    CategoryFiguresResult result;
    if (!products) {
        result.failed = true;
        return result;
    }
    // The product list's category order: case folded first, then as stored.
    const auto before = [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    };
    std::map<QString, CategoryFigures, decltype(before)> byCategory(before);
    for (; !products->isEof(); products->moveNext()) {
        const QString category = products->text(0);
        const double purchasePrice = leadingNumber(products->text(1));
        const double sold = leadingNumber(products->text(2)) - leadingNumber(products->text(4));
        const double retailPrice = leadingNumber(products->text(3));
        const auto sales = Currency::fromDouble(sold * retailPrice);
        const auto profit = Currency::fromDouble((retailPrice - purchasePrice) * sold);
        CategoryFigures& figures = byCategory[category];
        figures.category = category;
        const auto salesTotal = sales ? figures.sales.plus(*sales) : std::nullopt;
        const auto profitTotal = profit ? figures.profit.plus(*profit) : std::nullopt;
        if (!salesTotal || !profitTotal) {
            result.failed = true;
            break;
        }
        figures.sales = *salesTotal;
        figures.profit = *profitTotal;
    }
    for (auto& [key, figures] : byCategory)
        result.categories.push_back(figures);
    return result;
}

CategoryFiguresResult catalogueCategoryFigures()
{
    auto products = ExecSQL(QStringLiteral("select cType, cInPrice, cAllQty, cOutPrice, cLeastQty from product_info"));
    return computeCategoryFigures(products.get());
}

std::vector<double> scaleMarks(double low, double high)
{
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    if (!std::isfinite(low) || !std::isfinite(high))
        return {0};
    if (high - low <= 0)
        high = 1;
    const double rough = (high - low) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= rough)
            break;
    }
    std::vector<double> marks;
    for (double k = std::floor(low / step); k * step < high + step / 2 && marks.size() < 100; ++k)
        marks.push_back(k * step);
    if (marks.back() < high)
        marks.push_back(marks.back() + step);
    return marks;
}

QString amountText(const QString& symbol, double value)
{
    // Marks such as 3 x 0.1 come out as 0.30000000000000004; the currency's four decimals are
    // all an amount ever shows.
    const auto amount = Currency::fromDouble(value);
    return symbol + (amount ? amount->toText() : generalText(value));
}

} // namespace marvono
