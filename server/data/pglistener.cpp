#include "data/pglistener.h"

#include "data/shopserver.h"

#include <QSocketNotifier>
#include <QTimer>
#include <libpq-fe.h>

namespace marvono {

ServerChangeListener::ServerChangeListener(const QString& conninfo, const QString& channel, QObject* parent)
    : QObject(parent), m_conninfo(conninfo), m_channel(channel.toUtf8()), m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(1000);
    connect(m_retry, &QTimer::timeout, this, &ServerChangeListener::connectToServer);
    connectToServer();
}

ServerChangeListener::~ServerChangeListener()
{
    dropConnection();
}

bool ServerChangeListener::isListening() const
{
    return m_listening && PQstatus(m_conn) == CONNECTION_OK;
}

void ServerChangeListener::setRetryInterval(int ms)
{
    m_firstRetryMs = ms;
    m_retry->setInterval(ms);
}

void ServerChangeListener::connectToServer()
{
    // Started without blocking and driven by the socket: a server that does not answer must not
    // freeze the till's windows.
    dropConnection();
    m_conn = connectToShopServer(m_conninfo, true);
    if (!m_conn || PQstatus(m_conn) == CONNECTION_BAD) {
        retryLater();
        return;
    }
    // The server's farewell when it ends the connection is no news for the operator's terminal.
    PQsetNoticeProcessor(
        m_conn, [](void*, const char*) {}, nullptr);
    continuePolling(PGRES_POLLING_WRITING);
}

void ServerChangeListener::continuePolling(int polled)
{
    discardNotifier();
    const auto state = PostgresPollingStatusType(polled);
    if (state == PGRES_POLLING_FAILED) {
        retryLater();
        return;
    }
    if (state == PGRES_POLLING_OK) {
        startListening();
        return;
    }
    m_notifier = new QSocketNotifier(
        PQsocket(m_conn), state == PGRES_POLLING_READING ? QSocketNotifier::Read : QSocketNotifier::Write, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this]() { continuePolling(PQconnectPoll(m_conn)); });
}

void ServerChangeListener::startListening()
{
    char* channel = PQescapeIdentifier(m_conn, m_channel.constData(), size_t(m_channel.size()));
    const QByteArray sql = QByteArray("LISTEN ") + (channel ? channel : "");
    PQfreemem(channel);
    // Its answer is read with the announcements: a server that stops answering here must not
    // freeze the till either.
    if (PQsetnonblocking(m_conn, 1) != 0 || !PQsendQuery(m_conn, sql.constData()) || PQflush(m_conn) != 0) {
        retryLater();
        return;
    }
    m_listenSent = true;
    m_notifier = new QSocketNotifier(PQsocket(m_conn), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ServerChangeListener::readNotifications);
}

void ServerChangeListener::listeningStarted()
{
    m_listenSent = false;
    m_listening = true;
    m_retry->setInterval(m_firstRetryMs);
    // Changes made while the connection was down were not heard.
    if (m_everConnected) {
        Q_EMIT connectionChanged(true);
        Q_EMIT changed();
    }
    m_everConnected = true;
}

void ServerChangeListener::retryLater()
{
    // The till keeps working on its own list and tries again later, waiting longer each time
    // while the server stays away.
    const bool wasListening = m_listening;
    dropConnection();
    if (wasListening)
        Q_EMIT connectionChanged(false);
    else
        m_retry->setInterval(qMin(m_retry->interval() * 2, qMax(kLongestRetryMs, m_firstRetryMs)));
    m_retry->start();
}

void ServerChangeListener::readNotifications()
{
    if (!m_conn)
        return;
    if (PQconsumeInput(m_conn) == 0 || PQstatus(m_conn) != CONNECTION_OK) {
        retryLater();
        return;
    }
    if (m_listenSent) {
        bool answered = false;
        while (!answered && !PQisBusy(m_conn)) {
            PGresult* result = PQgetResult(m_conn);
            answered = !result;
            const bool refused = result && PQresultStatus(result) != PGRES_COMMAND_OK;
            PQclear(result);
            if (refused) {
                retryLater();
                return;
            }
        }
        if (answered)
            listeningStarted();
    }
    bool heard = false;
    while (PGnotify* notify = PQnotifies(m_conn)) {
        heard = true;
        PQfreemem(notify);
    }
    if (heard)
        Q_EMIT changed();
}

void ServerChangeListener::discardNotifier()
{
    // Often called from the notifier's own signal, so it goes once control is back in the loop.
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
    }
    m_notifier = nullptr;
}

void ServerChangeListener::dropConnection()
{
    m_listening = false;
    m_listenSent = false;
    discardNotifier();
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
}

} // namespace marvono
