#pragma once
// The shop database on a PostgreSQL server: the same five tables as the embedded file.
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
// user_info row "vetch"/"vetch", all in one transaction: on failure nothing is left behind.
// Fails when the tables exist already.
bool createShopSchema(PGconn* connection, QString* error);

// The number of rows in the five tables together; -1 (with an error text) when any of them is
// missing or cannot be read.
int shopDataRowCount(PGconn* connection, QString* error);

} // namespace marvono
