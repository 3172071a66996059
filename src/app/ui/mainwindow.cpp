#include "app/ui/mainwindow.h"
#include "app/ui/mainwindow_p.h"

#include "app/appcontext.h"
#include "app/instance.h"
#include "app/settings.h"
#include "app/ui/aboutdialog.h"
#include "app/ui/artwork.h"
#include "app/ui/heldkeys.h"
#include "app/ui/helpwindow.h"
#include "bills/buyerlist.h"
#include "bills/ui/billtotal.h"
#include "bills/ui/buyerchooser.h"
#include "catalogue/ui/productfinder.h"
#include "catalogue/ui/productlistmodel.h"
#include "controls/ui/approval.h"
#include "controls/ui/columnfit.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/textsizedelegate.h"
#include "controls/ui/toolbarbutton.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"
#include "data/pglistener.h"
#include "data/pgschema.h"
#include "data/shopserver.h"
#include "sales/ui/scansale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>

namespace marvono {

namespace {
MainWindow* g_instance = nullptr;

QPushButton* placedButton(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    QPushButton* button = makeButton(parent, QString::fromLatin1(name), caption);
    button->setGeometry(place);
    return button;
}

QLabel* placedLabel(QWidget* parent, const char* name, const QString& text, QRect place)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    return label;
}
} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), d(new Private)
{
    g_instance = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Marvono V1.0.1"));
    resize(kOuterSize);
    // Placed before the native window exists, so the window manager puts the frame's corner,
    // not the client area's, at the point: the title bar stays on the screen.
    placeOnScreen();
    buildFrames();
    buildMenus();

    d->timer = new QTimer(this);
    d->timer->setObjectName(QStringLiteral("Timer1"));
    d->timer->setSingleShot(true);
    d->timer->setInterval(200);
    connect(d->timer, &QTimer::timeout, this, &MainWindow::refreshFromTimer);
    d->heldKeys = new HeldKeys(this);
    d->retry = new QTimer(this);
    d->retry->setSingleShot(true);
    connect(d->retry, &QTimer::timeout, this, &MainWindow::otherTillChangedCatalogue);

    // The buyer of scans and sales, in the status bar, and reached by keyboard.
    auto* buyerLabel = new QLabel(QStringLiteral("Buyer (Ctrl+B):"), this);
    buyerLabel->setObjectName(QStringLiteral("lblBuyerChoice"));
    auto* chooser = new BuyerChooser(this);
    chooser->setMinimumContentsLength(12);
    buyerLabel->setBuddy(chooser);
    statusBar()->addWidget(buyerLabel);
    statusBar()->addWidget(chooser);
    auto* billTotal = new BillTotalLabel(this);
    statusBar()->addWidget(billTotal);
    connect(chooser, &BuyerChooser::buyerChanged, billTotal, &BillTotalLabel::refresh);
    auto* focusBuyer = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
    connect(focusBuyer, &QShortcut::activated, chooser, [chooser]() { chooser->setFocus(Qt::ShortcutFocusReason); });

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, &MainWindow::openHelp);

    registerCatalogueCommands(d->commands);
    registerSalesCommands(d->commands);
    registerBillsCommands(d->commands);
    registerReportsCommands(d->commands);
    registerHistoryCommands(d->commands);
    registerSettingsCommands(d->commands);
    registerDataCommands(d->commands);
}

MainWindow::~MainWindow()
{
    if (g_instance == this)
        g_instance = nullptr;
    delete d;
}

MainWindow* MainWindow::instance()
{
    return g_instance;
}

QMainWindow* MainWindow::mainWindow()
{
    return this;
}

