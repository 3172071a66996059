#pragma once
// The ways a receipt was paid: cash, card and other (a voucher, a transfer), each an amount. Cash
// is the cash handed over, before the change; card and other give no change. No widgets.
#include "app/numbers.h"

#include <QList>
#include <QString>
#include <optional>

namespace marvono {

enum class TenderKind { Cash, Card, Other };

struct Tender {
    TenderKind kind = TenderKind::Cash;
    Currency amount;
    friend bool operator==(const Tender&, const Tender&) = default;
};

// "cash", "card", "other": the kind as stored; nothing for a text that names none.
QString tenderKindName(TenderKind kind);
std::optional<TenderKind> tenderKindNamed(const QString& name);

// The sum of the tenders of that kind.
Currency tenderSum(const QList<Tender>& tenders, TenderKind kind);

// The tenders paying back `amount` (0 or below) the way `paid` took it: card and other first,
// each at most what it took, cash the rest.
QList<Tender> tendersPayingBack(const QList<Tender>& paid, Currency amount);

struct Receipt;
// The cash a receipt left in the drawer: its cash tenders less its change (a refund's is below
// 0). A receipt paid before tenders were kept took its cash received.
Currency cashTaken(const Receipt& receipt);

// An amount typed into the Card or Other box: empty is none. Read with "." as the decimal point
// whatever the locale. It may not be more than is left to pay: a card gives no change.
enum class TenderCheck { Accepted, NotANumber, ScannedCode, Negative, OverLeft };
TenderCheck readTender(const QString& text, Currency left, Currency* amount);
// What the operator is told when the amount typed into the box `boxName` is refused.
QString tenderRefusal(TenderCheck check, const QString& boxName, Currency left, const QString& currencySymbol);

// Inside the caller's transaction: the receipt's tenders, one of each kind at most, as rows of
// marvono_tender. A zero amount writes no row. False, with an error, on failure.
bool writeTenders(qint64 receipt, const QList<Tender>& tenders, QString* error);
// The tenders stored for a receipt, cash first; an empty list for a receipt paid before tenders
// were kept; nothing when the query fails.
std::optional<QList<Tender>> readTenders(qint64 receipt);

} // namespace marvono
