#pragma once
// Comma-separated text as spreadsheets write it (RFC 4180): fields may be quoted, and a quoted
// field may hold the delimiter, doubled quotes and line breaks. Reads UTF-8 or Latin-1 files with
// a comma, semicolon or tab between fields; writes UTF-8 with commas and CR LF.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace marvono {

struct CsvTable {
    QList<QStringList> rows; // the header row first, when the file has one; blank lines left out
    QChar delimiter = u',';
    bool latin1 = false; // the bytes were not UTF-8 and were read as Latin-1
};

// The bytes as text: UTF-8 (a byte order mark skipped) when they are valid UTF-8, Latin-1
// otherwise, since every byte sequence is valid Latin-1.
QString decodeCsvBytes(const QByteArray& bytes, bool* latin1 = nullptr);

// The delimiter of the first record: whichever of comma, semicolon and tab occurs most often
// outside quotes; a comma when none does.
QChar detectCsvDelimiter(QStringView text);

// The records of the text. Line ends are CR LF, LF or CR; a record of one empty field (a blank
// line) is left out.
QList<QStringList> parseCsv(QStringView text, QChar delimiter);

// Decodes, detects the delimiter and parses a file's bytes.
CsvTable readCsv(const QByteArray& bytes);
std::optional<CsvTable> readCsvFile(const QString& path, QString* error = nullptr);

// One record: fields quoted only when they hold the delimiter, a quote or a line break (or begin
// or end with a blank), CR LF after it.
QString csvRecord(const QStringList& fields, QChar delimiter = u',');

} // namespace marvono
