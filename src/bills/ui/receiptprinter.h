#pragma once
// Customer receipts on the desktop's printer or in a PDF file, on the paper chosen in Setup, or on
// the ESC/POS printer chosen there.
#include "bills/receipt.h"
#include "bills/thermalprinter.h"

#include <functional>

class QPagedPaintDevice;
class QWidget;

namespace marvono {

// Lays out lines made for a width of so many characters on a printer or PDF writer that is not yet
// painting: the page is set to the paper (a roll as long as the lines need), then the text is
// drawn. False, with the reason, when the device refuses.
bool paintTextLines(QPagedPaintDevice& device, ReceiptPaper paper, const std::function<QStringList(int)>& textLines,
                    QString* error);
// Writes such lines as a PDF file with that title.
bool saveTextLinesPdf(const QString& path, const QString& title, ReceiptPaper paper,
                      const std::function<QStringList(int)>& textLines, QString* error);
// Writes the receipt as a PDF file.
bool saveReceiptPdf(const QString& path, ReceiptPaper paper, const Receipt& receipt, const QString& shopName,
                    const ShopIdentity& identity, const QString& currencySymbol, QString* error);

// Prints lines laid out as a receipt on the default printer, as the document `docName`; false,
// with the reason, when there is none or it refuses.
bool printTextLinesOnPrinter(const QString& docName, const std::function<QStringList(int)>& textLines, QString* error);
// Prints on the default printer; false, with the reason, when there is none or it refuses.
bool printReceiptOnPrinter(const Receipt& receipt, QString* error);

// The bill editor's and the receipts window's buttons: print (on the printer chosen in Setup), or
// ask for a file and save a PDF; a failure is shown with its reason.
void printReceiptFor(QWidget* parent, const Receipt& receipt);
// Just after a bill is paid: an ESC/POS printer prints the receipt at once and, for cash, opens
// the drawer; the desktop's printing waits for Print Receipt.
void printPaidReceiptFor(QWidget* parent, const Receipt& receipt);
// Sends ESC/POS bytes to `printer`, the one chosen in Setup; a failure is shown under "Receipt
// printer" with its reason and `kept`, where the paper can be printed again. False on failure.
bool sendToReceiptPrinterFor(QWidget* parent, const ReceiptPrinter& printer, const QByteArray& bytes,
                             const QString& kept);
void saveReceiptPdfFor(QWidget* parent, const Receipt& receipt);

} // namespace marvono
