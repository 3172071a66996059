#pragma once
// frmTJSP: adds one product with its picture and introduction file.
#include "catalogue/ui/productform.h"

namespace marvono {

class AddProductDialog : public ProductForm {
    Q_OBJECT
  public:
    explicit AddProductDialog(QWidget* parent = nullptr);

  protected:
    void commit() override;
};

} // namespace marvono
