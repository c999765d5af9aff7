#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationDisplayName(QStringLiteral("Kestrix餐饮客房管理系统-前台操作"));
    QMainWindow w;
    w.setObjectName(QStringLiteral("TFormWMain"));
    w.setWindowTitle(QStringLiteral("Kestrix餐饮娱乐管理系统Ver 9.0-前台操作"));
    w.setFixedSize(800, 570);
    w.show();
    return app.exec();
}
