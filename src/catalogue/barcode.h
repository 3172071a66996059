#pragma once
// The barcodes on product labels: which symbology a product's code prints as, and the symbol as
// Zint encodes it, in plain shapes that any painter can draw.
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace marvono {

enum class Symbology { None, Ean13, Ean8, Code128 };

struct BarcodeChoice {
    Symbology symbology = Symbology::None;
    QString data;    // what Zint encodes: EAN digits without their check digit, else the code
    QString scanned; // what a scanner reads off the label
    // The digits a scanner reads when they are more than the code's, or why a code of EAN's length
    // prints as Code 128; empty when the label is simply the code.
    QString note;
};

// The EAN check digit of `body`, the digits before it.
int eanCheckDigit(QStringView body);

// 12 digits print as EAN-13 with the check digit added, 13 digits as EAN-13 when their last digit
// is the right check digit; 7 and 8 digits likewise as EAN-8. A wrong check digit or any other
// code prints as Code 128, and no code as nothing.
BarcodeChoice chooseBarcode(const QString& code);

// Short name of a symbology, as the labels window lists it.
QString symbologyName(Symbology symbology);

struct SymbolText {
    QPointF anchor; // on the text's baseline: its centre, left or right end as `align` says
    double size = 0;
    Qt::AlignmentFlag align = Qt::AlignHCenter;
    QString text;
};

// A symbol in Zint's own units, quiet zones and human-readable text included.
struct BarcodeSymbol {
    QSizeF size;
    QList<QRectF> bars;
    QList<SymbolText> texts;
    QString error; // why Zint refused the data; the symbol has no bars then
};

// Encodes the choice with Zint, its bars made as tall as gives the whole symbol `aspect` times its
// width in height, as far as Zint allows.
BarcodeSymbol encodeBarcode(const BarcodeChoice& choice, double aspect);

} // namespace marvono
