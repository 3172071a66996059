#include "bills/ui/billwindow.h"

#include "app/appcontext.h"
#include "bills/billprint.h"
#include "bills/buyerlist.h"
#include "bills/ui/billtotal.h"
#include "bills/ui/buyerchooser.h"
#include "bills/ui/cashdialogs.h"
#include "bills/ui/receiptprinter.h"
#include "controls/ui/amountbox.h"
#include "controls/ui/approval.h"
#include "controls/ui/columnfit.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "sales/sale.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace marvono {
BillWindow::BillWindow(QWidget* parent) : QDialog(parent)
{
    buildControls();
    load();
}

void BillWindow::buildControls()
{
    setObjectName(QStringLiteral("frmBill"));
    setWindowTitle(QStringLiteral("Bill"));
    // The discount row sits under the bill's own controls.
    setFixedSize(XPContainer::twips(0, 0, 10200, 6840).size());

    m_container = new XPContainer(this, QStringLiteral("Payment"));
    m_container->setObjectName(QStringLiteral("XPContainer1"));
    m_container->setGeometry(rect());
    buildList();
    buildLineBoxes();
    buildPayment();
    buildButtons();
    buildDiscounts();
    pressOnEscape(this, findChild<QPushButton*>(QStringLiteral("cmdExit")));
    for (const NumberBox& number : numberBoxes())
        guardAgainstScans(number.box, number.name);
    guardAgainstScans(m_received, QStringLiteral("Received"));
    guardAgainstScans(m_card, QStringLiteral("Card"));
    guardAgainstScans(m_other, QStringLiteral("Other"));
    for (QLineEdit* box : {m_received, m_card, m_other})
        connect(box, &QLineEdit::returnPressed, this, &BillWindow::payBill);
    const struct {
        const char* name;
        const char* text;
        Qt::Key key;
        PayWay way;
    } keys[] = {{"actPayCash", "Pay the whole bill in cash", Qt::Key_F8, PayWay::ExactCash},
                {"actPayCard", "Pay the whole bill by card", Qt::Key_F9, PayWay::WholeByCard}};
    for (const auto& design : keys) {
        auto* action = new QAction(QString::fromLatin1(design.text), this);
        action->setObjectName(QString::fromLatin1(design.name));
        action->setShortcut(QKeySequence(design.key));
        addAction(action);
        connect(action, &QAction::triggered, this, [this, way = design.way] { pay(way); });
    }
    connect(m_list, &QTreeWidget::itemClicked, this, &BillWindow::lineClicked);
    connect(m_chooser, &BuyerChooser::buyerChanged, this, &BillWindow::showBuyer);
}

// The bill's lines, whose buyer they are and the choice of buyer.
void BillWindow::buildList()
{
    m_buyers = new QComboBox(m_container);
    m_buyers->setObjectName(QStringLiteral("cmbTable"));
    m_buyers->hide();
    m_key = new QLineEdit(m_container);
    m_key->setObjectName(QStringLiteral("Text1"));
    m_key->hide();

    makeLabel(m_container, QStringLiteral("Label9"), QStringLiteral("Bill:"), XPContainer::twips(240, 450, 1500, 300));
    // Beside "Bill:", over the list's right half: the operator must see whose bill this is.
    m_buyer = makeLabel(m_container, QStringLiteral("lblBuyer"), QString(), XPContainer::twips(1800, 450, 4440, 300));
    m_buyer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Above the boxes, level with lblBuyer.
    makeLabel(m_container, QStringLiteral("lblBuyerChoice"), QStringLiteral("Buyer:"),
              XPContainer::twips(6450, 420, 1200, 300));
    m_chooser = new BuyerChooser(m_container);
    m_chooser->setGeometry(XPContainer::twips(7650, 375, 1800, 345));
    m_list = new QTreeWidget(m_container);
    m_list->setObjectName(QStringLiteral("LV"));
    m_list->setGeometry(XPContainer::twips(240, 750, 6000, 4500));
    m_list->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Product"), QStringLiteral("Quantity"),
                             QStringLiteral("Unit Price"), QStringLiteral("Sub-Total")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setDefaultSectionSize(XPContainer::twips(0, 0, 1170, 0).width());
    keepColumnsFitted(m_list);
}

