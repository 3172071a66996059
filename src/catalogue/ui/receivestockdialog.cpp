#include "catalogue/ui/receivestockdialog.h"

#include "app/appcontext.h"
#include "catalogue/products.h"
#include "catalogue/stockmoves.h"
#include "catalogue/ui/stockmoveswindow.h"
#include "controls/ui/amountbox.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace marvono {
namespace {

constexpr int kLabelLeft = 16;
constexpr int kBoxLeft = 170;
constexpr int kBoxWidth = 220;
constexpr int kRowHeight = 22;

int rowTop(int row)
{
    return 40 + row * 30;
}

} // namespace

ReceiveStockDialog::ReceiveStockDialog(QWidget* parent) : QDialog(parent)
{
    buildControls();
    m_container->setTheme(runValues().themeIndex);
    m_product->addItems(productNames());
    if (ShopWindow* main = ShopWindow::current())
        m_product->setCurrentIndex(std::max(0, m_product->findText(main->selectedProductName(), Qt::MatchExactly)));
    showStock();
    showKind();
}

void ReceiveStockDialog::buildControls()
{
    setObjectName(QStringLiteral("frmReceive"));
    setWindowTitle(QStringLiteral("Receive stock"));
    setFixedSize(420, 370);
    m_container = new XPContainer(this, QStringLiteral("Receive stock"));
    m_container->setObjectName(QStringLiteral("XPContainer1"));
    m_container->setGeometry(rect());

    makeLabel(m_container, QStringLiteral("Label1"), QStringLiteral("Product:"),
              QRect(kLabelLeft, rowTop(0), 150, kRowHeight));
    m_product = new QComboBox(m_container);
    m_product->setObjectName(QStringLiteral("cmbProduct"));
    m_product->setGeometry(kBoxLeft, rowTop(0), kBoxWidth, kRowHeight);
    // A product is found by typing part of its name or by scanning its code.
    m_product->setEditable(true);
    m_product->setInsertPolicy(QComboBox::NoInsert);
    m_product->completer()->setFilterMode(Qt::MatchContains);
    m_product->completer()->setCompletionMode(QCompleter::PopupCompletion);
    m_product->lineEdit()->setPlaceholderText(QStringLiteral("name or scanned code"));
    m_product->installEventFilter(this);
    m_product->lineEdit()->installEventFilter(this);
    m_stock = makeLabel(m_container, QStringLiteral("lblStock"), QString(),
                        QRect(kBoxLeft, rowTop(1), kBoxWidth, kRowHeight));

    m_received = new QRadioButton(QStringLiteral("Goods received"), m_container);
    m_received->setObjectName(QStringLiteral("optReceived"));
    m_received->setGeometry(kLabelLeft, rowTop(2), 150, kRowHeight);
    m_received->setChecked(true);
    m_correction = new QRadioButton(QStringLiteral("Stock count correction"), m_container);
    m_correction->setObjectName(QStringLiteral("optCorrection"));
    m_correction->setGeometry(kBoxLeft, rowTop(2), kBoxWidth, kRowHeight);
    (new QButtonGroup(this))->addButton(m_received);
    m_received->group()->addButton(m_correction);

    // A correction's reason and direction come before its number, which is then never signed.
    makeLabel(m_container, QStringLiteral("Label4"), QStringLiteral("Reason:"),
              QRect(kLabelLeft, rowTop(3), 150, kRowHeight));
    m_reason = new QComboBox(m_container);
    m_reason->setObjectName(QStringLiteral("cmbReason"));
    m_reason->setGeometry(kBoxLeft, rowTop(3), kBoxWidth, kRowHeight);
    m_reason->setEditable(true);
    m_reason->addItems({QStringLiteral("Breakage"), QStringLiteral("Loss"), QStringLiteral("Found")});
    m_out = new QRadioButton(QStringLiteral("Units go out"), m_container);
    m_out->setObjectName(QStringLiteral("optOut"));
    m_out->setGeometry(kLabelLeft, rowTop(4), 150, kRowHeight);
    m_out->setChecked(true);
    m_in = new QRadioButton(QStringLiteral("Units come in"), m_container);
    m_in->setObjectName(QStringLiteral("optIn"));
    m_in->setGeometry(kBoxLeft, rowTop(4), kBoxWidth, kRowHeight);
    (new QButtonGroup(this))->addButton(m_out);
    m_out->group()->addButton(m_in);

    makeLabel(m_container, QStringLiteral("Label2"), QStringLiteral("Units:"),
              QRect(kLabelLeft, rowTop(5), 150, kRowHeight));
    m_units = makeLineEdit(m_container, QStringLiteral("txtUnits"), QRect(kBoxLeft, rowTop(5), kBoxWidth, kRowHeight));
    makeLabel(m_container, QStringLiteral("Label3"), QStringLiteral("New purchase price:"),
              QRect(kLabelLeft, rowTop(6), 150, kRowHeight));
    m_price =
        makeLineEdit(m_container, QStringLiteral("txtInPrice"), QRect(kBoxLeft, rowTop(6), kBoxWidth, kRowHeight));
    m_price->setPlaceholderText(QStringLiteral("empty keeps the price"));

    QPushButton* ok = makeButton(m_container, QStringLiteral("cmdOK"), QStringLiteral(" Book"));
    ok->setGeometry(150, rowTop(7) + 16, 110, 30);
    QPushButton* cancel = makeButton(m_container, QStringLiteral("cmdCancel"), QStringLiteral(" Cancel"));
    cancel->setGeometry(280, rowTop(7) + 16, 110, 30);
    ok->setDefault(true);

    connect(m_product, &QComboBox::currentIndexChanged, this, &ReceiveStockDialog::showStock);
    connect(m_received, &QRadioButton::toggled, this, &ReceiveStockDialog::showKind);
    connect(m_reason, &QComboBox::currentTextChanged, this, &ReceiveStockDialog::followReason);
    connect(ok, &QPushButton::clicked, this, &ReceiveStockDialog::book);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, cancel);
    guardAgainstScans(m_units, QStringLiteral("Units"));
    guardAgainstScans(m_price, QStringLiteral("New purchase price"));
}

