#include "app/ui/artwork.h"

#include <QApplication>
#include <QPainter>

// Resources of a static library are registered by hand, outside any namespace.
static void registerArtwork()
{
    Q_INIT_RESOURCE(artwork);
}

namespace marvono {
namespace {

QString shipped(const char* name)
{
    static const bool registered = (registerArtwork(), true);
    Q_UNUSED(registered);
    return QStringLiteral(":/artwork/%1.svg").arg(QLatin1String(name));
}

} // namespace

QIcon artworkIcon(const char* themeName, const char* fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), QIcon(shipped(fallback)));
}

QIcon programIcon()
{
    return artworkIcon("marvono", "marvono");
}

QPixmap toolbarPicture(const QSize& size)
{
    // Drawn at the size it is shown, so the stripes stay crisp instead of being stretched.
    return QIcon(shipped("awning")).pixmap(size);
}

void installProgramIcon()
{
    QApplication::setWindowIcon(programIcon());
}

} // namespace marvono
