#pragma once
// The printed bill: BillPrint.txt in the application folder, handed to the print command.
#include "bills/bill.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace marvono {

struct BillPrintout {
    QString shopName;
    QDateTime printedAt;
    QList<BillLine> lines; // as the editor shows them
    QString totalLabel;    // the total label's text as shown
    QString currencySymbol;
};

// The file's bytes: shop name, time, a rule, six lines per bill line and the total label, each
// line ending in CR LF.
QByteArray billPrintBytes(const BillPrintout& printout);
QString billPrintPath();

// Replaces BillPrint.txt and hands it to the print command. Printing is best effort: a file that
// cannot be written is still handed over, and nothing is reported.
void printBill(const BillPrintout& printout);

} // namespace marvono
