// Picture numbers, bitmap pictures, reading pictures by content and introduction files.
#include "catalogue/ui/picturefiles.h"
#include "support/catalogue_dialogs.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace marvono;

class TestProductFiles : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void numberIsFirstGap();
    void allNumbersTaken();
    void picturesAreBitmapsUnderJpgNames();
    void pictureSaveFailureLeavesNothing();
    void picturesLoadByContent_data();
    void picturesLoadByContent();
    void unreadablePicture();
    void introFileBytes_data();
    void introFileBytes();
};

static void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestProductFiles::numberIsFirstGap()
{
    test::TempAppFolder folder;
    QCOMPARE(freePictureNumber(), 1);
    touch(folder.file("qexclient/pic/1.jpg"));
    touch(folder.file("qexclient/pic/2.jpg"));
    touch(folder.file("qexclient/pic/4.jpg"));
    // Names that only look alike do not take a number.
    touch(folder.file("qexclient/pic/03.jpg"));
    touch(folder.file("qexclient/pic/3.JPG"));
    touch(folder.file("qexclient/pic/3.bmp"));
    QCOMPARE(freePictureNumber(), 3);
    QVERIFY(QFile::remove(folder.file("qexclient/pic/1.jpg")));
    QCOMPARE(freePictureNumber(), 1);
}

void TestProductFiles::allNumbersTaken()
{
    test::TempAppFolder folder;
    for (int n = 1; n <= 3000; ++n)
        touch(folder.file(QStringLiteral("qexclient/pic/%1.jpg").arg(n)));
    QCOMPARE(freePictureNumber(), 3001);
    QVERIFY(QFile::remove(folder.file("qexclient/pic/3000.jpg")));
    QCOMPARE(freePictureNumber(), 3000);
}

void TestProductFiles::picturesAreBitmapsUnderJpgNames()
{
    test::TempAppFolder folder;
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    const QString path = pictureFilePath(5);
    QCOMPARE(path, folder.file("qexclient/pic/5.jpg"));
    QVERIFY(savePicture(image, path));
    const QByteArray bytes = test::fileBytes(path);
    QVERIFY(bytes.startsWith("BM"));
    QImage back = loadPicture(path);
    QCOMPARE(back.size(), QSize(30, 20));
    QCOMPARE(back.pixelColor(15, 10), QColor(10, 200, 30));

    // Saving again replaces the file whole.
    image = QImage(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(savePicture(image, path));
    back = loadPicture(path);
    QCOMPARE(back.size(), QSize(4, 4));
    QCOMPARE(back.pixelColor(1, 1), QColor(Qt::blue));
}

void TestProductFiles::pictureSaveFailureLeavesNothing()
{
    test::TempAppFolder folder;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(QDir(folder.file("qexclient/pic")).removeRecursively());
    QVERIFY(!savePicture(image, pictureFilePath(1)));
    QVERIFY(!QFile::exists(pictureFilePath(1)));
    QVERIFY(QDir().mkpath(folder.file("qexclient/pic")));
    QVERIFY(!savePicture(QImage(), pictureFilePath(1)));
    QVERIFY(!QFile::exists(pictureFilePath(1)));
}

void TestProductFiles::picturesLoadByContent_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("color");
    QTest::newRow("bitmap named jpg") << QByteArray("BMP") << "1.jpg" << QColor(200, 20, 20);
    QTest::newRow("jpeg named jpg") << QByteArray("JPEG") << "2.jpg" << QColor(20, 20, 200);
    QTest::newRow("gif named jpg") << QByteArray("GIF") << "3.jpg" << QColor(0, 255, 0);
    QTest::newRow("bitmap named gif") << QByteArray("BMP") << "4.gif" << QColor(90, 90, 0);
    QTest::newRow("gif named bmp") << QByteArray("GIF") << "5.bmp" << QColor(0, 0, 255);
}

void TestProductFiles::picturesLoadByContent()
{
    QFETCH(QByteArray, format);
    QFETCH(QString, name);
    QFETCH(QColor, color);
    test::TempAppFolder folder;
    const QString path = folder.file("qexclient/pic/" + name);
    QVERIFY(test::writeSolidPicture(path, color, format.constData()));
    const QImage image = loadPicture(path);
    QVERIFY(!image.isNull());
    QVERIFY(test::nearColor(image.pixelColor(0, 0), color));
}

void TestProductFiles::unreadablePicture()
{
    test::TempAppFolder folder;
    const QString path = folder.file("qexclient/pic/1.jpg");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture at all");
    file.close();
    QVERIFY(loadPicture(path).isNull());
    QVERIFY(loadPicture(folder.file("qexclient/pic/missing.jpg")).isNull());
}

void TestProductFiles::introFileBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("default text") << "Product Intro here\r\n" << QByteArray("\"Product Intro here\r\n\"\r\n");
    QTest::newRow("two lines") << "Green tea\r\nfrom Hangzhou" << QByteArray("\"Green tea\r\nfrom Hangzhou\"\r\n");
    QTest::newRow("quotes kept") << "a \"big\" pot" << QByteArray("\"a \"big\" pot\"\r\n");
    QTest::newRow("empty") << "" << QByteArray("\"\"\r\n");
    QTest::newRow("non-ascii") << QStringLiteral("绿茶") << QByteArray("\"\xE7\xBB\xBF\xE8\x8C\xB6\"\r\n");
}

void TestProductFiles::introFileBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    test::TempAppFolder folder;
    // A longer older file is replaced, not overwritten in place.
    QFile old(folder.file("qexclient/info/12.ifo"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(200, 'x'));
    old.close();
    QVERIFY(writeIntroFile("12", text));
    QCOMPARE(test::fileBytes(folder.file("qexclient/info/12.ifo")), bytes);
}

QTEST_GUILESS_MAIN(TestProductFiles)
#include "tst_productfiles.moc"
