#pragma once
// The two options every desktop program answers on its command line.
#include <QString>
#include <QStringList>
#include <optional>

namespace marvono {

// The text to print for --help (-h) or --version, whichever comes first in `arguments` (the
// program's own name first); nothing when neither is there: other arguments are ignored.
std::optional<QString> commandLineAnswer(const QStringList& arguments);

QString versionText();

} // namespace marvono
