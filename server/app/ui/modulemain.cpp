#include "app/ui/modulemain.h"

#include "app/appcontext.h"
#include "app/appfolder.h"
#include "app/instance.h"
#include "app/quoteditems.h"
#include "app/ui/artwork.h"
#include "app/ui/frmlogin.h"

#include <map>

namespace marvono {

FrmLogin* startProgram(const QString& lockName)
{
    // Held until the process ends; a second copy finds it taken and leaves quietly.
    static std::map<QString, std::unique_ptr<QLockFile>> heldLocks;
    if (heldLocks.count(lockName))
        return nullptr;
    std::unique_ptr<QLockFile> lock = lockSingleInstance(lockName);
    if (!lock)
        return nullptr;
    heldLocks.emplace(lockName, std::move(lock));

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

    auto* login = new FrmLogin;
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->load();
    login->show();
    return login;
}

} // namespace marvono
