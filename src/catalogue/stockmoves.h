#pragma once
// Stock that comes in or is found missing outside a sale: goods received and stock count
// corrections. Each changes the purchase and the remaining quantity of the product by the same
// units, so the units sold (purchase minus remaining quantity) stay those really sold, and each is
// logged with the operator in the stock moves.
#include "app/numbers.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace marvono {

inline constexpr char kReceivedMove[] = "Received";
inline constexpr char kCorrectionMove[] = "Correction";
// A sold line's quantity changed or deleted in the bill editor.
inline constexpr char kBillEditMove[] = "Bill edit";

// Whether a correction's units leave the stock (breakage, loss) or come back to it (found).
enum class StockDirection { Out, In };

enum class StockMoveOutcome {
    Booked,
    BadUnits,       // not a whole number above 0
    BadPrice,       // the new purchase price is not a number of 0 or more
    NoReason,       // a correction without a reason
    NoProduct,      // no product of that name
    NotEnoughStock, // the correction would take the remaining quantity below 0
    Failed,         // a database failure or a quantity out of range; nothing was written
};

struct StockMoveResult {
    StockMoveOutcome outcome = StockMoveOutcome::Failed;
    QString remaining; // the product's remaining quantity after the move, as stored
    QString error;     // the engine's text for Failed
};

// Adds the units to the first product of that name, and sets its purchase price to `newPrice`
// unless that is empty, in one transaction with the log row.
StockMoveResult receiveStock(const QString& productName, const QString& unitsText, const QString& newPrice);

// Takes the units out of the product's stock or puts them in, as `direction` says, in one
// transaction with the log row. Never a sale: the units sold stay as they were.
StockMoveResult correctStock(const QString& productName, StockDirection direction, const QString& unitsText,
                             const QString& reason);

// Inside the caller's transaction: logs a move of signed units (negative: out of the stock) that
// left `remaining`, with the clock and the operator of the run.
bool logStockMove(const QString& product, const char* kind, qint64 units, const QString& price,
                  const QString& remaining, const QString& reason, QString* error);

// One logged move, as stored.
struct StockMove {
    QString time; // "2026-12-07 14:05:09"
    QString product;
    QString kind; // kReceivedMove, kCorrectionMove or kBillEditMove
    qint64 units = 0;
    QString price; // the purchase price the units came in at (the product's, when none was given)
    QString remaining;
    QString reason;
    QString user;
};

// The moves of one day in the order they were made; false, with the engine's text, on failure.
bool stockMovesOfDay(const QDate& day, std::vector<StockMove>* moves, QString* error);

// Titles of the stock moves list, and the text of one column of a move's line: time, product,
// kind, units (with their sign, but for goods received), purchase price, remaining quantity, reason,
// operator.
QStringList stockMoveTitles();
QString stockMoveCell(const StockMove& move, int column);

// The purchase value of the goods received among `moves`: each move's units times its price,
// rounded to the currency, added up. Nothing when it leaves the currency's range.
std::optional<Currency> receivedCost(const std::vector<StockMove>& moves);

} // namespace marvono
