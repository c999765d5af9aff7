#pragma once
// Stand-ins for receipt printers: one on the network (a QTcpServer on a free port), a port
// where nothing listens, and a device file (a file in a temporary folder).
#include <QByteArray>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace kx::test {

// A receipt printer on the network: takes one connection and keeps what arrives.
class PrinterPeer {
  public:
    PrinterPeer() { server.listen(QHostAddress::LocalHost); }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(server.serverPort()); }
    // Everything the first client sent until it closed.
    QByteArray received() {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(2000)) return {};
        QTcpSocket* s = server.nextPendingConnection();
        QByteArray all;
        while (s->state() == QAbstractSocket::ConnectedState && s->waitForReadyRead(2000))
            all += s->readAll();
        return all + s->readAll();
    }
    QTcpServer server;
};

// An address on this machine where nothing listens.
inline QString refusingAddress() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    const quint16 port = s.serverPort();
    s.close();
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// A device file that is there; read back from where the last look ended.
class DeviceFile {
  public:
    DeviceFile() : path(dir.path() + QStringLiteral("/lp0")) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
    }
    QByteArray newBytes() {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray all = f.readAll();
        const QByteArray fresh = all.mid(read_);
        read_ = all.size();
        return fresh;
    }
    QTemporaryDir dir;
    QString path;

  private:
    qsizetype read_ = 0;
};

} // namespace kx::test
