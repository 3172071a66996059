#include "data/shopserver.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <libpq-fe.h>

namespace marvono {

std::optional<ShopServerConfig> readShopServerConfig(const QString& appFolder, QString* error)
{
    if (error)
        error->clear();
    QFile file(QDir(appFolder).filePath(QString::fromLatin1(kShopServerFile)));
    auto fail = [&](const QString& text) -> std::optional<ShopServerConfig> {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QString::fromLatin1(kShopServerFile), text);
        return std::nullopt;
    };
    if (!file.exists()) {
        // A till whose connection file is misnamed would sell into the file on this computer.
        const QStringList nearly = QDir(appFolder).entryList({QString::fromLatin1(kShopServerFile)},
                                                             QDir::Files | QDir::Hidden | QDir::System);
        if (!nearly.isEmpty())
            return fail(QStringLiteral("found %1 instead; the file must be named %2 exactly")
                            .arg(nearly.join(QStringLiteral(", ")), QString::fromLatin1(kShopServerFile)));
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    ShopServerConfig config;
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype split = line.indexOf(QLatin1Char('='));
        if (split < 0)
            return fail(QStringLiteral("line %1 has no \"=\"").arg(lineNumber));
        const QString key = line.left(split).trimmed();
        const QString value = line.mid(split + 1).trimmed();
        if (key == QLatin1String("connection"))
            config.connection = value;
        else if (key == QLatin1String("qexclient"))
            config.qexclient = value;
        else if (key == QLatin1String("till"))
            config.till = value;
        else
            return fail(QStringLiteral("unknown setting \"%1\" on line %2").arg(key).arg(lineNumber));
    }
    if (config.connection.isEmpty())
        return fail(QStringLiteral("no connection string"));
    if (!config.qexclient.isEmpty() && !QDir::isAbsolutePath(config.qexclient))
        return fail(QStringLiteral("the qexclient folder must be an absolute path"));
    // The till's name is a buyer's name in the shared list, whose rules it keeps.
    if (config.till.contains(QLatin1Char(' ')) || config.till.contains(QLatin1Char('"')))
        return fail(QStringLiteral("the till's name \"%1\" holds a blank or a double quote, which a buyer's name "
                                   "cannot hold")
                        .arg(config.till));
    // libpq's own parser decides whether the string is usable, so a typing error shows here
    // rather than as a failed connection.
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(config.connection.toUtf8().constData(), &parseError);
    if (!options) {
        const QString text = QString::fromUtf8(parseError ? parseError : "out of memory").trimmed();
        PQfreemem(parseError);
        return fail(text);
    }
    PQconninfoFree(options);
    return config;
}

QString qexclientPath(const QString& relative)
{
    // The connection file is read once per application folder: it is not edited while a till
    // runs, and pictures are looked up on every selection in the product list.
    static QString readFolder;
    static QString sharedFolder;
    const QString folder = appFolder();
    if (folder != readFolder) {
        const std::optional<ShopServerConfig> config = readShopServerConfig(folder, nullptr);
        sharedFolder = config ? config->qexclient : QString();
        readFolder = folder;
    }
    if (sharedFolder.isEmpty())
        return appPath(QStringLiteral("qexclient/") + relative);
    return QDir(sharedFolder).filePath(relative);
}

PGconn* connectToShopServer(const QString& connection, bool nonBlocking)
{
    const QByteArray conninfo = connection.toUtf8();
    const QByteArray name = QStringLiteral("Marvono on %1").arg(QSysInfo::machineHostName()).toUtf8();
    // Earlier keywords give way to what the expanded connection string sets.
    const char* const keywords[] = {"connect_timeout",
                                    "keepalives",
                                    "keepalives_idle",
                                    "keepalives_interval",
                                    "keepalives_count",
                                    "tcp_user_timeout",
                                    "dbname",
                                    "fallback_application_name",
                                    nullptr};
    const char* const values[] = {"10", "1", "5", "2", "3", "10000", conninfo.constData(), name.constData(), nullptr};
    return nonBlocking ? PQconnectStartParams(keywords, values, 1) : PQconnectdbParams(keywords, values, 1);
}

