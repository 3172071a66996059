#pragma once
// The main window frmMain: product list, details panel, message pane, toolbar and menus.
#include "controls/ui/shopwindow.h"

#include <QMainWindow>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTimer;
class QTreeView;

namespace marvono {

class XPContainer;

class MainWindow : public QMainWindow, public ShopWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The one main window of the run, or nothing before it exists.
    static MainWindow* instance();

    // The load steps; splashInfo is the splash window's label, when there is one. False after
    // "Error!System Init Error" was shown.
    bool load(QLabel* splashInfo = nullptr);

    QMainWindow* mainWindow() override;
    QTreeView* productList() const override;
    QString selectedProductName() const override;
    QStringList currentRowTexts() const override;
    QPlainTextEdit* historyPane() const override;
    QLabel* pictureBox() const override;
    ProductListModel* productModel() const override;
    QComboBox* buyerCombo() const; // cmbTable, never shown
    QTimer* refreshTimer() const;  // Timer1

    // Where the window's outer top-left corner goes on a screen this many pixels wide: centred
    // horizontally when the screen is wider than the window, at the left edge otherwise; top 0.
    static QPoint placementFor(int screenWidth);
    static constexpr QSize kOuterSize{1024, 750};

    // Skins: the next of the twelve themes (after the last, the first) on the four frames.
    void nextTheme();

    // Refills cmbTable and every buyer chooser from qexclient/tables.dat.
    void reloadBuyerCombo() override;
    // Empties LV, disables the window when asked and starts Timer1; the refresh enables it again.
    void requestRefresh(bool disableWindow) override;
    // Fills LV from the database now (the refresh without the timer); false on failure.
    bool fillProductList();

    void runCommand(Command command) override;
    CommandTable& commands();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildFrames();
    // The parts of buildFrames(); the toolbar hands back the two widgets that follow the right edge.
    void buildToolbar(QWidget** exitButton, QWidget** image);
    void buildProductList();
    void buildDetailsPanel();
    void buildMessagePane();
    void showWhereItWorks();
    void buildMenus();
    void applyTheme();
    void refreshFromTimer();
    // With a shop server: refreshes the list when another till changes the catalogue.
    void followOtherTills();
    void otherTillChangedCatalogue();
    // Shows whether the shop server answers; after a failure a refresh is tried again later.
    void noteServerAnswer(bool answered, const QString& error);
    void showServerState();
    void keepOuterSize();
    void queueOuterSizeCheck();
    void followClientArea();
    void placeOnScreen();
    void closeSplash();
    void startUpdater();
    void openHelp();
    void showAbout();
    bool askQuit();
    void endProgram();

    struct Private;
    Private* d;
};

} // namespace marvono
