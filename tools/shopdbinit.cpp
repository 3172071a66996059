// Creates the shop database on a server: the five tables, the login account vetch/vetch and the
// shop's two roles; and lays out the folder the tills share for pictures, texts and bills.
#include "app/quoteditems.h"
#include "artwork.h"
#include "data/pgschema.h"
#include "shopdbtool.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace marvono;

namespace {

QByteArray quotedName(PGconn* conn, const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    char* quoted = PQescapeIdentifier(conn, utf8.constData(), size_t(utf8.size()));
    const QByteArray result(quoted ? quoted : "\"\"");
    PQfreemem(quoted);
    return result;
}

QByteArray quotedText(PGconn* conn, const QByteArray& text)
{
    char* quoted = PQescapeLiteral(conn, text.constData(), size_t(text.size()));
    const QByteArray result(quoted ? quoted : "''");
    PQfreemem(quoted);
    return result;
}

QByteArray newPassword()
{
    static const char letters[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    QByteArray password;
    for (int i = 0; i < 24; ++i)
        password += letters[QRandomGenerator::system()->bounded(int(sizeof letters) - 1)];
    return password;
}

// A login role of that name, made with a new password unless it exists; the password made, or
// empty for a role that was there.
bool ensureRole(tools::ServerConnection& server, const QString& name, QByteArray* password)
{
    PGresult* found =
        server.query("SELECT count(*) FROM pg_roles WHERE rolname = " + quotedText(server.handle(), name.toUtf8()));
    if (!found)
        return false;
    const bool exists = QByteArray(PQgetvalue(found, 0, 0)) != "0";
    PQclear(found);
    if (exists)
        return true;
    *password = newPassword();
    return server.exec("CREATE ROLE " + quotedName(server.handle(), name) + " LOGIN PASSWORD " +
                       quotedText(server.handle(), *password));
}

// The owner role owns the database and everything in it and alone may remake it; the tills' role
// reads and writes the rows of every table the owner makes, now or in a later version, and no
// more: it cannot drop, empty or change a table.
bool createWithRoles(tools::ServerConnection& server, const QString& database, QString* error)
{
    const QString owner = database + QStringLiteral("_owner");
    const QString till = database + QStringLiteral("_till");
    const QByteArray ownerName = quotedName(server.handle(), owner);
    const QByteArray tillName = quotedName(server.handle(), till);
    QByteArray ownerPassword, tillPassword;
    const bool made =
        server.exec("BEGIN") && ensureRole(server, owner, &ownerPassword) && ensureRole(server, till, &tillPassword) &&
        server.exec("DO $grant$ BEGIN IF NOT (SELECT rolsuper FROM pg_roles WHERE rolname = current_user) THEN "
                    "EXECUTE format('GRANT %I TO current_user', " +
                    quotedText(server.handle(), owner.toUtf8()) + "); END IF; END $grant$") &&
        server.exec("ALTER DATABASE " + quotedName(server.handle(), database) + " OWNER TO " + ownerName) &&
        server.exec("SET LOCAL ROLE " + ownerName) &&
        server.exec("ALTER DEFAULT PRIVILEGES GRANT SELECT, INSERT, UPDATE, DELETE ON TABLES TO " + tillName) &&
        server.exec("ALTER DEFAULT PRIVILEGES GRANT USAGE, SELECT ON SEQUENCES TO " + tillName) &&
        createShopObjects(server.handle(), error) && server.exec("COMMIT");
    if (!made) {
        if (error->isEmpty())
            *error = server.error();
        server.exec("ROLLBACK");
        return false;
    }
    std::printf("Created the shop database with the login account vetch / vetch.\n");
    for (const auto& [role, password, use] :
         {std::tuple{owner, ownerPassword, "marvono-shopdb-move, recovery and upgrades"},
          std::tuple{till, tillPassword, "the tills: their shopserver.conf and ~/.pgpass"}}) {
        if (password.isEmpty())
            std::printf("Role %s (kept as it was): for %s.\n", qPrintable(role), use);
        else
            std::printf("Role %s, password %s: for %s.\n", qPrintable(role), password.constData(), use);
    }
    return true;
}

int initDatabase(const QString& conninfo)
{
    tools::ServerConnection server(conninfo);
    if (!server.isOpen()) {
        std::fprintf(stderr, "marvono-shopdb-init: cannot connect: %s\n", qPrintable(server.error()));
        return 1;
    }
    // A till's role is told it is the wrong role before anything else, even on a set-up shop.
    QString error;
    if (shopOwnerRole(server.handle(), QStringLiteral("marvono-shopdb-init"), &error).isEmpty()) {
        std::fprintf(stderr, "marvono-shopdb-init: %s; nothing was changed\n", qPrintable(error));
        return 1;
    }
    // The tables existing at all, even empty, means someone set this database up already:
    // creating them again would fail half way, so refuse before touching anything.
    const int rows = shopDataRowCount(server.handle(), &error);
    if (rows >= 0) {
        std::fprintf(stderr,
                     "marvono-shopdb-init: the database holds a shop database already (%d rows); "
                     "nothing was changed\n",
                     rows);
        return 1;
    }
    error.clear();
    PGresult* database = server.query("SELECT current_database()");
    const QString name = database ? QString::fromUtf8(PQgetvalue(database, 0, 0)) : QString();
    PQclear(database);
    if (!createWithRoles(server, name, &error)) {
        std::fprintf(stderr, "marvono-shopdb-init: %s; nothing was changed\n", qPrintable(error));
        return 1;
    }
    return 0;
}

// What a till looks for in the shared folder; files there already are the shop's and stay.
int layOutClientFolder(const QString& folder)
{
    const QDir dir(folder);
    bool ok =
        dir.mkpath(QStringLiteral("pic")) && dir.mkpath(QStringLiteral("info")) && dir.mkpath(QStringLiteral("bill"));
    const QString placeholder = dir.filePath(QStringLiteral("pic/zw.jpg"));
    if (ok && !QFileInfo::exists(placeholder))
        ok = tools::placeholderPicture().save(placeholder, "JPEG", 90);
    const QString buyers = dir.filePath(QStringLiteral("tables.dat"));
    if (ok && !QFileInfo::exists(buyers))
        ok = writeQuotedItems(buyers, {QStringLiteral("Counter")});
    if (!ok) {
        std::fprintf(stderr, "marvono-shopdb-init: cannot lay out the client folder %s\n", qPrintable(folder));
        return 1;
    }
    std::printf("Laid out the client folder %s: pic/zw.jpg, info/, bill/ and tables.dat.\n", qPrintable(folder));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The placeholder picture is drawn with text, which wants a GUI application (not a display).
    const bool drawing =
        std::any_of(argv, argv + argc, [](const char* arg) { return qstrcmp(arg, "--client-folder") == 0; });
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app(drawing ? new QGuiApplication(argc, argv)
                                                        : new QCoreApplication(argc, argv));
    QStringList args = QCoreApplication::arguments();
    QString clientFolder;
    const qsizetype option = args.indexOf(QStringLiteral("--client-folder"));
    if (option > 0 && option + 1 < args.size()) {
        clientFolder = args.at(option + 1);
        args.remove(option, 2);
    }
    if (const auto exit = tools::commandLineExit(
            args, clientFolder.isEmpty() || args.size() > 1 ? 1 : 0,
            "marvono-shopdb-init [--client-folder DIR] [\"<libpq connection string>\"]",
            "Creates the tables of a Marvono shop database and its login account vetch/vetch\n"
            "in an empty database on a PostgreSQL server, with the shop's two roles: an owner\n"
            "role that owns the database, and a role for the tills that may sell, keep the\n"
            "catalogue and back up. A database that holds a shop database already is left alone.\n"
            "With --client-folder, lays out the folder the tills share (pictures, product texts,\n"
            "bills, the buyer list), keeping any file that is there."))
        return *exit;
    if (!clientFolder.isEmpty() && layOutClientFolder(clientFolder) != 0)
        return 1;
    return args.size() > 1 ? initDatabase(args.at(1)) : 0;
}
