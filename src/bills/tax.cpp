#include "bills/tax.h"

#include "app/text.h"
#include "bills/receipt.h"
#include "catalogue/taxrates.h"
#include "data/recordset.h"

#include <QHash>
#include <algorithm>
#include <tuple>

namespace marvono {
namespace {

// Rates order by letter; lines without one come last.
bool before(const LineTax& a, const LineTax& b)
{
    if (a.code.isEmpty() != b.code.isEmpty())
        return b.code.isEmpty();
    return std::tie(a.code, a.name, a.percent) < std::tie(b.code, b.name, b.percent);
}

RateFigures* figuresOf(QList<RateFigures>& list, const LineTax& rate)
{
    auto found = std::find_if(list.begin(), list.end(), [&rate](const RateFigures& f) { return f.rate == rate; });
    if (found != list.end())
        return &*found;
    const auto at =
        std::find_if(list.begin(), list.end(), [&rate](const RateFigures& f) { return before(rate, f.rate); });
    return &*list.insert(at, RateFigures{rate, {}, {}, {}});
}

} // namespace

Currency netOfTax(Currency gross, const QString& percent)
{
    // In ten-thousandths throughout, so that no binary fraction enters: net cents =
    // gross * 10^6 / ((10^6 + percent) * 100), rounded a half away from zero.
    const qint64 rate = Currency::fromDouble(leadingNumber(percent)).value_or(Currency()).raw();
    const __int128 numerator = __int128(gross.raw()) * 1000000;
    const __int128 denominator = (__int128(1000000) + rate) * 100;
    if (denominator <= 0)
        return gross;
    const __int128 magnitude = numerator < 0 ? -numerator : numerator;
    const __int128 cents = (2 * magnitude + denominator) / (2 * denominator);
    return Currency::fromRaw(qint64(numerator < 0 ? -cents : cents) * 100);
}

QList<RateFigures> taxByRate(const QStringList& amounts, const QList<LineTax>& rates, bool withoutRates)
{
    QList<RateFigures> figures;
    if (!withoutRates && std::all_of(rates.cbegin(), rates.cend(), [](const LineTax& rate) { return rate.isEmpty(); }))
        return figures;
    for (qsizetype i = 0; i < amounts.size(); ++i) {
        RateFigures* sum = figuresOf(figures, rates.value(i));
        sum->gross = sum->gross.plus(storedAmount(amounts.at(i))).value_or(sum->gross);
    }
    for (RateFigures& rate : figures) {
        rate.net = rate.rate.isEmpty() ? rate.gross : netOfTax(rate.gross, rate.rate.percent);
        rate.tax = Currency::fromRaw(rate.gross.raw() - rate.net.raw());
    }
    return figures;
}

QList<RateFigures> taxPerLine(const QStringList& amounts, const QList<LineTax>& rates)
{
    // The receipt works the net out on each rate's gross total, so the lines' own nets, each
    // rounded to the cent, need not add up to it. Instead the lines of a rate so far are given the
    // net of their gross so far, worked out as the receipt works it out, and each line takes the
    // step its gross adds: after the rate's last line the running net is the printed one. A line's
    // net is thus within a cent of its own, and its tax is the rest of its gross.
    QList<RateFigures> soFar; // per rate: the gross and net of its lines up to here
    QList<RateFigures> lines;
    lines.reserve(amounts.size());
    for (qsizetype i = 0; i < amounts.size(); ++i) {
        const LineTax rate = rates.value(i);
        const Currency gross = storedAmount(amounts.at(i));
        RateFigures* sum = figuresOf(soFar, rate);
        sum->gross = sum->gross.plus(gross).value_or(sum->gross);
        const Currency net = rate.isEmpty() ? sum->gross : netOfTax(sum->gross, rate.percent);
        const Currency lineNet = Currency::fromRaw(net.raw() - sum->net.raw());
        sum->net = net;
        lines.append(RateFigures{rate, gross, lineNet, Currency::fromRaw(gross.raw() - lineNet.raw())});
    }
    return lines;
}

bool addRateFigures(QList<RateFigures>& sums, const QList<RateFigures>& more)
{
    for (const RateFigures& figures : more) {
        RateFigures* sum = figuresOf(sums, figures.rate);
        const auto gross = sum->gross.plus(figures.gross);
        const auto net = sum->net.plus(figures.net);
        const auto tax = sum->tax.plus(figures.tax);
        if (!gross || !net || !tax)
            return false;
        *sum = RateFigures{figures.rate, *gross, *net, *tax};
    }
    return true;
}

QString rateTitle(const LineTax& rate)
{
    if (rate.isEmpty())
        return QStringLiteral("No rate");
    return QStringLiteral("%1 %2 %3%").arg(rate.code, rate.name, rate.percent);
}

std::optional<QList<LineTax>> ratesForLines(const QList<LineStock>& stock, QString* error)
{
    const auto rates = readTaxRates(error);
    if (!rates)
        return std::nullopt;
    QList<LineTax> taxes(stock.size());
    if (rates->isEmpty())
        return taxes;
    QHash<qint64, LineTax> byId;
    // The rate marked default; the first when none is.
    LineTax fallback{rates->first().code, rates->first().name, rates->first().percent};
    for (const TaxRate& rate : *rates) {
        const LineTax tax{rate.code, rate.name, rate.percent};
        byId.insert(rate.id, tax);
        if (rate.isDefault)
            fallback = tax;
    }
    // A bill holds a few lines: one look-up per product row.
    QHash<qint64, LineTax> ofProduct;
    for (qsizetype i = 0; i < stock.size(); ++i) {
        const qint64 key = stock.at(i).productKey;
        if (key <= 0) {
            taxes[i] = fallback;
            continue;
        }
        if (!ofProduct.contains(key)) {
            QString message;
            auto set =
                ExecSQL(QStringLiteral("select cRate from marvono_product_tax where cProductKey = ?"), message, {key});
            if (!set) {
                setError(error, message);
                return std::nullopt;
            }
            ofProduct.insert(key, set->isEof() ? fallback : byId.value(set->text(0).toLongLong(), fallback));
        }
        taxes[i] = ofProduct.value(key);
    }
    return taxes;
}

} // namespace marvono
