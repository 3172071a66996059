#include "catalogue/ui/labelswindow.h"

#include "app/appcontext.h"
#include "app/numbers.h"
#include "catalogue/barcode.h"
#include "catalogue/products.h"
#include "catalogue/ui/labelpainter.h"
#include "catalogue/ui/productactions.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/shopwindow.h"
#include "controls/ui/xpcontainer.h"
#include "data/database.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QTreeWidget>

namespace marvono {

namespace {

QRadioButton* makeRadio(QWidget* parent, const QString& objectName, const QString& caption, const QRect& geometry)
{
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(objectName);
    radio->setGeometry(geometry);
    return radio;
}

QComboBox* makeCombo(QWidget* parent, const QString& objectName, const QStringList& items, const QRect& geometry)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->addItems(items);
    combo->setGeometry(geometry);
    return combo;
}

// What the list says of a code's barcode: its symbology and anything the label reads otherwise.
QString barcodeText(const QString& code)
{
    const BarcodeChoice choice = chooseBarcode(code);
    return choice.note.isEmpty() ? symbologyName(choice.symbology)
                                 : symbologyName(choice.symbology) + QStringLiteral(": ") + choice.note;
}

} // namespace

LabelsWindow::LabelsWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLabels"));
    setWindowTitle(QStringLiteral("Print labels"));
    setFixedSize(760, 460);
    auto* container = new XPContainer(this, QStringLiteral("Print labels"));
    container->setObjectName(QStringLiteral("XPContainer1"));
    container->setGeometry(rect());
    container->setTheme(runValues().themeIndex);

    makeLabel(container, QStringLiteral("Label1"), QStringLiteral("Products:"), QRect(16, 36, 70, 22));
    m_fromSelection = makeRadio(container, QStringLiteral("optSelected"), QStringLiteral("Selected in the list"),
                                QRect(90, 36, 160, 22));
    m_fromCategory =
        makeRadio(container, QStringLiteral("optCategory"), QStringLiteral("Category:"), QRect(256, 36, 90, 22));
    m_category = makeCombo(container, QStringLiteral("cboCategory"), productCategories(), QRect(346, 36, 170, 22));
    m_fromLowStock =
        makeRadio(container, QStringLiteral("optLowStock"), QStringLiteral("Low stock"), QRect(530, 36, 120, 22));

    makeLabel(container, QStringLiteral("Label2"), QStringLiteral("Labels:"), QRect(16, 68, 70, 22));
    m_kind = makeCombo(
        container, QStringLiteral("cboKind"),
        {QStringLiteral("Shelf labels: name, price and barcode"), QStringLiteral("Stick-on labels: barcode and price")},
        QRect(90, 68, 260, 22));
    makeLabel(container, QStringLiteral("Label3"), QStringLiteral("Sheet:"), QRect(370, 68, 50, 22));
    QStringList layouts;
    for (const SheetLayout& layout : sheetLayouts())
        layouts.append(layout.name);
    m_layout = makeCombo(container, QStringLiteral("cboLayout"), layouts, QRect(424, 68, 320, 22));

    m_list = new QTreeWidget(container);
    m_list->setObjectName(QStringLiteral("lstLabels"));
    m_list->setGeometry(16, 100, 728, 270);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QStringLiteral("Product"), QStringLiteral("Price"), QStringLiteral("Code"), QStringLiteral("Barcode")});
    m_list->header()->resizeSection(0, 220);
    m_list->header()->resizeSection(2, 130);
    m_count = makeLabel(container, QStringLiteral("lblCount"), QString(), QRect(16, 378, 728, 22));

    m_giveCode = makeButton(container, QStringLiteral("cmdGiveCode"), QStringLiteral("Give in-store code"));
    m_giveCode->setGeometry(16, 414, 150, 30);
    QPushButton* print = makeButton(container, QStringLiteral("cmdPrint"), QStringLiteral("Print..."));
    print->setGeometry(404, 414, 110, 30);
    QPushButton* pdf = makeButton(container, QStringLiteral("cmdPdf"), QStringLiteral("Save PDF..."));
    pdf->setGeometry(518, 414, 110, 30);
    QPushButton* close = makeButton(container, QStringLiteral("cmdClose"), QStringLiteral("Close"));
    close->setGeometry(634, 414, 110, 30);

    if (ShopWindow* main = ShopWindow::current())
        m_selected = selectedProductNames(*main);
    (m_selected.isEmpty() ? m_fromCategory : m_fromSelection)->setChecked(true);
    m_fromSelection->setEnabled(!m_selected.isEmpty());
    for (QRadioButton* source : {m_fromSelection, m_fromCategory, m_fromLowStock})
        connect(source, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                load();
        });
    connect(m_category, &QComboBox::currentIndexChanged, this, [this]() {
        if (m_fromCategory->isChecked())
            load();
    });
    connect(m_layout, &QComboBox::currentIndexChanged, this, &LabelsWindow::showCount);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &LabelsWindow::showCount);
    connect(m_giveCode, &QPushButton::clicked, this, &LabelsWindow::giveCode);
    connect(print, &QPushButton::clicked, this, &LabelsWindow::print);
    connect(pdf, &QPushButton::clicked, this, &LabelsWindow::savePdf);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, close);
    load();
}

