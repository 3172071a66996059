#pragma once
// The seam between the data layer and a database engine. ExecSQL, the record sets, the
// transactions and the row scans are written once above it; an engine answers only what differs
// between the embedded file and a shop server (how statements run, how a row is found again, how
// writers are kept apart).
#include "data/recordset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <utility>
#include <vector>

namespace marvono {

class ScannedRow;

// Fills a record set while a query runs: the columns first, then row by row each row's key and
// its cells in column order.
class RecordSetBuilder {
  public:
    explicit RecordSetBuilder(RecordSet& set) : m_set(set) {}
    void addColumn(const QString& name, ColumnKind kind) { m_set.m_columns.push_back({name, kind}); }
    void beginRow(qint64 key) { m_set.m_rowIds.push_back(key); }
    // A null utf8 pointer stores NULL.
    void appendCell(const char* utf8, int length) { m_set.appendCell(utf8, length); }

  private:
    RecordSet& m_set;
};

inline QString rowGoneText()
{
    return QStringLiteral("The row was removed meanwhile, at another till or window.");
}

class Engine {
  public:
    virtual ~Engine() = default;

    // Runs a statement that returns no record set.
    virtual bool execute(const QString& sql, const QVariantList& values, QString* error) = 0;
    // Runs a query into a record set. With `keyedTable` (the statement is "select * from T ...")
    // every row carries the key the engine finds it again by; otherwise the keys are 0.
    virtual bool query(const QString& sql, const QVariantList& values, const QString& keyedTable,
                       RecordSetBuilder& into, QString* error) = 0;
    // Hands every row of a query, with `values` bound to its "?" slots, to `visit` until it
    // returns false.
    virtual bool scan(const QString& sql, const QVariantList& values,
                      const std::function<bool(const ScannedRow&)>& visit, QString* error) = 0;

    // Row writes for record sets; columns are named as the query reported them. An update or
    // delete whose row is gone (another till or window removed it since it was read) fails with
    // rowGoneText(): the caller's transaction must not go on as if it had been written.
    virtual bool insertRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64* key,
                           QString* error) = 0;
    virtual bool updateRow(const QString& table, const QStringList& columns, const QVariantList& values, qint64 key,
                           QString* error) = 0;
    // insertRow() of `table`, then of `link.table` with `link.keyColumn` set to the key the first
    // row got. A shop server makes both in one statement, which batchWrites() may hold back.
    virtual bool insertLinkedRows(const QString& table, const QStringList& columns, const QVariantList& values,
                                  const LinkedRow& link, QString* error)
    {
        qint64 key = -1;
        if (!insertRow(table, columns, values, &key, error))
            return false;
        QStringList linkColumns = link.columns;
        QVariantList linkValues = link.values;
        linkColumns.append(link.keyColumn);
        linkValues.append(key);
        return insertRow(link.table, linkColumns, linkValues, nullptr, error);
    }
    virtual bool deleteRow(const QString& table, qint64 key, QString* error) = 0;

    virtual bool begin(QString* error) = 0;
    virtual bool commit(QString* error) = 0;
    virtual void rollback() = 0;
    // Inside a write transaction: until it ends, every other writer asking for the same key
    // waits. An engine whose write transactions already exclude each other does nothing.
    virtual bool lockKey(const QString& key, QString* error) = 0;
    // Inside a write transaction: holds the rows of `table` whose `column` equals `value` until it
    // ends, so that other writers of those rows wait.
    virtual bool lockRows(const QString& table, const QString& column, const QVariant& value, QString* error) = 0;
    // lockRows() and query() of "select * from TABLE where COLUMN=?" (keyed) in one: the rows
    // read are the ones held.
    virtual bool lockAndQuery(const QString& table, const QString& column, const QVariant& value,
                              RecordSetBuilder& into, QString* error) = 0;
    // lockAndQuery(), then query() of `sql` once the rows are held; a shop server answers both
    // in one exchange.
    virtual bool lockAndQueryThen(const QString& table, const QString& column, const QVariant& value,
                                  RecordSetBuilder& into, const QString& sql, const QVariantList& values,
                                  const QString& keyedTable, RecordSetBuilder& thenInto, QString* error)
    {
        return lockAndQuery(table, column, value, into, error) && query(sql, values, keyedTable, thenInto, error);
    }
    // Inside a write transaction: the writes asked for from here on may be held back and sent
    // together, with the next read, sendWrites() or the commit; one that fails then fails that
    // step with its reason, and a row added meanwhile has no key in its record set. The embedded
    // file writes at once.
    virtual void batchWrites() {}
    // Sends the writes held back so far, in one exchange; false, with the reason, when one fails.
    virtual bool sendWrites(QString*) { return true; }

    // The writes a till's role may not make itself on a shop server, where the records are
    // append-only for it and functions that run as the shop's owner make these. Inside a write
    // transaction: raises the receipt counter and returns the number it gives (0, with an error
    // text, when it cannot); marks the stock moves no day close has taken as the next close's.
    virtual qint64 nextReceiptNumber(QString* error) = 0;
    virtual bool takeOpenStockMoves(qint64 close, QString* error) = 0;
    // Whether `typed` is the password user_info holds as `stored`; a shop server keeps a salted
    // hash of it there.
    virtual bool passwordMatches(const QString& stored, const QString& typed) const = 0;

    virtual void close() = 0;

    // The columns "select * from TABLE" reports, per table, kept while the connection lives so
    // that adding a row need not ask for them again; close() and a remade table forget them.
    using ColumnCache = QHash<QString, std::vector<std::pair<QString, ColumnKind>>>;
    virtual ColumnCache& tableColumns() { return m_tableColumns; }

  protected:
    ColumnCache m_tableColumns;
};

} // namespace marvono
