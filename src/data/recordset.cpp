#include "data/recordset.h"

#include "app/numbers.h"
#include "data/database.h"
#include "data/engine.h"

#include <QDate>
#include <cmath>

namespace marvono {
namespace {

bool isNumeric(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// Only "select * from T ..." reads whole rows of one table, so only such a set can be written
// back. Returns the table name, or an empty text when the statement has another shape.
QString writableTable(const QString& statement)
{
    static const QString prefix = QStringLiteral("select * from ");
    if (!statement.startsWith(prefix, Qt::CaseInsensitive))
        return {};
    qsizetype end = prefix.size();
    while (end < statement.size() && (statement[end].isLetterOrNumber() || statement[end] == QLatin1Char('_')))
        ++end;
    const QString table = statement.mid(prefix.size(), end - prefix.size());
    if (table.isEmpty() || (end < statement.size() && statement[end] != QLatin1Char(' ')))
        return {};
    return table;
}

} // namespace

RecordSet::~RecordSet() = default;

qint64 RecordSet::rowKey() const
{
    if (m_table.isEmpty() || m_adding || isEof())
        return -1;
    return m_rowIds[size_t(m_current)];
}

int RecordSet::count() const
{
    int live = 0;
    for (qint64 id : m_rowIds)
        live += id >= 0 || m_table.isEmpty() ? 1 : 0;
    return live;
}

const RecordSet::Cell* RecordSet::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    const Cell& found = m_cells[size_t(row) * m_columns.size() + size_t(column)];
    if (found.length < 0 || (!m_table.isEmpty() && m_rowIds[size_t(row)] < 0))
        return nullptr;
    return &found;
}

void RecordSet::appendCell(const std::optional<QVariant>& value)
{
    if (!value || value->isNull()) {
        appendCell(nullptr, 0);
        return;
    }
    const QByteArray utf8 = value->toString().toUtf8();
    appendCell(utf8.constData(), int(utf8.size()));
}

std::optional<QString> RecordSet::field(int column) const
{
    if (m_adding) {
        if (column < 0 || column >= columnCount() || m_newNulls[size_t(column)])
            return std::nullopt;
        return m_newCells[size_t(column)];
    }
    // An empty field reads as an empty text, never as a null one, even before any text was kept.
    if (const Cell* value = cell(m_current, column))
        return QString::fromUtf8(m_text.data() ? m_text.data() + value->offset : "", value->length);
    return std::nullopt;
}

QVariant storedCell(ColumnKind kind, const QVariant& value, bool* acceptedOut)
{
    QVariant stored;
    bool accepted = true;
    const bool blankIntoNumber = kind != ColumnKind::Text && kind != ColumnKind::Other && !isNumeric(value) &&
                                 value.toString().trimmed().isEmpty();
    // An empty text in a number or date column is stored as an empty (NULL) value.
    if (!value.isNull() && value.isValid() && !blankIntoNumber) {
        switch (kind) {
        case ColumnKind::Number:
            if (isNumeric(value))
                stored = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float
                             ? generalText(value.toDouble())
                             : value.toString();
            else if (isNumberText(value.toString()))
                stored = value.toString().trimmed();
            else
                accepted = false;
            break;
        case ColumnKind::Integer: {
            double number = 0;
            if (isNumeric(value))
                number = value.toDouble();
            else if (isNumberText(value.toString()))
                number = leadingNumber(value.toString());
            else
                accepted = false;
            number = roundHalfEven(number);
            if (accepted && std::fabs(number) < 9.2e18)
                stored = qint64(number);
            else
                accepted = false;
            break;
        }
        case ColumnKind::Date: {
            QDate date = value.typeId() == QMetaType::QDate       ? value.toDate()
                         : value.typeId() == QMetaType::QDateTime ? value.toDateTime().date()
                                                                  : QDate::fromString(value.toString(), Qt::ISODate);
            if (date.isValid())
                stored = date.toString(Qt::ISODate);
            else
                accepted = false;
            break;
        }
        default:
            stored = value.toString();
        }
    }
    if (acceptedOut)
        *acceptedOut = accepted;
    return accepted ? stored : QVariant();
}

bool RecordSet::setField(int column, const QVariant& value)
{
    if (column < 0 || column >= columnCount()) {
        m_error = QStringLiteral("Item cannot be found in the collection.");
        return false;
    }
    if (!m_adding && (isEof() || m_rowIds[size_t(m_current)] < 0)) {
        m_error = QStringLiteral("Either BOF or EOF is True, or the current record has been deleted.");
        return false;
    }
    if (m_pending.empty())
        m_pending.resize(m_columns.size());

    bool accepted = true;
    const QVariant stored = storedCell(m_columns[size_t(column)].kind, value, &accepted);
    m_pending[size_t(column)] = accepted ? stored : QVariant();
    if (m_adding) {
        m_newNulls[size_t(column)] = !accepted || stored.isNull();
        m_newCells[size_t(column)] = accepted ? stored.toString() : QString();
    }
    if (!accepted)
        m_error = QStringLiteral("Data type mismatch in criteria expression.");
    return accepted;
}

bool RecordSet::moveNext()
{
    if (isEof())
        return false;
    ++m_current;
    return true;
}

bool RecordSet::move(int rows)
{
    const int target = m_current + rows;
    if (target < 0 || target > rowCount())
        return false;
    m_current = target;
    return true;
}

void RecordSet::addNew()
{
    m_adding = true;
    m_pending.assign(m_columns.size(), std::nullopt);
    m_newCells.assign(m_columns.size(), QString());
    m_newNulls.assign(m_columns.size(), true);
}

bool RecordSet::update()
{
    return write(nullptr);
}

bool RecordSet::update(const LinkedRow& link)
{
    if (!m_adding) {
        m_error = QStringLiteral("Only a row being added is written with a linked row.");
        return false;
    }
    return write(&link);
}

bool RecordSet::write(const LinkedRow* link)
{
    const bool adding = m_adding;
    m_adding = false;
    std::vector<std::optional<QVariant>> pending;
    pending.swap(m_pending);
    if (m_table.isEmpty()) {
        m_error = QStringLiteral("The record set cannot be updated.");
        return false;
    }
    if (!adding && (isEof() || m_rowIds[size_t(m_current)] < 0)) {
        m_error = QStringLiteral("Either BOF or EOF is True, or the current record has been deleted.");
        return false;
    }
    pending.resize(m_columns.size());
    QStringList names;
    QVariantList values;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (pending[i]) {
            names.append(m_columns[i].name);
            values.append(*pending[i]);
        }
    }
    if (!adding && names.isEmpty())
        return true;
    Engine* engine = Database::instance().engine(&m_error);
    if (!engine)
        return false;
    qint64 key = -1;
    if (link     ? !engine->insertLinkedRows(m_table, names, values, *link, &m_error)
        : adding ? !engine->insertRow(m_table, names, values, &key, &m_error)
                 : !engine->updateRow(m_table, names, values, m_rowIds[size_t(m_current)], &m_error))
        return false;