void LabelsWindow::load()
{
    const QString current = m_list->currentItem() ? m_list->currentItem()->text(0) : QString();
    m_list->clear();
    m_products.clear();
    QString error;
    const auto products = m_fromSelection->isChecked()  ? namedLabelProducts(m_selected, &error)
                          : m_fromCategory->isChecked() ? categoryLabelProducts(m_category->currentText(), &error)
                                                        : lowStockLabelProducts(&error);
    if (!products) {
        showCount();
        warn(this, QStringLiteral("error"),
             withServerFailure(QStringLiteral("The products cannot be read.\n%1").arg(error)));
        return;
    }
    m_products = *products;
    for (const LabelProduct& product : m_products) {
        auto* item = new QTreeWidgetItem(
            m_list,
            {product.name, moneyText(product.price, runValues().currencySymbol), product.code,
             product.code.isEmpty() ? QStringLiteral("none: give it an in-store code") : barcodeText(product.code)});
        if (product.name == current)
            m_list->setCurrentItem(item);
    }
    if (!m_list->currentItem() && m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    showCount();
}

void LabelsWindow::showCount()
{
    const SheetLayout& layout = sheetLayouts().value(m_layout->currentIndex());
    const int count = int(m_products.size());
    const int pages = (count + layout.perPage() - 1) / layout.perPage();
    m_count->setText(QStringLiteral("%1 label(s) on %2 page(s).").arg(count).arg(pages));
    const QTreeWidgetItem* item = m_list->currentItem();
    m_giveCode->setEnabled(item && item->text(2).isEmpty());
}

void LabelsWindow::giveCode()
{
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const GivenCode given = giveInStoreCode(item->text(0));
    if (!given.ok) {
        warn(this, QStringLiteral("error"),
             withServerFailure(QStringLiteral("No code was given.\n%1").arg(given.error)));
        return;
    }
    if (ShopWindow* main = ShopWindow::current())
        main->requestRefresh(false);
    load();
}

bool LabelsWindow::paint(QPrinter& printer)
{
    QString error;
    if (printLabels(printer, sheetLayouts().value(m_layout->currentIndex()), LabelKind(m_kind->currentIndex()),
                    m_products, runValues().currencySymbol, &error))
        return true;
    warn(this, QStringLiteral("Error"), QStringLiteral("The labels could not be printed.\n") + error);
    return false;
}

void LabelsWindow::print()
{
    if (m_products.empty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Labels"));
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("dlgPrintLabels"));
    if (dialog.exec() == QDialog::Accepted)
        paint(printer);
}

void LabelsWindow::savePdf()
{
    if (m_products.empty())
        return;
    const QString path =
        chooseFile(this, FileDialogMode::Save, QStringLiteral("CDLabels"), QStringLiteral("Save labels"),
                   QStringLiteral("PDF file(*.pdf)|*.pdf"), QStringLiteral("labels.pdf"));
    if (path.isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setCreator(QStringLiteral("Marvono"));
    printer.setDocName(QStringLiteral("Labels"));
    paint(printer);
}

} // namespace marvono
