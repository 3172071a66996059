#include "catalogue/ui/productlistmodel.h"

#include "app/appcontext.h"
#include "app/numbers.h"
#include "controls/textkey.h"
#include "data/flatcontainers.h"
#include "data/rowscan.h"

#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <atomic>
#include <numeric>

namespace marvono {
namespace {

// Marks (combining accents) start at U+0300; the plain comparison keeps names without them fast.
bool hasCombiningMark(QStringView text)
{
    for (const QChar ch : text)
        if (ch.unicode() >= 0x0300 && ch.isMark())
            return true;
    return false;
}

// Only the columns the list shows or tests, in list order, then the alert quantity and the code
// a search finds; the introduction texts are left in the database.
const QString& productQuery()
{
    static const QString query = QStringLiteral(
        "select cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cType, cPic, cAlert, cSpare from product_info");
    return query;
}

const QString& unitsSuffix()
{
    static const QString units = QStringLiteral("Unit(s)");
    return units;
}

QString joined(QStringView a, QStringView b)
{
    QString text;
    text.reserve(a.size() + b.size());
    text.append(a);
    text.append(b);
    return text;
}

// Most catalogue text is ASCII and is widened as it stands; from the first byte that is not, the
// rest is decoded as QString::fromUtf8 would (a broken sequence becomes a replacement character).
QChar* appendUtf16(QChar* out, QByteArrayView utf8, QStringDecoder& decoder)
{
    const char* const in = utf8.data();
    const qsizetype size = utf8.size();
    qsizetype ascii = 0;
    while (ascii < size && uchar(in[ascii]) < 0x80)
        ++ascii;
    for (qsizetype i = 0; i < ascii; ++i)
        out[i] = QChar(char16_t(uchar(in[i])));
    return ascii == size ? out + size : decoder.appendToBuffer(out + ascii, utf8.sliced(ascii));
}

// Text blocks grow with the list, so a small list stays small and a large one takes few blocks.
constexpr qsizetype kFirstBlock = 4096;
constexpr qsizetype kLargestBlock = 256 * 1024;

// Numbers the distinct texts in the order they first come.
class DistinctTexts {
  public:
    explicit DistinctTexts(size_t expected) { m_texts.reserve(std::min<size_t>(expected, 1024)); }
    int idOf(QStringView text)
    {
        int& id = m_ids[text]; // ids from 1, 0 for a text not seen before
        if (id == 0) {
            m_texts.push_back(text);
            id = int(m_texts.size());
        }
        return id - 1;
    }
    const std::vector<QStringView>& texts() const { return m_texts; }

