#include "data/pgschema.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <algorithm>
#include <libpq-fe.h>

namespace marvono {
namespace {

// The first version. Unquoted names on purpose: the server folds them to lower case, and so does
// every statement the program sends, whatever case it writes them in. A number-text column keeps
// the text as written; its domain refuses anything that is not one decimal number (blanks around
// allowed), the same texts the record set accepts.
const char* const kFirstShopSchema = R"sql(
CREATE DOMAIN numtext AS text
    CHECK (VALUE ~ '^\s*[+-]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][+-]?[0-9]+)?\s*$');
CREATE TABLE product_info (cName text, cInPrice numtext, cAllQty numtext, cOutPrice numtext,
    cLeastQty numtext, cSpare text, cType text, cPic integer, cComment text, cAlert numtext,
    mv_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY);
CREATE TABLE Bill (ctime text, ctable text, cproduct text, cqty numtext, cprice numtext, csubtotal numtext,
    mv_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY);
CREATE TABLE PanDian (cname text, cprice numtext, cinprice numtext, cqty numtext,
    cday integer, cmonth integer, cyear integer,
    mv_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY);
CREATE TABLE user_info (cUser text, cPwd text,
    mv_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY);
CREATE TABLE change (cDate date, cName text,
    mv_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY);
CREATE INDEX product_info_name ON product_info (cName);
CREATE INDEX bill_buyer_time ON Bill (ctable, ctime);
CREATE INDEX pandian_day_name ON PanDian (cday, cname);
CREATE INDEX pandian_month_year ON PanDian (cmonth, cyear);
CREATE FUNCTION marvono_announce_products() RETURNS trigger LANGUAGE plpgsql AS $body$
BEGIN
    PERFORM pg_notify('marvono_products', '');
    RETURN NULL;
END
$body$;
CREATE TRIGGER product_info_announce AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON product_info
    FOR EACH STATEMENT EXECUTE FUNCTION marvono_announce_products();
INSERT INTO user_info (cUser, cPwd) VALUES ('vetch', 'vetch');
)sql";

constexpr char kInsufficientPrivilege[] = "42501";

// Runs statements; false with the server's error (and its SQLSTATE in `state`) on failure. With
// `value`, the first field of the first row.
bool run(PGconn* connection, const char* sql, QString* error, QByteArray* value = nullptr, QByteArray* state = nullptr)
{
    PGresult* result = PQexec(connection, sql);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok && error)
        *error = serverErrorText(connection, result);
    if (!ok && state)
        *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (ok && value)
        *value = PQntuples(result) > 0 ? QByteArray(PQgetvalue(result, 0, 0)) : QByteArray();
    PQclear(result);
    return ok;
}

bool isOpen(PGconn* connection, QString* error)
{
    if (connection && PQstatus(connection) == CONNECTION_OK)
        return true;
    if (error)
        *error = connection ? serverErrorText(connection, nullptr) : QStringLiteral("no connection");
    return false;
}

// Inside a transaction: the step's changes and the version they make.
bool runStep(PGconn* connection, const SchemaStep& step, QString* error, QByteArray* state = nullptr)
{
    const QByteArray record = "UPDATE marvono_schema SET version = " + QByteArray::number(step.version);
    return (!step.server || run(connection, step.server, error, nullptr, state)) &&
           run(connection, record.constData(), error, nullptr, state);
}

} // namespace

QString serverErrorText(PGconn* connection, PGresult* result)
{
    const char* text = result ? PQresultErrorMessage(result) : nullptr;
    if (!text || !*text)
        text = PQerrorMessage(connection);
    return QString::fromUtf8(text).trimmed();
}

bool runStatements(PGconn* connection, const char* sql, QString* error)
{
    return run(connection, sql, error);
}

std::optional<QList<QStringList>> queryRows(PGconn* connection, const QByteArray& sql, QString* error)
{
    PGresult* result = PQexec(connection, sql.constData());
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        if (error)
            *error = serverErrorText(connection, result);
        PQclear(result);
        return std::nullopt;
    }
    QList<QStringList> rows;
    for (int r = 0; r < PQntuples(result); ++r) {
        QStringList fields;
        for (int c = 0; c < PQnfields(result); ++c)
            fields.append(QString::fromUtf8(PQgetvalue(result, r, c)));
        rows.append(fields);
    }
    PQclear(result);
    return rows;
}

bool createShopObjects(PGconn* connection, QString* error, int version, const std::function<bool(int)>& madeVersion)
{
    bool ok = run(connection, kFirstShopSchema, error) && (!madeVersion || madeVersion(1));
    for (const SchemaStep& step : schemaSteps()) {
        if (step.version <= version)
            ok = ok && runStep(connection, step, error) && (!madeVersion || madeVersion(step.version));
    }
    return ok;
}

