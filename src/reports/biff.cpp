#include "reports/biffrecords.h"

#include "app/text.h"
#include <algorithm>

namespace marvono::biff {
using namespace records;

namespace {

quint16 getU16(const QByteArray& bytes, qsizetype at)
{
    return quint16(quint8(bytes[at]) | (quint8(bytes[at + 1]) << 8));
}

quint32 getU32(const QByteArray& bytes, qsizetype at)
{
    return quint32(getU16(bytes, at)) | (quint32(getU16(bytes, at + 2)) << 16);
}

void setU32(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

std::nullopt_t nothing(QString* error, const QString& text)
{
    fail(error, text);
    return std::nullopt;
}

struct Record {
    quint16 type = 0;
    qsizetype offset = 0; // of the record header
    qsizetype length = 0; // of the body
    int depth = 0;        // 1 for the substream's own records, more inside embedded substreams
    qsizetype bodyAt() const { return offset + 4; }
    qsizetype end() const { return offset + 4 + length; }
};

struct Substream {
    std::vector<Record> records;
    qsizetype start = 0;
    qsizetype end = 0;
};

// The records from the BOF at `start` to its matching EOF, every length checked against the
// stream. `substream` is the BOF type expected, or kAnySubstream.
std::optional<Substream> readSubstream(const QByteArray& stream, qsizetype start, quint16 substream, QString* error)
{
    Substream result;
    result.start = start;
    qsizetype at = start;
    int depth = 0;
    for (;;) {
        if (at < 0 || stream.size() - at < 4) {
            return nothing(error, QStringLiteral("The workbook stream ends inside a record list."));
        }
        Record record;
        record.type = getU16(stream, at);
        record.length = getU16(stream, at + 2);
        record.offset = at;
        if (record.length > kMaxRecordBody || stream.size() - record.bodyAt() < record.length) {
            return nothing(error, QStringLiteral("A workbook record runs past the end of the stream."));
        }
        if (result.records.empty()) {
            if (record.type != kBof || record.length < 16 || getU16(stream, record.bodyAt()) != kBiff8 ||
                (substream != kAnySubstream && getU16(stream, record.bodyAt() + 2) != substream)) {
                return nothing(error, QStringLiteral("The stream is not an Excel 97-2003 workbook."));
            }
        }
        if (record.type == kBof && ++depth > kMaxNesting) {
            return nothing(error, QStringLiteral("The workbook nests too deeply."));
        }
        record.depth = depth;
        result.records.push_back(record);
        at = record.end();
        if (record.type == kEof && --depth == 0)
            break;
    }
    result.end = at;
    return result;
}

struct SheetEntry {
    qsizetype recordOffset = 0;
    quint32 position = 0;
    quint8 kind = 0;
    QString name;
};

std::optional<SheetEntry> readSheetEntry(const QByteArray& stream, const Record& record)
{
    if (record.length < 8)
        return std::nullopt;
    const qsizetype body = record.bodyAt();
    SheetEntry entry;
    entry.recordOffset = record.offset;
    entry.position = getU32(stream, body);
    entry.kind = quint8(stream[body + 5]);
    const int count = quint8(stream[body + 6]);
    const bool wide = quint8(stream[body + 7]) & 1;
    if (record.length < 8 + count * (wide ? 2 : 1))
        return std::nullopt;
    for (int i = 0; i < count; ++i)
        entry.name.append(wide ? QChar(getU16(stream, body + 8 + 2 * i))
                               : QChar(char16_t(quint8(stream[body + 8 + i]))));
    return entry;
}

bool isCellRecord(quint16 type)
{
    switch (type) {
    case kBlank:
    case kNumber:
    case kLabel:
    case kBoolErr:
    case kFormula:
    case kRk:
    case kMulRk:
    case kMulBlank:
    case kLabelSst:
    case kRString:
        return true;
    default:
        return false;
    }
}

bool isRangeRecord(quint16 type)
{
    return type == kArray || type == kSharedFormula || type == kTable;
}

bool belongsToCellTable(quint16 type)
{
    return isCellRecord(type) || isRangeRecord(type) || type == kRow || type == kString || type == kDbCell;
}

// What appending needs to know about the worksheet's own records.
struct SheetLayout {
    int lastUsedRow = -1;
    std::optional<size_t> dimensions;  // index of the DIMENSIONS record
    std::optional<size_t> lastOfTable; // index of the last record of the cell table
    std::optional<size_t> window2;
};

std::optional<SheetLayout> surveySheet(const QByteArray& stream, const Substream& sheet, QString* error)
{
    SheetLayout layout;
    bool inTable = false;
    for (size_t i = 0; i < sheet.records.size(); ++i) {
        const Record& record = sheet.records[i];
        if (record.depth != 1)
            continue;
        const qsizetype body = record.bodyAt();
        if (record.type == kContinue) {
            if (inTable)
                layout.lastOfTable = i;
            continue;
        }
        inTable = belongsToCellTable(record.type);
        if (inTable)
            layout.lastOfTable = i;
        int row = -1;
        if (isCellRecord(record.type)) {
            if (record.length < 6)
                return nothing(error, QStringLiteral("A cell record is too short."));
            row = getU16(stream, body);
        } else if (record.type == kRow) {
            if (record.length != 16)
                return nothing(error, QStringLiteral("A row record has the wrong size."));
            row = getU16(stream, body);
        } else if (isRangeRecord(record.type)) {
            if (record.length < 6)
                return nothing(error, QStringLiteral("A range record is too short."));
            row = getU16(stream, body + 2);
        } else if (record.type == kDimensions) {
            if (record.length != 14 || layout.dimensions)
                return nothing(error, QStringLiteral("The sheet's dimensions are malformed."));
            layout.dimensions = i;
        } else if (record.type == kWindow2 && !layout.window2) {
            layout.window2 = i;
        }
        layout.lastUsedRow = std::max(layout.lastUsedRow, row);
    }
    return layout;
}

// Moves the stream positions held by a later substream's INDEX records by `delta`.
bool shiftIndexRecords(QByteArray& stream, qsizetype start, qint64 delta, QString* error)
{
    const auto sheet = readSubstream(stream, start, kAnySubstream, error);
    if (!sheet)
        return false;
    for (const Record& record : sheet->records) {
        if (record.depth != 1 || record.type != kIndex)
            continue;
        if (record.length < 16 || (record.length - 16) % 4 != 0)
            return fail(error, QStringLiteral("An index record is malformed."));
        // The position of DEFCOLWIDTH, then one per DBCELL record.
        for (qsizetype at = record.bodyAt() + 12; at < record.end(); at += 4) {
            const quint32 position = getU32(stream, at);
            if (position != 0)
                setU32(stream, at, quint32(position + delta));
        }
    }
    return true;
}

bool fitsSheet(int firstRow, const TextRows& rows, QString* error)
{
    if (qint64(firstRow) + qint64(rows.size()) > kSheetRows)
        return fail(error, QStringLiteral("A worksheet holds %1 rows; %2 more rows do not fit below row %3.")
                               .arg(kSheetRows)
                               .arg(rows.size())
                               .arg(firstRow));
    if (widestRow(rows) > kMaxColumns)
        return fail(error, QStringLiteral("A worksheet holds %1 columns.").arg(kMaxColumns));
    return true;
}

} // namespace

std::optional<QByteArray> newWorkbook(const std::vector<Sheet>& sheets, QString* error)
{
    if (sheets.empty())
        return nothing(error, QStringLiteral("A workbook has at least one sheet."));
    std::vector<QByteArray> bodies;
    for (const Sheet& sheet : sheets) {
        if (!fitsSheet(0, sheet.rows, error))
            return std::nullopt;
        if (sheet.name.isEmpty() || sheet.name.size() > 31)
            return nothing(error, QStringLiteral("A sheet name has 1 to 31 characters."));
        bodies.push_back(worksheet(sheet.rows));
    }
    std::vector<quint32> positions;
    quint32 position = quint32(globals(sheets, {}).size());
    for (const QByteArray& body : bodies) {
        positions.push_back(position);
        position += quint32(body.size());
    }
    QByteArray stream = globals(sheets, positions);
    for (const QByteArray& body : bodies)
        stream.append(body);
    return stream;
}

namespace {

// The workbook's sheet entries, from its BOUNDSHEET records.
std::optional<std::vector<SheetEntry>> sheetEntries(const QByteArray& stream, const Substream& workbook, QString* error)
{
    std::vector<SheetEntry> entries;
    for (const Record& record : workbook.records) {
        if (record.depth != 1 || record.type != kBoundSheet)
            continue;
        const auto entry = readSheetEntry(stream, record);
        if (!entry)
            return nothing(error, QStringLiteral("A sheet entry is malformed."));
        entries.push_back(*entry);
    }
    return entries;
}

// The body of the sheet's DIMENSIONS record once `rows` are added from `firstRow` on.
QByteArray grownDimensions(const QByteArray& stream, const Substream& sheet, const SheetLayout& layout, int firstRow,
                           const TextRows& rows)
{
    int lastRow = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].isEmpty())
            lastRow = firstRow + int(i);
    }
    if (!layout.dimensions)
        return dimensionsBody(quint32(firstRow), quint32(lastRow + 1), 0, quint16(lastRow < 0 ? 0 : widestRow(rows)));
    const qsizetype body = sheet.records[*layout.dimensions].bodyAt();
    if (lastRow < 0)
        return stream.mid(body, 14);
    const quint32 oldFirst = getU32(stream, body);
    const quint32 oldLimit = getU32(stream, body + 4);
    const quint16 oldColumns = getU16(stream, body + 10);
    const bool empty = oldLimit <= oldFirst || oldColumns == 0;
    return dimensionsBody(empty ? quint32(firstRow) : std::min(oldFirst, quint32(firstRow)),
                          std::max(empty ? 0 : oldLimit, quint32(lastRow + 1)), 0,
                          quint16(std::max(empty ? 0 : int(oldColumns), widestRow(rows))));
}

