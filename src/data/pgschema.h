#pragma once
// The shop database on a PostgreSQL server: the same five tables as the embedded file.
#include "data/schema.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace marvono {

// The hidden key column every table carries after its own columns; the engine strips it from
// every record set and uses it to write rows back.
inline constexpr char kHiddenKeyColumn[] = "mv_key";
// The channel a change to the catalogue is announced on.
inline constexpr char kProductsChannel[] = "marvono_products";

// Creates the five tables (column order as in the embedded file, number-text columns refusing
// text that is no number), their look-up indexes, the catalogue change announcement and the one
// user_info row "vetch"/"vetch", brought to `version` (data/schema.h), all in one transaction: on
// failure nothing is left behind. Fails when the tables exist already.
bool createShopSchema(PGconn* connection, QString* error, int version = kSchemaVersion);

// The version table of a shop server: one row, the version its objects are of.
inline constexpr char kSchemaVersionTable[] = "marvono_schema";

// The objects and the row of createShopSchema, made inside the caller's transaction, with
// `madeVersion` called after the first version and after each step.
bool createShopObjects(PGconn* connection, QString* error, int version = kSchemaVersion,
                       const std::function<bool(int)>& madeVersion = {});

// As the owner, inside the caller's transaction, before the schema is made: the tills' role
// (quoted) may read and add rows to every table the owner makes; the schema's steps grant it what
// more the tills need.
bool grantTillDefaults(PGconn* connection, const QByteArray& tillRole, QString* error);

// The role that owns the shop database: the owner of its catalogue table, or of the database
// while there is none. Empty, with an error text naming `task`, when the connected role is
// neither that role nor a member of it nor a superuser: a till's role may sell and back up, but
// not remake the shop.
QString shopOwnerRole(PGconn* connection, const QString& task, QString* error);

// Runs statements whose rows nobody reads; false with the server's message.
bool runStatements(PGconn* connection, const char* sql, QString* error);

// Every row of a query, fields as text (NULL as empty); nothing, with the server's message, on failure.
std::optional<QList<QStringList>> queryRows(PGconn* connection, const QByteArray& sql, QString* error);

// The server's message for a failed statement, or the connection's when there is no result.
QString serverErrorText(PGconn* connection, PGresult* result);

// The version of the shop database (one from before versions were kept counts as the first);
// 0, with an error text, when it cannot be read.
int shopSchemaVersion(PGconn* connection, QString* error);

// Brings an older shop database to the newest version, one transaction per missing step, while
// other tills connecting at the same time wait. False, with the server's error, when a step fails
// (the database then keeps the last version completed); `refused` tells when the server refused
// for want of privileges, as it does to anyone but the owner of the tables.
bool upgradeShopSchema(PGconn* connection, QString* error, bool* refused = nullptr);

// Whether `password` is the one user_info holds as `stored`: the salted, stretched SHA-256 hash
// the server makes of every password written (a value of any other form is compared as it is).
bool hashedPasswordMatches(const QString& stored, const QString& password);

// The number of rows in the five tables together; -1 (with an error text) when any of them is
// missing or cannot be read.
int shopDataRowCount(PGconn* connection, QString* error);

} // namespace marvono