// The boxes of the line being added or changed, right of the list.
void BillWindow::buildLineBoxes()
{
    const struct {
        const char* label;
        const char* text;
        QLineEdit** box;
        const char* name;
    } boxes[] = {
        {"Label2", "Time:", &m_time, "txtTime"},           {"Label3", "Product:", &m_product, "txtFood"},
        {"Label4", "Quantity:", &m_quantity, "txtQty"},    {"Label5", "Unit Price:", &m_unitPrice, "txtUprice"},
        {"Label6", "Sub-Total:", &m_subTotal, "txtPrice"},
    };
    int top = 750;
    for (const auto& design : boxes) {
        makeLabel(m_container, QString::fromLatin1(design.label), QString::fromLatin1(design.text),
                  XPContainer::twips(6450, top + 30, 1200, 300));
        *design.box =
            makeLineEdit(m_container, QString::fromLatin1(design.name), XPContainer::twips(7650, top, 1800, 330));
        top += 450;
    }
    m_unitSymbol = makeLabel(m_container, QStringLiteral("Label8"), QStringLiteral("$"),
                             XPContainer::twips(9500, 750 + 3 * 450 + 30, 600, 300));
    m_subTotalSymbol = makeLabel(m_container, QStringLiteral("Label7"), QStringLiteral("$"),
                                 XPContainer::twips(9500, 750 + 4 * 450 + 30, 600, 300));
}

// The total, what was paid and the cash handed over.
void BillWindow::buildPayment()
{
    m_total = makeLabel(m_container, QStringLiteral("lblTotal"), QStringLiteral("Total:"),
                        XPContainer::twips(240, 5400, 6000, 360));
    m_paid = makeLabel(m_container, QStringLiteral("lblPaid"), QString(), XPContainer::twips(240, 5790, 6000, 300));
    // Under Pay Bill: the cash handed over, and the receipt of the bill just paid.
    makeLabel(m_container, QStringLiteral("lblReceived"), QStringLiteral("Received:"),
              XPContainer::twips(6450, 4920, 1200, 300));
    m_received = makeLineEdit(m_container, QStringLiteral("txtReceived"), XPContainer::twips(7650, 4890, 1800, 330));
    m_received->setPlaceholderText(QStringLiteral("exact total"));
    makeLabel(m_container, QStringLiteral("lblReceivedSymbol"), QStringLiteral("$"),
              XPContainer::twips(9500, 4920, 600, 300))
        ->setObjectName(QStringLiteral("lblReceivedSymbol"));
    // Below the receipt's buttons: what card and other pay, the cash paying the rest.
    makeLabel(m_container, QStringLiteral("lblCard"), QStringLiteral("Card"), XPContainer::twips(6450, 5925, 540, 300));
    m_card = makeLineEdit(m_container, QStringLiteral("txtCard"), XPContainer::twips(6990, 5895, 1110, 330));
    m_card->setToolTip(QStringLiteral("Paid by card, no more than the total: a card gives no change. Received "
                                      "takes the cash for the rest. F9 pays the whole bill by card, F8 in cash."));
    makeLabel(m_container, QStringLiteral("lblOther"), QStringLiteral("Other"),
              XPContainer::twips(8250, 5925, 600, 300));
    m_other = makeLineEdit(m_container, QStringLiteral("txtOther"), XPContainer::twips(8850, 5895, 1050, 330));
    m_other->setToolTip(QStringLiteral("Paid another way (a voucher, a transfer), no more than is left after card. "
                                       "F8 pays the whole bill in cash, F9 by card."));
    for (QLineEdit* box : {m_card, m_other})
        box->setPlaceholderText(QStringLiteral("none"));
}

