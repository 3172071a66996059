#pragma once
// The tax in what a receipt took: each line keeps the rate it was paid at, and the papers show,
// per rate, the gross, the net and the tax, worked out on the rate's gross total. No widgets.
#include "app/numbers.h"

#include <QList>
#include <QString>
#include <optional>

namespace marvono {

struct LineStock;

// The rate a receipt line was paid at, as it stood then. Empty for a line of a shop without rates
// (or paid before there were any): such a line carries no tax.
struct LineTax {
    QString code; // "A", "B", ...
    QString name;
    QString percent; // "20", "7.5"
    bool isEmpty() const { return code.isEmpty(); }
    friend bool operator==(const LineTax&, const LineTax&) = default;
};

// One rate's share of a receipt or a close. Refunds give negative figures.
struct RateFigures {
    LineTax rate;
    Currency gross;
    Currency net;
    Currency tax;
    friend bool operator==(const RateFigures&, const RateFigures&) = default;
};

// The net in `gross` at `percent`: gross / (1 + percent / 100), to the cent, a half away from
// zero.
Currency netOfTax(Currency gross, const QString& percent);

// Per rate, in letter order (lines without a rate last, untaxed): the sum of the line amounts and
// its net and tax; empty when no line has a rate, unless `withoutRates`. `amounts` are the stored
// sub-totals.
QList<RateFigures> taxByRate(const QStringList& amounts, const QList<LineTax>& rates, bool withoutRates = false);

// Each line's own share of the figures taxByRate gives its rate, line by line, so that a
// receipt's lines add up exactly to the net and tax it prints per rate.
QList<RateFigures> taxPerLine(const QStringList& amounts, const QList<LineTax>& rates);

// Adds `more` into `sums`, rate by rate (a rate is its letter, name and percent); false when a sum
// leaves the currency range.
bool addRateFigures(QList<RateFigures>& sums, const QList<RateFigures>& more);

// "A Standard 20%", or "No rate" for lines without one.
QString rateTitle(const LineTax& rate);

// Inside the caller's transaction, for lines being paid: the rate each is paid at now, by the
// product row its units came from (a line typed in by hand, or a product without a rate of its
// own: the default); all empty when the shop keeps no rates. Nothing, with an error, on failure.
std::optional<QList<LineTax>> ratesForLines(const QList<LineStock>& stock, QString* error);

} // namespace marvono
