#include "data/pglistener.h"

#include "data/shopserver.h"

#include <QSocketNotifier>
#include <QTimer>
#include <libpq-fe.h>

namespace marvono {

namespace {

// A restore drops the catalogue table and makes it anew, and fills it before its trigger exists:
// the table's oid, its file, and its catalogue row (rewritten when indexes and triggers are
// added) tell that without reading a single product.
constexpr char kCatalogueIdentity[] = "SELECT c.oid, c.xmin, pg_relation_filenode(c.oid) FROM pg_class c "
                                      "WHERE c.oid = to_regclass('product_info')";

} // namespace

ServerChangeListener::ServerChangeListener(const QString& conninfo, const QString& channel, QObject* parent)
    : QObject(parent), m_conninfo(conninfo), m_channel(channel.toUtf8()), m_retry(new QTimer(this)),
      m_check(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(1000);
    connect(m_retry, &QTimer::timeout, this, &ServerChangeListener::connectToServer);
    m_check->setInterval(kCheckIntervalMs);
    connect(m_check, &QTimer::timeout, this, &ServerChangeListener::checkCatalogue);
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

void ServerChangeListener::setCheckInterval(int ms)
{
    m_check->setInterval(ms);
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
    // The catalogue's identity is read with LISTEN, so that whatever it is afterwards, the
    // refresh made when listening starts has not seen it.
    const QByteArray sql = QByteArray("LISTEN ") + (channel ? channel : "") + "; " + kCatalogueIdentity;
    PQfreemem(channel);
    // Its answer is read with the announcements: a server that stops answering here must not
    // freeze the till either.
    if (PQsetnonblocking(m_conn, 1) != 0 || !PQsendQuery(m_conn, sql.constData()) || PQflush(m_conn) != 0) {
        retryLater();
        return;
    }
    m_awaiting = Awaiting::Listen;
    m_notifier = new QSocketNotifier(PQsocket(m_conn), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ServerChangeListener::readNotifications);
}

void ServerChangeListener::listeningStarted()
{
    m_listening = true;
    m_retry->setInterval(m_firstRetryMs);
    m_check->start();
    if (m_everConnected)
        Q_EMIT connectionChanged(true);
    m_everConnected = true;
    // Changes made before, while the connection was down or while the till filled its list
    // first, were not heard.
    Q_EMIT changed();
}

void ServerChangeListener::checkCatalogue()
{
    // The server took the connection's last question but has not answered it through a whole
    // round: hung, or its network gone without a word (keepalives cannot tell a stopped server).
    if (m_awaiting != Awaiting::Nothing) {
        if (++m_unanswered >= 2)
            retryLater();
        return;
    }
    if (!PQsendQuery(m_conn, kCatalogueIdentity) || PQflush(m_conn) < 0) {
        retryLater();
        return;
    }
    m_awaiting = Awaiting::Check;
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
    bool heard = false;
    if (m_awaiting != Awaiting::Nothing && !readAnswer(&heard)) {
        retryLater();
        return;
    }
    while (PGnotify* notify = PQnotifies(m_conn)) {
        heard = true;
        PQfreemem(notify);
    }
    if (heard)
        Q_EMIT changed();
}

bool ServerChangeListener::readAnswer(bool* catalogueRemade)
{
    const Awaiting awaited = m_awaiting;
    while (!PQisBusy(m_conn)) {
        PGresult* result = PQgetResult(m_conn);
        if (!result) {
            m_awaiting = Awaiting::Nothing;
            m_unanswered = 0;
            if (awaited == Awaiting::Listen)
                listeningStarted();
            return true;
        }
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_TUPLES_OK) {
            QByteArray identity;
            for (int row = 0; row < PQntuples(result); ++row)
                for (int column = 0; column < PQnfields(result); ++column)
                    identity.append(PQgetvalue(result, row, column)).append(' ');
            *catalogueRemade = *catalogueRemade || (awaited == Awaiting::Check && identity != m_catalogue);
            m_catalogue = identity;
        }
        PQclear(result);
        // A refused check is asked again next round; a refused LISTEN is a connection to drop.
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && awaited == Awaiting::Listen)
            return false;
    }
    return true;
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
    m_awaiting = Awaiting::Nothing;
    m_unanswered = 0;
    m_check->stop();
    discardNotifier();
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
}

} // namespace marvono
