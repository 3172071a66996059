#include "bills/ui/dayclosewindow.h"

#include "app/appcontext.h"
#include "bills/escpos.h"
#include "bills/receipt.h"
#include "bills/thermalprinter.h"
#include "bills/ui/cashdialogs.h"
#include "bills/ui/receiptprinter.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"

#include <QFontDatabase>
#include <QPlainTextEdit>

namespace marvono {

DayCloseWindow::DayCloseWindow(const DayClose& close, QWidget* parent) : QDialog(parent), m_close(close)
{
    setObjectName(QStringLiteral("frmDayClose"));
    setWindowTitle(QStringLiteral("Close day"));
    setFixedSize(420, 520);
    auto* container = new XPContainer(this, QStringLiteral("Day close No. %1").arg(close.number));
    container->setObjectName(QStringLiteral("XPContainer1"));
    container->setGeometry(rect());
    container->setTheme(runValues().themeIndex);

    auto* text = new QPlainTextEdit(container);
    text->setObjectName(QStringLiteral("txtClose"));
    text->setGeometry(16, 36, 388, 424);
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setPlainText(lines(42).join(QLatin1Char('\n')));

    QPushButton* print = makeButton(container, QStringLiteral("cmdPrint"), QStringLiteral("Print"));
    print->setGeometry(16, 472, 110, 30);
    QPushButton* pdf = makeButton(container, QStringLiteral("cmdPdf"), QStringLiteral("Save PDF"));
    pdf->setGeometry(140, 472, 110, 30);
    QPushButton* ok = makeButton(container, QStringLiteral("cmdOK"), QStringLiteral("  O K"));
    ok->setGeometry(294, 472, 110, 30);
    connect(print, &QPushButton::clicked, this, &DayCloseWindow::print);
    connect(pdf, &QPushButton::clicked, this, &DayCloseWindow::savePdf);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, ok);
}

QStringList DayCloseWindow::lines(int columns) const
{
    return dayCloseTextLines(m_close, runValues().shopName, readShopIdentity(), runValues().currencySymbol, columns);
}

void DayCloseWindow::print()
{
    if (const ReceiptPrinter printer = readReceiptPrinter(); printer.escPos) {
        sendToReceiptPrinterFor(
            this, printer,
            escPosDayClose(m_close, runValues().shopName, readShopIdentity(), runValues().currencySymbol,
                           printer.columns),
            QStringLiteral("Day close No. %1 is stored: press Print to try again.").arg(m_close.number));
        return;
    }
    QString error;
    if (!printTextLinesOnPrinter(
            QStringLiteral("Day close %1").arg(m_close.number), [this](int columns) { return lines(columns); }, &error))
        warn(this, QStringLiteral("Error"), QStringLiteral("(Close)Print error\n") + error);
}

void DayCloseWindow::savePdf()
{
    const QString path =
        chooseFile(this, FileDialogMode::Save, QStringLiteral("CDDayClose"), QStringLiteral("Save day close"),
                   QStringLiteral("PDF file(*.pdf)|*.pdf"), QStringLiteral("close-%1.pdf").arg(m_close.number));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveTextLinesPdf(
            path, QStringLiteral("Day close %1").arg(m_close.number), readReceiptPaper(),
            [this](int columns) { return lines(columns); }, &error))
        warn(this, QStringLiteral("Error"), QStringLiteral("(Close)Save error\n") + error);
}

void closeDayFor(QWidget* parent)
{
    if (!confirm(parent, QStringLiteral("Close day"),
                 QStringLiteral("Close now? Sales and goods booked after the close go to the next close.")))
        return;
    // Every drawer is counted before anything is closed; a cancelled count closes nothing.
    QString error;
    const auto drawers = drawersToCount(&error);
    QMap<QString, Currency> counted;
    for (const DrawerCash& drawer : drawers.value_or(QList<DrawerCash>())) {
        const std::optional<Currency> amount = askCountedCash(parent, drawer.operatorName, drawers->size() > 1);
        if (!amount)
            return;
        counted.insert(drawer.operatorName, *amount);
    }
    const CloseResult result = drawers ? closeDay(counted, &*drawers) : CloseResult{CloseOutcome::Failed, {}, error};
    if (result.outcome == CloseOutcome::Recount) {
        warn(parent, QStringLiteral("Close day"), result.error);
        return;
    }
    if (result.outcome == CloseOutcome::Failed) {
        warn(parent, QStringLiteral("error"),
             withServerFailure(QStringLiteral("The day was not closed.\n%1").arg(result.error)));
        return;
    }
    if (result.outcome == CloseOutcome::AlreadyClosed)
        warn(parent, QStringLiteral("Close day"),
             QStringLiteral("Nothing was booked since close No. %1 at %2; that close is shown again.")
                 .arg(result.close.number)
                 .arg(dateTimeText(result.close.time)));
    auto* window = new DayCloseWindow(result.close, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

} // namespace marvono
