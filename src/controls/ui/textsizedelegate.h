#pragma once
// The item delegate of a list whose cells differ in size only by their texts (no icons, check
// boxes, fonts or size hints of their own): it measures each distinct text once. Fitting the
// columns of a large list asks for the size of a thousand cells a column after every change, and
// laying out a text is what costs. A model answering kTextKeyRole is looked up by that number,
// which spares making and hashing each text.
#include "data/flatcontainers.h"

#include <QFont>
#include <QHash>
#include <QStyledItemDelegate>

class QStyle;

namespace marvono {

class TextSizeDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // For columns of figures (numbers, times, amounts): texts that differ only in their digits
    // are measured once, as long as the font sets every digit as wide and pairs none closer.
    void setDigitsAlike(bool alike) { m_digitsAlike = alike; }

  private:
    QSize textSize(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    // What the sizes were measured with; another font, style or layout measures afresh.
    mutable QFont m_font;
    mutable const QStyle* m_style = nullptr;
    mutable QStyleOptionViewItem::ViewItemFeatures m_features;
    mutable QSize m_decorationSize;
    mutable QHash<QString, QSize> m_sizes;
    bool m_digitsAlike = false;
    mutable bool m_evenDigits = false; // the font's digits are alike, checked when it changes
    mutable QString m_pattern;         // the text looked up, its digits made 0
    // By the model's text keys, which name texts of that model only. A key names one cell: room
    // for the cells of several fits of a large list, a megabyte.
    mutable const QAbstractItemModel* m_keyModel = nullptr;
    mutable KeyedPlaces<QSize> m_keyedSizes{65536};
    // By the model's shape keys (kTextShapeKeyRole), when digits are alike: a few shapes a column.
    mutable const QAbstractItemModel* m_shapeModel = nullptr;
    mutable KeyedPlaces<QSize> m_shapeSizes{1024};
};

} // namespace marvono
