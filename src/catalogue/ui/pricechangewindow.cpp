#include "catalogue/ui/pricechangewindow.h"

#include "app/appcontext.h"
#include "app/numbers.h"
#include "catalogue/labels.h"
#include "catalogue/pricechanges.h"
#include "catalogue/products.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"

#include <QComboBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QTreeWidget>

namespace marvono {

namespace {

QComboBox* makeCombo(QWidget* parent, const QString& objectName, const QStringList& items, const QRect& geometry)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->addItems(items);
    combo->setGeometry(geometry);
    return combo;
}

QRadioButton* makeRadio(QWidget* parent, const QString& objectName, const QString& caption, const QRect& geometry)
{
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(objectName);
    radio->setGeometry(geometry);
    return radio;
}

} // namespace

PriceChangeWindow::PriceChangeWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmChangePrices"));
    setWindowTitle(QStringLiteral("Change prices"));
    setFixedSize(760, 460);
    auto* container = new XPContainer(this, QStringLiteral("Change prices"));
    container->setObjectName(QStringLiteral("XPContainer1"));
    container->setGeometry(rect());
    container->setTheme(runValues().themeIndex);

    makeLabel(container, QStringLiteral("Label1"), QStringLiteral("Products:"), QRect(16, 36, 70, 22));
    m_fromSelection = makeRadio(container, QStringLiteral("optSelected"), QStringLiteral("Selected in the list"),
                                QRect(90, 36, 160, 22));
    m_fromCategory =
        makeRadio(container, QStringLiteral("optCategory"), QStringLiteral("Category:"), QRect(256, 36, 90, 22));
    m_category = makeCombo(container, QStringLiteral("cboCategory"), productCategories(), QRect(346, 36, 170, 22));

    makeLabel(container, QStringLiteral("Label2"), QStringLiteral("Change by:"), QRect(16, 68, 70, 22));
    m_change = makeLineEdit(container, QStringLiteral("txtChange"), QRect(90, 68, 80, 22));
    m_how = makeCombo(container, QStringLiteral("cboHow"),
                      {QStringLiteral("percent"), QStringLiteral("amount (%1)").arg(runValues().currencySymbol)},
                      QRect(176, 68, 120, 22));
    makeLabel(container, QStringLiteral("Label3"), QStringLiteral("Round to:"), QRect(316, 68, 70, 22));
    m_step = makeCombo(container, QStringLiteral("cboStep"),
                       {QStringLiteral("0.01"), QStringLiteral("0.05"), QStringLiteral("0.10"),
                        QStringLiteral("prices ending in .99")},
                       QRect(390, 68, 170, 22));

    m_list = new QTreeWidget(container);
    m_list->setObjectName(QStringLiteral("lstPrices"));
    m_list->setGeometry(16, 100, 728, 300);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QStringLiteral("Product"), QStringLiteral("Retail price now"), QStringLiteral("New retail price")});
    m_list->header()->resizeSection(0, 320);
    m_list->header()->resizeSection(1, 180);

    m_apply = makeButton(container, QStringLiteral("cmdApply"), QStringLiteral("Apply"));
    m_apply->setGeometry(518, 414, 110, 30);
    QPushButton* close = makeButton(container, QStringLiteral("cmdClose"), QStringLiteral("Close"));
    close->setGeometry(634, 414, 110, 30);

    if (ShopWindow* main = ShopWindow::current())
        m_selected = selectedProductNames(*main);
    (m_selected.isEmpty() ? m_fromCategory : m_fromSelection)->setChecked(true);
    m_fromSelection->setEnabled(!m_selected.isEmpty());
    connect(m_fromSelection, &QRadioButton::toggled, this, &PriceChangeWindow::preview);
    for (QComboBox* box : {m_category, m_how, m_step})
        connect(box, &QComboBox::currentIndexChanged, this, &PriceChangeWindow::preview);
    connect(m_change, &QLineEdit::textChanged, this, &PriceChangeWindow::preview);
    connect(m_apply, &QPushButton::clicked, this, &PriceChangeWindow::apply);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, close);
    preview();
}

QStringList PriceChangeWindow::chosenNames() const
{
    if (m_fromSelection->isChecked())
        return m_selected;
    QStringList names;
    const auto products = categoryLabelProducts(m_category->currentText(), nullptr);
    for (const LabelProduct& product : products.value_or(std::vector<LabelProduct>()))
        names.append(product.name);
    return names;
}

std::optional<PriceRule> PriceChangeWindow::typedRule() const
{
    if (!isNumberText(m_change->text()))
        return std::nullopt;
    return PriceRule{m_how->currentIndex() == 0, leadingNumber(m_change->text()), PriceStep(m_step->currentIndex())};
}

void PriceChangeWindow::preview()
{
    m_list->clear();
    const std::optional<PriceRule> rule = typedRule();
    QString error;
    const auto changes = previewPriceChanges(chosenNames(), rule.value_or(PriceRule{}), &error);
    const QString& symbol = runValues().currencySymbol;
    for (const PriceChange& change : changes.value_or(std::vector<PriceChange>())) {
        const QString now = moneyText(change.oldPrice, symbol);
        const QString next = !rule             ? QString()
                             : change.newPrice ? moneyText(*change.newPrice, symbol)
                                               : QStringLiteral("below 0: refused");
        new QTreeWidgetItem(m_list, {change.name, now, next});
    }
    m_apply->setEnabled(rule && changes && !changes->empty());
}

void PriceChangeWindow::apply()
{
    const std::optional<PriceRule> rule = typedRule();
    const QStringList names = chosenNames();
    if (!rule || names.isEmpty() ||
        !confirm(this, QStringLiteral("Change prices"),
                 QStringLiteral("Change the retail price of %1 product(s) as shown?").arg(names.size())))
        return;
    QString error;
    if (!applyPriceChanges(names, *rule, &error)) {
        warn(this, QStringLiteral("error"), withServerFailure(QStringLiteral("No price was changed.\n%1").arg(error)));
        return;
    }
    if (ShopWindow* main = ShopWindow::current())
        main->requestRefresh(false);
    m_change->clear();
}

} // namespace marvono
