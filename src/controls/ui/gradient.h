#pragma once
// Colour values as the themed panels store them, and their gradient rule.
#include <QColor>
#include <QPalette>
#include <QtGlobal>

namespace marvono {

// A stored colour: red + 256 * green + 65536 * blue; a value with the high bit set names a
// system colour by its Windows index (5 window, 15 button face, ...), resolved through the palette
// colour of the same job (-1 for an index without one).
using OleColor = qint64;

constexpr OleColor oleRgb(int red, int green, int blue)
{
    return OleColor(red) + 256 * OleColor(green) + 65536 * OleColor(blue);
}
constexpr OleColor oleFromHex(quint32 rgb) // #RRGGBB
{
    return oleRgb(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

OleColor resolveOleColor(OleColor value, const QPalette& palette);
QColor toQColor(OleColor resolved);

// Colour of row `row` (0 = the light colour) of a gradient whose step is computed from `steps`
// rows: each channel moves by (light - dark) / (steps - 1), kept exact, rounded half to even.
QColor gradientRow(OleColor light, OleColor dark, int steps, int row);

} // namespace marvono
