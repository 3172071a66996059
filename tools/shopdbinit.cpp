// Creates the shop database on a server: the five tables, the login account vetch/vetch and the
// shop's two roles; and lays out the folder the tills share for pictures, texts and bills,
// writable by the shop's operators.
#include "app/quoteditems.h"
#include "artwork.h"
#include "data/pgschema.h"
#include "shopdbtool.h"

#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <memory>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

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
// may read and add rows to every table the owner makes, now or in a later version, and the
// schema's steps give it what more it needs (changing products, bills, the ledger and the
// password): it cannot drop, empty or alter a table, nor change or delete a record.
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
        server.exec("SET LOCAL ROLE " + ownerName) && grantTillDefaults(server.handle(), tillName, error) &&
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

// A default access list of owner rwx, group rwx, others r-x (the kernel's xattr form): files and
// folders made inside then are the group's to write whatever the umask of the till making them.
bool setGroupWritableDefault(const QByteArray& path)
{
    constexpr quint16 kOwner = 0x01, kGroup = 0x04, kOthers = 0x20;
    constexpr quint32 kVersion = 2, kNoId = 0xffffffff;
    QByteArray value;
    QDataStream out(&value, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << kVersion;
    for (const auto& [tag, permissions] : {std::pair<quint16, quint16>{kOwner, 7}, {kGroup, 7}, {kOthers, 5}})
        out << tag << permissions << kNoId;
    return ::setxattr(path.constData(), "system.posix_acl_default", value.constData(), size_t(value.size()), 0) == 0;
}

// Gives the folder and everything in it to the operators' group, writable by it; the folders keep
// the group for what is made in them later. Empty, or why not.
QString giveToGroup(const QString& folder, gid_t group)
{
    QStringList paths{folder};
    QDirIterator inside(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (inside.hasNext())
        paths.append(inside.next());
    for (const QString& path : paths) {
        const QByteArray name = QFile::encodeName(path);
        struct stat status {};
        if (::lstat(name.constData(), &status) != 0 || S_ISLNK(status.st_mode))
            continue;
        const bool folderEntry = S_ISDIR(status.st_mode);
        const mode_t mode =
            folderEntry ? (status.st_mode & 07777) | S_ISGID | S_IRWXG : (status.st_mode & 07777) | S_IRGRP | S_IWGRP;
        if (::chown(name.constData(), uid_t(-1), group) != 0 || ::chmod(name.constData(), mode) != 0 ||
            (folderEntry && !setGroupWritableDefault(name)))
            return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    return {};
}

// What a till looks for in the shared folder; files there already are the shop's and stay.
int layOutClientFolder(const QString& folder, const QString& group)
{
    const struct group* entry = ::getgrnam(group.toLocal8Bit().constData());
    if (!entry) {
        std::fprintf(stderr,
                     "marvono-shopdb-init: there is no group %s: make it with groupadd and add the shop's "
                     "operators to it\n",
                     qPrintable(group));
        return 1;
    }
    const gid_t groupId = entry->gr_gid;
    const QDir dir(folder);
    bool ok =
        dir.mkpath(QStringLiteral("pic")) && dir.mkpath(QStringLiteral("info")) && dir.mkpath(QStringLiteral("bill"));
    const QString placeholder = dir.filePath(QStringLiteral("pic/zw.jpg"));
    if (ok && !QFileInfo::exists(placeholder))
        ok = tools::placeholderPicture().save(placeholder, "JPEG", 90);
    const QString buyers = dir.filePath(QStringLiteral("tables.dat"));
    QString error;
    if (ok && !QFileInfo::exists(buyers))
        ok = writeQuotedItems(buyers, {QStringLiteral("Counter")}, &error);
    if (!ok) {
        std::fprintf(stderr, "marvono-shopdb-init: cannot lay out the client folder %s%s%s\n", qPrintable(folder),
                     error.isEmpty() ? "" : ": ", qPrintable(error));
        return 1;
    }
    // Every till writes here (pictures, texts, the buyer list), each as its own operator.
    error = giveToGroup(folder, groupId);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "marvono-shopdb-init: cannot make the client folder %s writable by the group %s: %s\n",
                     qPrintable(folder), qPrintable(group), qPrintable(error));
        return 1;
    }
    std::printf("Laid out the client folder %s for the group %s: pic/zw.jpg, info/, bill/ and tables.dat.\n",
                qPrintable(folder), qPrintable(group));
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
    const auto takeOption = [&args](const QString& name) {
        const qsizetype option = args.indexOf(name);
        if (option <= 0 || option + 1 >= args.size())
            return QString();
        const QString value = args.at(option + 1);
        args.remove(option, 2);
        return value;
    };
    const QString clientFolder = takeOption(QStringLiteral("--client-folder"));
    const QString clientGroup = takeOption(QStringLiteral("--client-group"));
    const bool layOut = !clientFolder.isEmpty() && !clientGroup.isEmpty();
    if (const auto exit = tools::commandLineExit(
            args, !layOut || args.size() > 1 ? 1 : 0,
            "marvono-shopdb-init [--client-folder DIR --client-group GROUP] [\"<libpq connection string>\"]",
            "Creates the tables of a Marvono shop database and its login account vetch/vetch\n"
            "in an empty database on a PostgreSQL server, with the shop's two roles: an owner\n"
            "role that owns the database, and a role for the tills that may sell, keep the\n"
            "catalogue and back up, but only add to the shop's records. A database that holds a\n"
            "shop database already is left alone.\n"
            "With --client-folder, lays out the folder the tills share (pictures, product texts,\n"
            "bills, the buyer list), keeping any file that is there, and makes it writable by\n"
            "--client-group, the group of the shop's operators."))
        return *exit;
    if (clientFolder.isEmpty() != clientGroup.isEmpty()) {
        std::fprintf(stderr, "marvono-shopdb-init: --client-folder and --client-group go together: the folder the "
                             "tills share and the group of the shop's operators who write it\n");
        return 2;
    }
    if (layOut && layOutClientFolder(clientFolder, clientGroup) != 0)
        return 1;
    return args.size() > 1 ? initDatabase(args.at(1)) : 0;
}
