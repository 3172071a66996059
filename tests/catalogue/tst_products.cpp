// Adding, changing and deleting products with their picture and introduction files.
#include "app/appcontext.h"
#include "app/csv.h"
#include "catalogue/catalogueimport.h"
#include "catalogue/labels.h"
#include "catalogue/pricechanges.h"
#include "catalogue/products.h"
#include "catalogue/stockmoves.h"
#include "catalogue/taxrates.h"
#include "catalogue/ui/picturefiles.h"
#include "data/backup.h"
#include "data/database.h"
#include "data/pgengine.h"
#include "data/recordset.h"
#include "support/catalogue_dialogs.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <atomic>
#include <libpq-fe.h>
#include <thread>

using namespace marvono;

namespace {

PictureWriter solid(const QColor& color)
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(color);
    return pictureWriter(image);
}

ProductValues tea(const QString& name = "Tea")
{
    return {name, "1.5", "10", "2.5", "8", "Drinks", "Green tea\r\nfrom Hangzhou", "2"};
}

QString picPath(int n)
{
    return pictureFilePath(n);
}

// A product row as stored, written straight into the table.
void storeProduct(const QString& name, int picture, const QString& comment = "intro")
{
    auto set = ExecSQL("select * from product_info where 1=0");
    QVERIFY(set);
    set->addNew();
    set->setField(0, name);
    set->setField(1, "1");
    set->setField(2, "1");
    set->setField(3, "2");
    set->setField(4, "1");
    set->setField(5, "spare");
    set->setField(6, "Food");
    set->setField(7, picture);
    set->setField(8, comment);
    set->setField(9, "0");
    QVERIFY(set->update());
}

// True once a till of the shop database waits for an advisory lock; false when `stop` comes
// first or a minute passes.
bool advisoryLockWaiter(const std::atomic<bool>& stop)
{
    PGconn* conn = PQconnectdb(Database::instance().serverConfig()->connection.toUtf8().constData());
    bool waiting = false;
    for (int i = 0; i < 6000 && !waiting && !stop; ++i) {
        PGresult* result =
            PQexec(conn, "SELECT 1 FROM pg_locks WHERE locktype = 'advisory' AND NOT granted"
                         " AND database = (SELECT oid FROM pg_database WHERE datname = current_database())");
        waiting = PQntuples(result) > 0;
        PQclear(result);
        if (!waiting)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    PQfinish(conn);
    return waiting;
}

} // namespace

class TestProducts : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void addStoresColumnsByPosition();
    void addTakesFreePictureNumbers();
    void addWithoutPicture();
    void addWhenAllNumbersTaken();
    void tillsAddingAtOnceTakeDifferentNumbers();
    void duplicatesAreExact();
    void refusedNumbersLeaveEmptyColumns();
    void addFailureStoresNothing();
    void categoriesAreDistinct();
    void modifyRewritesRowFilesAndLog();
    void modifyFailureStoresNothing();
    void deleteUnknownName();
    void deleteFirstOfTwoNamesakes();
    void apostrophesWorkEverywhere();
    void stockMovesAreLoggedWithTheStock();
    void importStoresExactlyTheGoodRows();
    void exportThenImportChangesNothing();
    void importReadsLatin1AndRefusesCommaNumbers();
    void priceChangesRoundToTheStepAndLogEach();
    void priceChangeFailureChangesNoPrice();
};

void TestProducts::init()
{
    test::setClock([]() { return QDateTime(QDate(2026, 12, 7), QTime(23, 59, 58)); });
}

void TestProducts::cleanup()
{
    test::setClock({});
    test::injectWriteFault(0);
}

void TestProducts::addStoresColumnsByPosition()
{
    test::TempAppFolder folder;
    const AddResult result = addProduct(tea(), QString(), solid(Qt::red));
    QCOMPARE(result.outcome, AddOutcome::Added);
    QCOMPARE(result.pictureNumber, 0);
    QCOMPARE(test::rowsOf("select * from product_info"),
             QStringList{"Tea|1.5|10|2.5|8|<null>|Drinks|0|Green tea\r\nfrom Hangzhou|2"});
    QCOMPARE(test::fileBytes(folder.file("qexclient/info/0.ifo")), QByteArray("\"Green tea\r\nfrom Hangzhou\"\r\n"));
}

