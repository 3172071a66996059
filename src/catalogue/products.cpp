#include "catalogue/products.h"

#include "app/appcontext.h"
#include "app/text.h"
#include "catalogue/productfiles.h"
#include "catalogue/taxrates.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "data/tables.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace marvono {
namespace {

const QString& productByName()
{
    static const QString sql = QStringLiteral("select * from product_info where cName=?");
    return sql;
}

// Adding holds this key from its name check to its insert, so a rename checked under it cannot
// slip in a name another till is adding.
const QString& catalogueNamesKey()
{
    static const QString key = QStringLiteral("picture numbers");
    return key;
}

// Where each of the boxes' texts is stored in product_info.
struct ValueColumn {
    ProductColumn column;
    QString ProductValues::*value;
};
constexpr ValueColumn kValueColumns[] = {
    {ProductName, &ProductValues::name},          {ProductCost, &ProductValues::inPrice},
    {ProductBought, &ProductValues::allQty},      {ProductPrice, &ProductValues::outPrice},
    {ProductRemaining, &ProductValues::leastQty}, {ProductCode, &ProductValues::code},
    {ProductType, &ProductValues::type},          {ProductComment, &ProductValues::comment},
    {ProductAlert, &ProductValues::alert}};

QVariant storedValue(const ProductValues& values, const ValueColumn& column)
{
    const QString& text = values.*column.value;
    // Products without a code keep the column empty (null), as rows added before codes have it.
    return column.column == ProductCode && text.isEmpty() ? QVariant() : QVariant(text);
}

// Assigns the boxes' texts by column position. A number column that refuses its text is left
// empty and the others are still assigned, so the result is not checked.
void assignValues(RecordSet& row, const ProductValues& values, bool withRemaining = true)
{
    for (const ValueColumn& column : kValueColumns)
        if (withRemaining || column.column != ProductRemaining)
            row.setField(column.column, storedValue(values, column));
}

// Logs in `change` that the product stored as `oldName` was rewritten today.
bool logChange(RecordSet& log, const QString& oldName)
{
    log.addNew();
    log.setField(ChangeDate, Clock::now().date());
    log.setField(ChangeName, oldName);
    return log.update();
}

// Whether a product other than the one named `except` has the code; nullopt when that cannot be read.
std::optional<bool> codeTaken(const QString& code, const QString& except, QString& message)
{
    if (code.isEmpty())
        return false;
    auto set =
        ExecSQL(QStringLiteral("select cName from product_info where cSpare=? and cName<>?"), message, {code, except});
    if (!set)
        return std::nullopt;
    return !set->isEof();
}

// The product of the record set's current row.
StoredProduct storedProduct(const RecordSet& set)
{
    StoredProduct product;
    product.found = true;
    product.values = {set.text(0), set.text(1), set.text(2), set.text(3), set.text(4),
                      set.text(6), set.text(8), set.text(9), set.text(5)};
    product.pictureNumber = set.text(7);
    product.rowKey = set.rowKey();
    return product;
}

// The products of a "select * from product_info" set, each with its tax rate; the set is left
// on its first row.
std::optional<std::vector<StoredProduct>> productsOf(RecordSet& rows, QString* error)
{
    QString message;
    auto rates = ExecSQL(QStringLiteral("select cProductKey, cRate from marvono_product_tax"), message);
    if (!rates) {
        setError(error, message);
        return std::nullopt;
    }
    QHash<qint64, qint64> rateOf;
    for (; !rates->isEof(); rates->moveNext())
        rateOf.insert(rates->text(0).toLongLong(), rates->text(1).toLongLong());
    std::vector<StoredProduct> products;
    products.reserve(size_t(rows.count()));
    for (rows.moveFirst(); !rows.isEof(); rows.moveNext()) {
        products.push_back(storedProduct(rows));
        products.back().values.taxRate = rateOf.value(products.back().rowKey);
    }
    rows.moveFirst();
    return products;
}

} // namespace

QStringList productNames()
{
    QStringList names;
    auto set = ExecSQL(QStringLiteral("select cName from product_info order by rowid"));
    for (; set && !set->isEof(); set->moveNext())
        names.append(set->text(0));
    return names;
}

