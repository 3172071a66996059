#include "catalogue/ui/productactions.h"

#include "catalogue/ui/picturefiles.h"
#include "catalogue/ui/productlistmodel.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"

#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPixmap>
#include <QTreeView>
#include <algorithm>

namespace marvono {

void deleteSelectedProduct(ShopWindow& main, DeleteMode mode)
{
    const bool button = mode == DeleteMode::WithPicture;
    if (!confirm(main.mainWindow(), button ? QStringLiteral("Confirm") : QStringLiteral("Warning"),
                 QStringLiteral("Are you sure to delete this product ?")))
        return;
    const DeleteResult result = deleteProduct(main.selectedProductName(), mode);
    if (result.rowDeleted)
        main.requestRefresh(false);
    if (!result.ok)
        warn(main.mainWindow(), QStringLiteral("error"),
             button ? QStringLiteral("(MAIN)Delete error") : QStringLiteral("(main)Delete error"));
}

QStringList selectedProductNames(ShopWindow& main)
{
    QModelIndexList rows = main.productList()->selectionModel()->selectedRows(0);
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList names;
    for (const QModelIndex& index : rows)
        names.append(main.productModel()->cellText(index.row(), ProductListModel::Name));
    return names;
}

bool productChosen(ShopWindow& main)
{
    if (main.productList()->selectionModel()->hasSelection())
        return true;
    warn(main.mainWindow(), QStringLiteral("Warning"), QStringLiteral("Please choose a product in the list first."));
    return false;
}

namespace {

// The panel remembers the product it shows by name, also when the list no longer shows it.
constexpr char kShownProduct[] = "shownProduct";

QLabel* valueLabel(ShopWindow& main, const char* name)
{
    return main.mainWindow()->findChild<QLabel*>(QLatin1String(name));
}

// Product Name, Retail Price, Remaining Quantity, Category and Pic No. as the list shows them,
// then the code.
void showDetails(ShopWindow& main, const QStringList& cells)
{
    QLabel* picture = main.pictureBox();
    const QString file = pictureFilePath(cells[6]);
    const QImage image = loadPicture(QFileInfo::exists(file) ? file : placeholderPicturePath());
    // Without a readable picture (nor placeholder) the box is empty: the previous product's
    // picture beside this product's name would mislead.
    if (image.isNull()) {
        picture->clear();
    } else {
        const QSize box = picture->contentsRect().size();
        QPixmap pixmap = QPixmap::fromImage(image);
        if (!box.isEmpty())
            pixmap = pixmap.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picture->setPixmap(pixmap);
    }

    const auto setLabel = [&main](const char* name, const QString& text) {
        if (QLabel* label = valueLabel(main, name))
            label->setText(text);
    };
    setLabel("lblName", cells[0]);
    setLabel("lblType", cells[5]);
    setLabel("lblPrice", cells[3]);
    setLabel("lblQty", cells[4]);
    setLabel("lblCode", cells.value(7).isEmpty() ? QStringLiteral("-") : cells.value(7));
    if (QLabel* name = valueLabel(main, "lblName"))
        name->setProperty(kShownProduct, cells[0]);
}

} // namespace

void showProductDetails(ShopWindow& main)
{
    const QAbstractItemModel* model = main.productList()->model();
    if (!model || model->rowCount() == 0)
        return;
    QStringList cells = main.currentRowTexts();
    if (cells.size() < 7)
        return;
    cells.append(main.productModel()->code(main.productList()->currentIndex().row()));
    main.pictureBox()->setVisible(true);
    showDetails(main, cells);
}

void refreshProductDetails(ShopWindow& main)
{
    QLabel* name = valueLabel(main, "lblName");
    if (!name || !name->property(kShownProduct).isValid())
        return;
    const QStringList cells = main.productModel()->productTexts(name->property(kShownProduct).toString());
    if (cells.size() < 7)
        clearProductDetails(main);
    else
        showDetails(main, cells);
}

void showNamedProduct(ShopWindow& main, const QString& name)
{
    if (QLabel* label = valueLabel(main, "lblName"))
        label->setProperty(kShownProduct, name);
    main.pictureBox()->setVisible(true);
    // A list emptied for its refresh shows the product when it is filled again.
    const QStringList cells = main.productModel()->productTexts(name);
    if (cells.size() >= 7)
        showDetails(main, cells);
}

void followRenamedProduct(ShopWindow& main, const QString& oldName, const QString& newName)
{
    QLabel* name = valueLabel(main, "lblName");
    if (name && name->property(kShownProduct) == oldName)
        name->setProperty(kShownProduct, newName);
}

void hideProductPicture(ShopWindow& main)
{
    main.pictureBox()->hide();
}

void clearProductDetails(ShopWindow& main)
{
    main.pictureBox()->hide();
    main.pictureBox()->clear();
    for (const char* name : {"lblName", "lblType", "lblPrice", "lblQty", "lblCode"}) {
        if (QLabel* label = valueLabel(main, name))
            label->setText(QStringLiteral("-"));
    }
    if (QLabel* name = valueLabel(main, "lblName"))
        name->setProperty(kShownProduct, QVariant());
}

} // namespace marvono
