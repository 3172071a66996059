#include "controls/ui/textsizedelegate.h"

#include "controls/textkey.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QStyle>

namespace marvono {
namespace {
// Far more texts than a fit asks for, few enough to stay small on a large catalogue.
constexpr qsizetype kMostSizes = 20000;

// Whether every digit of the font is as wide as every other, alone and beside any digit.
bool evenDigits(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char16_t a = u'0'; a <= u'9'; ++a) {
        if (metrics.horizontalAdvance(QChar(a)) != width)
            return false;
        for (char16_t b = u'0'; b <= u'9'; ++b)
            if (metrics.horizontalAdvance(QString(QChar(a)) + QChar(b)) != 2 * width)
                return false;
    }
    return true;
}
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
        m_shapeSizes.clear();
        m_evenDigits = m_digitsAlike && evenDigits(option.font);
    } else if (!copy) {
        m_font = option.font; // an equal font: its copies are told quickly from now on
    }
    const QVariant key = index.data(kTextKeyRole);
    const quint64 number = key.isValid() ? key.toULongLong() : m_keyedSizes.kNoKey;
    if (number == m_keyedSizes.kNoKey) {
        if (m_evenDigits) {
            const QVariant shape = index.data(kTextShapeKeyRole);
            if (shape.isValid() && shape.toULongLong() != m_shapeSizes.kNoKey) {
                if (index.model() != m_shapeModel) {
                    m_shapeSizes.reset();
                    m_shapeModel = index.model();
                }
                return m_shapeSizes.value(shape.toULongLong(), [&] { return textSize(option, index); });
            }
        }
        return textSize(option, index);
    }
    if (index.model() != m_keyModel) {
        m_keyedSizes.reset();
        m_keyModel = index.model();
    }
    return m_keyedSizes.value(number, [&] { return textSize(option, index); });
}

QSize TextSizeDelegate::textSize(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!m_evenDigits) {
        auto found = m_sizes.constFind(text);
        if (found == m_sizes.constEnd())
            found = m_sizes.insert(text, QStyledItemDelegate::sizeHint(option, index));
        return *found;
    }
    // Written in place: the pattern's buffer is reused unless the table keeps it.
    digitShape(text, m_pattern);
    auto found = m_sizes.constFind(m_pattern);
    if (found == m_sizes.constEnd())
        found = m_sizes.insert(m_pattern, QStyledItemDelegate::sizeHint(option, index));
    return *found;
}

} // namespace marvono
