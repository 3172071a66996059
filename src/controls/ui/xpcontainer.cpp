#include "controls/ui/xpcontainer.h"

#include <QPaintEvent>
#include <QPainter>

namespace marvono {
namespace {

constexpr XPContainer::ThemeColors kThemes[XPContainer::kThemeCount] = {
    {oleFromHex(0xD3E0F7), oleFromHex(0xA7C5ED), oleFromHex(0xEFF4FC), oleFromHex(0xDCE8FA), oleFromHex(0xADC1DC),
     oleFromHex(0x022D7B)},
    {oleFromHex(0xD3DCEC), oleFromHex(0xA8BADA), oleFromHex(0xEFF2F8), oleFromHex(0xDDE5F1), oleFromHex(0xA0B4D6),
     oleFromHex(0x172A4B)},
    {oleFromHex(0xC8E5D8), oleFromHex(0x92CBB1), oleFromHex(0xEBF5F1), oleFromHex(0xD5EBE1), oleFromHex(0x88C6AA),
     oleFromHex(0x003B21)},
    {oleFromHex(0xE8EAE0), oleFromHex(0xD1D6C2), oleFromHex(0xF7F8F4), oleFromHex(0xEDEFE7), oleFromHex(0xCDD3BC),
     oleFromHex(0x414732)},
    {oleFromHex(0xC8E3F1), oleFromHex(0x92C9E4), oleFromHex(0xEBF5FA), oleFromHex(0xD5EAF5), oleFromHex(0x88C4E2),
     oleFromHex(0x003955)},
    {oleFromHex(0xE3F2DA), oleFromHex(0xC8E5B5), oleFromHex(0xF5FAF1), oleFromHex(0xEAF5E3), oleFromHex(0xC3E3AE),
     oleFromHex(0x385724)},
    {oleFromHex(0xFDE2D2), oleFromHex(0xFAC6A7), oleFromHex(0xFEF5EF), oleFromHex(0xFDE9DD), oleFromHex(0xFAC09F),
     oleFromHex(0x6D3616)},
    {oleFromHex(0xD6E3E3), oleFromHex(0xAEC9C9), oleFromHex(0xF0F5F5), oleFromHex(0xE0EAEA), oleFromHex(0xA6C4C4),
     oleFromHex(0x1D3939)},
    {oleFromHex(0xDFD7EA), oleFromHex(0xBFB0D5), oleFromHex(0xF3F1F7), oleFromHex(0xE6E1EF), oleFromHex(0xB9A9D1),
     oleFromHex(0x2F2046)},
    {oleFromHex(0xFBD2D6), oleFromHex(0xF8A6AE), oleFromHex(0xFEEFF0), oleFromHex(0xFCDDE0), oleFromHex(0xF79EA7),
     oleFromHex(0x6A151D)},
    {oleFromHex(0xE9EAEC), oleFromHex(0xD3D6D9), oleFromHex(0xF7F7F8), oleFromHex(0xEEEFF1), oleFromHex(0xCFD2D6),
     oleFromHex(0x44474A)},
    {oleFromHex(0xFCFAE4), oleFromHex(0xF4EEB9), oleFromHex(0xFDFCEE), oleFromHex(0xFAF7DC), oleFromHex(0xEAE195),
     oleFromHex(0xE1D566)},
};

// Paints rows [first, end) of a gradient whose row 0 is at `origin`, full `width` wide. Rows of
// one colour go in one fill: a gradient over a tall window repeats each colour for several rows,
// and a fill is far cheaper than a pen and a line per row.
void fillGradient(QPainter& painter, int width, int origin, int first, int end, OleColor light, OleColor dark,
                  int steps)
{
    int y = first;
    while (y < end) {
        const QColor colour = gradientRow(light, dark, steps, y - origin);
        int next = y + 1;
        while (next < end && gradientRow(light, dark, steps, next - origin) == colour)
            ++next;
        painter.fillRect(0, y, width, next - y, colour);
        y = next;
    }
}

// The caption bar paints its own gradient over its rows.
class CaptionBar : public QWidget {
  public:
    explicit CaptionBar(XPContainer* owner) : QWidget(owner), m_owner(owner)
    {
        setObjectName(QStringLiteral("Picture1"));
    }

  protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const OleColor light = resolveOleColor(m_owner->headerLightColor(), palette());
        const OleColor dark = resolveOleColor(m_owner->headerDarkColor(), palette());
        const QRect exposed = event->rect();
        fillGradient(painter, width(), 0, qMax(0, exposed.top()), qMin(height(), exposed.bottom() + 1), light, dark,
                     height());
    }

  private:
    XPContainer* m_owner;
};

} // namespace

