#include "data/schema.h"

#include "data/database.h"

#include <QFileInfo>
#include <sqlcipher/sqlite3.h>

namespace marvono {
namespace {

// The first version. Column types: TEXT for texts, NUMTEXT for decimal numbers kept as the text
// written (the record set refuses a text that is not a number), INTEGER for whole numbers, DATE
// for days.
const char* const kFirstSchema = R"sql(
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

// A shop server's version lives in a table of one row, made by the first step that records a
// version. Removing an index that is not there is no news, so the notices stay off.
constexpr SchemaStep kSteps[] = {
    // Names are looked up only as a whole, and a tree index refuses a row whose name is longer
    // than about 2,700 bytes, which the embedded file takes: the name indexes keep a hash of the
    // name instead.
    {2, nullptr, R"sql(
SET LOCAL client_min_messages TO warning;
CREATE TABLE marvono_schema (version integer NOT NULL);
INSERT INTO marvono_schema (version) VALUES (1);
DROP INDEX IF EXISTS product_info_name, bill_buyer_time, pandian_day_name, bill_buyer, pandian_name;
CREATE INDEX product_info_name ON product_info USING hash (cName);
CREATE INDEX bill_buyer ON Bill USING hash (ctable);
CREATE INDEX pandian_name ON PanDian USING hash (cname);
)sql"},
    // Every sale writes its identity with its rows, so a till that lost its connection while the
    // sale was committed can ask whether it was booked. A table left by a newer database that an
    // older backup replaced speaks for sales of that database only.
    {3, "CREATE TABLE marvono_sale (cId TEXT PRIMARY KEY, cTime TEXT);", R"sql(
SET LOCAL client_min_messages TO warning;
DROP TABLE IF EXISTS marvono_sale;
CREATE TABLE marvono_sale (cId text PRIMARY KEY, cTime text);
)sql"},
    // A paid bill is kept as a receipt: its lines as they stood on the bill, its total and the
    // cash taken. Receipt numbers come from a counter row that each payment raises inside its
    // own transaction, so tills paying at once queue on the row and no number is given twice
    // or skipped. A refund is a receipt too, naming the one it refunds and, per line, the line.
    {4, R"sql(
CREATE TABLE marvono_receipt (cNumber INTEGER PRIMARY KEY, cTime TEXT, cBuyer TEXT, cOperator TEXT,
    cTotal NUMTEXT, cReceived NUMTEXT, cChange NUMTEXT, cRefundOf INTEGER);
CREATE INDEX marvono_receipt_time ON marvono_receipt (cTime);
CREATE TABLE marvono_receipt_line (cReceipt INTEGER, cLine INTEGER, cTime TEXT, cProduct TEXT, cQty TEXT,
    cPrice TEXT, cSubTotal TEXT, cOfLine INTEGER, PRIMARY KEY (cReceipt, cLine));
CREATE TABLE marvono_counter (cName TEXT PRIMARY KEY, cValue INTEGER NOT NULL);
INSERT INTO marvono_counter (cName, cValue) VALUES ('receipt', 0);
)sql",
     R"sql(
SET LOCAL client_min_messages TO warning;
DROP TABLE IF EXISTS marvono_receipt, marvono_receipt_line, marvono_counter;
CREATE TABLE marvono_receipt (cNumber bigint PRIMARY KEY, cTime text, cBuyer text, cOperator text,
    cTotal numtext, cReceived numtext, cChange numtext, cRefundOf bigint);
CREATE INDEX marvono_receipt_time ON marvono_receipt (cTime);
CREATE TABLE marvono_receipt_line (cReceipt bigint, cLine integer, cTime text, cProduct text, cQty text,
    cPrice text, cSubTotal text, cOfLine integer, PRIMARY KEY (cReceipt, cLine));
CREATE TABLE marvono_counter (cName text PRIMARY KEY, cValue bigint NOT NULL);
INSERT INTO marvono_counter (cName, cValue) VALUES ('receipt', 0);
)sql"},
    // Goods received and stock count corrections, with the stock they left. The time text sorts
    // in time order, so a day's moves are one range of the index.
    {5, R"sql(
CREATE TABLE marvono_stock_move (cTime TEXT, cProduct TEXT, cKind TEXT, cUnits INTEGER, cPrice NUMTEXT,
    cRemaining NUMTEXT, cReason TEXT, cUser TEXT);
CREATE INDEX marvono_stock_move_time ON marvono_stock_move (cTime);
)sql",
     R"sql(
CREATE TABLE marvono_stock_move (cTime text, cProduct text, cKind text, cUnits integer, cPrice numtext,
    cRemaining numtext, cReason text, cUser text, mv_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY);
CREATE INDEX marvono_stock_move_time ON marvono_stock_move (cTime);
)sql"},
    // The day's closing record. A close takes the receipts numbered after the last close and
    // marks the stock moves not closed yet, so whatever is booked after it goes to the next
    // close; a day closes once.
    {6, R"sql(
CREATE TABLE marvono_day_close (cNumber INTEGER PRIMARY KEY, cDay TEXT UNIQUE, cTime TEXT, cOperator TEXT,
    cFirstReceipt INTEGER, cLastReceipt INTEGER, cReceipts INTEGER, cRefunds INTEGER, cTakings NUMTEXT,
    cRefunded NUMTEXT, cReceived NUMTEXT, cChange NUMTEXT, cGoodsIn NUMTEXT, cOpenBills TEXT);
ALTER TABLE marvono_stock_move ADD COLUMN cClose INTEGER;
)sql",
     R"sql(
CREATE TABLE marvono_day_close (cNumber bigint PRIMARY KEY, cDay text UNIQUE, cTime text, cOperator text,
    cFirstReceipt bigint, cLastReceipt bigint, cReceipts integer, cRefunds integer, cTakings numtext,
    cRefunded numtext, cReceived numtext, cChange numtext, cGoodsIn numtext, cOpenBills text);
ALTER TABLE marvono_stock_move ADD COLUMN cClose bigint;
)sql"},
    // A close covers the time since the previous one, so one date may have several. The embedded
    // file cannot drop a column's constraint: the table is made again without it.
    {7, R"sql(
CREATE TABLE marvono_day_close_again (cNumber INTEGER PRIMARY KEY, cDay TEXT, cTime TEXT, cOperator TEXT,
    cFirstReceipt INTEGER, cLastReceipt INTEGER, cReceipts INTEGER, cRefunds INTEGER, cTakings NUMTEXT,
    cRefunded NUMTEXT, cReceived NUMTEXT, cChange NUMTEXT, cGoodsIn NUMTEXT, cOpenBills TEXT);
INSERT INTO marvono_day_close_again SELECT * FROM marvono_day_close;
DROP TABLE marvono_day_close;
ALTER TABLE marvono_day_close_again RENAME TO marvono_day_close;
)sql",
     "ALTER TABLE marvono_day_close DROP CONSTRAINT marvono_day_close_cday_key;"},
    // On a shop server the tills' role keeps the books but cannot rewrite them: the records are
    // append-only for it (corrections are new records), the receipt counter and the closing of
    // stock moves go through functions that run as the owner, the version is read-only, and
    // a password is kept as a salted, stretched hash the server makes from whatever is written,
    // so a role that may read (and back up) the accounts still reads no password. The tills are
    // the roles the owner grants its tables to; a table a later step makes is theirs to read and
    // add to only. The embedded file has one user and no roles.
    {8, nullptr, R"sql(
SET LOCAL client_min_messages TO warning;
CREATE FUNCTION marvono_hash_password() RETURNS trigger LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp
AS $body$
DECLARE
    salt text;
    secret bytea;
    digest bytea;
BEGIN
    IF NEW.cPwd IS NULL OR NEW.cPwd ~ '^sha256\$[0-9]{1,7}\$[0-9a-f]{32}\$[0-9a-f]{64}$' THEN
        RETURN NEW;
    END IF;
    salt := replace(gen_random_uuid()::text, '-', '');
    secret := convert_to(NEW.cPwd, 'UTF8');
    digest := sha256(convert_to(salt, 'UTF8') || secret);
    FOR i IN 2..10000 LOOP
        digest := sha256(digest || secret);
    END LOOP;
    NEW.cPwd := 'sha256$10000$' || salt || '$' || encode(digest, 'hex');
    RETURN NEW;
END
$body$;
CREATE TRIGGER user_info_hash_password BEFORE INSERT OR UPDATE ON user_info
    FOR EACH ROW EXECUTE FUNCTION marvono_hash_password();
UPDATE user_info SET cPwd = cPwd WHERE cPwd IS NOT NULL;
CREATE FUNCTION marvono_next_receipt() RETURNS bigint LANGUAGE sql SECURITY DEFINER AS $body$
    UPDATE marvono_counter SET cValue = cValue + 1 WHERE cName = 'receipt' RETURNING cValue
$body$;
-- Only the close being made takes the open moves: the one numbered after the last close.
CREATE FUNCTION marvono_take_stock_moves(bigint) RETURNS bigint LANGUAGE plpgsql SECURITY DEFINER AS $body$
DECLARE
    taken bigint;
BEGIN
    IF $1 IS DISTINCT FROM (SELECT coalesce(max(cNumber), 0) + 1 FROM marvono_day_close) THEN
        RAISE EXCEPTION 'close % is not the next day close', $1 USING ERRCODE = 'check_violation';
    END IF;
    UPDATE marvono_stock_move SET cClose = $1 WHERE cClose IS NULL;
    GET DIAGNOSTICS taken = ROW_COUNT;
    RETURN taken;
END
$body$;
REVOKE ALL ON FUNCTION marvono_next_receipt(), marvono_take_stock_moves(bigint) FROM PUBLIC;
DO $grant$
DECLARE
    till record;
BEGIN
    -- A function that runs as the owner finds nothing of a caller's making first.
    EXECUTE format('ALTER FUNCTION marvono_next_receipt() SET search_path = %I, pg_temp', current_schema());
    EXECUTE format('ALTER FUNCTION marvono_take_stock_moves(bigint) SET search_path = %I, pg_temp',
                   current_schema());
    FOR till IN SELECT grantee::regrole AS name FROM (SELECT a.grantee FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner)
        UNION SELECT a.grantee FROM pg_default_acl d, aclexplode(d.defaclacl) a
            WHERE d.defaclrole = current_user::regrole AND d.defaclobjtype = 'r' AND a.grantee NOT IN (0, d.defaclrole))
            AS tills LOOP
        EXECUTE format('REVOKE ALL ON ALL TABLES IN SCHEMA %I FROM %s', current_schema(), till.name);
        EXECUTE format('ALTER DEFAULT PRIVILEGES REVOKE ALL ON TABLES FROM %s', till.name);
        EXECUTE format('ALTER DEFAULT PRIVILEGES GRANT SELECT, INSERT ON TABLES TO %s', till.name);
        EXECUTE format('GRANT SELECT, INSERT, UPDATE, DELETE ON product_info, bill TO %s', till.name);
        EXECUTE format('GRANT SELECT, INSERT, UPDATE ON pandian TO %s', till.name);
        EXECUTE format('GRANT SELECT, UPDATE ON user_info TO %s', till.name);
        EXECUTE format('GRANT SELECT, INSERT ON change, marvono_sale, marvono_receipt, marvono_receipt_line, '
                       'marvono_stock_move, marvono_day_close TO %s', till.name);
        EXECUTE format('GRANT SELECT ON marvono_counter, marvono_schema TO %s', till.name);
        EXECUTE format('GRANT EXECUTE ON FUNCTION marvono_next_receipt(), marvono_take_stock_moves(bigint) TO %s',
                       till.name);
    END LOOP;
