#pragma once
// frmTJSP: adds one product with its picture and introduction file.
#include "catalogue/ui/productform.h"

namespace marvono {

class FrmTJSP : public ProductForm {
    Q_OBJECT
  public:
    FrmTJSP();

  protected:
    void accept() override;
};

} // namespace marvono
