#pragma once
// The themed panel every window is built from: a gradient caption bar, a gradient body and a
// one-pixel border in one of twelve colour themes. Child widgets are placed on it directly.
#include "controls/ui/gradient.h"

#include <QLabel>
#include <QWidget>

namespace marvono {

class XPContainer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint64 BackDarkColor READ backDarkColor WRITE setBackDarkColor)
    Q_PROPERTY(qint64 BackLightColor READ backLightColor WRITE setBackLightColor)
    Q_PROPERTY(qint64 BorderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(qint64 HeaderDarkColor READ headerDarkColor WRITE setHeaderDarkColor)
    Q_PROPERTY(qint64 HeaderLightColor READ headerLightColor WRITE setHeaderLightColor)
    Q_PROPERTY(int Style READ style WRITE setStyle)
    Q_PROPERTY(qint64 TextColor READ textColor WRITE setTextColor)
    Q_PROPERTY(int Theme READ theme WRITE setTheme)

  public:
    static constexpr int kCaptionBarHeight = 23;
    static constexpr int kThemeCount = 12;

    struct ThemeColors {
        OleColor headerLight, headerDark, backLight, backDark, border, text;
    };
    static ThemeColors themeColors(int theme); // theme 0 to 11

    explicit XPContainer(QWidget* parent = nullptr, const QString& caption = QStringLiteral("XPContainer"));

    OleColor backDarkColor() const { return m_backDark; }
    OleColor backLightColor() const { return m_backLight; }
    OleColor borderColor() const { return m_border; }
    QString caption() const { return m_caption; }
    OleColor headerDarkColor() const { return m_headerDark; }
    OleColor headerLightColor() const { return m_headerLight; }
    int style() const { return m_style; }
    OleColor textColor() const { return m_text; }
    int theme() const { return m_theme; }

    void setBackDarkColor(OleColor value);
    void setBackLightColor(OleColor value);
    void setBorderColor(OleColor value);
    void setCaption(const QString& value);
    void setHeaderDarkColor(OleColor value);
    void setHeaderLightColor(OleColor value);
    void setStyle(int value);
    void setTextColor(OleColor value);
    // Stores the number and, for 0 to 11, applies that theme's six colours as their setters would.
    void setTheme(int value);

    // Twips (15 to the pixel) helper for windows laid out in the design's units.
    static QRect twips(int left, int top, int width, int height)
    {
        return QRect(left / 15, top / 15, width / 15, height / 15);
    }

    // A label on the caption bar, placed in the container's coordinates, that keeps the caption's
    // text colour through every theme: for a value that has no room in the body.
    QLabel* addCaptionText(const QString& objectName, const QString& text, const QRect& place);

    QWidget* captionBar() const { return m_picture1; }
    QLabel* captionLabel() const { return m_label1; }
    QWidget* body() const { return m_picture2; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void redraw();
    QString shownCaption() const;
    void layoutParts();

    OleColor m_backDark;
    OleColor m_backLight;
    OleColor m_border;
    QString m_caption;
    OleColor m_headerDark;
    OleColor m_headerLight;
    int m_style = 0;
    OleColor m_text;
    int m_theme = 0;

    QWidget* m_picture1;
    QLabel* m_label1;
    QWidget* m_picture2;
    QList<QLabel*> m_captionTexts;
};

} // namespace marvono
