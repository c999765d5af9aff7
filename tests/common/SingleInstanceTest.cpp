#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using kx::InstanceName;

namespace {

// Each test its own name, so no real program and no other test run disturb it.
QString uniqueName(const char* what) {
    return QStringLiteral("kx-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(what);
}

// What a copy that crashed leaves behind: a socket file no one listens on.
void leaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    ASSERT_LT(size_t(p.size()), sizeof(addr.sun_path));
    memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
}

TEST(InstanceName, RunningWhileTheServerLives) {
    const QString name = uniqueName("live");
    EXPECT_FALSE(InstanceName::isRunning(name));
    {
        QObject window;
        ASSERT_NE(InstanceName::listen(name, &window), nullptr);
        EXPECT_TRUE(InstanceName::isRunning(name));
        EXPECT_TRUE(InstanceName::isRunning(name)); // asking twice does not use the name up
        // A second copy does not take the name from the running one.
        QObject second;
        EXPECT_EQ(InstanceName::listen(name, &second), nullptr);
        EXPECT_TRUE(InstanceName::isRunning(name));
    }
    EXPECT_FALSE(InstanceName::isRunning(name));
}

TEST(InstanceName, LeftoverOfACrashedCopyDoesNotBlock) {
    const QString name = uniqueName("stale");
    const QString path = QDir(QDir::tempPath()).absoluteFilePath(name);
    QFile::remove(path);
    leaveStaleSocket(path);
    ASSERT_TRUE(QFile::exists(path));

    EXPECT_FALSE(InstanceName::isRunning(name));
    QObject window;
    QLocalServer* server = InstanceName::listen(name, &window);
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->parent(), &window);
    EXPECT_TRUE(InstanceName::isRunning(name));
}

} // namespace
