#include "reports/monthlyreport.h"

#include "app/numbers.h"
#include "data/rowscan.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <charconv>
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

// The value of a double's general text form (15 significant digits) read back as a number,
// without the text; what is not a finite number has no such form and reads as 0.
double fifteenDigits(double value)
{
    if (value == 0 || !std::isfinite(value))
        return 0;
    // to_chars rounds an exact tie to even where the text form rounds it away from zero. Only a
    // value whose 17 digits end in "50" can be such a tie; that rare one takes the text's way.
    char buffer[40];
    const auto digits = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 16);
    const char* exponent = std::find(buffer, digits.ptr, 'e');
    if (exponent[-2] == '5' && exponent[-1] == '0')
        return leadingNumber(generalText(value));
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    double rounded = 0;
    std::from_chars(buffer, written.ptr, rounded);
    return rounded;
}

// The ledger's columns in the order of its table.
const QString kLedger = QStringLiteral("select cname, cprice, cinprice, cqty, cday, cmonth, cyear from pandian");

// Turns ledger rows into report lines. A month's rows repeat their dates, products and prices
// many times over, so each column's texts are shared, and so is the margin's rounded difference
// of each pair of price texts: a product sells at the same prices day after day.
class LedgerReader {
  public:
    explicit LedgerReader(const QString& symbol) : m_symbol(symbol) {}

    // Nothing when the price, purchase price or quantity is empty or the margin overflows.
    std::optional<ReportLine> line(const ScannedRow& row)
    {
        const auto price = row.field(1);
        const auto purchasePrice = row.field(2);
        const auto quantity = row.field(3);
        if (!price || !purchasePrice || !quantity)
            return std::nullopt;
        ReportLine line{m_texts[6].text(row.utf8(6)),
                        m_texts[5].text(row.utf8(5)),
                        m_texts[4].text(row.utf8(4)),
                        m_texts[0].text(row.utf8(0)),
                        m_texts[3].text(*quantity),
                        m_texts[1].text(*price),
                        0,
                        m_symbol};
        line.margin = difference(line.price, m_texts[2].text(*purchasePrice)) * leadingNumber(line.quantity);
        if (!std::isfinite(line.margin))
            return std::nullopt;
        return line;
    }

  private:
    double difference(const QString& price, const QString& purchasePrice)
    {
        // Shared texts stay alive, and so keep their addresses, for the whole scan.
        const std::pair key(price.constData(), purchasePrice.constData());
        const auto found = m_differences.constFind(key);
        if (found != m_differences.constEnd())
            return *found;
        const double value = fifteenDigits(leadingNumber(price) - leadingNumber(purchasePrice));
        m_differences.insert(key, value);
        return value;
    }

    QString m_symbol;
    std::array<SharedTexts, 7> m_texts; // a set a column of the ledger
    QHash<std::pair<const QChar*, const QChar*>, double> m_differences;
};

ReportLines ledgerLines(const QString& query, const QVariantList& values, const QString& symbol)
{
    ReportLines result;
    LedgerReader reader(symbol);
    const bool scanned = scanRows(query, values, [&](const ScannedRow& row) {
        auto line = reader.line(row);
        if (!line) {
            result.failed = true;
            return false;
        }
        result.lines.push_back(std::move(*line));
        return true;
    });
    if (!scanned)
        return {{}, true};
    return result;
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

ReportLines monthOfEveryYear(int month, const QString& symbol)
{
    return ledgerLines(kLedger + QStringLiteral(" where cmonth=?"), {month}, symbol);
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
    return ledgerLines(kLedger + QStringLiteral(" where cmonth=? and cyear=?"), {*wholeMonth, *wholeYear}, symbol);
}

} // namespace marvono
