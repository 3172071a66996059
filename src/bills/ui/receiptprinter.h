#pragma once
// Customer receipts on the desktop's printer or in a PDF file, on the paper chosen in Setup.
#include "bills/receipt.h"

class QWidget;

namespace marvono {

// Prints lines laid out as a receipt on the default printer, as the document `docName`; false,
// with the reason, when there is none or it refuses.
bool printTextLinesOnPrinter(const QString& docName, const std::function<QStringList(int)>& textLines, QString* error);
// Prints on the default printer; false, with the reason, when there is none or it refuses.
bool printReceiptOnPrinter(const Receipt& receipt, QString* error);

// The bill editor's and the receipts window's buttons: print, or ask for a file and save a PDF;
// a failure is shown with its reason.
void printReceiptFor(QWidget* parent, const Receipt& receipt);
void saveReceiptPdfFor(QWidget* parent, const Receipt& receipt);

} // namespace marvono
