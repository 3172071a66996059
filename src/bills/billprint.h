#pragma once
// The printed bill: BillPrint.txt in the application folder, handed to the print command.
#include "bills/bill.h"
#include "history/historyfiles.h"

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

// Replaces BillPrint.txt and hands it to the print command. A file that cannot be written is
// still handed over; `onFailure` runs later, while `context` lives, when the command cannot be
// started or exits with failure.
void printBill(const BillPrintout& printout, QObject* context = nullptr, PrintFailed onFailure = {});

} // namespace marvono