void BillWindow::buildButtons()
{
    const struct {
        const char* name;
        const char* caption;
        void (BillWindow::*handler)();
        int left, top;
    } buttons[] = {
        {"cmdadd", "Add New", &BillWindow::addNew, 6450, 3150},
        {"cmdupdate", "Update", &BillWindow::update, 8250, 3150},
        {"cmddel", "Delete", &BillWindow::remove, 6450, 3750},
        {"cmdPrint", "Print Bill", &BillWindow::printBill, 8250, 3750},
        {"cmdCheckout", "Pay  Bill", &BillWindow::payBill, 6450, 4350},
        {"cmdExit", "Leave", &BillWindow::leave, 8250, 4350},
    };
    for (const auto& design : buttons) {
        QPushButton* button =
            makeButton(m_container, QString::fromLatin1(design.name), QString::fromLatin1(design.caption));
        button->setGeometry(XPContainer::twips(design.left, design.top, 1650, 450));
        connect(button, &QPushButton::clicked, this, design.handler);
    }
    m_printReceipt = makeButton(m_container, QStringLiteral("cmdReceipt"), QStringLiteral("Print Receipt"));
    m_printReceipt->setGeometry(XPContainer::twips(6450, 5370, 1650, 450));
    connect(m_printReceipt, &QPushButton::clicked, this, &BillWindow::printReceipt);
    m_receiptPdf = makeButton(m_container, QStringLiteral("cmdReceiptPdf"), QStringLiteral("Receipt PDF"));
    m_receiptPdf->setGeometry(XPContainer::twips(8250, 5370, 1650, 450));
    connect(m_receiptPdf, &QPushButton::clicked, this, &BillWindow::saveReceiptPdf);
    for (QPushButton* button : {m_printReceipt, m_receiptPdf})
        button->setEnabled(false);
}

// A line or the whole bill discounted by a percent or an amount, or the discount taken off.
void BillWindow::buildDiscounts()
{
    makeLabel(m_container, QStringLiteral("lblDiscount"), QStringLiteral("Discount:"),
              XPContainer::twips(240, 6390, 900, 300));
    m_discount = makeLineEdit(m_container, QStringLiteral("txtDiscount"), XPContainer::twips(1140, 6360, 900, 330));
    guardAgainstScans(m_discount, QStringLiteral("Discount"));
    m_discountKind = new QComboBox(m_container);
    m_discountKind->setObjectName(QStringLiteral("cmbDiscountKind"));
    m_discountKind->addItems({QStringLiteral("%"), QStringLiteral("amount")});
    m_discountKind->setGeometry(XPContainer::twips(2100, 6360, 1050, 330));
    const struct {
        const char* name;
        const char* caption;
        void (BillWindow::*handler)();
        int left;
    } buttons[] = {
        {"cmdLineDiscount", "Discount Line", &BillWindow::discountLine, 3300},
        {"cmdBillDiscount", "Discount Bill", &BillWindow::discountBill, 5160},
        {"cmdRemoveDiscount", "Remove Discount", &BillWindow::removeDiscount, 7020},
    };
    for (const auto& design : buttons) {
        QPushButton* button =
            makeButton(m_container, QString::fromLatin1(design.name), QString::fromLatin1(design.caption));
        button->setGeometry(XPContainer::twips(design.left, 6330, 1800, 390));
        connect(button, &QPushButton::clicked, this, design.handler);
    }
}

void BillWindow::load()
{
    m_container->setTheme(runValues().themeIndex);
    m_unitSymbol->setText(runValues().currencySymbol);
    m_subTotalSymbol->setText(runValues().currencySymbol);
    findChild<QLabel*>(QStringLiteral("lblReceivedSymbol"))->setText(runValues().currencySymbol);

    m_buyers->addItems(readBuyerList());
    m_buyers->setCurrentIndex(-1);
    showBuyer();
}

