#pragma once
// Run-wide start-up services: the lock that keeps a second copy of the program from starting,
// the call by which a second copy wakes the running one, and the help that Help and F1 open.
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QObject;

namespace marvono {

// Takes the lock `name` in the user's runtime folder. Nothing when another holder (this process
// or another one that is still running) has it; the lock lasts as long as the returned object.
std::unique_ptr<QLockFile> lockSingleInstance(const QString& name);

// Where the lock `name` lives.
QString instanceLockPath(const QString& name);

// The holder of the lock `name` listens here for later starts of the program.
QString instanceServerPath(const QString& name);
// Listens, for the life of `parent`, for later starts that found the lock `name` taken; each
// one calls `woken`. Nothing when the place cannot be listened on. Only the lock's holder may
// listen: a place left behind by a copy that died is taken over.
QLocalServer* listenForLaterStarts(const QString& name, QObject* parent, std::function<void()> woken);
// Tells the copy that holds the lock `name` that the program was started again; false when no
// copy answers within a second.
bool wakeRunningInstance(const QString& name);

// The program's help file, remembered for the run.
void registerHelpFile(const QString& path);
QString helpFile();
// The user guide installed with the program (share/marvono/guide/index.html of its prefix, or
// docs/guide/index.html of a build tree), found from the executable's folder; the installed
// place when neither exists.
QString installedGuidePath(const QString& exeFolder = QString());
// The user guide of this run, registered at start-up like the help file (empty: none).
void registerUserGuide(const QString& path);
QString userGuide();
// What Help and F1 open: the help file when it exists, otherwise the user guide when it exists,
// otherwise nothing (empty).
QString helpTarget();

} // namespace marvono
