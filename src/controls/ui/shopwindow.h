#pragma once
// What the main window offers the windows and commands around it: its product list, details
// panel and message pane, its refresh and its commands. The windows of every subsystem reach the
// main window through this interface, so they need not know the main window's class.
#include "controls/ui/commands.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QTreeView;

namespace marvono {

class ProductListModel;

class ShopWindow {
  public:
    // The shop window of the run, or nothing while there is none (a window opened on its own).
    static ShopWindow* current();

    virtual QMainWindow* mainWindow() = 0;
    virtual QTreeView* productList() const = 0; // LV
    // First-column text of the last selected row of LV, empty when no row is selected.
    virtual QString selectedProductName() const = 0;
    // The seven cell texts of the current row of LV, empty when there is none.
    virtual QStringList currentRowTexts() const = 0;
    virtual QPlainTextEdit* historyPane() const = 0;    // txtInfo
    virtual QLabel* pictureBox() const = 0;             // picProduct
    virtual ProductListModel* productModel() const = 0; // the model behind LV

    // Refills the buyer choosers from the stored buyer list.
    virtual void reloadBuyerCombo() = 0;
    // Empties LV, disables the window when asked and refreshes the list shortly after.
    virtual void requestRefresh(bool disableWindow) = 0;
    virtual void runCommand(Command command) = 0;

  protected:
    // The newest shop window becomes the current one until it is destroyed.
    ShopWindow();
    virtual ~ShopWindow();
    ShopWindow(const ShopWindow&) = delete;
    ShopWindow& operator=(const ShopWindow&) = delete;
};

} // namespace marvono