void MainWindow::buildFrames()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto frame = [central](const char* name, const QString& caption, QRect place) {
        auto* container = new XPContainer(central, caption);
        container->setObjectName(QString::fromLatin1(name));
        container->setGeometry(place);
        return container;
    };
    d->tools = frame("XPContainer2", QStringLiteral("Tools"), XPContainer::twips(0, 0, 15240, 1185));
    d->food = frame("XPContainer1", QStringLiteral("Food Info"), XPContainer::twips(0, 1200, 9315, 9225));
    d->detail = frame("XPContainer3", QStringLiteral("Product Detail"), XPContainer::twips(9330, 1200, 5895, 2355));
    d->history =
        frame("XPContainer5", QStringLiteral("History && Quick View"), XPContainer::twips(9330, 3570, 5895, 6855));

    QWidget* exitButton = nullptr;
    QWidget* image = nullptr;
    buildToolbar(&exitButton, &image);
    buildProductList();
    buildDetailsPanel();
    buildMessagePane();

    const Qt::Edges moveAcross = Qt::LeftEdge | Qt::RightEdge;
    for (const Anchor& anchor :
         {Anchor{d->tools, {}, Qt::RightEdge}, Anchor{exitButton, {}, moveAcross}, Anchor{image, {}, moveAcross},
          Anchor{d->food, {}, Qt::BottomEdge}, Anchor{d->list, {}, Qt::BottomEdge},
          Anchor{d->detail, {}, Qt::RightEdge}, Anchor{d->history, {}, Qt::RightEdge | Qt::BottomEdge},
          Anchor{d->pane, {}, Qt::RightEdge | Qt::BottomEdge}})
        d->anchors.append({anchor.widget, anchor.widget->geometry(), anchor.follow});
    central->installEventFilter(this);
}

void MainWindow::buildToolbar(QWidget** exitButton, QWidget** image)
{
    // Toolbar: buttons 1005 x 780 twips at top 390; Skins, Update and Exit are the window's own.
    struct Tool {
        const char* name;
        const char* caption;
        int left;
        const char* themeIcon;
        const char* artwork;
    };
    static const Tool tools[] = {{"cmdAdd", "Add New", 60, "list-add", "add"},
                                 {"cmdDel", "Delete", 1050, "edit-delete", "delete"},
                                 {"cmdEdit", "Modify", 2040, "document-properties", "modify"},
                                 {"cmdSale", "Add to cart", 3030, "shopping-cart", "cart"},
                                 {"cmdBill", "Checkout", 4020, "accessories-calculator", "checkout"},
                                 {"cmdJS", "Stat.", 5010, "x-office-spreadsheet", "statistics"},
                                 {"cmdSkins", "Skins", 6000, "preferences-desktop-theme", "skins"},
                                 {"cmdXX", "Setup", 6990, "preferences-system", "setup"},
                                 {"cmdUpdate", "Update", 7980, "system-software-update", "update"},
                                 {"cmdExit", "Exit", 14190, "application-exit", "exit"}};
    QHash<QString, QPushButton*> buttons;
    for (const Tool& tool : tools) {
        auto* button =
            new ToolbarButton(artworkIcon(tool.themeIcon, tool.artwork), QString::fromLatin1(tool.caption), d->tools);
        button->setObjectName(QString::fromLatin1(tool.name));
        button->setAutoDefault(false);
        button->setGeometry(XPContainer::twips(tool.left, 390, 1005, 780));
        buttons.insert(button->objectName(), button);
    }
    auto dispatch = [this, &buttons](const char* name, Command command) {
        connect(buttons.value(QString::fromLatin1(name)), &QPushButton::clicked, this,
                [this, command]() { runCommand(command); });
    };
    dispatch("cmdAdd", Command::AddProduct);
    dispatch("cmdDel", Command::DeleteProductButton);
    dispatch("cmdEdit", Command::ModifyProduct);
    dispatch("cmdSale", Command::SellProduct);
    dispatch("cmdBill", Command::OpenBillEditor);
    dispatch("cmdJS", Command::OpenStatistics);
    dispatch("cmdXX", Command::OpenPreferences);
    connect(buttons.value(QStringLiteral("cmdSkins")), &QPushButton::clicked, this, &MainWindow::nextTheme);
    connect(buttons.value(QStringLiteral("cmdUpdate")), &QPushButton::clicked, this, &MainWindow::startUpdater);
    connect(buttons.value(QStringLiteral("cmdExit")), &QPushButton::clicked, this, [this]() {
        if (askQuit())
            endProgram();
    });

    d->buyers = new QComboBox(d->tools);
    d->buyers->setObjectName(QStringLiteral("cmbTable"));
    d->buyers->setGeometry(XPContainer::twips(9120, 480, 1500, 315));
    d->buyers->hide(); // holds the buyer list for the run; never shown
    // The decorative picture sits at the right of the caption bar, clear of the controls below it.
    const QSize stripe(176, 20);
    auto* picture = placedLabel(d->tools, "Image1", QString(),
                                QRect(QPoint(kDesignClient.width() - stripe.width() - 8, 2), stripe));
    picture->setPixmap(toolbarPicture(stripe));
    *image = picture;
    *exitButton = buttons.value(QStringLiteral("cmdExit"));
}