    const size_t width = m_columns.size();
    if (adding) {
        m_rowIds.push_back(key);
        for (size_t i = 0; i < width; ++i)
            appendCell(pending[i]);
        m_current = rowCount() - 1;
    } else {
        const size_t base = size_t(m_current) * width;
        for (size_t i = 0; i < width; ++i) {
            if (!pending[i])
                continue;
            // The new text goes to the end of the buffer; the cell moves there.
            appendCell(pending[i]);
            m_cells[base + i] = m_cells.back();
            m_cells.pop_back();
        }
    }
    return true;
}

bool RecordSet::deleteCurrent()
{
    m_adding = false;
    m_pending.clear();
    if (m_table.isEmpty() || isEof() || m_rowIds[size_t(m_current)] < 0) {
        m_error = QStringLiteral("Either BOF or EOF is True, or the current record has been deleted.");
        return false;
    }
    Engine* engine = Database::instance().engine(&m_error);
    if (!engine || !engine->deleteRow(m_table, m_rowIds[size_t(m_current)], &m_error))
        return false;
    m_rowIds[size_t(m_current)] = -1;
    return true;
}

bool isActionStatement(const QString& statement, QString* firstWord)
{
    const qsizetype blank = statement.indexOf(QLatin1Char(' '));
    const QString word = blank < 0 ? statement : statement.left(blank);
    if (firstWord)
        *firstWord = word;
    // A substring test on purpose: pieces of the literal, and the empty word, count as actions.
    return QStringLiteral("INSERT,DELETE,UPDATE").contains(word.toUpper());
}

