#pragma once
// Compound (OLE2) files, the container of Excel 97-2003 workbooks, read and written with libgsf.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace marvono::ole {

// The name of the stream that holds a BIFF8 workbook.
inline const QString kWorkbookStream = QStringLiteral("Workbook");

// A compound file holding one stream `name` with `contents`.
std::optional<QByteArray> singleStreamFile(const QString& name, const QByteArray& contents, QString* error = nullptr);

// Turns the top-level stream `name` (letter case ignored) of a compound file through `change`,
// keeping every other stream and storage; `change` returns nothing to give up. Nothing, and an
// error text, when the file is not a compound file or has no such stream.
using StreamChange = std::function<std::optional<QByteArray>(const QByteArray&, QString*)>;
std::optional<QByteArray> changeStream(const QByteArray& file, const QString& name, const StreamChange& change,
                                       QString* error = nullptr);

} // namespace marvono::ole
