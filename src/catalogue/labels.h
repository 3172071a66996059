#pragma once
// Shelf and stick-on labels: which products get one, where each label sits on its sheet, and the
// in-store codes given to products that have none.
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace marvono {

enum class LabelKind {
    Shelf,  // name, price and barcode, for the shelf edge
    Sticker // barcode and price, stuck on the goods
};

// A sheet of labels in rows and columns, or one label per page for a label printer. All sizes in
// millimetres; the labels sit from `origin`, `gap` apart across and down.
struct SheetLayout {
    QString name;
    QSizeF page;
    int columns = 1;
    int rows = 1;
    QPointF origin;
    QSizeF label;
    QSizeF gap;
    int perPage() const { return columns * rows; }
};

// The A4 sheets the shop can buy (3x8, 4x10, 5x13) and, last, the label printer's roll.
const QList<SheetLayout>& sheetLayouts();

struct LabelPlace {
    int page = 0;
    QRectF rect; // millimetres from the page's top left corner
};

// Where `count` labels go: row by row, a new page once a page is full.
std::vector<LabelPlace> placeLabels(const SheetLayout& layout, int count);

struct LabelProduct {
    QString name;
    QString price; // the retail price as stored
    QString code;  // empty when the product has none
};

// The products of that name, in the order of `names`.
std::optional<std::vector<LabelProduct>> namedLabelProducts(const QStringList& names, QString* error);
// The products of a category, in the order they were added.
std::optional<std::vector<LabelProduct>> categoryLabelProducts(const QString& category, QString* error);
// The products whose remaining quantity is at or below their alert quantity, in the order they
// were added; a product without an alert quantity is never one.
std::optional<std::vector<LabelProduct>> lowStockLabelProducts(QString* error);

// The in-store code after every one stored: "2", eleven digits counting up, and the check digit,
// so that it is an EAN-13 no product has. Nothing when the catalogue cannot be read.
std::optional<QString> nextInStoreCode(QString* error);

struct GivenCode {
    bool ok = false;
    QString code;
    QString error;
};
// Stores the next in-store code as the product's code, as modifying the product stores it (and
// logs it); refused for a product that has a code.
GivenCode giveInStoreCode(const QString& name);

} // namespace marvono