END
$grant$;
)sql"},
    // A sale records the bill row it wrote, the product row it took the units from and their
    // purchase price, so an edit of that line moves the stock with it. A paid line keeps the
    // product row and the price on its receipt line (row 0: typed into the bill by hand; NULL:
    // paid before this version), so a return finds the product after a rename and nets the
    // ledger at the price the units cost.
    {9, R"sql(
ALTER TABLE marvono_sale ADD COLUMN cBill INTEGER;
ALTER TABLE marvono_sale ADD COLUMN cProductKey INTEGER;
ALTER TABLE marvono_sale ADD COLUMN cInPrice TEXT;
CREATE INDEX marvono_sale_bill ON marvono_sale (cBill);
ALTER TABLE marvono_receipt_line ADD COLUMN cProductKey INTEGER;
ALTER TABLE marvono_receipt_line ADD COLUMN cInPrice TEXT;
)sql",
     R"sql(
ALTER TABLE marvono_sale ADD COLUMN cBill bigint, ADD COLUMN cProductKey bigint, ADD COLUMN cInPrice text;
CREATE INDEX marvono_sale_bill ON marvono_sale (cBill);
ALTER TABLE marvono_receipt_line ADD COLUMN cProductKey bigint, ADD COLUMN cInPrice text;
-- The tills may clear the bill row of a sale they pay, and nothing else of the sale's record.
DO $grant$
DECLARE
    till record;
