#include "app/ui/commands.h"
#include "app/ui/frmmain.h"
#include "controls/ui/dialogs.h"
#include "history/historyfiles.h"

#include <QPlainTextEdit>

namespace marvono {
namespace {

void clearHistory(FrmMain& window, const QString& question, const QString& failure)
{
    if (!confirm(&window, QStringLiteral("Confirm"), question))
        return;
    QPlainTextEdit* pane = window.historyPane();
    if (!pane) {
        warn(&window, QStringLiteral("error"), failure);
        return;
    }
    pane->clear();
}

void saveHistory(FrmMain& window)
{
    const QString path = chooseFile(&window, FileDialogMode::Save, QStringLiteral("CD"), QStringLiteral("Save History"),
                                    QStringLiteral("Text file(*.TXT)|*.TXT"));
    if (path.isEmpty())
        return;
    QPlainTextEdit* pane = window.historyPane();
    if (pane && saveHistoryFile(path, pane->toPlainText()))
        warn(&window, QStringLiteral("OK"), QStringLiteral("File has been saved"));
    else
        warn(&window, QStringLiteral("error"), QStringLiteral("(main)History save error"));
}

void printPane(FrmMain& window)
{
    QPlainTextEdit* pane = window.historyPane();
    if (!pane)
        return;
    printHistory(pane->toPlainText(), &window, [&window](const QString& reason) {
        warn(&window, QStringLiteral("Error"), QStringLiteral("(main)Print error\n") + reason);
    });
}

} // namespace

void registerHistoryCommands(CommandTable& table)
{
    table.set(Command::ClearHistoryButton, [](FrmMain& window) {
        clearHistory(window, QStringLiteral("Are you sure to clear History ?"),
                     QStringLiteral("(MAIN)History clear failed"));
    });
    table.set(Command::ClearHistoryMenu, [](FrmMain& window) {
        clearHistory(window, QStringLiteral("Are you sure to clear history ?"),
                     QStringLiteral("(main)History clear error"));
    });
    table.set(Command::SaveHistory, saveHistory);
    table.set(Command::PrintHistory, printPane);
}

} // namespace marvono
