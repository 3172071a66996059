#include "data/pgschema.h"

#include <libpq-fe.h>

namespace marvono {
namespace {

// Unquoted names on purpose: the server folds them to lower case, and so does every statement
// the program sends, whatever case it writes them in. A number-text column keeps the text as
// written; its domain refuses anything that is not one decimal number (blanks around allowed),
// the same texts the record set accepts. Names are looked up only as a whole, and a tree index
// refuses a row whose name is longer than about 2,700 bytes, which the embedded file takes: the
// name indexes keep a hash of the name instead.
const char* const kShopSchema = R"sql(
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
CREATE INDEX product_info_name ON product_info USING hash (cName);
CREATE INDEX bill_buyer ON Bill USING hash (ctable);
CREATE INDEX pandian_name ON PanDian USING hash (cname);
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

QString serverError(PGconn* connection, PGresult* result)
{
    const char* text = result ? PQresultErrorMessage(result) : nullptr;
    if (!text || !*text)
        text = PQerrorMessage(connection);
    return QString::fromUtf8(text).trimmed();
}

bool run(PGconn* connection, const char* sql, QString* error)
{
    PGresult* result = PQexec(connection, sql);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok && error)
        *error = serverError(connection, result);
    PQclear(result);
    return ok;
}

} // namespace

bool createShopSchema(PGconn* connection, QString* error)
{
    if (!connection || PQstatus(connection) != CONNECTION_OK) {
        if (error)
            *error = connection ? serverError(connection, nullptr) : QStringLiteral("no connection");
        return false;
    }
    if (!run(connection, "BEGIN", error))
        return false;
    if (run(connection, kShopSchema, error) && run(connection, "COMMIT", error))
        return true;
    run(connection, "ROLLBACK", nullptr);
    return false;
}

int shopDataRowCount(PGconn* connection, QString* error)
{
    if (!connection || PQstatus(connection) != CONNECTION_OK) {
        if (error)
            *error = connection ? serverError(connection, nullptr) : QStringLiteral("no connection");
        return -1;
    }
    PGresult* result = PQexec(connection, "SELECT (SELECT count(*) FROM product_info) + (SELECT count(*) FROM Bill)"
                                          " + (SELECT count(*) FROM PanDian) + (SELECT count(*) FROM user_info)"
                                          " + (SELECT count(*) FROM change)");
    int count = -1;
    if (result && PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1)
        count = QByteArray(PQgetvalue(result, 0, 0)).toInt();
    else if (error)
        *error = serverError(connection, result);
    PQclear(result);
    return count;
}

} // namespace marvono
