#pragma once
// The shop's tax rates and the rate each product is sold at. Rates are lettered A, B, C ... in
// their order, one of them the default; a product's rate is keyed to its row, so it follows a
// rename. A shop without rates keeps no tax. No widgets.
#include <QList>
#include <QString>
#include <optional>

namespace marvono {

struct TaxRate {
    qint64 id = 0; // 0 for a rate not stored yet
    QString code;  // "A", "B", ...: given by the order when the rates are saved
    QString name;
    QString percent; // "20", "7.5": "." as the decimal point
    bool isDefault = false;
};

// The most rates a shop keeps: one letter each.
inline constexpr int kMostTaxRates = 26;

// The rates in letter order; nothing when they cannot be read.
std::optional<QList<TaxRate>> readTaxRates(QString* error = nullptr);

// A typed percent in the stored form ("7,5" where the locale writes a decimal comma -> "7.5");
// nothing unless it is a number from 0 to below 1000.
std::optional<QString> taxPercentText(const QString& typed);

// Replaces the shop's rates with `rates`, in their order (letters follow it; rates with an id keep
// it, so the products on them stay), in one transaction. The first rate marked default is the
// default, the first rate when none is; the products of a rate removed go back to the default.
// False, with an error, when a name is empty, a percent is no percent, there are more than
// kMostTaxRates, or the database refuses.
bool saveTaxRates(const QList<TaxRate>& rates, QString* error);

// The rate set for the product row; 0 when it has none (it is sold at the default), nothing when
// it cannot be read.
std::optional<qint64> productTaxRate(qint64 productKey);

// Inside the caller's transaction: sets the product row's rate (0: the default).
bool setProductTaxRate(qint64 productKey, qint64 rateId, QString* error);

} // namespace marvono
