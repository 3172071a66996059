#pragma once
// Whole-file copies of the database: a backup to a file of the operator's choice and a recovery
// from such a file over the live database. With a shop server the same two work on pg_dump
// archives of the shop database (data/pgbackup.h).
#include <QString>

namespace marvono {

// Copies the live database to `destination`, replacing it. The copy is written beside the
// destination and renamed into place, so a failure leaves an existing destination as it was.
// While the bytes are read the database is held under a read lock, so no writer can change the
// file half way through the copy.
bool backupDatabase(const QString& destination, QString* error = nullptr);

// True when `path` opens with the program's password and holds every table of the program.
bool isDatabaseOfThisProgram(const QString& path, QString* error = nullptr);

// Replaces the live database with a copy of `source`, after checking that the source is a
// database of this program whose data keeps the shop's rules (data/shoprules.h); a refused or
// failed recovery leaves the live data untouched. The data it replaced is kept beside the live
// database (system32.dll.before-recovery, or on a shop server an archive in the application
// folder), in place of an older such copy; `keptCopy` tells where.
bool recoverDatabase(const QString& source, QString* error = nullptr, QString* keptCopy = nullptr);

// Copies a file so that the destination is either the old file or a complete copy, never a part.
bool copyFileAtomically(const QString& source, const QString& destination, QString* error = nullptr);

} // namespace marvono
