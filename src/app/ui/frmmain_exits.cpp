// The ways out of the main window: the updater, help, the about box and quitting.
#include "app/ui/frmmain_p.h"

#include "app/appcontext.h"
#include "app/ui/frmabout.h"
#include "app/ui/frmhelp.h"
#include "controls/ui/dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QProcess>

namespace marvono {

void FrmMain::startUpdater()
{
    const QString updater = appPath(QStringLiteral("update.exe"));
    if (!QFileInfo::exists(updater)) {
        warn(this, QStringLiteral("Error"), QStringLiteral("Cannot find the Update file"));
        return;
    }
    QProcess::startDetached(updater, {}, appFolder());
}

void FrmMain::openHelp()
{
    marvono::openHelp();
}

void FrmMain::showAbout()
{
    showSingleDialog<FrmAbout>(this);
}

bool FrmMain::askQuit()
{
    return confirm(this, QStringLiteral("Confirm"), QStringLiteral("Are you sure to quit ?"));
}

void FrmMain::endProgram()
{
    d->quitting = true;
    close();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    if (!d->quitting && !askQuit()) {
        event->ignore();
        return;
    }
    d->quitting = true;
    event->accept();
    // Nothing else is asked on the way out: the other windows are hidden, not closed.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window != this && window->isVisible())
            window->hide();
    QCoreApplication::quit();
}

} // namespace marvono
