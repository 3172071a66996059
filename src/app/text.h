#pragma once
// Text helpers shared across the program.
#include <QString>
#include <QStringList>

namespace marvono {

// The text without the blanks (spaces only) at its start and end; other white space stays.
QString trimBlanks(const QString& text);

// Gives the reason of a failure to a caller that asked for it (`error` may be null).
void setError(QString* error, const QString& text);
// The same, for a function that ends there: `return fail(error, reason);` gives false.
bool fail(QString* error, const QString& text);

// Papers (receipts, refunds, the day's close) are lines of a fixed number of columns:
// a left and a right text on one line, the right one at the right edge; on two lines when they do
// not fit together.
QStringList spread(const QString& left, const QString& right, int columns);
// A text cut into lines of `columns`; an empty text is one empty line.
QStringList wrapped(const QString& text, int columns);

} // namespace marvono
