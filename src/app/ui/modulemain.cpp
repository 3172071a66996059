#include "app/ui/modulemain.h"

#include "app/appcontext.h"
#include "app/appfolder.h"
#include "app/instance.h"
#include "app/quoteditems.h"
#include "app/ui/artwork.h"
#include "app/ui/loginwindow.h"
#include "app/ui/mainwindow.h"
#include "app/ui/serverwait.h"

#include <QApplication>
#include <map>

namespace marvono {

namespace {
// A later start shows the operator the window to work in: the main window once logged in,
// otherwise the login window; a minimised one comes back as it was before.
void bringProgramForward()
{
    QWidget* front = MainWindow::instance();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.cbegin(); !front && it != windows.cend(); ++it)
        if (qobject_cast<LoginWindow*>(*it) && (*it)->isVisible())
            front = *it;
    if (!front)
        return;
    front->setWindowState(front->windowState() & ~Qt::WindowMinimized);
    front->show();
    front->raise();
    front->activateWindow();
}
} // namespace

LoginWindow* startProgram(const QString& lockName)
{
    installWindowServerWait();

    // Held until the process ends; a second copy finds it taken, wakes the running copy and
    // leaves quietly.
    static std::map<QString, std::unique_ptr<QLockFile>> heldLocks;
    std::unique_ptr<QLockFile> lock = heldLocks.count(lockName) ? nullptr : lockSingleInstance(lockName);
    if (!lock) {
        wakeRunningInstance(lockName);
        return nullptr;
    }
    heldLocks.emplace(lockName, std::move(lock));
    listenForLaterStarts(lockName, qApp, bringProgramForward);

    // After the lock, so two first starts never lay out the same folder at once. A failed layout
    // shows up at login as the missing or unreadable database it leaves.
    prepareAppFolder();

    // Only now that no other copy can be writing them: a write killed half-way (a crash, a
    // power cut) may have left its temporary file beside one of the program's own files.
    for (const char* file : {"setup.dat", "qexclient/tables.dat", "print.txt"})
        removeWriteLeftovers(appPath(QString::fromLatin1(file)));

    registerHelpFile(appPath(QStringLiteral("tutorial.chm")));
    registerUserGuide(installedGuidePath());
    installProgramIcon();

    auto* login = new LoginWindow;
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->load();
    login->show();
    return login;
}

} // namespace marvono