void BillWindow::showBuyer()
{
    const QString buyer = currentBuyer().isEmpty() ? QStringLiteral("(no name)") : currentBuyer();
    m_buyer->setText(
        m_buyer->fontMetrics().elidedText(QStringLiteral("Buyer: ") + buyer, Qt::ElideRight, m_buyer->width()));
    m_buyer->setToolTip(buyer);
    // The boxes, the key and the cash were about the bill shown before.
    for (QLineEdit* box :
         {m_time, m_product, m_quantity, m_unitPrice, m_subTotal, m_key, m_received, m_card, m_other, m_discount})
        box->clear();
    m_paid->clear();
    reload(false, false);
}

void BillWindow::rereadBill()
{
    reload(m_totalAfterAddNew);
}

void BillWindow::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // Back at the editor after selling or working elsewhere: the stored bill may have changed.
    // A statement still waiting for the shop server would refuse the read and empty the list.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !Database::instance().isWaiting())
        rereadBill();
}

bool BillWindow::reload(bool afterAddNew, bool keepRow)
{
    const int row = keepRow ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    m_list->clear();
    // A failed read lists nothing, and a checkout then settles nothing.
    m_shownLines.clear();
    if (const auto lines = readBill(currentBuyer(), &m_shownLines)) {
        for (const BillLine& line : *lines)
            appendLine(line);
    }
    // A discounted sub-total tells, on hovering, what was taken off it.
    const QHash<qint64, QList<Discount>> discounts = billDiscounts(currentBuyer());
    for (int i = 0; i < m_shownLines.size() && i < m_list->topLevelItemCount(); ++i) {
        QStringList taken;
        for (const Discount& discount : discounts.value(m_shownLines.at(i)))
            taken.append(QStringLiteral("%1: -%2 of %3")
                             .arg(discountTitle(discount), moneyText(discount.amount, runValues().currencySymbol),
                                  moneyText(discount.before, runValues().currencySymbol)));
        m_list->topLevelItem(i)->setToolTip(4, taken.join(QLatin1Char('\n')));
    }
    if (QTreeWidgetItem* item = m_list->topLevelItem(row))
        m_list->setCurrentItem(item);
    BillTotalLabel::refreshAll();
    return showTotal(afterAddNew);
}

QString BillWindow::currentBuyer() const
{
    return m_chooser->buyer().name;
}

BillLine BillWindow::typedLine() const
{
    return BillLine{m_time->text(), m_product->text(), m_quantity->text(), m_unitPrice->text(), m_subTotal->text()};
}

QList<BillWindow::NumberBox> BillWindow::numberBoxes() const
{
    return {{m_quantity, &BillLine::quantity, QStringLiteral("Quantity")},
            {m_unitPrice, &BillLine::unitPrice, QStringLiteral("Unit Price")},
            {m_subTotal, &BillLine::subTotal, QStringLiteral("Sub-Total")}};
}

std::optional<BillLine> BillWindow::checkedLine() const
{
    // A text the number columns refuse would be stored empty and drop out of the total.
    BillLine line = typedLine();
    for (const NumberBox& number : numberBoxes()) {
        const std::optional<QString> text = checkedNumber(number.box, number.name);
        if (!text)
            return std::nullopt;
        line.*number.value = *text;
    }
    return line;
}

bool BillWindow::allFilled()
{
    // The unit price may stay empty.
    for (QLineEdit* box : {m_time, m_product, m_quantity, m_subTotal}) {
        if (box->text().isEmpty()) {
            warn(this, QStringLiteral("Warning"), QStringLiteral("Please completely fill the blank"));
            return false;
        }
    }
    return true;
}

void BillWindow::appendLine(const BillLine& line)
{
    new QTreeWidgetItem(m_list, {line.time, line.product, line.quantity, line.unitPrice, line.subTotal});
}

