#include "app/ui/commands.h"
#include "app/ui/frmmain.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/dialogs.h"
#include "data/backup.h"

namespace marvono {
namespace {

const QString kBackupFilter = QStringLiteral("Database backup filetype(*.DBK)|*.DBK");

void backup(FrmMain& window)
{
    const QString path =
        chooseFile(&window, FileDialogMode::Save, QStringLiteral("CD"), QStringLiteral("Backup"), kBackupFilter);
    if (path.isEmpty())
        return;
    if (backupDatabase(path))
        warn(&window, QStringLiteral("successful"), QStringLiteral("Backup successfully."));
    else
        warn(&window, QStringLiteral("error"), QStringLiteral("(main)Backup error"));
}

void recovery(FrmMain& window)
{
    const QString path =
        chooseFile(&window, FileDialogMode::Open, QStringLiteral("CD"), QStringLiteral("Recovery"), kBackupFilter);
    if (path.isEmpty())
        return;
    if (recoverDatabase(path)) {
        // The list and the details on screen came from the replaced database: show the recovered
        // data at once rather than at whatever refresh comes next, and read the buyers afresh.
        window.requestRefresh(false);
        window.reloadBuyerCombo();
        clearProductDetails(window);
        warn(&window, QStringLiteral("OK"), QStringLiteral("Recovery successfully."));
    } else
        warn(&window, QStringLiteral("error"), QStringLiteral("(main)Recovery error"));
}

} // namespace

void registerDataCommands(CommandTable& table)
{
    table.set(Command::Backup, backup);
    table.set(Command::Recovery, recovery);
}

} // namespace marvono
