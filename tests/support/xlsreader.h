#pragma once
// Reads Excel 97-2003 workbooks back with a reader we did not write: Debian's python3-xlrd.
#include <QList>
#include <QString>
#include <QStringList>

namespace marvono::test {

struct XlsSheet {
    QString name;
    QList<QStringList> rows; // cell values as text, "" for empty cells, ragged rows padded
    int dimensionRows = -1;  // as the sheet's DIMENSIONS record gives them
    int dimensionColumns = -1;
    bool onlyText = true; // no cell holds a number, date, boolean or error
};

struct XlsBook {
    bool ok = false;
    QString error;
    QList<XlsSheet> sheets;
    const XlsSheet* sheet(const QString& name) const;
};

// Runs /usr/bin/python3 with xlrd on the file.
XlsBook readWithXlrd(const QString& path);

} // namespace marvono::test