QList<BillLine> BillWindow::shownLines() const
{
    QList<BillLine> lines;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        lines.append(BillLine{item->text(0), item->text(1), item->text(2), item->text(3), item->text(4)});
    }
    return lines;
}

bool BillWindow::showTotal(bool afterAddNew)
{
    QStringList subTotals;
    for (const BillLine& line : shownLines())
        subTotals.append(line.subTotal);
    const std::optional<Currency> total = billTotal(subTotals);
    if (!total)
        return false;
    m_total->setText(totalLabelText(*total, runValues().currencySymbol, afterAddNew));
    m_totalAfterAddNew = afterAddNew;
    return true;
}

void BillWindow::lineClicked(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_key->setText(item->text(0));
    if (m_list->topLevelItemCount() == 0)
        return;
    if (const std::optional<BillLine> line = findBillLine(currentBuyer(), m_key->text())) {
        m_time->setText(line->time);
        m_product->setText(line->product);
        m_quantity->setText(line->quantity);
        m_unitPrice->setText(line->unitPrice);
        m_subTotal->setText(line->subTotal);
    }
}

void BillWindow::addNew()
{
    if (!allFilled())
        return;
    const std::optional<BillLine> line = checkedLine();
    if (!line)
        return;
    addBillLine(currentBuyer(), *line);
    reload(true);
}

void BillWindow::update()
{
    if (!allFilled() || !ownerAllows(this, QStringLiteral("change a bill line")))
        return;
    if (!isQuantityText(m_quantity->text())) {
        warn(this, QStringLiteral("Warning"), QStringLiteral("Please type a number in Quantity Box"));
        return;
    }
    const std::optional<BillLine> line = checkedLine();
    if (!line)
        return;
    // A key that finds no row (the line is gone) would change the screen only: the bill shown
    // and printed would no longer be the stored one.
    const LineChange change = updateBillLine(currentBuyer(), m_key->text(), *line);
    if (change == LineChange::Discounted) {
        warn(this, QStringLiteral("Warning"),
             QStringLiteral("This line has a discount: remove the discount before changing the line."));
        return;
    }
    if (change == LineChange::NotEnoughStock) {
        warn(this, QStringLiteral("Warning"),
             QStringLiteral("There are not enough units of this product in stock for that quantity."));
        return;
    }
    if (change != LineChange::Done && change != LineChange::ProductGone) {
        warn(this, QStringLiteral("Error"), QStringLiteral("(Bill)Update error"));
        return;
    }
    afterLineChange(change);
    // The line is now stored under its new time; the next update must find it there.
    m_key->setText(line->time);
    if (!reload(false))
        warn(this, QStringLiteral("Error"), QStringLiteral("(Bill)Update error"));
}

void BillWindow::remove()
{
    if (!ownerAllows(this, QStringLiteral("delete a bill line")))
        return;
    const bool deleting =
        confirm(this, QStringLiteral("Confirm"), QStringLiteral("Are you sure to delete this order ?"));
    if (deleting) {
        const LineChange change = deleteBillLine(currentBuyer(), m_key->text());
        if (change != LineChange::Done && change != LineChange::ProductGone) {
            warn(this, QStringLiteral("error"), QStringLiteral("(Bill)Delete error"));
            return;
        }
        afterLineChange(change);
        // The boxes held the deleted line: an Update from them would write it over another.
        for (QLineEdit* box : {m_time, m_product, m_quantity, m_unitPrice, m_subTotal, m_key})
            box->clear();
    }
    if (!reload(false, !deleting))
        warn(this, QStringLiteral("error"), QStringLiteral("(Bill)Delete error"));
}

void BillWindow::afterLineChange(LineChange change)
{
    // A sold line's units went into or out of the stock the main window lists.
    if (ShopWindow* main = ShopWindow::current())
        main->requestRefresh(false);
    if (change == LineChange::ProductGone)
        showMessage(this, QMessageBox::Information, QStringLiteral("Bill"),
                    QStringLiteral("The line's product is no longer in the catalogue: the bill was changed, the "
                                   "stock was not."));
}

