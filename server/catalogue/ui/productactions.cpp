#include "catalogue/ui/productactions.h"

#include "app/ui/frmmain.h"
#include "catalogue/productfiles.h"
#include "controls/ui/dialogs.h"

#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QTreeView>

namespace marvono {

void deleteSelectedProduct(FrmMain& main, DeleteMode mode)
{
    const bool button = mode == DeleteMode::WithPicture;
    if (!confirm(&main, button ? QStringLiteral("Confirm") : QStringLiteral("Warning"),
                 QStringLiteral("Are you sure to delete this product ?")))
        return;
    const DeleteResult result = deleteProduct(main.selectedProductName(), mode);
    if (result.rowDeleted)
        main.requestRefresh(false);
    if (!result.ok)
        warn(&main, QStringLiteral("error"),
             button ? QStringLiteral("(MAIN)Delete error") : QStringLiteral("(main)Delete error"));
}

void showProductDetails(FrmMain& main)
{
    const QAbstractItemModel* model = main.productList()->model();
    if (!model || model->rowCount() == 0)
        return;
    // Product Name, Retail Price, Remaining Quantity, Category and Pic No. as the list shows them.
    const QStringList cells = main.currentRowTexts();
    if (cells.size() < 7)
        return;

    QLabel* picture = main.pictureBox();
    picture->setVisible(true);
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
        if (auto* label = main.findChild<QLabel*>(QLatin1String(name)))
            label->setText(text);
    };
    setLabel("lblName", cells[0]);
    setLabel("lblType", cells[5]);
    setLabel("lblPrice", cells[3]);
    setLabel("lblQty", cells[4]);
}

void hideProductPicture(FrmMain& main)
{
    main.pictureBox()->hide();
}

void clearProductDetails(FrmMain& main)
{
    main.pictureBox()->hide();
    main.pictureBox()->clear();
    for (const char* name : {"lblName", "lblType", "lblPrice", "lblQty"}) {
        if (auto* label = main.findChild<QLabel*>(QLatin1String(name)))
            label->setText(QStringLiteral("-"));
    }
}

} // namespace marvono
