#pragma once
// The tables of the shop database and how they grow. The five tables of the first version never
// change; a later version only adds tables and indexes, by one numbered step per version that
// both engines run, each in its own transaction that also records the new version. The delivered
// database is built by running every step; an older database runs the steps it lacks when it is
// first opened.
#include <QString>
#include <QStringList>
#include <span>

struct sqlite3;

namespace marvono {

// The newest version: the one this program builds and upgrades to.
inline constexpr int kSchemaVersion = 16;

// The step to `version` from the one before it; an engine with nothing to change has no text.
struct SchemaStep {
    int version;
    const char* embedded;
    const char* server;
};

// Every step after the first version, in order.
std::span<const SchemaStep> schemaSteps();

// Creates an encrypted system32.dll at path with the five tables, their column order, the
// look-up indexes and the one user_info row "vetch"/"vetch", brought to `version`. Fails if the
// file exists. Only the delivery tool (tools/) and the tests make databases.
bool createDeliveredDatabase(const QString& path, QString* error, int version = kSchemaVersion);

// The tables, in lower case, of an embedded file of `version`.
QStringList embeddedSchemaTables(int version);

// The version of an open embedded file (a file from before versions were kept counts as the
// first).
int embeddedSchemaVersion(sqlite3* db);

// Brings an open embedded file to the newest version, one transaction per missing step; a file
// of a newer version is left as it is. False, with an error text, when a step fails: the file
// then keeps the last version that was completed.
bool upgradeEmbeddedSchema(sqlite3* db, QString* error);

} // namespace marvono
