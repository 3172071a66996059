#include "bills/ui/exportreceiptsdialog.h"

#include "app/appcontext.h"
#include "bills/receiptexport.h"
#include "controls/ui/dialogs.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace marvono {
namespace {

QDateEdit* makeDateEdit(QWidget* parent, const QString& objectName, const QDate& date)
{
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(objectName);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    return edit;
}

} // namespace

ExportReceiptsDialog::ExportReceiptsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExportReceipts"));
    setWindowTitle(QStringLiteral("Export receipts"));
    const QDate today = Clock::now().date();
    const QDate first(today.year(), today.month(), 1);
    m_from = makeDateEdit(this, QStringLiteral("dtpFrom"), first);
    m_to = makeDateEdit(this, QStringLiteral("dtpTo"), first.addMonths(1).addDays(-1));
    auto* fields = new QFormLayout;
    fields->addRow(makeLabel(this, QStringLiteral("lblFrom"), QStringLiteral("From:"), {}), m_from);
    fields->addRow(makeLabel(this, QStringLiteral("lblTo"), QStringLiteral("To:"), {}), m_to);

    QPushButton* ok = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("  O K"));
    connect(ok, &QPushButton::clicked, this, &ExportReceiptsDialog::check);
    QPushButton* cancel = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral(" Cancel"));
    connect(cancel, &QPushButton::clicked, this, &ExportReceiptsDialog::reject);
    pressOnEscape(this, cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

QDate ExportReceiptsDialog::from() const
{
    return m_from->date();
}

QDate ExportReceiptsDialog::to() const
{
    return m_to->date();
}

void ExportReceiptsDialog::check()
{
    if (from() > to()) {
        warn(this, QStringLiteral("Export receipts"), QStringLiteral("The From date is after the To date."));
        return;
    }
    accept();
}

void exportReceiptsFor(QWidget* parent)
{
    ExportReceiptsDialog days(parent);
    if (days.exec() != QDialog::Accepted)
        return;
    const QString path =
        chooseFile(parent, FileDialogMode::Save, QStringLiteral("CDExportReceipts"), QStringLiteral("Export receipts"),
                   QStringLiteral("CSV file(*.csv)|*.csv"),
                   QStringLiteral("receipts-%1.csv").arg(days.from().toString(QStringLiteral("yyyy-MM"))));
    if (path.isEmpty())
        return;
    QString error;
    if (!exportReceipts(days.from(), days.to(), path, &error)) {
        warn(parent, QStringLiteral("Export receipts"), error);
        return;
    }
    showMessage(parent, QMessageBox::Information, QStringLiteral("Export receipts"),
                QStringLiteral("The receipts are in %1, the day closes in %2.").arg(path, closesCsvPath(path)));
}

} // namespace marvono
