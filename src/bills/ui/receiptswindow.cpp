#include "bills/ui/receiptswindow.h"

#include "app/appcontext.h"
#include "bills/returns.h"
#include "bills/ui/receiptprinter.h"
#include "bills/ui/voiddialog.h"
#include "bills/voids.h"
#include "controls/textkey.h"
#include "controls/ui/amountbox.h"
#include "controls/ui/approval.h"
#include "controls/ui/columnfit.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/textsizedelegate.h"
#include "controls/ui/xpcontainer.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QTreeWidget>
#include <memory>

namespace marvono {
namespace {

QTreeWidget* makeList(QWidget* parent, const QString& objectName, const QStringList& headers, const QRect& place)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(objectName);
    list->setGeometry(place);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    keepColumnsFitted(list);
    return list;
}

} // namespace

// The texts of the receipts' rows, made when a row is first shown or measured: a busy day lists
// thousands, of which a few are ever on show. Amounts recur from receipt to receipt and are
// written once. Kept for the window's life, so that a shape key names one shape on every day.
class ReceiptsWindow::RowTexts {
  public:
    void setSymbol(const QString& symbol)
    {
        if (symbol == m_symbol)
            return;
        m_symbol = symbol;
        m_money.clear();
    }
    QStringList row(const Receipt& receipt)
    {
        return QStringList{QString::number(receipt.number),
                           clock(receipt.time.time()),
                           receipt.buyer,
                           receipt.operatorName,
                           money(receipt.total).text,
                           money(receipt.received).text,
                           money(receipt.change).text,
                           voidText(receipt)};
    }
    // The cell's shape key, found without writing its text where that is plain: a number's shape
    // is its count of digits, a clock's is always "00:00:00".
    quint64 shape(const Receipt& receipt, int column)
    {
        switch (column) {
        case 0: {
            int digits = 1;
            for (qint64 n = receipt.number < 0 ? -receipt.number : receipt.number; n >= 10; n /= 10)
                ++digits;
            return shapeKey(NumberShape, quint64(digits) << 1 | (receipt.number < 0 ? 1 : 0));
        }
        case 1:
            return shapeKey(ClockShape, receipt.time.isValid() ? 1 : 0);
        case 2:
            return textShape(receipt.buyer);
        case 3:
            return textShape(receipt.operatorName);
        case 4:
            return money(receipt.total).shape;
        case 5:
            return money(receipt.received).shape;
        case 6:
            return money(receipt.change).shape;
        case 7:
            return textShape(voidText(receipt));
        default:
            return ~quint64(0);
        }
    }

  private:
    // The kind of a shape in the key's low bits, so that the first shapes of each kind fall in
    // places of their own in the delegate's table.
    enum ShapeKind : quint64 { NumberShape = 1, ClockShape = 2, TextShape = 3 };
    static quint64 shapeKey(ShapeKind kind, quint64 value) { return value << 2 | kind; }
    // A voided sale names its void, a void the sale it voided.
    static QString voidText(const Receipt& receipt)
    {
        if (receipt.voidedBy)
            return QStringLiteral("voided by No. %1").arg(receipt.voidedBy);
        return receipt.isVoid ? QStringLiteral("void of No. %1").arg(receipt.refundOf) : QString();
    }

    struct Money {
        QString text;
        quint64 shape;
    };

