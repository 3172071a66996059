#pragma once
// Adding, changing and deleting products in product_info together with their picture and
// introduction files. Values are stored as typed; names are always bound, never pasted into SQL.
#include "catalogue/productfiles.h"
#include "data/database.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace marvono {

// The texts of the product dialogs' boxes.
struct ProductValues {
    QString name;     // column 0
    QString inPrice;  // 1
    QString allQty;   // 2
    QString outPrice; // 3
    QString leastQty; // 4
    QString type;     // 6
    QString comment;  // 8
    QString alert;    // 9
    // 5: the code a scanner reads off the package; unique among products when not empty.
    QString code = {};
    // The tax rate chosen for the product (0: the shop's default); nothing leaves it as it is.
    std::optional<qint64> taxRate = {};
};

// Every product's name in the order the products were added; empty when they cannot be read.
QStringList productNames();

// Every distinct category in the order the database returns them; empty when it cannot be read.
QStringList productCategories();

enum class AddOutcome { Added, Duplicate, DuplicateCode, Failed };
struct AddResult {
    AddOutcome outcome = AddOutcome::Failed;
    int pictureNumber = 0;
    QString error;
};

// Stores the picture (when picturePath names an existing file) under the first free number, then
// appends the product unless its name or its code exists already (exact comparison), then writes its
// introduction file. A value a number column refuses leaves that column empty. A picture saved
// before a refusal stays on disk.
AddResult addProduct(const ProductValues& values, const QString& picturePath, const PictureWriter& writePicture);

// A product's stored values, looked up by name (the first row the database returns).
struct StoredProduct {
    bool found = false;
    ProductValues values;
    QString pictureNumber; // column 7 as stored
    qint64 rowKey = 0;     // the row's identity, which the product's tax rate is keyed to
};
StoredProduct findProduct(const QString& name);

// Every product as stored, in the order the products were added, each with its tax rate in
// values.taxRate (0: the default); nothing, with the engine's text, when it cannot be read.
std::optional<std::vector<StoredProduct>> readCatalogue(QString* error);

class RecordSet;
enum class ColumnKind;

// Adds and rewrites many products in one transaction, each stored as addProduct() and
// modifyProduct() store one: the columns by position, the tax rate, a change log row for each
// rewrite and, once committed, the introduction file. All of them are stored or none. It holds
// the key adding and renaming hold from reading the catalogue to the commit, so the names and
// codes the caller checks against catalogue() stay as read; the caller refuses duplicates.
class ProductBatch {
  public:
    ProductBatch();
    ~ProductBatch();
    ProductBatch(const ProductBatch&) = delete;
    ProductBatch& operator=(const ProductBatch&) = delete;

    // False, with errorText(), when the catalogue could not be locked or read.
    bool isReady() const { return m_ready; }
    QString errorText() const { return m_error; }
    const std::vector<StoredProduct>& catalogue() const { return m_catalogue; }

    // Adds a product without a picture, at its tax rate when one is set.
    bool add(const ProductValues& values);
    // Rewrites catalogue()[index] to `values`, writing only the columns that differ from the
    // stored ones (a sale meanwhile keeps its stock unless the remaining quantity changes), and
    // its tax rate when one is set and differs; logs the stored name with today's date.
    bool rewrite(size_t index, const ProductValues& values);
    // Commits, then writes the introduction files.
    bool commit();

  private:
    bool fail(const QString& error);
    bool startWriting();
    Transaction m_transaction;
    bool m_ready = false;
    bool m_writing = false;
    QString m_error;
    std::vector<StoredProduct> m_catalogue;
    std::unique_ptr<RecordSet> m_rows;  // the catalogue as read, row for row
    std::unique_ptr<RecordSet> m_added; // the columns a new row is written to
    QStringList m_addColumns;
    std::vector<ColumnKind> m_addKinds;
    std::unique_ptr<RecordSet> m_log;
    QMap<QString, QString> m_introFiles; // picture number -> the introduction written last
};

struct ModifyResult {
    bool ok = false;
    bool found = false;
    bool duplicate = false;     // the new name is another product's: nothing was written
    bool duplicateCode = false; // the code is another product's: nothing was written
    QString pictureNumber;
    QString error;
};

// Rewrites the first product named oldName, unless the new name or the code is another
// product's (exact comparison, as adding checks it): two products of one name or code could not
// be told apart. Re-saves the picture and the introduction file under its picture number, which
// becomes "0" when keepPicture is false, and logs the old name with today's date in `change`. The
// log row is written also when no product has that name. Row and log row are stored together or
// not at all. loadedRemaining is the remaining quantity the operator was shown: when
// values.leastQty still equals it, the stored quantity stays, so that sales made meanwhile are
// not undone.
ModifyResult modifyProduct(const QString& oldName, const ProductValues& values, const QString& pictureNumber,
                           bool keepPicture, const PictureWriter& writePicture,
                           const std::optional<QString>& loadedRemaining = std::nullopt);

// The names of the products whose code is exactly `code`: a scanned code sells a product only
// when it names one. Empty for the empty code; nullopt when the catalogue cannot be read.
std::optional<QStringList> productsWithCode(const QString& code);

// True for what a barcode scanner types: eight or more digits and nothing else (EAN-8, UPC-A,
// EAN-13, ITF-14). A name search never looks like that, so such a text is taken as a code.
bool looksLikeBarcode(const QString& text);

enum class DeleteMode { WithPicture, RowOnly };
struct DeleteResult {
    bool rowDeleted = false;
    bool ok = false;
    QString error;
};

// Deletes the first product of that name; WithPicture also removes its picture file, and when
// either cannot be removed neither is. A missing picture file is no failure. The introduction
// file always stays. Fails when no product has that name.
DeleteResult deleteProduct(const QString& name, DeleteMode mode);

} // namespace marvono
