#pragma once
// Where the program keeps its files, and the values that live for one run of the program.
#include <QDateTime>
#include <QString>
#include <functional>

namespace marvono {

// The application folder: the one defaultAppFolder() chooses unless a caller (a test) hands in another.
QString appFolder();
void setAppFolder(const QString& folder);
// The application folder joined with a relative path such as "qexclient/tables.dat".
QString appPath(const QString& relative);

// Values shared by every window for the whole run.
struct RunValues {
    QString currentUser;     // as typed at login, untrimmed
    QString currentPassword; // as typed at login, untrimmed
    qint16 themeIndex = 0;
    bool warningTone = false;
    QString shopName;
    QString currencySymbol;
};
RunValues& runValues();

// The one source of the current date and time, so tests can set the clock.
class Clock {
public:
    static QDateTime now();
    static void setOverride(std::function<QDateTime()> source); // empty function restores the system clock
};

// Fixed text forms of times and dates, used everywhere the same text is stored and shown.
QString timeOfDayText(const QTime& time);        // "2:05:09 PM"
QString dateTimeText(const QDateTime& dateTime); // "2026-12-07 14:05:09"

} // namespace marvono
