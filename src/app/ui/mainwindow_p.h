#pragma once
// The state shared by the files that make up the main window.
#include "app/ui/mainwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QTreeView>

namespace marvono {

class HeldKeys;
class ProductListModel;
class ServerChangeListener;
class XPContainer;

// Tries to reach a shop server that did not answer a refresh wait this long at first, twice as
// long each further time, up to the longest.
constexpr int kFirstRetryMs = 1000;
constexpr int kLongestRetryMs = 8000;

// A control whose edges follow the client area's right and bottom edges when that area differs
// from the designed one: the frames then fill the window whatever its title bar and borders take.
struct Anchor {
    QWidget* widget;
    QRect design;
    Qt::Edges follow;
};

// The client area the frames were designed for.
constexpr QSize kDesignClient{1016, 695};

struct MainWindow::Private {
    CommandTable commands;
    QList<Anchor> anchors;
    XPContainer* tools = nullptr;   // XPContainer2
    XPContainer* food = nullptr;    // XPContainer1
    XPContainer* detail = nullptr;  // XPContainer3
    XPContainer* history = nullptr; // XPContainer5
    QTreeView* list = nullptr;
    ProductListModel* model = nullptr;
    QPlainTextEdit* pane = nullptr;
    QComboBox* buyers = nullptr;
    QLabel* picture = nullptr;
    QTimer* timer = nullptr;
    QTimer* retry = nullptr;      // refreshes again after the shop server did not answer
    HeldKeys* heldKeys = nullptr; // typed while the window waits for its refresh
    QLabel* serverState = nullptr;
    ServerChangeListener* listener = nullptr;
    int retryMs = kFirstRetryMs;
    bool replaceOnRefresh = false; // the refresh lists the products in place of the shown ones
    bool refreshFailed = false;
    bool serverBusy = false;
    bool listenerLost = false;
    QPointer<QWidget> splash;
    bool quitting = false;
    bool sizeCheckQueued = false;
};

} // namespace marvono
