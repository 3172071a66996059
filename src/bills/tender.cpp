#include "bills/tender.h"

#include "app/typedinput.h"
#include "bills/receipt.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"

#include <algorithm>

namespace marvono {

QString tenderKindName(TenderKind kind)
{
    switch (kind) {
    case TenderKind::Card:
        return QStringLiteral("card");
    case TenderKind::Other:
        return QStringLiteral("other");
    case TenderKind::Cash:
        break;
    }
    return QStringLiteral("cash");
}

std::optional<TenderKind> tenderKindNamed(const QString& name)
{
    for (TenderKind kind : {TenderKind::Cash, TenderKind::Card, TenderKind::Other})
        if (name == tenderKindName(kind))
            return kind;
    return std::nullopt;
}

Currency tenderSum(const QList<Tender>& tenders, TenderKind kind)
{
    qint64 sum = 0;
    for (const Tender& tender : tenders)
        if (tender.kind == kind)
            sum += tender.amount.raw();
    return Currency::fromRaw(sum);
}

QList<Tender> tendersPayingBack(const QList<Tender>& paid, Currency amount)
{
    qint64 left = std::max<qint64>(-amount.raw(), 0);
    QList<Tender> back{Tender{TenderKind::Cash, Currency()}};
    for (TenderKind kind : {TenderKind::Card, TenderKind::Other}) {
        const qint64 part = std::clamp<qint64>(tenderSum(paid, kind).raw(), 0, left);
        if (part > 0)
            back.append(Tender{kind, Currency::fromRaw(-part)});
        left -= part;
    }
    back.first().amount = Currency::fromRaw(-left);
    return back;
}

Currency cashTaken(const Receipt& receipt)
{
    const Currency cash = receipt.tenders.isEmpty() ? receipt.received : tenderSum(receipt.tenders, TenderKind::Cash);
    return difference(cash, receipt.change);
}

TenderCheck readTender(const QString& text, Currency left, Currency* amount)
{
    if (text.trimmed().isEmpty()) {
        *amount = Currency();
        return TenderCheck::Accepted;
    }
    if (isScannedCodeText(text.trimmed()))
        return TenderCheck::ScannedCode;
    const std::optional<QString> typed = typedNumberText(text);
    const std::optional<Currency> read = typed ? Currency::fromDouble(leadingNumber(*typed)) : std::nullopt;
    if (!read)
        return TenderCheck::NotANumber;
    if (read->raw() < 0)
        return TenderCheck::Negative;
    if (read->raw() > left.raw())
        return TenderCheck::OverLeft;
    *amount = *read;
    return TenderCheck::Accepted;
}

QString tenderRefusal(TenderCheck check, const QString& boxName, Currency left, const QString& currencySymbol)
{
    if (check == TenderCheck::NotANumber)
        return QStringLiteral("Please type the amount paid in %1 as a number, for example 20.50, or leave the box "
                              "empty for none.")
            .arg(boxName);
    if (check == TenderCheck::ScannedCode)
        return QStringLiteral("The %1 box got a scanned code, not an amount: nothing was taken. Type the amount "
                              "paid, or leave the box empty for none.")
            .arg(boxName);
    if (check == TenderCheck::Negative)
        return QStringLiteral("The amount paid in %1 cannot be below 0.").arg(boxName);
    return QStringLiteral("The amount paid in %1 is more than the %2%3 left to pay: only cash gives change.")
        .arg(boxName, currencySymbol, left.toText());
}

bool writeTenders(qint64 receipt, const QList<Tender>& tenders, QString* error)
{
    Engine* engine = Database::instance().engine(error);
    if (!engine)
        return false;
    for (const Tender& tender : tenders) {
        if (tender.amount.raw() != 0 &&
            !engine->execute(QStringLiteral("insert into marvono_tender (cReceipt, cKind, cAmount) values (?, ?, ?)"),
                             {receipt, tenderKindName(tender.kind), tender.amount.toText()}, error))
            return false;
    }
    return true;
}

std::optional<QList<Tender>> readTenders(qint64 receipt)
{
    auto rows = ExecSQL(QStringLiteral("select cKind, cAmount from marvono_tender where cReceipt = ?"), {receipt});
    if (!rows)
        return std::nullopt;
    QList<Tender> tenders;
    for (; !rows->isEof(); rows->moveNext())
        tenders.append(Tender{tenderKindNamed(rows->text(0)).value_or(TenderKind::Other), storedAmount(rows->text(1))});
    std::stable_sort(tenders.begin(), tenders.end(), [](const Tender& a, const Tender& b) { return a.kind < b.kind; });
    return tenders;
}

} // namespace marvono
