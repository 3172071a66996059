#pragma once
// A number a list model may hand out for a cell's display text, so that views can keep what they
// measured of a text by that number instead of asking for and hashing the text itself.
#include <Qt>

namespace marvono {

// The number (a quint64) names the cell's display text: the model hands out the same number for
// as long as the text stays the same, and never the same number for another text of that model.
// A model that does not answer this role is measured by its texts.
constexpr int kTextKeyRole = Qt::UserRole + 0x7e10;

} // namespace marvono
