#pragma once
// Which folder is the application folder, and laying out a fresh one from the delivered files.
#include <QString>
#include <QStringList>

namespace marvono {

// The executable's folder when the operator can write there (the build tree, a portable copy, an
// install under a prefix the operator owns); otherwise `dataHome`/marvono. A folder under /usr
// outside /usr/local belongs to the package manager and never serves, even when writable (root):
// the shop's data would be replaced by the next upgrade and deleted by a removal.
QString chooseAppFolder(const QString& exeFolder, bool exeFolderWritable, const QString& dataHome);

// The files an installation delivers beside its executable, relative to the application folder.
const QStringList& deliveredFiles();
// The folders every application folder has, relative to it.
const QStringList& appSubfolders();

// Copies into `to` each delivered file that `from` holds and `to` lacks, and creates the
// sub-folders; an existing file is never replaced, and the buyer list only goes into a folder
// without a database. False when a folder or copy failed.
bool layOutAppFolder(const QString& from, const QString& to);

// The application folder of this run when no test handed one in: chosen once by
// chooseAppFolder() for the executable's folder and $XDG_DATA_HOME (default ~/.local/share).
QString defaultAppFolder();

// Lays out the default application folder from the executable's folder when they differ; does
// nothing when a folder was handed in. False when the layout failed.
bool prepareAppFolder();

} // namespace marvono
