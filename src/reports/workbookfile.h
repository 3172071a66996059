#pragma once
// Excel 97-2003 workbook files (a BIFF8 "Workbook" stream inside a compound file).
#include "reports/biff.h"

namespace marvono {

// A workbook file with one worksheet `sheetName` holding `rows` from its first row on.
std::optional<QByteArray> newWorkbookFile(const QString& sheetName, const biff::TextRows& rows,
                                          QString* error = nullptr);

// The workbook file `workbook` with `rows` appended below the used rows of its worksheet
// `sheetName`; every other part of the file is kept.
std::optional<QByteArray> appendToWorkbookFile(const QByteArray& workbook, const QString& sheetName,
                                               const biff::TextRows& rows, QString* error = nullptr);

} // namespace marvono
