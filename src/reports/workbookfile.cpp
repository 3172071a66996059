#include "reports/workbookfile.h"

#include "reports/olefile.h"

namespace marvono {

std::optional<QByteArray> newWorkbookFile(const QString& sheetName, const biff::TextRows& rows, QString* error)
{
    const auto stream = biff::newWorkbook(sheetName, rows, error);
    if (!stream)
        return std::nullopt;
    return ole::singleStreamFile(ole::kWorkbookStream, *stream, error);
}

std::optional<QByteArray> appendToWorkbookFile(const QByteArray& workbook, const QString& sheetName,
                                               const biff::TextRows& rows, QString* error)
{
    return ole::changeStream(
        workbook, ole::kWorkbookStream,
        [&](const QByteArray& stream, QString* streamError) {
            return biff::appendRows(stream, sheetName, rows, streamError);
        },
        error);
}

} // namespace marvono