BEGIN
    FOR till IN SELECT DISTINCT a.grantee::regrole AS name FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner) LOOP
        EXECUTE format('GRANT UPDATE (cBill) ON marvono_sale TO %s', till.name);
    END LOOP;
END
$grant$;
)sql"},
    // Tax rates, lettered A, B, C ... in their order, one of them the default; a product's rate
    // keyed to its row, so it follows a rename (a product without one, or a line typed into a bill
    // by hand, takes the default). A paid line keeps its rate's name, percent and letter, so a rate
    // changed later leaves the receipts as printed. A shop without rates keeps no tax: its lines
    // carry none.
    {10, R"sql(
CREATE TABLE marvono_tax_rate (cId INTEGER PRIMARY KEY, cCode TEXT, cName TEXT, cPercent TEXT, cDefault INTEGER);
CREATE TABLE marvono_product_tax (cProductKey INTEGER PRIMARY KEY, cRate INTEGER);
ALTER TABLE marvono_receipt_line ADD COLUMN cTaxName TEXT;
ALTER TABLE marvono_receipt_line ADD COLUMN cTaxPercent TEXT;
ALTER TABLE marvono_receipt_line ADD COLUMN cTaxCode TEXT;
)sql",
     R"sql(
CREATE TABLE marvono_tax_rate (cId bigint PRIMARY KEY, cCode text, cName text, cPercent text, cDefault integer);
CREATE TABLE marvono_product_tax (cProductKey bigint PRIMARY KEY, cRate bigint);
ALTER TABLE marvono_receipt_line ADD COLUMN cTaxName text, ADD COLUMN cTaxPercent text, ADD COLUMN cTaxCode text;
-- The rates are set up at any till: theirs to change, unlike the books.
DO $grant$
DECLARE
    till record;
