#pragma once
// Product pictures as images: the files in qexclient/pic are read by their content and written
// as Windows bitmaps.
#include "catalogue/productfiles.h"

#include <QImage>

namespace marvono {

// Writes the image as a Windows bitmap, whatever the file name says, replacing any older file.
bool savePicture(const QImage& image, const QString& path);
// What adding or changing a product writes as its picture: the image, as savePicture() does.
PictureWriter pictureWriter(const QImage& image);

// Loads a picture by its content, whatever its extension; a null image when it cannot be read.
QImage loadPicture(const QString& path);

} // namespace marvono
