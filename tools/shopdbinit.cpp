// Creates the shop database on a server: the five tables and the login account vetch/vetch.
#include "data/pgschema.h"
#include "shopdbtool.h"

#include <QCoreApplication>
#include <cstdio>

using namespace marvono;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (const auto exit =
            tools::commandLineExit(args, 1, "marvono-shopdb-init \"<libpq connection string>\"",
                                   "Creates the tables of a Marvono shop database and its login account vetch/vetch\n"
                                   "in an empty database on a PostgreSQL server. A database that holds a shop\n"
                                   "database already is left alone."))
        return *exit;
    tools::ServerConnection server(args.at(1));
    if (!server.isOpen()) {
        std::fprintf(stderr, "marvono-shopdb-init: cannot connect: %s\n", qPrintable(server.error()));
        return 1;
    }
    // The tables existing at all, even empty, means someone set this database up already:
    // creating them again would fail half way, so refuse before touching anything.
    QString error;
    const int rows = shopDataRowCount(server.handle(), &error);
    if (rows >= 0) {
        std::fprintf(stderr,
                     "marvono-shopdb-init: the database holds a shop database already (%d rows); "
                     "nothing was changed\n",
                     rows);
        return 1;
    }
    if (!createShopSchema(server.handle(), &error)) {
        std::fprintf(stderr, "marvono-shopdb-init: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("Created the shop database with the login account vetch / vetch.\n");
    return 0;
}
