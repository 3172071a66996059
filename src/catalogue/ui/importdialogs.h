#pragma once
// The windows of importing the catalogue from a CSV file and exporting it: the mapping of the
// file's columns to the product fields, and the preview of what each row will do.
#include "catalogue/catalogueimport.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QTreeWidget;

namespace marvono {

class ShopWindow;

// Chooses for each product field the file's column it is read from.
class ImportMappingDialog : public QDialog {
    Q_OBJECT
  public:
    ImportMappingDialog(const QStringList& header, const ImportMapping& mapping, QWidget* parent);
    ImportMapping mapping() const;

  private:
    void accept() override;
    QList<QComboBox*> m_columns; // one per field, item 0 "(not in the file)"
};

// Lists every row of the file with what the import will do to it.
class ImportPreviewDialog : public QDialog {
    Q_OBJECT
  public:
    // exec() answers Accepted for Import, kChangeMapping for the Mapping button.
    static constexpr int kChangeMapping = 2;
    ImportPreviewDialog(const CatalogueFile& file, const ImportPlan& plan, QWidget* parent);

  private:
    QTreeWidget* m_rows;
};

// The Management menu's commands: asks for the file, then imports or exports.
void importProducts(ShopWindow& main);
void exportProducts(ShopWindow& main);

} // namespace marvono
