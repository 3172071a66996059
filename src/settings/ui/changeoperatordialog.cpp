#include "settings/ui/changeoperatordialog.h"

#include "app/appcontext.h"
#include "controls/ui/dialogs.h"
#include "data/database.h"
#include "settings/login.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace marvono {

ChangeOperatorDialog::ChangeOperatorDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmChangeOperator"));
    setWindowTitle(QStringLiteral("Change operator"));
    setWindowModality(Qt::ApplicationModal);
    // No close box: the lock ends with a login or Exit.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* note = new QLabel(QStringLiteral("The till is locked. Log in to go on; open bills stay."), this);
    note->setObjectName(QStringLiteral("lblLocked"));
    m_user = makeLineEdit(this, QStringLiteral("txtUserName"), QRect());
    m_password = makeLineEdit(this, QStringLiteral("txtPWD"), QRect());
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("User name:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    QPushButton* ok = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("Login"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &ChangeOperatorDialog::login);
    QPushButton* exit = makeButton(this, QStringLiteral("cmdExit"), QStringLiteral("Exit"));
    connect(exit, &QPushButton::clicked, this, [this] {
        m_exit = true;
        done(QDialog::Rejected);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

void ChangeOperatorDialog::login()
{
    bool owner = false;
    switch (checkLogin(m_user->text(), m_password->text(), &owner)) {
    case LoginCheck::Invalid:
        warn(this, QStringLiteral("Warning"), QStringLiteral("Invalid username or password"));
        m_password->clear();
        return;
    case LoginCheck::Failure:
        warn(this, QStringLiteral("Error"),
             withServerFailure(QStringLiteral("Error!Please check the database file and system setup")));
        return;
    case LoginCheck::Valid:
        break;
    }
    runValues().currentUser = m_user->text();
    runValues().currentPassword = m_password->text();
    runValues().ownerRights = owner;
    accept();
}

} // namespace marvono