QString passwordFileProblem(const QString& connection)
{
    // Where libpq looks: the connection's passfile, $PGPASSFILE, then ~/.pgpass.
    QString file = qEnvironmentVariable("PGPASSFILE");
    if (PQconninfoOption* options = PQconninfoParse(connection.toUtf8().constData(), nullptr)) {
        for (PQconninfoOption* option = options; option->keyword; ++option) {
            if (option->val && QByteArray(option->keyword) == "passfile")
                file = QString::fromUtf8(option->val);
        }
        PQconninfoFree(options);
    }
    if (file.isEmpty())
        file = QDir::homePath() + QStringLiteral("/.pgpass");
    const QFileInfo info(file);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return QStringLiteral("The password file %1 is no plain file, so it was not read.").arg(file);
    const auto others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    if (info.permissions() & others)
        return QStringLiteral("The password file %1 was not read because others may read it (chmod 600 %1).").arg(file);
    return {};
}

QString connectionFailureText(const QString& reason, const QString& connection)
{
    const QString problem = passwordFileProblem(connection);
    if (problem.isEmpty())
        return reason;
    const bool ended = reason.endsWith(QLatin1Char('.')) || reason.endsWith(QLatin1Char('?'));
    return reason + (ended ? QStringLiteral(" ") : QStringLiteral(". ")) + problem;
}

bool markMovedToServer(const QString& databaseFile, const QString& connection, QString* error)
{
    const QString text = QStringLiteral("%1 was moved to the shop server (%2) on %3 by marvono-shopdb-move.\n")
                             .arg(QFileInfo(databaseFile).fileName(), describeServer(connection),
                                  QDate::currentDate().toString(Qt::ISODate));
    return writeFileAtomically(databaseFile + QLatin1String(kMovedMarkerSuffix), text.toUtf8(), error);
}

QString movedToServerMessage(const QString& databaseFile)
{
    QFile marker(databaseFile + QLatin1String(kMovedMarkerSuffix));
    if (!marker.exists())
        return {};
    const QString said = marker.open(QIODevice::ReadOnly) ? QString::fromUtf8(marker.readAll()).trimmed()
                                                          : QStringLiteral("The shop moved to a shop server.");
    return QStringLiteral("%1 This till no longer uses it: put the shop server's %2 in %3.")
        .arg(said, QString::fromLatin1(kShopServerFile), QFileInfo(databaseFile).absolutePath());
}

QString describeServer(const QString& connection)
{
    PQconninfoOption* options = PQconninfoParse(connection.toUtf8().constData(), nullptr);
    if (!options)
        return QStringLiteral("(unreadable connection string)");
    QString service, host, port, database;
    for (PQconninfoOption* option = options; option->keyword; ++option) {
        if (!option->val)
            continue;
        const QByteArray keyword(option->keyword);
        const QString value = QString::fromUtf8(option->val);
        if (keyword == "service")
            service = value;
        else if (keyword == "host" || (keyword == "hostaddr" && host.isEmpty()))
            host = value;
        else if (keyword == "port")
            port = value;
        else if (keyword == "dbname")
            database = value;
    }
    PQconninfoFree(options);
    QStringList parts;
    if (!service.isEmpty())
        parts.append(QStringLiteral("service %1").arg(service));
    if (!host.isEmpty())
        parts.append(port.isEmpty() ? host : host + QLatin1Char(':') + port);
    if (!database.isEmpty())
        parts.append(QStringLiteral("database %1").arg(database));
    return parts.isEmpty() ? QStringLiteral("the default PostgreSQL server") : parts.join(QStringLiteral(", "));
}

} // namespace marvono
