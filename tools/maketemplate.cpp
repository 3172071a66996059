// Writes the report template: a workbook whose worksheet sheet1 holds the column titles in its first row.
#include "app/quoteditems.h"
#include "reports/monthlyreport.h"
#include "reports/reportexport.h"
#include "reports/workbookfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: marvono-maketemplate PATH/report.rpt\n");
        return 2;
    }
    QString error;
    const auto workbook = marvono::newWorkbookFile(marvono::kReportSheet, {marvono::reportTitles()}, &error);
    const QString path = args.at(1);
    if (!workbook || !QDir().mkpath(QFileInfo(path).absolutePath()) ||
        !marvono::writeFileAtomically(path, *workbook, &error)) {
        std::fprintf(stderr, "marvono-maketemplate: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
