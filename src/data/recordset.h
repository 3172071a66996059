#pragma once
// ExecSQL and the record set it returns: the program's one way into the database.
#include "data/flatcontainers.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <optional>
#include <vector>

namespace marvono {

// How a column stores its values. Number columns hold decimal numbers as text with the digits
// written; Integer columns hold whole numbers; Date columns hold "yyyy-MM-dd".
enum class ColumnKind { Text, Number, Integer, Date, Other };

// A row added together with another table's new row, recording that row's key in `keyColumn`.
struct LinkedRow {
    QString table;
    QStringList columns;
    QVariantList values;
    QString keyColumn;
};

// The value a column of that kind stores for `value`, as RecordSet::setField() assigns it: a
// number column refuses a text that is not a number (`accepted` false, a NULL value); a null
// QVariant, or an empty text in a number column, is NULL.
QVariant storedCell(ColumnKind kind, const QVariant& value, bool* accepted = nullptr);

// A keyset record set: the rows are read when it opens and stay fixed; rows can be changed,
// deleted and added through it, and every write goes to the database at once.
class RecordSet {
  public:
    ~RecordSet();

    bool isEof() const { return m_current >= rowCount(); }
    int count() const;
    int position() const { return m_current; }

    // A field of the current row by position; nothing for NULL or when there is no current row.
    std::optional<QString> field(int column) const;
    // The same, NULL read as an empty text.
    QString text(int column) const { return field(column).value_or(QString()); }
    bool isNull(int column) const { return !field(column).has_value(); }
    int columnCount() const { return int(m_columns.size()); }
    QString columnName(int column) const { return m_columns.at(size_t(column)).name; }
    ColumnKind columnKind(int column) const { return m_columns.at(size_t(column)).kind; }

    // Assigns a field of the current (or new) row. A number column refuses a text that is not a
    // number: the assignment fails and leaves the field NULL. A null QVariant, or an empty text
    // in a number column, stores NULL.
    bool setField(int column, const QVariant& value);

    bool moveNext();
    bool move(int rows);
    void moveFirst() { m_current = 0; }

    // Starts a new row; update() writes it.
    void addNew();
    // Writes the current row's changes (or the new row). False, with errorText(), on failure.
    bool update();
    // Writes the new row together with a row of another table that records its key, as
    // Engine::insertLinkedRows() does; the new row's key is then not known here (rowKey() -1).
    bool update(const LinkedRow& link);
    // Deletes the current row from the table; the position stays on the next row.
    bool deleteCurrent();

    QString errorText() const { return m_error; }
    QString table() const { return m_table; }

    // The identity of the current row in its table while it exists, for finding exactly the
    // rows a window showed; -1 when there is none or the set cannot be written.
    qint64 rowKey() const;

  private:
    bool write(const LinkedRow* link);
    friend std::unique_ptr<RecordSet> ExecSQL(const QString&, QString&, const QVariantList&);
    friend std::unique_ptr<RecordSet> LockedRows(const QString&, const QString&, const QVariant&, QString&);
    friend std::unique_ptr<RecordSet> LockedRows(const QString&, const QString&, const QVariant&, QString&,
                                                 const QString&, const QVariantList&, std::unique_ptr<RecordSet>&);
    friend std::unique_ptr<RecordSet> RowsToAdd(const QString&, QString&);
    friend class RecordSetBuilder;
    RecordSet() = default;
    int rowCount() const { return int(m_rowIds.size()); }
    // Where a field's UTF-8 text lies in m_text; a negative length marks NULL.
    struct Cell {
        qsizetype offset = 0;
        int length = -1;
    };
    const Cell* cell(int row, int column) const;
    void appendCell(const char* utf8, int length)
    {
        if (!utf8) {
            m_cells.push_back(Cell{});
            return;
        }
        m_cells.push_back(Cell{m_text.append(utf8, length), length});
    }
    void appendCell(const std::optional<QVariant>& value);

    struct Column {
        QString name;
        ColumnKind kind = ColumnKind::Other;
    };
    QString m_table; // empty when the set cannot be written
    std::vector<Column> m_columns;
    GrowingArray<qint64> m_rowIds; // per row, -1 once deleted
    // The rows' texts, read at open, live in one buffer rather than one string per field: a set
    // of many rows then costs one allocation instead of one per field. Rewritten fields append
    // their new text.
    GrowingArray<Cell> m_cells; // row-major
    GrowingArray<char> m_text;
    int m_current = 0;

    // The row being edited: values assigned since the last update.
    bool m_adding = false;
    std::vector<std::optional<QVariant>> m_pending;
    std::vector<QString> m_newCells;
    std::vector<bool> m_newNulls;
    QString m_error;
};

// Runs one statement. Values for the "?" slots are bound, never pasted into the text.
// A statement whose first word (the text before the first blank, upper-cased) occurs anywhere in
// "INSERT,DELETE,UPDATE" is an action: it is executed, nothing is returned and message becomes
// that word followed by "Query successful!". Anything else is a query: the record set is returned
// and message becomes "find N Records". On failure message is "Error:" and the engine's text.
std::unique_ptr<RecordSet> ExecSQL(const QString& statement, QString& message, const QVariantList& values = {});

// Inside a write transaction: the writable set of "select * from TABLE where COLUMN=?", its rows
// held until the transaction ends as Transaction::lockRows() holds them, taken and read at once.
// Table and column are names from the code. Nothing, with the engine's text, on failure.
std::unique_ptr<RecordSet> LockedRows(const QString& table, const QString& column, const QVariant& value,
                                      QString& error);
// The same, and then the query `thenQuery` (a select, as ExecSQL() takes it) read once the rows
// are held, both in one exchange with a shop server; `then` receives its set.
std::unique_ptr<RecordSet> LockedRows(const QString& table, const QString& column, const QVariant& value,
                                      QString& error, const QString& thenQuery, const QVariantList& thenValues,
                                      std::unique_ptr<RecordSet>& then);

// The writable set of no rows that "select * from TABLE where 1=0" gives, for adding rows to the
// table; its columns are asked of the engine once per connection.
std::unique_ptr<RecordSet> RowsToAdd(const QString& table, QString& message);

// The classification ExecSQL uses; firstWord receives the text before the first blank.
bool isActionStatement(const QString& statement, QString* firstWord = nullptr);

// The same without a message, for callers that judge by the result alone.
inline std::unique_ptr<RecordSet> ExecSQL(const QString& statement, const QVariantList& values = {})
{
    QString message;
    return ExecSQL(statement, message, values);
}

} // namespace marvono
