#include "bills/ui/receiptswindow.h"

#include "app/appcontext.h"
#include "bills/returns.h"
#include "bills/ui/receiptprinter.h"
#include "controls/ui/amountbox.h"
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

// The texts of the receipts' rows, made when a row is first shown or measured: a busy day lists
// thousands, of which a few are ever on show. Amounts recur from receipt to receipt and are
// written once.
class RowTexts {
  public:
    explicit RowTexts(const QString& symbol) : m_symbol(symbol) {}
    QStringList row(const Receipt& receipt)
    {
        return QStringList{QString::number(receipt.number),
                           clock(receipt.time.time()),
                           receipt.buyer,
                           receipt.operatorName,
                           money(receipt.total),
                           money(receipt.received),
                           money(receipt.change)};
    }

  private:
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
    QString money(Currency amount)
    {
        auto found = m_money.constFind(amount.raw());
        if (found == m_money.constEnd())
            found = m_money.insert(amount.raw(), moneyText(amount, m_symbol));
        return *found;
    }

    QString m_symbol;
    QHash<qint64, QString> m_money;
};

class ReceiptItem : public QTreeWidgetItem {
  public:
    ReceiptItem(const Receipt& receipt, const std::shared_ptr<RowTexts>& texts) : m_receipt(receipt), m_rows(texts) {}
    QVariant data(int column, int role) const override
    {
        if (column == 0 && role == Qt::UserRole)
            return m_receipt.number;
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

ReceiptsWindow::ReceiptsWindow(QWidget* parent) : QDialog(parent)
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

    m_receipts =
        makeList(m_container, QStringLiteral("lvReceipts"),
                 {QStringLiteral("No."), QStringLiteral("Time"), QStringLiteral("Buyer"), QStringLiteral("Operator"),
                  QStringLiteral("Total"), QStringLiteral("Received"), QStringLiteral("Change")},
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
    };
    for (const auto& design : buttons) {
        QPushButton* button =
            makeButton(m_container, QString::fromLatin1(design.name), QString::fromLatin1(design.caption));
        button->setGeometry(XPContainer::twips(design.left, 6450, 1650, 450));
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
    const auto texts = std::make_shared<RowTexts>(symbol);
    for (const Receipt& receipt : *receipts)
        items.append(new ReceiptItem(receipt, texts));
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
