#include "catalogue/ui/addproductdialog.h"

#include "catalogue/ui/picturefiles.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"

#include <QLineEdit>

namespace marvono {

AddProductDialog::AddProductDialog(QWidget* parent)
    : ProductForm(parent, QStringLiteral("frmTJSP"), QStringLiteral("Add a new product"),
                  QStringLiteral("Add a new product"), QStringLiteral(" Add"))
{
    loadCategories();
    for (QLineEdit* box : {m_name, m_inPrice, m_allQty, m_outPrice, m_leastQty})
        box->clear();
}

void AddProductDialog::commit()
{
    const std::optional<ProductValues> typed = checkedValues();
    if (!typed)
        return;
    const AddResult result = addProduct(*typed, m_picturePath->text(), pictureWriter(m_preview->image()));
    switch (result.outcome) {
    case AddOutcome::Duplicate:
        warnDuplicateName();
        return;
    case AddOutcome::DuplicateCode:
        warnDuplicateCode();
        return;
    case AddOutcome::Failed:
        // The typed values stay in the boxes so nothing is lost.
        warn(this, QStringLiteral("error"), QStringLiteral("(TJSP)Add error"));
        return;
    case AddOutcome::Added:
        break;
    }
    close();
    if (ShopWindow* main = ShopWindow::current())
        main->requestRefresh(true);
}

} // namespace marvono
