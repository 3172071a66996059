#pragma once
// A number a list model may hand out for a cell's display text, so that views can keep what they
// measured of a text by that number instead of asking for and hashing the text itself.
#include <QString>
#include <Qt>

namespace marvono {

// The number (a quint64) names the cell's display text: the model hands out the same number for
// as long as the text stays the same, and never the same number for another text of that model.
// A model that does not answer this role is measured by its texts.
constexpr int kTextKeyRole = Qt::UserRole + 0x7e10;

// A number (a quint64) for the shape of a cell's display text: two texts of that model share it
// only when they differ in nothing but which of the digits 0-9 stand where. Views that measure
// such texts as alike (digits of one width) keep one size per shape and spare making the text.
constexpr int kTextShapeKeyRole = Qt::UserRole + 0x7e11;

// `text` with every digit 1-9 made 0: the texts of one shape share it. Written into `out`,
// whose buffer is reused.
inline void digitShape(const QString& text, QString& out)
{
    out.resize(text.size());
    QChar* to = out.data();
    for (const QChar ch : text)
        *to++ = ch >= QLatin1Char('1') && ch <= QLatin1Char('9') ? QLatin1Char('0') : ch;
}

} // namespace marvono