  private:
    QHash<QStringView, int> m_ids;
    std::vector<QStringView> m_texts;
};

bool lessText(QStringView a, QStringView b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.compare(b) < 0;
}

} // namespace

bool isBelowAlert(QStringView remaining, QStringView alert)
{
    return leadingNumber(alert) > leadingNumber(remaining);
}

ProductListModel::ProductListModel(QObject* parent) : QAbstractTableModel(parent)
{
    renewTextKeys();
}

void ProductListModel::renewTextKeys()
{
    static std::atomic<quint64> generations{0};
    m_textKeyGeneration = ++generations;
}

ProductListModel::FillResult ProductListModel::fill()
{
    std::vector<Row> added;
    TextBlocks blocks;
    FillResult result = read(added, blocks);
    m_sorted = false;
    if (result.complete) {
        m_cleared.clear();
        m_clearedBlocks.clear();
    }
    append(added, blocks);
    Q_EMIT filled();
    return result;
}

ProductListModel::FillResult ProductListModel::refill()
{
    std::vector<Row> added;
    TextBlocks blocks;
    FillResult result = read(added, blocks);
    if (result.complete) {
        clear();
        m_cleared.clear();
        m_clearedBlocks.clear();
        append(added, blocks);
    }
    Q_EMIT filled();
    return result;
}

bool ProductListModel::restoreCleared()
{
    if (!m_rows.empty() || m_cleared.empty())
        return false;
    std::vector<Row> rows;
    TextBlocks blocks;
    rows.swap(m_cleared);
    blocks.swap(m_clearedBlocks);
    const bool sorted = m_clearedSorted;
    append(rows, blocks);
    m_sorted = sorted;
    return true;
}

ProductListModel::FillResult ProductListModel::read(std::vector<Row>& added, TextBlocks& blocks)
{
    FillResult result;
    if (m_rows.empty() && m_cleared.empty())
        m_symbols.clear();
    const QString& symbolNow = runValues().currencySymbol;
    qsizetype symbol = m_symbols.indexOf(symbolNow);
    if (symbol < 0) {
        symbol = m_symbols.size();
        m_symbols.append(symbolNow);
    }
    // A catalogue seldom changes much between fills: room for the last one spares regrowing.
    added.reserve(std::max(m_rows.size(), m_cleared.size()) + 64);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QChar* free = nullptr;
    qsizetype room = 0;
    qsizetype nextBlock = kFirstBlock;
    const bool scanned = scanRows(
        productQuery(),
        [&](const ScannedRow& record) {
            // Each field is read once: the engine's calls cost more than the bytes they hand over.
            QByteArrayView bytes[kCodeField + 1];
            qsizetype size = 0;
            for (int c = 0; c <= kCodeField; ++c) {
                bytes[c] = record.utf8(c);
                size += bytes[c].size();
            }
            // UTF-8 never takes fewer bytes than UTF-16 units, so the bytes' count is room enough.
            if (size > room || !free) {
                room = std::max(nextBlock, size);
                nextBlock = std::min(nextBlock * 2, kLargestBlock);
                // Left unset: every unit a row takes is written before it is read.
                blocks.emplace_back(new char16_t[size_t(room)]);
                free = reinterpret_cast<QChar*>(blocks.back().get());
            }
            Row row;
            row.text = free;
            QChar* out = free;
            for (int c = 0; c <= kCodeField; ++c) {
                out = appendUtf16(out, bytes[c], decoder);
                row.end[c] = quint32(out - free);
            }
            room -= out - free;
            free = out;
            row.symbol = quint32(symbol);
            // A NULL reads as an empty text, so only an empty quantity is asked whether it is one.
            // Without both quantities the product cannot be shown to be in stock: flag it. The
            // add dialog can store such a product, so it must never stop the list from filling.
            const bool missing = (bytes[RemainingQuantity].isEmpty() && record.isNull(RemainingQuantity)) ||
                                 (bytes[kAlertField].isEmpty() && record.isNull(kAlertField));
            row.lowStock = missing || isBelowAlert(row.field(RemainingQuantity), row.field(kAlertField));
            // A mark takes more bytes than units: a field as long as its bytes holds none.
            const auto marked = [&](int c) {
                return row.field(c).size() < bytes[c].size() && hasCombiningMark(row.field(c));
            };
            row.marked = marked(Name) || marked(Category);
            added.push_back(row);
            return true;
        },
        &result.error);
    result.complete = scanned;
    if (!scanned) {
        added.clear();
        blocks.clear();
    }
    result.rowsAdded = int(added.size());
    return result;
}

void ProductListModel::append(std::vector<Row>& added, TextBlocks& blocks)
{
    m_blocks.insert(m_blocks.end(), std::make_move_iterator(blocks.begin()), std::make_move_iterator(blocks.end()));
    blocks.clear();
    if (!added.empty()) {
        const int rowsAdded = int(added.size());
        const int first = int(m_rows.size());
        for (const Row& row : added) {
            m_lowStockCount += row.lowStock ? 1 : 0;
            m_markedRows += row.marked ? 1 : 0;
        }
        const auto append = [this, &added]() {
            if (m_rows.empty())
                m_rows.swap(added);
            else
                m_rows.insert(m_rows.end(), std::make_move_iterator(added.begin()),
                              std::make_move_iterator(added.end()));
        };
        if (!isFiltered()) {
            beginInsertRows({}, first, first + rowsAdded - 1);
            append();
            endInsertRows();
        } else {
            // Hidden rows change nothing on screen; only the matching ones are announced.
            std::vector<int> shown;
            for (size_t i = 0; i < added.size(); ++i)
                if (shows(added[i]))
                    shown.push_back(first + int(i));
            append();
            if (!shown.empty()) {
                const int at = int(m_shown.size());
                beginInsertRows({}, at, at + int(shown.size()) - 1);
                m_shown.insert(m_shown.end(), shown.begin(), shown.end());
                endInsertRows();
            }
        }
    }
}

void ProductListModel::clear()
{
    beginResetModel();
    if (!m_rows.empty()) {
        m_cleared.swap(m_rows);
        m_clearedBlocks.swap(m_blocks);
        m_clearedSorted = m_sorted;
    }
    m_rows.clear();
    m_blocks.clear();
    renewTextKeys();
    m_folded.clear();
    m_shown.clear();
    m_lowStockCount = 0;
    m_markedRows = 0;
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
    // Plain columns are ranked on the stored text itself; decorated ones on their display text.
    const bool plain = column == Name || column == Category || column == PicNo;
    std::vector<QString> shown(plain ? 0 : count);
    DistinctTexts texts(count);
    std::vector<int> keyOf(count);
    for (int r = 0; r < n; ++r) {
        QStringView text;
        if (plain) {
            text = m_rows[size_t(r)].field(column);
        } else {
            shown[size_t(r)] = displayText(m_rows[size_t(r)], column);
            text = shown[size_t(r)];
        }
        keyOf[size_t(r)] = texts.idOf(text);
    }
    const std::vector<QStringView>& distinct = texts.texts();
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
    renewTextKeys();
    m_folded.clear();
    // The shown rows keep the list order: the same products at their new places, ascending.
    std::vector<int> shownBefore;
    if (isFiltered()) {
        shownBefore = m_shown;
        for (int& r : m_shown)
            r = newRowOf[size_t(r)];
        std::sort(m_shown.begin(), m_shown.end());
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        if (!index.isValid()) {
            after.append(index);
            continue;
        }
        const int from = isFiltered() ? shownBefore[size_t(index.row())] : index.row();
        after.append(createIndex(shownPosition(newRowOf[size_t(from)]), index.column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString ProductListModel::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount)
        return {};
    return displayText(m_rows[source(row)], column);
}

QStringList ProductListModel::productTexts(const QString& name) const
{
    const auto it =
        std::find_if(m_rows.cbegin(), m_rows.cend(), [&name](const Row& row) { return row.field(Name) == name; });
    QStringList texts;
    if (it != m_rows.cend())
        for (int c = 0; c <= ColumnCount; ++c)
            texts.append(c == ColumnCount ? it->field(kCodeField).toString() : displayText(*it, c));
    return texts;
}

QString ProductListModel::code(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_rows[source(row)].field(kCodeField).toString();
}

QString ProductListModel::displayText(const Row& r, int column) const
{
    switch (column) {
    case PurchasePrice:
    case RetailPrice:
        return joined(m_symbols[qsizetype(r.symbol)], r.field(column));
    case PurchaseQuantity:
    case RemainingQuantity:
        return joined(r.field(column), unitsSuffix());
    default:
        return r.field(column).toString();
    }
}

bool ProductListModel::isLowStock(int row) const
{
    return row >= 0 && row < rowCount() && m_rows[source(row)].lowStock;
}

int ProductListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownCount();
}

QModelIndex ProductListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= shownCount() || column >= ColumnCount)
        return {};
    return createIndex(row, column);
}

Qt::ItemFlags ProductListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
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
    // A row keeps its place in m_rows and its texts until the generation is renewed.
    if (role == kTextKeyRole && index.row() < rowCount() && index.column() < ColumnCount)
        return QVariant::fromValue(
            packedKey(packedKey(m_textKeyGeneration, quint64(source(index.row())), 37), quint64(index.column()), 3));
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
