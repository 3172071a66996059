#include "catalogue/ui/modifyproductdialog.h"

#include "catalogue/taxrates.h"
#include "catalogue/ui/picturefiles.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"

#include <QFileInfo>
#include <QLineEdit>

namespace marvono {

ModifyProductDialog::ModifyProductDialog(QWidget* parent)
    : ProductForm(parent, QStringLiteral("frmXGSP"), QStringLiteral("XGSP"), QStringLiteral("Modify a product"),
                  QStringLiteral(" Update"))
{
    m_oldName = new QLineEdit(m_frame);
    m_oldName->setObjectName(QStringLiteral("Text1"));
    m_oldName->hide();
    m_pictureNumber = new QLineEdit(m_frame);
    m_pictureNumber->setObjectName(QStringLiteral("txtpp"));
    m_pictureNumber->hide();

    if (ShopWindow* main = ShopWindow::current())
        m_oldName->setText(main->selectedProductName());
    loadCategories();
    const StoredProduct product = findProduct(m_oldName->text());
    if (!product.found)
        return;
    setValues(product.values);
    loadTaxRates(productTaxRate(product.rowKey).value_or(0));
    m_loadedRemaining = product.values.leastQty;
    m_pictureNumber->setText(product.pictureNumber);
    m_picturePath->setText(pictureFilePath(product.pictureNumber));
    if (QFileInfo::exists(m_picturePath->text()))
        m_preview->setImage(loadPicture(m_picturePath->text()));
}

void ModifyProductDialog::commit()
{
    // Without a product the boxes hold their design texts, and the update changes no product.
    const std::optional<ProductValues> typed =
        m_loadedRemaining ? checkedValues() : std::optional<ProductValues>(values());
    if (!typed)
        return;
    const ModifyResult result =
        modifyProduct(m_oldName->text(), *typed, m_pictureNumber->text(), !m_picturePath->text().isEmpty(),
                      pictureWriter(m_preview->image()), m_loadedRemaining);
    if (result.duplicate) {
        warnDuplicateName();
        return;
    }
    if (result.duplicateCode) {
        warnDuplicateCode();
        return;
    }
    if (!result.ok) {
        // Nothing was stored: keep the dialog and its boxes rather than lose the edit.
        warn(this, QStringLiteral("error"), QStringLiteral("(XGSP)Update error"));
        return;
    }
    if (ShopWindow* main = ShopWindow::current()) {
        followRenamedProduct(*main, m_oldName->text(), typed->name);
        main->requestRefresh(true);
    }
    close();
}

} // namespace marvono
