#include "settings/ui/identitydialog.h"

#include "bills/shopidentity.h"
#include "controls/ui/dialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace marvono {

IdentityDialog::IdentityDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmIdentity"));
    setWindowTitle(QStringLiteral("Shop Identity"));
    m_address = new QPlainTextEdit(this);
    m_address->setObjectName(QStringLiteral("txtAddress"));
    m_address->setTabChangesFocus(true);
    m_address->setToolTip(QStringLiteral("Printed line by line under the shop's name"));
    m_address->setFixedHeight(m_address->fontMetrics().lineSpacing() * 4 + 12);
    m_taxNumber = new QLineEdit(this);
    m_taxNumber->setObjectName(QStringLiteral("txtTaxNumber"));
    auto* fields = new QFormLayout;
    fields->addRow(makeLabel(this, QStringLiteral("lblAddress"), QStringLiteral("Address:"), {}), m_address);
    fields->addRow(makeLabel(this, QStringLiteral("lblTaxNumber"), QStringLiteral("Tax number:"), {}), m_taxNumber);

    QPushButton* ok = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("  O K"));
    connect(ok, &QPushButton::clicked, this, &IdentityDialog::save);
    QPushButton* cancel = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral(" Cancel"));
    connect(cancel, &QPushButton::clicked, this, &IdentityDialog::reject);
    pressOnEscape(this, cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(380, sizeHint().height());

    const ShopIdentity identity = readShopIdentity();
    m_address->setPlainText(identity.address.join(QLatin1Char('\n')));
    m_taxNumber->setText(identity.taxNumber);
}

void IdentityDialog::save()
{
    QString error;
    if (!saveShopIdentity(shopIdentityOf(m_address->toPlainText(), m_taxNumber->text()), &error)) {
        warn(this, QStringLiteral("Shop Identity"), error);
        return;
    }
    accept();
}

} // namespace marvono
