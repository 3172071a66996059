#include "catalogue/ui/importdialogs.h"

#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace marvono {
namespace {

QString actionText(RowAction action)
{
    switch (action) {
    case RowAction::New:
        return QStringLiteral("New");
    case RowAction::Update:
        return QStringLiteral("Update");
    case RowAction::Unchanged:
        return QStringLiteral("Unchanged");
    case RowAction::Refused:
        break;
    }
    return QStringLiteral("Refused");
}

QString summary(const ImportPlan& plan)
{
    return QStringLiteral("%1 new, %2 to update, %3 unchanged, %4 refused")
        .arg(plan.count(RowAction::New))
        .arg(plan.count(RowAction::Update))
        .arg(plan.count(RowAction::Unchanged))
        .arg(plan.count(RowAction::Refused));
}

QString csvFilters()
{
    return QStringLiteral("CSV file(*.csv)|*.csv|Text file(*.txt)|*.txt");
}

} // namespace

ImportMappingDialog::ImportMappingDialog(const QStringList& header, const ImportMapping& mapping, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgImportMapping"));
    setWindowTitle(QStringLiteral("Import products: columns"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Choose the column of the file each product field is read from."), this);
    intro->setObjectName(QStringLiteral("lblMappingIntro"));
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    for (int field = 0; field < kImportFields; ++field) {
        auto* box = new QComboBox(this);
        box->setObjectName(QStringLiteral("cmbColumn%1").arg(field));
        box->addItem(QStringLiteral("(not in the file)"));
        box->addItems(header);
        box->setCurrentIndex(mapping[size_t(field)] + 1);
        form->addRow(importFieldTitle(ImportField(field)) + QStringLiteral(":"), box);
        m_columns.append(box);
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("btnsMapping"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Preview"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ImportMapping ImportMappingDialog::mapping() const
{
    ImportMapping mapping;
    for (int field = 0; field < kImportFields; ++field)
        mapping[size_t(field)] = m_columns[field]->currentIndex() - 1;
    return mapping;
}

void ImportMappingDialog::accept()
{
    if (mapping()[size_t(ImportField::Name)] < 0) {
        warn(this, QStringLiteral("Warning"), QStringLiteral("Choose the column that holds the product names."));
        return;
    }
    QDialog::accept();
}

ImportPreviewDialog::ImportPreviewDialog(const CatalogueFile& file, const ImportPlan& plan, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgImportPreview"));
    setWindowTitle(QStringLiteral("Import products: preview"));
    resize(760, 420);
    auto* layout = new QVBoxLayout(this);
    auto* about = new QLabel(QStringLiteral("%1 (%2, %3): %4")
                                 .arg(QFileInfo(file.path).fileName(),
                                      file.latin1 ? QStringLiteral("Latin-1") : QStringLiteral("UTF-8"),
                                      file.delimiter == u';'    ? QStringLiteral("semicolons")
                                      : file.delimiter == u'\t' ? QStringLiteral("tabs")
                                                                : QStringLiteral("commas"),
                                      summary(plan)),
                             this);
    about->setObjectName(QStringLiteral("lblPreviewSummary"));
    layout->addWidget(about);

    m_rows = new QTreeWidget(this);
    m_rows->setObjectName(QStringLiteral("lvPreview"));
    m_rows->setRootIsDecorated(false);
    m_rows->setUniformRowHeights(true);
    m_rows->setHeaderLabels({QStringLiteral("Row"), QStringLiteral("Action"), QStringLiteral("Name"),
                             QStringLiteral("Code"), QStringLiteral("Retail price"), QStringLiteral("Reason")});
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(plan.rows.size()));
    for (const PlannedRow& row : plan.rows) {
        auto* item = new QTreeWidgetItem({QString::number(row.row), actionText(row.action), row.values.name,
                                          row.values.code, row.values.outPrice, row.reason});
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    m_rows->addTopLevelItems(items);
    for (int column = 0; column < 5; ++column)
        m_rows->resizeColumnToContents(column);
    layout->addWidget(m_rows);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("btnsPreview"));
    QPushButton* import = buttons->addButton(QStringLiteral("Import"), QDialogButtonBox::AcceptRole);
    import->setObjectName(QStringLiteral("cmdImport"));
    import->setEnabled(plan.count(RowAction::New) + plan.count(RowAction::Update) > 0);
    QPushButton* columns = buttons->addButton(QStringLiteral("Columns..."), QDialogButtonBox::ResetRole);
    columns->setObjectName(QStringLiteral("cmdColumns"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(import, &QPushButton::clicked, this, &QDialog::accept);
    connect(columns, &QPushButton::clicked, this, [this] { done(kChangeMapping); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void importProducts(ShopWindow& main)
{
    QWidget* parent = main.mainWindow();
    const QString path = chooseFile(parent, FileDialogMode::Open, QStringLiteral("CDImport"),
                                    QStringLiteral("Import products"), csvFilters());
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<CatalogueFile> file = readCatalogueFile(path, &error);
    if (!file) {
        warn(parent, QStringLiteral("Import products"), error);
        return;
    }
    ImportMapping mapping = guessMapping(file->header);
    for (;;) {
        ImportMappingDialog columns(file->header, mapping, parent);
        if (columns.exec() != QDialog::Accepted)
            return;
        mapping = columns.mapping();
        rememberMapping(file->header, mapping);
        const std::optional<ImportPlan> plan = previewImport(*file, mapping, &error);
        if (!plan) {
            warn(parent, QStringLiteral("Import products"),
                 withServerFailure(QStringLiteral("The catalogue cannot be read.\n%1").arg(error)));
            return;
        }
        ImportPreviewDialog preview(*file, *plan, parent);
        const int answer = preview.exec();
        if (answer == QDialog::Accepted)
            break;
        if (answer != ImportPreviewDialog::kChangeMapping)
            return;
    }
    const ImportResult result = applyImport(*file, mapping);
    if (!result.ok) {
        showMessage(parent, QMessageBox::Critical, QStringLiteral("Import products"),
                    withServerFailure(QStringLiteral("Nothing was imported.\n%1").arg(result.error)));
        return;
    }
    main.requestRefresh(true);
    QString text = QStringLiteral("Imported: %1.").arg(summary(result.plan));
    if (!result.refusedPath.isEmpty())
        text += QStringLiteral("\nThe refused rows, with the reason, are in %1.").arg(result.refusedPath);
    else if (!result.refusedError.isEmpty())
        text += QStringLiteral("\nThe refused rows could not be saved: %1").arg(result.refusedError);
    showMessage(parent, QMessageBox::Information, QStringLiteral("Import products"), text);
}

void exportProducts(ShopWindow& main)
{
    QWidget* parent = main.mainWindow();
    const QString path = chooseFile(parent, FileDialogMode::Save, QStringLiteral("CDExport"),
                                    QStringLiteral("Export products"), csvFilters(), QStringLiteral("products.csv"));
    if (path.isEmpty())
        return;
    QString error;
    if (exportCatalogue(path, &error))
        showMessage(parent, QMessageBox::Information, QStringLiteral("Export products"),
                    QStringLiteral("The products were saved to %1.").arg(path));
    else
        warn(parent, QStringLiteral("Export products"),
             withServerFailure(QStringLiteral("The products were not saved.\n%1").arg(error)));
}

} // namespace marvono
