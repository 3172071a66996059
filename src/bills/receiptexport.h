#pragma once
// The accountant's export: the receipts of a range of days as a CSV file, one row per line, and
// the day closes of those days in a second file beside it. RFC 4180 in UTF-8 with a header row,
// numbers as the database keeps them (a point, no currency symbol). No widgets.
#include <QDate>
#include <QString>

namespace marvono {

// The closes' file beside the receipts' one: "may.csv" -> "may-closes.csv".
QString closesCsvPath(const QString& receiptsPath);

// Writes the receipts and refunds timed from `from` to `to`, whole days, to `receiptsPath` and the
// closes made on those days to closesCsvPath(receiptsPath). Each file is written in full beside
// its place and then put there, and both are or neither is. False, with the reason, when the
// database cannot be read or a file cannot be written.
bool exportReceipts(const QDate& from, const QDate& to, const QString& receiptsPath, QString* error);

} // namespace marvono
