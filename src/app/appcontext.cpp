#include "app/appcontext.h"

#include "app/appfolder.h"

#include <QDir>
#include <QLocale>
#include <cstdio>

namespace marvono {
namespace {
QString& folderOverride()
{
    static QString folder;
    return folder;
}
const TimeSource*& timeSource()
{
    static const TimeSource* source = nullptr;
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
    const TimeSource* source = timeSource();
    return source ? source->now() : QDateTime::currentDateTime();
}

void Clock::setSource(const TimeSource* source)
{
    timeSource() = source;
}

// Both are written for every sale, so they are formatted by hand rather than through a locale's
// format string; the texts are those of the C locale's "h:mm:ss AP" and "yyyy-MM-dd HH:mm:ss".
QString timeOfDayText(const QTime& time)
{
    if (!time.isValid())
        return {};
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour, time.minute(), time.second(),
                                     time.hour() < 12 ? "AM" : "PM");
    return QString::fromLatin1(text, length);
}

QString dateTimeText(const QDateTime& dateTime)
{
    const QDate date = dateTime.date();
    if (!dateTime.isValid() || date.year() < 1 || date.year() > 9999)
        return QLocale::c().toString(dateTime, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QTime time = dateTime.time();
    char text[24];
    const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(),
                                     date.day(), time.hour(), time.minute(), time.second());
    return QString::fromLatin1(text, length);
}

} // namespace marvono
