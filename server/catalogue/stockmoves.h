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

enum class StockMoveOutcome {
    Booked,
    BadUnits,       // received: not a whole number above 0; correction: not a signed whole number other than 0
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

// Adds the signed units ("-2" for two broken, "+1" or "1" for one found) to the product's stock
// in one transaction with the log row. Never a sale: the units sold stay as they were.
StockMoveResult correctStock(const QString& productName, const QString& unitsText, const QString& reason);

// One logged move, as stored.
struct StockMove {
    QString time; // "2026-12-07 14:05:09"
    QString product;
    QString kind; // kReceivedMove or kCorrectionMove
    qint64 units = 0;
    QString price; // the purchase price the units came in at (the product's, when none was given)
    QString remaining;
    QString reason;
    QString user;
};

// The moves of one day in the order they were made; false, with the engine's text, on failure.
bool stockMovesOfDay(const QDate& day, std::vector<StockMove>* moves, QString* error);

// Titles of the stock moves list, and the text of one column of a move's line: time, product,
// kind, units (a correction's with its sign), purchase price, remaining quantity, reason, operator.
QStringList stockMoveTitles();
QString stockMoveCell(const StockMove& move, int column);

// The purchase value of the goods received among `moves`: each move's units times its price,
// rounded to the currency, added up. Nothing when it leaves the currency's range.
std::optional<Currency> receivedCost(const std::vector<StockMove>& moves);

} // namespace marvono
