#include "sales/ui/scansale.h"

#include "app/appcontext.h"
#include "bills/ui/cashdialogs.h"
#include "catalogue/products.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>

namespace marvono {
namespace {

// A tint laid over the message pane for a moment: the operator sees the sale land without
// looking for the receipt.
void flash(QPlainTextEdit* pane)
{
    auto* tint = new QWidget(pane);
    tint->setObjectName(QStringLiteral("scanFlash"));
    tint->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette green = tint->palette();
    green.setColor(QPalette::Window, QColor(0, 200, 0, 70));
    tint->setPalette(green);
    tint->setAutoFillBackground(true);
    tint->setGeometry(pane->rect());
    tint->show();
    tint->raise();
    QTimer::singleShot(250, tint, &QObject::deleteLater);
}

ScanOutcome refuse(ShopWindow& main, const QString& title, const QString& text)
{
    warn(main.mainWindow(), title, text);
    return ScanOutcome::Refused;
}

ScanOutcome refuseUnknown(ShopWindow& main, const QString& code)
{
    return refuse(main, QStringLiteral("Warning"), QStringLiteral("No product has the code %1").arg(code));
}

} // namespace

void appendSaleReceipt(ShopWindow& main, const SaleResult& sale, const QString& quantityText)
{
    QPlainTextEdit* pane = main.historyPane();
    pane->setPlainText(pane->toPlainText() + saleReceiptText(sale.productName, sale.price, sale.charge, quantityText,
                                                             runValues().currencySymbol, Clock::now()));
    // Setting the text scrolls back to the top; the receipt just added is the one to see.
    pane->moveCursor(QTextCursor::End);
    pane->ensureCursorVisible();
}

ScanOutcome sellScannedCode(ShopWindow& main, const QString& text)
{
    const std::optional<QStringList> products = productsWithCode(text);
    if (!products || products->size() != 1) {
        if (!looksLikeBarcode(text))
            return ScanOutcome::NotACode;
        if (!products)
            return refuse(main, QStringLiteral("Error"), QStringLiteral("(SCSP)Sell error"));
        if (products->isEmpty())
            return refuseUnknown(main, text);
        return refuse(
            main, QStringLiteral("Warning"),
            QStringLiteral("%1 products have the code %2: choose one in the list").arg(products->size()).arg(text));
    }

    // The buyer the sell dialog books to: the one chosen for the run.
    const QString one = QStringLiteral("1");
    if (!shiftOpenFor(main.mainWindow()))
        return ScanOutcome::Refused;
    const SaleResult sale = bookSale(products->first(), one);
    switch (sale.outcome) {
    case SaleOutcome::Sold:
        break;
    case SaleOutcome::NotEnoughStock:
        return refuse(main, QStringLiteral("Warning"),
                      QStringLiteral("%1 is out of stock: nothing was sold").arg(products->first()));
    case SaleOutcome::NoProduct: // deleted since the code was looked up
        return refuseUnknown(main, text);
    case SaleOutcome::NotBooked:
    case SaleOutcome::Unconfirmed:
        return refuse(main, QStringLiteral("Error"), connectionLossText(sale.outcome));
    case SaleOutcome::BadQuantity:
    case SaleOutcome::Failed:
        return refuse(main, QStringLiteral("Error"), QStringLiteral("(SCSP)Sell error"));
    }

    appendSaleReceipt(main, sale, one);
    QApplication::beep();
    flash(main.historyPane());
    showNamedProduct(main, products->first());
    // The window stays enabled so that the search box keeps the focus for the next scan.
    main.requestRefresh(false);
    return ScanOutcome::Sold;
}

} // namespace marvono
