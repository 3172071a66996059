#pragma once
// Text helpers shared by the login, the settings and the preferences.
#include <QString>

namespace marvono {

// The text without the blanks (spaces only) at its start and end; other white space stays.
QString trimBlanks(const QString& text);

} // namespace marvono