BEGIN
    FOR till IN SELECT DISTINCT a.grantee::regrole AS name FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner) LOOP
        EXECUTE format('GRANT SELECT, INSERT, UPDATE, DELETE ON marvono_tax_rate, marvono_product_tax TO %s',
                       till.name);
    END LOOP;
END
$grant$;
)sql"},
    // The shop's operators beside the owner's account of user_info: a name, a salted password hash
    // (libsodium's string form, which carries its own salt and limits), a role, and whether the
    // operator may still log in. Operators are never deleted: receipts keep naming them.
    {11, R"sql(
CREATE TABLE marvono_operator (cName TEXT PRIMARY KEY, cHash TEXT NOT NULL, cRole TEXT NOT NULL,
    cActive INTEGER NOT NULL DEFAULT 1);
)sql",
     R"sql(
CREATE TABLE marvono_operator (cName text PRIMARY KEY, cHash text NOT NULL, cRole text NOT NULL,
    cActive integer NOT NULL DEFAULT 1);
-- An owner at any till keeps the operators; nothing deletes one.
DO $grant$
DECLARE
    till record;
BEGIN
    FOR till IN SELECT DISTINCT a.grantee::regrole AS name FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner) LOOP
        EXECUTE format('GRANT SELECT, INSERT, UPDATE ON marvono_operator TO %s', till.name);
    END LOOP;
END
$grant$;
)sql"},
    // What an owner approved for an operator without the owner's rights: when, for whom, by whom.
    {12, R"sql(
CREATE TABLE marvono_approval (cId INTEGER PRIMARY KEY, cTime TEXT, cOperator TEXT, cApprover TEXT, cWhat TEXT);
)sql",
     R"sql(
CREATE TABLE marvono_approval (cId bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, cTime text,
    cOperator text, cApprover text, cWhat text);
