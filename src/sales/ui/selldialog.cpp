#include "sales/ui/selldialog.h"

#include "app/appcontext.h"
#include "bills/buyerlist.h"
#include "bills/ui/buyerchooser.h"
#include "bills/ui/cashdialogs.h"
#include "controls/ui/amountbox.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "data/recordset.h"
#include "sales/sale.h"
#include "sales/ui/scansale.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace marvono {
namespace {

QLineEdit* addBox(QWidget* parent, const QString& objectName, const QRect& geometry, bool readOnly)
{
    QLineEdit* box = makeLineEdit(parent, objectName, geometry);
    if (readOnly) {
        box->setReadOnly(true);
        QPalette grey = box->palette();
        grey.setColor(QPalette::Base, grey.color(QPalette::Button));
        box->setPalette(grey);
    }
    return box;
}

} // namespace

SellDialog::SellDialog(QWidget* parent) : QDialog(parent)
{
    buildControls();
    load();
}

void SellDialog::buildControls()
{
    setObjectName(QStringLiteral("frmSCSP"));
    setWindowTitle(QStringLiteral("sale"));
    setFixedSize(XPContainer::twips(0, 0, 5400, 3600).size());

    m_container = new XPContainer(this, QStringLiteral("Add to Cart"));
    m_container->setObjectName(QStringLiteral("XPContainer1"));
    m_container->setGeometry(rect());

    m_buyers = new QComboBox(m_container);
    m_buyers->setObjectName(QStringLiteral("cmbTable"));
    m_buyers->hide();
    m_product = new QLineEdit(m_container);
    m_product->setObjectName(QStringLiteral("Text1"));
    m_product->hide();

    makeLabel(m_container, QStringLiteral("Label2"), QStringLiteral("Product Name:"),
              XPContainer::twips(300, 600, 1500, 300));
    m_name = addBox(m_container, QStringLiteral("txtName"), XPContainer::twips(1800, 570, 3000, 330), true);
    makeLabel(m_container, QStringLiteral("Label3"), QStringLiteral("Price:"),
              XPContainer::twips(300, 1080, 1500, 300));
    m_price = addBox(m_container, QStringLiteral("txtOutPrice"), XPContainer::twips(1800, 1050, 2100, 330), true);
    m_symbol = makeLabel(m_container, QStringLiteral("Label7"), QStringLiteral("USD"),
                         XPContainer::twips(3990, 1080, 900, 300));
    makeLabel(m_container, QStringLiteral("Label4"), QStringLiteral("Quantity:"),
              XPContainer::twips(300, 1560, 1500, 300));
    m_quantity = addBox(m_container, QStringLiteral("txtSellQty"), XPContainer::twips(1800, 1530, 2100, 330), false);
    makeLabel(m_container, QStringLiteral("Label5"), QStringLiteral("Unit(s)"),
              XPContainer::twips(3990, 1560, 900, 300));

    m_ok = makeButton(m_container, QStringLiteral("cmdOK"), QStringLiteral("    Sell   "));
    m_ok->setGeometry(XPContainer::twips(900, 2250, 1500, 450));
    m_cancel = makeButton(m_container, QStringLiteral("cmdCancel"), QStringLiteral(" Cancel"));
    m_cancel->setGeometry(XPContainer::twips(3000, 2250, 1500, 450));
    // Under the buttons, so that everything above stays where the operator knows it.
    makeLabel(m_container, QStringLiteral("lblBuyerChoice"), QStringLiteral("Buyer:"),
              XPContainer::twips(300, 2910, 1500, 300));
    m_buyer = new BuyerChooser(m_container);
    m_buyer->setGeometry(XPContainer::twips(1800, 2865, 3000, 360));
    setTabOrder(m_quantity, m_buyer);
    setTabOrder(m_buyer, m_ok);
    // The main window's key for its buyer works here too: this window takes the keys while open.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this), &QShortcut::activated, m_buyer,
            [this]() { m_buyer->setFocus(Qt::ShortcutFocusReason); });

    connect(m_ok, &QPushButton::clicked, this, &SellDialog::sell);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, m_cancel);
    // Enter sells only a typed quantity: an empty box would pass as a sale of none. The Sell
    // button itself still takes the empty box as it always has.
    connect(m_quantity, &QLineEdit::returnPressed, this, [this]() {
        if (!m_quantity->text().isEmpty())
            m_ok->click();
    });
    guardAgainstScans(m_quantity, QStringLiteral("Quantity"));
    // The quantity is the one thing the operator types here.
    m_quantity->setFocus();
}

