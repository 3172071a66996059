#include "shopdbtool.h"

#include "data/pgschema.h"
#include "data/shopserver.h"

#include <cstdio>

namespace marvono::tools {

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
    m_conn = connectToShopServer(conninfo);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        m_error = connectionFailureText(serverErrorText(m_conn, nullptr), conninfo);
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
        m_error = serverErrorText(m_conn, result);
    PQclear(result);
    return ok;
}

PGresult* ServerConnection::query(const QByteArray& sql)
{
    PGresult* result = PQexec(m_conn, sql.constData());
    if (PQresultStatus(result) == PGRES_TUPLES_OK)
        return result;
    m_error = serverErrorText(m_conn, result);
    PQclear(result);
    return nullptr;
}

} // namespace marvono::tools
