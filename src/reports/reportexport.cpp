#include "reports/reportexport.h"

#include "app/quoteditems.h"
#include "reports/monthlyreport.h"
#include "reports/workbookfile.h"

#include <QFile>

namespace marvono {

QStringList reportColumnTitles()
{
    return reportTitles();
}

ExportResult exportReport(const QString& templatePath, const QString& destinationPath, const biff::TextRows& rows)
{
    ExportResult result;
    QFile templateFile(templatePath);
    if (!templateFile.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot open the template %1: %2").arg(templatePath, templateFile.errorString());
        return result;
    }
    const QByteArray templateBytes = templateFile.readAll();
    if (templateFile.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("Cannot read the template %1: %2").arg(templatePath, templateFile.errorString());
        return result;
    }
    const auto workbook = appendToWorkbookFile(templateBytes, kReportSheet, rows, &result.error);
    if (!workbook)
        return result;
    result.ok = writeFileAtomically(destinationPath, *workbook, &result.error);
    return result;
}

} // namespace marvono
