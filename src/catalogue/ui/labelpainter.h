#pragma once
// Paints product labels: one label into a rectangle, or every label onto the pages of a printer
// or PDF file as a sheet layout places them. Barcodes are drawn as shapes, so PDFs stay sharp.
#include "catalogue/labels.h"

#include <QRectF>
#include <QString>
#include <vector>

class QPainter;
class QPrinter;

namespace marvono {

struct BarcodeSymbol;

// Draws a Zint symbol scaled to fit `target`, centred in it, bars black on what lies beneath.
void paintSymbol(QPainter& painter, const BarcodeSymbol& symbol, const QRectF& target);

// Draws one label into `area`, given in device pixels of `dotsPerMm`; the price is shown with
// the currency symbol.
void paintLabel(QPainter& painter, const QRectF& area, double dotsPerMm, LabelKind kind, const LabelProduct& product,
                const QString& currencySymbol);

// Sets the printer's paper to the layout's page and paints every label on it; false, with why,
// when the printer or file cannot take them.
bool printLabels(QPrinter& printer, const SheetLayout& layout, LabelKind kind,
                 const std::vector<LabelProduct>& products, const QString& currencySymbol, QString* error);

} // namespace marvono
