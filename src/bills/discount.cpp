#include "bills/discount.h"

#include "app/text.h"
#include "app/typedinput.h"
#include "bills/soldstock.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "data/tables.h"

#include <algorithm>
#include <numeric>

namespace marvono {
namespace {

constexpr qint64 kRawPerCent = 100;
constexpr qint64 kKeysPerStatement = 500;

const QString kColumns = QStringLiteral("cBill, cScope, cKind, cValue, cAmount, cBefore, cDay");

QString scopeText(DiscountScope scope)
{
    return scope == DiscountScope::Bill ? QStringLiteral("bill") : QStringLiteral("line");
}

QString kindText(DiscountKind kind)
{
    return kind == DiscountKind::Amount ? QStringLiteral("amount") : QStringLiteral("percent");
}

// Rounds ten-thousandths to whole cents, a half away from zero.
qint64 toCents(__int128 raw, __int128 divisor = 1)
{
    const __int128 unit = divisor * kRawPerCent;
    const __int128 magnitude = raw < 0 ? -raw : raw;
    const __int128 cents = (2 * magnitude + unit) / (2 * unit);
    return qint64(raw < 0 ? -cents : cents) * kRawPerCent;
}

// A discount kept for an open bill row, with the ledger day it lowered (invalid: no stock behind).
struct OpenDiscount {
    qint64 billKey = 0;
    Discount discount;
    QDate day;
};

Discount fromRow(const RecordSet& row)
{
    return Discount{row.text(1) == QLatin1String("bill") ? DiscountScope::Bill : DiscountScope::Line,
                    row.text(2) == QLatin1String("amount") ? DiscountKind::Amount : DiscountKind::Percent,
                    row.text(3),
                    storedAmount(row.text(4)),
                    storedAmount(row.text(5)),
                    0};
}

std::optional<QList<OpenDiscount>> openDiscounts(const QString& where, const QVariantList& values, QString* error)
{
    QString message;
    auto rows =
        ExecSQL(QStringLiteral("select %1 from marvono_discount where %2").arg(kColumns, where), message, values);
    if (!rows) {
        setError(error, message);
        return std::nullopt;
    }
    QList<OpenDiscount> found;
    for (; !rows->isEof(); rows->moveNext())
        found.append(
            OpenDiscount{rows->text(0).toLongLong(), fromRow(*rows), QDate::fromString(rows->text(6), Qt::ISODate)});
    return found;
}

} // namespace

bool bookDiscountInLedger(const QDate& day, Currency taken, QString* error)
{
    if (!day.isValid())
        return true;
    QString message;
    auto ledger = ExecSQL(kLedgerRowQuery, message, {day.day(), day.month(), day.year(), kDiscountLedgerName});
    if (!ledger) {
        setError(error, message);
        return false;
    }
    bool ok = true;
    if (ledger->isEof()) {
        ledger->addNew();
        ok = ledger->setField(LedgerName, kDiscountLedgerName) &&
             ledger->setField(LedgerPrice, difference(Currency(), taken).toText()) &&
             ledger->setField(LedgerCost, QStringLiteral("0")) && ledger->setField(LedgerQuantity, 1) &&
             ledger->setField(LedgerDay, day.day()) && ledger->setField(LedgerMonth, day.month()) &&
             ledger->setField(LedgerYear, day.year());
    } else {
        ok = ledger->setField(LedgerPrice, difference(storedAmount(ledger->text(LedgerPrice)), taken).toText());
    }
    if (!ok || !ledger->update()) {
        setError(error, ledger->errorText());
        return false;
    }
    return true;
}

namespace {

// Sets the bill row's sub-total.
bool setSubTotal(qint64 billKey, Currency subTotal, QString* error)
{
    QString message;
    auto row = ExecSQL(QStringLiteral("select * from Bill where rowid=?"), message, {billKey});
    if (row && !row->isEof() && row->setField(BillSubTotal, subTotal.toText()) && row->update())
        return true;
    setError(error, row ? row->errorText() : message);
    return false;
}

// The day the line's units were sold from stock; invalid for a line typed in by hand.
std::optional<QDate> saleDay(qint64 billKey, QString* error)
{
    QString message;
    auto sale = ExecSQL(QStringLiteral("select cTime from marvono_sale where cBill=? and cProductKey is not null"),
                        message, {billKey});
    if (!sale) {
        setError(error, message);
        return std::nullopt;
    }
    return sale->isEof() ? QDate() : QDate::fromString(sale->text(0).left(10), Qt::ISODate);
}

// The buyer's open lines and everything a discount changes on them, read under the bill's lock.
class OpenBill {
  public:
    explicit OpenBill(const QString& buyer) : m_buyer(buyer) {}

