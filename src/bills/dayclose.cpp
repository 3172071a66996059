#include "bills/dayclose.h"

#include "app/appcontext.h"
#include "app/text.h"
#include "bills/bill.h"
#include "bills/receipt.h"
#include "catalogue/stockmoves.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"

#include <algorithm>

namespace marvono {
namespace {

const char* const kCloseColumns = "cNumber, cDay, cTime, cOperator, cFirstReceipt, cLastReceipt, cReceipts, cRefunds, "
                                  "cTakings, cRefunded, cReceived, cChange, cGoodsIn, cOpenBills";

CloseResult failed(const QString& error)
{
    CloseResult result;
    result.error = error;
    return result;
}

// Adds `amount` to `sum`; false when the sum would leave the currency's range.
bool add(Currency& sum, Currency amount)
{
    const auto total = sum.plus(amount);
    if (total)
        sum = *total;
    return total.has_value();
}

QString openBillsText(const QList<QPair<QString, Currency>>& bills)
{
    QStringList lines;
    for (const auto& [buyer, total] : bills)
        lines.append(buyer + QLatin1Char('\t') + total.toText());
    return lines.join(QLatin1Char('\n'));
}

// The bills not paid yet, in the order their buyers first appear.
bool readOpenBills(DayClose& close, QString* error)
{
    QString message;
    auto lines = ExecSQL(QStringLiteral("select ctable, csubtotal from Bill"), message);
    if (!lines) {
        *error = message;
        return false;
    }
    QStringList buyers;
    QList<QStringList> subTotals;
    for (; !lines->isEof(); lines->moveNext()) {
        qsizetype at = buyers.indexOf(lines->text(0));
        if (at < 0) {
            at = buyers.size();
            buyers.append(lines->text(0));
            subTotals.append(QStringList());
        }
        subTotals[at].append(lines->text(1));
    }
    for (qsizetype i = 0; i < buyers.size(); ++i) {
        const auto total = billTotal(subTotals.at(i));
        if (!total) {
            *error = QStringLiteral("Overflow");
            return false;
        }
        close.openBills.append({buyers.at(i), *total});
    }
    return true;
}

// The receipts numbered after `lastClosed`.
bool readReceipts(DayClose& close, qint64 lastClosed, QString* error)
{
    QString message;
    auto set = ExecSQL(QStringLiteral("select cNumber, cTotal, cReceived, cChange, cRefundOf from marvono_receipt "
                                      "where cNumber > ? order by cNumber"),
                       message, {lastClosed});
    if (!set) {
        *error = message;
        return false;
    }
    for (; !set->isEof(); set->moveNext()) {
        close.lastReceipt = set->text(0).toLongLong();
        if (close.firstReceipt == 0)
            close.firstReceipt = close.lastReceipt;
        const bool refund = set->text(4).toLongLong() != 0;
        const bool ok = refund ? add(close.refunded, storedAmount(set->text(1)))
                               : add(close.takings, storedAmount(set->text(1))) &&
                                     add(close.received, storedAmount(set->text(2))) &&
                                     add(close.change, storedAmount(set->text(3)));
        ++(refund ? close.refunds : close.receipts);
        if (!ok) {
            *error = QStringLiteral("Overflow");
            return false;
        }
    }
    return true;
}

// The voids among the close's refunds, read from the receipts each time as the rates are.
bool readVoids(DayClose& close, QString* error)
{
    if (close.lastReceipt == 0)
        return true;
    QString message;
    auto set = ExecSQL(QStringLiteral("select r.cTotal from marvono_void v join marvono_receipt r on r.cNumber = "
                                      "v.cVoid where v.cVoid between ? and ?"),
                       message, {close.firstReceipt, close.lastReceipt});
    if (!set) {
        *error = message;
        return false;
    }
    for (; !set->isEof(); set->moveNext(), ++close.voids) {
        if (!add(close.voided, storedAmount(set->text(0)))) {
            *error = QStringLiteral("Overflow");
            return false;
        }
    }
    return true;
}

// Cash, card and other over the close's receipts; the cash of each as cashTaken counts it.
bool readPayments(DayClose& close, QString* error)
{
    close.cash = close.card = close.other = Currency();
    if (close.lastReceipt == 0)
        return true;
    QString message;
    auto set = ExecSQL(QStringLiteral("select r.cNumber, r.cReceived, r.cChange, t.cKind, t.cAmount from "
                                      "marvono_receipt r left join marvono_tender t on t.cReceipt = r.cNumber where "
                                      "r.cNumber between ? and ? order by r.cNumber"),
                       message, {close.firstReceipt, close.lastReceipt});
    if (!set) {
        *error = message;
        return false;
    }
    Receipt receipt;
    bool ok = true;
    const auto addReceipt = [&]() {
        ok = ok && add(close.cash, cashTaken(receipt)) &&
             add(close.card, tenderSum(receipt.tenders, TenderKind::Card)) &&
             add(close.other, tenderSum(receipt.tenders, TenderKind::Other));
    };
    for (; !set->isEof(); set->moveNext()) {
        if (set->text(0).toLongLong() != receipt.number) {
            if (receipt.number != 0)
                addReceipt();
            receipt = Receipt();
            receipt.number = set->text(0).toLongLong();
            receipt.received = storedAmount(set->text(1));
            receipt.change = storedAmount(set->text(2));
        }
        if (const auto kind = tenderKindNamed(set->text(3)))
            receipt.tenders.append(Tender{*kind, storedAmount(set->text(4))});
    }
    if (receipt.number != 0)
        addReceipt();
    if (!ok)
        *error = QStringLiteral("Overflow");
    return ok;
}

// Per rate, the sums of the figures of the close's receipts, each worked out as its receipt
// printed them.
bool readTaxes(DayClose& close, QString* error)
{
    if (close.lastReceipt == 0)
        return true;
    QString message;
    auto set = ExecSQL(QStringLiteral("select l.cReceipt, l.cSubTotal, l.cTaxCode, l.cTaxName, l.cTaxPercent, "
                                      "r.cRefundOf from marvono_receipt_line l join marvono_receipt r on r.cNumber = "
                                      "l.cReceipt where l.cReceipt between ? and ? order by l.cReceipt, l.cLine"),
                       message, {close.firstReceipt, close.lastReceipt});
    if (!set) {
        *error = message;
        return false;
    }
    QStringList amounts;
    QList<LineTax> rates;
    bool refund = false;
    const auto addReceipt = [&]() {
        // Lines without a rate count too, so that all rates add up to the takings and refunds.
        const bool ok = addRateFigures(refund ? close.refundsTax : close.takingsTax, taxByRate(amounts, rates, true));
        amounts.clear();
        rates.clear();
        return ok;
    };
    qint64 receipt = 0;
    for (; !set->isEof(); set->moveNext()) {
        if (set->text(0).toLongLong() != receipt && !addReceipt()) {
            *error = QStringLiteral("Overflow");
            return false;
        }
        receipt = set->text(0).toLongLong();
        refund = set->text(5).toLongLong() != 0;
        amounts.append(set->text(1));
        rates.append(LineTax{set->text(2), set->text(3), set->text(4)});
    }
    if (!addReceipt()) {
        *error = QStringLiteral("Overflow");
        return false;
    }
    if (std::all_of(close.takingsTax.cbegin(), close.takingsTax.cend(),
                    [](const auto& f) { return f.rate.isEmpty(); }) &&
        std::all_of(close.refundsTax.cbegin(), close.refundsTax.cend(),
                    [](const auto& f) { return f.rate.isEmpty(); })) {
        close.takingsTax.clear(); // a shop without rates
        close.refundsTax.clear();
        return true;
    }
    // Each list names every rate of either, so the rates line up on the paper.
    for (const RateFigures& rate : QList<RateFigures>(close.takingsTax))
        addRateFigures(close.refundsTax, {RateFigures{rate.rate, {}, {}, {}}});
    for (const RateFigures& rate : QList<RateFigures>(close.refundsTax))
        addRateFigures(close.takingsTax, {RateFigures{rate.rate, {}, {}, {}}});
    return true;
}

// Marks the stock moves no close has taken yet as this close's, counts them in `taken` and adds
// up the goods received.
bool takeStockMoves(DayClose& close, Engine& engine, int* taken, QString* error)
{
    if (!engine.takeOpenStockMoves(close.number, error))
        return false;
    QString message;
    auto set = ExecSQL(QStringLiteral("select cKind, cUnits, cPrice from marvono_stock_move where cClose = ?"), message,
                       {close.number});
    if (!set) {
        *error = message;
        return false;
    }
    std::vector<StockMove> moves;
    for (*taken = 0; !set->isEof(); set->moveNext(), ++*taken) {
        StockMove move;
        move.kind = set->text(0);
        move.units = set->text(1).toLongLong();
        move.price = set->text(2);
        moves.push_back(move);
    }
    const auto cost = receivedCost(moves);
    if (!cost)
        *error = QStringLiteral("Overflow");
    close.goodsIn = cost.value_or(Currency());
    return cost.has_value();
}

QDateTime timeOf(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The start of the close's period: the previous close's time; for the first close, the time of
// the first receipt or stock move it took, or its own time when it took none.
bool readPeriodStart(DayClose& close, QString* error)
{
    QString message;
    auto set = ExecSQL(QStringLiteral("select cTime from marvono_day_close where cNumber < ? order by cNumber desc "
                                      "limit 1"),
                       message, {close.number});
    if (set && set->isEof())
        set = ExecSQL(QStringLiteral("select min(cTime) from (select cTime from marvono_receipt where cNumber "
                                     "between ? and ? union all select cTime from marvono_stock_move where cClose "
                                     "= ?) taken"),
                      message, {close.firstReceipt, close.lastReceipt, close.number});
    if (!set) {
        if (error)
            *error = message;
        return false;
    }
    const QString start = set->isEof() ? QString() : set->text(0);
    close.from = start.isEmpty() ? close.time : timeOf(start);
    return true;
}

// The two figures' sum, figure by figure (the amounts of a close stay far inside the range).
RateFigures plus(const RateFigures& a, const RateFigures& b)
{
    return RateFigures{a.rate, Currency::fromRaw(a.gross.raw() + b.gross.raw()),
                       Currency::fromRaw(a.net.raw() + b.net.raw()), Currency::fromRaw(a.tax.raw() + b.tax.raw())};
}

// Per rate and for all rates: takings, refunds and their net, each with its net of tax and tax.
template <typename Money> QStringList taxLines(const DayClose& close, const Money& money, int columns)
{
    QStringList lines;
    if (close.takingsTax.isEmpty())
        return lines;
    const auto figures = [&](const QString& title, const RateFigures& rate) {
        lines += spread(title, money(rate.gross), columns);
        lines += spread(QStringLiteral("    net"), money(rate.net), columns);
        lines += spread(QStringLiteral("    tax"), money(rate.tax), columns);
    };
    const auto section = [&](const QString& title, const RateFigures& takings, const RateFigures& refunds) {
        lines.append(QString(columns, QLatin1Char('-')));
        lines += wrapped(title, columns);
        figures(QStringLiteral("  Takings"), takings);
        figures(QStringLiteral("  Refunds"), refunds);
        figures(QStringLiteral("  Net"), plus(takings, refunds));
    };
    RateFigures takings, refunds;
    for (qsizetype i = 0; i < close.takingsTax.size() && i < close.refundsTax.size(); ++i) {
        section(rateTitle(close.takingsTax.at(i).rate), close.takingsTax.at(i), close.refundsTax.at(i));
        takings = plus(takings, close.takingsTax.at(i));
        refunds = plus(refunds, close.refundsTax.at(i));
    }
    section(QStringLiteral("All rates"), takings, refunds);
    return lines;
}

// Per operator, and for all when there are several: the float, the cash taken and paid back, what
// the drawer should hold, what was counted and the difference.
template <typename Money> QStringList cashLines(const QList<DrawerCash>& drawers, const Money& money, int columns)
{
    QStringList lines;
    const auto drawerLines = [&](const QString& title, const DrawerCash& drawer) {
        lines.append(QString(columns, QLatin1Char('-')));
        lines += wrapped(title, columns);
        lines += spread(QStringLiteral("  Float"), money(drawer.cashFloat), columns);
        lines += spread(QStringLiteral("  Cash received"), money(drawer.taken.received), columns);
        lines += spread(QStringLiteral("  Change given"), money(drawer.taken.change), columns);
        lines += spread(QStringLiteral("  Cash refunds"), money(drawer.taken.refunds), columns);
        lines += spread(QStringLiteral("  Expected"), money(drawer.expected()), columns);
        if (!drawer.counted) {
            lines += spread(QStringLiteral("  Counted"), QStringLiteral("not counted"), columns);
            return;
        }
        lines += spread(QStringLiteral("  Counted"), money(*drawer.counted), columns);
        lines += spread(QStringLiteral("  Difference"), money(*drawer.difference()), columns);
    };
    for (const DrawerCash& drawer : drawers)
        drawerLines(QStringLiteral("Cash: ") +
                        (drawer.operatorName.isEmpty() ? QStringLiteral("(no name)") : drawer.operatorName),
                    drawer);
    if (drawers.size() > 1)
        drawerLines(QStringLiteral("Cash: all operators"), allDrawers(drawers));
    return lines;
}

} // namespace

CloseResult closeDay(const QMap<QString, Currency>& counted, const QList<DrawerCash>* countedFor)
{
    DayClose close;
    close.time = Clock::now();
    close.day = close.time.date();
    close.operatorName = runValues().currentUser;
    // Tills closing at once take turns, so the second finds nothing left to close.
    Transaction transaction;
    if (!transaction.isActive() || !transaction.lock(QStringLiteral("day close")))
        return failed(transaction.errorText());
    QString error;
    auto last = ExecSQL(QStringLiteral("select max(cNumber), max(cLastReceipt) from marvono_day_close"), error);
    Engine* engine = Database::instance().engine(&error);
    if (!last || last->isEof() || !engine)
        return failed(error);
    const qint64 previous = last->text(0).toLongLong();
    close.number = previous + 1;
    int moves = 0;
    if (!readReceipts(close, last->text(1).toLongLong(), &error) || !readVoids(close, &error) ||
        !readTaxes(close, &error) || !readPayments(close, &error) || !takeStockMoves(close, *engine, &moves, &error) ||
        !readOpenBills(close, &error))
        return failed(error);
    const auto cash = recordCloseCash(*engine, close.number, close.firstReceipt, close.lastReceipt, counted, &error);
    if (!cash)
        return failed(error);
    close.drawers = *cash;
    // An open shift is the float in a drawer: that too is closed.
    if (previous > 0 && close.lastReceipt == 0 && moves == 0 && close.drawers.isEmpty()) {
        const auto earlier = readDayClose(previous, &error);
        if (!earlier)
            return failed(error);
        CloseResult result;
        result.outcome = CloseOutcome::AlreadyClosed;
        result.close = *earlier;
        return result;
    }
    // A count is of the drawers as they stood: a sale paid or a close made meanwhile changed what
    // they should hold, and the count would be put beside the wrong figures.
    const auto figures = [](const QList<DrawerCash>& drawers) {
        QStringList lines;
        for (const DrawerCash& drawer : drawers)
            lines.append(drawer.operatorName + QLatin1Char('\t') + drawer.cashFloat.toText() + QLatin1Char('\t') +
                         drawer.expected().toText());
        lines.sort();
        return lines;
    };
    if (countedFor && figures(*countedFor) != figures(close.drawers)) {
        CloseResult result;
        result.outcome = CloseOutcome::Recount;
        result.error = QStringLiteral("The drawers changed while they were counted (a sale was paid or another till "
                                      "closed): nothing was closed. Please count them again.");
        return result;
    }
    if (!readPeriodStart(close, &error))
        return failed(error);
    if (!engine->execute(QStringLiteral("insert into marvono_day_close (%1) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                        "?, ?, ?)")
                             .arg(QLatin1String(kCloseColumns)),
                         {close.number, close.day.toString(Qt::ISODate), dateTimeText(close.time), close.operatorName,
                          close.firstReceipt, close.lastReceipt, close.receipts, close.refunds, close.takings.toText(),
                          close.refunded.toText(), close.received.toText(), close.change.toText(),
                          close.goodsIn.toText(), openBillsText(close.openBills)},
                         &error) ||
        !transaction.commit())
        return failed(error.isEmpty() ? transaction.errorText() : error);
    CloseResult result;
    result.outcome = CloseOutcome::Closed;
    result.close = close;
    return result;
}

std::optional<DayClose> readDayClose(qint64 number, QString* error)
{
    QString message;
    auto set =
        ExecSQL(QStringLiteral("select %1 from marvono_day_close where cNumber = ?").arg(QLatin1String(kCloseColumns)),
                message, {number});
    if (!set || set->isEof()) {
        if (error)
            *error = set ? QString() : message;
        return std::nullopt;
    }
    DayClose close;
    close.number = set->text(0).toLongLong();
    close.day = QDate::fromString(set->text(1), Qt::ISODate);
    close.time = timeOf(set->text(2));
    close.operatorName = set->text(3);
    close.firstReceipt = set->text(4).toLongLong();
    close.lastReceipt = set->text(5).toLongLong();
    close.receipts = set->text(6).toInt();
    close.refunds = set->text(7).toInt();
    Currency* amounts[] = {&close.takings, &close.refunded, &close.received, &close.change, &close.goodsIn};
    for (int i = 0; i < 5; ++i)
        *amounts[i] = storedAmount(set->text(8 + i));
    for (const QString& line : set->text(13).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype tab = line.lastIndexOf(QLatin1Char('\t'));
        close.openBills.append({line.left(tab), storedAmount(line.mid(tab + 1))});
    }
    if (!readPeriodStart(close, error) || !readVoids(close, error ? error : &message) ||
        !readTaxes(close, error ? error : &message) || !readPayments(close, error ? error : &message))
        return std::nullopt;
    const auto cash = readCloseCash(close.number, error);
    if (!cash)
        return std::nullopt;
    close.drawers = *cash;
    return close;
}

QStringList dayCloseTextLines(const DayClose& close, const QString& shopName, const ShopIdentity& identity,
                              const QString& currencySymbol, int columns)
{
    columns = std::max(columns, 24);
    const QString rule(columns, QLatin1Char('-'));
    const auto money = [&currencySymbol](Currency amount) { return moneyText(amount, currencySymbol); };
    QStringList lines = QStringList{shopName} + identityLines(identity, columns);
    lines += QStringList{QStringLiteral("Day close No. %1").arg(close.number),
                         QStringLiteral("From: ") + dateTimeText(close.from),
                         QStringLiteral("To: ") + dateTimeText(close.time),
                         QStringLiteral("Operator: ") + close.operatorName,
                         close.lastReceipt
                             ? QStringLiteral("Receipts No. %1 to %2").arg(close.firstReceipt).arg(close.lastReceipt)
                             : QStringLiteral("No receipts"),
                         rule};
    lines += spread(QStringLiteral("Receipts"), QString::number(close.receipts), columns);
    lines += spread(QStringLiteral("Takings"), money(close.takings), columns);
    lines += spread(QStringLiteral("Refunds (%1)").arg(close.refunds), money(close.refunded), columns);
    if (close.voids)
        lines += spread(QStringLiteral("  of which voids (%1)").arg(close.voids), money(close.voided), columns);
    lines += spread(QStringLiteral("Net"), money(close.net()), columns);
    lines += spread(QStringLiteral("Cash received"), money(close.received), columns);
    lines += spread(QStringLiteral("Change given"), money(close.change), columns);
    lines += spread(QStringLiteral("Net in cash"), money(close.cash), columns);
    lines += spread(QStringLiteral("Net by card"), money(close.card), columns);
    lines += spread(QStringLiteral("Net other"), money(close.other), columns);
    lines += spread(QStringLiteral("Goods in at cost"), money(close.goodsIn), columns);
    lines += taxLines(close, money, columns);
    lines.append(rule);
    lines.append(QStringLiteral("Bills still open: %1").arg(close.openBills.size()));
    Currency open;
    for (const auto& [buyer, total] : close.openBills) {
        lines += spread(QStringLiteral("  ") + buyer, money(total), columns);
        add(open, total);
    }
    lines += spread(QStringLiteral("Open total"), money(open), columns);
    lines += cashLines(close.drawers, money, columns);
    return lines;
}

} // namespace marvono
