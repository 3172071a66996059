#pragma once
// Pictures the project draws itself: the placeholder product picture, the program icon and the
// sample catalogue's product pictures.
#include <QColor>
#include <QImage>
#include <QString>

namespace marvono::tools {

QImage placeholderPicture();                                     // 100 x 100, "no picture"
QImage programIcon(int size);                                    // a shop bag with an M
QImage productPicture(const QString& label, const QColor& tint); // 100 x 100 tile with initials

} // namespace marvono::tools
