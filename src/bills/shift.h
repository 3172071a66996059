#pragma once
// An operator's shift: it opens with the first sale, with the cash then put in the drawer (the
// float), and lasts until the next day close. A shift is the operator name's, whatever the till:
// an operator selling at two tills is asked at the first sale of either, and counts both drawers
// as one at the close. No widgets.
#include "app/numbers.h"

#include <QString>
#include <optional>

namespace marvono {

// An amount of cash typed by the operator: a decimal number with "." whatever the locale, 0 or
// more; nothing for an empty box, a text that is no number or below 0.
std::optional<Currency> readCashAmount(const QString& text);

// Whether the operator (blanks trimmed) has a shift open: one that no close has ended; nothing,
// with the reason, when that cannot be read.
std::optional<bool> hasOpenShift(const QString& operatorName, QString* error = nullptr);

// Opens a shift for the operator (blanks trimmed) with the float in the drawer; false, with the
// reason, when the database refuses. Floats given at two tills at once both count.
bool openShift(const QString& operatorName, Currency cashFloat, QString* error = nullptr);

} // namespace marvono
