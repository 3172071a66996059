#pragma once
// Backup and recovery of a shop database on a server, through pg_dump and pg_restore archives.
#include <QString>

namespace marvono {

// Writes a pg_dump custom-format archive of the shop database to `destination`. The archive is
// streamed into a file beside the destination and renamed into place, so a failure leaves an
// existing destination as it was. With `snapshot`, the archive holds the data that snapshot of a
// transaction still open (pg_export_snapshot) sees.
bool backupShopServer(const QString& conninfo, const QString& destination, QString* error = nullptr,
                      const QString& snapshot = {});

// True when `path` is a pg_dump archive holding the five tables of a shop database and their data.
bool isShopServerArchive(const QString& path, QString* error = nullptr);

// Replaces the shop database's tables with those of the archive, after checking it and the
// shop's rules on its data, in one transaction: a refused or failed recovery leaves the live data
// untouched. With `keepAs`, the data it replaces is first written there as an archive.
bool recoverShopServer(const QString& conninfo, const QString& source, QString* error = nullptr,
                       const QString& keepAs = {});

// The PostgreSQL client program `name` (pg_dump, pg_restore): the version 15 one when installed,
// else whatever PATH finds.
QString postgresClientProgram(const QString& name);

} // namespace marvono