std::unique_ptr<RecordSet> ExecSQL(const QString& statement, QString& message, const QVariantList& values)
{
    if (statement.isEmpty()) {
        message = QStringLiteral("Error:The statement is empty.");
        return nullptr;
    }
    QString firstWord;
    const bool action = isActionStatement(statement, &firstWord);

    QString error;
    Engine* engine = Database::instance().engine(&error);
    if (!engine) {
        message = QStringLiteral("Error:") + error;
        return nullptr;
    }

    if (action) {
        if (!engine->execute(statement, values, &error)) {
            message = QStringLiteral("Error:") + error;
            return nullptr;
        }
        message = firstWord + QStringLiteral("Query successful!");
        return nullptr;
    }

    const QString source = statement.trimmed();
    std::unique_ptr<RecordSet> set(new RecordSet);
    set->m_table = writableTable(source);
    RecordSetBuilder builder(*set);
    if (!engine->query(source, values, set->m_table, builder, &error)) {
        message = QStringLiteral("Error:") + error;
        return nullptr;
    }
    message = QStringLiteral("find %1 Records").arg(set->count());
    return set;
}

namespace {

Engine* engineForLocking(QString& error)
{
    if (!Database::instance().inTransaction()) {
        error = QStringLiteral("Rows are held only inside a transaction.");
        return nullptr;
    }
    return Database::instance().engine(&error);
}

} // namespace

std::unique_ptr<RecordSet> LockedRows(const QString& table, const QString& column, const QVariant& value,
                                      QString& error)
{
    Engine* engine = engineForLocking(error);
    if (!engine)
        return nullptr;
    std::unique_ptr<RecordSet> set(new RecordSet);
    set->m_table = table;
    RecordSetBuilder builder(*set);
    if (!engine->lockAndQuery(table, column, value, builder, &error))
        return nullptr;
    return set;
}

std::unique_ptr<RecordSet> LockedRows(const QString& table, const QString& column, const QVariant& value,
                                      QString& error, const QString& thenQuery, const QVariantList& thenValues,
                                      std::unique_ptr<RecordSet>& then)
{
    Engine* engine = engineForLocking(error);
    if (!engine)
        return nullptr;
    std::unique_ptr<RecordSet> set(new RecordSet);
    set->m_table = table;
    RecordSetBuilder builder(*set);
    const QString source = thenQuery.trimmed();
    std::unique_ptr<RecordSet> second(new RecordSet);
    second->m_table = writableTable(source);
    RecordSetBuilder secondBuilder(*second);
    if (!engine->lockAndQueryThen(table, column, value, builder, source, thenValues, second->m_table, secondBuilder,
                                  &error))
        return nullptr;
    then = std::move(second);
    return set;
}

std::unique_ptr<RecordSet> RowsToAdd(const QString& table, QString& message)
{
    Engine* engine = Database::instance().engine(&message);
    if (!engine) {
        message = QStringLiteral("Error:") + message;
        return nullptr;
    }
    const auto known = engine->tableColumns().constFind(table);
    if (known == engine->tableColumns().constEnd()) {
        auto probe = ExecSQL(QStringLiteral("select * from %1 where 1=0").arg(table), message);
        if (!probe)
            return nullptr;
        auto& columns = engine->tableColumns()[table];
        for (const RecordSet::Column& column : probe->m_columns)
            columns.emplace_back(column.name, column.kind);
        return probe;
    }
    std::unique_ptr<RecordSet> set(new RecordSet);
    set->m_table = table;
    for (const auto& [name, kind] : *known)
        set->m_columns.push_back({name, kind});
    message = QStringLiteral("find 0 Records");
    return set;
}

} // namespace marvono