// The product list, the search box above it and the shop server's state under it.
void MainWindow::buildProductList()
{
    d->list = new QTreeView(d->food);
    d->list->setObjectName(QStringLiteral("LV"));
    d->list->setGeometry(XPContainer::twips(120, 480, 9015, 8580));
    d->model = new ProductListModel(d->list);
    d->list->setModel(d->model);
    d->list->setRootIsDecorated(false);
    d->list->setItemsExpandable(false);
    // Both keep a large catalogue quick to lay out and to fit its columns to, keystroke by keystroke.
    d->list->setUniformRowHeights(true);
    d->list->setItemDelegate(new TextSizeDelegate(d->list));
    d->list->setAllColumnsShowFocus(true);
    d->list->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    d->list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    d->list->header()->setSectionsClickable(false);
    d->list->header()->setStretchLastSection(false);
    d->list->installEventFilter(this);
    keepColumnsFitted(d->list);
    connect(d->list, &QTreeView::clicked, this, [this]() { runCommand(Command::ProductClicked); });
    // The details panel follows the current row however it moves, and the stored values.
    connect(d->list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this]() { runCommand(Command::ProductClicked); });
    connect(d->model, &ProductListModel::filled, this, [this]() { runCommand(Command::ProductListFilled); });
    connect(d->list, &QTreeView::doubleClicked, this, [this]() { runCommand(Command::SellProduct); });
    new ProductFinder(*this, d->tools, d->model,
                      [this](const QString& text) { return sellScannedCode(*this, text) != ScanOutcome::NotACode; });
    // Under the search box, shown only while the shop server does not answer.
    d->serverState = placedLabel(d->tools, "lblServerState", QString(), XPContainer::twips(9120, 915, 4980, 255));
    QPalette red = d->serverState->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    d->serverState->setPalette(red);
    d->serverState->hide();
}

// The picture and the product's name, category, price, quantity and code.
void MainWindow::buildDetailsPanel()
{
    d->picture = placedLabel(d->detail, "picProduct", QString(), XPContainer::twips(150, 450, 1800, 1800));
    d->picture->setScaledContents(true);
    d->picture->hide(); // shown by the first click on a product
    static const char* const captions[][3] = {{"lblNameCaption", "Name:", "lblName"},
                                              {"lblTypeCaption", "Category:", "lblType"},
                                              {"lblPriceCaption", "Retail Price:", "lblPrice"},
                                              {"lblQtyCaption", "Quantity:", "lblQty"}};
    for (int i = 0; i < 4; ++i) {
        const int top = 480 + i * 450;
        placedLabel(d->detail, captions[i][0], QString::fromLatin1(captions[i][1]),
                    XPContainer::twips(2100, top, 1350, 300));
        placedLabel(d->detail, captions[i][2], QStringLiteral("-"), XPContainer::twips(3480, top, 2295, 300));
    }
    // The four rows fill the body: the code shows in line with them on the caption bar.
    d->detail->addCaptionText(QStringLiteral("lblCodeCaption"), QStringLiteral("Code:"),
                              XPContainer::twips(2100, 30, 1350, 300));
    d->detail->addCaptionText(QStringLiteral("lblCode"), QStringLiteral("-"), XPContainer::twips(3480, 30, 2295, 300));
}

