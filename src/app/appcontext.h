#pragma once
// Where the program keeps its files, and the values that live for one run of the program.
#include <QDateTime>
#include <QString>

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
    bool ownerRights = true; // the login is the owner's account or an operator in the owner's role
    qint16 themeIndex = 0;
    bool warningTone = false;
    QString shopName;
    QString currencySymbol;
};
RunValues& runValues();

// Where Clock::now() reads the date and time, when not from the system clock.
class TimeSource {
  public:
    virtual ~TimeSource() = default;
    virtual QDateTime now() const = 0;
};

// The one source of the current date and time: every date the program stores or shows starts
// here, so that one installed TimeSource moves all of them together.
class Clock {
  public:
    static QDateTime now();
    // Reads the time from `source` (not owned; it must outlive its use) from now on; nullptr
    // restores the system clock.
    static void setSource(const TimeSource* source);
};

// Fixed text forms of times and dates, used everywhere the same text is stored and shown.
QString timeOfDayText(const QTime& time);        // "2:05:09 PM"
QString dateTimeText(const QDateTime& dateTime); // "2026-12-07 14:05:09"

} // namespace marvono
