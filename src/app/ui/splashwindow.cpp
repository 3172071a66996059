#include "app/ui/splashwindow.h"

#include "controls/ui/xpcontainer.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace marvono {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Marvono"));
    setFixedSize(XPContainer::twips(0, 0, 6000, 3300).size());
    m_info = new QLabel(QStringLiteral("Initialize..."), this);
    m_info->setObjectName(QStringLiteral("lblinfo"));
    m_info->setGeometry(XPContainer::twips(360, 2760, 5280, 300));
    QPalette infoPalette = m_info->palette();
    infoPalette.setColor(QPalette::WindowText, Qt::white);
    m_info->setPalette(infoPalette);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(0x2a, 0x5d, 0xb0));
    background.setColorAt(1, QColor(0x0b, 0x24, 0x54));
    painter.fillRect(rect(), background);

    // A stack of parcels as the shop's mark.
    const QColor box(0xf2, 0xc1, 0x4e);
    painter.setPen(QPen(QColor(0x8a, 0x5a, 0x12), 2));
    painter.setBrush(box);
    painter.drawRoundedRect(QRectF(32, 70, 56, 44), 4, 4);
    painter.drawRoundedRect(QRectF(94, 70, 56, 44), 4, 4);
    painter.drawRoundedRect(QRectF(62, 24, 56, 44), 4, 4);

    painter.setPen(Qt::white);
    QFont title(QStringLiteral("Arial"), 26, QFont::Bold);
    painter.setFont(title);
    painter.drawText(QRectF(170, 34, width() - 180, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Marvono"));
    painter.setFont(QFont(QStringLiteral("Arial"), 10));
    painter.drawText(QRectF(172, 80, width() - 180, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Stock, sales and bills for the shop"));
    painter.drawText(QRectF(172, 102, width() - 180, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("V1.0.1"));
    painter.setPen(QColor(255, 255, 255, 90));
    painter.drawLine(24, 172, width() - 24, 172);
}

} // namespace marvono
