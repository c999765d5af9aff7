#include "Connection.h"

#include "Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace kx::db {

QString databasePath(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("data/VenueData.MDB"));
}

QString programDir() { return QCoreApplication::applicationDirPath(); }

Connection::~Connection() { close(); }

void Connection::open(const QString& path) {
    close();
    static std::atomic<int> counter{0};
    name_ = QStringLiteral("kestrix-%1").arg(++counter);
    path_ = path;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=8000"));
    if (!db.open()) {
        const QString message = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        name_.clear();
        throw DbError(QStringLiteral("无法打开数据库文件 %1：%2").arg(path, message));
    }
    QSqlQuery q(db);
    // WAL lets the other program read while one writes; NORMAL sync is crash safe in WAL.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA busy_timeout=8000",
                               "PRAGMA foreign_keys=OFF"}) {
        if (!q.exec(QString::fromLatin1(pragma))) {
            const QString message = q.lastError().text();
            q = QSqlQuery();
            close();
            throw DbError(QStringLiteral("无法打开数据库文件 %1：%2").arg(path, message));
        }
    }
}

void Connection::close() {
    if (name_.isEmpty()) return;
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(name_);
    name_.clear();
}

bool Connection::isOpen() const { return !name_.isEmpty() && QSqlDatabase::database(name_, false).isOpen(); }

QSqlDatabase Connection::db() const { return QSqlDatabase::database(name_, false); }

} // namespace kx::db