    bool read(Transaction& transaction, QString* error)
    {
        if (!transaction.isActive() ||
            !transaction.lockRows(QStringLiteral("Bill"), QStringLiteral("ctable"), m_buyer)) {
            setError(error, transaction.errorText());
            return false;
        }
        QString message;
        auto lines = ExecSQL(QStringLiteral("select * from Bill where ctable=? order by rowid"), message, {m_buyer});
        if (!lines) {
            setError(error, message);
            return false;
        }
        for (; !lines->isEof(); lines->moveNext()) {
            m_keys.append(lines->rowKey());
            m_subTotals.append(storedAmount(lines->text(BillSubTotal)));
        }
        auto discounts = openDiscounts(QStringLiteral("cBuyer=?"), {m_buyer}, error);
        if (!discounts)
            return false;
        m_discounts = *discounts;
        return true;
    }

    qsizetype indexOf(qint64 key) const { return m_keys.indexOf(key); }
    const QList<qint64>& keys() const { return m_keys; }
    Currency subTotal(qsizetype line) const { return m_subTotals.at(line); }
    bool has(DiscountScope scope, qint64 key = -1) const
    {
        return std::any_of(m_discounts.cbegin(), m_discounts.cend(), [&](const OpenDiscount& open) {
            return open.discount.scope == scope && (key < 0 || open.billKey == key);
        });
    }

    // Takes the discounts of that scope (of one row, or of all) off their lines and the ledger.
    bool takeOff(DiscountScope scope, qint64 key, QString* error)
    {
        Engine* engine = Database::instance().engine(error);
        if (!engine)
            return false;
        for (qsizetype i = m_discounts.size() - 1; i >= 0; --i) {
            const OpenDiscount open = m_discounts.at(i);
            if (open.discount.scope != scope || (key >= 0 && open.billKey != key))
                continue;
            const qsizetype line = indexOf(open.billKey);
            if (line >= 0) {
                const std::optional<Currency> restored = m_subTotals.at(line).plus(open.discount.amount);
                if (!restored || !setSubTotal(open.billKey, *restored, error))
                    return false;
                m_subTotals[line] = *restored;
            }
            if (!bookDiscountInLedger(open.day, difference(Currency(), open.discount.amount), error) ||
                !engine->execute(QStringLiteral("delete from marvono_discount where cBill=? and cScope=?"),
                                 {open.billKey, scopeText(scope)}, error))
                return false;
            m_discounts.removeAt(i);
        }
        return true;
    }

    // Takes `discount.amount` off the line and keeps the discount.
    bool give(qsizetype line, Discount discount, QString* error)
    {
        const qint64 key = m_keys.at(line);
        discount.before = m_subTotals.at(line);
        const std::optional<QDate> day = saleDay(key, error);
        Engine* engine = day ? Database::instance().engine(error) : nullptr;
        const Currency after = difference(discount.before, discount.amount);
        if (!engine || !setSubTotal(key, after, error) || !bookDiscountInLedger(*day, discount.amount, error) ||
            !engine->execute(QStringLiteral("insert into marvono_discount (cBuyer, %1) values (?, ?, ?, ?, ?, ?, ?, ?)")
                                 .arg(kColumns),
                             {m_buyer, key, scopeText(discount.scope), kindText(discount.kind), discount.value,
                              discount.amount.toText(), discount.before.toText(),
                              day->isValid() ? QVariant(day->toString(Qt::ISODate)) : QVariant()},
                             error))
            return false;
        m_subTotals[line] = after;
        m_discounts.append(OpenDiscount{key, discount, *day});
        return true;
    }

