#include "SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace kx {

QLocalServer* InstanceName::listen(const QString& name, QObject* owner) {
    if (isRunning(name)) return nullptr;
    auto* server = new QLocalServer(owner);
    server->setObjectName(name);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        // Only a leftover socket file can be in the way here: no one answered on it.
        QLocalServer::removeServer(name);
        if (!server->listen(name)) {
            delete server;
            return nullptr;
        }
    }
    // A program asking only connects to learn that we run; let it go at once.
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket* s = server->nextPendingConnection()) {
            s->disconnectFromServer();
            s->deleteLater();
        }
    });
    return server;
}

bool InstanceName::isRunning(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    const bool connected = socket.waitForConnected(timeoutMs);
    if (connected) socket.abort();
    return connected;
}

} // namespace kx
