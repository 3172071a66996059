#include "controls/ui/toolbarbutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace marvono {

ToolbarButton::ToolbarButton(const QIcon& icon, const QString& caption, QWidget* parent)
    : QPushButton(icon, caption, parent)
{
    setIconSize(QSize(kIconSide, kIconSide));
}

QSize ToolbarButton::sizeHint() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const QSize label(qMax(iconSize().width(), fontMetrics().horizontalAdvance(text())),
                      iconSize().height() + kGap + fontMetrics().height());
    // The style adds its frame and margins, as for any push button.
    option.icon = QIcon();
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, label, this);
}

ToolbarButton::Layout ToolbarButton::layout() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QFontMetrics metrics = fontMetrics();
    const int captionHeight =
        metrics.boundingRect(QRect(0, 0, contents.width(), contents.height()), kCaptionFlags, text()).height();
    const int iconSide =
        contents.height() - kGap - captionHeight >= iconSize().height() ? iconSize().height() : kSmallIconSide;
    const int top = contents.top() + qMax(0, (contents.height() - iconSide - kGap - captionHeight) / 2);
    Layout result;
    result.icon = QRect(contents.left() + (contents.width() - iconSide) / 2, top, iconSide, iconSide);
    result.caption = QRect(contents.left(), top + iconSide + kGap, contents.width(), captionHeight);
    return result;
}

QRect ToolbarButton::captionRect() const
{
    return layout().caption;
}

void ToolbarButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option); // the bevel and focus frame only

    Layout place = layout();
    if (isDown() || isChecked()) {
        const QPoint shift(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
        place.icon.translate(shift);
        place.caption.translate(shift);
    }
    const QIcon::Mode mode = !isEnabled() ? QIcon::Disabled : underMouse() ? QIcon::Active : QIcon::Normal;
    icon().paint(&painter, place.icon, Qt::AlignCenter, mode);
    painter.drawItemText(place.caption, kCaptionFlags, palette(), isEnabled(), caption, QPalette::ButtonText);
}

} // namespace marvono
