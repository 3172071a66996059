#pragma once
// A read-only list of text rows under fixed column titles, for report-style lists that may hold
// tens of thousands of lines.
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace marvono {

class TextRowsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit TextRowsModel(const QStringList& titles, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void clear();
    void appendRows(std::vector<QStringList> rows);
    const std::vector<QStringList>& rows() const { return m_rows; }

  private:
    QStringList m_titles;
    std::vector<QStringList> m_rows;
};

} // namespace marvono
