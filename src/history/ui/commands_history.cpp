#include "controls/ui/commands.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "history/historyfiles.h"

#include <QPlainTextEdit>

namespace marvono {
namespace {

void clearHistory(ShopWindow& window, const QString& question, const QString& failure)
{
    if (!confirm(window.mainWindow(), QStringLiteral("Confirm"), question))
        return;
    QPlainTextEdit* pane = window.historyPane();
    if (!pane) {
        warn(window.mainWindow(), QStringLiteral("error"), failure);
        return;
    }
    pane->clear();
}

void saveHistory(ShopWindow& window)
{
    const QString path = chooseFile(window.mainWindow(), FileDialogMode::Save, QStringLiteral("CD"),
                                    QStringLiteral("Save History"), QStringLiteral("Text file(*.TXT)|*.TXT"));
    if (path.isEmpty())
        return;
    QPlainTextEdit* pane = window.historyPane();
    if (pane && saveHistoryFile(path, pane->toPlainText()))
        warn(window.mainWindow(), QStringLiteral("OK"), QStringLiteral("File has been saved"));
    else
        warn(window.mainWindow(), QStringLiteral("error"), QStringLiteral("(main)History save error"));
}

void printPane(ShopWindow& window)
{
    QPlainTextEdit* pane = window.historyPane();
    if (!pane)
        return;
    printHistory(pane->toPlainText(), window.mainWindow(), [&window](const QString& reason) {
        warn(window.mainWindow(), QStringLiteral("Error"), QStringLiteral("(main)Print error\n") + reason);
    });
}

} // namespace

void registerHistoryCommands(CommandTable& table)
{
    table.set(Command::ClearHistoryButton, [](ShopWindow& window) {
        clearHistory(window, QStringLiteral("Are you sure to clear History ?"),
                     QStringLiteral("(MAIN)History clear failed"));
    });
    table.set(Command::ClearHistoryMenu, [](ShopWindow& window) {
        clearHistory(window, QStringLiteral("Are you sure to clear history ?"),
                     QStringLiteral("(main)History clear error"));
    });
    table.set(Command::SaveHistory, saveHistory);
    table.set(Command::PrintHistory, printPane);
}

} // namespace marvono
