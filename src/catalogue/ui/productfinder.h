#pragma once
// The main window's search box and low-stock notice: both narrow the product list, so that a
// product is found, and a reorder list made, without scrolling a large catalogue.
#include <QObject>

#include <functional>

class QLabel;
class QLineEdit;
class QWidget;

namespace marvono {

class ShopWindow;
class ProductListModel;

class ProductFinder : public QObject {
    Q_OBJECT
  public:
    // Enter with a code typed or scanned into the box: the code is sold and the answer is true,
    // or it names no product and does not look like a code, and the answer is false.
    using CodeSeller = std::function<bool(const QString& text)>;

    // Places the box (txtSearch) and the notice (lblLowStock) on `tools`, and binds Ctrl+F and
    // Esc on the main window.
    ProductFinder(ShopWindow& main, QWidget* tools, ProductListModel* model, CodeSeller sellCode);

    QLabel* lowStockNotice() const { return m_notice; }

    // Empties the box and leaves the low-stock filter: the whole catalogue shows again.
    void showEverything();
    // The list of the products low on stock (the search box emptied), or everything again when it
    // shows them already.
    void toggleLowStock();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void searchTextChanged(const QString& text);
    // Enter: sells a scanned code at once, else opens the sell dialog for a single match.
    void sellSingleMatch();
    void updateNotice();
    void setLowStockOnly(bool on);
    // The notice looks pressed while the list holds only what it counts.
    void showNoticeState();

    ShopWindow& m_main;
    ProductListModel* m_model;
    CodeSeller m_sellCode;
    QLineEdit* m_search = nullptr;
    QLabel* m_notice = nullptr;
};

} // namespace marvono
