#include "catalogue/ui/picturefiles.h"

#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

namespace marvono {

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

PictureWriter pictureWriter(const QImage& image)
{
    return [image](const QString& path) { return savePicture(image, path); };
}

QImage loadPicture(const QString& path)
{
    // The program itself stores bitmaps under ".jpg" names, so the extension proves nothing.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace marvono