-- The tills record approvals and never rewrite them.
DO $grant$
DECLARE
    till record;
BEGIN
    FOR till IN SELECT DISTINCT a.grantee::regrole AS name FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner) LOOP
        EXECUTE format('GRANT SELECT, INSERT ON marvono_approval TO %s', till.name);
    END LOOP;
END
$grant$;
)sql"},
    // A void cancels what was left of a sale: its refund receipt, and this record naming both.
    // The sale is the key, so two tills voiding it at once make one void.
    {13, R"sql(
CREATE TABLE marvono_void (cReceipt INTEGER PRIMARY KEY, cVoid INTEGER NOT NULL UNIQUE, cTime TEXT, cOperator TEXT,
    cReason TEXT);
)sql",
     R"sql(
CREATE TABLE marvono_void (cReceipt bigint PRIMARY KEY, cVoid bigint NOT NULL UNIQUE, cTime text, cOperator text,
    cReason text);
-- The tills record voids and never rewrite them.
DO $grant$
DECLARE
    till record;
BEGIN
    FOR till IN SELECT DISTINCT a.grantee::regrole AS name FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner) LOOP
        EXECUTE format('GRANT SELECT, INSERT ON marvono_void TO %s', till.name);
    END LOOP;
END
$grant$;
)sql"},
    // Discounts on open bill lines, keyed to the Bill row (whose sub-total already holds the
    // discounted figure), with what they took off, the sub-total before and the ledger day they
    // lowered; a bill discount keeps each line's share. A paid bill's discounts go with its
    // receipt lines. On a shop server the tills change the open ones as they change bills.
    {14, R"sql(
CREATE TABLE marvono_discount (cBill INTEGER NOT NULL, cScope TEXT NOT NULL, cBuyer TEXT, cKind TEXT, cValue TEXT,
    cAmount NUMTEXT, cBefore NUMTEXT, cDay TEXT, PRIMARY KEY (cBill, cScope));
CREATE INDEX marvono_discount_buyer ON marvono_discount (cBuyer);
CREATE TABLE marvono_receipt_discount (cReceipt INTEGER, cLine INTEGER, cScope TEXT, cKind TEXT, cValue TEXT,
    cAmount NUMTEXT, cBefore NUMTEXT, PRIMARY KEY (cReceipt, cLine, cScope));
)sql",
     R"sql(
CREATE TABLE marvono_discount (cBill bigint NOT NULL, cScope text NOT NULL, cBuyer text, cKind text, cValue text,
    cAmount numtext, cBefore numtext, cDay text, PRIMARY KEY (cBill, cScope));
CREATE INDEX marvono_discount_buyer ON marvono_discount (cBuyer);
CREATE TABLE marvono_receipt_discount (cReceipt bigint, cLine integer, cScope text, cKind text, cValue text,
    cAmount numtext, cBefore numtext, PRIMARY KEY (cReceipt, cLine, cScope));
DO $grant$
DECLARE
    till record;
BEGIN
    FOR till IN SELECT DISTINCT a.grantee::regrole AS name FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner) LOOP
        EXECUTE format('GRANT SELECT, INSERT, UPDATE, DELETE ON marvono_discount TO %s', till.name);
    END LOOP;
END
$grant$;
)sql"},
    // How each receipt was paid: cash (the cash received, before change), card or other, one row of
    // each kind at most. A receipt without rows was paid in cash.
    {15, R"sql(
CREATE TABLE marvono_tender (cReceipt INTEGER, cKind TEXT, cAmount NUMTEXT, PRIMARY KEY (cReceipt, cKind));
)sql",
     R"sql(
CREATE TABLE marvono_tender (cReceipt bigint, cKind text, cAmount numtext, PRIMARY KEY (cReceipt, cKind));
-- The tills add to the books and never rewrite them.
DO $grant$
DECLARE
    till record;
BEGIN
    FOR till IN SELECT DISTINCT a.grantee::regrole AS name FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner) LOOP
        EXECUTE format('REVOKE ALL ON marvono_tender FROM %s', till.name);
        EXECUTE format('GRANT SELECT, INSERT ON marvono_tender TO %s', till.name);
    END LOOP;
