#pragma once
// Backup and recovery of a shop database on a server, through pg_dump and pg_restore archives.
#include <QString>

namespace marvono {

// Writes a pg_dump custom-format archive of the shop database to `destination`. The archive is
// streamed into a file beside the destination and renamed into place, so a failure leaves an
// existing destination as it was.
bool backupShopServer(const QString& conninfo, const QString& destination, QString* error = nullptr);

// True when `path` is a pg_dump archive holding the five tables of a shop database and their data.
bool isShopServerArchive(const QString& path, QString* error = nullptr);

// Replaces the shop database's tables with those of the archive, after checking it, in one
// transaction: a refused or failed recovery leaves the live data untouched.
bool recoverShopServer(const QString& conninfo, const QString& source, QString* error = nullptr);

// The PostgreSQL client program `name` (pg_dump, pg_restore): the version 15 one when installed,
// else whatever PATH finds.
QString postgresClientProgram(const QString& name);

} // namespace marvono
