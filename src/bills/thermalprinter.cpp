#include "bills/thermalprinter.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"
#include "app/text.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSaveFile>
#include <QTcpSocket>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace marvono {
namespace {

const QString kDesktop = QStringLiteral("Desktop");
const QString kEscPos = QStringLiteral("ESC/POS");
constexpr quint16 kRawPrintPort = 9100;

QString printerPath()
{
    return appPath(QStringLiteral("printer.dat"));
}

QString timedOut(const QString& target)
{
    return QStringLiteral("The receipt printer %1 did not take the receipt: timed out in %2 s.")
        .arg(target)
        .arg(kPrinterTimeoutMs / 1000);
}

bool sendToDevice(const QString& path, const QByteArray& bytes, QString* error)
{
    // Without blocking, so a printer that is off or out of paper cannot hold the till past the
    // timeout; appending, so a plain file collects what is printed.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        if (cause == ENOENT || cause == ENODEV || cause == ENXIO)
            return fail(error, QStringLiteral("The receipt printer %1 is missing: no such device.").arg(path));
        if (cause == EACCES || cause == EPERM)
            return fail(error, QStringLiteral("Permission to write to the receipt printer %1 was refused.").arg(path));
        return fail(error, QStringLiteral("The receipt printer %1 cannot be opened: %2.")
                               .arg(path, QString::fromLocal8Bit(std::strerror(cause))));
    }
    const QDeadlineTimer deadline(kPrinterTimeoutMs);
    qsizetype written = 0;
    QString reason;
    while (written < bytes.size() && reason.isEmpty()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            reason = QStringLiteral("The receipt printer %1 refused the receipt: %2.")
                         .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            break;
        }
        pollfd ready{fd, POLLOUT, 0};
        if (deadline.hasExpired() || ::poll(&ready, 1, int(deadline.remainingTime())) == 0)
            reason = timedOut(path);
    }
    ::close(fd);
    return reason.isEmpty() || fail(error, reason);
}

bool sendToHost(const QString& target, const QByteArray& bytes, QString* error)
{
    QString host = target;
    quint16 port = kRawPrintPort;
    const qsizetype colon = target.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool number = false;
        port = quint16(target.mid(colon + 1).toUInt(&number));
        host = target.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        if (!number || port == 0)
            return fail(error,
                        QStringLiteral("The receipt printer %1 has no port number after the colon.").arg(target));
    }
    QTcpSocket socket;
    const QDeadlineTimer deadline(kPrinterTimeoutMs);
    socket.connectToHost(host, port);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        switch (socket.error()) {
        case QAbstractSocket::ConnectionRefusedError:
            return fail(error, QStringLiteral("The receipt printer %1 refused the connection.").arg(target));
        case QAbstractSocket::HostNotFoundError:
            return fail(error, QStringLiteral("The receipt printer's host %1 was not found.").arg(host));
        case QAbstractSocket::SocketTimeoutError:
            return fail(error, timedOut(target));
        default:
            return fail(
                error,
                QStringLiteral("The receipt printer %1 cannot be reached: %2.").arg(target, socket.errorString()));
        }
    }
    socket.write(bytes);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return fail(error, socket.error() == QAbstractSocket::SocketTimeoutError
                                   ? timedOut(target)
                                   : QStringLiteral("The receipt printer %1 dropped the connection: %2.")
                                         .arg(target, socket.errorString()));
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(int(deadline.remainingTime()));
    return true;
}

} // namespace

ReceiptPrinter readReceiptPrinter()
{
    ReceiptPrinter printer;
    const std::optional<QStringList> items = readQuotedItems(printerPath());
    if (!items || items->size() < 3)
        return printer;
    printer.escPos = items->at(0) == kEscPos;
    printer.target = items->at(1).trimmed();
    printer.columns = items->at(2).trimmed() == QStringLiteral("32") ? 32 : 48;
    return printer;
}

bool saveReceiptPrinter(const ReceiptPrinter& printer, QString* error)
{
    // Written like receipt.dat: a file of its own, replaced whole or not at all.
    QSaveFile file(printerPath());
    const QByteArray bytes = formatQuotedItems(
        {printer.escPos ? kEscPos : kDesktop, printer.target.trimmed(), QString::number(printer.columns)});
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    return fail(error, QStringLiteral("Cannot write %1: %2").arg(printerPath(), file.errorString()));
}

bool sendToPrinter(const QString& target, const QByteArray& bytes, QString* error)
{
    const QString where = target.trimmed();
    if (where.isEmpty())
        return fail(error, QStringLiteral("No receipt printer is given in Setup."));
    return where.startsWith(QLatin1Char('/')) ? sendToDevice(where, bytes, error) : sendToHost(where, bytes, error);
}

} // namespace marvono