QStringList productCategories()
{
    QStringList categories;
    // In the order the categories first appear: a shop server hands out "distinct" rows in any
    // order, and the category box must read the same on every till.
    auto set = ExecSQL(QStringLiteral("select cType from product_info group by cType order by min(rowid)"));
    if (!set)
        return categories;
    for (; !set->isEof(); set->moveNext())
        categories.append(set->text(0));
    return categories;
}

AddResult addProduct(const ProductValues& values, const QString& picturePath, const PictureWriter& writePicture)
{
    AddResult result;
    // Tills sharing one picture folder take numbers one at a time: the number is free until its
    // file is written, so the next till waits until then.
    Transaction transaction;
    if (!transaction.isActive() || !transaction.lock(catalogueNamesKey())) {
        result.error = transaction.errorText();
        return result;
    }
    if (!picturePath.isEmpty() && QFileInfo(picturePath).isFile()) {
        // The number is taken at the moment of saving, so a file deleted meanwhile frees its number.
        result.pictureNumber = freePictureNumber();
        if (result.pictureNumber <= kMaxPictureNumber)
            writePicture(pictureFilePath(result.pictureNumber));
    }

    QString message;
    auto set = ExecSQL(productByName(), message, {values.name});
    if (!set) {
        result.error = message;
        return result;
    }
    if (!set->isEof()) {
        result.outcome = AddOutcome::Duplicate;
        return result;
    }
    const std::optional<bool> codeUsed = codeTaken(values.code, values.name, message);
    if (!codeUsed) {
        result.error = message;
        return result;
    }
    if (*codeUsed) {
        result.outcome = AddOutcome::DuplicateCode;
        return result;
    }
    set->addNew();
    assignValues(*set, values);
    set->setField(7, result.pictureNumber);
    if (!set->update()) {
        result.error = set->errorText();
        return result;
    }
    // Also without a rate chosen: a rate left by a deleted row of the same identity goes.
    if (!setProductTaxRate(set->rowKey(), values.taxRate.value_or(0), &result.error))
        return result;
    if (!transaction.commit()) {
        result.error = transaction.errorText();
        return result;
    }
    writeIntroFile(QString::number(result.pictureNumber), values.comment);
    result.outcome = AddOutcome::Added;
    return result;
}

StoredProduct findProduct(const QString& name)
{
    auto set = ExecSQL(productByName(), {name});
    if (!set || set->isEof())
        return {};
    return storedProduct(*set);
}

std::optional<std::vector<StoredProduct>> readCatalogue(QString* error)
{
    QString message;
    auto rows = ExecSQL(QStringLiteral("select * from product_info order by rowid"), message);
    if (!rows) {
        setError(error, message);
        return std::nullopt;
    }
    return productsOf(*rows, error);
}

ProductBatch::ProductBatch()
{
    if (!m_transaction.isActive() || !m_transaction.lock(catalogueNamesKey())) {
        m_error = m_transaction.errorText();
        return;
    }
    QString message;
    m_rows = ExecSQL(QStringLiteral("select * from product_info order by rowid"), message);
    std::optional<std::vector<StoredProduct>> catalogue = m_rows ? productsOf(*m_rows, &message) : std::nullopt;
    if (!catalogue) {
        m_error = message;
        return;
    }
    m_catalogue = std::move(*catalogue);
    m_ready = true;
}

ProductBatch::~ProductBatch() = default;

bool ProductBatch::fail(const QString& error)
{
    m_error = error;
    m_ready = false;
    return false;
}

bool ProductBatch::startWriting()
{
    if (m_writing)
        return m_ready;
    m_writing = true;
    QString message;
    m_added = RowsToAdd(QStringLiteral("product_info"), message);
    m_log = m_added ? RowsToAdd(QStringLiteral("change"), message) : nullptr;
    Engine* engine = m_log ? Database::instance().engine(&message) : nullptr;
    // A rate left by a deleted row goes, as addProduct() drops it: a new row may get its key.
    if (!engine || !engine->execute(QStringLiteral("delete from marvono_product_tax where cProductKey not in "
                                                   "(select rowid from product_info)"),
                                    {}, &message))
        return fail(message);
    // Everything read that the writes depend on: a shop server takes them in one exchange.
    m_transaction.batchWrites();
    return true;
}

