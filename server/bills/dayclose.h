#pragma once
// The day's close: what the receipts since the last close took and paid back, the cash, the goods
// received and the bills still open, written once a day under a number of its own. No widgets.
#include "app/numbers.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

namespace marvono {

struct DayClose {
    qint64 number = 0;
    QDate day;
    QDateTime time;
    QString operatorName;
    qint64 firstReceipt = 0; // the receipts it covers; both 0 when there were none
    qint64 lastReceipt = 0;
    int receipts = 0; // sales
    int refunds = 0;
    Currency takings;                          // the sales' totals
    Currency refunded;                         // the refunds' totals, 0 or below
    Currency received;                         // the cash the sales took
    Currency change;                           // the change they gave
    Currency goodsIn;                          // the purchase value of the goods received
    QList<QPair<QString, Currency>> openBills; // buyer and total of every bill not paid yet

    Currency net() const { return Currency::fromRaw(takings.raw() + refunded.raw()); }
};

enum class CloseOutcome { Closed, AlreadyClosed, Failed };
struct CloseResult {
    CloseOutcome outcome = CloseOutcome::Failed;
    DayClose close; // the new close, or the day's earlier one for AlreadyClosed
    QString error;
};

// Closes today (the clock's day) in one transaction: the receipts numbered after the last close,
// the stock moves no close has taken yet and the bills open now. Two tills closing at once close
// the day once.
CloseResult closeDay();

// The close of a day; nothing when the day is not closed or the query fails.
std::optional<DayClose> readDayClose(const QDate& day, QString* error = nullptr);

// The close as lines of at most `columns` characters, for the screen, the printer and the PDF.
QStringList dayCloseTextLines(const DayClose& close, const QString& shopName, const QString& currencySymbol,
                              int columns);

} // namespace marvono