void BillWindow::payBill()
{
    pay(PayWay::Boxes);
}

std::optional<Currency> BillWindow::tenderIn(QLineEdit* box, const QString& name, Currency left)
{
    Currency amount;
    const TenderCheck check = readTender(box->text(), left, &amount);
    if (check == TenderCheck::Accepted)
        return amount;
    warn(this, QStringLiteral("Warning"), tenderRefusal(check, name, left, runValues().currencySymbol));
    box->setFocus();
    return std::nullopt;
}

void BillWindow::pay(PayWay way)
{
    const QString symbol = runValues().currencySymbol;
    // What the operator saw and confirmed is what is paid, whatever a reload shows meanwhile.
    const ShownBill shown{m_shownLines, shownLines()};
    QStringList subTotals;
    for (const BillLine& line : shown.lines)
        subTotals.append(line.subTotal);
    const Currency total = billTotal(subTotals).value_or(Currency());
    // Card, then other, then the cash for what they leave.
    std::optional<Currency> card = way == PayWay::WholeByCard ? total : Currency();
    std::optional<Currency> other = Currency();
    if (way == PayWay::Boxes) {
        card = tenderIn(m_card, QStringLiteral("Card"), total);
        other = card ? tenderIn(m_other, QStringLiteral("Other"), difference(total, *card)) : std::nullopt;
        if (!other)
            return;
    }
    const Currency left = difference(difference(total, *card), *other);
    const QString typed = way == PayWay::Boxes ? m_received->text() : QString();
    Currency received;
    const ReceivedCheck check = readReceived(typed, left, &received);
    if (check != ReceivedCheck::Accepted) {
        warn(this, QStringLiteral("Warning"),
             check == ReceivedCheck::BelowTotal && left.raw() != total.raw()
                 ? QStringLiteral("The amount received is less than the %1%2 left to pay after card and other.")
                       .arg(symbol, left.toText())
                 : receivedRefusal(check, left, symbol));
        m_received->setFocus();
        return;
    }
    if (!shiftOpenFor(this))
        return;
    QString question = QStringLiteral("Are you sure to clear the bill?");
    if (!shown.lines.isEmpty())
        question += QStringLiteral("\n\n") + changeText(received, left, symbol);
    for (const auto& [amount, title] :
         {std::pair{*card, QStringLiteral("Card")}, std::pair{*other, QStringLiteral("Other")}})
        if (amount.raw() != 0)
            question += QStringLiteral("\n%1: %2%3").arg(title, symbol, amount.toText());
    if (!confirm(this, QStringLiteral("Confirm"), question))
        return;
    std::optional<Receipt> receipt;
    QString error;
    bool paidAfterLoss = false;
    const Payment payment{typed.trimmed().isEmpty() ? std::nullopt : std::optional<Currency>(received),
                          runValues().currentUser,
                          &receipt,
                          &error,
                          &paidAfterLoss,
                          *card,
                          *other};
    const Settlement settlement = settleBill(currentBuyer(), m_chooser->buyer().position, &shown, payment);
    if (settlement != Settlement::Settled && settlement != Settlement::FileFailed) {
        warn(this, QStringLiteral("Error"),
             settlement == Settlement::ShortPaid || settlement == Settlement::OverPaid
                 ? error
                 : QStringLiteral("Checkout error\n") + error);
        // A bill changed or paid elsewhere shows what it now holds; a failed write changed nothing.
        if (settlement != Settlement::RowsFailed)
            reload(false);
        return;
    }
    for (QLineEdit* box : {m_received, m_card, m_other})
        box->clear();
    if (receipt) {
        m_receipt = receipt;
        for (QPushButton* button : {m_printReceipt, m_receiptPdf}) {
            button->setEnabled(true);
            button->setToolTip(QStringLiteral("Receipt No. %1").arg(receipt->number));
        }
        m_paid->setText(QStringLiteral("Paid: receipt No. %1, change %2%3")
                            .arg(QString::number(receipt->number), symbol, receipt->change.toText()));
    }
    reload(false, false);
    if (receipt)
        printPaidReceiptFor(this, *receipt);
    if (paidAfterLoss && receipt)
        showMessage(this, QMessageBox::Information, QStringLiteral("Paid"),
                    QStringLiteral("The connection to the shop server was lost while the bill was paid, but the "
                                   "shop server has the payment: receipt No. %1.")
                        .arg(receipt->number));
    if (settlement == Settlement::FileFailed)
        warn(this, QStringLiteral("Error"),
             QStringLiteral("Checkout error\nThe bill is paid, but the client bill file %1 could not be deleted.")
                 .arg(clientBillPath(m_chooser->buyer().position)));
}

