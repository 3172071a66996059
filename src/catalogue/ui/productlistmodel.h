#pragma once
// The catalogue as the main window lists it: one row per product_info record, seven display
// texts, low-stock rows in red, sorted by category once a fill is complete. A filter (search
// text, low-stock only) narrows the rows shown; every row number of the interface counts the
// shown rows, and the filter outlives clearing and refilling.
#include "catalogue/foldedtexts.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <vector>

namespace marvono {

class ProductListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Name, PurchasePrice, PurchaseQuantity, RetailPrice, RemainingQuantity, Category, PicNo, ColumnCount };
    // Fields read beyond the shown columns: the alert quantity, then the code a search finds.
    static constexpr int kAlertField = ColumnCount;
    static constexpr int kCodeField = ColumnCount + 1;

    struct FillResult {
        bool complete = false; // every record was listed
        int rowsAdded = 0;
        QString error; // why the fill stopped, empty when complete
    };

    static inline const QColor kLowStockColor{255, 0, 0};

    explicit ProductListModel(QObject* parent = nullptr);

    // Appends one row per record of product_info in the order the database returns them; the
    // list is unsorted afterwards. Rows already listed stay: callers clear first. A record whose
    // low-stock test cannot be made (no remaining or alert quantity) is listed in red.
    FillResult fill();
    // Lists the records in place of the rows listed now, once every one of them was read; a
    // read that fails leaves the list as it is.
    FillResult refill();
    // Empties the list. Its rows are kept until a fill completes, for restoreCleared().
    void clear();
    // After a fill that failed on an emptied list: lists the rows the last clear() took again,
    // as they were. False when there is nothing to put back.
    bool restoreCleared();

    // Sorts by "Category", ascending; products of one category keep their relative order.
    void sortByCategory();
    bool isSortedByCategory() const { return m_sorted; }

    QString cellText(int row, int column) const;
    // The display texts of the first product of that name, shown or filtered out, then its code;
    // empty when the list holds no such product.
    QStringList productTexts(const QString& name) const;
    // The product's code as stored, empty when it has none.
    QString code(int row) const;
    bool isLowStock(int row) const;

    // Shows only the products whose name, category or code holds `text` (case folded, any script),
    // and of those only the low-stock ones when asked; empty text and false show everything.
    void setFilter(const QString& text, bool lowStockOnly);
    const QString& filterText() const { return m_filterText; }
    bool lowStockOnly() const { return m_lowStockOnly; }
    bool isFiltered() const { return !m_filterText.isEmpty() || m_lowStockOnly; }
    // Over every product listed, shown or not.
    int productCount() const { return int(m_rows.size()); }
    int lowStockCount() const { return m_lowStockCount; }

  Q_SIGNALS:
    // A fill has ended (complete or not).
    void filled();

  public:
    int rowCount(const QModelIndex& parent = {}) const override;
    // As the table model answers, without its calls back into rowCount() and columnCount(): a view
    // asks for every row's index and flags whenever the filter changes.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Stable, case-insensitive text order on any column.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  private:
    // One row points at its fields, stored one after another in a block of text the list shares
    // with its neighbours, and joins the symbol and "Unit(s)" on display: a large catalogue then
    // costs a few block allocations in all, and sorting moves small plain records.
    struct Row {
        const QChar* text = nullptr;  // the seven list fields, then the alert quantity and the code
        quint32 end[ColumnCount + 2]; // end of each field within `text`
        quint32 symbol = 0;           // the currency symbol at the time of the fill, in m_symbols
        // Beside the texts a search reads, in the same cache line.
        bool lowStock = false;
        bool marked = false; // the name or category holds combining marks (a decomposed accent)
        QStringView field(int column) const
        {
            const quint32 start = column == 0 ? 0 : end[column - 1];
            return QStringView(text + start, qsizetype(end[column] - start));
        }
    };
    // The blocks the rows' texts live in; they never move, so rows stay valid as more are added.
    using TextBlocks = std::vector<std::unique_ptr<char16_t[]>>;
    FillResult read(std::vector<Row>& added, TextBlocks& blocks);
    void append(std::vector<Row>& added, TextBlocks& blocks);
    QString displayText(const Row& row, int column) const;
    bool matches(const Row& row) const;
    bool matchesComposed(const Row& row) const;
    bool shows(const Row& row) const; // matches() or, for a row with combining marks, composed
    // Whether setFilter() can scan m_folded for the filter text instead of testing row by row.
    bool canScanFolded() const;
    // Index into m_rows of a shown row.
    size_t source(int row) const { return isFiltered() ? size_t(m_shown[size_t(row)]) : size_t(row); }
    int shownCount() const { return int(isFiltered() ? m_shown.size() : m_rows.size()); }
    // Shown position of a row of m_rows under the current filter, -1 when hidden.
    int shownPosition(int sourceRow) const;

    std::vector<Row> m_rows;
    TextBlocks m_blocks;
    std::vector<Row> m_cleared; // what the last clear() took, until a fill completes
    TextBlocks m_clearedBlocks;
    QStringList m_symbols; // every currency symbol a fill met, as the rows name them
    bool m_clearedSorted = false;
    std::vector<int> m_shown; // rows of m_rows shown, ascending, while a filter is set
    QString m_filterText;
    QString m_filterComposed; // the filter text with its accents composed, as it is matched
    QString m_filterFolded;   // and case folded, as m_folded is scanned for it
    // The name, category and code of every row in m_rows order, case folded; made at the first
    // search after the rows changed rather than on every fill.
    FoldedTexts m_folded;
    bool m_lowStockOnly = false;
    int m_lowStockCount = 0;
    int m_markedRows = 0;
    bool m_sorted = false;
    // Names what each row of m_rows holds in the cells' text keys: renewed whenever rows move or
    // go, never handed out twice by any list.
    quint64 m_textKeyGeneration = 0;
    void renewTextKeys();
};

// True when the alert quantity is above the remaining quantity, both read as leading numbers.
bool isBelowAlert(QStringView remaining, QStringView alert);

} // namespace marvono
