#include "Connection.h"

#include "Errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <sys/stat.h>

namespace kx::db {

QString databasePath(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("data/VenueData.MDB"));
}

QString programDir() { return QCoreApplication::applicationDirPath(); }

namespace {
QString sharedFolder() {
    const QString set = qEnvironmentVariable("KESTRIX_DATA_DIR");
    return QDir::cleanPath(set.isEmpty() ? QStringLiteral("/var/lib/kestrix") : set);
}
} // namespace

QString dataFolder(const QString& programDir) {
    const QString dir = QDir::cleanPath(programDir);
    // Installed: the package's program folder (whoever runs it, an administrator included).
    for (const QString& installed : {QStringLiteral(KESTRIX_INSTALLED_BINDIR), QStringLiteral("/usr/bin")})
        if (dir == QDir::cleanPath(installed)) return sharedFolder();
    if (!QFileInfo(dir).isWritable()) return sharedFolder();
    return dir;
}

bool isSharedDataFolder(const QString& dataFolder) {
    return QDir::cleanPath(dataFolder) == sharedFolder();
}

void shareWithGroup(const QString& file) {
    struct stat folder {};
    if (::stat(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), &folder) != 0 || !(folder.st_mode & S_ISGID))
        return;
    for (const QString& f : {file, file + QStringLiteral("-wal"), file + QStringLiteral("-shm")}) {
        struct stat st {};
        const QByteArray name = QFile::encodeName(f);
        if (::stat(name.constData(), &st) == 0) ::chmod(name.constData(), (st.st_mode & 07777) | S_IRGRP | S_IWGRP);
    }
}

QString settleDataFolder() {
    const QString folder = dataFolder(programDir());
    if (isSharedDataFolder(folder)) ::umask(0002);
    return folder;
}

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
    shareWithGroup(path);
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
