#include "bills/receipt.h"

#include "app/appcontext.h"
#include "app/text.h"
#include "app/typedinput.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "data/rowscan.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <span>

namespace marvono {
namespace {

enum ReceiptColumn { RNumber, RTime, RBuyer, ROperator, RTotal, RReceived, RChange, RRefundOf };
const char* const kReceiptColumns = "cNumber, cTime, cBuyer, cOperator, cTotal, cReceived, cChange, cRefundOf";

// Reads receipt heads from the rows of a scan of kReceiptColumns. A busy day has thousands: the
// numbers and times are read from the engine's bytes, and the texts that recur (buyers,
// operators, amounts) are decoded once. A stored time, "yyyy-MM-dd HH:mm:ss" in the shop's local
// time, made as a local time would ask the system for the zone's rules afresh every time (a file
// look-up, the most of reading a day); it is made at its hour's offset from UTC instead, asked
// once an hour.
class HeadReader {
  public:
    Receipt read(const ScannedRow& row)
    {
        Receipt receipt;
        receipt.number = row.utf8(RNumber).toLongLong();
        receipt.time = time(row.utf8(RTime));
        receipt.buyer = m_buyers.text(row.utf8(RBuyer));
        receipt.operatorName = m_operators.text(row.utf8(ROperator));
        receipt.total = storedAmount(m_amounts.text(row.utf8(RTotal)));
        receipt.received = storedAmount(m_amounts.text(row.utf8(RReceived)));
        receipt.change = storedAmount(m_amounts.text(row.utf8(RChange)));
        receipt.refundOf = row.utf8(RRefundOf).toLongLong();
        return receipt;
    }

