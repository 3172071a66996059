#pragma once
// The cash in the drawers at a close, per operator: the float, what the receipts took and paid
// back, what the drawer should hold, and what was counted in it. No widgets.
#include "app/numbers.h"

#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace marvono {

class Engine;

// The cash an operator's receipts took over a range of receipts.
struct TakenCash {
    QString operatorName;
    Currency received; // handed over for sales
    Currency change;   // given back on them
    Currency refunds;  // paid back on refunds, 0 or more
};

// The one place that knows which part of a receipt was cash: per operator (blanks trimmed), in
// the order they first paid, over the receipts numbered `first` to `last`; nothing, with the
// reason, when they cannot be read or a sum leaves the currency's range.
std::optional<QList<TakenCash>> cashByOperator(qint64 first, qint64 last, QString* error);

struct DrawerCash {
    QString operatorName;
    Currency cashFloat;
    TakenCash taken;
    std::optional<Currency> counted; // nothing when it was not counted

    // The float and the cash taken, less the change and the refunds.
    Currency expected() const;
    // Counted less expected: below 0 when cash is missing.
    std::optional<Currency> difference() const;
};

// Every operator with an open shift or a receipt numbered after `lastReceipt`, in the order of
// their shifts and then of their receipts, with the floats of their open shifts and the cash
// taken since; nothing, with the reason, on failure.
std::optional<QList<DrawerCash>> drawersSince(qint64 lastReceipt, QString* error);
// The drawers to count before closing now.
std::optional<QList<DrawerCash>> drawersToCount(QString* error = nullptr);

// Inside the close's transaction: ends the open shifts with close `number` and records per
// operator of them or of its receipts `first` to `last` the cash and the count of `counted`
// (operators it does not name stay uncounted). The drawers recorded, or nothing on failure.
std::optional<QList<DrawerCash>> recordCloseCash(Engine& engine, qint64 number, qint64 first, qint64 last,
                                                 const QMap<QString, Currency>& counted, QString* error);
// The cash recorded with close `number`, empty for a close made before the cash was counted.
std::optional<QList<DrawerCash>> readCloseCash(qint64 number, QString* error);

// The sum of all drawers, counted only when every one was.
DrawerCash allDrawers(const QList<DrawerCash>& drawers);

} // namespace marvono
