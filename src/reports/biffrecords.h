#pragma once
// The record layer under biff.h: record types, the limits of the format, and the writers of the
// records a new workbook or an appended cell table is made of. Only biff.cpp includes this.
#include "reports/biff.h"

namespace marvono::biff::records {

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

inline constexpr quint16 kBiff8 = 0x0600;
inline constexpr quint16 kGlobalsSubstream = 0x0005;
inline constexpr quint16 kWorksheetSubstream = 0x0010;
inline constexpr quint16 kAnySubstream = 0xFFFF;
inline constexpr qsizetype kMaxRecordBody = 8224;
inline constexpr int kMaxColumns = 256;
inline constexpr quint16 kCellXf = 15;  // the first cell format; 0 to 14 are style formats
inline constexpr size_t kRowBlock = 32; // rows per block, each block's ROW records ahead of its cells
inline constexpr int kMaxNesting = 8;

void putRecord(QByteArray& out, quint16 type, const QByteArray& body);
// The workbook globals, each sheet's entry pointing at its position (0 where none is given yet).
QByteArray globals(const std::vector<biff::Sheet>& sheets, const std::vector<quint32>& positions);
QByteArray dimensionsBody(quint32 firstRow, quint32 rowLimit, quint16 firstColumn, quint16 columnLimit);
int widestRow(const TextRows& rows);
// ROW records and LABEL cells for `rows` from `firstRow` on; empty texts are left as blank cells.
QByteArray cellTable(int firstRow, const TextRows& rows);
// A whole worksheet substream holding `rows` from its first row on.
QByteArray worksheet(const TextRows& rows);

} // namespace marvono::biff::records
