#include "settings/ui/operatorsdialog.h"

#include "controls/ui/dialogs.h"
#include "settings/operators.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace marvono {
namespace {
enum OperatorColumn { NameColumn, RoleColumn, ActiveColumn };
constexpr int kActiveRole = Qt::UserRole;
} // namespace

OperatorsDialog::OperatorsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOperators"));
    setWindowTitle(QStringLiteral("Operators"));
    resize(460, 380);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lvOperators"));
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Role"), QStringLiteral("Active")});
    m_list->setRootIsDecorated(false);
    m_list->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &OperatorsDialog::showSelected);

    m_name = makeLineEdit(this, QStringLiteral("txtName"), QRect());
    m_password = makeLineEdit(this, QStringLiteral("txtPassword"), QRect());
    m_password->setEchoMode(QLineEdit::Password);
    m_role = new QComboBox(this);
    m_role->setObjectName(QStringLiteral("cmbRole"));
    m_role->addItems({roleText(Role::Cashier), roleText(Role::Owner)});
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), m_name);
    form->addRow(QStringLiteral("Password:"), m_password);
    form->addRow(QStringLiteral("Role:"), m_role);

    const auto button = [this](const char* name, const QString& caption, void (OperatorsDialog::*handler)()) {
        QPushButton* made = makeButton(this, QString::fromLatin1(name), caption);
        connect(made, &QPushButton::clicked, this, handler);
        return made;
    };
    auto* changes = new QHBoxLayout;
    changes->addWidget(button("cmdAddOperator", QStringLiteral("Add"), &OperatorsDialog::addOperator));
    changes->addWidget(button("cmdRenameOperator", QStringLiteral("Rename"), &OperatorsDialog::renameOperator));
    changes->addWidget(button("cmdSetPassword", QStringLiteral("Set password"), &OperatorsDialog::setPassword));
    changes->addWidget(button("cmdSetRole", QStringLiteral("Set role"), &OperatorsDialog::setRole));
    m_active = button("cmdActive", QStringLiteral("Deactivate"), &OperatorsDialog::toggleActive);
    auto* closing = new QHBoxLayout;
    closing->addWidget(m_active);
    closing->addStretch();
    QPushButton* close = makeButton(this, QStringLiteral("cmdClose"), QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    closing->addWidget(close);
    pressOnEscape(this, close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(form);
    layout->addLayout(changes);
    layout->addLayout(closing);
    load();
}

void OperatorsDialog::load(const QString& select)
{
    QString error;
    const auto operators = readOperators(&error);
    m_list->clear();
    if (!operators) {
        warn(this, QStringLiteral("Operators"), error);
        return;
    }
    for (const Operator& known : *operators) {
        auto* item = new QTreeWidgetItem(
            m_list, {known.name, roleText(known.role), known.active ? QStringLiteral("Yes") : QStringLiteral("No")});
        item->setData(ActiveColumn, kActiveRole, known.active);
        if (known.name == select)
            m_list->setCurrentItem(item);
    }
    showSelected();
}

void OperatorsDialog::showSelected()
{
    const QTreeWidgetItem* item = m_list->currentItem();
    m_active->setEnabled(item != nullptr);
    m_password->clear();
    if (!item)
        return;
    m_name->setText(item->text(NameColumn));
    m_role->setCurrentText(item->text(RoleColumn));
    m_active->setText(item->data(ActiveColumn, kActiveRole).toBool() ? QStringLiteral("Deactivate")
                                                                     : QStringLiteral("Activate"));
}

QString OperatorsDialog::selectedName() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->text(NameColumn) : QString();
}

void OperatorsDialog::apply(bool done, const QString& error, const QString& select)
{
    if (!done) {
        warn(this, QStringLiteral("Operators"), error);
        return;
    }
    load(select);
}

void OperatorsDialog::addOperator()
{
    QString error;
    const Role role = roleOfText(m_role->currentText()).value_or(Role::Cashier);
    const bool done = marvono::addOperator(m_name->text(), m_password->text(), role, &error);
    apply(done, error, m_name->text().trimmed());
}

void OperatorsDialog::renameOperator()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    QString error;
    const bool done = marvono::renameOperator(name, m_name->text(), &error);
    apply(done, error, m_name->text().trimmed());
}

void OperatorsDialog::setPassword()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    QString error;
    apply(setOperatorPassword(name, m_password->text(), &error), error, name);
}

void OperatorsDialog::setRole()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    QString error;
    const Role role = roleOfText(m_role->currentText()).value_or(Role::Cashier);
    apply(setOperatorRole(name, role, &error), error, name);
}

void OperatorsDialog::toggleActive()
{
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const QString name = item->text(NameColumn);
    QString error;
    apply(setOperatorActive(name, !item->data(ActiveColumn, kActiveRole).toBool(), &error), error, name);
}

} // namespace marvono