bool ProductBatch::add(const ProductValues& values)
{
    if (!m_ready || !startWriting())
        return false;
    // Straight to the engine, as the record set would write the row but without keeping it: an
    // import adds thousands.
    if (m_addColumns.isEmpty()) {
        for (const ValueColumn& column : kValueColumns) {
            m_addColumns.append(m_added->columnName(column.column));
            m_addKinds.push_back(m_added->columnKind(column.column));
        }
        m_addColumns.append(m_added->columnName(ProductPicture));
        m_addKinds.push_back(m_added->columnKind(ProductPicture));
    }
    QVariantList row;
    row.reserve(m_addColumns.size());
    for (size_t i = 0; i < std::size(kValueColumns); ++i)
        row.append(storedCell(m_addKinds[i], storedValue(values, kValueColumns[i])));
    row.append(storedCell(m_addKinds.back(), 0));
    QString error;
    Engine* engine = Database::instance().engine(&error);
    const qint64 rate = values.taxRate.value_or(0);
    const QString& table = m_added->table();
    const bool stored = engine && (rate == 0 ? engine->insertRow(table, m_addColumns, row, nullptr, &error)
                                             : engine->insertLinkedRows(table, m_addColumns, row,
                                                                        LinkedRow{QStringLiteral("marvono_product_tax"),
                                                                                  {QStringLiteral("cRate")},
                                                                                  {rate},
                                                                                  QStringLiteral("cProductKey")},
                                                                        &error));
    if (!stored)
        return fail(error);
    m_introFiles.insert(QStringLiteral("0"), values.comment);
    return true;
}

bool ProductBatch::rewrite(size_t index, const ProductValues& values)
{
    if (!m_ready || index >= m_catalogue.size() || !startWriting())
        return false;
    const StoredProduct& product = m_catalogue[index];
    m_rows->moveFirst();
    m_rows->move(int(index));
    for (const ValueColumn& column : kValueColumns)
        if (values.*column.value != product.values.*column.value)
            m_rows->setField(column.column, storedValue(values, column));
    QString error;
    if (!m_rows->update())
        return fail(m_rows->errorText());
    if (values.taxRate && values.taxRate != product.values.taxRate &&
        !setProductTaxRate(product.rowKey, *values.taxRate, &error))
        return fail(error);
    if (!logChange(*m_log, product.values.name))
        return fail(m_log->errorText());
    m_introFiles.insert(product.pictureNumber, values.comment);
    return true;
}

bool ProductBatch::commit()
{
    if (!m_ready)
        return false;
    if (!m_transaction.commit())
        return fail(m_transaction.errorText());
    m_ready = false;
    for (auto it = m_introFiles.cbegin(); it != m_introFiles.cend(); ++it)
        writeIntroFile(it.key(), it.value());
    return true;
}