    // "HH:mm:ss" without parsing a format for every row.
    static QString clock(const QTime& time)
    {
        if (!time.isValid())
            return {};
        QString text(8, QLatin1Char(':'));
        const int parts[3] = {time.hour(), time.minute(), time.second()};
        for (int i = 0; i < 3; ++i) {
            text[3 * i] = QLatin1Char(char('0' + parts[i] / 10));
            text[3 * i + 1] = QLatin1Char(char('0' + parts[i] % 10));
        }
        return text;
    }
    const Money& money(Currency amount)
    {
        auto found = m_money.constFind(amount.raw());
        if (found == m_money.constEnd()) {
            const QString text = moneyText(amount, m_symbol);
            found = m_money.insert(amount.raw(), Money{text, textShape(text)});
        }
        return *found;
    }
    // Texts of one shape share a number, given out in the order the shapes are first met.
    quint64 textShape(const QString& text)
    {
        auto known = m_textShapes.constFind(text);
        if (known == m_textShapes.constEnd()) {
            digitShape(text, m_pattern);
            auto shape = m_shapes.constFind(m_pattern);
            if (shape == m_shapes.constEnd())
                shape = m_shapes.insert(m_pattern, shapeKey(TextShape, quint64(m_shapes.size())));
            known = m_textShapes.insert(text, *shape);
        }
        return *known;
    }

    QString m_symbol;
    QHash<qint64, Money> m_money;
    QHash<QString, quint64> m_textShapes; // buyers, operators and amounts met so far
    QHash<QString, quint64> m_shapes;     // by the shape itself
    QString m_pattern;
};

namespace {

class ReceiptItem : public QTreeWidgetItem {
  public:
    using RowTexts = ReceiptsWindow::RowTexts;
    ReceiptItem(const Receipt& receipt, const std::shared_ptr<RowTexts>& texts) : m_receipt(receipt), m_rows(texts) {}
    QVariant data(int column, int role) const override
    {
        if (column == 0 && role == Qt::UserRole)
            return m_receipt.number;
        if (role == kTextShapeKeyRole)
            return m_rows->shape(m_receipt, column);
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return QTreeWidgetItem::data(column, role);
        if (m_texts.isEmpty())
            m_texts = m_rows->row(m_receipt);
        return m_texts.value(column);
    }

  private:
    Receipt m_receipt;
    std::shared_ptr<RowTexts> m_rows;
    mutable QStringList m_texts;
};

} // namespace

ReceiptsWindow::ReceiptsWindow(QWidget* parent) : QDialog(parent), m_rowTexts(std::make_shared<RowTexts>())
{
    build();
    m_container->setTheme(runValues().themeIndex);
    showDay();
}

void ReceiptsWindow::build()
{
    setObjectName(QStringLiteral("frmReceipts"));
    setWindowTitle(QStringLiteral("Receipts"));
    setFixedSize(XPContainer::twips(0, 0, 10200, 7200).size());
    m_container = new XPContainer(this, QStringLiteral("Paid bills"));
    m_container->setObjectName(QStringLiteral("XPContainer1"));
    m_container->setGeometry(rect());

    makeLabel(m_container, QStringLiteral("lblDay"), QStringLiteral("Day:"), XPContainer::twips(240, 480, 900, 300));
    m_day = new QDateEdit(Clock::now().date(), m_container);
    m_day->setObjectName(QStringLiteral("dtpDay"));
    m_day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_day->setCalendarPopup(true);
    m_day->setGeometry(XPContainer::twips(1140, 450, 1800, 330));
    connect(m_day, &QDateEdit::dateChanged, this, &ReceiptsWindow::showDay);
    m_dayTotal =
        makeLabel(m_container, QStringLiteral("lblDayTotal"), QString(), XPContainer::twips(3200, 480, 6760, 300));
    m_dayTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_receipts = makeList(m_container, QStringLiteral("lvReceipts"),
                          {QStringLiteral("No."), QStringLiteral("Time"), QStringLiteral("Buyer"),
                           QStringLiteral("Operator"), QStringLiteral("Total"), QStringLiteral("Received"),
                           QStringLiteral("Change"), QStringLiteral("Void")},
                          XPContainer::twips(240, 900, 9720, 2900));
    // A busy day lists thousands of receipts; their columns of figures are measured by pattern.
    auto* sizes = new TextSizeDelegate(m_receipts);
    sizes->setDigitsAlike(true);
    m_receipts->setItemDelegate(sizes);
    connect(m_receipts, &QTreeWidget::currentItemChanged, this, &ReceiptsWindow::showLines);
    m_lines = makeList(m_container, QStringLiteral("lvLines"),
                       {QStringLiteral("Time"), QStringLiteral("Product"), QStringLiteral("Quantity"),
                        QStringLiteral("Unit Price"), QStringLiteral("Sub-Total")},
                       XPContainer::twips(240, 3900, 9720, 2400));

    const struct {
        const char* name;
        const char* caption;
        std::function<void()> handler;
        int left;
        int width = 1650;
    } buttons[] = {
        {"cmdPrint", "Print",
         [this] {
             if (auto receipt = selectedReceipt())
                 printReceiptFor(this, *receipt);
         },
         240},
        {"cmdPdf", "Save PDF",
         [this] {
             if (auto receipt = selectedReceipt())
                 saveReceiptPdfFor(this, *receipt);
         },
         2040},
        {"cmdReturn", "Return", [this] { returnUnits(); }, 5700},
        {"cmdClose", "Close", [this] { close(); }, 8310},
        {"cmdVoid", "Void", [this] { voidSelected(); }, 7425, 810}, // in the gap between Return and Close
    };
    for (const auto& design : buttons) {
        QPushButton* button =
            makeButton(m_container, QString::fromLatin1(design.name), QString::fromLatin1(design.caption));
        button->setGeometry(XPContainer::twips(design.left, 6450, design.width, 450));
        connect(button, &QPushButton::clicked, this, design.handler);
    }
    makeLabel(m_container, QStringLiteral("lblUnits"), QStringLiteral("Units:"),
              XPContainer::twips(3840, 6510, 800, 300));
    m_units = makeLineEdit(m_container, QStringLiteral("txtUnits"), XPContainer::twips(4640, 6480, 900, 330));
    m_units->setPlaceholderText(QStringLiteral("1"));
    guardAgainstScans(m_units, QStringLiteral("Units"));
    pressOnEscape(this, findChild<QPushButton*>(QStringLiteral("cmdClose")));
}

