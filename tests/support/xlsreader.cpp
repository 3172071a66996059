#include "support/xlsreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace marvono::test {
namespace {

const char* const kScript = R"py(
import json, sys, xlrd
try:
    book = xlrd.open_workbook(sys.argv[1])
except Exception as error:
    print(json.dumps({"error": "%s: %s" % (type(error).__name__, error)}))
    sys.exit(0)
sheets = []
for sheet in book.sheets():
    rows = []
    only_text = True
    for r in range(sheet.nrows):
        row = []
        for c in range(sheet.ncols):
            kind = sheet.cell_type(r, c)
            if kind not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_TEXT, xlrd.XL_CELL_BLANK):
                only_text = False
            row.append("%s" % sheet.cell_value(r, c))
        rows.append(row)
    sheets.append({"name": sheet.name, "rows": rows, "onlyText": only_text,
                   "dimRows": getattr(sheet, "_dimnrows", -1), "dimCols": getattr(sheet, "_dimncols", -1)})
print(json.dumps({"sheets": sheets}))
)py";

} // namespace

const XlsSheet* XlsBook::sheet(const QString& name) const
{
    for (const XlsSheet& candidate : sheets) {
        if (candidate.name == name)
            return &candidate;
    }
    return nullptr;
}

XlsBook readWithXlrd(const QString& path)
{
    XlsBook book;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kScript), path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        book.error = QStringLiteral("xlrd did not run: ") + QString::fromUtf8(python.readAllStandardError());
        return book;
    }
    const QJsonObject result = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    if (result.contains(QStringLiteral("error"))) {
        book.error = result.value(QStringLiteral("error")).toString();
        return book;
    }
    for (const QJsonValue& value : result.value(QStringLiteral("sheets")).toArray()) {
        const QJsonObject object = value.toObject();
        XlsSheet sheet;
        sheet.name = object.value(QStringLiteral("name")).toString();
        sheet.onlyText = object.value(QStringLiteral("onlyText")).toBool();
        sheet.dimensionRows = object.value(QStringLiteral("dimRows")).toInt(-1);
        sheet.dimensionColumns = object.value(QStringLiteral("dimCols")).toInt(-1);
        for (const QJsonValue& row : object.value(QStringLiteral("rows")).toArray()) {
            QStringList cells;
            for (const QJsonValue& cell : row.toArray())
                cells.append(cell.toString());
            sheet.rows.append(cells);
        }
        book.sheets.append(sheet);
    }
    book.ok = true;
    return book;
}

} // namespace marvono::test
