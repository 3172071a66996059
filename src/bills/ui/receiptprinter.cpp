#include "bills/ui/receiptprinter.h"

#include "app/appcontext.h"
#include "bills/escpos.h"
#include "bills/thermalprinter.h"
#include "controls/ui/dialogs.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace marvono {

namespace {

struct PaperLayout {
    double widthMm;
    double marginMm;
    double pointSize;
};

PaperLayout paperLayout(ReceiptPaper paper)
{
    switch (paper) {
    case ReceiptPaper::Roll58:
        return {58, 3, 7.5};
    case ReceiptPaper::A4:
        return {210, 20, 10};
    case ReceiptPaper::Roll80:
        break;
    }
    return {80, 4, 9};
}

} // namespace

bool paintTextLines(QPagedPaintDevice& device, ReceiptPaper paper, const std::function<QStringList(int)>& textLines,
                    QString* error)
{
    const PaperLayout layout = paperLayout(paper);
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(layout.pointSize);
    const QFontMetricsF metrics(font, &device);
    const double dotsPerMm = device.logicalDpiX() / 25.4;
    const double charWidth = std::max(1.0, metrics.horizontalAdvance(QLatin1Char('0')));
    const int columns = int((layout.widthMm - 2 * layout.marginMm) * dotsPerMm / charWidth);
    const QStringList lines = textLines(std::min(columns, 64));
    const double lineMm = metrics.lineSpacing() / (device.logicalDpiY() / 25.4);

    const QPageSize size = paper == ReceiptPaper::A4
                               ? QPageSize(QPageSize::A4)
                               : QPageSize(QSizeF(layout.widthMm, lines.size() * lineMm + 2 * layout.marginMm),
                                           QPageSize::Millimeter, receiptPaperName(paper) + QStringLiteral(" roll"));
    const QMarginsF margins(layout.marginMm, layout.marginMm, layout.marginMm, layout.marginMm);
    if (!device.setPageLayout(QPageLayout(size, QPageLayout::Portrait, margins, QPageLayout::Millimeter))) {
        if (error)
            *error = QStringLiteral("The printer does not take %1 paper.").arg(receiptPaperName(paper));
        return false;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("The printer or file could not be opened.");
        return false;
    }
    painter.setFont(font);
    const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    double y = metrics.ascent();
    for (const QString& line : lines) {
        if (y > page.height()) {
            device.newPage();
            y = metrics.ascent();
        }
        painter.drawText(QPointF(0, y), line);
        y += metrics.lineSpacing();
    }
    if (!painter.end()) {
        if (error)
            *error = QStringLiteral("The printer or file refused the page.");
        return false;
    }
    return true;
}

bool saveTextLinesPdf(const QString& path, const QString& title, ReceiptPaper paper,
                      const std::function<QStringList(int)>& textLines, QString* error)
{
    // QPdfWriter says nothing of why a file cannot be written; opening it first does.
    {
        QFile probe(path);
        const bool existed = probe.exists();
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            if (error)
                *error = QStringLiteral("Cannot write %1: %2").arg(path, probe.errorString());
            return false;
        }
        probe.close();
        if (!existed)
            probe.remove();
    }
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("Marvono"));
    writer.setTitle(title);
    return paintTextLines(writer, paper, textLines, error);
}

bool saveReceiptPdf(const QString& path, ReceiptPaper paper, const Receipt& receipt, const QString& shopName,
                    const ShopIdentity& identity, const QString& currencySymbol, QString* error)
{
    return saveTextLinesPdf(
        path, QStringLiteral("Receipt %1").arg(receipt.number), paper,
        [&](int columns) { return receiptTextLines(receipt, shopName, identity, currencySymbol, columns); }, error);
}

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
    const ShopIdentity identity = readShopIdentity();
    return printTextLinesOnPrinter(
        QStringLiteral("Receipt %1").arg(receipt.number),
        [&](int columns) {
            return receiptTextLines(receipt, runValues().shopName, identity, runValues().currencySymbol, columns);
        },
        error);
}

namespace {

bool sendReceipt(QWidget* parent, const ReceiptPrinter& printer, const Receipt& receipt, bool justPaid)
{
    return sendToReceiptPrinterFor(
        parent, printer,
        escPosReceipt(receipt, runValues().shopName, readShopIdentity(), runValues().currencySymbol, printer.columns,
                      justPaid),
        QStringLiteral("Receipt No. %1 is stored: print it again from the Receipts window.").arg(receipt.number));
}

} // namespace

bool sendToReceiptPrinterFor(QWidget* parent, const ReceiptPrinter& printer, const QByteArray& bytes,
                             const QString& kept)
{
    QString error;
    if (sendToPrinter(printer.target, bytes, &error))
        return true;
    warn(parent, QStringLiteral("Receipt printer"), error + QLatin1Char('\n') + kept);
    return false;
}

void printPaidReceiptFor(QWidget* parent, const Receipt& receipt)
{
    const ReceiptPrinter printer = readReceiptPrinter();
    if (printer.escPos)
        sendReceipt(parent, printer, receipt, true);
}

void printReceiptFor(QWidget* parent, const Receipt& receipt)
{
    const ReceiptPrinter printer = readReceiptPrinter();
    if (printer.escPos) {
        sendReceipt(parent, printer, receipt, false);
        return;
    }
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
    if (!saveReceiptPdf(path, readReceiptPaper(), receipt, runValues().shopName, readShopIdentity(),
                        runValues().currencySymbol, &error))
        warn(parent, QStringLiteral("Error"), QStringLiteral("(Receipt)Save error\n") + error);
}

} // namespace marvono
