#pragma once
// The product files shared with the client program: pictures in qexclient/pic and introduction
// files in qexclient/info, both named by the product's picture number.
#include <QString>
#include <functional>

namespace marvono {

inline constexpr int kMaxPictureNumber = 3000;

// qexclient/pic/<number>.jpg and qexclient/info/<number>.ifo under the application folder. The
// number is a text because a product's stored picture number is used as it reads.
QString pictureFilePath(const QString& number);
QString introFilePath(const QString& number);
inline QString pictureFilePath(int number)
{
    return pictureFilePath(QString::number(number));
}
inline QString introFilePath(int number)
{
    return introFilePath(QString::number(number));
}
// The placeholder picture of the details panel, delivered with the client-exchange folder.
QString placeholderPicturePath();

// The smallest number from 1 to 3000 whose picture file does not exist yet; 3001 when all are taken.
int freePictureNumber();

// Writes a product's picture to the file at `path`, replacing any older file; false when it could not.
using PictureWriter = std::function<bool(const QString& path)>;

// The introduction file: the text in double quotes followed by CR LF, line breaks kept as they are.
bool writeIntroFile(const QString& number, const QString& text);

} // namespace marvono