XPContainer::ThemeColors XPContainer::themeColors(int theme)
{
    return kThemes[qBound(0, theme, kThemeCount - 1)];
}

XPContainer::XPContainer(QWidget* parent, const QString& caption)
    : QWidget(parent), m_backDark(kThemes[0].backDark), m_backLight(kThemes[0].backLight), m_border(kThemes[0].border),
      m_caption(caption), m_headerDark(kThemes[0].headerDark), m_headerLight(kThemes[0].headerLight),
      m_text(kThemes[0].text)
{
    m_picture1 = new CaptionBar(this);
    m_label1 = new QLabel(m_picture1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setFont(QFont(QStringLiteral("Arial"), 9, QFont::Bold));
    m_label1->setAttribute(Qt::WA_TranslucentBackground);
    m_label1->setAutoFillBackground(false);
    m_picture2 = new QWidget(this);
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    m_picture2->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_picture2->lower();
    m_picture2->hide(); // marks the body area only
    redraw();
    layoutParts();
}

void XPContainer::setBackDarkColor(OleColor value)
{
    m_backDark = value;
    redraw();
}
void XPContainer::setBackLightColor(OleColor value)
{
    m_backLight = value;
    redraw();
}
void XPContainer::setBorderColor(OleColor value)
{
    m_border = value;
    redraw();
}
void XPContainer::setCaption(const QString& value)
{
    if (value == m_caption)
        return;
    m_caption = value;
    // Only the caption's label changes: it repaints itself and what it uncovers of the bar, while
    // the panel and its controls keep their paint (a window may retitle itself on every change).
    m_label1->setText(shownCaption());
    m_label1->adjustSize();
    layoutParts();
}
void XPContainer::setHeaderDarkColor(OleColor value)
{
    m_headerDark = value;
    redraw();
}
void XPContainer::setHeaderLightColor(OleColor value)
{
    m_headerLight = value;
    redraw();
}
void XPContainer::setStyle(int value)
{
    m_style = value;
    redraw();
}
void XPContainer::setTextColor(OleColor value)
{
    m_text = value;
    redraw();
}

void XPContainer::setTheme(int value)
{
    m_theme = value;
    if (value < 0 || value >= kThemeCount)
        return;
    // All six colours, then one redraw: each setter's own redraw measures the caption again.
    const ThemeColors& colors = kThemes[value];
    m_headerLight = colors.headerLight;
    m_headerDark = colors.headerDark;
    m_backLight = colors.backLight;
    m_backDark = colors.backDark;
    m_border = colors.border;
    m_text = colors.text;
    redraw();
}

QString XPContainer::shownCaption() const
{
    // A doubled ampersand shows as one.
    return QString(m_caption).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

void XPContainer::redraw()
{
    m_label1->setText(shownCaption());
    m_label1->adjustSize();
    m_picture1->setVisible(m_style == 0);
    QPalette labelPalette = m_label1->palette();
    labelPalette.setColor(QPalette::WindowText, toQColor(resolveOleColor(m_text, palette())));
    m_label1->setPalette(labelPalette);
    for (QLabel* text : std::as_const(m_captionTexts))
        text->setPalette(labelPalette);
    layoutParts();
    m_picture1->update();
    update();
}

QLabel* XPContainer::addCaptionText(const QString& objectName, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, m_picture1);
    label->setObjectName(objectName);
    label->setAttribute(Qt::WA_TranslucentBackground);
    // The bar starts inside the one-pixel border.
    label->setGeometry(place.translated(-1, -1));
    label->setPalette(m_label1->palette());
    m_captionTexts.append(label);
    return label;
}

void XPContainer::layoutParts()
{
    if (width() == 0)
        return;
    m_picture1->setGeometry(1, 1, width() - 2, kCaptionBarHeight);
    m_label1->move(8, (kCaptionBarHeight - m_label1->height()) / 2);
    m_picture2->setGeometry(1, kCaptionBarHeight + 1, width() - 2, height() - (kCaptionBarHeight + 2));
}

void XPContainer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutParts();
    update();
}

void XPContainer::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const OleColor light = resolveOleColor(m_backLight, palette());
    const OleColor dark = resolveOleColor(m_backDark, palette());
    const int first = m_style == 0 ? kCaptionBarHeight + 1 : 0;
    const int steps = m_style == 0 ? h - (kCaptionBarHeight + 2) : h;
    // Only the rows asked for: a child's repaint exposes a small part of a large panel.
    const QRect exposed = event->rect();
    fillGradient(painter, w, first, qMax(first, exposed.top()), qMin(h, exposed.bottom() + 1), light, dark, steps);
    painter.setPen(toQColor(resolveOleColor(m_border, palette())));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, w - 1, h - 1);
}

} // namespace marvono