  private:
    QString m_buyer;
    QList<qint64> m_keys;
    QList<Currency> m_subTotals;
    QList<OpenDiscount> m_discounts;
};

DiscountResult refused(DiscountCheck check, Currency base)
{
    return DiscountResult{DiscountOutcome::Refused, check, base, {}};
}

DiscountResult committed(Transaction& transaction)
{
    if (!transaction.commit())
        return DiscountResult{DiscountOutcome::Failed, DiscountCheck::Accepted, {}, transaction.errorText()};
    return DiscountResult{DiscountOutcome::Done, DiscountCheck::Accepted, {}, {}};
}

} // namespace

QString discountTitle(const Discount& discount)
{
    const QString title =
        discount.scope == DiscountScope::Bill ? QStringLiteral("Bill discount") : QStringLiteral("Discount");
    return discount.kind == DiscountKind::Percent ? title + QLatin1Char(' ') + discount.value + QLatin1Char('%')
                                                  : title;
}

DiscountCheck readDiscount(const QString& text, DiscountKind kind, Currency base, QString* value, Currency* off)
{
    const std::optional<QString> typed = typedNumberText(text.trimmed());
    const std::optional<Currency> number = typed && !typed->isEmpty() && !isScannedCodeText(text.trimmed())
                                               ? Currency::fromDouble(leadingNumber(*typed))
                                               : std::nullopt;
    if (!number)
        return DiscountCheck::NotANumber;
    if (number->raw() <= 0)
        return DiscountCheck::NotPositive;
    if (kind == DiscountKind::Percent && number->raw() > 100 * 10000)
        return DiscountCheck::OverHundred;
    if (base.raw() <= 0)
        return DiscountCheck::NothingToDiscount;
    // A percentage's cents are rounded a half up; they never take more than the line holds.
    const qint64 cents =
        kind == DiscountKind::Percent ? toCents(__int128(base.raw()) * number->raw(), 1000000) : toCents(number->raw());
    if (kind == DiscountKind::Amount && cents > base.raw())
        return DiscountCheck::OverAmount;
    *value = number->toText();
    *off = Currency::fromRaw(std::min(cents, base.raw()));
    return DiscountCheck::Accepted;
}

QString discountRefusal(DiscountCheck check, Currency base, const QString& currencySymbol)
{
    switch (check) {
    case DiscountCheck::NotANumber:
        return QStringLiteral("Please type the discount as a number, for example 10 or 2.50.");
    case DiscountCheck::NotPositive:
        return QStringLiteral("Please type a discount above 0.");
    case DiscountCheck::OverHundred:
        return QStringLiteral("A discount cannot be more than 100%.");
    case DiscountCheck::OverAmount:
        return QStringLiteral("The discount is more than the %1 it is taken from.")
            .arg(moneyText(base, currencySymbol));
    case DiscountCheck::NothingToDiscount:
        return QStringLiteral("There is nothing to discount: the sub-total is not above 0.");
    case DiscountCheck::Accepted:
        break;
    }
    return {};
}

QList<Currency> spreadDiscount(Currency total, const QList<Currency>& bases)
{
    const qint64 cents = total.raw() / kRawPerCent;
    __int128 sum = 0;
    for (Currency base : bases)
        sum += std::max<qint64>(base.raw(), 0);
    QList<Currency> shares(bases.size());
    if (sum == 0)
        return shares;
    QList<qint64> given(bases.size());
    QList<__int128> remainders(bases.size());
    qint64 left = cents;
    for (qsizetype i = 0; i < bases.size(); ++i) {
        const __int128 part = __int128(cents) * std::max<qint64>(bases.at(i).raw(), 0);
        given[i] = qint64(part / sum);
        remainders[i] = part % sum;
        left -= given[i];
    }
    QList<qsizetype> order(bases.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&remainders](qsizetype a, qsizetype b) { return remainders.at(a) > remainders.at(b); });
    for (qsizetype i = 0; left > 0 && i < order.size(); ++i, --left)
        ++given[order.at(i)];
    for (qsizetype i = 0; i < bases.size(); ++i)
        shares[i] = Currency::fromRaw(given.at(i) * kRawPerCent);
    return shares;
}

DiscountResult discountLine(const QString& buyer, qint64 billKey, DiscountKind kind, const QString& text)
{
    DiscountResult result;
    Transaction transaction;
    OpenBill bill(buyer);
    if (!bill.read(transaction, &result.error))
        return result;
    const qsizetype line = bill.indexOf(billKey);
    if (line < 0)
        return DiscountResult{DiscountOutcome::NotFound, {}, {}, {}};
    if (bill.has(DiscountScope::Bill))
        return DiscountResult{DiscountOutcome::BillDiscounted, {}, {}, {}};
    if (!bill.takeOff(DiscountScope::Line, billKey, &result.error))
        return result;
    Discount discount{DiscountScope::Line, kind, {}, {}, {}, 0};
    const DiscountCheck check = readDiscount(text, kind, bill.subTotal(line), &discount.value, &discount.amount);
    if (check != DiscountCheck::Accepted)
        return refused(check, bill.subTotal(line));
    if (!bill.give(line, discount, &result.error))
        return result;
    return committed(transaction);
}