DiscountKind BillWindow::discountKind() const
{
    return m_discountKind->currentIndex() == 1 ? DiscountKind::Amount : DiscountKind::Percent;
}

qint64 BillWindow::selectedLineKey()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row >= 0 && row < m_shownLines.size())
        return m_shownLines.at(row);
    warn(this, QStringLiteral("Warning"), QStringLiteral("Please click the line first."));
    return -1;
}

void BillWindow::afterDiscount(const DiscountResult& result)
{
    switch (result.outcome) {
    case DiscountOutcome::Done:
        m_discount->clear();
        break;
    case DiscountOutcome::Refused:
        warn(this, QStringLiteral("Warning"), discountRefusal(result.check, result.base, runValues().currencySymbol));
        m_discount->setFocus();
        break;
    case DiscountOutcome::NotFound:
        warn(this, QStringLiteral("Warning"), QStringLiteral("The line is no longer on the bill."));
        break;
    case DiscountOutcome::BillDiscounted:
        warn(this, QStringLiteral("Warning"),
             QStringLiteral("The bill has a bill discount: remove it before discounting a line."));
        break;
    case DiscountOutcome::Failed:
        warn(this, QStringLiteral("Error"), QStringLiteral("(Bill)Discount error\n") + result.error);
        break;
    }
    // The sub-totals changed, or another till changed them meanwhile.
    reload(false);
}

void BillWindow::discountLine()
{
    const qint64 key = selectedLineKey();
    if (key < 0 || !ownerAllows(this, QStringLiteral("give a discount")))
        return;
    afterDiscount(marvono::discountLine(currentBuyer(), key, discountKind(), m_discount->text()));
}

void BillWindow::discountBill()
{
    if (!ownerAllows(this, QStringLiteral("give a discount")))
        return;
    afterDiscount(marvono::discountBill(currentBuyer(), discountKind(), m_discount->text()));
}

void BillWindow::removeDiscount()
{
    // Without a line clicked only a bill discount can come off.
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    afterDiscount(
        marvono::removeDiscount(currentBuyer(), row >= 0 && row < m_shownLines.size() ? m_shownLines.at(row) : -1));
}

void BillWindow::printReceipt()
{
    if (m_receipt)
        printReceiptFor(this, *m_receipt);
}

void BillWindow::saveReceiptPdf()
{
    if (m_receipt)
        saveReceiptPdfFor(this, *m_receipt);
}

void BillWindow::leave()
{
    close();
}

void BillWindow::printBill()
{
    // The customer is handed the stored bill, with lines other tills booked meanwhile.
    reload(m_totalAfterAddNew);
    marvono::printBill(
        BillPrintout{runValues().shopName, Clock::now(), shownLines(), m_total->text(), runValues().currencySymbol},
        this, [this](const QString& reason) {
            warn(this, QStringLiteral("Error"), QStringLiteral("(Bill)Print error\n") + reason);
        });
}

} // namespace marvono