END
$grant$;
)sql"},
    // An operator's shift, from the first sale with the cash then put in the drawer (the float),
    // until the close that ends it; and per close and operator, the cash the drawer should hold
    // and the cash counted in it. A shift belongs to the operator's name, whatever the till.
    {16, R"sql(
CREATE TABLE marvono_shift (cOperator TEXT, cOpened TEXT, cFloat NUMTEXT, cClose INTEGER);
CREATE INDEX marvono_shift_close ON marvono_shift (cClose);
CREATE TABLE marvono_close_cash (cClose INTEGER, cOperator TEXT, cFloat NUMTEXT, cReceived NUMTEXT,
    cChange NUMTEXT, cRefunds NUMTEXT, cExpected NUMTEXT, cCounted NUMTEXT, cDifference NUMTEXT,
    PRIMARY KEY (cClose, cOperator));
)sql",
     R"sql(
CREATE TABLE marvono_shift (cOperator text, cOpened text, cFloat numtext, cClose bigint,
    mv_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY);
CREATE INDEX marvono_shift_close ON marvono_shift (cClose);
CREATE TABLE marvono_close_cash (cClose bigint, cOperator text, cFloat numtext, cReceived numtext,
    cChange numtext, cRefunds numtext, cExpected numtext, cCounted numtext, cDifference numtext,
    PRIMARY KEY (cClose, cOperator));
-- The tills open shifts and record the counts; a close marks the shifts it ends, and that only.
DO $grant$
DECLARE
    till record;
BEGIN
    FOR till IN SELECT DISTINCT a.grantee::regrole AS name FROM pg_class c, aclexplode(c.relacl) a
            WHERE c.oid = 'product_info'::regclass AND a.grantee NOT IN (0, c.relowner) LOOP
        EXECUTE format('GRANT SELECT, INSERT ON marvono_shift, marvono_close_cash TO %s', till.name);
        EXECUTE format('GRANT UPDATE (cClose) ON marvono_shift TO %s', till.name);
    END LOOP;
END
$grant$;
)sql"},
};

bool exec(sqlite3* db, const char* sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

bool upgradeEmbedded(sqlite3* db, int version, QString* error)
{
    for (const SchemaStep& step : kSteps) {
        if (step.version > version || embeddedSchemaVersion(db) >= step.version)
            continue;
        if (!exec(db, "BEGIN IMMEDIATE", error))
            return false;
        // Another program may have run the step while this one waited for the file.
        const QByteArray record = "PRAGMA user_version = " + QByteArray::number(step.version);
        const bool done = embeddedSchemaVersion(db) >= step.version ||
                          ((!step.embedded || exec(db, step.embedded, error)) && exec(db, record.constData(), error));
        if (!done || !exec(db, "COMMIT", error)) {
            exec(db, "ROLLBACK", nullptr);
            return false;
        }
    }
    return true;
}

} // namespace

std::span<const SchemaStep> schemaSteps()
{
    return kSteps;
}

QStringList embeddedSchemaTables(int version)
{
    // Made in memory by the steps themselves, so the list never falls behind them.
    sqlite3* db = nullptr;
    QStringList tables;
    if (sqlite3_open(":memory:", &db) == SQLITE_OK && exec(db, kFirstSchema, nullptr) &&
        upgradeEmbedded(db, version, nullptr)) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT lower(name) FROM sqlite_master WHERE type='table'", -1, &statement,
                               nullptr) == SQLITE_OK)
            while (sqlite3_step(statement) == SQLITE_ROW)
                tables.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return tables;
}

int embeddedSchemaVersion(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    int version = 0;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return std::max(version, 1);
}

bool upgradeEmbeddedSchema(sqlite3* db, QString* error)
{
    return upgradeEmbedded(db, kSchemaVersion, error);
}

bool createDeliveredDatabase(const QString& path, QString* error, int version)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 exists already").arg(path);
        return false;
    }
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
              SQLITE_OK;
    const QByteArray key(kDatabasePassword);
    ok = ok && sqlite3_key(db, key.constData(), int(key.size())) == SQLITE_OK;
    ok = ok && exec(db, kFirstSchema, error) && upgradeEmbedded(db, version, error);
    if (!ok && error && error->isEmpty())
        *error = QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open");
    sqlite3_close(db);
    return ok;
}

} // namespace marvono