void TestProducts::addTakesFreePictureNumbers()
{
    test::TempAppFolder folder;
    const QString chosen = folder.file("chosen.gif");
    QVERIFY(test::writeSolidPicture(chosen, Qt::green, "GIF"));
    QVERIFY(test::writeSolidPicture(picPath(1), Qt::red, "BMP"));
    QVERIFY(test::writeSolidPicture(picPath(2), Qt::red, "BMP"));

    AddResult result = addProduct(tea("Tea"), chosen, solid(QColor(0, 0, 250)));
    QCOMPARE(result.outcome, AddOutcome::Added);
    QCOMPARE(result.pictureNumber, 3);
    // The preview's image is what is saved, as a bitmap.
    QVERIFY(test::fileBytes(picPath(3)).startsWith("BM"));
    QCOMPARE(test::pictureColor(picPath(3)), QColor(0, 0, 250));
    QVERIFY(QFile::exists(folder.file("qexclient/info/3.ifo")));
    QCOMPARE(findProduct("Tea").pictureNumber, QString("3"));

    QVERIFY(QFile::remove(picPath(2)));
    result = addProduct(tea("Coffee"), chosen, solid(Qt::yellow));
    QCOMPARE(result.pictureNumber, 2);
    QCOMPARE(test::pictureColor(picPath(2)), QColor(Qt::yellow));
    QVERIFY(QFile::exists(folder.file("qexclient/info/2.ifo")));
    QCOMPARE(addProduct(tea("Milk"), chosen, solid(Qt::yellow)).pictureNumber, 4);
}

void TestProducts::addWithoutPicture()
{
    test::TempAppFolder folder;
    QCOMPARE(addProduct(tea("A"), QString(), solid(Qt::red)).pictureNumber, 0);
    QCOMPARE(addProduct(tea("B"), folder.file("gone.jpg"), solid(Qt::red)).pictureNumber, 0);
    // A folder is no picture file.
    QCOMPARE(addProduct(tea("C"), folder.file("qexclient"), solid(Qt::red)).pictureNumber, 0);
    QCOMPARE(QDir(folder.file("qexclient/pic")).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(folder.file("qexclient/info")).entryList(QDir::Files), QStringList{"0.ifo"});
    QCOMPARE(test::rowsOf("select cPic from product_info order by rowid"), (QStringList{"0", "0", "0"}));
}

