// The themed panel as it paints: gradient rows, border, caption bar and theme switching.
#include "controls/ui/xpcontainer.h"

#include <QImage>
#include <QtTest>

using namespace marvono;

namespace {

QRgb rgbOf(OleColor value)
{
    return qRgb(int(value % 256), int(value / 256 % 256), int(value / 65536 % 256));
}

QImage paintOf(XPContainer& panel)
{
    return panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Colour of the pixel as "#rrggbb", so failures print readably.
QString at(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y)).name();
}

QString hex(OleColor value)
{
    return QColor(rgbOf(value)).name();
}

} // namespace

class TestXPContainer : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void defaultsAreThemeZero();
    void captionBarAndBodyGradients();
    void bodyGradientRoundsHalfToEven();
    void styleOneHidesCaptionBar();
    void borderOutline();
    void themeRecolours_data();
    void themeRecolours();
    void themeOutOfRangeKeepsColours();
    void reapplyingThemeOverwritesSingleColour();
    void singleColourKeepsRestOfTheme();
    void systemColours();
    void doubledAmpersandShowsOnce();
    void zeroWidthStillRedraws();
};

void TestXPContainer::defaultsAreThemeZero()
{
    XPContainer panel;
    QCOMPARE(panel.caption(), QStringLiteral("XPContainer"));
    QCOMPARE(panel.style(), 0);
    QCOMPARE(panel.theme(), 0);
    QCOMPARE(panel.headerLightColor(), OleColor(16244947)); // #D3E0F7 stored red-first
    QCOMPARE(panel.backDarkColor(), oleFromHex(0xDCE8FA));
    QCOMPARE(panel.textColor(), oleFromHex(0x022D7B));
    QCOMPARE(panel.captionLabel()->font().family(), QStringLiteral("Arial"));
    QCOMPARE(panel.captionLabel()->font().pointSize(), 9);
    QVERIFY(panel.captionLabel()->font().bold());
}

void TestXPContainer::captionBarAndBodyGradients()
{
    XPContainer panel;
    panel.setCaption(QString());
    panel.resize(120, 125); // body of 100 rows from y = 24
    const QImage image = paintOf(panel);
    const int x = 100;

    QCOMPARE(panel.captionBar()->geometry(), QRect(1, 1, 118, 23));
    QCOMPARE(at(image, x, 1), hex(panel.headerLightColor()));
    QCOMPARE(at(image, x, 23), hex(panel.headerDarkColor()));
    // Caption bar #D3E0F7 -> #A7C5ED over 23 rows: row 11 is exactly half way.
    QCOMPARE(at(image, x, 12), QColor(0xBD, 0xD2, 0xF2).name());

    QCOMPARE(at(image, x, 24), hex(panel.backLightColor()));
    QCOMPARE(at(image, x, 24 + 99), hex(panel.backDarkColor()));
    // Body #EFF4FC -> #DCE8FA: step per channel (19, 12, 2) / 99; row 33 is a third of the way.
    QCOMPARE(at(image, x, 24 + 33), QColor(0xE9, 0xF0, 0xFB).name());
}

void TestXPContainer::bodyGradientRoundsHalfToEven()
{
    // Red 10 -> 0 over five rows steps by 2.5: 10, 7.5, 5, 2.5, 0 rounds to 10, 8, 5, 2, 0.
    XPContainer panel;
    panel.setStyle(1);
    panel.setBackLightColor(oleRgb(10, 0, 0));
    panel.setBackDarkColor(oleRgb(0, 0, 0));
    panel.resize(20, 5);
    const QImage image = paintOf(panel);
    QCOMPARE(qRed(image.pixel(5, 1)), 8);
    QCOMPARE(qRed(image.pixel(5, 2)), 5);
    QCOMPARE(qRed(image.pixel(5, 3)), 2);

    // Style 0 takes the step from the body frame (H - 25 rows): the same five rows from y = 24.
    panel.setStyle(0);
    panel.resize(20, 30);
    const QImage styled = paintOf(panel);
    QCOMPARE(qRed(styled.pixel(5, 24)), 10);
    QCOMPARE(qRed(styled.pixel(5, 25)), 8);
    QCOMPARE(qRed(styled.pixel(5, 27)), 2);
    QCOMPARE(qRed(styled.pixel(5, 28)), 0);
}

