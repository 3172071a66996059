#include "app/appcontext.h"

#include "app/appfolder.h"

#include <QDir>
#include <QLocale>

namespace marvono {
namespace {
QString& folderOverride()
{
    static QString folder;
    return folder;
}
std::function<QDateTime()>& clockOverride()
{
    static std::function<QDateTime()> source;
    return source;
}
} // namespace

QString appFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return defaultAppFolder();
}

void setAppFolder(const QString& folder)
{
    folderOverride() = QDir::cleanPath(folder);
}

QString appPath(const QString& relative)
{
    return QDir::cleanPath(appFolder() + QLatin1Char('/') + relative);
}

RunValues& runValues()
{
    static RunValues values;
    return values;
}

QDateTime Clock::now()
{
    if (clockOverride())
        return clockOverride()();
    return QDateTime::currentDateTime();
}

void Clock::setOverride(std::function<QDateTime()> source)
{
    clockOverride() = std::move(source);
}

QString timeOfDayText(const QTime& time)
{
    return QLocale::c().toString(time, QStringLiteral("h:mm:ss AP"));
}

QString dateTimeText(const QDateTime& dateTime)
{
    return QLocale::c().toString(dateTime, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace marvono
