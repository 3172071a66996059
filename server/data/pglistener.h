#pragma once
// Hears the shop server announce changes on one channel: its own connection LISTENs, and the
// event loop watches the connection's socket, so nothing blocks and nothing polls the server.
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

  Q_SIGNALS:
    // Once per batch of announcements read together; also after a reconnect, since changes
    // made while the connection was down were not heard.
    void changed();
    // The connection was lost (false), or is listening again after a loss (true).
    void connectionChanged(bool listening);

  private:
    void connectToServer();
    void continuePolling(int polled);
    void startListening();
    void listeningStarted();
    void readNotifications();
    void retryLater();
    void discardNotifier();
    void dropConnection();

    QString m_conninfo;
    QByteArray m_channel;
    PGconn* m_conn = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_retry = nullptr;
    int m_firstRetryMs = 1000;
    bool m_everConnected = false;
    bool m_listening = false;
    bool m_listenSent = false; // LISTEN went out; its answer is awaited
};

} // namespace marvono