void TestXPContainer::styleOneHidesCaptionBar()
{
    XPContainer panel;
    panel.setCaption(QStringLiteral("Tools"));
    panel.resize(100, 60);
    panel.setStyle(1);
    QCOMPARE(panel.caption(), QStringLiteral("Tools"));
    QVERIFY(panel.captionBar()->isHidden());
    const QImage image = paintOf(panel);
    // The body gradient starts at the top edge: row 1 is next to the light colour, not the header.
    QCOMPARE(at(image, 50, 1), QColor(0xEF, 0xF4, 0xFC).name());
    QCOMPARE(at(image, 50, 58), QColor(0xDC, 0xE8, 0xFA).name());
    QVERIFY(at(image, 50, 10) != hex(panel.headerLightColor()));

    panel.setStyle(0);
    QVERIFY(!panel.captionBar()->isHidden());
    QCOMPARE(QColor(paintOf(panel).pixel(90, 1)).name(), hex(panel.headerLightColor()));
}

void TestXPContainer::borderOutline()
{
    XPContainer panel;
    panel.setBorderColor(oleRgb(255, 0, 0));
    panel.resize(50, 40);
    const QImage image = paintOf(panel);
    const QString red = QColor(255, 0, 0).name();
    for (int x : {0, 25, 49}) {
        QCOMPARE(at(image, x, 0), red);
        QCOMPARE(at(image, x, 39), red);
    }
    for (int y : {0, 30, 39}) {
        QCOMPARE(at(image, 0, y), red);
        QCOMPARE(at(image, 49, y), red);
    }
    QVERIFY(at(image, 1, 30) != red);
    QVERIFY(at(image, 48, 30) != red);
}

void TestXPContainer::themeRecolours_data()
{
    QTest::addColumn<int>("theme");
    QTest::addColumn<QString>("headerLight");
    QTest::addColumn<QString>("backDark");
    QTest::addColumn<QString>("border");
    QTest::addColumn<QString>("text");
    QTest::newRow("green") << 2 << "#c8e5d8"
                           << "#d5ebe1"
                           << "#88c6aa"
                           << "#003b21";
    QTest::newRow("olive grey") << 3 << "#e8eae0"
                                << "#edefe7"
                                << "#cdd3bc"
                                << "#414732";
    QTest::newRow("pink") << 9 << "#fbd2d6"
                          << "#fcdde0"
                          << "#f79ea7"
                          << "#6a151d";
    QTest::newRow("yellow") << 11 << "#fcfae4"
                            << "#faf7dc"
                            << "#eae195"
                            << "#e1d566";
}

void TestXPContainer::themeRecolours()
{
    QFETCH(int, theme);
    QFETCH(QString, headerLight);
    QFETCH(QString, backDark);
    QFETCH(QString, border);
    QFETCH(QString, text);
    XPContainer panel;
    panel.setCaption(QString());
    panel.resize(80, 125);
    panel.setTheme(theme);
    QCOMPARE(panel.theme(), theme);
    const QImage image = paintOf(panel);
    QCOMPARE(at(image, 40, 1), headerLight);
    QCOMPARE(at(image, 40, 24 + 99), backDark);
    QCOMPARE(at(image, 0, 60), border);
    QCOMPARE(panel.captionLabel()->palette().color(QPalette::WindowText).name(), text);
}

void TestXPContainer::themeOutOfRangeKeepsColours()
{
    XPContainer panel;
    panel.resize(60, 60);
    panel.setTheme(5);
    const QImage before = paintOf(panel);
    const OleColor border = panel.borderColor();
    for (int outside : {12, -1}) {
        panel.setTheme(outside);
        QCOMPARE(panel.theme(), outside);
        QCOMPARE(panel.borderColor(), border);
        QCOMPARE(paintOf(panel), before);
    }
}

