#include "controls/ui/gradient.h"

#include <algorithm>
#include <cstdlib>

namespace marvono {
namespace {

// numerator / denominator rounded to the nearest integer, a half to the even neighbour.
qint64 divideHalfEven(qint64 numerator, qint64 denominator)
{
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    qint64 quotient = numerator / denominator;
    qint64 remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    const qint64 twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && (quotient % 2 != 0)))
        ++quotient;
    return quotient;
}

struct Channels {
    qint64 red, green, blue;
};

Channels split(OleColor value)
{
    // Truncating division and remainder, as the stored colour's arithmetic has it.
    return {value % 256, (value / 256) % 256, (value / 65536) % 256};
}

} // namespace

OleColor resolveOleColor(OleColor value, const QPalette& palette)
{
    if (value >= 0 && value <= 0xFFFFFF)
        return value;
    if (!(value & 0x80000000LL))
        return -1;
    // The low bits are a Windows system-colour index (COLOR_WINDOW is 5, COLOR_BTNFACE 15, ...),
    // not a palette role: each index goes to the palette colour with the same job.
    struct SystemColour {
        qint64 index;
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    static constexpr SystemColour kSystemColours[] = {
        {2, QPalette::Active, QPalette::Highlight},    {3, QPalette::Active, QPalette::Mid},
        {5, QPalette::Active, QPalette::Window},       {8, QPalette::Active, QPalette::WindowText},
        {13, QPalette::Active, QPalette::Highlight},   {14, QPalette::Active, QPalette::HighlightedText},
        {15, QPalette::Active, QPalette::Button},      {16, QPalette::Active, QPalette::Dark},
        {17, QPalette::Disabled, QPalette::Text},      {18, QPalette::Active, QPalette::ButtonText},
        {20, QPalette::Active, QPalette::Light},       {23, QPalette::Active, QPalette::ToolTipText},
        {24, QPalette::Active, QPalette::ToolTipBase},
    };
    const qint64 index = value & 0x7FFFFFFFLL;
    for (const SystemColour& entry : kSystemColours) {
        if (entry.index == index) {
            const QColor c = palette.color(entry.group, entry.role);
            return oleRgb(c.red(), c.green(), c.blue());
        }
    }
    return -1;
}

QColor toQColor(OleColor resolved)
{
    const Channels c = split(resolved);
    return QColor(int(std::clamp<qint64>(c.red, 0, 255)), int(std::clamp<qint64>(c.green, 0, 255)),
                  int(std::clamp<qint64>(c.blue, 0, 255)));
}

QColor gradientRow(OleColor light, OleColor dark, int steps, int row)
{
    const Channels l = split(light);
    const Channels d = split(dark);
    const qint64 denominator = steps > 1 ? steps - 1 : 1;
    const qint64 k = steps > 1 ? row : 0;
    auto channel = [&](qint64 from, qint64 to) {
        return std::clamp<qint64>(divideHalfEven(from * denominator - k * (from - to), denominator), 0, 255);
    };
    return QColor(int(channel(l.red, d.red)), int(channel(l.green, d.green)), int(channel(l.blue, d.blue)));
}

} // namespace marvono
