#include "bills/ui/receiptprinter.h"

#include "app/appcontext.h"
#include "controls/ui/dialogs.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace marvono {

bool printTextLinesOnPrinter(const QString& docName, const std::function<QStringList(int)>& textLines, QString* error)
{
    const QPrinterInfo target = QPrinterInfo::defaultPrinter();
    if (target.isNull()) {
        if (error)
            *error = QStringLiteral("No printer is set up on this computer; %1 can be saved as PDF.").arg(docName);
        return false;
    }
    QPrinter printer(target, QPrinter::HighResolution);
    printer.setDocName(docName);
    if (!printer.isValid()) {
        if (error)
            *error = QStringLiteral("The printer %1 cannot be used.").arg(target.printerName());
        return false;
    }
    return paintTextLines(printer, readReceiptPaper(), textLines, error);
}

bool printReceiptOnPrinter(const Receipt& receipt, QString* error)
{
    return printTextLinesOnPrinter(
        QStringLiteral("Receipt %1").arg(receipt.number),
        [&](int columns) {
            return receiptTextLines(receipt, runValues().shopName, runValues().currencySymbol, columns);
        },
        error);
}

void printReceiptFor(QWidget* parent, const Receipt& receipt)
{
    QString error;
    if (!printReceiptOnPrinter(receipt, &error))
        warn(parent, QStringLiteral("Error"), QStringLiteral("(Receipt)Print error\n") + error);
}

void saveReceiptPdfFor(QWidget* parent, const Receipt& receipt)
{
    const QString path =
        chooseFile(parent, FileDialogMode::Save, QStringLiteral("CDReceipt"), QStringLiteral("Save receipt"),
                   QStringLiteral("PDF file(*.pdf)|*.pdf"), QStringLiteral("receipt-%1.pdf").arg(receipt.number));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveReceiptPdf(path, readReceiptPaper(), receipt, runValues().shopName, runValues().currencySymbol, &error))
        warn(parent, QStringLiteral("Error"), QStringLiteral("(Receipt)Save error\n") + error);
}

} // namespace marvono
