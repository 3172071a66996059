#pragma once
// A read-only list model over rows of figures, turned into texts only for the cells on show, so
// that lists of tens of thousands of lines fill quickly.
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace marvono {

template <typename Row> class LinesModel : public QAbstractTableModel {
  public:
    using CellText = QString (*)(const Row& row, int column);

    LinesModel(const QStringList& titles, CellText cellText, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_titles(titles), m_cellText(cellText)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_titles.size());
    }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        return m_cellText(m_rows[size_t(index.row())], index.column());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return m_titles.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    void clear()
    {
        if (m_rows.empty())
            return;
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }

    void append(std::vector<Row> rows)
    {
        if (rows.empty())
            return;
        const int first = int(m_rows.size());
        beginInsertRows({}, first, first + int(rows.size()) - 1);
        if (m_rows.empty())
            m_rows = std::move(rows);
        else
            m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        endInsertRows();
    }

    const std::vector<Row>& rows() const { return m_rows; }

    // Every line as the list shows it.
    std::vector<QStringList> texts() const
    {
        std::vector<QStringList> result;
        result.reserve(m_rows.size());
        for (const Row& row : m_rows) {
            QStringList cells;
            cells.reserve(m_titles.size());
            for (int column = 0; column < m_titles.size(); ++column)
                cells.append(m_cellText(row, column));
            result.push_back(std::move(cells));
        }
        return result;
    }

  private:
    QStringList m_titles;
    CellText m_cellText;
    std::vector<Row> m_rows;
};

} // namespace marvono
