#include "catalogue/productfiles.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "data/shopserver.h"

#include <QFileInfo>

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

bool writeIntroFile(const QString& number, const QString& text)
{
    return writeQuotedItems(introFilePath(number), {text});
}

} // namespace marvono
