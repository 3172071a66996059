#include "controls/ui/approval.h"

#include "app/appcontext.h"
#include "controls/ui/dialogs.h"
#include "settings/approvals.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace marvono {
namespace {

class ApprovalDialog : public QDialog {
  public:
    ApprovalDialog(QWidget* parent, const QString& what) : QDialog(parent), m_what(what)
    {
        setObjectName(QStringLiteral("frmApproval"));
        setWindowTitle(QStringLiteral("Approval"));
        auto* note = new QLabel(QStringLiteral("An owner's approval is needed to %1.").arg(what), this);
        note->setObjectName(QStringLiteral("lblApproval"));
        note->setWordWrap(true);
        m_owner = makeLineEdit(this, QStringLiteral("txtUserName"), QRect());
        m_password = makeLineEdit(this, QStringLiteral("txtPWD"), QRect());
        m_password->setEchoMode(QLineEdit::Password);
        auto* form = new QFormLayout;
        form->addRow(QStringLiteral("Owner:"), m_owner);
        form->addRow(QStringLiteral("Password:"), m_password);
        QPushButton* ok = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("Approve"));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &ApprovalDialog::check);
        QPushButton* cancel = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(note);
        layout->addLayout(form);
        layout->addLayout(buttons);
    }

  private:
    void check()
    {
        QString error;
        switch (approve(m_owner->text(), m_password->text(), m_what, &error)) {
        case ApprovalCheck::Approved:
            accept();
            return;
        case ApprovalCheck::NotAnOwner:
            warn(this, QStringLiteral("Approval"), QStringLiteral("That is not an owner's name and password."));
            m_password->clear();
            return;
        case ApprovalCheck::Failed:
            warn(this, QStringLiteral("Approval"), QStringLiteral("The approval cannot be recorded:\n") + error);
            return;
        }
    }

    QString m_what;
    QLineEdit* m_owner = nullptr;    // txtUserName
    QLineEdit* m_password = nullptr; // txtPWD
};

} // namespace

bool ownerAllows(QWidget* parent, const QString& what)
{
    if (runValues().ownerRights)
        return true;
    ApprovalDialog box(parent, what);
    return box.exec() == QDialog::Accepted;
}

} // namespace marvono