bool ReceiveStockDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Enter after a name or a scan chooses the product, rather than booking with the units box
    // still empty.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseTyped();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString ReceiveStockDialog::typedProduct() const
{
    const QString typed = m_product->currentText();
    if (m_product->findText(typed, Qt::MatchExactly) >= 0)
        return typed;
    if (const auto coded = productsWithCode(typed.trimmed()); coded && coded->size() == 1)
        return coded->first();
    const QAbstractItemModel* names = m_product->model();
    const QModelIndexList named = typed.isEmpty()
                                      ? QModelIndexList()
                                      : names->match(names->index(0, 0), Qt::DisplayRole, typed, 2, Qt::MatchContains);
    return named.size() == 1 ? named.first().data().toString() : typed;
}

void ReceiveStockDialog::chooseTyped()
{
    const QString typed = m_product->currentText();
    const int found = m_product->findText(typedProduct(), Qt::MatchExactly);
    if (found < 0) {
        warn(this, QStringLiteral("Warning"),
             QStringLiteral("No product has the name or code %1.").arg(typed.trimmed()));
        return;
    }
    // A code rather than a name is a scan: goods received are counted one unit per scan, and the
    // box is ready for the next one.
    const bool scanned = m_product->findText(typed, Qt::MatchExactly) < 0 &&
                         productsWithCode(typed.trimmed()).value_or(QStringList()).size() == 1;
    if (scanned && m_received->isChecked()) {
        countScan(found);
        return;
    }
    m_product->setCurrentIndex(found);
    m_product->setEditText(m_product->itemText(found));
    showStock();
    m_units->setFocus();
}

