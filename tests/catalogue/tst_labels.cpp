// Product labels: their barcodes scan back as the products' codes, in-store codes, sheet layouts.
#include "catalogue/labels.h"
#include "catalogue/products.h"
#include "catalogue/ui/labelpainter.h"
#include "support/testsupport.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace marvono;

class TestLabels : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void labelsScanBackAsTheirCodes();
    void inStoreCodesAreCheckedAndUnique();
    void sheetsHoldTheirLabelsThenTurnThePage();
};

void TestLabels::labelsScanBackAsTheirCodes()
{
    const QString zbarimg = QStandardPaths::findExecutable("zbarimg");
    if (zbarimg.isEmpty())
        QSKIP("zbarimg (zbar-tools) is not installed");
    // 12 digits gain their check digit; a 13-digit code with a wrong one prints as Code 128.
    const std::vector<LabelProduct> products = {{"Tea", "2.5", "400638133393"},
                                                {"Jam", "3", "96385074"},
                                                {"Bun", "0.8", "BUN-42"},
                                                {"Oil", "6", "4006381333932"}};
    const QStringList expected = {"4006381333931", "96385074", "BUN-42", "4006381333932"};
    const double dotsPerMm = 300 / 25.4;
    const SheetLayout& sheet = sheetLayouts().first();
    for (LabelKind kind : {LabelKind::Shelf, LabelKind::Sticker}) {
        QImage image((QSizeF(sheet.label.width(), sheet.label.height() * 4 + 12) * dotsPerMm).toSize(),
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        for (size_t i = 0; i < products.size(); ++i)
            paintLabel(painter,
                       QRectF(QPointF(0, double(i) * (sheet.label.height() + 3)) * dotsPerMm, sheet.label * dotsPerMm),
                       dotsPerMm, kind, products[i], "$");
        painter.end();
        QTemporaryDir dir;
        const QString png = dir.filePath("labels.png");
        QVERIFY(image.save(png));
        QProcess zbar;
        zbar.start(zbarimg, {"--raw", "-q", png});
        QVERIFY(zbar.waitForFinished(60000));
        QStringList read = QString::fromUtf8(zbar.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        read.sort();
        QStringList wanted = expected;
        wanted.sort();
        QCOMPARE(read, wanted);
    }
}

void TestLabels::inStoreCodesAreCheckedAndUnique()
{
    test::TempAppFolder folder;
    // Only in-store codes with the right check digit count: 2000000000097 has a wrong one.
    for (const auto& [name, code] :
         {std::pair{"Tea", "2000000000053"}, {"Oil", "2000000000097"}, {"Jam", ""}, {"Bun", ""}}) {
        ProductValues values{name, "1", "5", "2", "5", "Food", "", "1", code};
        QCOMPARE(addProduct(values, {}, {}).outcome, AddOutcome::Added);
    }
    QCOMPARE(nextInStoreCode(nullptr), QString("2000000000060"));

    const GivenCode jam = giveInStoreCode("Jam");
    QVERIFY2(jam.ok, qPrintable(jam.error));
    QCOMPARE(jam.code, QString("2000000000060"));
    QCOMPARE(findProduct("Jam").values.code, jam.code);
    QCOMPARE(test::rowsOf("select cName from change"), QStringList{"Jam"});
    QCOMPARE(giveInStoreCode("Bun").code, QString("2000000000077"));
    QVERIFY(!giveInStoreCode("Bun").ok);
    QCOMPARE(test::rowsOf("select cName from change"), (QStringList{"Jam", "Bun"}));
}

void TestLabels::sheetsHoldTheirLabelsThenTurnThePage()
{
    for (const SheetLayout& layout : sheetLayouts()) {
        const std::vector<LabelPlace> places = placeLabels(layout, layout.perPage() + 1);
        const QRectF page(QPointF(), layout.page);
        for (int i = 0; i < layout.perPage(); ++i) {
            QCOMPARE(places[size_t(i)].page, 0);
            QVERIFY2(page.contains(places[size_t(i)].rect), qPrintable(layout.name));
            if (i > 0)
                QVERIFY(!places[size_t(i)].rect.intersects(places[size_t(i - 1)].rect));
        }
        QCOMPARE(places.back().page, 1);
        QCOMPARE(places.back().rect, places.front().rect);
    }
}

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