void SellDialog::load()
{
    m_container->setTheme(runValues().themeIndex);
    m_symbol->setText(runValues().currencySymbol);

    // Entry 0 stays current whatever buyer is chosen: the sale goes to cmbBuyer's.
    m_buyers->addItems(readBuyerList());
    if (m_buyers->count() > 0)
        m_buyers->setCurrentIndex(0);

    // The product is fixed now: later selections in the main list do not change it.
    if (ShopWindow* main = ShopWindow::current())
        m_product->setText(main->selectedProductName());

    auto product = ExecSQL(QStringLiteral("select * from product_info where cName=?"), {m_product->text()});
    if (!product) {
        // Empty boxes would offer a sale at a price nobody was shown.
        m_ok->setEnabled(false);
        QMetaObject::invokeMethod(
            this,
            [this]() {
                warn(this, QStringLiteral("Error"),
                     QStringLiteral("(SCSP)The product could not be loaded from the shop database: nothing was sold. "
                                    "Open the sale again."));
                close();
            },
            Qt::QueuedConnection);
        return;
    }
    if (!product->isEof()) {
        m_name->setText(product->text(0));
        m_price->setText(product->text(3));
    }
}

void SellDialog::sell()
{
    const QString quantity = m_quantity->text();
    if (!isQuantityText(quantity)) {
        warn(this, QStringLiteral("Warning"), QStringLiteral("Please type a number"));
        return;
    }
    if (refuseScannedCode(m_quantity, QStringLiteral("Quantity")) || !shiftOpenFor(this))
        return;
    const SaleResult result = bookSale(SaleRequest{m_product->text(), quantity, m_buyer->buyer().name});
    QString lost;
    switch (result.outcome) {
    case SaleOutcome::Sold:
        if (result.confirmedAfterLoss)
            lost = QStringLiteral("The connection to the shop server was lost while the sale was saved; connected "
                                  "again, the server has it: the sale was booked.\r\n");
        break;
    case SaleOutcome::NoProduct:
        requestListRefresh();
        return;
    case SaleOutcome::NotEnoughStock:
        warn(this, QStringLiteral("Warning"), QStringLiteral("There is no enough this products!"));
        return;
    case SaleOutcome::NotBooked:
    case SaleOutcome::Unconfirmed:
        warn(this, QStringLiteral("Error"), connectionLossText(result.outcome));
        return;
    case SaleOutcome::BadQuantity:
    case SaleOutcome::Failed:
        // A lock another till held too long, or a statement the server ended: nothing is booked.
        if (const int waited = Database::instance().lockWaitMs(); waited >= 0)
            warn(this, QStringLiteral("Error"),
                 QStringLiteral("(SCSP)The shop server is busy: another till holds this product, and this till "
                                "waited %1 s for it. The sale was not booked. Please try again.")
                     .arg(QString::number(waited / 1000.0, 'f', 1)));
        else if (Database::instance().serverBusy())
            warn(this, QStringLiteral("Error"),
                 QStringLiteral("(SCSP)The shop server is busy: the sale was not booked. Please try again."));
        else
            warn(this, QStringLiteral("Error"), QStringLiteral("(SCSP)Sell error"));
        return;
    }

    const QString symbol = runValues().currencySymbol;
    showMessage(this, QMessageBox::Warning, QStringLiteral("OK"),
                lost + saleConfirmationText(quantity, result.storedPrice, result.charge, symbol));
    if (ShopWindow* main = ShopWindow::current())
        appendSaleReceipt(*main, result, quantity);
    close();
    requestListRefresh();
}

void SellDialog::requestListRefresh()
{
    if (ShopWindow* main = ShopWindow::current())
        main->requestRefresh(true);
}

} // namespace marvono
