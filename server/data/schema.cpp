#include "data/schema.h"

#include "data/database.h"

#include <QFileInfo>
#include <sqlcipher/sqlite3.h>

namespace marvono {

// Column types: TEXT for texts, NUMTEXT for decimal numbers kept as the text written (the record
// set refuses a text that is not a number), INTEGER for whole numbers, DATE for days.
static const char* const kSchema = R"sql(
CREATE TABLE product_info (cName TEXT, cInPrice NUMTEXT, cAllQty NUMTEXT, cOutPrice NUMTEXT,
    cLeastQty NUMTEXT, cSpare TEXT, cType TEXT, cPic INTEGER, cComment TEXT, cAlert NUMTEXT);
CREATE TABLE Bill (ctime TEXT, ctable TEXT, cproduct TEXT, cqty NUMTEXT, cprice NUMTEXT, csubtotal NUMTEXT);
CREATE TABLE PanDian (cname TEXT, cprice NUMTEXT, cinprice NUMTEXT, cqty NUMTEXT,
    cday INTEGER, cmonth INTEGER, cyear INTEGER);
CREATE TABLE user_info (cUser TEXT, cPwd TEXT);
CREATE TABLE change (cDate DATE, cName TEXT);
CREATE INDEX product_info_name ON product_info (cName);
CREATE INDEX bill_buyer_time ON Bill (ctable, ctime);
CREATE INDEX pandian_day_name ON PanDian (cday, cname);
CREATE INDEX pandian_month_year ON PanDian (cmonth, cyear);
INSERT INTO user_info (cUser, cPwd) VALUES ('vetch', 'vetch');
)sql";

bool createDeliveredDatabase(const QString& path, QString* error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 exists already").arg(path);
        return false;
    }
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
              == SQLITE_OK;
    const QByteArray key(kDatabasePassword);
    ok = ok && sqlite3_key(db, key.constData(), int(key.size())) == SQLITE_OK;
    char* message = nullptr;
    ok = ok && sqlite3_exec(db, kSchema, nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok && error)
        *error = QString::fromUtf8(message ? message : (db ? sqlite3_errmsg(db) : "cannot open"));
    sqlite3_free(message);
    sqlite3_close(db);
    return ok;
}

} // namespace marvono
