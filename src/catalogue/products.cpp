#include "catalogue/products.h"

#include "app/appcontext.h"
#include "catalogue/productfiles.h"
#include "catalogue/taxrates.h"
#include "data/database.h"
#include "data/recordset.h"

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

// Assigns the boxes' texts by column position. A number column that refuses its text is left
// empty and the others are still assigned, so the result is not checked.
void assignValues(RecordSet& row, const ProductValues& values, bool withRemaining = true)
{
    row.setField(0, values.name);
    row.setField(1, values.inPrice);
    row.setField(2, values.allQty);
    row.setField(3, values.outPrice);
    if (withRemaining)
        row.setField(4, values.leastQty);
    // Products without a code keep the column empty (null), as rows added before codes have it.
    row.setField(5, values.code.isEmpty() ? QVariant() : QVariant(values.code));
    row.setField(6, values.type);
    row.setField(8, values.comment);
    row.setField(9, values.alert);
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
    StoredProduct product;
    auto set = ExecSQL(productByName(), {name});
    if (!set || set->isEof())
        return product;
    product.found = true;
    product.values = {set->text(0), set->text(1), set->text(2), set->text(3), set->text(4),
                      set->text(6), set->text(8), set->text(9), set->text(5)};
    product.pictureNumber = set->text(7);
    product.rowKey = set->rowKey();
    return product;
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
    log->addNew();
    log->setField(0, Clock::now().date());
    log->setField(1, oldName);
    if (!log->update()) {
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
