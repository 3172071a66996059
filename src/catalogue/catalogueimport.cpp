#include "catalogue/catalogueimport.h"

#include "app/appcontext.h"
#include "app/csv.h"
#include "app/numbers.h"
#include "app/quoteditems.h"
#include "app/text.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSettings>

namespace marvono {
namespace {

struct FieldInfo {
    const char* title;
    const char* key; // in import.ini
    QString ProductValues::*value;
    bool number;
    // Column titles, lower case without blanks or punctuation, that name the field.
    std::initializer_list<const char*> names;
};

const FieldInfo& info(int field)
{
    static const FieldInfo fields[kImportFields] = {
        {"Name",
         "name",
         &ProductValues::name,
         false,
         {"name", "productname", "product", "item", "itemname", "article"}},
        {"Category", "category", &ProductValues::type, false, {"category", "type", "group", "department"}},
        {"Code", "code", &ProductValues::code, false, {"code", "barcode", "ean", "upc", "sku", "productcode"}},
        {"Purchase price",
         "purchasePrice",
         &ProductValues::inPrice,
         true,
         {"purchaseprice", "cost", "costprice", "buyingprice", "inprice"}},
        {"Retail price",
         "retailPrice",
         &ProductValues::outPrice,
         true,
         {"retailprice", "price", "sellingprice", "saleprice", "outprice"}},
        {"Purchase quantity",
         "purchaseQuantity",
         &ProductValues::allQty,
         true,
         {"purchasequantity", "purchasedquantity", "bought", "purchased"}},
        {"Remaining quantity",
         "remainingQuantity",
         &ProductValues::leastQty,
         true,
         {"remainingquantity", "remaining", "stock", "instock", "quantity", "qty", "onhand"}},
        {"Alert", "alert", &ProductValues::alert, true, {"alert", "alertquantity", "reorderlevel", "minimumstock"}},
        {"Tax rate", "taxRate", nullptr, false, {"taxrate", "tax", "vat", "vatrate"}},
        {"Introduction",
         "introduction",
         &ProductValues::comment,
         false,
         {"introduction", "comment", "description", "notes", "intro"}},
    };
    return fields[field];
}

QString importSettingsPath()
{
    return appPath(QStringLiteral("import.ini"));
}

// A column title as the guesses compare it: lower case, letters and digits only.
QString folded(const QString& title)
{
    QString out;
    for (QChar c : title.toLower())
        if (c.isLetterOrNumber())
            out.append(c);
    return out;
}

// The number in the stored form ("." as its point); empty stays empty; nothing when it is no
// number. A comma is a decimal comma only where the file may write one, and only alone.
std::optional<QString> fileNumber(const QString& cell, bool decimalComma)
{
    const QString text = cell.trimmed();
    if (text.isEmpty() || isNumberText(text))
        return text;
    if (decimalComma && text.count(u',') == 1 && !text.contains(u'.')) {
        const QString pointed = QString(text).replace(u',', u'.');
        if (isNumberText(pointed))
            return pointed;
    }
    return std::nullopt;
}

// Numbers are the same when they are equal as numbers ("2.5" and "2.50"), other texts when equal.
bool sameValue(const QString& a, const QString& b, bool number)
{
    return a == b || (number && isNumberText(a) && isNumberText(b) && leadingNumber(a) == leadingNumber(b));
}

// Line breaks as the product dialogs store them: CR LF.
QString storedLines(const QString& text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', QStringLiteral("\r\n"));
}

std::optional<qint64> rateNamed(const QString& cell, const QList<TaxRate>& rates)
{
    const QString text = cell.trimmed();
    if (text.isEmpty())
        return 0;
    for (const TaxRate& rate : rates)
        if (rate.code.compare(text, Qt::CaseInsensitive) == 0)
            return rate.id;
    for (const TaxRate& rate : rates)
        if (rate.name.compare(text, Qt::CaseInsensitive) == 0)
            return rate.id;
    return std::nullopt;
}

QString rowList(const QList<int>& rows)
{
    QStringList texts;
    for (int row : rows)
        texts.append(QString::number(row));
    return texts.join(QStringLiteral(", "));
}

// The catalogue's products by name and by code, first stored first.
struct CatalogueIndex {
    QHash<QString, QList<size_t>> byName, byCode;
    explicit CatalogueIndex(const std::vector<StoredProduct>& catalogue)
    {
        for (size_t i = 0; i < catalogue.size(); ++i) {
            byName[catalogue[i].values.name].append(i);
            if (!catalogue[i].values.code.isEmpty())
                byCode[catalogue[i].values.code].append(i);
        }
    }
    // Another product than `self` (nullopt: a new one) under `key`; its index.
    static std::optional<size_t> other(const QHash<QString, QList<size_t>>& index, const QString& key,
                                       std::optional<size_t> self)
    {
        for (size_t i : index.value(key))
            if (i != self)
                return i;
        return std::nullopt;
    }
};

// The row read on its own: its values, its product, and whether it changes it.
PlannedRow planRow(const QStringList& cells, int row, const CatalogueFile& file, const ImportMapping& mapping,
                   const std::vector<StoredProduct>& catalogue, const CatalogueIndex& index,
                   const QList<TaxRate>& rates)
{
    PlannedRow planned;
    planned.row = row;
    const auto cell = [&](ImportField field) {
        const int column = mapping[size_t(field)];
        return column < 0 ? QString() : cells.value(column);
    };
    const auto mapped = [&](ImportField field) { return mapping[size_t(field)] >= 0; };
    // A refused row shows what was read of it.
    ProductValues read;
    const auto refuse = [&](const QString& reason) {
        planned.reason = reason;
        planned.values = read;
        return planned;
    };

    read.name = cell(ImportField::Name);
    if (read.name.trimmed().isEmpty())
        return refuse(QStringLiteral("The name is missing."));
    for (int field = 0; field < kImportFields; ++field) {
        const FieldInfo& f = info(field);
        if (!f.value || !mapped(ImportField(field)))
            continue;
        const QString text = cell(ImportField(field));
        if (!f.number) {
            read.*f.value = field == int(ImportField::Introduction) ? storedLines(text) : text;
            continue;
        }
        const std::optional<QString> number = fileNumber(text, file.decimalComma);
        if (!number)
            return refuse(
                QStringLiteral("The %1 \"%2\" is not a number.").arg(QString::fromLatin1(f.title).toLower(), text));
        read.*f.value = *number;
    }
    if (mapped(ImportField::TaxRate)) {
        read.taxRate = rateNamed(cell(ImportField::TaxRate), rates);
        if (!read.taxRate)
            return refuse(QStringLiteral("The tax rate \"%1\" is unknown.").arg(cell(ImportField::TaxRate).trimmed()));
    }

    std::optional<size_t> target;
    if (!read.code.isEmpty() && index.byCode.contains(read.code))
        target = index.byCode.value(read.code).first();
    else if (index.byName.contains(read.name))
        target = index.byName.value(read.name).first();
    if (const auto named = CatalogueIndex::other(index.byName, read.name, target))
        return refuse(QStringLiteral("The name \"%1\" is another product's.").arg(read.name));
    if (!read.code.isEmpty() && (!target || read.code != catalogue[*target].values.code)) {
        if (const auto coded = CatalogueIndex::other(index.byCode, read.code, target))
            return refuse(QStringLiteral("The code %1 is product %2's.").arg(read.code, catalogue[*coded].values.name));
    }

    if (!target) {
        planned.action = RowAction::New;
        planned.values = read;
        return planned;
    }
    planned.target = *target;
    planned.values = catalogue[*target].values;
    // An empty cell keeps the product's value: a price list without codes clears no code, and a
    // price left out never becomes an empty price that sells at 0.
    bool changed = false;
    for (int field = 0; field < kImportFields; ++field) {
        const FieldInfo& f = info(field);
        if (!f.value || (read.*f.value).isEmpty() || sameValue(read.*f.value, planned.values.*f.value, f.number))
            continue;
        planned.values.*f.value = read.*f.value;
        changed = true;
    }
    if (!cell(ImportField::TaxRate).trimmed().isEmpty() && read.taxRate != planned.values.taxRate) {
        planned.values.taxRate = read.taxRate;
        changed = true;
    }
    planned.action = changed ? RowAction::Update : RowAction::Unchanged;
    return planned;
}

// Refuses every row that shares the key (its name, its code or its product) with another row of
// the file: which of them is meant cannot be told. Rows without the key are left alone.
template <class Key, class KeyOf>
void refuseRepeats(std::vector<PlannedRow>& rows, const KeyOf& keyOf, const QString& what)
{
    QHash<Key, int> seen;
    seen.reserve(qsizetype(rows.size()));
    for (const PlannedRow& row : rows)
        if (const std::optional<Key> key = keyOf(row))
            ++seen[*key];
    QHash<Key, QList<int>> groups;
    for (size_t i = 0; i < rows.size(); ++i)
        if (const std::optional<Key> key = keyOf(rows[i]); key && seen.value(*key) > 1)
            groups[*key].append(int(i));
    for (const QList<int>& group : std::as_const(groups)) {
        QList<int> numbers;
        for (int i : group)
            numbers.append(rows[size_t(i)].row);
        for (int i : group) {
            rows[size_t(i)].action = RowAction::Refused;
            rows[size_t(i)].reason = QStringLiteral("Rows %1 have the same %2.").arg(rowList(numbers), what);
        }
    }
}

void refuseRepeats(std::vector<PlannedRow>& rows)
{
    const auto accepted = [](const PlannedRow& row) { return row.action != RowAction::Refused; };
    refuseRepeats<QString>(
        rows, [&](const PlannedRow& row) { return accepted(row) ? std::optional(row.values.name) : std::nullopt; },
        QStringLiteral("name"));
    refuseRepeats<QString>(
        rows,
        [&](const PlannedRow& row) {
            return accepted(row) && !row.values.code.isEmpty() ? std::optional(row.values.code) : std::nullopt;
        },
        QStringLiteral("code"));
    refuseRepeats<size_t>(
        rows,
        [&](const PlannedRow& row) {
            return accepted(row) && row.action != RowAction::New ? std::optional(row.target) : std::nullopt;
        },
        QStringLiteral("product"));
}

bool writeRefusedRows(const CatalogueFile& file, const ImportPlan& plan, const QString& path, QString* error)
{
    QString text = csvRecord(QStringList(file.header) << QStringLiteral("Reason"), file.delimiter);
    for (const PlannedRow& row : plan.rows) {
        if (row.action != RowAction::Refused)
            continue;
        QStringList cells = file.rows.value(row.row - 2);
        while (cells.size() < file.header.size())
            cells.append(QString());
        text += csvRecord(cells << row.reason, file.delimiter);
    }
    return writeFileAtomically(path, text.toUtf8(), error);
}

} // namespace

QString importFieldTitle(ImportField field)
{
    return QString::fromLatin1(info(int(field)).title);
}

ImportMapping guessMapping(const QStringList& header)
{
    ImportMapping mapping;
    mapping.fill(-1);
    QList<bool> taken(header.size(), false);
    const auto take = [&](int field, int column) {
        mapping[size_t(field)] = column;
        taken[column] = true;
    };
    QSettings remembered(importSettingsPath(), QSettings::IniFormat);
    for (int field = 0; field < kImportFields; ++field) {
        const QString title =
            remembered.value(QStringLiteral("mapping/") + QString::fromLatin1(info(field).key)).toString();
        const int column = title.isEmpty() ? -1 : int(header.indexOf(title));
        if (column >= 0 && !taken[column])
            take(field, column);
    }
    QStringList titles;
    for (const QString& title : header)
        titles.append(folded(title));
    for (int field = 0; field < kImportFields; ++field) {
        for (const char* name : info(field).names) {
            const int column = int(titles.indexOf(QString::fromLatin1(name)));
            if (mapping[size_t(field)] < 0 && column >= 0 && !taken[column])
                take(field, column);
        }
    }
    return mapping;
}

void rememberMapping(const QStringList& header, const ImportMapping& mapping)
{
    QSettings remembered(importSettingsPath(), QSettings::IniFormat);
    for (int field = 0; field < kImportFields; ++field)
        remembered.setValue(QStringLiteral("mapping/") + QString::fromLatin1(info(field).key),
                            header.value(mapping[size_t(field)]));
}

std::optional<CatalogueFile> readCatalogueFile(const QString& path, QString* error)
{
    std::optional<CsvTable> table = readCsvFile(path, error);
    if (!table)
        return std::nullopt;
    if (table->rows.isEmpty()) {
        setError(error, QStringLiteral("%1 holds no rows.").arg(path));
        return std::nullopt;
    }
    CatalogueFile file;
    file.path = path;
    file.header = table->rows.takeFirst();
    file.rows = std::move(table->rows);
    file.delimiter = table->delimiter;
    file.latin1 = table->latin1;
    file.decimalComma = file.delimiter == u';' || QLocale().decimalPoint() == QStringLiteral(",");
    return file;
}

int ImportPlan::count(RowAction action) const
{
    return int(
        std::count_if(rows.cbegin(), rows.cend(), [action](const PlannedRow& row) { return row.action == action; }));
}

ImportPlan planImport(const CatalogueFile& file, const ImportMapping& mapping,
                      const std::vector<StoredProduct>& catalogue, const QList<TaxRate>& rates)
{
    const CatalogueIndex index(catalogue);
    ImportPlan plan;
    plan.rows.reserve(size_t(file.rows.size()));
    for (qsizetype i = 0; i < file.rows.size(); ++i)
        plan.rows.push_back(planRow(file.rows[i], int(i) + 2, file, mapping, catalogue, index, rates));
    refuseRepeats(plan.rows);
    return plan;
}

std::optional<ImportPlan> previewImport(const CatalogueFile& file, const ImportMapping& mapping, QString* error)
{
    const auto catalogue = readCatalogue(error);
    const auto rates = catalogue ? readTaxRates(error) : std::nullopt;
    if (!rates)
        return std::nullopt;
    return planImport(file, mapping, *catalogue, *rates);
}

ImportResult applyImport(const CatalogueFile& file, const ImportMapping& mapping)
{
    ImportResult result;
    ProductBatch batch;
    const auto rates = batch.isReady() ? readTaxRates(&result.error) : std::nullopt;
    if (!rates) {
        result.error = result.error.isEmpty() ? batch.errorText() : result.error;
        return result;
    }
    result.plan = planImport(file, mapping, batch.catalogue(), *rates);
    for (const PlannedRow& row : result.plan.rows) {
        const bool stored = row.action == RowAction::New      ? batch.add(row.values)
                            : row.action == RowAction::Update ? batch.rewrite(row.target, row.values)
                                                              : true;
        if (!stored) {
            result.error = QStringLiteral("Row %1: %2").arg(row.row).arg(batch.errorText());
            return result;
        }
    }
    if (!batch.commit()) {
        result.error = batch.errorText();
        return result;
    }
    result.ok = true;
    if (result.plan.count(RowAction::Refused) > 0) {
        result.refusedPath = refusedFilePath(file.path);
        if (!writeRefusedRows(file, result.plan, result.refusedPath, &result.refusedError))
            result.refusedPath.clear();
    }
    return result;
}

QString refusedFilePath(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-refused.csv"));
}

bool exportCatalogue(const QString& path, QString* error)
{
    const auto catalogue = readCatalogue(error);
    const auto rates = catalogue ? readTaxRates(error) : std::nullopt;
    if (!rates)
        return false;
    QHash<qint64, QString> codeOf;
    for (const TaxRate& rate : *rates)
        codeOf.insert(rate.id, rate.code);
    QStringList header;
    for (int field = 0; field < kImportFields; ++field)
        header.append(importFieldTitle(ImportField(field)));
    QString text = csvRecord(header);
    for (const StoredProduct& product : *catalogue) {
        QStringList cells;
        for (int field = 0; field < kImportFields; ++field) {
            const FieldInfo& f = info(field);
            cells.append(f.value ? product.values.*f.value : codeOf.value(product.values.taxRate.value_or(0)));
        }
        text += csvRecord(cells);
    }
    return writeFileAtomically(path, text.toUtf8(), error);
}

} // namespace marvono
