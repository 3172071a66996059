#pragma once
// Excel 97-2003 (BIFF8) workbook streams: writing a one-sheet workbook of text cells, and
// appending rows of text cells below the existing rows of one worksheet of another workbook.
// Only the "Workbook" stream is handled here; the compound file around it is in olefile.h.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace marvono::biff {

// A worksheet has rows 0 to 65535.
inline constexpr int kSheetRows = 65536;
// A LABEL cell holds at most this many characters; longer texts are cut there.
inline constexpr int kMaxCellText = 255;

using TextRows = std::vector<QStringList>;

struct Sheet {
    QString name; // 1 to 31 characters
    TextRows rows;
};

// A workbook stream with these worksheets, each holding its rows as text cells from its first
// row on. Nothing when a sheet has more rows or columns than a worksheet holds.
std::optional<QByteArray> newWorkbook(const std::vector<Sheet>& sheets, QString* error = nullptr);
inline std::optional<QByteArray> newWorkbook(const QString& sheetName, const TextRows& rows, QString* error = nullptr)
{
    return newWorkbook({Sheet{sheetName, rows}}, error);
}

// `stream` with `rows` appended as text cells below the last used row of the worksheet named
// `sheetName` (letter case ignored). Nothing, and an error text, when the stream is not a BIFF8
// workbook, has no such worksheet, or the rows would run past the last row of the sheet.
std::optional<QByteArray> appendRows(const QByteArray& stream, const QString& sheetName, const TextRows& rows,
                                     QString* error = nullptr);

} // namespace marvono::biff
