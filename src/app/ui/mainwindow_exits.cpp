// The ways out of the main window: the updater, help, the about box and quitting.
#include "app/ui/mainwindow_p.h"

#include "app/appcontext.h"
#include "app/ui/aboutdialog.h"
#include "app/ui/helpwindow.h"
#include "controls/ui/dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QProcess>

namespace marvono {

void MainWindow::startUpdater()
{
    const QString updater = appPath(QStringLiteral("update.exe"));
    if (!QFileInfo::exists(updater)) {
        warn(this, QStringLiteral("Error"), QStringLiteral("Cannot find the Update file"));
        return;
    }
    QProcess::startDetached(updater, {}, appFolder());
}

void MainWindow::openHelp()
{
    marvono::openHelp();
}

void MainWindow::showAbout()
{
    showSingleDialog<AboutDialog>(this);
}

bool MainWindow::askQuit()
{
    return confirm(this, QStringLiteral("Confirm"), QStringLiteral("Are you sure to quit ?"));
}

void MainWindow::endProgram()
{
    d->quitting = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
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