// The history pane and its Clear, Print and Save buttons.
void MainWindow::buildMessagePane()
{
    d->pane = new QPlainTextEdit(d->history);
    d->pane->setObjectName(QStringLiteral("txtInfo"));
    d->pane->setGeometry(XPContainer::twips(150, 510, 5595, 5385));
    d->pane->setReadOnly(true);
    struct PaneButton {
        const char* name;
        const char* caption;
        int left;
        Command command;
        Qt::Edges follow; // Clear keeps to the left, Print and Save to the right
    };
    const Qt::Edges down = Qt::TopEdge | Qt::BottomEdge;
    const PaneButton paneButtons[] = {
        {"cmdClear", "Clear", 150, Command::ClearHistoryButton, down},
        {"command3", "Print", 2760, Command::PrintHistory, down | Qt::LeftEdge | Qt::RightEdge},
        {"command1", "Save", 4320, Command::SaveHistory, down | Qt::LeftEdge | Qt::RightEdge}};
    for (const PaneButton& b : paneButtons) {
        QPushButton* button = placedButton(d->history, b.name, QString::fromLatin1(b.caption),
                                           XPContainer::twips(b.left, 6090, 1425, 585));
        const Command command = b.command;
        connect(button, &QPushButton::clicked, this, [this, command]() { runCommand(command); });
        d->anchors.append({button, button->geometry(), b.follow});
    }
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto menu = [bar](const char* name, const char* caption) {
        QMenu* m = bar->addMenu(QString::fromLatin1(caption));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [](QMenu* m, const char* name, const char* caption) {
        QAction* action = m->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    auto command = [this, &item](QMenu* m, const char* name, const char* caption, Command c) {
        connect(item(m, name, caption), &QAction::triggered, this, [this, c]() { runCommand(c); });
    };

    QMenu* file = menu("menuFile", "File(&F)");
    command(file, "menuClearHistory", "Clear History(&C)", Command::ClearHistoryMenu);
    command(file, "menuSaveHistory", "Save History(&S)", Command::SaveHistory);
    file->addSeparator();
    command(file, "menuChangeOperator", "Change operator(&O)", Command::ChangeOperator);
    file->findChild<QAction*>(QStringLiteral("menuChangeOperator"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(item(file, "menuExit", "Exit(&E)"), &QAction::triggered, this, &QWidget::close);

    QMenu* manage = menu("menuManage", "Management(&M)");
    command(manage, "menuAdd", "Add a new product(&A)", Command::AddProduct);
    command(manage, "menuDel", "Delete a product(&D)", Command::DeleteProductMenu);
    command(manage, "menuEdit", "Modify a product(&E)", Command::ModifyProduct);
    command(manage, "menuSale", "Sell a product(&S)", Command::SellProduct);
    manage->addSeparator();
    command(manage, "menuBuyer", "Buyer(&B)", Command::OpenBuyers);
    command(manage, "menuBill", "Bill(&M)", Command::OpenBillEditor);
    command(manage, "menuReceipts", "Receipts(&T)", Command::OpenReceipts);
    command(manage, "menuExportReceipts", "Export receipts(&X)", Command::ExportReceipts);
    manage->addSeparator();
    command(manage, "menuStat", "Statistic(&R)", Command::OpenStatistics);
    manage->addSeparator();
    command(manage, "menuReceive", "Receive stock(&I)", Command::ReceiveStock);
    command(manage, "menuStockMoves", "Stock moves(&V)", Command::OpenStockMoves);
    command(manage, "menuPrintLabels", "Print labels(&L)", Command::PrintLabels);
    command(manage, "menuChangePrices", "Change prices(&G)", Command::ChangePrices);
    command(manage, "menuCloseDay", "Close day(&Y)", Command::CloseDay);
    manage->addSeparator();
    command(manage, "menuImportProducts", "Import products(&P)", Command::ImportProducts);
    command(manage, "menuExportProducts", "Export products(&N)", Command::ExportProducts);
    manage->addSeparator();
    command(manage, "menuOperators", "Operators(&O)", Command::OpenOperators);
    manage->findChild<QAction*>(QStringLiteral("menuOperators"))->setEnabled(runValues().ownerRights);

    QMenu* database = menu("menuDatabase", "Database(&B)");
    command(database, "menuCopy", "Backup(&C)", Command::Backup);
    command(database, "menuRescue", "Recovery(&R)", Command::Recovery);

    QMenu* setup = menu("menuSetup", "Setup(&S)");
    command(setup, "menuPreferences", "Preferences(&P)", Command::OpenPreferences);

    QMenu* help = menu("menuHelp", "Help(&H)");
    connect(item(help, "menuHelpTopics", "Help(&B)"), &QAction::triggered, this, &MainWindow::openHelp);
    help->addSeparator();
    connect(item(help, "menuAbout", "About(&A)"), &QAction::triggered, this, &MainWindow::showAbout);
}

bool MainWindow::load(QLabel* splashInfo)
{
    auto say = [splashInfo](const char* text) {
        if (!splashInfo)
            return;
        splashInfo->setText(QString::fromLatin1(text));
        splashInfo->repaint();
    };
    if (splashInfo)
        d->splash = splashInfo->window();
    say("Graphic...");
    runValues().themeIndex = 0;
    applyTheme();
    say("Loading Data...");

    bool ok = loadSetup();
    showWhereItWorks();
    if (ok) {
        const auto filled = d->model->fill();
        ok = filled.complete;
        if (ok)
            d->model->sortByCategory();
    }
    if (ok) {
        if (QString error; !takeTillBuyer(&error))
            warn(this, QStringLiteral("Warning"),
                 QStringLiteral("This till's own buyer could not be added to the buyer list, so its sales go to "
                                "the first buyer:\r\n") +
                     error);
        reloadBuyerCombo();
        BillTotalLabel::refreshAll();
        placeOnScreen();
        followOtherTills();
    } else {
        warn(this, QStringLiteral("error"), withServerFailure(QStringLiteral("Error!System Init Error")));
    }
    // The splash goes in either case: after a failed load the window is still shown for use.
    closeSplash();
    return ok;
}

void MainWindow::showWhereItWorks()
{
    // Both places look alike on screen: only this line tells a till selling into an old file.
    auto* where = findChild<QLabel*>(QStringLiteral("lblWhere"));
    if (!where) {
        where = new QLabel(this);
        where->setObjectName(QStringLiteral("lblWhere"));
        statusBar()->addPermanentWidget(where);
    }
    where->setText(databaseInUse());
}

QTreeView* MainWindow::productList() const
{
    return d->list;
}
QPlainTextEdit* MainWindow::historyPane() const
{
    return d->pane;
}
QComboBox* MainWindow::buyerCombo() const
{
    return d->buyers;
}
QLabel* MainWindow::pictureBox() const
{
    return d->picture;
}
QTimer* MainWindow::refreshTimer() const
{
    return d->timer;
}
ProductListModel* MainWindow::productModel() const
{
    return d->model;
}
CommandTable& MainWindow::commands()
{
    return d->commands;
}

QString MainWindow::selectedProductName() const
{
    const QModelIndexList rows = d->list->selectionModel()->selectedRows(0);
    if (rows.isEmpty())
        return {};
    int last = rows.first().row();
    for (const QModelIndex& index : rows)
        last = qMax(last, index.row());
    return d->model->cellText(last, ProductListModel::Name);
}

QStringList MainWindow::currentRowTexts() const
{
    const QModelIndex current = d->list->currentIndex();
    if (!current.isValid())
        return {};
    QStringList texts;
    for (int c = 0; c < ProductListModel::ColumnCount; ++c)
        texts.append(d->model->cellText(current.row(), c));
    return texts;
}

void MainWindow::reloadBuyerCombo()
{
    d->buyers->clear();
    d->buyers->addItems(readBuyerList());
    BuyerChooser::reloadAll();
}

void MainWindow::requestRefresh(bool disableWindow)
{
    d->model->clear();
    if (disableWindow) {
        d->heldKeys->hold();
        setEnabled(false);
    }
    d->timer->start();
}

bool MainWindow::fillProductList()
{
    const auto filled = d->model->fill();
    d->model->sortByCategory();
    BillTotalLabel::refreshAll();
    return filled.complete;
}

void MainWindow::refreshFromTimer()
{
    // A statement of this till still waits for the shop server, the window being repainted
    // meanwhile: the refresh follows once it has its answer.
    if (Database::instance().isWaiting()) {
        d->timer->start();
        return;
    }
    // Whatever the fill meets, the refresh ends with the timer off, the list sorted and the
    // window usable again. A product query that fails leaves the embedded file's list empty;
    // a shop server's keeps the last good list and is asked again until it answers.
    const bool replace = std::exchange(d->replaceOnRefresh, false);
    const auto filled = replace ? d->model->refill() : d->model->fill();
    d->timer->stop();
    if (d->listener && Database::instance().isServerMode()) {
        if (!filled.complete)
            d->model->restoreCleared();
        noteServerAnswer(filled.complete, filled.error);
    }
    d->model->sortByCategory();
    // A sale here or at another till refreshes the list, and may have changed the bill. A server
    // that did not answer the list would only be waited for again.
    if (filled.complete)
        BillTotalLabel::refreshAll();
    setEnabled(true);
    d->heldKeys->release();
}

void MainWindow::noteServerAnswer(bool answered, const QString& error)
{
    d->refreshFailed = !answered;
    if (answered) {
        d->retryMs = kFirstRetryMs;
        d->retry->stop();
    } else {
        d->retry->start(d->retryMs);
        d->retryMs = qMin(d->retryMs * 2, kLongestRetryMs);
    }
    d->serverBusy = !answered && Database::instance().serverBusy();
    d->serverState->setToolTip(error);
    showServerState();
}

void MainWindow::showServerState()
{
    d->serverState->setText(d->serverBusy && !d->listenerLost
                                ? QStringLiteral("The shop server is busy: trying again")
                                : QStringLiteral("The shop server cannot be reached: trying again"));
    d->serverState->setVisible(d->refreshFailed || d->listenerLost);
}

void MainWindow::followOtherTills()
{
    QString error;
    const auto server = readShopServerConfig(appFolder(), &error);
    if (!server || d->listener)
        return;
    d->listener = new ServerChangeListener(server->connection, QString::fromLatin1(kProductsChannel), this);
    connect(d->listener, &ServerChangeListener::changed, this, &MainWindow::otherTillChangedCatalogue);
    connect(d->listener, &ServerChangeListener::connectionChanged, this, [this](bool listening) {
        d->listenerLost = !listening;
        showServerState();
    });
}

void MainWindow::otherTillChangedCatalogue()
{
    // The list follows whatever dialog is open: each dialog keeps the product it captured when
    // it opened. A refresh already on its way reads the change too; this till's own writes
    // come back here as well, right after the dialog that made them asked for one.
    if (d->timer->isActive())
        return;
    d->replaceOnRefresh = true;
    d->timer->start();
}

void MainWindow::runCommand(Command command)
{
    if (const char* what = ownerCommandText(command); what && !ownerAllows(this, QString::fromLatin1(what)))
        return;
    d->commands.run(command, *this);
}

void MainWindow::applyTheme()
{
    for (XPContainer* frame : {d->food, d->tools, d->detail, d->history})
        frame->setTheme(runValues().themeIndex);
}

void MainWindow::nextTheme()
{
    qint16& theme = runValues().themeIndex;
    theme = theme >= 11 ? 0 : qint16(theme + 1);
    applyTheme();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == d->list && event->type() == QEvent::FocusOut)
        runCommand(Command::ProductListFocusLost);
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        followClientArea();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace marvono
