#include "catalogue/productlistmodel.h"

#include "app/appcontext.h"
#include "app/numbers.h"
#include "data/recordset.h"

#include <QHash>
#include <algorithm>
#include <numeric>

namespace marvono {
namespace {

// Only the columns the list shows or tests, in list order, then the alert quantity; the
// introduction texts are left in the database.
constexpr int kAlertField = ProductListModel::ColumnCount;
const QString& productQuery()
{
    static const QString query =
        QStringLiteral("select cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cType, cPic, cAlert from product_info");
    return query;
}

const QString& unitsSuffix()
{
    static const QString units = QStringLiteral("Unit(s)");
    return units;
}

bool lessText(const QString& a, const QString& b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

} // namespace

bool isBelowAlert(QStringView remaining, QStringView alert)
{
    return leadingNumber(alert) > leadingNumber(remaining);
}

ProductListModel::ProductListModel(QObject* parent) : QAbstractTableModel(parent) {}

ProductListModel::FillResult ProductListModel::fill(FailurePolicy policy)
{
    FillResult result;
    m_sorted = false;
    QString message;
    auto set = ExecSQL(productQuery(), message);
    if (!set) {
        result.error = message;
        return result;
    }
    const QString symbol = runValues().currencySymbol;
    std::vector<Row> added;
    added.reserve(size_t(set->count()));
    result.complete = true;
    for (; !set->isEof(); set->moveNext()) {
        Row row;
        for (int c = 0; c < ColumnCount; ++c)
            row.values[c] = set->text(c);
        row.currencySymbol = symbol;
        const auto remaining = set->field(RemainingQuantity);
        const auto alert = set->field(kAlertField);
        if (remaining && alert) {
            row.lowStock = isBelowAlert(*remaining, *alert);
        } else if (policy == FailurePolicy::StopAtFirst) {
            // The row stays listed as built so far, uncoloured; nothing after it is read.
            added.push_back(std::move(row));
            result.complete = false;
            result.error = QStringLiteral("product without remaining or alert quantity: ") + set->text(Name);
            break;
        } else {
            // Without both quantities the product cannot be shown to be in stock: flag it.
            row.lowStock = true;
        }
        added.push_back(std::move(row));
    }
    result.rowsAdded = int(added.size());
    if (!added.empty()) {
        const int first = int(m_rows.size());
        beginInsertRows({}, first, first + result.rowsAdded - 1);
        m_rows.insert(m_rows.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
        endInsertRows();
    }
    return result;
}

void ProductListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_sorted = false;
    endResetModel();
}

void ProductListModel::sortByCategory()
{
    sort(Category, Qt::AscendingOrder);
    m_sorted = true;
}

void ProductListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    const size_t count = m_rows.size();
    const int n = int(count);
    // Rank the distinct texts once, then order the rows by rank with a stable counting sort:
    // a catalogue has far fewer categories than products, so this stays close to linear.
    QHash<QString, int> rankOf;
    std::vector<int> keyOf(count);
    std::vector<QString> distinct;
    for (int r = 0; r < n; ++r) {
        const QString text = cellText(r, column);
        auto it = rankOf.constFind(text);
        if (it == rankOf.constEnd()) {
            it = rankOf.insert(text, int(distinct.size()));
            distinct.push_back(text);
        }
        keyOf[size_t(r)] = *it;
    }
    std::vector<int> byText(distinct.size());
    std::iota(byText.begin(), byText.end(), 0);
    std::sort(byText.begin(), byText.end(),
              [&](int a, int b) { return lessText(distinct[size_t(a)], distinct[size_t(b)]); });
    std::vector<int> rank(distinct.size());
    for (size_t i = 0; i < byText.size(); ++i)
        rank[size_t(byText[i])] = order == Qt::AscendingOrder ? int(i) : int(byText.size() - 1 - i);

    std::vector<int> start(distinct.size() + 1, 0);
    for (int r = 0; r < n; ++r)
        ++start[size_t(rank[size_t(keyOf[size_t(r)])]) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<int> newRowOf(count);
    for (int r = 0; r < n; ++r)
        newRowOf[size_t(r)] = start[size_t(rank[size_t(keyOf[size_t(r)])])]++;

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> sorted(count);
    for (int r = 0; r < n; ++r)
        sorted[size_t(newRowOf[size_t(r)])] = std::move(m_rows[size_t(r)]);
    m_rows.swap(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(index.isValid() ? createIndex(newRowOf[size_t(index.row())], index.column()) : index);
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString ProductListModel::cellText(int row, int column) const
{
    if (row < 0 || row >= int(m_rows.size()) || column < 0 || column >= ColumnCount)
        return {};
    const Row& r = m_rows[size_t(row)];
    switch (column) {
    case PurchasePrice:
    case RetailPrice:
        return r.currencySymbol + r.values[column];
    case PurchaseQuantity:
    case RemainingQuantity:
        return r.values[column] + unitsSuffix();
    default:
        return r.values[column];
    }
}

bool ProductListModel::isLowStock(int row) const
{
    return row >= 0 && row < int(m_rows.size()) && m_rows[size_t(row)].lowStock;
}

int ProductListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ProductListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProductListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::ForegroundRole && isLowStock(index.row()))
        return kLowStockColor;
    return {};
}

QVariant ProductListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Name:
        return QStringLiteral("Product Name");
    case PurchasePrice:
        return QStringLiteral("Purchase Price");
    case PurchaseQuantity:
        return QStringLiteral("Purchase Quantity");
    case RetailPrice:
        return QStringLiteral("Retail Price");
    case RemainingQuantity:
        return QStringLiteral("Remaining Quantity");
    case Category:
        return QStringLiteral("Category");
    case PicNo:
        return QStringLiteral("Pic No.");
    default:
        return {};
    }
}

} // namespace marvono
