#include "controls/ui/textsizedelegate.h"

#include "controls/textkey.h"

#include <QApplication>
#include <QStyle>

namespace marvono {
namespace {
// Far more texts than a fit asks for, few enough to stay small on a large catalogue.
constexpr qsizetype kMostSizes = 20000;
// A key names one cell: room for the cells of several fits of a large list, about a megabyte.
constexpr qsizetype kMostKeyedSizes = 65536;
} // namespace

QSize TextSizeDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    // The view hands over copies of its own font: telling a copy is quicker than comparing fonts.
    const bool copy = option.font.isCopyOf(m_font);
    if (!(copy || option.font == m_font) || style != m_style || option.features != m_features ||
        option.decorationSize != m_decorationSize || m_sizes.size() >= kMostSizes) {
        m_sizes.clear();
        m_style = style;
        m_features = option.features;
        m_decorationSize = option.decorationSize;
        m_font = option.font;
        m_keyedSizes.clear();
    } else if (!copy) {
        m_font = option.font; // an equal font: its copies are told quickly from now on
    }
    const QVariant key = index.data(kTextKeyRole);
    if (key.isValid()) {
        if (index.model() != m_keyModel || m_keyedSizes.size() >= kMostKeyedSizes) {
            m_keyedSizes.clear();
            m_keyModel = index.model();
        }
        const quint64 number = key.toULongLong();
        const auto known = m_keyedSizes.constFind(number);
        if (known != m_keyedSizes.constEnd())
            return *known;
        return m_keyedSizes.insert(number, textSize(option, index)).value();
    }
    return textSize(option, index);
}

QSize TextSizeDelegate::textSize(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    auto found = m_sizes.constFind(text);
    if (found == m_sizes.constEnd())
        found = m_sizes.insert(text, QStyledItemDelegate::sizeHint(option, index));
    return *found;
}

} // namespace marvono
