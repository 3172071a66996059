#include "reports/monthlyreport.h"

#include "app/numbers.h"
#include "data/recordset.h"

#include <cmath>

namespace marvono {
namespace {

// A month or year typed into the report's boxes: any number text ("7", " 7", "07", "1.0",
// "7.5"); nothing for a text that is no number or overflows ("1e400"). It may be fractional.
std::optional<double> searchNumber(const QString& text)
{
    if (!isNumberText(text))
        return std::nullopt;
    const double value = leadingNumber(text);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// Month and year are stored whole, so only a whole value within their range can match a row.
std::optional<qint64> storedWhole(double value)
{
    if (value != std::trunc(value) || std::fabs(value) > 1e15)
        return std::nullopt;
    return qint64(value);
}

} // namespace

QStringList reportTitles()
{
    return {QStringLiteral("Date"), QStringLiteral("Product Name"), QStringLiteral("Sale Quantity"),
            QStringLiteral("Price per Unit"), QStringLiteral("Total")};
}

QString reportCell(const ReportLine& line, int column)
{
    switch (column) {
    case 0:
        return line.year + QLatin1Char('-') + line.month + QLatin1Char('-') + line.day;
    case 1:
        return line.product;
    case 2:
        return line.quantity + QStringLiteral("Unit(s)");
    case 3:
        return line.symbol + line.price;
    case 4:
        return generalText(line.margin);
    default:
        return {};
    }
}

QStringList reportTexts(const ReportLine& line)
{
    QStringList texts;
    texts.reserve(5);
    for (int column = 0; column < 5; ++column)
        texts.append(reportCell(line, column));
    return texts;
}

double reportMargin(const QString& price, const QString& purchasePrice, const QString& quantity)
{
    const double difference = leadingNumber(generalText(leadingNumber(price) - leadingNumber(purchasePrice)));
    return difference * leadingNumber(quantity);
}

std::optional<ReportLine> reportLine(const RecordSet& ledger, const QString& symbol)
{
    const auto price = ledger.field(1);
    const auto purchasePrice = ledger.field(2);
    const auto quantity = ledger.field(3);
    if (!price || !purchasePrice || !quantity)
        return std::nullopt;
    const double margin = reportMargin(*price, *purchasePrice, *quantity);
    if (!std::isfinite(margin))
        return std::nullopt;
    return ReportLine{ledger.text(6), ledger.text(5), ledger.text(4), ledger.text(0),
                      *quantity,      *price,         margin,         symbol};
}

ReportLines reportLines(RecordSet* ledger, const QString& symbol)
{
    ReportLines result;
    if (!ledger) {
        result.failed = true;
        return result;
    }
    result.lines.reserve(size_t(ledger->count()));
    for (; !ledger->isEof(); ledger->moveNext()) {
        auto line = reportLine(*ledger, symbol);
        if (!line) {
            result.failed = true;
            break;
        }
        result.lines.push_back(std::move(*line));
    }
    return result;
}

ReportLines monthOfEveryYear(int month, const QString& symbol)
{
    auto ledger = ExecSQL(QStringLiteral("select * from pandian where cmonth=?"), {month});
    return reportLines(ledger.get(), symbol);
}

ReportLines monthOfYear(const QString& monthText, const QString& yearText, const QString& symbol)
{
    const auto month = searchNumber(monthText);
    const auto year = searchNumber(yearText);
    if (!month || !year)
        return {{}, true};
    const auto wholeMonth = storedWhole(*month);
    const auto wholeYear = storedWhole(*year);
    if (!wholeMonth || !wholeYear)
        return {};
    auto ledger =
        ExecSQL(QStringLiteral("select * from pandian where cmonth=? and cyear=?"), {*wholeMonth, *wholeYear});
    return reportLines(ledger.get(), symbol);
}

} // namespace marvono
