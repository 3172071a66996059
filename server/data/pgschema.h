#pragma once
// The shop database on a PostgreSQL server: the same five tables as the embedded file.
#include "data/schema.h"

#include <QString>

typedef struct pg_conn PGconn;

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

// The version of the shop database (one from before versions were kept counts as the first);
// 0, with an error text, when it cannot be read.
int shopSchemaVersion(PGconn* connection, QString* error);

// Brings an older shop database to the newest version, one transaction per missing step, while
// other tills connecting at the same time wait. False, with the server's error, when a step fails
// (the database then keeps the last version completed); `refused` tells when the server refused
// for want of privileges, as it does to anyone but the owner of the tables.
bool upgradeShopSchema(PGconn* connection, QString* error, bool* refused = nullptr);

// The number of rows in the five tables together; -1 (with an error text) when any of them is
// missing or cannot be read.
int shopDataRowCount(PGconn* connection, QString* error);

} // namespace marvono
