#include "bills/billprint.h"

#include "app/appcontext.h"
#include "history/historyfiles.h"

#include <QFile>

namespace marvono {

QByteArray billPrintBytes(const BillPrintout& printout)
{
    QStringList out;
    out << printout.shopName << QStringLiteral("Time: ") + dateTimeText(printout.printedAt)
        << QString(33, QLatin1Char('='));
    const QString& symbol = printout.currencySymbol;
    for (const BillLine& line : printout.lines) {
        out << QStringLiteral("Time: ") + line.time << QStringLiteral("Product: ") + line.product
            << QStringLiteral("Quantity: ") + line.quantity + QStringLiteral(" Unit(s)")
            << QStringLiteral("Unit Price: ") + symbol + line.unitPrice
            << QStringLiteral("Sub-Total: ") + symbol + line.subTotal << QStringLiteral(" ");
    }
    out << printout.totalLabel;
    QByteArray bytes;
    for (const QString& line : std::as_const(out))
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QString billPrintPath()
{
    return appPath(QStringLiteral("BillPrint.txt"));
}

void printBill(const BillPrintout& printout, QObject* context, PrintFailed onFailure)
{
    const QString path = billPrintPath();
    // The old printout goes first, so a failed write never sends a previous bill to the printer.
    QFile::remove(path);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        file.write(billPrintBytes(printout));
    file.close();
    printTextFile(path, context, std::move(onFailure));
}

} // namespace marvono
