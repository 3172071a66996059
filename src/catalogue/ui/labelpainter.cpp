#include "catalogue/ui/labelpainter.h"

#include "app/numbers.h"
#include "catalogue/barcode.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace marvono {

namespace {

QFont labelFont(double pixelHeight, bool bold)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, int(pixelHeight)));
    font.setBold(bold);
    return font;
}

// One line of text filling `box` in height, elided to its width.
void drawLine(QPainter& painter, const QRectF& box, const QString& text, bool bold, Qt::Alignment align)
{
    const QFont font = labelFont(box.height() * 0.8, bold);
    painter.setFont(font);
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, box.width());
    painter.drawText(box, int(align | Qt::AlignVCenter), shown);
}

} // namespace

void paintSymbol(QPainter& painter, const BarcodeSymbol& symbol, const QRectF& target)
{
    if (symbol.size.isEmpty())
        return;
    const double scale = std::min(target.width() / symbol.size.width(), target.height() / symbol.size.height());
    const QPointF origin(target.center().x() - symbol.size.width() * scale / 2,
                         target.center().y() - symbol.size.height() * scale / 2);
    const auto place = [&](QPointF p) { return origin + p * scale; };
    for (const QRectF& bar : symbol.bars)
        painter.fillRect(QRectF(place(bar.topLeft()), bar.size() * scale), Qt::black);
    painter.setPen(Qt::black);
    for (const SymbolText& text : symbol.texts) {
        // A little under Zint's size: its digits are narrower and shorter than a sans serif's.
        const QFont font = labelFont(text.size * scale * 0.9, false);
        painter.setFont(font);
        const double width = QFontMetricsF(font).horizontalAdvance(text.text);
        QPointF at = place(text.anchor);
        if (text.align == Qt::AlignHCenter)
            at.rx() -= width / 2;
        else if (text.align == Qt::AlignRight)
            at.rx() -= width;
        painter.drawText(at, text.text);
    }
}

void paintLabel(QPainter& painter, const QRectF& area, double dotsPerMm, LabelKind kind, const LabelProduct& product,
                const QString& currencySymbol)
{
    const double pad = std::min(2 * dotsPerMm, area.height() * 0.06);
    const QRectF inner = area.adjusted(pad, pad, -pad, -pad);
    const BarcodeChoice choice = chooseBarcode(product.code);
    const bool withBarcode = choice.symbology != Symbology::None;
    const QString price = moneyText(product.price, currencySymbol);
    painter.save();
    painter.setPen(Qt::black);
    double top = inner.top();
    const auto band = [&](double share) {
        const QRectF box(inner.left(), top, inner.width(), inner.height() * share);
        top += box.height();
        return box;
    };
    if (kind == LabelKind::Shelf) {
        drawLine(painter, band(withBarcode ? 0.2 : 0.35), product.name, true, Qt::AlignLeft);
        drawLine(painter, band(withBarcode ? 0.26 : 0.5), price, true, Qt::AlignRight);
    } else {
        drawLine(painter, band(withBarcode ? 0.28 : 0.8), price, true, Qt::AlignHCenter);
    }
    if (withBarcode) {
        const QRectF rest(inner.left(), top, inner.width(), inner.bottom() - top);
        paintSymbol(painter, encodeBarcode(choice, rest.height() / rest.width()), rest);
    }
    painter.restore();
}

bool printLabels(QPrinter& printer, const SheetLayout& layout, LabelKind kind,
                 const std::vector<LabelProduct>& products, const QString& currencySymbol, QString* error)
{
    // Label sheets are printed edge to edge: the layout places every label from the paper's corner.
    printer.setFullPage(true);
    const bool wide = layout.page.width() > layout.page.height();
    const QPageSize size(wide ? layout.page.transposed() : layout.page, QPageSize::Millimeter, layout.name);
    if (!printer.setPageLayout(QPageLayout(size, wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                                           QPageLayout::Millimeter))) {
        if (error)
            *error = QStringLiteral("The printer does not take paper of %1 x %2 mm.")
                         .arg(layout.page.width())
                         .arg(layout.page.height());
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = QStringLiteral("The printer or file could not be opened.");
        return false;
    }
    const double dotsPerMm = printer.resolution() / 25.4;
    const std::vector<LabelPlace> places = placeLabels(layout, int(products.size()));
    for (size_t i = 0; i < places.size(); ++i) {
        if (i > 0 && places[i].page != places[i - 1].page)
            printer.newPage();
        const QRectF area(places[i].rect.topLeft() * dotsPerMm, places[i].rect.size() * dotsPerMm);
        paintLabel(painter, area, dotsPerMm, kind, products[i], currencySymbol);
    }
    if (!painter.end()) {
        if (error)
            *error = QStringLiteral("The printer or file refused the labels.");
        return false;
    }
    return true;
}

} // namespace marvono