ModifyResult modifyProduct(const QString& oldName, const ProductValues& values, const QString& pictureNumber,
                           bool keepPicture, const PictureWriter& writePicture,
                           const std::optional<QString>& loadedRemaining)
{
    ModifyResult result;
    result.pictureNumber = keepPicture ? pictureNumber : QStringLiteral("0");
    Transaction transaction;
    const bool renamed = values.name != oldName;
    // Another till's sale of this product waits until the row is rewritten, and the row read
    // below already carries every sale committed before. A rename or a code is checked under the
    // key adding holds, so that two tills cannot give one name or code to two products at once.
    if (!transaction.isActive() || ((renamed || !values.code.isEmpty()) && !transaction.lock(catalogueNamesKey())) ||
        !transaction.lockRows(QStringLiteral("product_info"), QStringLiteral("cName"), oldName)) {
        result.error = transaction.errorText();
        return result;
    }
    QString message;
    if (renamed) {
        auto other = ExecSQL(productByName(), message, {values.name});
        if (!other) {
            result.error = message;
            return result;
        }
        result.duplicate = !other->isEof();
        if (result.duplicate)
            return result;
    }
    auto product = ExecSQL(productByName(), message, {oldName});
    if (!product) {
        result.error = message;
        return result;
    }
    result.found = !product->isEof();
    // Only a changed code is checked: rows stored before codes existed may share the column's text.
    if (result.found && values.code != product->text(5)) {
        const std::optional<bool> codeUsed = codeTaken(values.code, oldName, message);
        if (!codeUsed) {
            result.error = message;
            return result;
        }
        result.duplicateCode = *codeUsed;
        if (result.duplicateCode)
            return result;
    }

    if (result.found) {
        // The dialog may have been open while other tills sold: a remaining quantity the operator
        // left as it was loaded keeps the stock as it stands now, a changed one is a count.
        assignValues(*product, values, !loadedRemaining || values.leastQty != *loadedRemaining);
        product->setField(7, result.pictureNumber);
        if (!product->update() ||
            (values.taxRate && !setProductTaxRate(product->rowKey(), *values.taxRate, &result.error))) {
            result.error = result.error.isEmpty() ? product->errorText() : result.error;
            return result;
        }
    }
    auto log = ExecSQL(QStringLiteral("select * from change where 1=0"), message);
    if (!log) {
        result.error = message;
        return result;
    }
    if (!logChange(*log, oldName)) {
        result.error = log->errorText();
        return result;
    }
    if (!transaction.commit()) {
        result.error = transaction.errorText();
        return result;
    }

    if (result.found) {
        // Re-saved on every update, also when no new picture was chosen.
        writePicture(pictureFilePath(result.pictureNumber));
        writeIntroFile(result.pictureNumber, values.comment);
    }
    result.ok = true;
    return result;
}

std::optional<QStringList> productsWithCode(const QString& code)
{
    QStringList names;
    if (code.isEmpty())
        return names;
    auto set = ExecSQL(QStringLiteral("select cName from product_info where cSpare=?"), {code});
    if (!set)
        return std::nullopt;
    for (; !set->isEof(); set->moveNext())
        names.append(set->text(0));
    return names;
}

bool looksLikeBarcode(const QString& text)
{
    constexpr qsizetype kShortestBarcode = 8;
    return text.size() >= kShortestBarcode &&
           std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
}

DeleteResult deleteProduct(const QString& name, DeleteMode mode)
{
    DeleteResult result;
    QString message;
    auto set = ExecSQL(productByName(), message, {name});
    if (!set) {
        result.error = message;
        return result;
    }
    if (set->isEof()) {
        result.error = QStringLiteral("No product is named \"%1\".").arg(name);
        return result;
    }
    // The picture is moved aside before the row goes and put back when the row cannot go, so the
    // product and its picture leave together or not at all. A picture that cannot be moved (a
    // folder of that name, a folder without write access) keeps the product as it is.
    const QString picture = pictureFilePath(set->text(7));
    QString aside;
    if (mode == DeleteMode::WithPicture && QFileInfo::exists(picture)) {
        aside = picture + QStringLiteral(".deleting");
        if (!QFileInfo(picture).isFile() || (QFileInfo::exists(aside) && !QFile::remove(aside)) ||
            !QFile::rename(picture, aside)) {
            result.error = QStringLiteral("Cannot delete %1.").arg(picture);
            return result;
        }
    }
    // The row's tax rate goes with it: a product added later may be given the same row key.
    const qint64 key = set->rowKey();
    Transaction transaction;
    QString error;
    const bool deleted =
        transaction.isActive() && set->deleteCurrent() && setProductTaxRate(key, 0, &error) && transaction.commit();
    if (!deleted) {
        result.error = !error.isEmpty()                     ? error
                       : !transaction.errorText().isEmpty() ? transaction.errorText()
                                                            : set->errorText();
        if (!aside.isEmpty())
            QFile::rename(aside, picture);
        return result;
    }
    result.rowDeleted = true;
    if (!aside.isEmpty())
        QFile::remove(aside);
    result.ok = true;
    return result;
}

} // namespace marvono