void ReceiveStockDialog::countScan(int found)
{
    const int current = m_product->currentIndex();
    bool whole = false;
    const int counted = m_units->text().trimmed().toInt(&whole);
    const int pending = whole && counted > 0 ? counted : 0;
    m_product->setEditText(m_product->itemText(current));
    if (found != current && pending > 0) {
        // Units counted for another product are booked before the count starts again, never lost.
        const QString question =
            QStringLiteral("Book the %1 units of %2 received before counting %3?")
                .arg(QString::number(pending), m_product->itemText(current), m_product->itemText(found));
        const auto answer = showMessage(this, QMessageBox::Question, QStringLiteral("Receive stock"), question,
                                        QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes || !bookTyped(false))
            return selectProductText();
        m_price->clear();
    }
    const int units = found == current ? pending + 1 : 1;
    m_product->setCurrentIndex(found);
    m_product->setEditText(m_product->itemText(found));
    m_units->setText(QString::number(units));
    showStock();
    selectProductText();
}

void ReceiveStockDialog::selectProductText()
{
    m_product->lineEdit()->setFocus();
    m_product->lineEdit()->selectAll();
}

void ReceiveStockDialog::showStock()
{
    const StoredProduct product = findProduct(m_product->currentText());
    m_stock->setText(product.found ? QStringLiteral("In stock: %1, price %2")
                                         .arg(unitsText(product.values.leastQty),
                                              moneyText(product.values.inPrice, runValues().currencySymbol))
                                   : QString());
}

void ReceiveStockDialog::showKind()
{
    // A new price comes with goods received; a count correction needs its reason.
    m_price->setEnabled(m_received->isChecked());
    m_reason->setEnabled(m_correction->isChecked());
    m_out->setEnabled(m_correction->isChecked());
    m_in->setEnabled(m_correction->isChecked());
}

void ReceiveStockDialog::followReason(const QString& reason)
{
    // The listed reasons have one direction each; a reason of the operator's own keeps the choice.
    if (reason == QLatin1String("Found"))
        m_in->setChecked(true);
    else if (reason == QLatin1String("Breakage") || reason == QLatin1String("Loss"))
        m_out->setChecked(true);
}

void ReceiveStockDialog::book()
{
    if (bookTyped(true))
        close();
}

bool ReceiveStockDialog::bookTyped(bool closing)
{
    if (refuseScannedCode(m_units, QStringLiteral("Units")) ||
        refuseScannedCode(m_price, QStringLiteral("New purchase price")))
        return false;
    const bool received = m_received->isChecked();
    const StockMoveResult result =
        received ? receiveStock(typedProduct(), m_units->text(), m_price->text())
                 : correctStock(typedProduct(), m_out->isChecked() ? StockDirection::Out : StockDirection::In,
                                m_units->text(), m_reason->currentText());
    const auto refuse = [this](const char* text) {
        warn(this, QStringLiteral("Warning"), QString::fromLatin1(text));
        return false;
    };
    switch (result.outcome) {
    case StockMoveOutcome::Booked:
        break;
    case StockMoveOutcome::BadUnits:
        return received ? refuse("Please enter the units received as a whole number above 0.")
                        : refuse("Please enter the units as a whole number above 0; whether they go out or "
                                 "come in is chosen above.");
    case StockMoveOutcome::BadPrice:
        return refuse("Please enter the new purchase price as a number, or leave the box empty.");
    case StockMoveOutcome::NoReason:
        return refuse("Please give the reason for the correction.");
    case StockMoveOutcome::NoProduct:
        return refuse("This product does not exist.");
    case StockMoveOutcome::NotEnoughStock:
        return refuse("The remaining quantity cannot fall below 0.");
    case StockMoveOutcome::Failed:
        // The boxes keep what was typed, so nothing is lost.
        warn(this, QStringLiteral("error"),
             withServerFailure(QStringLiteral("The stock was not changed.\n%1").arg(result.error)));
        return false;
    }
    if (ShopWindow* main = ShopWindow::current()) {
        for (StockMovesWindow* moves : main->mainWindow()->findChildren<StockMovesWindow*>())
            moves->load();
        // The window stays usable while the list refills behind a window that stays open.
        main->requestRefresh(closing);
    }
    m_units->clear();
    showStock();
    return true;
}

} // namespace marvono
