#include "SingleInstance.h"

#include "Prompter.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace kx {

namespace {
// Tests running side by side each get their own names (KESTRIX_INSTANCE_SCOPE), so one test's
// window never looks like a running program to another.
QString scoped(const QString& name) {
    const QString scope = qEnvironmentVariable("KESTRIX_INSTANCE_SCOPE");
    return scope.isEmpty() ? name : name + QLatin1Char('-') + scope;
}
} // namespace

QLocalServer* InstanceName::listen(const QString& plainName, QObject* owner) {
    const QString name = scoped(plainName);
    if (isRunning(plainName)) return nullptr;
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
    socket.connectToServer(scoped(name));
    const bool connected = socket.waitForConnected(timeoutMs);
    if (connected) socket.abort();
    return connected;
}

bool refuseEntry(const QString& own, const QString& other, const QString& alreadyRunning,
                 const QString& otherRunning) {
    const bool ownRuns = InstanceName::isRunning(own);
    const bool otherRuns = InstanceName::isRunning(other);
    if (!ownRuns && !otherRuns) return false;
    if (!otherRuns)
        prompter().information(alreadyRunning);
    else if (!ownRuns)
        prompter().information(otherRunning);
    return true;
}

} // namespace kx