bool grantTillDefaults(PGconn* connection, const QByteArray& tillRole, QString* error)
{
    const QByteArray grants = "ALTER DEFAULT PRIVILEGES GRANT SELECT, INSERT ON TABLES TO " + tillRole +
                              "; ALTER DEFAULT PRIVILEGES GRANT USAGE, SELECT ON SEQUENCES TO " + tillRole;
    return run(connection, grants.constData(), error);
}

QString shopOwnerRole(PGconn* connection, const QString& task, QString* error)
{
    const auto rows = queryRows(connection,
                                "SELECT pg_get_userbyid(o.owner), current_user, r.rolsuper OR "
                                "pg_has_role(current_user, o.owner, 'MEMBER') FROM pg_roles r, (SELECT coalesce("
                                "(SELECT relowner FROM pg_class WHERE oid = to_regclass('product_info')), "
                                "(SELECT datdba FROM pg_database WHERE datname = current_database())) AS owner) o "
                                "WHERE r.rolname = current_user",
                                error);
    if (!rows || rows->size() != 1)
        return {};
    const QStringList& row = rows->first();
    if (row[2] != QLatin1String("t")) {
        if (error)
            *error = QStringLiteral("%1 needs the shop database's owner role %2; the role %3 may sell, keep the "
                                    "catalogue and back up only")
                         .arg(task, row[0], row[1]);
        return {};
    }
    return row[0];
}

bool createShopSchema(PGconn* connection, QString* error, int version)
{
    if (!isOpen(connection, error) || !run(connection, "BEGIN", error))
        return false;
    if (createShopObjects(connection, error, version) && run(connection, "COMMIT", error))
        return true;
    run(connection, "ROLLBACK", nullptr);
    return false;
}

int shopSchemaVersion(PGconn* connection, QString* error)
{
    QByteArray kept;
    if (!isOpen(connection, error) ||
        !run(connection, "SELECT to_regclass('marvono_schema') IS NOT NULL", error, &kept))
        return 0;
    QByteArray version("1");
    if (kept == "t" && !run(connection, "SELECT version FROM marvono_schema", error, &version))
        return 0;
    return std::max(version.toInt(), 1);
}

bool upgradeShopSchema(PGconn* connection, QString* error, bool* refused)
{
    if (refused)
        *refused = false;
    int version = shopSchemaVersion(connection, error);
    if (version == 0)
        return false;
    for (const SchemaStep& step : schemaSteps()) {
        if (version >= step.version)
            continue;
        // Tills connecting at once queue here; each looks again once it holds the lock.
        QByteArray state;
        bool ok = run(connection, "BEGIN", error) &&
                  run(connection, "SELECT pg_advisory_xact_lock(hashtext('marvono_schema'))", error) &&
                  (version = shopSchemaVersion(connection, error)) != 0 &&
                  (version >= step.version || runStep(connection, step, error, &state)) &&
                  run(connection, "COMMIT", error, nullptr, &state);
        if (!ok) {
            run(connection, "ROLLBACK", nullptr);
            if (refused)
                *refused = state == kInsufficientPrivilege;
            return false;
        }
        version = std::max(version, step.version);
    }
    return true;
}

bool hashedPasswordMatches(const QString& stored, const QString& password)
{
    // The form and the rounds are those of the server's marvono_hash_password().
    static const QRegularExpression form(QStringLiteral("^sha256\\$([0-9]{1,7})\\$([0-9a-f]{32})\\$([0-9a-f]{64})$"));
    const QRegularExpressionMatch hash = form.match(stored);
    if (!hash.hasMatch())
        return stored == password;
    const QByteArray secret = password.toUtf8();
    QByteArray digest = QCryptographicHash::hash(hash.captured(2).toLatin1() + secret, QCryptographicHash::Sha256);
    for (int round = hash.captured(1).toInt(); round > 1; --round)
        digest = QCryptographicHash::hash(digest + secret, QCryptographicHash::Sha256);
    return digest.toHex() == hash.captured(3).toLatin1();
}

int shopDataRowCount(PGconn* connection, QString* error)
{
    if (!isOpen(connection, error))
        return -1;
    PGresult* result = PQexec(connection, "SELECT (SELECT count(*) FROM product_info) + (SELECT count(*) FROM Bill)"
                                          " + (SELECT count(*) FROM PanDian) + (SELECT count(*) FROM user_info)"
                                          " + (SELECT count(*) FROM change)");
    int count = -1;
    if (result && PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1)
        count = QByteArray(PQgetvalue(result, 0, 0)).toInt();
    else if (error)
        *error = serverErrorText(connection, result);
    PQclear(result);
    return count;
}

} // namespace marvono
