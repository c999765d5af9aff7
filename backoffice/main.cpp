#include "Clock.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    kx::Clock::settleTimeZone();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Kestrix餐饮娱乐管理系统9.0版-后台管理"));
    QMainWindow w;
    w.setObjectName(QStringLiteral("TFormSMain"));
    w.setWindowTitle(QStringLiteral("Kestrix餐饮娱乐管理系统Ver 9.0-后台操作"));
    // Findable by its name, so the front desk does not start beside it.
    kx::InstanceName::listen(kx::InstanceName::BackOffice, &w);
    w.show();
    return app.exec();
}