void ReceiptsWindow::showDay()
{
    m_receipts->clear();
    m_lines->clear();
    const QString symbol = runValues().currencySymbol;
    // A close may end at any hour: the list says plainly which hours it covers.
    const QDate day = m_day->date();
    m_container->setCaption(
        QStringLiteral("Paid bills from %1 to %2")
            .arg(dateTimeText(QDateTime(day, QTime(0, 0))), dateTimeText(QDateTime(day, QTime(23, 59, 59)))));
    const auto receipts = receiptsOfDay(day);
    const auto total = receipts ? receiptsTotal(*receipts) : std::nullopt;
    if (!receipts || !total) {
        m_dayTotal->setText(QStringLiteral("The receipts cannot be read."));
        return;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(receipts->size());
    m_rowTexts->setSymbol(symbol);
    for (const Receipt& receipt : *receipts)
        items.append(new ReceiptItem(receipt, m_rowTexts));
    m_receipts->addTopLevelItems(items);
    m_dayTotal->setText(
        QStringLiteral("Receipts: %1   Day total: %2").arg(receipts->size()).arg(moneyText(*total, symbol)));
}

std::optional<Receipt> ReceiptsWindow::selectedReceipt()
{
    const QTreeWidgetItem* item = m_receipts->currentItem();
    if (!item)
        return std::nullopt;
    return readReceipt(item->data(0, Qt::UserRole).toLongLong());
}

void ReceiptsWindow::returnUnits()
{
    const std::optional<Receipt> receipt = selectedReceipt();
    QTreeWidgetItem* line = m_lines->currentItem();
    if (!receipt || !line) {
        warn(this, QStringLiteral("Warning"), QStringLiteral("Please select a line of a receipt to return."));
        return;
    }
    if (!ownerAllows(this, QStringLiteral("take goods back")))
        return;
    if (refuseScannedCode(m_units, QStringLiteral("Units")))
        return;
    const QString typed = m_units->text().trimmed();
    bool whole = true;
    const int units = typed.isEmpty() ? 1 : typed.toInt(&whole);
    if (!whole || units <= 0) {
        warn(this, QStringLiteral("Warning"), QStringLiteral("Please type the units to return as a whole number."));
        return;
    }
    if (!confirm(this, QStringLiteral("Confirm"),
                 QStringLiteral("Return %1 unit(s) of %2 from receipt No. %3?")
                     .arg(units)
                     .arg(line->text(1))
                     .arg(receipt->number)))
        return;
    const ReturnResult result =
        returnFromReceipt(receipt->number, {{m_lines->indexOfTopLevelItem(line) + 1, units}}, runValues().currentUser);
    if (result.outcome != ReturnOutcome::Returned) {
        warn(this, QStringLiteral("Error"), QStringLiteral("(Receipt)Return error\n") + result.error);
        return;
    }
    m_units->clear();
    showDay();
    // Under the amount, the lines whose units went back to no stock.
    const QStringList text{
        QStringLiteral("Refund No. %1: %2 paid back.")
            .arg(result.refund->number)
            .arg(moneyText(difference(Currency(), result.refund->total), runValues().currencySymbol))};
    showMessage(this, QMessageBox::Information, QStringLiteral("Returned"),
                (text + result.notes).join(QLatin1Char('\n')));
}

void ReceiptsWindow::voidSelected()
{
    const std::optional<Receipt> receipt = selectedReceipt();
    if (!receipt) {
        warn(this, QStringLiteral("Warning"), QStringLiteral("Please select a receipt to void."));
        return;
    }
    if (const VoidResult refusal = voidRefusal(receipt->number); refusal.outcome != VoidOutcome::Voided) {
        warn(this, QStringLiteral("Void"), refusal.error);
        return;
    }
    if (!ownerAllows(this, QStringLiteral("void a receipt")))
        return;
    const std::optional<QString> reason = askVoidReason(this, receipt->number);
    if (!reason)
        return;
    // Another till may have voided or returned it meanwhile: the void says so.
    const VoidResult result = voidReceipt(receipt->number, *reason, runValues().currentUser);
    if (result.outcome != VoidOutcome::Voided) {
        warn(this, QStringLiteral("Void"), result.error);
        return;
    }
    showDay();
    offerToBillAgain(*result.voidReceipt, result.notes);
}

void ReceiptsWindow::offerToBillAgain(const Receipt& voided, const QStringList& notes)
{
    const QString symbol = runValues().currencySymbol;
    const QStringList text = QStringList{QStringLiteral("Void No. %1 of receipt No. %2: %3 paid back.")
                                             .arg(voided.number)
                                             .arg(voided.refundOf)
                                             .arg(moneyText(difference(Currency(), voided.total), symbol))} +
                             notes +
                             QStringList{QString(), QStringLiteral("Put the voided lines back on the bill of %1 to be "
                                                                   "paid again?")
                                                        .arg(voided.buyer)};
    if (showMessage(this, QMessageBox::Question, QStringLiteral("Voided"), text.join(QLatin1Char('\n')),
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const QStringList notBack = billVoidedLinesAgain(voided);
    if (notBack.isEmpty()) {
        showMessage(this, QMessageBox::Information, QStringLiteral("Voided"),
                    QStringLiteral("The voided lines are back on the bill of %1.").arg(voided.buyer));
        return;
    }
    warn(this, QStringLiteral("Voided"),
         (QStringList{QStringLiteral("These lines could not be put back on the bill of %1:").arg(voided.buyer)} +
          notBack)
             .join(QLatin1Char('\n')));
}

void ReceiptsWindow::showLines()
{
    m_lines->clear();
    if (const auto receipt = selectedReceipt()) {
        const QString& symbol = runValues().currencySymbol;
        for (const BillLine& line : receipt->lines)
            new QTreeWidgetItem(m_lines, {line.time, line.product, line.quantity, moneyText(line.unitPrice, symbol),
                                          moneyText(line.subTotal, symbol)});
    }
}

} // namespace marvono