// The worksheet's records with `cells` added and the dimensions replaced.
QByteArray sheetWithCells(const QByteArray& stream, const Substream& sheet, const SheetLayout& layout,
                          const QByteArray& dimensions, const QByteArray& cells)
{
    // The new rows go after the last record of the existing cell table; without one, after the
    // dimensions, or else just ahead of the window settings (or the end of the sheet).
    size_t insertAfter = 0;
    if (layout.lastOfTable)
        insertAfter = *layout.lastOfTable;
    else if (layout.dimensions)
        insertAfter = *layout.dimensions;
    else
        insertAfter = (layout.window2 ? *layout.window2 : sheet.records.size() - 1) - 1;

    QByteArray newSheet;
    newSheet.reserve(sheet.end - sheet.start + cells.size() + 64);
    for (size_t i = 0; i < sheet.records.size(); ++i) {
        const Record& record = sheet.records[i];
        const bool own = record.depth == 1;
        if (own && record.type == kDimensions)
            putRecord(newSheet, kDimensions, dimensions);
        else if (!(own && (record.type == kIndex || record.type == kDbCell))) // their positions go stale
            newSheet.append(stream.constData() + record.offset, record.end() - record.offset);
        if (i == insertAfter) {
            if (!layout.dimensions)
                putRecord(newSheet, kDimensions, dimensions);
            newSheet.append(cells);
        }
    }
    return newSheet;
}