DiscountResult discountBill(const QString& buyer, DiscountKind kind, const QString& text)
{
    DiscountResult result;
    Transaction transaction;
    OpenBill bill(buyer);
    if (!bill.read(transaction, &result.error) || !bill.takeOff(DiscountScope::Bill, -1, &result.error))
        return result;
    QList<Currency> bases;
    Currency total;
    for (qsizetype i = 0; i < bill.keys().size(); ++i) {
        bases.append(bill.subTotal(i));
        if (bill.subTotal(i).raw() > 0)
            total = total.plus(bill.subTotal(i)).value_or(total);
    }
    Discount discount{DiscountScope::Bill, kind, {}, {}, {}, 0};
    Currency off;
    const DiscountCheck check = readDiscount(text, kind, total, &discount.value, &off);
    if (check != DiscountCheck::Accepted)
        return refused(check, total);
    const QList<Currency> shares = spreadDiscount(off, bases);
    for (qsizetype i = 0; i < shares.size(); ++i) {
        discount.amount = shares.at(i);
        if (discount.amount.raw() > 0 && !bill.give(i, discount, &result.error))
            return result;
    }
    return committed(transaction);
}

DiscountResult removeDiscount(const QString& buyer, qint64 billKey)
{
    DiscountResult result;
    Transaction transaction;
    OpenBill bill(buyer);
    if (!bill.read(transaction, &result.error))
        return result;
    const bool ok = bill.has(DiscountScope::Bill)
                        ? bill.takeOff(DiscountScope::Bill, -1, &result.error)
                        : billKey < 0 || bill.takeOff(DiscountScope::Line, billKey, &result.error);
    return ok ? committed(transaction) : result;
}

QHash<qint64, QList<Discount>> billDiscounts(const QString& buyer)
{
    QHash<qint64, QList<Discount>> byLine;
    for (const OpenDiscount& open :
         openDiscounts(QStringLiteral("cBuyer=?"), {buyer}, nullptr).value_or(QList<OpenDiscount>()))
        byLine[open.billKey].append(open.discount);
    return byLine;
}

bool dropDiscounts(qint64 billKey, QString* error)
{
    const auto discounts = openDiscounts(QStringLiteral("cBill=?"), {billKey}, error);
    Engine* engine = discounts ? Database::instance().engine(error) : nullptr;
    if (!engine)
        return false;
    for (const OpenDiscount& open : *discounts)
        if (!bookDiscountInLedger(open.day, difference(Currency(), open.discount.amount), error))
            return false;
    return discounts->isEmpty() ||
           engine->execute(QStringLiteral("delete from marvono_discount where cBill=?"), {billKey}, error);
}

std::optional<bool> isDiscounted(qint64 billKey)
{
    const auto discounts = openDiscounts(QStringLiteral("cBill=?"), {billKey}, nullptr);
    return discounts ? std::optional(!discounts->isEmpty()) : std::nullopt;
}

std::optional<QList<Discount>> takeDiscounts(const QList<qint64>& billKeys, QString* error)
{
    Engine* engine = Database::instance().engine(error);
    if (!engine)
        return std::nullopt;
    QList<Discount> taken;
    for (qsizetype from = 0; from < billKeys.size(); from += kKeysPerStatement) {
        const QList<qint64> keys = billKeys.mid(from, kKeysPerStatement);
        const QVariantList values(keys.cbegin(), keys.cend());
        const QString where =
            QStringLiteral("cBill in (%1)").arg(QStringList(keys.size(), QStringLiteral("?")).join(QLatin1Char(',')));
        const auto discounts = openDiscounts(where, values, error);
        if (!discounts)
            return std::nullopt;
        for (const OpenDiscount& open : *discounts) {
            Discount discount = open.discount;
            discount.line = int(billKeys.indexOf(open.billKey)) + 1;
            taken.append(discount);
        }
        if (!discounts->isEmpty() &&
            !engine->execute(QStringLiteral("delete from marvono_discount where ") + where, values, error))
            return std::nullopt;
    }
    std::sort(taken.begin(), taken.end(), [](const Discount& a, const Discount& b) {
        return std::pair(a.line, a.scope) < std::pair(b.line, b.scope);
    });
    return taken;
}

} // namespace marvono
