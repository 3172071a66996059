#pragma once
// The close: what the receipts since the previous close took and paid back, the cash, the goods
// received and the bills still open, under a number of its own. A close covers the time since the
// previous one, whatever the calendar says: a late shift closes after midnight and the evening
// shift of that date closes again. No widgets.
#include "app/numbers.h"
#include "bills/drawercash.h"
#include "bills/shopidentity.h"
#include "bills/tax.h"

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
    QDate day;      // the date of its closing time
    QDateTime from; // the previous close's time; for the first close, its first receipt's or move's
    QDateTime time; // when it closed: the end of its period
    QString operatorName;
    qint64 firstReceipt = 0; // the receipts it covers; both 0 when there were none
    qint64 lastReceipt = 0;
    int receipts = 0; // sales
    int refunds = 0;
    int voids = 0;                             // of the refunds, those voiding a whole sale
    Currency takings;                          // the sales' totals
    Currency refunded;                         // the refunds' totals, 0 or below
    Currency voided;                           // of that, the voids' totals
    Currency received;                         // the cash the sales took
    Currency change;                           // the change they gave
    Currency goodsIn;                          // the purchase value of the goods received
    QList<QPair<QString, Currency>> openBills; // buyer and total of every bill not paid yet
    // Per rate, the sums of the receipts' own figures (as each printed them); empty when no line
    // of the receipts has a rate.
    QList<RateFigures> takingsTax;
    QList<RateFigures> refundsTax;
    // How the receipts, sales and refunds, were paid; together the net. Cash is what stayed in
    // the drawer: the cash received less change, less what was paid back.
    Currency cash;
    Currency card;
    Currency other;
    QList<DrawerCash> drawers; // per operator; empty for a close made before drawers were counted

    Currency net() const { return Currency::fromRaw(takings.raw() + refunded.raw()); }
};

// Recount: the drawers changed after they were counted (a sale paid, a close made at another
// till); nothing was closed.
enum class CloseOutcome { Closed, AlreadyClosed, Failed, Recount };
struct CloseResult {
    CloseOutcome outcome = CloseOutcome::Failed;
    DayClose close; // the new close, or for AlreadyClosed the last one, after which nothing came
    QString error;
};

// Closes now in one transaction: the receipts numbered after the last close, the stock moves no
// close has taken yet, the open shifts with the cash `counted` per operator, and the bills open
// now. When nothing came since the last close there is nothing to close (AlreadyClosed), so two
// tills closing at once make one close.
// With `countedFor`, the drawers as they stood when counted: a close whose drawers are no longer
// those is a Recount.
CloseResult closeDay(const QMap<QString, Currency>& counted = {}, const QList<DrawerCash>* countedFor = nullptr);

// The close of that number; nothing when there is none or the query fails.
std::optional<DayClose> readDayClose(qint64 number, QString* error = nullptr);

// The close as lines of at most `columns` characters, for the screen, the printer and the PDF:
// the shop's name and identity at the top.
QStringList dayCloseTextLines(const DayClose& close, const QString& shopName, const ShopIdentity& identity,
                              const QString& currencySymbol, int columns);

} // namespace marvono
