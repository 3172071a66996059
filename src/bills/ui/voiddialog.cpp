#include "bills/ui/voiddialog.h"

#include "controls/ui/dialogs.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace marvono {
namespace {

class VoidDialog : public QDialog {
  public:
    VoidDialog(QWidget* parent, qint64 receiptNumber) : QDialog(parent)
    {
        setObjectName(QStringLiteral("frmVoid"));
        setWindowTitle(QStringLiteral("Void"));
        auto* note =
            new QLabel(QStringLiteral("Why is receipt No. %1 voided? Every unit not returned yet is paid back.")
                           .arg(receiptNumber),
                       this);
        note->setObjectName(QStringLiteral("lblVoid"));
        note->setWordWrap(true);
        m_reason = makeLineEdit(this, QStringLiteral("txtReason"), QRect());
        m_reason->setMaxLength(200);
        QPushButton* ok = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("OK"));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] {
            if (reason().isEmpty())
                warn(this, QStringLiteral("Warning"), QStringLiteral("Please type the reason for the void."));
            else
                accept();
        });
        QPushButton* cancel = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(note);
        layout->addWidget(m_reason);
        layout->addLayout(buttons);
    }
    QString reason() const { return m_reason->text().trimmed(); }

  private:
    QLineEdit* m_reason = nullptr; // txtReason
};

} // namespace

std::optional<QString> askVoidReason(QWidget* parent, qint64 receiptNumber)
{
    VoidDialog box(parent, receiptNumber);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.reason();
}

} // namespace marvono