// Substreams behind the grown worksheet move by `delta`; their entries in the globals follow them.
bool moveLaterSheets(QByteArray& result, const std::vector<SheetEntry>& entries, const SheetEntry& grown,
                     const Substream& sheet, qint64 delta, QString* error)
{
    for (const SheetEntry& entry : entries) {
        if (&entry == &grown)
            continue;
        const qsizetype position = qsizetype(entry.position);
        if (position >= sheet.start && position < sheet.end)
            return fail(error, QStringLiteral("Two sheets overlap in the workbook stream."));
        if (position < sheet.end)
            continue;
        const qsizetype moved = position + delta;
        setU32(result, entry.recordOffset + 4, quint32(moved));
        if (!shiftIndexRecords(result, moved, delta, error))
            return false;
    }
    return true;
}

} // namespace

std::optional<QByteArray> appendRows(const QByteArray& stream, const QString& sheetName, const TextRows& rows,
                                     QString* error)
{
    const auto workbook = readSubstream(stream, 0, kGlobalsSubstream, error);
    if (!workbook)
        return std::nullopt;
    const auto entries = sheetEntries(stream, *workbook, error);
    if (!entries)
        return std::nullopt;
    const auto target = std::find_if(entries->begin(), entries->end(), [&](const SheetEntry& entry) {
        return entry.kind == 0 && entry.name.compare(sheetName, Qt::CaseInsensitive) == 0;
    });
    if (target == entries->end())
        return nothing(error, QStringLiteral("The workbook has no worksheet named %1.").arg(sheetName));
    if (qsizetype(target->position) < workbook->end)
        return nothing(error, QStringLiteral("The worksheet's position lies inside the workbook globals."));
    const auto sheet = readSubstream(stream, qsizetype(target->position), kWorksheetSubstream, error);
    if (!sheet)
        return std::nullopt;
    const auto layout = surveySheet(stream, *sheet, error);
    if (!layout)
        return std::nullopt;
    const int firstRow = layout->lastUsedRow + 1;
    if (!fitsSheet(firstRow, rows, error))
        return std::nullopt;
    if (rows.empty())
        return stream;

    const QByteArray newSheet = sheetWithCells(
        stream, *sheet, *layout, grownDimensions(stream, *sheet, *layout, firstRow, rows), cellTable(firstRow, rows));
    const qint64 delta = newSheet.size() - (sheet->end - sheet->start);
    QByteArray result;
    result.reserve(stream.size() + delta);
    result.append(stream.constData(), sheet->start);
    result.append(newSheet);
    result.append(stream.constData() + sheet->end, stream.size() - sheet->end);
    if (qint64(result.size()) > qint64(0xFFFFFFFFu))
        return nothing(error, QStringLiteral("The workbook grows too large."));
    if (!moveLaterSheets(result, *entries, *target, *sheet, delta, error))
        return std::nullopt;
    return result;
}

} // namespace marvono::biff
