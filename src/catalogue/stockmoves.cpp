#include "catalogue/stockmoves.h"

#include "app/appcontext.h"
#include "app/numbers.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/tables.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace marvono {
namespace {

enum MoveColumn { MoveTime, MoveProduct, MoveKind, MoveUnits, MovePrice, MoveRemaining, MoveReason, MoveUser };

StockMoveResult outcome(StockMoveOutcome outcome, const QString& error = {})
{
    return {outcome, {}, error};
}

// Whole units above 0, without a sign: the direction is chosen apart from the number. Nothing when
// out of range.
std::optional<qint64> unitsOf(const QString& text)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*[0-9]+\\s*$"));
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 units = text.trimmed().toLongLong(&ok);
    if (!ok || units == 0 || units > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return units;
}

// Adds `units` to the product's purchase and remaining quantity and logs the move, in one
// transaction that holds the product's row as a sale does.
StockMoveResult bookMove(const QString& productName, const char* kind, qint64 units, const QString& newPrice,
                         const QString& reason)
{
    Transaction transaction;
    if (!transaction.isActive() ||
        !transaction.lockRows(QStringLiteral("product_info"), QStringLiteral("cName"), productName))
        return outcome(StockMoveOutcome::Failed, transaction.errorText());
    QString message;
    auto product = ExecSQL(QStringLiteral("select * from product_info where cName=?"), message, {productName});
    if (!product)
        return outcome(StockMoveOutcome::Failed, message);
    if (product->isEof())
        return outcome(StockMoveOutcome::NoProduct);

    const double bought = leadingNumber(product->text(ProductBought)) + double(units);
    const double remaining = leadingNumber(product->text(ProductRemaining)) + double(units);
    constexpr double limit = std::numeric_limits<qint32>::max();
    if (!(std::fabs(bought) <= limit && std::fabs(remaining) <= limit))
        return outcome(StockMoveOutcome::Failed, QStringLiteral("Overflow"));
    if (remaining < 0)
        return outcome(StockMoveOutcome::NotEnoughStock);
    if (!product->setField(ProductBought, bought) || !product->setField(ProductRemaining, remaining) ||
        (!newPrice.isEmpty() && !product->setField(ProductCost, newPrice.trimmed())) || !product->update())
        return outcome(StockMoveOutcome::Failed, product->errorText());

    const QString price = newPrice.isEmpty() ? product->text(ProductCost) : newPrice.trimmed();
    const StockMoveResult result{StockMoveOutcome::Booked, product->text(ProductRemaining), {}};
    if (!logStockMove(product->text(ProductName), kind, units, price, result.remaining, reason, &message))
        return outcome(StockMoveOutcome::Failed, message);
    if (!transaction.commit())
        return outcome(StockMoveOutcome::Failed, transaction.errorText());
    return result;
}

} // namespace

bool logStockMove(const QString& product, const char* kind, qint64 units, const QString& price,
                  const QString& remaining, const QString& reason, QString* error)
{
    auto log = ExecSQL(QStringLiteral("select * from marvono_stock_move where 1=0"), *error);
    if (!log)
        return false;
    log->addNew();
    const QVariant fields[] = {dateTimeText(Clock::now()),
                               product,
                               QString::fromLatin1(kind),
                               units,
                               price.isEmpty() ? QVariant() : QVariant(price),
                               remaining,
                               reason.isEmpty() ? QVariant() : QVariant(reason),
                               runValues().currentUser};
    for (int column = MoveTime; column <= MoveUser; ++column) {
        if (!log->setField(column, fields[column])) {
            *error = QStringLiteral("The stock move cannot be stored.");
            return false;
        }
    }
    if (!log->update()) {
        *error = log->errorText();
        return false;
    }
    return true;
}

StockMoveResult receiveStock(const QString& productName, const QString& unitsText, const QString& newPrice)
{
    const auto units = unitsOf(unitsText);
    if (!units)
        return outcome(StockMoveOutcome::BadUnits);
    // A price the product's column would refuse is refused here rather than stored empty.
    if (!newPrice.trimmed().isEmpty() && (!isNumberText(newPrice) || leadingNumber(newPrice) < 0))
        return outcome(StockMoveOutcome::BadPrice);
    return bookMove(productName, kReceivedMove, *units, newPrice.trimmed(), QString());
}

StockMoveResult correctStock(const QString& productName, StockDirection direction, const QString& unitsText,
                             const QString& reason)
{
    const auto units = unitsOf(unitsText);
    if (!units)
        return outcome(StockMoveOutcome::BadUnits);
    if (reason.trimmed().isEmpty())
        return outcome(StockMoveOutcome::NoReason);
    return bookMove(productName, kCorrectionMove, direction == StockDirection::Out ? -*units : *units, QString(),
                    reason.trimmed());
}

bool stockMovesOfDay(const QDate& day, std::vector<StockMove>* moves, QString* error)
{
    moves->clear();
    QString message;
    const QString from = day.toString(Qt::ISODate);
    auto set = ExecSQL(QStringLiteral("select * from marvono_stock_move where cTime >= ? and cTime < ? order by rowid"),
                       message, {from, day.addDays(1).toString(Qt::ISODate)});
    if (!set) {
        if (error)
            *error = message;
        return false;
    }
    for (; !set->isEof(); set->moveNext())
        moves->push_back({set->text(MoveTime), set->text(MoveProduct), set->text(MoveKind),
                          set->text(MoveUnits).toLongLong(), set->text(MovePrice), set->text(MoveRemaining),
                          set->text(MoveReason), set->text(MoveUser)});
    return true;
}

QStringList stockMoveTitles()
{
    return {QStringLiteral("Time"),   QStringLiteral("Product Name"),   QStringLiteral("Move"),
            QStringLiteral("Units"),  QStringLiteral("Purchase Price"), QStringLiteral("Remaining Quantity"),
            QStringLiteral("Reason"), QStringLiteral("Operator")};
}

QString stockMoveCell(const StockMove& move, int column)
{
    switch (column) {
    case 0:
        return move.time;
    case 1:
        return move.product;
    case 2:
        return move.kind;
    case 3:
        return (move.units > 0 && move.kind != QLatin1String(kReceivedMove) ? QStringLiteral("+") : QString()) +
               QString::number(move.units);
    case 4:
        return move.price.isEmpty() ? QString() : moneyText(move.price, runValues().currencySymbol);
    case 5:
        return unitsText(move.remaining);
    case 6:
        return move.reason;
    case 7:
        return move.user;
    default:
        return {};
    }
}

std::optional<Currency> receivedCost(const std::vector<StockMove>& moves)
{
    Currency total;
    for (const StockMove& move : moves) {
        if (move.kind != QLatin1String(kReceivedMove))
            continue;
        const auto cost = Currency::fromDouble(double(move.units) * leadingNumber(move.price));
        const auto sum = cost ? total.plus(*cost) : std::nullopt;
        if (!sum)
            return std::nullopt;
        total = *sum;
    }
    return total;
}

} // namespace marvono
