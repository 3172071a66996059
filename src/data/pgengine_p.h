#pragma once
// What the files of the shop server engine share beyond its public interface.
#include "data/pgengine.h"

#include <libpq-fe.h>

namespace marvono {

struct PgEngine::Result {
    explicit Result(PGresult* result) : handle(result) {}
    ~Result() { PQclear(handle); }
    PGresult* handle;
};

} // namespace marvono
