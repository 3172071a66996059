#pragma once
// The till's pointer to a shop server: shopserver.conf in the application folder.
#include <QString>
#include <optional>

typedef struct pg_conn PGconn;

namespace marvono {

inline constexpr char kShopServerFile[] = "shopserver.conf";

// What shopserver.conf says. Credentials never live here: libpq finds them in ~/.pgpass or
// pg_service.conf.
struct ShopServerConfig {
    QString connection; // a libpq connection string
    QString qexclient;  // the shared client-exchange folder; empty for the application folder's
    QString till;       // the name of this till's own buyer; empty for the computer's name
};

// Reads appFolder/shopserver.conf: one `key=value` per line (the first "=" splits), blank lines
// and lines starting with "#" ignored; `connection` is required, `qexclient` optional and must
// be an absolute folder, `till` optional and a valid buyer name (no blank, no double quote). Nothing, with an empty
// error, when the file does not exist (the till uses the embedded file); nothing with an error text when it exists but
// cannot be used.
std::optional<ShopServerConfig> readShopServerConfig(const QString& appFolder, QString* error);

// A path in the folder shared with the client program: the `qexclient` folder shopserver.conf
// names, or the application folder's qexclient. `relative` is a path inside it ("pic/3.jpg").
QString qexclientPath(const QString& relative);

// Opens a connection to the shop server, telling the server which till it is (the program and
// this computer's name, unless the connection string sets an application_name of its own).
// Started without waiting when `nonBlocking`, to be finished with PQconnectPoll. Settings the
// string leaves out make a dead server or network noticed within about 15 seconds: TCP
// keepalives every few seconds, a connect and a send timeout of 10 seconds.
PGconn* connectToShopServer(const QString& connection, bool nonBlocking = false);

// Why libpq ignored the password file it would read for `connection`, for messages after a failed
// connection: it warns only on the terminal. Empty when the file is missing or usable.
QString passwordFileProblem(const QString& connection);
// A failed connection's reason followed by passwordFileProblem() when there is one, each its own
// sentence: libpq's reasons often end without a full stop.
QString connectionFailureText(const QString& reason, const QString& connection);

// Beside an embedded database moved to a shop server: where the shop went, so that a till whose
// shopserver.conf is missing or misnamed says so rather than sell into the old file.
inline constexpr char kMovedMarkerSuffix[] = ".moved";

// Marks `databaseFile` as moved to the server `connection` names.
bool markMovedToServer(const QString& databaseFile, const QString& connection, QString* error);

// What to tell the operator when `databaseFile` was moved to a shop server; empty when it was not.
QString movedToServerMessage(const QString& databaseFile);

// The server a connection string names, for messages: host (or socket folder) and database, or
// the service; never the password or any other setting.
QString describeServer(const QString& connection);

} // namespace marvono
