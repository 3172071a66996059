#pragma once
// Writes report lines into a copy of the report template workbook.
#include "reports/biff.h"

namespace marvono {

// The template's worksheet that receives the lines.
inline const QString kReportSheet = QStringLiteral("sheet1");
// Titles of the template's first row: the report list's column titles.
QStringList reportColumnTitles();

struct ExportResult {
    bool ok = false;
    QString error;
};

// Copies the workbook at templatePath to destinationPath with `rows` appended to its worksheet
// sheet1, below the rows already there, in order. The file is built completely and then moved
// into place, so on any failure the destination is left exactly as it was.
ExportResult exportReport(const QString& templatePath, const QString& destinationPath, const biff::TextRows& rows);

} // namespace marvono
