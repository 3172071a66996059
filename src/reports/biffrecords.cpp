#include "reports/biffrecords.h"

#include <algorithm>

namespace marvono::biff::records {
namespace {

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
    // Labels are most of a large export: each is written in place at once, not byte by byte.
    const bool wide = !fitsLatin1(text);
    const qsizetype bodySize = 9 + text.size() * (wide ? 2 : 1);
    const qsizetype start = out.size();
    out.resize(start + 4 + bodySize);
    char* at = out.data() + start;
    const auto put = [&at](quint16 value) {
        *at++ = char(value & 0xFF);
        *at++ = char(value >> 8);
    };
    for (const quint16 value :
         {quint16(kLabel), quint16(bodySize), quint16(row), quint16(column), quint16(kCellXf), quint16(text.size())})
        put(value);
    *at++ = char(wide ? 1 : 0); // as putCharacters writes them
    for (const QChar c : text) {
        if (wide)
            put(c.unicode());
        else
            *at++ = char(c.unicode());
    }
}

} // namespace

void putRecord(QByteArray& out, quint16 type, const QByteArray& body)
{
    putU16(out, type);
    putU16(out, quint16(body.size()));
    out.append(body);
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

int widestRow(const TextRows& rows)
{
    qsizetype widest = 0;
    for (const QStringList& row : rows)
        widest = std::max(widest, row.size());
    return int(widest);
}

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

} // namespace marvono::biff::records