void TestProducts::addWhenAllNumbersTaken()
{
    test::TempAppFolder folder;
    for (int n = 1; n <= 3000; ++n) {
        QFile file(picPath(n));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const AddResult result = addProduct(tea(), folder.file("qexclient/pic/1.jpg"), solid(Qt::red));
    QCOMPARE(result.outcome, AddOutcome::Added);
    QCOMPARE(result.pictureNumber, 3001);
    QVERIFY(!QFile::exists(picPath(3001)));
    QVERIFY(QFile::exists(folder.file("qexclient/info/3001.ifo")));
    QCOMPARE(findProduct("Tea").pictureNumber, QString("3001"));
}

void TestProducts::tillsAddingAtOnceTakeDifferentNumbers()
{
    if (!test::serverEngine())
        QSKIP("one till per embedded file");
    test::TempAppFolder folder;
    const QString chosen = folder.file("chosen.bmp");
    QVERIFY(test::writeSolidPicture(chosen, Qt::green, "BMP"));
    // The other till is adding a product: it holds the picture numbers and has found 1 free, but
    // has not saved its picture yet.
    QString error;
    QVERIFY2(Database::instance().engine(&error), qPrintable(error));
    std::unique_ptr<PgEngine> other = PgEngine::connect(*Database::instance().serverConfig(), &error);
    QVERIFY2(other, qPrintable(error));
    QVERIFY2(other->begin(&error) && other->lockKey("picture numbers", &error), qPrintable(error));
    const int othersNumber = freePictureNumber();
    QCOMPARE(othersNumber, 1);
    std::atomic<bool> added = false;
    bool waited = false;
    // It saves its picture and lets go once this till waits for the numbers; without that wait
    // this till's product is added first and both take number 1.
    std::thread otherTill([&]() {
        waited = advisoryLockWaiter(added);
        QFile picture(picPath(othersNumber));
        if (picture.open(QIODevice::WriteOnly))
            picture.write("BM");
        picture.close();
        other->commit(nullptr);
    });
    const AddResult result = addProduct(tea(), chosen, solid(Qt::red));
    added = true;
    otherTill.join();
    QCOMPARE(result.outcome, AddOutcome::Added);
    QCOMPARE(result.pictureNumber, 2);
    QCOMPARE(test::pictureColor(picPath(2)), QColor(Qt::red));
    QVERIFY(waited);
}

void TestProducts::duplicatesAreExact()
{
    test::TempAppFolder folder;
    const QString chosen = folder.file("chosen.bmp");
    QVERIFY(test::writeSolidPicture(chosen, Qt::green, "BMP"));
    QCOMPARE(addProduct(tea("Tea"), QString(), solid(Qt::red)).outcome, AddOutcome::Added);

    ProductValues again = tea("Tea");
    again.comment = "second";
    const AddResult refused = addProduct(again, chosen, solid(Qt::red));
    QCOMPARE(refused.outcome, AddOutcome::Duplicate);
    // The picture was saved before the check and stays; nothing else was written.
    QVERIFY(QFile::exists(picPath(1)));
    QVERIFY(!QFile::exists(folder.file("qexclient/info/1.ifo")));
    QCOMPARE(test::rowsOf("select cName from product_info order by rowid"), QStringList{"Tea"});

    QCOMPARE(addProduct(tea("tea"), QString(), solid(Qt::red)).outcome, AddOutcome::Added);
    QCOMPARE(addProduct(tea("Tea "), QString(), solid(Qt::red)).outcome, AddOutcome::Added);
    QCOMPARE(addProduct(tea(" Tea"), QString(), solid(Qt::red)).outcome, AddOutcome::Added);
    QCOMPARE(test::rowsOf("select cName from product_info order by rowid"),
             (QStringList{"Tea", "tea", "Tea ", " Tea"}));
}

void TestProducts::refusedNumbersLeaveEmptyColumns()
{
    test::TempAppFolder folder;
    ProductValues values = tea("Odd");
    values.inPrice = "12abc";
    values.allQty = "";
    values.alert = "Alert Quantity";
    QCOMPARE(addProduct(values, QString(), solid(Qt::red)).outcome, AddOutcome::Added);
    QCOMPARE(test::rowsOf("select * from product_info"),
             QStringList{"Odd|<null>|<null>|2.5|8|<null>|Drinks|0|Green tea\r\nfrom Hangzhou|<null>"});
}

void TestProducts::addFailureStoresNothing()
{
    test::TempAppFolder folder;
    test::injectWriteFault(1);
    const AddResult result = addProduct(tea(), QString(), solid(Qt::red));
    QCOMPARE(result.outcome, AddOutcome::Failed);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(test::rowsOf("select * from product_info"), QStringList());
    QVERIFY(!QFile::exists(folder.file("qexclient/info/0.ifo")));

    // No database at all.
    test::TempAppFolder empty(false);
    QCOMPARE(addProduct(tea(), QString(), solid(Qt::red)).outcome, AddOutcome::Failed);
    QVERIFY(!QFile::exists(empty.file("qexclient/info/0.ifo")));
    QCOMPARE(productCategories(), QStringList());
}

void TestProducts::categoriesAreDistinct()
{
    test::TempAppFolder folder;
    for (const char* type : {"Fruit", "Drinks", "Fruit", "fruit", ""}) {
        ProductValues values = tea(QString("P%1").arg(test::rowsOf("select * from product_info").size()));
        values.type = type;
        QCOMPARE(addProduct(values, QString(), pictureWriter(QImage())).outcome, AddOutcome::Added);
    }
    QCOMPARE(productCategories(), (QStringList{"Fruit", "Drinks", "fruit", ""}));
}

void TestProducts::modifyRewritesRowFilesAndLog()
{
    test::TempAppFolder folder;
    storeProduct("Tea", 5, "old");
    QVERIFY(test::writeSolidPicture(picPath(5), Qt::red, "JPEG"));

    ProductValues values = tea("Green Tea");
    values.alert = "Alert Quantity";
    values.code = "12345678";
    const ModifyResult result = modifyProduct("Tea", values, "5", true, solid(QColor(0, 0, 250)));
    QVERIFY(result.ok);
    QVERIFY(result.found);
    // Column 5 holds the code box; the refused alert is emptied.
    QCOMPARE(test::rowsOf("select * from product_info"),
             QStringList{"Green Tea|1.5|10|2.5|8|12345678|Drinks|5|Green tea\r\nfrom Hangzhou|<null>"});
    QVERIFY(test::fileBytes(picPath(5)).startsWith("BM"));
    QCOMPARE(test::pictureColor(picPath(5)), QColor(0, 0, 250));
    QCOMPARE(test::fileBytes(folder.file("qexclient/info/5.ifo")), QByteArray("\"Green tea\r\nfrom Hangzhou\"\r\n"));
    QCOMPARE(test::rowsOf("select * from change"), QStringList{"2026-12-07|Tea"});

    // An unchanged update is logged again, under the name it had.
    QVERIFY(modifyProduct("Green Tea", values, "5", true, solid(Qt::red)).ok);
    QCOMPARE(test::rowsOf("select * from change"), (QStringList{"2026-12-07|Tea", "2026-12-07|Green Tea"}));
}

void TestProducts::modifyFailureStoresNothing()
{
    test::TempAppFolder folder;
    storeProduct("Tea", 5);
    const QStringList before = test::rowsOf("select * from product_info");
    // The row is written, the log row fails: the row goes back as well.
    test::injectWriteFault(2);
    const ModifyResult result = modifyProduct("Tea", tea("Renamed"), "5", true, solid(Qt::red));
    QVERIFY(!result.ok);
    QCOMPARE(test::rowsOf("select * from product_info"), before);
    QCOMPARE(test::rowsOf("select * from change"), QStringList());
    QVERIFY(!QFile::exists(picPath(5)));
    QVERIFY(!QFile::exists(folder.file("qexclient/info/5.ifo")));
}

void TestProducts::deleteUnknownName()
{
    test::TempAppFolder folder;
    storeProduct("Tea", 0);
    QVERIFY(test::writeSolidPicture(picPath(0), Qt::red, "BMP"));
    for (DeleteMode mode : {DeleteMode::WithPicture, DeleteMode::RowOnly}) {
        const DeleteResult result = deleteProduct(QString(), mode);
        QVERIFY(!result.ok);
        QVERIFY(!result.rowDeleted);
    }
    QCOMPARE(test::rowsOf("select cName from product_info order by rowid"), QStringList{"Tea"});
    QVERIFY(QFile::exists(picPath(0)));
    // Picture number 0 is shared, but the toolbar path removes 0.jpg all the same.
    QVERIFY(deleteProduct("Tea", DeleteMode::WithPicture).ok);
    QVERIFY(!QFile::exists(picPath(0)));
}

void TestProducts::deleteFirstOfTwoNamesakes()
{
    test::TempAppFolder folder;
    storeProduct("Tea", 1);
    storeProduct("Tea", 2);
    // The deleted row's tax rate goes with it, so no later product inherits it through the key.
    QVERIFY(saveTaxRates({{0, "", "Standard", "20", true}, {0, "", "Reduced", "7", false}}, nullptr));
    const qint64 first = findProduct("Tea").rowKey;
    QVERIFY(setProductTaxRate(first, readTaxRates()->at(1).id, nullptr));
    QVERIFY(deleteProduct("Tea", DeleteMode::RowOnly).ok);
    QCOMPARE(test::rowsOf("select cName, cPic from product_info order by rowid"), QStringList{"Tea|2"});
    QCOMPARE(test::rowsOf("select * from marvono_product_tax"), QStringList());
}

void TestProducts::apostrophesWorkEverywhere()
{
    test::TempAppFolder folder;
    const QString name = "Grandma's Jam";
    QCOMPARE(addProduct(tea(name), QString(), solid(Qt::red)).outcome, AddOutcome::Added);
    QCOMPARE(addProduct(tea(name), QString(), solid(Qt::red)).outcome, AddOutcome::Duplicate);
    const StoredProduct found = findProduct(name);
    QVERIFY(found.found);
    QCOMPARE(found.values.comment, QString("Green tea\r\nfrom Hangzhou"));

    QVERIFY(modifyProduct(name, tea("O'Brien's Jam"), "0", true, solid(Qt::red)).found);
    QCOMPARE(test::rowsOf("select * from change"), QStringList{"2026-12-07|Grandma's Jam"});
    QVERIFY(findProduct("O'Brien's Jam").found);
    QVERIFY(deleteProduct("O'Brien's Jam", DeleteMode::RowOnly).ok);
    QCOMPARE(test::rowsOf("select * from product_info"), QStringList());
}

void TestProducts::stockMovesAreLoggedWithTheStock()
{
    test::TempAppFolder folder(true, 3); // from before stock moves were kept
    storeProduct("Tea", 0);
    runValues().currentUser = "anna";
    test::injectWriteFault(2); // the log row: the stock stays as it was
    QCOMPARE(receiveStock("Tea", "5", "1.25").outcome, StockMoveOutcome::Failed);
    QCOMPARE(test::rowsOf("select cInPrice, cAllQty, cLeastQty from product_info"), QStringList{"1|1|1"});
    QCOMPARE(receiveStock("Tea", "5", " 1.25").remaining, QString("6"));
    QCOMPARE(receiveStock("Tea", "-1", "").outcome, StockMoveOutcome::BadUnits);
    QCOMPARE(receiveStock("Tea", "1", "-2").outcome, StockMoveOutcome::BadPrice);
    QCOMPARE(correctStock("Tea", StockDirection::Out, "0", "Loss").outcome, StockMoveOutcome::BadUnits);
    QCOMPARE(correctStock("Tea", StockDirection::Out, "-6", "Loss").outcome, StockMoveOutcome::BadUnits);
    QCOMPARE(correctStock("Tea", StockDirection::Out, "6", " ").outcome, StockMoveOutcome::NoReason);
    QCOMPARE(correctStock("Tea", StockDirection::Out, "7", "Loss").outcome, StockMoveOutcome::NotEnoughStock);
    QCOMPARE(correctStock("Tea", StockDirection::Out, "6", "Loss").outcome, StockMoveOutcome::Booked);
    QCOMPARE(test::rowsOf("select cInPrice, cAllQty, cLeastQty from product_info"), QStringList{"1.25|0|0"});
    QCOMPARE(test::rowsOf("select * from marvono_stock_move order by rowid"),
             (QStringList{"2026-12-07 23:59:58|Tea|Received|5|1.25|6|<null>|anna|<null>",
                          "2026-12-07 23:59:58|Tea|Correction|-6|1.25|0|Loss|anna|<null>"}));
    std::vector<StockMove> moves;
    QVERIFY(stockMovesOfDay(QDate(2026, 12, 7), &moves, nullptr));
    QCOMPARE(moves.size(), size_t(2));
    QCOMPARE(receivedCost(moves)->toText(), QString("6.25"));
    QVERIFY(stockMovesOfDay(QDate(2026, 12, 8), &moves, nullptr) && moves.empty());
    const QString backup = folder.file("moves.DBK");
    QVERIFY(backupDatabase(backup) && recoverDatabase(backup));
    QCOMPARE(test::rowsOf("select count(*) from marvono_stock_move"), QStringList{"2"});
}

// A spreadsheet's file: a byte order mark, semicolons, decimal commas, an introduction on two lines.
void TestProducts::importStoresExactlyTheGoodRows()
{
    test::TempAppFolder folder;
    QVERIFY(saveTaxRates({{0, "", "Standard", "20", true}, {0, "", "Reduced", "7", false}}, nullptr));
    QCOMPARE(addProduct(tea(), QString(), solid(Qt::red)).outcome, AddOutcome::Added);
    ProductValues cola = tea("Cola");
    cola.code = "222";
    QCOMPARE(addProduct(cola, QString(), solid(Qt::red)).outcome, AddOutcome::Added);
    const QString path = folder.file("stock.csv");
    QFile csv(path);
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("\xEF\xBB\xBFName;Category;Code;Retail price;Remaining quantity;Tax rate;Introduction\r\n"
              "Tea;Drinks;111;2,75;8;Reduced;\"Green tea\nfrom Hangzhou\"\r\n" // update
              "Bread;Bakery;;1,20;20;a;Fresh\r\n"                              // new
              "Milk;Dairy;;abc;5;;\r\n"                                        // a price that is no number
              "Jam;Food;555;2;3;;\r\nHoney;Food;555;2;3;;\r\n"                 // one code twice
              ";Food;;2;3;;\r\n"                                               // no name
              "Tea;Drinks;222;2;3;;\r\n"                                       // Cola's code, Tea's name
              "Cola;Drinks;222;2,50;;;\"Green tea\r\nfrom Hangzhou\"\r\n"      // unchanged, stock kept
              "Pepper;Food;;2;3;Zero;\r\n");
    csv.close();
    const std::optional<CatalogueFile> file = readCatalogueFile(path, nullptr);
    QVERIFY(file && file->decimalComma && !file->latin1);
    const ImportMapping mapping = guessMapping(file->header);
    const std::optional<ImportPlan> plan = previewImport(*file, mapping, nullptr);
    QVERIFY(plan);
    QStringList planned;
    for (const PlannedRow& row : plan->rows)
        planned.append(QString("%1 %2 %3").arg(row.row).arg(int(row.action)).arg(row.reason));
    QCOMPARE(planned, (QStringList{"2 1 ", "3 0 ", "4 3 The retail price \"abc\" is not a number.",
                                   "5 3 Rows 5, 6 have the same code.", "6 3 Rows 5, 6 have the same code.",
                                   "7 3 The name is missing.", "8 3 The name \"Tea\" is another product's.", "9 2 ",
                                   "10 3 The tax rate \"Zero\" is unknown."}));

    // A write failing half way stores nothing of the import.
    const QStringList before = test::rowsOf("select * from product_info order by rowid");
    test::injectWriteFault(2);
    const ImportResult failed = applyImport(*file, mapping);
    QVERIFY(!failed.ok && !failed.error.isEmpty());
    QCOMPARE(test::rowsOf("select * from product_info order by rowid"), before);
    QCOMPARE(test::rowsOf("select * from change"), QStringList());
    QCOMPARE(test::rowsOf("select count(*) from marvono_product_tax"), QStringList{"0"});
    QVERIFY(!QFile::exists(folder.file("stock-refused.csv")));

    test::injectWriteFault(0);
    const ImportResult result = applyImport(*file, mapping);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(test::rowsOf("select * from product_info order by rowid"),
             (QStringList{"Tea|1.5|10|2.75|8|111|Drinks|0|Green tea\r\nfrom Hangzhou|2",
                          "Cola|1.5|10|2.5|8|222|Drinks|0|Green tea\r\nfrom Hangzhou|2",
                          "Bread|<null>|<null>|1.20|20|<null>|Bakery|0|Fresh|<null>"}));
    QCOMPARE(test::rowsOf("select p.cName, r.cCode from marvono_product_tax t join product_info p on "
                          "p.rowid = t.cProductKey join marvono_tax_rate r on r.cId = t.cRate order by p.cName"),
             (QStringList{"Bread|A", "Tea|B"}));
    QCOMPARE(test::rowsOf("select * from change"), QStringList{"2026-12-07|Tea"});
    QCOMPARE(result.refusedPath, folder.file("stock-refused.csv"));
    const std::optional<CsvTable> refused = readCsvFile(result.refusedPath);
    QCOMPARE(refused->rows.size(), 7);
    QCOMPARE(refused->rows.at(1),
             (QStringList{"Milk", "Dairy", "", "abc", "5", "", "", "The retail price \"abc\" is not a number."}));
}

void TestProducts::exportThenImportChangesNothing()
{
    test::TempAppFolder folder;
    QVERIFY(saveTaxRates({{0, "", "Standard", "20", true}, {0, "", "Reduced", "7", false}}, nullptr));
    ProductValues jam = tea("Jam, \"Grandma's\"; sweet");
    jam.code = "4006381333931";
    jam.taxRate = readTaxRates()->at(1).id;
    jam.inPrice = "0.125";
    for (const ProductValues& values : {tea(), jam})
        QCOMPARE(addProduct(values, QString(), solid(Qt::red)).outcome, AddOutcome::Added);
    const QString path = folder.file("products.csv");
    QVERIFY(exportCatalogue(path, nullptr));
    const std::optional<CatalogueFile> file = readCatalogueFile(path, nullptr);
    QVERIFY(file && file->delimiter == u',' && !file->decimalComma);
    const ImportMapping mapping = guessMapping(file->header);
    QVERIFY(std::all_of(mapping.cbegin(), mapping.cend(), [](int column) { return column >= 0; }));
    const std::optional<ImportPlan> plan = previewImport(*file, mapping, nullptr);
    QCOMPARE(plan->rows.size(), size_t(2));
    QCOMPARE(plan->count(RowAction::Unchanged), 2);
}

void TestProducts::importReadsLatin1AndRefusesCommaNumbers()
{
    test::TempAppFolder folder;
    QLocale::setDefault(QLocale::c());
    const CsvTable table = readCsv("Name,Retail price\r\nCaf\xE9,\"2,5\"\r\nTh\xE9,3\r\n");
    QVERIFY(table.latin1);
    QCOMPARE(table.rows.at(2), (QStringList{"Th\u00E9", "3"}));
    const QString path = folder.file("latin1.csv");
    QFile csv(path);
    QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write("Name,Retail price\r\nCaf\xE9,\"2,5\"\r\n") > 0);
    csv.close();
    const std::optional<CatalogueFile> file = readCatalogueFile(path, nullptr);
    const std::optional<ImportPlan> plan = previewImport(*file, guessMapping(file->header), nullptr);
    // With commas between fields, "2,5" is no price rather than 2 or 25.
    QCOMPARE(plan->rows.at(0).action, RowAction::Refused);
    QCOMPARE(plan->rows.at(0).values.name, QString("Caf\u00E9"));
}

