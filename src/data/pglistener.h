#pragma once
// Hears the shop server announce changes on one channel: its own connection LISTENs, and the
// event loop watches the connection's socket, so nothing blocks. A few cheap questions a minute
// catch what no announcement tells: the catalogue table made anew (a restore of a dump) and a
// server that stopped answering.
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;
typedef struct pg_conn PGconn;

namespace marvono {

class ServerChangeListener : public QObject {
    Q_OBJECT
  public:
    ServerChangeListener(const QString& conninfo, const QString& channel, QObject* parent = nullptr);
    ~ServerChangeListener() override;

    // Whether the connection is up and listening now.
    bool isListening() const;
    // How long to wait before the first new try after the connection was lost; each further
    // try waits twice as long as the one before, up to kLongestRetryMs.
    void setRetryInterval(int ms);
    static constexpr int kLongestRetryMs = 8000;
    // How often the listener asks whether the catalogue table was made anew; a server that
    // leaves two such questions unanswered counts as lost.
    void setCheckInterval(int ms);
    static constexpr int kCheckIntervalMs = 5000;

  Q_SIGNALS:
    // Once per batch of announcements read together, and when the catalogue table was made anew;
    // also each time listening starts, since changes made before were not heard.
    void changed();
    // The connection was lost (false), or is listening again after a loss (true).
    void connectionChanged(bool listening);

  private:
    void connectToServer();
    void continuePolling(int polled);
    void startListening();
    void listeningStarted();
    void readNotifications();
    // Reads what has come of the answer awaited; false when the server refused to LISTEN.
    bool readAnswer(bool* catalogueRemade);
    void checkCatalogue();
    void retryLater();
    void discardNotifier();
    void dropConnection();

    QString m_conninfo;
    QByteArray m_channel;
    PGconn* m_conn = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_retry = nullptr;
    QTimer* m_check = nullptr;
    int m_firstRetryMs = 1000;
    bool m_everConnected = false;
    bool m_listening = false;
    enum class Awaiting { Nothing, Listen, Check } m_awaiting = Awaiting::Nothing;
    int m_unanswered = 0;   // checks due while an answer was still awaited
    QByteArray m_catalogue; // the catalogue table's identity as last read
};

} // namespace marvono
