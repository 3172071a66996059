// Where the main window sits and how its frames follow the client area it is given.
#include "app/ui/mainwindow_p.h"

#include <QGuiApplication>
#include <QScreen>

namespace marvono {

void MainWindow::followClientArea()
{
    const QSize grow = centralWidget()->size() - kDesignClient;
    for (const Anchor& anchor : std::as_const(d->anchors)) {
        QRect place = anchor.design;
        if (anchor.follow & Qt::LeftEdge)
            place.setLeft(place.left() + grow.width());
        if (anchor.follow & Qt::RightEdge)
            place.setRight(place.right() + grow.width());
        if (anchor.follow & Qt::TopEdge)
            place.setTop(place.top() + grow.height());
        if (anchor.follow & Qt::BottomEdge)
            place.setBottom(place.bottom() + grow.height());
        anchor.widget->setGeometry(place);
    }
}

QPoint MainWindow::placementFor(int screenWidth)
{
    const int width = kOuterSize.width();
    return QPoint(screenWidth > width ? (screenWidth - width) / 2 : 0, 0);
}

namespace {

// The room a window has on the screen it is on, or on the primary one before it has a screen.
QRect screenRoom(const QScreen* where, bool available)
{
    if (!where)
        where = QGuiApplication::primaryScreen();
    return where ? (available ? where->availableGeometry() : where->geometry()) : QRect();
}

// The designed outer size, or the screen's free room where that is smaller (a netbook's 1024x600
// less its panel), so that no part of the window is out of reach.
QSize outerSizeIn(const QRect& room)
{
    return room.isEmpty() ? MainWindow::kOuterSize : MainWindow::kOuterSize.boundedTo(room.size());
}

} // namespace

void MainWindow::placeOnScreen()
{
    const QRect room = screenRoom(screen(), true);
    if (outerSizeIn(room) != kOuterSize)
        move(placementFor(room.width()) + room.topLeft());
    else if (const QRect whole = screenRoom(screen(), false); !whole.isEmpty())
        move(placementFor(whole.width()) + whole.topLeft());
    keepOuterSize();
}

void MainWindow::keepOuterSize()
{
    d->sizeCheckQueued = false;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QSize frame = frameGeometry().size() - size();
    const QSize target = outerSizeIn(screenRoom(screen(), true)) - frame;
    if (size() != target)
        resize(target);
}

void MainWindow::queueOuterSizeCheck()
{
    if (!d->sizeCheckQueued) {
        d->sizeCheckQueued = true;
        QMetaObject::invokeMethod(this, &MainWindow::keepOuterSize, Qt::QueuedConnection);
    }
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    queueOuterSizeCheck();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // A window manager frames the window after it is shown and then moves it inside the frame:
    // only now is the frame's size known, and with it the client size that keeps the outer one.
    queueOuterSizeCheck();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The window frame is known only now; its outer size must still be the fixed one.
    QMetaObject::invokeMethod(this, &MainWindow::keepOuterSize, Qt::QueuedConnection);
    if (d->splash)
        QMetaObject::invokeMethod(this, &MainWindow::closeSplash, Qt::QueuedConnection);
}

void MainWindow::closeSplash()
{
    // Closing the splash while this window is still hidden would leave no window on screen,
    // which ends the program; it then goes once this window shows.
    if (!d->splash || d->splash == this || !isVisible())
        return;
    d->splash->close();
    d->splash = nullptr;
}

} // namespace marvono
