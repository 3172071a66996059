#include "artwork.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace marvono::tools {

QImage placeholderPicture()
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(QColor(0xEF, 0xF4, 0xFC));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xAD, 0xC1, 0xDC), 2, Qt::DashLine));
    painter.drawRect(4, 4, 92, 92);
    // A simple framed landscape: the usual sign for "picture".
    painter.setPen(QPen(QColor(0x7A, 0x93, 0xB8), 2));
    painter.drawRect(25, 22, 50, 38);
    QPainterPath hill;
    hill.moveTo(27, 58);
    hill.lineTo(42, 40);
    hill.lineTo(52, 50);
    hill.lineTo(60, 44);
    hill.lineTo(73, 58);
    painter.fillPath(hill, QColor(0xA7, 0xC5, 0xED));
    painter.setBrush(QColor(0xF4, 0xEE, 0xB9));
    painter.drawEllipse(QPointF(63, 31), 4, 4);
    painter.setPen(QColor(0x02, 0x2D, 0x7B));
    painter.setFont(QFont(QStringLiteral("Arial"), 8));
    painter.drawText(QRect(0, 66, 100, 20), Qt::AlignCenter, QStringLiteral("No picture"));
    return image;
}

QImage programIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    QLinearGradient body(0, 16, 0, 60);
    body.setColorAt(0, QColor(0xD3, 0xE0, 0xF7));
    body.setColorAt(1, QColor(0xA7, 0xC5, 0xED));
    painter.setPen(QPen(QColor(0x02, 0x2D, 0x7B), 2));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(8, 18, 48, 42), 6, 6);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(20, 4, 24, 26), 0, 180 * 16);
    painter.setFont(QFont(QStringLiteral("Arial"), 20, QFont::Bold));
    painter.drawText(QRectF(8, 20, 48, 40), Qt::AlignCenter, QStringLiteral("M"));
    return image;
}

QImage productPicture(const QString& label, const QColor& tint)
{
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 100);
    fill.setColorAt(0, tint.lighter(150));
    fill.setColorAt(1, tint);
    painter.fillRect(image.rect(), fill);
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("Arial"), 28, QFont::Bold));
    painter.drawText(image.rect(), Qt::AlignCenter, label.left(2).toUpper());
    return image;
}

} // namespace marvono::tools
