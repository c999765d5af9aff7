// kestrix-bare-window FILE NAME: the least a Qt program opening the venue's database does before
// the cashier sees it — opens FILE through QtSql and reads its schema, shows an empty main
// window, runs its event loop once — and then answers under the local-socket name NAME, letting
// each caller go at once, as the front desk does under its own name. The benchmark starts it and
// the front desk the same way and times both to the moment they let go of a connection.
#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMainWindow>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: kestrix-bare-window FILE NAME\n");
        return 2;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(args[1]);
        QSqlQuery schema(db);
        if (!db.open() || !schema.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) ||
            !schema.next()) {
            std::fprintf(stderr, "cannot open %s\n", args[1].toLocal8Bit().constData());
            return 1;
        }
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(800, 600);
    window.show();
    QApplication::processEvents();

    QLocalServer server;
    QLocalServer::removeServer(args[2]);
    if (!server.listen(args[2])) {
        std::fprintf(stderr, "cannot listen as %s\n", args[2].toLocal8Bit().constData());
        return 1;
    }
    QObject::connect(&server, &QLocalServer::newConnection, &server, [&server] {
        while (QLocalSocket* s = server.nextPendingConnection()) {
            s->disconnectFromServer();
            s->deleteLater();
        }
    });
    return app.exec();
}
