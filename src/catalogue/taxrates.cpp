#include "catalogue/taxrates.h"

#include "app/numbers.h"
#include "app/text.h"
#include "app/typedinput.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"

#include <QSet>

namespace marvono {

std::optional<QList<TaxRate>> readTaxRates(QString* error)
{
    QString message;
    auto set = ExecSQL(
        QStringLiteral("select cId, cCode, cName, cPercent, cDefault from marvono_tax_rate order by cCode, cId"),
        message);
    if (!set) {
        setError(error, message);
        return std::nullopt;
    }
    QList<TaxRate> rates;
    for (; !set->isEof(); set->moveNext())
        rates.append(
            TaxRate{set->text(0).toLongLong(), set->text(1), set->text(2), set->text(3), set->text(4).toInt() != 0});
    return rates;
}

std::optional<QString> taxPercentText(const QString& typed)
{
    const std::optional<QString> text = typedNumberText(typed.trimmed());
    if (!text || text->isEmpty())
        return std::nullopt;
    const std::optional<Currency> percent = Currency::fromDouble(leadingNumber(*text));
    if (!percent || percent->raw() < 0 || percent->raw() >= 1000 * 10000)
        return std::nullopt;
    return percent->toText();
}

bool saveTaxRates(const QList<TaxRate>& rates, QString* error)
{
    if (rates.size() > kMostTaxRates) {
        setError(error, QStringLiteral("A shop keeps at most %1 tax rates.").arg(kMostTaxRates));
        return false;
    }
    QList<TaxRate> stored = rates;
    qsizetype defaultAt = -1;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        TaxRate& rate = stored[i];
        rate.name = rate.name.trimmed();
        const std::optional<QString> percent = taxPercentText(rate.percent);
        if (rate.name.isEmpty() || !percent) {
            setError(error, QStringLiteral("Tax rate %1 needs a name and a percent from 0 to 999.").arg(i + 1));
            return false;
        }
        rate.percent = *percent;
        rate.code = QChar(char16_t(u'A' + i));
        if (rate.isDefault && defaultAt < 0)
            defaultAt = i;
    }
    for (qsizetype i = 0; i < stored.size(); ++i)
        stored[i].isDefault = i == std::max<qsizetype>(defaultAt, 0);

    Transaction transaction;
    // Two tills saving at once take turns, so the ids given below are free.
    if (!transaction.isActive() || !transaction.lock(QStringLiteral("tax rates"))) {
        setError(error, transaction.errorText());
        return false;
    }
    const auto before = readTaxRates(error);
    Engine* engine = Database::instance().engine(error);
    if (!before || !engine)
        return false;
    QSet<qint64> kept;
    qint64 nextId = 1;
    for (const TaxRate& rate : *before)
        nextId = std::max(nextId, rate.id + 1);
    for (const TaxRate& rate : stored)
        kept.insert(rate.id);
    for (const TaxRate& rate : *before) {
        if (!kept.contains(rate.id) &&
            (!engine->execute(QStringLiteral("delete from marvono_product_tax where cRate = ?"), {rate.id}, error) ||
             !engine->execute(QStringLiteral("delete from marvono_tax_rate where cId = ?"), {rate.id}, error)))
            return false;
    }
    for (TaxRate& rate : stored) {
        const bool known = std::any_of(before->cbegin(), before->cend(),
                                       [&rate](const TaxRate& old) { return old.id == rate.id && rate.id != 0; });
        if (!known)
            rate.id = nextId++;
        const QString sql = known ? QStringLiteral("update marvono_tax_rate set cCode = ?, cName = ?, cPercent = ?, "
                                                   "cDefault = ? where cId = ?")
                                  : QStringLiteral("insert into marvono_tax_rate (cCode, cName, cPercent, cDefault, "
                                                   "cId) values (?, ?, ?, ?, ?)");
        if (!engine->execute(sql, {rate.code, rate.name, rate.percent, rate.isDefault ? 1 : 0, rate.id}, error))
            return false;
    }
    if (!transaction.commit()) {
        setError(error, transaction.errorText());
        return false;
    }
    return true;
}

std::optional<qint64> productTaxRate(qint64 productKey)
{
    auto set = ExecSQL(QStringLiteral("select cRate from marvono_product_tax where cProductKey = ?"), {productKey});
    if (!set)
        return std::nullopt;
    return set->isEof() ? 0 : set->text(0).toLongLong();
}

bool setProductTaxRate(qint64 productKey, qint64 rateId, QString* error)
{
    Engine* engine = Database::instance().engine(error);
    if (!engine ||
        !engine->execute(QStringLiteral("delete from marvono_product_tax where cProductKey = ?"), {productKey}, error))
        return false;
    return rateId == 0 ||
           engine->execute(QStringLiteral("insert into marvono_product_tax (cProductKey, cRate) values (?, ?)"),
                           {productKey, rateId}, error);
}

} // namespace marvono