void TestXPContainer::reapplyingThemeOverwritesSingleColour()
{
    XPContainer panel;
    panel.resize(60, 60);
    panel.setTheme(4);
    const QImage themed = paintOf(panel);
    panel.setBorderColor(oleRgb(1, 2, 3));
    panel.setHeaderLightColor(oleRgb(4, 5, 6));
    QVERIFY(paintOf(panel) != themed);
    panel.setTheme(4);
    QCOMPARE(paintOf(panel), themed);
}

void TestXPContainer::singleColourKeepsRestOfTheme()
{
    XPContainer panel;
    panel.setCaption(QString());
    panel.resize(60, 60);
    panel.setTheme(6);
    const QImage themed = paintOf(panel);
    panel.setBorderColor(oleRgb(0, 0, 255));
    const QImage image = paintOf(panel);
    QCOMPARE(at(image, 0, 30), QColor(0, 0, 255).name());
    QCOMPARE(at(image, 30, 1), at(themed, 30, 1));
    QCOMPARE(at(image, 30, 40), at(themed, 30, 40));
}

void TestXPContainer::systemColours()
{
    XPContainer panel;
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
    palette.setColor(QPalette::Window, QColor(0x21, 0x43, 0x65));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x77, 0x66, 0x55));
    panel.setPalette(palette);
    panel.setStyle(1);
    panel.resize(30, 30);
    // High bit set: a Windows system-colour index; 15 is the button face, never magenta.
    panel.setBorderColor(OleColor(0x8000000F));
    QCOMPARE(at(paintOf(panel), 0, 10), QColor(0x12, 0x34, 0x56).name());
    // Stored as a negative 32-bit value, as older files hold it.
    panel.setBorderColor(OleColor(qint32(0x80000005)));
    QCOMPARE(at(paintOf(panel), 0, 10), QColor(0x21, 0x43, 0x65).name());

    // Grey text is the disabled text colour, not the active one.
    QCOMPARE(resolveOleColor(OleColor(0x80000011), palette), oleRgb(0x77, 0x66, 0x55));
    // Indices without a palette colour, and values that are neither RGB nor a system colour.
    for (const OleColor unmapped :
         {OleColor(0x80000000), OleColor(0x8000000A), OleColor(0x80000063), OleColor(0x8000010F), OleColor(0x1000000)})
        QCOMPARE(resolveOleColor(unmapped, palette), OleColor(-1));
    QCOMPARE(resolveOleColor(oleRgb(1, 2, 3), palette), oleRgb(1, 2, 3));
}

void TestXPContainer::doubledAmpersandShowsOnce()
{
    XPContainer panel(nullptr, QStringLiteral("History && Quick View"));
    QCOMPARE(panel.caption(), QStringLiteral("History && Quick View"));
    QCOMPARE(panel.captionLabel()->text(), QStringLiteral("History & Quick View"));
    panel.resize(300, 100);
    const QLabel* label = panel.captionLabel();
    QCOMPARE(label->x(), 8);
    QCOMPARE(label->y(), (XPContainer::kCaptionBarHeight - label->height()) / 2);
}

void TestXPContainer::zeroWidthStillRedraws()
{
    QWidget host;
    host.resize(200, 100);
    auto* panel = new XPContainer(&host);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    panel->resize(0, 40);
    panel->setCaption(QStringLiteral("Narrow"));
    QCOMPARE(panel->captionLabel()->text(), QStringLiteral("Narrow"));
    panel->resize(40, 40);
    QCOMPARE(panel->captionBar()->width(), 38);
    QCOMPARE(panel->body()->geometry(), QRect(1, 24, 38, 15));
}

QTEST_MAIN(TestXPContainer)
#include "tst_xpcontainer.moc"
