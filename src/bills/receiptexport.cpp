#include "bills/receiptexport.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "app/text.h"
#include "bills/dayclose.h"
#include "bills/tax.h"
#include "data/recordset.h"

#include <QFile>

namespace marvono {
namespace {

// One record: a field holding a comma, a double quote, CR or LF is quoted, its quotes doubled.
QByteArray csvRecord(const QStringList& fields)
{
    QByteArray record;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QByteArray field = fields.at(i).toUtf8();
        if (field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n'))
            field = '"' + field.replace("\"", "\"\"") + '"';
        record += (i ? "," : "") + field;
    }
    return record + "\r\n";
}

// "2026-12-07 14:05:09" as ISO 8601: "2026-12-07T14:05:09".
QString isoTime(QString stored)
{
    if (stored.size() > 10 && stored.at(10) == QLatin1Char(' '))
        stored[10] = QLatin1Char('T');
    return stored;
}

QString isoTime(const QDateTime& time)
{
    return isoTime(dateTimeText(time));
}

enum LineColumn {
    LReceipt,
    LTime,
    LOperator,
    LBuyer,
    LReceived,
    LChange,
    LProduct,
    LCode,
    LQty,
    LPrice,
    LSubTotal,
    LTaxCode,
    LTaxName,
    LTaxPercent
};

// The rows of one receipt's lines, each with its share of the receipt's per-rate net and tax.
void addReceipt(QByteArray& csv, const QList<QStringList>& lines)
{
    QStringList amounts;
    QList<LineTax> rates;
    for (const QStringList& line : lines) {
        amounts.append(line.at(LSubTotal));
        rates.append(LineTax{line.at(LTaxCode), line.at(LTaxName), line.at(LTaxPercent)});
    }
    const QList<RateFigures> shares = taxPerLine(amounts, rates);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList& line = lines.at(i);
        const RateFigures& share = shares.at(i);
        csv += csvRecord({line.at(LReceipt), isoTime(line.at(LTime)), line.at(LOperator), line.at(LBuyer),
                          line.at(LProduct), line.at(LCode), line.at(LQty), line.at(LPrice), share.gross.toText(),
                          share.rate.code, share.rate.percent, share.net.toText(), share.tax.toText(),
                          storedAmount(line.at(LReceived)).toText(), storedAmount(line.at(LChange)).toText()});
    }
}

bool receiptsCsv(const QDate& from, const QDate& to, QByteArray* csv, QString* error)
{
    *csv = csvRecord({QStringLiteral("receipt"), QStringLiteral("time"), QStringLiteral("operator"),
                      QStringLiteral("buyer"), QStringLiteral("product"), QStringLiteral("code"),
                      QStringLiteral("quantity"), QStringLiteral("unit price"), QStringLiteral("gross"),
                      QStringLiteral("rate"), QStringLiteral("percent"), QStringLiteral("net"), QStringLiteral("tax"),
                      QStringLiteral("received"), QStringLiteral("change")});
    // The stored time begins with the day, so the days are a range of the time index. The code is
    // the one the product's row holds now; a line typed by hand, or of a product since deleted,
    // has none.
    QString message;
    auto set = ExecSQL(QStringLiteral("select r.cNumber, r.cTime, r.cOperator, r.cBuyer, r.cReceived, r.cChange, "
                                      "l.cProduct, p.cSpare, l.cQty, l.cPrice, l.cSubTotal, l.cTaxCode, l.cTaxName, "
                                      "l.cTaxPercent from marvono_receipt r join marvono_receipt_line l on "
                                      "l.cReceipt = r.cNumber left join product_info p on p.rowid = l.cProductKey "
                                      "where r.cTime >= ? and r.cTime < ? order by r.cNumber, l.cLine"),
                       message, {from.toString(Qt::ISODate), to.addDays(1).toString(Qt::ISODate)});
    if (!set)
        return fail(error, QStringLiteral("The receipts cannot be read: %1").arg(message));
    QList<QStringList> receipt;
    for (; !set->isEof(); set->moveNext()) {
        QStringList line;
        for (int column = LReceipt; column <= LTaxPercent; ++column)
            line.append(set->text(column));
        if (!receipt.isEmpty() && receipt.first().at(LReceipt) != line.at(LReceipt)) {
            addReceipt(*csv, receipt);
            receipt.clear();
        }
        receipt.append(line);
    }
    addReceipt(*csv, receipt);
    return true;
}

// One row per close and rate (a close of a shop without rates: one row, untaxed).
bool closesCsv(const QDate& from, const QDate& to, QByteArray* csv, QString* error)
{
    QStringList header{QStringLiteral("close"), QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("rate"),
                       QStringLiteral("percent")};
    for (const QString& part : {QStringLiteral("takings"), QStringLiteral("refunds"), QStringLiteral("balance")})
        header << part + QStringLiteral(" gross") << part + QStringLiteral(" net") << part + QStringLiteral(" tax");
    *csv = csvRecord(header);
    QString message;
    auto set = ExecSQL(QStringLiteral("select cNumber from marvono_day_close where cDay >= ? and cDay <= ? order by "
                                      "cNumber"),
                       message, {from.toString(Qt::ISODate), to.toString(Qt::ISODate)});
    if (!set)
        return fail(error, QStringLiteral("The day closes cannot be read: %1").arg(message));
    for (; !set->isEof(); set->moveNext()) {
        const std::optional<DayClose> close = readDayClose(set->text(0).toLongLong(), &message);
        if (!close)
            return fail(error, QStringLiteral("Day close No. %1 cannot be read: %2").arg(set->text(0), message));
        QList<RateFigures> takings = close->takingsTax, refunds = close->refundsTax;
        if (takings.isEmpty()) {
            takings = {RateFigures{{}, close->takings, close->takings, {}}};
            refunds = {RateFigures{{}, close->refunded, close->refunded, {}}};
        }
        for (qsizetype i = 0; i < takings.size() && i < refunds.size(); ++i) {
            QStringList row{QString::number(close->number), isoTime(close->from), isoTime(close->time),
                            takings.at(i).rate.code, takings.at(i).rate.percent};
            const RateFigures& in = takings.at(i);
            const RateFigures& out = refunds.at(i);
            for (const RateFigures& figures : {in, out,
                                               RateFigures{in.rate, Currency::fromRaw(in.gross.raw() + out.gross.raw()),
                                                           Currency::fromRaw(in.net.raw() + out.net.raw()),
                                                           Currency::fromRaw(in.tax.raw() + out.tax.raw())}})
                row << figures.gross.toText() << figures.net.toText() << figures.tax.toText();
            *csv += csvRecord(row);
        }
    }
    return true;
}

} // namespace

QString closesCsvPath(const QString& receiptsPath)
{
    const QString stem =
        receiptsPath.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? receiptsPath.chopped(4) : receiptsPath;
    return stem + QStringLiteral("-closes.csv");
}

bool exportReceipts(const QDate& from, const QDate& to, const QString& receiptsPath, QString* error)
{
    QByteArray receipts, closes;
    if (!receiptsCsv(from, to, &receipts, error) || !closesCsv(from, to, &closes, error))
        return false;
    // Each file goes to a temporary one in its folder, renamed over its place once whole. Should
    // the second fail, the first is taken back, so no export is left half made.
    const QString closesPath = closesCsvPath(receiptsPath);
    QString reason;
    if (!writeFileAtomically(receiptsPath, receipts, &reason))
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(receiptsPath, reason));
    if (!writeFileAtomically(closesPath, closes, &reason)) {
        QFile::remove(receiptsPath);
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(closesPath, reason));
    }
    return true;
}

} // namespace marvono
