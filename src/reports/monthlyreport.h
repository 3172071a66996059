#pragma once
// The monthly report: one line per row of the daily sales ledger (PanDian) of a month.
#include <QString>
#include <QStringList>
#include <vector>

namespace marvono {

// A ledger row as the report lists it.
struct ReportLine {
    QString year, month, day; // as stored
    QString product;
    QString quantity;
    QString price;
    double margin = 0;
    QString symbol; // the currency symbol written before the price
};

// Titles of the report list, and of the exported workbook's columns.
QStringList reportTitles();
// The text of one column: date ("2009-7-5"), product, quantity with "Unit(s)", price after the
// symbol, margin.
QString reportCell(const ReportLine& line, int column);
// All five texts.
QStringList reportTexts(const ReportLine& line);

// A row whose price, purchase price or quantity is empty, or whose margin overflows, fails the
// lines and stops them; a query that fails lists nothing.
struct ReportLines {
    std::vector<ReportLine> lines;
    bool failed = false; // lines holds those before the failure
};

// The given month of every year in the ledger.
ReportLines monthOfEveryYear(int month, const QString& symbol);

// The month and year typed or chosen, read as numbers: a fractional value finds no rows, a text
// that is no number is a failure.
ReportLines monthOfYear(const QString& monthText, const QString& yearText, const QString& symbol);

} // namespace marvono
