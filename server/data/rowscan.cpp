#include "data/rowscan.h"

#include "data/database.h"
#include "data/engine.h"

namespace marvono {

bool scanRows(const QString& query, const std::function<bool(const ScannedRow&)>& visit, QString* error)
{
    Engine* engine = Database::instance().engine(error);
    return engine && engine->scan(query, visit, error);
}

} // namespace marvono
