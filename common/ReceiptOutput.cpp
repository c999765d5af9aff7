#include "ReceiptOutput.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kx {

namespace {

bool failed(QString* why, const QString& text) {
    if (why) *why = text;
    return false;
}

// Writes to a device file that is already there, without blocking past the deadline: a
// printer whose buffer is full (or that is off) makes the device refuse more for a while.
bool writeDevice(const QString& path, const QByteArray& bytes, int timeoutMs, QString* why) {
    const QByteArray name = path.toLocal8Bit();
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return failed(why, QString::fromLocal8Bit(std::strerror(errno)));
    QDeadlineTimer deadline(timeoutMs);
    qsizetype done = 0;
    bool ok = true;
    QString error;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            ok = false;
            break;
        }
        pollfd p{fd, POLLOUT, 0};
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || ::poll(&p, 1, int(left)) <= 0) {
            error = QStringLiteral("timed out after %1 of %2 bytes").arg(done).arg(bytes.size());
            ok = false;
            break;
        }
    }
    if (::close(fd) != 0 && ok) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        ok = false;
    }
    return ok ? true : failed(why, error);
}

bool writeNetwork(const QString& host, quint16 port, const QByteArray& bytes, int timeoutMs, QString* why) {
    QDeadlineTimer deadline(timeoutMs);
    QTcpSocket socket;
    socket.connectToHost(host, port);
    if (!socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime()))))
        return failed(why, socket.errorString());
    if (socket.write(bytes) != bytes.size()) return failed(why, socket.errorString());
    while (socket.bytesToWrite() > 0) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || !socket.waitForBytesWritten(int(left)))
            return failed(why, left <= 0 ? QStringLiteral("timed out") : socket.errorString());
    }
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(int(std::clamp<qint64>(deadline.remainingTime(), 1, 500)));
    return true;
}

} // namespace

ReceiptAddress parseReceiptAddress(const QString& text) {
    ReceiptAddress a;
    const QString t = text.trimmed();
    if (t.isEmpty()) return a;
    if (t.startsWith(QLatin1Char('/'))) {
        a.device = true;
        a.path = t;
        a.valid = true;
        return a;
    }
    QString host = t;
    QString port;
    if (t.startsWith(QLatin1Char('['))) {
        const int close = t.indexOf(QLatin1Char(']'));
        if (close < 0) return a;
        host = t.mid(1, close - 1);
        const QString after = t.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(QLatin1Char(':'))) return a;
            port = after.mid(1);
        }
    } else if (t.count(QLatin1Char(':')) == 1) {
        host = t.section(QLatin1Char(':'), 0, 0);
        port = t.section(QLatin1Char(':'), 1);
    }
    if (host.isEmpty()) return a;
    if (!port.isNull()) {
        bool ok = false;
        const uint n = port.toUInt(&ok);
        if (!ok || n < 1 || n > 65535) return a;
        a.port = quint16(n);
    }
    a.host = host;
    a.valid = true;
    return a;
}

bool sendToReceiptPrinter(const QString& address, const QByteArray& bytes, QString* why, int timeoutMs) {
    const ReceiptAddress a = parseReceiptAddress(address);
    if (!a.valid) return failed(why, QStringLiteral("no valid printer address"));
    return a.device ? writeDevice(a.path, bytes, timeoutMs, why)
                    : writeNetwork(a.host, a.port, bytes, timeoutMs, why);
}

QString receiptPrinterFailure(const QString& address) {
    return QStringLiteral("小票打印机[") + address.trimmed() + QStringLiteral("]不能打印，请检查打印机！");
}

} // namespace kx
