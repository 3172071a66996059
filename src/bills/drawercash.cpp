#include "bills/drawercash.h"

#include "app/text.h"
#include "data/engine.h"
#include "data/recordset.h"

#include <algorithm>
#include <limits>

namespace marvono {
namespace {

// Adds `amount` to `sum`; false when the sum would leave the currency's range.
bool add(Currency& sum, Currency amount)
{
    const auto total = sum.plus(amount);
    if (total)
        sum = *total;
    return total.has_value();
}

template <typename T> T& named(QList<T>& list, const QString& name, QString T::*field)
{
    const auto found = std::find_if(list.begin(), list.end(), [&](const T& item) { return item.*field == name; });
    if (found != list.end())
        return *found;
    list.append(T{});
    list.last().*field = name;
    return list.last();
}

// The operators of the shifts `shifts` selects (operator and float) and of the receipts `first`
// to `last`, by name.
std::optional<QList<DrawerCash>> drawers(const QString& shifts, const QVariantList& values, qint64 first, qint64 last,
                                         QString* error)
{
    QString message;
    auto set = ExecSQL(shifts, message, values);
    if (!set) {
        setError(error, message);
        return std::nullopt;
    }
    QList<DrawerCash> found;
    for (; !set->isEof(); set->moveNext()) {
        if (!add(named(found, trimBlanks(set->text(0)), &DrawerCash::operatorName).cashFloat,
                 storedAmount(set->text(1)))) {
            setError(error, QStringLiteral("Overflow"));
            return std::nullopt;
        }
    }
    const auto taken = cashByOperator(first, last, error);
    if (!taken)
        return std::nullopt;
    for (const TakenCash& cash : *taken)
        named(found, cash.operatorName, &DrawerCash::operatorName).taken = cash;
    std::sort(found.begin(), found.end(),
              [](const DrawerCash& a, const DrawerCash& b) { return a.operatorName < b.operatorName; });
    return found;
}

Currency sum(std::initializer_list<qint64> raws)
{
    qint64 total = 0;
    for (qint64 raw : raws)
        total += raw;
    return Currency::fromRaw(total);
}

} // namespace

std::optional<QList<TakenCash>> cashByOperator(qint64 first, qint64 last, QString* error)
{
    QList<TakenCash> taken;
    if (last < first || last == 0)
        return taken;
    // Every receipt is paid in cash: what was handed over less the change; a refund's is below 0.
    QString message;
    auto set = ExecSQL(QStringLiteral("select cOperator, cReceived, cChange, cRefundOf from marvono_receipt where "
                                      "cNumber between ? and ? order by cNumber"),
                       message, {first, last});
    if (!set) {
        setError(error, message);
        return std::nullopt;
    }
    for (; !set->isEof(); set->moveNext()) {
        TakenCash& cash = named(taken, trimBlanks(set->text(0)), &TakenCash::operatorName);
        const Currency received = storedAmount(set->text(1));
        const Currency change = storedAmount(set->text(2));
        const bool ok = set->text(3).toLongLong() != 0
                            ? add(cash.refunds, Currency::fromRaw(change.raw() - received.raw()))
                            : add(cash.received, received) && add(cash.change, change);
        if (!ok) {
            setError(error, QStringLiteral("Overflow"));
            return std::nullopt;
        }
    }
    return taken;
}

Currency DrawerCash::expected() const
{
    return sum({cashFloat.raw(), taken.received.raw(), -taken.change.raw(), -taken.refunds.raw()});
}

std::optional<Currency> DrawerCash::difference() const
{
    if (!counted)
        return std::nullopt;
    return Currency::fromRaw(counted->raw() - expected().raw());
}

std::optional<QList<DrawerCash>> drawersSince(qint64 lastReceipt, QString* error)
{
    return drawers(QStringLiteral("select cOperator, cFloat from marvono_shift where cClose is null"), {},
                   lastReceipt + 1, std::numeric_limits<qint64>::max(), error);
}

std::optional<QList<DrawerCash>> drawersToCount(QString* error)
{
    QString message;
    auto last = ExecSQL(QStringLiteral("select max(cLastReceipt) from marvono_day_close"), message);
    if (!last || last->isEof()) {
        setError(error, message);
        return std::nullopt;
    }
    return drawersSince(last->text(0).toLongLong(), error);
}

std::optional<QList<DrawerCash>> recordCloseCash(Engine& engine, qint64 number, qint64 first, qint64 last,
                                                 const QMap<QString, Currency>& counted, QString* error)
{
    // Marked first, then read: a shift opened meanwhile at another till is this close's only
    // when the mark took it.
    if (!engine.execute(QStringLiteral("update marvono_shift set cClose = ? where cClose is null"), {number}, error))
        return std::nullopt;
    auto found = drawers(QStringLiteral("select cOperator, cFloat from marvono_shift where cClose = ?"), {number},
                         first, last, error);
    if (!found)
        return std::nullopt;
    for (DrawerCash& drawer : *found) {
        if (counted.contains(drawer.operatorName))
            drawer.counted = counted.value(drawer.operatorName);
        const auto orNull = [](const std::optional<Currency>& amount) {
            return amount ? QVariant(amount->toText()) : QVariant();
        };
        if (!engine.execute(QStringLiteral("insert into marvono_close_cash (cClose, cOperator, cFloat, cReceived, "
                                           "cChange, cRefunds, cExpected, cCounted, cDifference) values (?, ?, ?, ?, "
                                           "?, ?, ?, ?, ?)"),
                            {number, drawer.operatorName, drawer.cashFloat.toText(), drawer.taken.received.toText(),
                             drawer.taken.change.toText(), drawer.taken.refunds.toText(), drawer.expected().toText(),
                             orNull(drawer.counted), orNull(drawer.difference())},
                            error))
            return std::nullopt;
    }
    return found;
}

std::optional<QList<DrawerCash>> readCloseCash(qint64 number, QString* error)
{
    QString message;
    auto set = ExecSQL(QStringLiteral("select cOperator, cFloat, cReceived, cChange, cRefunds, cCounted from "
                                      "marvono_close_cash where cClose = ?"),
                       message, {number});
    if (!set) {
        setError(error, message);
        return std::nullopt;
    }
    QList<DrawerCash> found;
    for (; !set->isEof(); set->moveNext()) {
        DrawerCash drawer;
        drawer.operatorName = set->text(0);
        drawer.cashFloat = storedAmount(set->text(1));
        drawer.taken = TakenCash{drawer.operatorName, storedAmount(set->text(2)), storedAmount(set->text(3)),
                                 storedAmount(set->text(4))};
        if (!set->isNull(5))
            drawer.counted = storedAmount(set->text(5));
        found.append(drawer);
    }
    std::sort(found.begin(), found.end(),
              [](const DrawerCash& a, const DrawerCash& b) { return a.operatorName < b.operatorName; });
    return found;
}

DrawerCash allDrawers(const QList<DrawerCash>& drawers)
{
    DrawerCash all;
    all.counted = Currency();
    for (const DrawerCash& drawer : drawers) {
        all.cashFloat = sum({all.cashFloat.raw(), drawer.cashFloat.raw()});
        all.taken.received = sum({all.taken.received.raw(), drawer.taken.received.raw()});
        all.taken.change = sum({all.taken.change.raw(), drawer.taken.change.raw()});
        all.taken.refunds = sum({all.taken.refunds.raw(), drawer.taken.refunds.raw()});
        if (all.counted && drawer.counted)
            all.counted = sum({all.counted->raw(), drawer.counted->raw()});
        else
            all.counted.reset();
    }
    return all;
}

} // namespace marvono
