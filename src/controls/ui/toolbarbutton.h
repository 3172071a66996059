#pragma once
// A push button for a toolbar: its icon above its caption, both centred, so a caption keeps the
// button's whole width.
#include <QPushButton>

namespace marvono {

class ToolbarButton : public QPushButton {
    Q_OBJECT
  public:
    ToolbarButton(const QIcon& icon, const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // Where the caption is drawn: under the icon, on two lines when one is too narrow for it.
    QRect captionRect() const;

    static constexpr int kIconSide = 24;
    // A caption on two lines leaves less height: the icon then drops to the next crisp size.
    static constexpr int kSmallIconSide = 16;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    static constexpr int kGap = 2; // between the icon and the caption
    static constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

    struct Layout {
        QRect icon;
        QRect caption;
    };
    Layout layout() const;
};

} // namespace marvono
