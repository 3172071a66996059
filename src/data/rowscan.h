#pragma once
// Reading a large query once, row by row, straight from the engine: no record set is built, so
// listing a whole table costs little more than the engine's own scan.
#include "data/flatcontainers.h"

#include <QByteArrayView>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>
#include <vector>

namespace marvono {

// The current row of a scan, as the engine holds it; valid only inside the visitor call.
class ScannedRow {
  public:
    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    // The field's UTF-8 bytes (empty for NULL).
    virtual QByteArrayView utf8(int column) const = 0;
    // The same, nothing for NULL. Only an empty field needs the engine asked whether it is NULL.
    std::optional<QByteArrayView> field(int column) const
    {
        const QByteArrayView bytes = utf8(column);
        if (bytes.isEmpty() && isNull(column))
            return std::nullopt;
        return bytes;
    }

  protected:
    ~ScannedRow() = default;
};

// Texts that recur from row to row of a scan (a month, a price, a product sold on many days),
// decoded once and shared: each repeat costs a look-up instead of an allocation of its own. The
// texts of one column share best: a run of rows with the same text then needs no look-up at all.
class SharedTexts {
  public:
    QString text(QByteArrayView utf8);

  private:
    struct Entry {
        QByteArray utf8;
        QString text;
    };
    std::vector<Entry> m_entries;
    // m_entries by the hash of their bytes: a look-up hashes the row's own bytes, makes no text.
    ProbeIndex m_index{4};
    qsizetype m_last = -1; // the entry given last
};

// Runs a query with `values` bound to its "?" slots and hands every row to `visit` in the order
// the engine returns them; `visit` returns false to stop early. The visitor must not run
// statements itself. False, with an error text, when the query cannot run or fails part way.
bool scanRows(const QString& query, const QVariantList& values, const std::function<bool(const ScannedRow&)>& visit,
              QString* error = nullptr);

// The same for a query without "?" slots.
inline bool scanRows(const QString& query, const std::function<bool(const ScannedRow&)>& visit,
                     QString* error = nullptr)
{
    return scanRows(query, {}, visit, error);
}

} // namespace marvono
