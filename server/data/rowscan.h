#pragma once
// Reading a large query once, row by row, straight from the engine: no record set is built, so
// listing a whole table costs little more than the engine's own scan.
#include <QByteArrayView>
#include <QString>
#include <functional>

namespace marvono {

// The current row of a scan, as the engine holds it; valid only inside the visitor call.
class ScannedRow {
  public:
    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    // The field's UTF-8 bytes (empty for NULL).
    virtual QByteArrayView utf8(int column) const = 0;

  protected:
    ~ScannedRow() = default;
};

// Runs a query without "?" slots and hands every row to `visit` in the order the engine returns
// them; `visit` returns false to stop early. The visitor must not run statements itself. False,
// with an error text, when the query cannot run or fails part way.
bool scanRows(const QString& query, const std::function<bool(const ScannedRow&)>& visit, QString* error = nullptr);

} // namespace marvono
