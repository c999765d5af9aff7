#include "Connection.h"

#include "Engine.h"
#include "Errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QHash>
#include <QMutex>
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

namespace {
// Which file each open server connection stands for, by connection name.
QMutex standsForLock;
QHash<QString, QString>& standsFor() {
    static QHash<QString, QString> names;
    return names;
}
} // namespace

QString venueFileOf(const QSqlDatabase& db) {
    if (!isServer(db)) return db.databaseName();
    QMutexLocker lock(&standsForLock);
    return standsFor().value(db.connectionName());
}

Connection::~Connection() { close(); }

void Connection::open(const QString& path) {
    close();
    const QString url = serverUrlFor(path);
    if (!url.isEmpty()) {
        openServer(url, path);
        return;
    }
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

void Connection::openServer(const QString& url, const QString& standsFor) {
    close();
    const ServerAddress a = parseServerUrl(url);
    if (!a.valid) throw DbError(QStringLiteral("不是 PostgreSQL 地址：%1").arg(displayUrl(url)));
    static std::atomic<int> counter{0};
    name_ = QStringLiteral("kestrix-pg-%1").arg(++counter);
    path_ = standsFor;
    url_ = url;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
    db.setHostName(a.host);
    db.setPort(a.port);
    db.setUserName(a.user);
    db.setDatabaseName(a.database);
    QString options = a.options;
    if (!options.contains(QLatin1String("connect_timeout")))
        options += (options.isEmpty() ? QString() : QStringLiteral(";")) + QStringLiteral("connect_timeout=8");
    db.setConnectOptions(options);
    // NUMERIC columns (the file's DECIMAL) read as double, as on the file.
    db.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!db.open()) {
        const QString message = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        name_.clear();
        url_.clear();
        throw DbError(QStringLiteral("无法连接数据库服务器 %1：%2").arg(displayUrl(url), message));
    }
    QSqlQuery q(db);
    // A writer waits for another desk's write as long as on the file, then gives up; the dates
    // are text, so the session's time zone and date style play no part.
    for (const char* setting : {"SET lock_timeout = '8s'", "SET client_min_messages = warning",
                                "SET standard_conforming_strings = on"}) {
        if (!q.exec(QString::fromLatin1(setting))) {
            const QString message = q.lastError().text();
            q = QSqlQuery();
            close();
            throw DbError(QStringLiteral("无法连接数据库服务器 %1：%2").arg(displayUrl(url), message));
        }
    }
    {
        QMutexLocker lock(&standsForLock);
        kx::db::standsFor().insert(name_, standsFor);
    }
}

QString Connection::describe() const {
    if (!url_.isEmpty()) return QStringLiteral("PostgreSQL 服务器 ") + displayUrl(url_);
    return QStringLiteral("数据库文件 ") + path_;
}

void Connection::close() {
    if (name_.isEmpty()) return;
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(name_);
    {
        QMutexLocker lock(&standsForLock);
        kx::db::standsFor().remove(name_);
    }
    name_.clear();
    url_.clear();
}

bool Connection::isOpen() const { return !name_.isEmpty() && QSqlDatabase::database(name_, false).isOpen(); }

QSqlDatabase Connection::db() const { return QSqlDatabase::database(name_, false); }

} // namespace kx::db
