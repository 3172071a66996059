#pragma once
// The quoted-item text format shared by every text file of the program: each item is written
// as a double quote, the text, a double quote and CR LF; readers split at commas and line ends.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace marvono {

// Splits a file's bytes (UTF-8) into items. Quoted items run to the next double quote and keep
// commas, blanks and line ends; unquoted items run to the next comma or line end, trimmed.
// The line end after the last item does not yield an empty item.
QStringList parseQuotedItems(const QByteArray& bytes);

// Each item as a double quote, the text, a double quote, CR LF.
QByteArray formatQuotedItems(const QStringList& items);

// Reads the items of a file; nothing when the file cannot be opened.
std::optional<QStringList> readQuotedItems(const QString& path, QString* error = nullptr);

// Replaces a file atomically: the bytes go to a temporary file in the same folder, which is then
// renamed over the old one, so a failure or a crash leaves either the old or the new file.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Removes the temporary files that writes of writeFileAtomically to `path` left behind when the
// program was killed half-way: "<name>.XXXXXX" beside it, six letters or digits. When the file
// system allows, the temporary file has no name and nothing is left. Only call this while no
// other copy of the program can be writing.
void removeWriteLeftovers(const QString& path);

inline bool writeQuotedItems(const QString& path, const QStringList& items, QString* error = nullptr)
{
    return writeFileAtomically(path, formatQuotedItems(items), error);
}

} // namespace marvono
