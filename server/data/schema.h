#pragma once
// The tables of the delivered database. The program never creates tables: only the delivery
// tool (tools/) and the tests call this.
#include <QString>

namespace marvono {

// Creates an encrypted system32.dll at path with the five tables, their column order, the
// look-up indexes and the one user_info row "vetch"/"vetch". Fails if the file exists.
bool createDeliveredDatabase(const QString& path, QString* error);

} // namespace marvono
