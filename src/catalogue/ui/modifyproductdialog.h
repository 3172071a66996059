#pragma once
// frmXGSP: changes the product that was selected in the main list when the dialog opened.
#include "catalogue/ui/productform.h"

#include <optional>

namespace marvono {

class ModifyProductDialog : public ProductForm {
    Q_OBJECT
  public:
    explicit ModifyProductDialog(QWidget* parent = nullptr);

  protected:
    void commit() override;

  private:
    QLineEdit* m_oldName;       // Text1: the key of the edit, fixed at open
    QLineEdit* m_pictureNumber; // txtpp
    std::optional<QString> m_loadedRemaining;
};

} // namespace marvono
