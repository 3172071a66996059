#include "settings/ui/taxratesdialog.h"

#include "catalogue/taxrates.h"
#include "controls/ui/dialogs.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace marvono {
namespace {

enum RateColumn { NameColumn, PercentColumn, DefaultColumn };

QTableWidgetItem* defaultItem(bool isDefault)
{
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(isDefault ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

TaxRatesDialog::TaxRatesDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTaxRates"));
    setWindowTitle(QStringLiteral("Tax Rates"));
    resize(420, 300);
    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("tblTaxRates"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Percent"), QStringLiteral("Default")});
    m_table->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    m_table->setToolTip(QStringLiteral("Lettered A, B, C ... in this order on receipts; a product without a rate of "
                                       "its own is sold at the default. Without rates, papers show no tax."));
    // A new default takes the mark from the old one.
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* changed) {
        if (changed->column() != DefaultColumn || changed->checkState() != Qt::Checked)
            return;
        for (int row = 0; row < m_table->rowCount(); ++row)
            if (QTableWidgetItem* item = m_table->item(row, DefaultColumn); item && item != changed)
                item->setCheckState(Qt::Unchecked);
    });

    const auto button = [this](const char* name, const QString& caption, void (TaxRatesDialog::*handler)()) {
        QPushButton* made = makeButton(this, QString::fromLatin1(name), caption);
        connect(made, &QPushButton::clicked, this, handler);
        return made;
    };
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button("cmdAddRate", QStringLiteral("Add"), &TaxRatesDialog::addRate));
    buttons->addWidget(button("cmdRemoveRate", QStringLiteral("Remove"), &TaxRatesDialog::removeRate));
    buttons->addStretch();
    buttons->addWidget(button("cmdOK", QStringLiteral("  O K"), &TaxRatesDialog::save));
    QPushButton* cancel = button("cmdCancel", QStringLiteral(" Cancel"), &TaxRatesDialog::reject);
    buttons->addWidget(cancel);
    pressOnEscape(this, cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    load();
}

void TaxRatesDialog::load()
{
    const QList<TaxRate> rates = readTaxRates().value_or(QList<TaxRate>());
    m_table->setRowCount(0);
    for (const TaxRate& rate : rates) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        auto* name = new QTableWidgetItem(rate.name);
        name->setData(Qt::UserRole, rate.id);
        m_table->setItem(row, NameColumn, name);
        m_table->setItem(row, PercentColumn, new QTableWidgetItem(rate.percent));
        m_table->setItem(row, DefaultColumn, defaultItem(rate.isDefault));
    }
}

void TaxRatesDialog::addRate()
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    m_table->setItem(row, NameColumn, new QTableWidgetItem);
    m_table->setItem(row, PercentColumn, new QTableWidgetItem);
    m_table->setItem(row, DefaultColumn, defaultItem(row == 0));
    m_table->editItem(m_table->item(row, NameColumn));
}

void TaxRatesDialog::removeRate()
{
    if (m_table->currentRow() >= 0)
        m_table->removeRow(m_table->currentRow());
}

void TaxRatesDialog::save()
{
    QList<TaxRate> rates;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        TaxRate rate;
        rate.id = m_table->item(row, NameColumn)->data(Qt::UserRole).toLongLong();
        rate.name = m_table->item(row, NameColumn)->text();
        rate.percent = m_table->item(row, PercentColumn)->text();
        rate.isDefault = m_table->item(row, DefaultColumn)->checkState() == Qt::Checked;
        rates.append(rate);
    }
    QString error;
    if (!saveTaxRates(rates, &error)) {
        warn(this, QStringLiteral("Warning"), error);
        return;
    }
    accept();
}

} // namespace marvono