void TestProducts::priceChangesRoundToTheStepAndLogEach()
{
    test::TempAppFolder folder;
    for (const auto& [name, type, price] : {std::tuple{"Tea", "Drinks", "2.5"},
                                            {"Bun", "Food", "0.8"},
                                            {"Cola", "Drinks", "1.25"},
                                            {"Water", "Drinks", "0.6"}}) {
        QCOMPARE(addProduct({name, "1", "5", price, "5", type, "", "1"}, {}, {}).outcome, AddOutcome::Added);
    }
    const auto products = categoryLabelProducts("Drinks", nullptr);
    QVERIFY(products);
    QStringList drinks;
    for (const LabelProduct& product : *products)
        drinks.append(product.name);
    // 2.75, 1.375 and 0.66 to the nearest 0.05.
    QVERIFY(applyPriceChanges(drinks, {true, 10, PriceStep::FiveCents}, nullptr));
    QCOMPARE(test::rowsOf("select cName, cOutPrice from product_info order by rowid"),
             (QStringList{"Tea|2.75", "Bun|0.8", "Cola|1.4", "Water|0.65"}));
    QCOMPARE(test::rowsOf("select * from change"),
             (QStringList{"2026-12-07|Tea", "2026-12-07|Cola", "2026-12-07|Water"}));
    // The nearest .99, but a rise never lowers a price.
    for (const auto& [from, percent, to] : {std::tuple{262, 0, 299}, {240, 0, 199}, {30, 0, 99}, {230, 8, 299}}) {
        QCOMPARE(changedPrice(Currency::fromRaw(from * 100), {true, double(percent), PriceStep::Ends99}),
                 Currency::fromRaw(to * 100));
    }
}

void TestProducts::priceChangeFailureChangesNoPrice()
{
    test::TempAppFolder folder;
    for (const auto& [name, price] : {std::pair{"Tea", "2.5"}, {"Cola", "1.25"}, {"Water", "0.6"}})
        QCOMPARE(addProduct({name, "1", "5", price, "5", "Drinks", "", "1"}, {}, {}).outcome, AddOutcome::Added);
    const QStringList before = test::rowsOf("select * from product_info");
    // The second product's row fails after the first was changed and logged.
    test::injectWriteFault(3);
    QVERIFY(!applyPriceChanges({"Tea", "Cola", "Water"}, {true, 10, PriceStep::Cent}, nullptr));
    test::injectWriteFault(0);
    // A price the rule would take below 0 refuses the whole change.
    QVERIFY(!applyPriceChanges({"Tea", "Cola", "Water"}, {false, -1, PriceStep::Cent}, nullptr));
    QCOMPARE(test::rowsOf("select * from product_info"), before);
    QCOMPARE(test::rowsOf("select * from change"), QStringList());
}

QTEST_GUILESS_MAIN(TestProducts)
#include "tst_products.moc"
