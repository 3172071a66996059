#pragma once
// The catalogue brought in from a spreadsheet's CSV file and taken out to one: the file's columns
// mapped to the product fields, a plan of what each row will do, and the plan stored in one
// transaction through ProductBatch. No widgets.
#include "catalogue/products.h"
#include "catalogue/taxrates.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace marvono {

enum class ImportField {
    Name,
    Category,
    Code,
    PurchasePrice,
    RetailPrice,
    PurchaseQuantity,
    RemainingQuantity,
    Alert,
    TaxRate, // a rate's code or name; empty: the shop's default
    Introduction,
};
inline constexpr int kImportFields = 10;

// The field's title, as the exported header writes it: "Purchase price".
QString importFieldTitle(ImportField field);

// For each field (by its number) the file's column it is read from, -1 for none.
using ImportMapping = std::array<int, kImportFields>;

// The columns of `header` for the fields: the column the last import took a field from when the
// header has a column of that title, else a column whose title names the field ("Price", "EAN",
// "Stock"), each column for one field at most.
ImportMapping guessMapping(const QStringList& header);
// Keeps the titles of the mapped columns for the next guess, in import.ini in the application
// folder.
void rememberMapping(const QStringList& header, const ImportMapping& mapping);

struct CatalogueFile {
    QString path;
    QStringList header;
    QList<QStringList> rows; // without the header
    QChar delimiter = u',';
    bool latin1 = false;
    // "2,50" is read as 2.50: the file separates fields with semicolons, or numbers are written
    // with a decimal comma where the program runs.
    bool decimalComma = false;
};

// Reads a CSV file whose first row names the columns; nothing, with the reason, when it cannot be
// read or holds no header.
std::optional<CatalogueFile> readCatalogueFile(const QString& path, QString* error);

enum class RowAction { New, Update, Unchanged, Refused };

struct PlannedRow {
    int row = 0; // the record's number in the file, the header being 1
    RowAction action = RowAction::Refused;
    QString reason;       // why the row is refused
    ProductValues values; // what is stored: for an update the stored values with the file's changes
    size_t target = 0;    // the catalogue's product an update or an unchanged row is
};

struct ImportPlan {
    std::vector<PlannedRow> rows;
    int count(RowAction action) const;
};

// What each row of the file does to `catalogue`: a row is its product's by its code, else by its
// name, and an empty cell keeps the product's value; it is refused when its name is missing, a number field holds no
// number, its tax rate is unknown, or its name or code is that of another row or another product.
ImportPlan planImport(const CatalogueFile& file, const ImportMapping& mapping,
                      const std::vector<StoredProduct>& catalogue, const QList<TaxRate>& rates);

// The plan against the stored catalogue, for the preview; nothing when that cannot be read.
std::optional<ImportPlan> previewImport(const CatalogueFile& file, const ImportMapping& mapping, QString* error);

struct ImportResult {
    bool ok = false;
    ImportPlan plan; // as applied: planned again once the catalogue was locked
    QString error;
    QString refusedPath;  // where the refused rows went; empty when none were refused
    QString refusedError; // why they could not be written there
};

// Plans the import again with the catalogue locked, then stores its new and updated products in
// one transaction, all or none; the refused rows then go to refusedFilePath() with a reason
// column.
ImportResult applyImport(const CatalogueFile& file, const ImportMapping& mapping);

// "<folder>/<name>-refused.csv" beside the file.
QString refusedFilePath(const QString& path);

// Writes every product to a CSV file the import reads back unchanged: UTF-8, commas, the fields'
// titles as header, numbers as stored (with a point), the tax rate by its code.
bool exportCatalogue(const QString& path, QString* error);

} // namespace marvono
