#pragma once
// Run-wide start-up services: the lock that keeps a second copy of the program from starting,
// and the help file that Help and F1 open.
#include <QLockFile>
#include <QString>
#include <memory>

namespace marvono {

// Takes the lock `name` in the user's runtime folder. Nothing when another holder (this process
// or another one that is still running) has it; the lock lasts as long as the returned object.
std::unique_ptr<QLockFile> lockSingleInstance(const QString& name);

// Where the lock `name` lives.
QString instanceLockPath(const QString& name);

// The program's help file, remembered for the run.
void registerHelpFile(const QString& path);
QString helpFile();
// Hands the help file to the desktop's viewer; a missing file or viewer is ignored.
void openHelpFile();

} // namespace marvono
