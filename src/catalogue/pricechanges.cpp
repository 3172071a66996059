#include "catalogue/pricechanges.h"

#include "catalogue/products.h"
#include "data/database.h"

#include <QVariant>

#include <cmath>

namespace marvono {

namespace {

constexpr qint64 kCent = 100; // in Currency's ten-thousandths

// The nearest multiple of `step`, a half away from zero.
qint64 roundTo(double raw, qint64 step)
{
    return qint64(std::llround(raw / double(step))) * step;
}

} // namespace

std::optional<Currency> changedPrice(Currency price, const PriceRule& rule)
{
    const double raw =
        rule.percent ? double(price.raw()) * (1 + rule.change / 100) : double(price.raw()) + rule.change * 10000;
    if (!std::isfinite(raw) || std::abs(raw) > 1e15)
        return std::nullopt;
    qint64 step = kCent;
    qint64 rounded = 0;
    switch (rule.step) {
    case PriceStep::Cent:
        rounded = roundTo(raw, step);
        break;
    case PriceStep::FiveCents:
        step = 5 * kCent;
        rounded = roundTo(raw, step);
        break;
    case PriceStep::TenCents:
        step = 10 * kCent;
        rounded = roundTo(raw, step);
        break;
    case PriceStep::Ends99:
        // The whole amount nearest to the price plus a cent, less the cent: 2.62 -> 2.99, 2.40 -> 1.99.
        step = 100 * kCent;
        rounded = std::max(roundTo(raw + double(kCent), step), step) - kCent;
        break;
    }
    // Rounding never turns a rise into a cut or a cut into a rise: 2.30 raised by 8% is 2.99, not 1.99.
    if (rule.change > 0 && rounded < price.raw())
        rounded += step;
    else if (rule.change < 0 && rounded > price.raw())
        rounded -= step;
    if (rounded < 0)
        return std::nullopt;
    return Currency::fromRaw(rounded);
}

std::optional<std::vector<PriceChange>> previewPriceChanges(const QStringList& names, const PriceRule& rule,
                                                            QString* error)
{
    std::vector<PriceChange> changes;
    for (const QString& name : names) {
        const StoredProduct product = findProduct(name);
        if (!product.found) {
            if (error)
                *error = QStringLiteral("No product is named \"%1\".").arg(name);
            return std::nullopt;
        }
        changes.push_back({name, product.values.outPrice, changedPrice(storedAmount(product.values.outPrice), rule)});
    }
    return changes;
}

bool applyPriceChanges(const QStringList& names, const PriceRule& rule, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    Transaction transaction;
    if (!transaction.isActive())
        return fail(transaction.errorText());
    for (const QString& name : names) {
        // The price is read under the row's lock, so a sale or change from another till meanwhile
        // is built upon rather than undone.
        if (!transaction.lockRows(QStringLiteral("product_info"), QStringLiteral("cName"), QVariant(name)))
            return fail(transaction.errorText());
        StoredProduct product = findProduct(name);
        if (!product.found)
            return fail(QStringLiteral("No product is named \"%1\".").arg(name));
        const std::optional<Currency> price = changedPrice(storedAmount(product.values.outPrice), rule);
        if (!price)
            return fail(QStringLiteral("The price of \"%1\" would fall below 0.").arg(name));
        product.values.outPrice = price->toText();
        const ModifyResult modified = modifyProduct(
            name, product.values, product.pictureNumber, true, [](const QString&) { return true; },
            product.values.leastQty);
        if (!modified.ok)
            return fail(modified.error);
    }
    if (!transaction.commit())
        return fail(transaction.errorText());
    return true;
}

} // namespace marvono
