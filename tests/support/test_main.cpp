// The entry of every test program: a QApplication for widgets (offscreen), then GoogleTest.
#include "Clock.h"
#include "TestServer.h"

#include <QApplication>
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each test program keeps its own instance names, apart from other tests and real programs.
    qputenv("KESTRIX_INSTANCE_SCOPE", QByteArray::number(QCoreApplication::applicationPid()));
    kx::Clock::settleTimeZone(); // as the programs do
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    kx::test::setUpTestServer();
    return RUN_ALL_TESTS();
}
