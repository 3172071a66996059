#include "catalogue/productfiles.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "data/shopserver.h"

#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

namespace marvono {

QString pictureFilePath(const QString& number)
{
    return qexclientPath(QStringLiteral("pic/") + number + QStringLiteral(".jpg"));
}

QString introFilePath(const QString& number)
{
    return qexclientPath(QStringLiteral("info/") + number + QStringLiteral(".ifo"));
}

QString placeholderPicturePath()
{
    return qexclientPath(QStringLiteral("pic/zw.jpg"));
}

int freePictureNumber()
{
    for (int n = 1; n <= kMaxPictureNumber; ++n)
        if (!QFileInfo::exists(pictureFilePath(n)))
            return n;
    return kMaxPictureNumber + 1;
}

bool savePicture(const QImage& image, const QString& path)
{
    if (image.isNull())
        return false;
    // The client program may read the file at any moment: never leave half a bitmap behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "BMP");
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QImage loadPicture(const QString& path)
{
    // The program itself stores bitmaps under ".jpg" names, so the extension proves nothing.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    return reader.read();
}

bool writeIntroFile(const QString& number, const QString& text)
{
    return writeQuotedItems(introFilePath(number), {text});
}

} // namespace marvono
