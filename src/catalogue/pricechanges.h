#pragma once
// Changing the retail price of many products at once: by a percentage or an amount, rounded to a
// price step, previewed, and stored in one transaction with each product logged as Modify logs it.
#include "app/numbers.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace marvono {

enum class PriceStep {
    Cent,      // 0.01
    FiveCents, // 0.05
    TenCents,  // 0.10
    Ends99     // the nearest price ending in .99
};

struct PriceRule {
    bool percent = true; // `change` is a percentage of the price, else an amount added to it
    double change = 0;   // negative lowers the prices
    PriceStep step = PriceStep::Cent;
};

// The new price for `price` under the rule, rounded to its step (a half away from zero) but never
// below the old price for a rise nor above it for a cut; nothing when it would fall below 0 or
// leave the range of money.
std::optional<Currency> changedPrice(Currency price, const PriceRule& rule);

struct PriceChange {
    QString name;
    QString oldPrice;                 // as stored
    std::optional<Currency> newPrice; // nothing: the rule would make it negative
};

// The change the rule makes to each named product, in the order of `names`; nothing when the
// products cannot be read.
std::optional<std::vector<PriceChange>> previewPriceChanges(const QStringList& names, const PriceRule& rule,
                                                            QString* error);

// Applies the rule to the named products' prices as stored at that moment, logging each in
// `change`; all of them or, on any failure or a price the rule would make negative, none.
bool applyPriceChanges(const QStringList& names, const PriceRule& rule, QString* error);

} // namespace marvono
