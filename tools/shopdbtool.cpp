#include "shopdbtool.h"

#include <cstdio>

namespace marvono::tools {

namespace {

QString errorOf(PGconn* conn, PGresult* result)
{
    const char* text = result ? PQresultErrorMessage(result) : nullptr;
    if (!text || !*text)
        text = PQerrorMessage(conn);
    return QString::fromUtf8(text).trimmed();
}

} // namespace

std::optional<int> commandLineExit(const QStringList& arguments, int operands, const char* usage, const char* summary)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--version")) {
            std::printf("Marvono " MARVONO_VERSION "\n");
            return 0;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::printf("usage: %s\n\n%s\n", usage, summary);
            return 0;
        }
    }
    if (arguments.size() != operands + 1) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return 2;
    }
    return std::nullopt;
}

ServerConnection::ServerConnection(const QString& conninfo)
{
    m_conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(m_conn) != CONNECTION_OK) {
        m_error = errorOf(m_conn, nullptr);
        return;
    }
    m_open = exec("SET client_encoding = 'UTF8'") && exec("SET DateStyle = 'ISO, YMD'");
}

ServerConnection::~ServerConnection()
{
    PQfinish(m_conn);
}

bool ServerConnection::exec(const QByteArray& sql)
{
    PGresult* result = PQexec(m_conn, sql.constData());
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok)
        m_error = errorOf(m_conn, result);
    PQclear(result);
    return ok;
}

PGresult* ServerConnection::query(const QByteArray& sql)
{
    PGresult* result = PQexec(m_conn, sql.constData());
    if (PQresultStatus(result) == PGRES_TUPLES_OK)
        return result;
    m_error = errorOf(m_conn, result);
    PQclear(result);
    return nullptr;
}

const QStringList& shopTables()
{
    static const QStringList tables{QStringLiteral("product_info"), QStringLiteral("Bill"), QStringLiteral("PanDian"),
                                    QStringLiteral("user_info"), QStringLiteral("change")};
    return tables;
}

} // namespace marvono::tools
