#include "app/appcontext.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "data/backup.h"

namespace marvono {
namespace {

const QString kBackupFilter = QStringLiteral("Database backup filetype(*.DBK)|*.DBK");

// The tag on the first line, and why on the next: a server's refusal is the operator's only clue.
QString withReason(const QString& tag, const QString& reason)
{
    return reason.isEmpty() ? tag : tag + QStringLiteral("\r\n") + reason;
}

void backup(ShopWindow& window)
{
    const QString path =
        chooseFile(window.mainWindow(), FileDialogMode::Save, QStringLiteral("CD"), QStringLiteral("Backup"),
                   kBackupFilter, QStringLiteral("shop-%1.DBK").arg(Clock::now().date().toString(Qt::ISODate)));
    if (path.isEmpty())
        return;
    QString error;
    if (backupDatabase(path, &error))
        warn(window.mainWindow(), QStringLiteral("successful"), QStringLiteral("Backup successfully."));
    else
        warn(window.mainWindow(), QStringLiteral("error"), withReason(QStringLiteral("(main)Backup error"), error));
}

void recovery(ShopWindow& window)
{
    const QString path = chooseFile(window.mainWindow(), FileDialogMode::Open, QStringLiteral("CD"),
                                    QStringLiteral("Recovery"), kBackupFilter);
    if (path.isEmpty())
        return;
    QString error;
    QString kept;
    if (recoverDatabase(path, &error, &kept)) {
        // The list and the details on screen came from the replaced database: show the recovered
        // data at once rather than at whatever refresh comes next, and read the buyers afresh.
        window.requestRefresh(false);
        window.reloadBuyerCombo();
        clearProductDetails(window);
        warn(window.mainWindow(), QStringLiteral("OK"),
             withReason(QStringLiteral("Recovery successfully."),
                        kept.isEmpty() ? QString() : QStringLiteral("The data it replaced is kept in ") + kept));
    } else
        warn(window.mainWindow(), QStringLiteral("error"), withReason(QStringLiteral("(main)Recovery error"), error));
}

} // namespace

void registerDataCommands(CommandTable& table)
{
    table.set(Command::Backup, backup);
    table.set(Command::Recovery, recovery);
}

} // namespace marvono
