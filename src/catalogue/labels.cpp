#include "catalogue/labels.h"

#include "app/numbers.h"
#include "catalogue/barcode.h"
#include "catalogue/products.h"
#include "data/recordset.h"
#include "data/tables.h"

#include <QHash>
#include <algorithm>
#include <functional>

namespace marvono {

namespace {

constexpr double kA4Width = 210, kA4Height = 297;

using ProductTest = std::function<bool(const RecordSet&)>;

// Every product that passes the test, in the order they were added.
std::optional<std::vector<LabelProduct>> readLabelProducts(const ProductTest& wanted, QString* error)
{
    QString message;
    auto set = ExecSQL(QStringLiteral("select * from product_info order by rowid"), message);
    if (!set) {
        if (error)
            *error = message;
        return std::nullopt;
    }
    std::vector<LabelProduct> products;
    for (; !set->isEof(); set->moveNext()) {
        if (wanted(*set))
            products.push_back({set->text(ProductName), set->text(ProductPrice), set->text(ProductCode)});
    }
    return products;
}

} // namespace

const QList<SheetLayout>& sheetLayouts()
{
    // The labels of each sheet are centred on A4 as the common stationery has them.
    static const QList<SheetLayout> layouts = {
        {QStringLiteral("A4, 3 x 8 (70 x 36 mm)"), {kA4Width, kA4Height}, 3, 8, {0, 4.5}, {70, 36}, {0, 0}},
        {QStringLiteral("A4, 4 x 10 (48.5 x 25.4 mm)"), {kA4Width, kA4Height}, 4, 10, {8, 21.5}, {48.5, 25.4}, {0, 0}},
        {QStringLiteral("A4, 5 x 13 (38.1 x 21.2 mm)"),
         {kA4Width, kA4Height},
         5,
         13,
         {4.75, 10.7},
         {38.1, 21.2},
         {2.5, 0}},
        {QStringLiteral("Label printer, one per page (57 x 32 mm)"), {57, 32}, 1, 1, {0, 0}, {57, 32}, {0, 0}},
    };
    return layouts;
}

std::vector<LabelPlace> placeLabels(const SheetLayout& layout, int count)
{
    std::vector<LabelPlace> places;
    const int perPage = std::max(1, layout.perPage());
    for (int i = 0; i < count; ++i) {
        const int slot = i % perPage;
        const int column = slot % layout.columns;
        const int row = slot / layout.columns;
        const QPointF corner(layout.origin.x() + column * (layout.label.width() + layout.gap.width()),
                             layout.origin.y() + row * (layout.label.height() + layout.gap.height()));
        places.push_back({i / perPage, QRectF(corner, layout.label)});
    }
    return places;
}

std::optional<std::vector<LabelProduct>> namedLabelProducts(const QStringList& names, QString* error)
{
    QHash<QString, int> order;
    for (int i = 0; i < names.size(); ++i)
        order.insert(names[i], i);
    auto products =
        readLabelProducts([&order](const RecordSet& row) { return order.contains(row.text(ProductName)); }, error);
    if (products)
        std::stable_sort(products->begin(), products->end(), [&order](const LabelProduct& a, const LabelProduct& b) {
            return order.value(a.name) < order.value(b.name);
        });
    return products;
}

std::optional<std::vector<LabelProduct>> categoryLabelProducts(const QString& category, QString* error)
{
    return readLabelProducts([&category](const RecordSet& row) { return row.text(ProductType) == category; }, error);
}

std::optional<std::vector<LabelProduct>> lowStockLabelProducts(QString* error)
{
    return readLabelProducts(
        [](const RecordSet& row) {
            const QString alert = row.text(ProductAlert);
            return isNumberText(alert) && leadingNumber(row.text(ProductRemaining)) <= leadingNumber(alert);
        },
        error);
}

std::optional<QString> nextInStoreCode(QString* error)
{
    constexpr qsizetype kEan13 = 13;
    constexpr qint64 kLastCounter = 99999999999; // eleven digits
    QString message;
    auto set = ExecSQL(QStringLiteral("select cSpare from product_info"), message);
    if (!set) {
        if (error)
            *error = message;
        return std::nullopt;
    }
    qint64 highest = 0;
    for (; !set->isEof(); set->moveNext()) {
        const QString code = set->text(0);
        if (code.size() == kEan13 && code.startsWith(QLatin1Char('2')) && chooseBarcode(code).note.isEmpty())
            highest = std::max(highest, QStringView(code).mid(1, 11).toLongLong());
    }
    if (highest >= kLastCounter) {
        if (error)
            *error = QStringLiteral("Every in-store code is taken.");
        return std::nullopt;
    }
    const QString body = QLatin1Char('2') + QStringLiteral("%1").arg(highest + 1, 11, 10, QLatin1Char('0'));
    return body + QString::number(eanCheckDigit(body));
}

GivenCode giveInStoreCode(const QString& name)
{
    GivenCode result;
    // Another till may give the same code meanwhile: the change then refuses it, and the next
    // code after that one is tried.
    for (int attempt = 0; attempt < 3; ++attempt) {
        StoredProduct product = findProduct(name);
        if (!product.found) {
            result.error = QStringLiteral("No product is named \"%1\".").arg(name);
            return result;
        }
        if (!product.values.code.isEmpty()) {
            result.error = QStringLiteral("\"%1\" has the code %2 already.").arg(name, product.values.code);
            return result;
        }
        const std::optional<QString> code = nextInStoreCode(&result.error);
        if (!code)
            return result;
        product.values.code = *code;
        const ModifyResult modified = modifyProduct(
            name, product.values, product.pictureNumber, true, [](const QString&) { return true; },
            product.values.leastQty);
        if (modified.duplicateCode)
            continue;
        result.ok = modified.ok && modified.found;
        result.code = *code;
        result.error = modified.error;
        return result;
    }
    result.error = QStringLiteral("Other tills kept taking the next in-store code; try again.");
    return result;
}

} // namespace marvono
