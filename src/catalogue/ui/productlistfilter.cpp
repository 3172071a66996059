// The search filter of the product list: which products a search text and the low-stock notice
// leave shown, kept apart from filling and sorting the list.
#include "catalogue/ui/productlistmodel.h"

#include <algorithm>

namespace marvono {

bool ProductListModel::matches(const Row& row) const
{
    if (m_lowStockOnly && !row.lowStock)
        return false;
    if (m_filterText.isEmpty())
        return true;
    return row.field(Name).contains(m_filterComposed, Qt::CaseInsensitive) ||
           row.field(Category).contains(m_filterComposed, Qt::CaseInsensitive) ||
           row.field(kCodeField).contains(m_filterComposed, Qt::CaseInsensitive);
}

// An accent stored as a letter followed by a combining mark finds the product as the composed
// letter does. Only the few rows holding such marks pay for composing them.
bool ProductListModel::shows(const Row& row) const
{
    return matches(row) || (row.marked && (!m_lowStockOnly || row.lowStock) && matchesComposed(row));
}

bool ProductListModel::matchesComposed(const Row& row) const
{
    for (const int column : {int(Name), int(Category)})
        if (row.field(column)
                .toString()
                .normalized(QString::NormalizationForm_C)
                .contains(m_filterComposed, Qt::CaseInsensitive))
            return true;
    return false;
}

bool ProductListModel::canScanFolded() const
{
    return !m_filterText.isEmpty() && m_markedRows == 0 && FoldedTexts::canFind(m_filterFolded);
}

int ProductListModel::shownPosition(int sourceRow) const
{
    if (!isFiltered())
        return sourceRow;
    const auto it = std::lower_bound(m_shown.begin(), m_shown.end(), sourceRow);
    return it != m_shown.end() && *it == sourceRow ? int(it - m_shown.begin()) : -1;
}

void ProductListModel::setFilter(const QString& text, bool lowStockOnly)
{
    if (text == m_filterText && lowStockOnly == m_lowStockOnly)
        return;
    // Typing on narrows: a row holding the longer text holds the shorter one too, so only the
    // rows shown now need testing. That keeps each keystroke quick on a large catalogue.
    const bool wasFiltered = isFiltered();
    const QString composed = text.normalized(QString::NormalizationForm_C);
    const bool narrowing =
        wasFiltered && (lowStockOnly || !m_lowStockOnly) && composed.contains(m_filterComposed, Qt::CaseInsensitive);
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::NoLayoutChangeHint);
    std::vector<int> before;
    before.swap(m_shown);
    m_filterText = text;
    m_filterComposed = composed;
    m_filterFolded = FoldedTexts::folded(composed);
    m_lowStockOnly = lowStockOnly;
    // Narrowing pays while few rows are left; over many of them one scan of every row is quicker.
    const bool fewLeft = narrowing && before.size() < m_rows.size() / 8;
    const auto collect = [&](const auto& test) {
        if (narrowing) {
            for (int r : before)
                if (test(m_rows[size_t(r)]))
                    m_shown.push_back(r);
        } else {
            for (size_t r = 0; r < m_rows.size(); ++r)
                if (test(m_rows[r]))
                    m_shown.push_back(int(r));
        }
    };
    // A catalogue without decomposed accents, nearly every one, runs the plain test alone, and
    // for a search text on the folded copies of the texts it reads.
    if (canScanFolded()) {
        if (m_folded.size() < qsizetype(m_rows.size())) {
            // Sized first: growing a few megabytes of text step by step would copy it repeatedly.
            qsizetype chars = 0;
            for (size_t r = size_t(m_folded.size()); r < m_rows.size(); ++r)
                chars += m_rows[r].field(Name).size() + m_rows[r].field(Category).size() +
                         m_rows[r].field(kCodeField).size() + 3;
            m_folded.reserve(qsizetype(m_rows.size()) - m_folded.size(), chars);
            for (size_t r = size_t(m_folded.size()); r < m_rows.size(); ++r)
                m_folded.append({m_rows[r].field(Name), m_rows[r].field(Category), m_rows[r].field(kCodeField)});
        }
        const auto take = [this](qsizetype r) {
            if (!m_lowStockOnly || m_rows[size_t(r)].lowStock)
                m_shown.push_back(int(r));
        };
        if (fewLeft) {
            for (int r : before)
                if (m_folded.holds(r, m_filterFolded))
                    take(r);
        } else {
            m_folded.forEachHolding(m_filterFolded, take);
        }
    } else if (isFiltered() && m_markedRows == 0)
        collect([this](const Row& row) { return matches(row); });
    else if (isFiltered())
        collect([this](const Row& row) { return shows(row); });
    // The selection and current row follow their products; those filtered out are dropped.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        const int position =
            index.isValid() ? shownPosition(wasFiltered ? before[size_t(index.row())] : index.row()) : -1;
        to.append(position < 0 ? QModelIndex() : createIndex(position, index.column()));
    }
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::NoLayoutChangeHint);
}

} // namespace marvono