  private:
    QDateTime time(QByteArrayView text)
    {
        int fields[6] = {};
        static constexpr int starts[6] = {0, 5, 8, 11, 14, 17};
        bool plain = text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
                     text[16] == ':';
        for (int f = 0; f < 6 && plain; ++f) {
            for (int i = starts[f]; i < (f == 0 ? 4 : starts[f] + 2) && plain; ++i) {
                plain = text[i] >= '0' && text[i] <= '9';
                fields[f] = fields[f] * 10 + (text[i] - '0');
            }
        }
        const QDate date = plain ? QDate(fields[0], fields[1], fields[2]) : QDate();
        const QTime clock = plain ? QTime(fields[3], fields[4], fields[5]) : QTime();
        if (!date.isValid() || !clock.isValid())
            return QDateTime::fromString(QString::fromUtf8(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const qint64 hour = date.toJulianDay() * 24 + fields[3];
        auto offset = m_offsets.constFind(hour);
        if (offset == m_offsets.constEnd()) {
            const QDateTime local(date, QTime(fields[3], 0));
            if (!local.isValid())
                return QDateTime(date, clock);
            offset = m_offsets.insert(hour, local.offsetFromUtc());
        }
        return QDateTime(date, clock, Qt::OffsetFromUTC, *offset);
    }

    QHash<qint64, int> m_offsets;
    SharedTexts m_buyers, m_operators, m_amounts;
};

// The head of receipt `number` into `head`, left empty when there is none; false when the query
// fails.
bool readHead(qint64 number, std::optional<Receipt>* head)
{
    HeadReader reader;
    return scanRows(
        QStringLiteral("select %1 from marvono_receipt where cNumber = ?").arg(QLatin1String(kReceiptColumns)),
        {number}, [&](const ScannedRow& row) {
            *head = reader.read(row);
            return false;
        });
}

// Marks the voided sales and the voids among `receipts`, which are in number order.
bool markVoids(std::span<Receipt> receipts)
{
    if (receipts.empty())
        return true;
    const qint64 low = receipts.front().number;
    const qint64 high = receipts.back().number;
    auto voids = ExecSQL(QStringLiteral("select cReceipt, cVoid, cReason from marvono_void where cReceipt between ? "
                                        "and ? or cVoid between ? and ?"),
                         {low, high, low, high});
    if (!voids)
        return false;
    const auto find = [&receipts](qint64 number) -> Receipt* {
        const auto at = std::lower_bound(receipts.begin(), receipts.end(), number,
                                         [](const Receipt& receipt, qint64 n) { return receipt.number < n; });
        return at != receipts.end() && at->number == number ? &*at : nullptr;
    };
    for (; !voids->isEof(); voids->moveNext()) {
        if (Receipt* sale = find(voids->text(0).toLongLong())) {
            sale->voidedBy = voids->text(1).toLongLong();
            sale->voidReason = voids->text(2);
        }
        if (Receipt* cancel = find(voids->text(1).toLongLong())) {
            cancel->isVoid = true;
            cancel->voidReason = voids->text(2);
        }
    }
    return true;
}

QString receiptPaperPath()
{
    return appPath(QStringLiteral("receipt.dat"));
}

} // namespace

ReceivedCheck readReceived(const QString& text, Currency total, Currency* received)
{
    if (text.trimmed().isEmpty()) {
        *received = total;
        return ReceivedCheck::Accepted;
    }
    if (isScannedCodeText(text.trimmed()))
        return ReceivedCheck::ScannedCode;
    const std::optional<QString> typed = typedNumberText(text);
    const std::optional<Currency> amount = typed ? Currency::fromDouble(leadingNumber(*typed)) : std::nullopt;
    if (!amount)
        return ReceivedCheck::NotANumber;
    if (amount->raw() < total.raw())
        return ReceivedCheck::BelowTotal;
    constexpr qint64 kLargestPlainCash = 1000 * 10000;
    if (amount->raw() > kLargestPlainCash && __int128(amount->raw()) > __int128(total.raw()) * 100)
        return ReceivedCheck::NotCash;
    *received = *amount;
    return ReceivedCheck::Accepted;
}

QString receivedRefusal(ReceivedCheck check, Currency total, const QString& currencySymbol)
{
    if (check == ReceivedCheck::NotANumber)
        return QStringLiteral("Please type the amount received as a number, for example 20.50, or leave the box "
                              "empty for the exact total.");
    if (check == ReceivedCheck::ScannedCode)
        return QStringLiteral("The Received box got a scanned code, not cash: nothing was taken. Type the cash "
                              "handed over, or leave the box empty for the exact total.");
    if (check == ReceivedCheck::NotCash)
        return QStringLiteral("The amount received is more than 100 times the total of %1%2: it cannot be the cash "
                              "handed over, so nothing was taken. Type the cash again, or leave the box empty for "
                              "the exact total.")
            .arg(currencySymbol, total.toText());
    return QStringLiteral("The amount received is less than the total of %1%2.").arg(currencySymbol, total.toText());
}

QString changeText(Currency received, Currency total, const QString& currencySymbol)
{
    return QStringLiteral("Received: %1%2\nChange: %1%3")
        .arg(currencySymbol, received.toText(), difference(received, total).toText());
}

Currency difference(Currency a, Currency b)
{
    return Currency::fromRaw(a.raw() - b.raw());
}

qint64 takeReceiptNumber(QString* error)
{
    QString message;
    Engine* engine = Database::instance().engine(&message);
    const qint64 number = engine ? engine->nextReceiptNumber(&message) : 0;
    if (number == 0)
        setError(error, message.isEmpty() ? QStringLiteral("The receipt counter is missing.") : message);
    return number;
}

bool writeReceipt(Receipt& receipt, QString* error)
{
    if (receipt.number == 0 && (receipt.number = takeReceiptNumber(error)) == 0)
        return false;
    Engine* engine = Database::instance().engine(error);
    if (!engine)
        return false;
    const QVariant refundOf = receipt.refundOf ? QVariant(receipt.refundOf) : QVariant();
    if (!engine->execute(QStringLiteral("insert into marvono_receipt (%1) values (?, ?, ?, ?, ?, ?, ?, ?)")
                             .arg(QLatin1String(kReceiptColumns)),
                         {receipt.number, dateTimeText(receipt.time), receipt.buyer, receipt.operatorName,
                          receipt.total.toText(), receipt.received.toText(), receipt.change.toText(), refundOf},
                         error))
        return false;
    const QString insertLine =
        QStringLiteral("insert into marvono_receipt_line (cReceipt, cLine, cTime, cProduct, cQty, cPrice, cSubTotal, "
                       "cOfLine, cProductKey, cInPrice, cTaxCode, cTaxName, cTaxPercent) values (?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < receipt.lines.size(); ++i) {
        const BillLine& line = receipt.lines.at(i);
        const LineStock stock = receipt.stock.value(i);
        const LineTax tax = receipt.tax.value(i);
        const auto orNull = [&tax](const QString& text) { return tax.isEmpty() ? QVariant() : QVariant(text); };
        if (!engine->execute(insertLine,
                             {receipt.number, i + 1, line.time, line.product, line.quantity, line.unitPrice,
                              line.subTotal, i < receipt.ofLines.size() ? QVariant(receipt.ofLines.at(i)) : QVariant(),
                              stock.productKey == kStockUnknown ? QVariant() : QVariant(stock.productKey),
                              stock.inPrice.isEmpty() ? QVariant() : QVariant(stock.inPrice), orNull(tax.code),
                              orNull(tax.name), orNull(tax.percent)},
                             error))
            return false;
    }
    for (const Discount& discount : receipt.discounts) {
        if (!engine->execute(
                QStringLiteral("insert into marvono_receipt_discount (cReceipt, cLine, cScope, cKind, "
                               "cValue, cAmount, cBefore) values (?, ?, ?, ?, ?, ?, ?)"),
                {receipt.number, discount.line,
                 discount.scope == DiscountScope::Bill ? QStringLiteral("bill") : QStringLiteral("line"),
                 discount.kind == DiscountKind::Amount ? QStringLiteral("amount") : QStringLiteral("percent"),
                 discount.value, discount.amount.toText(), discount.before.toText()},
                error))
            return false;
    }
    if (receipt.tenders.isEmpty())
        receipt.tenders = {Tender{TenderKind::Cash, receipt.received}};
    return writeTenders(receipt.number, receipt.tenders, error);
}

std::optional<bool> isReceiptStored(const Receipt& receipt)
{
    std::optional<Receipt> found;
    if (!readHead(receipt.number, &found))
        return std::nullopt;
    if (!found)
        return false;
    const Receipt& stored = *found;
    return dateTimeText(stored.time) == dateTimeText(receipt.time) && stored.buyer == receipt.buyer &&
           stored.operatorName == receipt.operatorName && stored.total == receipt.total &&
           stored.received == receipt.received && stored.change == receipt.change && !stored.refundOf;
}

qint64 receiptThatPaid(const QString& buyer, const BillLine& line)
{
    auto set = ExecSQL(QStringLiteral("select max(r.cNumber) from marvono_receipt r join marvono_receipt_line l on "
                                      "l.cReceipt = r.cNumber where r.cBuyer = ? and r.cRefundOf is null and "
                                      "l.cTime = ? and l.cProduct = ?"),
                       {buyer, line.time, line.product});
    return set && !set->isEof() ? set->text(0).toLongLong() : 0;
}

std::optional<QList<Receipt>> receiptsOfDay(const QDate& day)
{
    // The stored time begins with the day, so the day is a range of the time index. The rows come
    // in the order of their times, which is nearly always that of their numbers: sorting them here
    // costs less than the database's sorter.
    QList<Receipt> receipts;
    HeadReader reader;
    if (!scanRows(QStringLiteral("select %1 from marvono_receipt where cTime >= ? and cTime < ?")
                      .arg(QLatin1String(kReceiptColumns)),
                  {day.toString(Qt::ISODate), day.addDays(1).toString(Qt::ISODate)}, [&](const ScannedRow& row) {
                      receipts.append(reader.read(row));
                      return true;
                  }))
        return std::nullopt;
    const auto byNumber = [](const Receipt& a, const Receipt& b) { return a.number < b.number; };
    if (!std::is_sorted(receipts.cbegin(), receipts.cend(), byNumber))
        std::sort(receipts.begin(), receipts.end(), byNumber);
    if (!markVoids(receipts))
        return std::nullopt;
    return receipts;
}

std::optional<Receipt> readReceipt(qint64 number)
{
    std::optional<Receipt> found;
    if (!readHead(number, &found) || !found)
        return std::nullopt;
    Receipt& receipt = *found;
    auto lines = ExecSQL(QStringLiteral("select cTime, cProduct, cQty, cPrice, cSubTotal, cProductKey, cInPrice, "
                                        "cTaxCode, cTaxName, cTaxPercent from marvono_receipt_line where cReceipt = ? "
                                        "order by cLine"),
                         {number});
    if (!lines)
        return std::nullopt;
    for (; !lines->isEof(); lines->moveNext()) {
        receipt.lines.append(BillLine{lines->text(0), lines->text(1), lines->text(2), lines->text(3), lines->text(4)});
        receipt.stock.append(LineStock{lines->isNull(5) ? kStockUnknown : lines->text(5).toLongLong(), lines->text(6)});
        receipt.tax.append(LineTax{lines->text(7), lines->text(8), lines->text(9)});
    }
    auto discounts = ExecSQL(QStringLiteral("select cLine, cScope, cKind, cValue, cAmount, cBefore from "
                                            "marvono_receipt_discount where cReceipt = ? order by cLine, cScope desc"),
                             {number});
    if (!discounts)
        return std::nullopt;
    for (; !discounts->isEof(); discounts->moveNext())
        receipt.discounts.append(
            Discount{discounts->text(1) == QLatin1String("bill") ? DiscountScope::Bill : DiscountScope::Line,
                     discounts->text(2) == QLatin1String("amount") ? DiscountKind::Amount : DiscountKind::Percent,
                     discounts->text(3), storedAmount(discounts->text(4)), storedAmount(discounts->text(5)),
                     discounts->text(0).toInt()});
    if (!markVoids({&receipt, 1}))
        return std::nullopt;
    const std::optional<QList<Tender>> tenders = readTenders(number);
    if (!tenders)
        return std::nullopt;
    // Paid before tenders were kept: in cash.
    receipt.tenders = tenders->isEmpty() ? QList<Tender>{Tender{TenderKind::Cash, receipt.received}} : *tenders;
    return found;
}

std::optional<Currency> receiptsTotal(const QList<Receipt>& receipts)
{
    Currency sum;
    for (const Receipt& receipt : receipts) {
        const std::optional<Currency> next = sum.plus(receipt.total);
        if (!next)
            return std::nullopt;
        sum = *next;
    }
    return sum;
}

QString receiptPaperName(ReceiptPaper paper)
{
    switch (paper) {
    case ReceiptPaper::Roll58:
        return QStringLiteral("58 mm");
    case ReceiptPaper::A4:
        return QStringLiteral("A4");
    case ReceiptPaper::Roll80:
        break;
    }
    return QStringLiteral("80 mm");
}

ReceiptPaper readReceiptPaper()
{
    QFile file(receiptPaperPath());
    if (!file.open(QIODevice::ReadOnly))
        return ReceiptPaper::Roll80;
    QString name = QString::fromUtf8(file.readLine()).trimmed();
    if (name.startsWith(QLatin1Char('"')))
        name = name.mid(1, name.indexOf(QLatin1Char('"'), 1) - 1);
    for (ReceiptPaper paper : {ReceiptPaper::Roll58, ReceiptPaper::A4})
        if (name == receiptPaperName(paper))
            return paper;
    return ReceiptPaper::Roll80;
}

bool saveReceiptPaper(ReceiptPaper paper, QString* error)
{
    // An item of its own file, written like the items of setup.dat, which keeps its four.
    QSaveFile file(receiptPaperPath());
    const QByteArray line = '"' + receiptPaperName(paper).toUtf8() + "\"\r\n";
    if (file.open(QIODevice::WriteOnly) && file.write(line) == line.size() && file.commit())
        return true;
    setError(error, QStringLiteral("Cannot write %1: %2").arg(receiptPaperPath(), file.errorString()));
    return false;
}

QStringList receiptTextLines(const Receipt& receipt, const QString& shopName, const ShopIdentity& identity,
                             const QString& currencySymbol, int columns)
{
    columns = std::max(columns, 16);
    const QString rule(columns, QLatin1Char('-'));
    const auto money = [&currencySymbol](Currency amount) { return moneyText(amount, currencySymbol); };
    QStringList lines;
    for (const QString& part : wrapped(shopName, columns) + identityLines(identity, columns))
        lines.append(QString((columns - part.size()) / 2, QLatin1Char(' ')) + part);
    if (receipt.isVoid) {
        lines.append(QStringLiteral("Void No. %1").arg(receipt.number));
        lines.append(QStringLiteral("VOID of receipt No. %1").arg(receipt.refundOf));
        lines += wrapped(QStringLiteral("Reason: ") + receipt.voidReason, columns);
    } else {
        lines.append(receipt.refundOf
                         ? QStringLiteral("Refund No. %1 of receipt No. %2").arg(receipt.number).arg(receipt.refundOf)
                         : QStringLiteral("Receipt No. %1").arg(receipt.number));
    }
    if (receipt.voidedBy)
        lines.append(QStringLiteral("VOIDED by No. %1").arg(receipt.voidedBy));
    lines.append(QStringLiteral("Time: ") + dateTimeText(receipt.time));
    if (!receipt.buyer.isEmpty())
        lines += wrapped(QStringLiteral("Buyer: ") + receipt.buyer, columns);
    lines += wrapped(QStringLiteral("Operator: ") + receipt.operatorName, columns);
    lines.append(rule);
    QStringList amounts;
    for (const BillLine& line : receipt.lines)
        amounts.append(line.subTotal);
    const QList<RateFigures> taxes = taxByRate(amounts, receipt.tax);
    // A discounted line shows its amount before the discounts, the line's own under it and the
    // bill's above the total, so the column adds up to the total paid.
    std::optional<Discount> billDiscount;
    for (qsizetype i = 0; i < receipt.lines.size(); ++i) {
        const BillLine& line = receipt.lines.at(i);
        // With tax, each amount is followed by its rate's letter (a blank for a line without one).
        const QString letter =
            taxes.isEmpty() ? QString() : QLatin1Char(' ') + receipt.tax.value(i).code.leftJustified(1);
        QStringList discountLines;
        Currency before = storedAmount(line.subTotal);
        for (const Discount& discount : receipt.discounts) {
            if (discount.line != i + 1)
                continue;
            before = before.plus(discount.amount).value_or(before);
            if (discount.scope == DiscountScope::Line) {
                discountLines += spread(QStringLiteral("  ") + discountTitle(discount),
                                        money(difference(Currency(), discount.amount)), columns);
            } else if (billDiscount) {
                billDiscount->amount = billDiscount->amount.plus(discount.amount).value_or(billDiscount->amount);
            } else {
                billDiscount = discount;
            }
        }
        const QString amount =
            before == storedAmount(line.subTotal) ? moneyText(line.subTotal, currencySymbol) : money(before);
        lines += wrapped(line.product, columns);
        lines += spread(QStringLiteral("  %1 x %2").arg(line.quantity, moneyText(line.unitPrice, currencySymbol)),
                        amount + letter, columns);
        lines += discountLines;
    }
    lines.append(rule);
    if (billDiscount)
        lines += spread(discountTitle(*billDiscount), money(difference(Currency(), billDiscount->amount)), columns);
    lines += spread(QStringLiteral("Total"), money(receipt.total), columns);
    if (receipt.refundOf)
        lines += spread(QStringLiteral("Paid back"), money(difference(Currency(), receipt.total)), columns);
    // What was not paid in cash, each way on its line; the cash of a sale as it always was.
    bool cashOnly = true;
    for (const auto& [kind, title] :
         {std::pair{TenderKind::Card, QStringLiteral("Card")}, std::pair{TenderKind::Other, QStringLiteral("Other")}}) {
        const Currency amount = tenderSum(receipt.tenders, kind);
        if (amount.raw() != 0)
            lines += spread(title, money(amount), columns);
        cashOnly = cashOnly && amount.raw() == 0;
    }
    if (!receipt.refundOf && (cashOnly || receipt.received.raw() != 0)) {
        lines += spread(QStringLiteral("Received"), money(receipt.received), columns);
        lines += spread(QStringLiteral("Change"), money(receipt.change), columns);
    }
    if (!taxes.isEmpty())
        lines.append(rule);
    for (const RateFigures& rate : taxes) {
        lines += wrapped(rateTitle(rate.rate), columns);
        lines += spread(QStringLiteral("  Gross"), money(rate.gross), columns);
        lines += spread(QStringLiteral("  Net"), money(rate.net), columns);
        lines += spread(QStringLiteral("  Tax"), money(rate.tax), columns);
    }
    return lines;
}

} // namespace marvono
