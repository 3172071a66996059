#include "bills/ui/cashdialogs.h"

#include "app/appcontext.h"
#include "bills/shift.h"
#include "controls/ui/amountbox.h"
#include "controls/ui/dialogs.h"
#include "data/database.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace marvono {

CashDialog::CashDialog(QWidget* parent, const QString& form, const QString& box, const QString& prompt,
                       const QString& refusal)
    : QDialog(parent), m_refusal(refusal)
{
    setObjectName(form);
    setWindowTitle(form == QLatin1String("frmFloat") ? QStringLiteral("Opening float") : QStringLiteral("Cash count"));
    QLabel* question = makeLabel(this, QStringLiteral("lblCash"), prompt, {});
    question->setWordWrap(true);
    m_box = makeLineEdit(this, box, {});
    guardAgainstScans(m_box, QStringLiteral("Cash"));
    QPushButton* ok = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("  O K"));
    connect(ok, &QPushButton::clicked, this, &CashDialog::check);
    QPushButton* cancel = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral(" Cancel"));
    connect(cancel, &QPushButton::clicked, this, &CashDialog::reject);
    pressOnEscape(this, cancel);
    pressOnEnter(m_box, ok);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(m_box);
    layout->addLayout(buttons);
    setMinimumWidth(360);
    m_box->setFocus();
}

void CashDialog::check()
{
    if (refuseScannedCode(m_box, QStringLiteral("Cash")))
        return;
    m_amount = readCashAmount(m_box->text().trimmed());
    if (!m_amount) {
        warn(this, QStringLiteral("Warning"), m_refusal);
        m_box->setFocus();
        return;
    }
    accept();
}

bool shiftOpenFor(QWidget* parent)
{
    QString error;
    const std::optional<bool> open = hasOpenShift(runValues().currentUser, &error);
    if (open && *open)
        return true;
    if (open) {
        CashDialog dialog(parent, QStringLiteral("frmFloat"), QStringLiteral("txtFloat"),
                          QStringLiteral("Your shift starts with this sale. How much cash is in the drawer now "
                                         "(the float)?"),
                          QStringLiteral("Type the cash in the drawer as a number of 0 or more, for example 50.00."));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (openShift(runValues().currentUser, *dialog.amount(), &error))
            return true;
    }
    warn(parent, QStringLiteral("Error"),
         withServerFailure(QStringLiteral("The shift could not be opened: nothing was sold.\n%1").arg(error)));
    return false;
}

std::optional<Currency> askCountedCash(QWidget* parent, const QString& operatorName, bool named)
{
    const QString whose = operatorName.isEmpty() ? QStringLiteral("(no name)") : operatorName;
    CashDialog dialog(parent, QStringLiteral("frmCashCount"), QStringLiteral("txtCounted"),
                      named ? QStringLiteral("How much cash did you count in the drawer of %1?").arg(whose)
                            : QStringLiteral("How much cash did you count in the drawer?"),
                      QStringLiteral("Type the cash counted in the drawer as a number of 0 or more, for example "
                                     "182.50: the day is not closed without it."));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.amount();
}

} // namespace marvono
