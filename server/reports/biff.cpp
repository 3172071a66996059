#include "reports/biff.h"

#include <algorithm>

namespace marvono::biff {
namespace {

enum RecordType : quint16 {
    kBof = 0x0809,
    kEof = 0x000A,
    kCodepage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kDimensions = 0x0200,
    kRow = 0x0208,
    kLabel = 0x0204,
    kWindow2 = 0x023E,
    kIndex = 0x020B,
    kDbCell = 0x00D7,
    kContinue = 0x003C,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kBoolErr = 0x0205,
    kFormula = 0x0006,
    kString = 0x0207,
    kRk = 0x027E,
    kMulRk = 0x00BD,
    kMulBlank = 0x00BE,
    kLabelSst = 0x00FD,
    kRString = 0x00D6,
    kArray = 0x0221,
    kSharedFormula = 0x04BC,
    kTable = 0x0236,
};

constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kGlobalsSubstream = 0x0005;
constexpr quint16 kWorksheetSubstream = 0x0010;
constexpr quint16 kAnySubstream = 0xFFFF;
constexpr qsizetype kMaxRecordBody = 8224;
constexpr int kMaxColumns = 256;
constexpr quint16 kCellXf = 15;  // the first cell format; 0 to 14 are style formats
constexpr size_t kRowBlock = 32; // rows per block, each block's ROW records ahead of its cells
constexpr int kMaxNesting = 8;

void putU8(QByteArray& out, quint8 value)
{
    out.append(char(value));
}

void putU16(QByteArray& out, quint16 value)
{
    out.append(char(value & 0xFF));
    out.append(char(value >> 8));
}

void putU32(QByteArray& out, quint32 value)
{
    putU16(out, quint16(value & 0xFFFF));
    putU16(out, quint16(value >> 16));
}

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

void putRecord(QByteArray& out, quint16 type, const QByteArray& body)
{
    putU16(out, type);
    putU16(out, quint16(body.size()));
    out.append(body);
}

bool fitsLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

// The flag byte and the characters: one byte each when all of them fit in Latin-1, else UTF-16LE.
void putCharacters(QByteArray& out, QStringView text)
{
    if (fitsLatin1(text)) {
        putU8(out, 0);
        for (QChar c : text)
            putU8(out, quint8(c.unicode()));
    } else {
        putU8(out, 1);
        for (QChar c : text)
            putU16(out, c.unicode());
    }
}

QStringView cellText(const QString& text)
{
    if (text.size() <= kMaxCellText)
        return text;
    qsizetype length = kMaxCellText;
    if (text[length - 1].isHighSurrogate())
        --length; // never leave half of a surrogate pair behind
    return QStringView(text).left(length);
}

QByteArray bofBody(quint16 substream)
{
    QByteArray body;
    putU16(body, kBiff8);
    putU16(body, substream);
    putU16(body, 0x0DBB); // build
    putU16(body, 0x07CC); // year
    putU32(body, 0);      // file history
    putU32(body, 0x0006); // lowest version that can read the file
    return body;
}

QByteArray fontBody()
{
    static const QString name = QStringLiteral("Arial");
    QByteArray body;
    putU16(body, 200);    // 10 pt in twentieths of a point
    putU16(body, 0);      // no italics or strike-out
    putU16(body, 0x7FFF); // automatic colour
    putU16(body, 400);    // normal weight
    putU16(body, 0);      // no super- or subscript
    putU8(body, 0);       // no underline
    putU8(body, 0);       // family
    putU8(body, 0);       // character set
    putU8(body, 0);
    putU8(body, quint8(name.size()));
    putCharacters(body, name);
    return body;
}

QByteArray xfBody(bool styleFormat, bool firstStyle)
{
    QByteArray body;
    putU16(body, 0);                                       // font
    putU16(body, 0);                                       // number format "General"
    putU16(body, styleFormat ? 0xFFF5 : 0x0001);           // locked; style formats have no parent
    putU8(body, 0x20);                                     // bottom aligned
    putU8(body, 0);                                        // no rotation
    putU8(body, 0);                                        // no indent
    putU8(body, styleFormat && !firstStyle ? 0xF4 : 0x00); // which attributes the format sets
    putU32(body, 0);                                       // no borders
    putU32(body, 0);                                       // no pattern
    putU16(body, 0x20C0);                                  // system foreground and background colours
    return body;
}

QByteArray boundSheetBody(const QString& name, quint32 position)
{
    QByteArray body;
    putU32(body, position);
    putU8(body, 0); // visible
    putU8(body, 0); // worksheet
    putU8(body, quint8(name.size()));
    putCharacters(body, name);
    return body;
}

QByteArray globals(const std::vector<biff::Sheet>& sheets, const std::vector<quint32>& positions)
{
    QByteArray out;
    putRecord(out, kBof, bofBody(kGlobalsSubstream));
    QByteArray codepage;
    putU16(codepage, 1200); // UTF-16
    putRecord(out, kCodepage, codepage);
    QByteArray window;
    for (quint16 value : {quint16(0), quint16(0), quint16(0x4000), quint16(0x2000), quint16(0x0038), quint16(0),
                          quint16(0), quint16(1), quint16(0x0258)})
        putU16(window, value);
    putRecord(out, kWindow1, window);
    for (int i = 0; i < 4; ++i) // font 4 does not exist in BIFF; 0 to 3 are the ones referred to
        putRecord(out, kFont, fontBody());
    for (int i = 0; i < 15; ++i)
        putRecord(out, kXf, xfBody(true, i == 0));
    putRecord(out, kXf, xfBody(false, false));
    QByteArray style;
    putU16(style, 0x8000); // built-in style of format 0
    putU8(style, 0);       // "Normal"
    putU8(style, 0xFF);
    putRecord(out, kStyle, style);
    for (size_t i = 0; i < sheets.size(); ++i)
        putRecord(out, kBoundSheet, boundSheetBody(sheets[i].name, i < positions.size() ? positions[i] : 0));
    putRecord(out, kEof, {});
    return out;
}

QByteArray dimensionsBody(quint32 firstRow, quint32 rowLimit, quint16 firstColumn, quint16 columnLimit)
{
    QByteArray body;
    putU32(body, firstRow);
    putU32(body, rowLimit);
    putU16(body, firstColumn);
    putU16(body, columnLimit);
    putU16(body, 0);
    return body;
}

QByteArray rowBody(int row, int columns)
{
    QByteArray body;
    putU16(body, quint16(row));
    putU16(body, 0);
    putU16(body, quint16(columns));
    putU16(body, 0x00FF); // default height
    putU16(body, 0);
    putU16(body, 0);
    putU16(body, 0x0100);
    putU16(body, kCellXf);
    return body;
}

void putLabel(QByteArray& out, int row, int column, QStringView text)
{
    const bool wide = !fitsLatin1(text);
    putU16(out, kLabel);
    putU16(out, quint16(9 + text.size() * (wide ? 2 : 1)));
    putU16(out, quint16(row));
    putU16(out, quint16(column));
    putU16(out, kCellXf);
    putU16(out, quint16(text.size()));
    putCharacters(out, text);
}

int widestRow(const TextRows& rows)
{
    qsizetype widest = 0;
    for (const QStringList& row : rows)
        widest = std::max(widest, row.size());
    return int(widest);
}

// ROW records and LABEL cells for `rows` from `firstRow` on; empty texts are left as blank cells.
QByteArray cellTable(int firstRow, const TextRows& rows)
{
    QByteArray out;
    out.reserve(qsizetype(rows.size()) * 160);
    for (size_t block = 0; block < rows.size(); block += kRowBlock) {
        const size_t end = std::min(rows.size(), block + kRowBlock);
        for (size_t i = block; i < end; ++i) {
            if (!rows[i].isEmpty())
                putRecord(out, kRow, rowBody(firstRow + int(i), int(rows[i].size())));
        }
        for (size_t i = block; i < end; ++i) {
            for (qsizetype column = 0; column < rows[i].size(); ++column) {
                if (!rows[i][column].isEmpty())
                    putLabel(out, firstRow + int(i), int(column), cellText(rows[i][column]));
            }
        }
    }
    return out;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
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

QByteArray worksheet(const TextRows& rows)
{
    QByteArray out;
    putRecord(out, kBof, bofBody(kWorksheetSubstream));
    int usedRows = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].isEmpty())
            usedRows = int(i) + 1;
    }
    putRecord(out, kDimensions, dimensionsBody(0, quint32(usedRows), 0, quint16(usedRows ? widestRow(rows) : 0)));
    out.append(cellTable(0, rows));
    QByteArray window;
    putU16(window, 0x06B6); // grid, headers, zeros, outline symbols; selected and shown
    putU16(window, 0);      // top row
    putU16(window, 0);      // left column
    putU32(window, 0x40);   // automatic grid colour
    putU16(window, 0);
    putU16(window, 0);
    putU32(window, 0);
    putRecord(out, kWindow2, window);
    putRecord(out, kEof, {});
    return out;
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

std::optional<QByteArray> appendRows(const QByteArray& stream, const QString& sheetName, const TextRows& rows,
                                     QString* error)
{
    const auto workbook = readSubstream(stream, 0, kGlobalsSubstream, error);
    if (!workbook)
        return std::nullopt;
    std::vector<SheetEntry> entries;
    for (const Record& record : workbook->records) {
        if (record.depth != 1 || record.type != kBoundSheet)
            continue;
        const auto entry = readSheetEntry(stream, record);
        if (!entry) {
            return nothing(error, QStringLiteral("A sheet entry is malformed."));
        }
        entries.push_back(*entry);
    }
    const auto target = std::find_if(entries.begin(), entries.end(), [&](const SheetEntry& entry) {
        return entry.kind == 0 && entry.name.compare(sheetName, Qt::CaseInsensitive) == 0;
    });
    if (target == entries.end()) {
        return nothing(error, QStringLiteral("The workbook has no worksheet named %1.").arg(sheetName));
    }
    if (qsizetype(target->position) < workbook->end) {
        return nothing(error, QStringLiteral("The worksheet's position lies inside the workbook globals."));
    }
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

    int lastRow = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].isEmpty())
            lastRow = firstRow + int(i);
    }
    QByteArray dimensions;
    if (layout->dimensions) {
        const qsizetype body = sheet->records[*layout->dimensions].bodyAt();
        const quint32 oldFirst = getU32(stream, body);
        const quint32 oldLimit = getU32(stream, body + 4);
        const quint16 oldColumns = getU16(stream, body + 10);
        const bool empty = oldLimit <= oldFirst || oldColumns == 0;
        if (lastRow < 0)
            dimensions = stream.mid(body, 14);
        else
            dimensions = dimensionsBody(empty ? quint32(firstRow) : std::min(oldFirst, quint32(firstRow)),
                                        std::max(empty ? 0 : oldLimit, quint32(lastRow + 1)), 0,
                                        quint16(std::max(empty ? 0 : int(oldColumns), widestRow(rows))));
    } else {
        dimensions =
            dimensionsBody(quint32(firstRow), quint32(lastRow + 1), 0, quint16(lastRow < 0 ? 0 : widestRow(rows)));
    }

    // The new rows go after the last record of the existing cell table; without one, after the
    // dimensions, or else just ahead of the window settings (or the end of the sheet).
    size_t insertAfter = 0;
    if (layout->lastOfTable)
        insertAfter = *layout->lastOfTable;
    else if (layout->dimensions)
        insertAfter = *layout->dimensions;
    else
        insertAfter = (layout->window2 ? *layout->window2 : sheet->records.size() - 1) - 1;

    const QByteArray cells = cellTable(firstRow, rows);
    QByteArray newSheet;
    newSheet.reserve(sheet->end - sheet->start + cells.size() + 64);
    for (size_t i = 0; i < sheet->records.size(); ++i) {
        const Record& record = sheet->records[i];
        const bool own = record.depth == 1;
        if (own && record.type == kDimensions)
            putRecord(newSheet, kDimensions, dimensions);
        else if (!(own && (record.type == kIndex || record.type == kDbCell))) // their positions go stale
            newSheet.append(stream.constData() + record.offset, record.end() - record.offset);
        if (i == insertAfter) {
            if (!layout->dimensions)
                putRecord(newSheet, kDimensions, dimensions);
            newSheet.append(cells);
        }
    }

    const qint64 delta = newSheet.size() - (sheet->end - sheet->start);
    QByteArray result;
    result.reserve(stream.size() + delta);
    result.append(stream.constData(), sheet->start);
    result.append(newSheet);
    result.append(stream.constData() + sheet->end, stream.size() - sheet->end);
    if (qint64(result.size()) > qint64(0xFFFFFFFFu)) {
        return nothing(error, QStringLiteral("The workbook grows too large."));
    }

    // Substreams behind the worksheet move by delta; their entries in the globals follow them.
    for (const SheetEntry& entry : entries) {
        if (&entry == &*target)
            continue;
        const qsizetype position = qsizetype(entry.position);
        if (position >= sheet->start && position < sheet->end) {
            return nothing(error, QStringLiteral("Two sheets overlap in the workbook stream."));
        }
        if (position < sheet->end)
            continue;
        const qsizetype moved = position + delta;
        setU32(result, entry.recordOffset + 4, quint32(moved));
        if (!shiftIndexRecords(result, moved, delta, error))
            return std::nullopt;
    }
    return result;
}

} // namespace marvono::biff
