#include "Backup.h"

#include "Connection.h"
#include "Engine.h"
#include "Errors.h"
#include "Schema.h"
#include "Sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kx::db {

namespace {

// One connection of SQLite's own interface, closed when it goes out of scope. It comes from the
// same system library as Qt's driver: SQLite shares a file's locks among the connections of one
// process only within one copy of the library.
class Handle {
  public:
    Handle(const QString& path, int flags) {
        rc_ = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
    }
    ~Handle() { sqlite3_close_v2(db_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool ok() const { return rc_ == SQLITE_OK; }
    sqlite3* get() const { return db_; }
    QString error() const {
        return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc_));
    }

  private:
    sqlite3* db_ = nullptr;
    int rc_ = SQLITE_ERROR;
};

// The first column of every row `sql` returns; throws with `what` when the statement fails.
QStringList column(sqlite3* db, const char* sql, const QString& what) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        throw DbError(what + QString::fromUtf8(sqlite3_errmsg(db)));
    QStringList rows;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) throw DbError(what + QString::fromUtf8(sqlite3_errstr(rc)));
    return rows;
}

void removePartial(const QString& part) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(part + QLatin1String(suffix));
}

// Steps the copy to its end. A commit by another connection between two steps would make SQLite
// start the copy again from the first page unless the source holds a read transaction; one that
// keeps restarting is copied in one step after a few restarts.
void stepCopy(sqlite3_backup* backup, const QString& sourcePath, const BackupOptions& options) {
    using Clock = std::chrono::steady_clock;
    const auto busyLimit = std::chrono::milliseconds(std::max(0, options.busyLimitMs));
    Clock::duration waited{};
    int restarts = 0;
    int lastCopied = -1;
    int rc;
    for (;;) {
        const int pages =
            restarts >= options.restartsBeforeOneStep || options.pagesPerStep < 1 ? -1 : options.pagesPerStep;
        rc = sqlite3_backup_step(backup, pages);
        if (rc == SQLITE_DONE) break;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            // Another connection holds a lock the step needs for a moment (a checkpoint, a
            // commit of a rollback-journal database): wait and try the same step again.
            if (waited >= busyLimit) break;
            const auto start = Clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            waited += Clock::now() - start;
            continue;
        }
        if (rc != SQLITE_OK) break;
        const int total = sqlite3_backup_pagecount(backup);
        const int copied = total - sqlite3_backup_remaining(backup);
        if (copied <= lastCopied) ++restarts;
        lastCopied = copied;
        if (options.progress) options.progress(copied, total);
    }
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        throw DbError(QStringLiteral("数据库忙，备份没有完成 %1：%2")
                          .arg(sourcePath, QString::fromUtf8(sqlite3_errstr(rc))));
    if (rc != SQLITE_DONE)
        throw DbError(
            QStringLiteral("备份没有完成 %1：%2").arg(sourcePath, QString::fromUtf8(sqlite3_errstr(rc))));
}

// The copy carries the source's WAL mark in its header; it becomes a plain rollback-journal file
// (no -wal and -shm beside a backup), is compacted when asked, and is then read back from disk
// by a connection of its own.
void checkCopy(const QString& part, const BackupOptions& options) {
    Handle copy(part, SQLITE_OPEN_READWRITE);
    const QString what = QStringLiteral("备份文件检查没有通过 %1：").arg(part);
    if (!copy.ok()) throw DbError(what + copy.error());
    column(copy.get(), "PRAGMA journal_mode=DELETE", what);
    if (options.compact) column(copy.get(), "VACUUM", what);
    const QStringList result =
        column(copy.get(), options.fullCheck ? "PRAGMA integrity_check" : "PRAGMA quick_check", what);
    if (result != QStringList{QStringLiteral("ok")})
        throw DbError(what + result.mid(0, 5).join(QLatin1Char('\n')));
    if (options.userVersion >= 0) {
        const QStringList version = column(copy.get(), "PRAGMA user_version", what);
        if (version.value(0).toInt() != options.userVersion)
            throw DbError(what + QStringLiteral("版本 %1，应为 %2").arg(version.value(0)).arg(options.userVersion));
    }
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

// ---- pg_dump for a database on a server ------------------------------------------------

namespace {

// The day end's copy of a business day.
QString dayEndName(const QDate& business) {
    return QStringLiteral("VenueData-%1.bak").arg(business.toString(QStringLiteral("yyyy-MM-dd")));
}

QString conninfoValue(QString v) {
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// The libpq connection string of the server connection `db`, as pg_dump takes it with --dbname;
// the password, as for the programs, from ~/.pgpass or PGPASSWORD.
QString conninfoOf(const QSqlDatabase& db, const QString& application) {
    QStringList parts;
    auto add = [&parts](const QString& key, const QString& value) {
        if (!key.isEmpty() && !value.isEmpty()) parts << key + QLatin1Char('=') + conninfoValue(value);
    };
    add(QStringLiteral("host"), db.hostName());
    if (db.port() > 0) add(QStringLiteral("port"), QString::number(db.port()));
    add(QStringLiteral("user"), db.userName());
    add(QStringLiteral("dbname"), db.databaseName());
    for (const QString& option : db.connectOptions().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = option.indexOf(QLatin1Char('='));
        if (eq > 0) add(option.left(eq).trimmed(), option.mid(eq + 1).trimmed());
    }
    add(QStringLiteral("application_name"), application);
    return parts.join(QLatin1Char(' '));
}

// Starts `program` with `args`, its messages into `errorsFile`; returns its process id, or -1
// with errno set.
pid_t spawnProgram(const QString& program, const QStringList& args, const QString& errorsFile) {
    std::vector<QByteArray> owned;
    owned.push_back(QFile::encodeName(program));
    for (const QString& a : args) owned.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : owned) argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray errors = QFile::encodeName(errorsFile);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, owned.front().constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        errno = rc;
        return -1;
    }
    return pid;
}

// What a failed pg_dump said: the last lines of its messages.
QString dumpMessages(const QString& errorsFile) {
    QFile f(errorsFile);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    QStringList lines = QString::fromLocal8Bit(f.readAll()).trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(std::max<qsizetype>(0, lines.size() - 4)).join(QLatin1Char('\n'));
}

bool exitedWell(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

} // namespace

QString pgDumpProgram() {
    const QString set = qEnvironmentVariable("KESTRIX_PG_DUMP");
    if (!set.isEmpty()) {
        const QFileInfo f(set);
        return f.isFile() && f.isExecutable() ? f.absoluteFilePath() : QString();
    }
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("pg_dump"));
    if (!onPath.isEmpty()) return onPath;
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toDouble() > b.toDouble(); });
    for (const QString& v : versions) {
        const QFileInfo f(QStringLiteral("/usr/lib/postgresql/%1/bin/pg_dump").arg(v));
        if (f.isFile() && f.isExecutable()) return f.absoluteFilePath();
    }
    return QString();
}

struct SnapshotBackup::Dump {
    pid_t pid = -1;   // pg_dump while it runs
    int status = 0;   // its exit status once it has ended
    QString part;     // the copy as pg_dump writes it
    QString errors;   // what pg_dump says
    bool done = false;

    // Stops a pg_dump still running and removes what it wrote.
    void abandon() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            pid = -1;
        }
        QFile::remove(part);
        QFile::remove(errors);
    }
    ~Dump() {
        if (!done) abandon();
    }
};

void SnapshotBackup::startDump() {
    const QString program = pgDumpProgram();
    if (program.isEmpty())
        throw DbError(QStringLiteral("没有找到 PostgreSQL 的备份程序 pg_dump，服务器上的数据不能备份：请安装 postgresql-client。"));
    const QFileInfo target(target_);
    if (target.isDir()) throw DbError(QStringLiteral("无法写入备份文件 %1：这是一个文件夹").arg(target_));
    if (!QFileInfo(target.absolutePath()).isDir() || !QFileInfo(target.absolutePath()).isWritable())
        throw DbError(QStringLiteral("无法写入备份文件 %1").arg(target_));
    auto d = std::make_unique<Dump>();
    d->part = target_ + QStringLiteral(".part");
    d->errors = target_ + QStringLiteral(".part.log");
    QFile::remove(d->part);
    static std::atomic<int> counter{0};
    const QString application = QStringLiteral("kestrix-backup-%1-%2").arg(::getpid()).arg(++counter);
    const QString schema = scalarText(live_, QStringLiteral("SELECT current_schema()"));
    QStringList args{QStringLiteral("--format=custom"), QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"),
                     QStringLiteral("--file=") + d->part, QStringLiteral("--dbname=") + conninfoOf(live_, application)};
    // A venue in a schema of its own (not the database's public one) is that schema.
    if (schema != QLatin1String("public")) args << QStringLiteral("--schema=") + schema;
    d->pid = spawnProgram(program, args, d->errors);
    if (d->pid <= 0)
        throw DbError(QStringLiteral("无法启动备份程序 %1：%2").arg(program, QString::fromLocal8Bit(std::strerror(errno))));
    // pg_dump takes its snapshot first and then locks the tables it copies: once it holds a lock
    // on one of ours, later commits are no longer in the copy.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(1000, options_.busyLimitMs));
    for (;;) {
        const pid_t ended = ::waitpid(d->pid, &d->status, WNOHANG);
        if (ended == d->pid) {
            d->pid = -1;
            if (!exitedWell(d->status)) {
                const QString said = dumpMessages(d->errors);
                throw DbError(QStringLiteral("备份没有完成（pg_dump）：%1").arg(said.isEmpty() ? program : said));
            }
            break;
        }
        if (scalarInt(live_,
                      QStringLiteral("SELECT count(*) FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid "
                                     "JOIN pg_class c ON c.oid = l.relation WHERE a.application_name = ? AND "
                                     "c.relnamespace = current_schema()::regnamespace"),
                      {application}) > 0)
            break;
        if (Clock::now() > deadline)
            throw DbError(QStringLiteral("数据库忙，备份没有完成：pg_dump 没有开始复制"));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    dump_ = std::move(d);
}

void SnapshotBackup::finishDump() {
    if (!dump_) startDump();
    Dump& d = *dump_;
    try {
        if (d.pid > 0) {
            while (::waitpid(d.pid, &d.status, 0) < 0 && errno == EINTR) {
            }
            d.pid = -1;
        }
        if (!exitedWell(d.status)) {
            const QString said = dumpMessages(d.errors);
            throw DbError(QStringLiteral("备份没有完成（pg_dump）：%1").arg(said.isEmpty() ? target_ : said));
        }
        // The custom format begins with its signature: a copy that lacks it is no copy.
        QFile copy(d.part);
        if (!copy.open(QIODevice::ReadOnly) || copy.read(5) != "PGDMP")
            throw DbError(QStringLiteral("备份文件检查没有通过 %1").arg(d.part));
        copy.close();
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(QFile::encodeName(d.part).toStdString()),
                                std::filesystem::path(QFile::encodeName(target_).toStdString()), ec);
        if (ec)
            throw DbError(QStringLiteral("无法写入备份文件 %1：%2").arg(target_, QString::fromLocal8Bit(ec.message())));
        d.done = true;
        QFile::remove(d.errors);
        shareWithGroup(target_);
    } catch (...) {
        dump_.reset();
        throw;
    }
}

struct SnapshotBackup::State {
    std::unique_ptr<Handle> source;
    std::unique_ptr<Handle> copy;
    std::unique_ptr<sqlite3_backup, int (*)(sqlite3_backup*)> backup{nullptr, sqlite3_backup_finish};
    QString part;
    bool done = false;
};

SnapshotBackup::SnapshotBackup(const QString& sourcePath, const QString& targetPath, BackupOptions options)
    : source_(sourcePath), target_(targetPath), options_(std::move(options)) {}

SnapshotBackup::SnapshotBackup(QSqlDatabase live, const QString& targetPath, BackupOptions options)
    : source_(isServer(live) ? venueFileOf(live) : live.databaseName()), target_(targetPath),
      options_(std::move(options)) {
    if (isServer(live)) live_ = live;
}

SnapshotBackup::~SnapshotBackup() {
    dump_.reset();
    if (!state_) return;
    const QString part = state_->part;
    const bool done = state_->done;
    state_.reset(); // the backup, then the connections
    if (!done) removePartial(part);
}

void SnapshotBackup::start() {
    if (live_.isValid()) {
        dump_.reset();
        startDump();
        return;
    }
    const QFileInfo source(source_), target(target_);
    if (!source.isFile()) throw DbError(QStringLiteral("无法读取数据库文件 %1").arg(source_));
    if (target.isDir()) throw DbError(QStringLiteral("无法写入备份文件 %1：这是一个文件夹").arg(target_));
    if (target.exists() && target.canonicalFilePath() == source.canonicalFilePath())
        throw DbError(QStringLiteral("备份文件不能是数据库文件本身：%1").arg(target_));
    auto st = std::make_unique<State>();
    st->part = target_ + QStringLiteral(".part");
    removePartial(st->part);
    try {
        st->source = std::make_unique<Handle>(source_, SQLITE_OPEN_READONLY);
        if (!st->source->ok())
            throw DbError(QStringLiteral("无法读取数据库文件 %1：%2").arg(source_, st->source->error()));
        // The read transaction fixes the state the copy shows.
        const QString what = QStringLiteral("无法读取数据库文件 %1：").arg(source_);
        column(st->source->get(), "BEGIN", what);
        column(st->source->get(), "SELECT count(*) FROM sqlite_master", what);
        st->copy = std::make_unique<Handle>(st->part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (!st->copy->ok())
            throw DbError(QStringLiteral("无法写入备份文件 %1：%2").arg(st->part, st->copy->error()));
        st->backup.reset(sqlite3_backup_init(st->copy->get(), "main", st->source->get(), "main"));
        if (!st->backup)
            throw DbError(QStringLiteral("无法开始备份 %1：%2").arg(source_, st->copy->error()));
        // The first step writes the file: a target that cannot take it is known now.
        const int rc = sqlite3_backup_step(st->backup.get(), 1);
        if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            throw DbError(QStringLiteral("无法写入备份文件 %1：%2").arg(st->part, QString::fromUtf8(sqlite3_errstr(rc))));
    } catch (...) {
        st.reset();
        removePartial(target_ + QStringLiteral(".part"));
        throw;
    }
    state_ = std::move(st);
}

void SnapshotBackup::finish() {
    if (live_.isValid()) {
        finishDump();
        return;
    }
    if (!state_) start();
    State& st = *state_;
    try {
        stepCopy(st.backup.get(), source_, options_);
        st.backup.reset();
        column(st.source->get(), "COMMIT", QString());
        st.source.reset();
        st.copy.reset();
        checkCopy(st.part, options_);
        // rename() replaces the old backup in one step: a reader sees the old file or the new one.
        std::error_code ec;
        std::filesystem::rename(fsPath(st.part), fsPath(target_), ec);
        if (ec)
            throw DbError(QStringLiteral("无法写入备份文件 %1：%2")
                              .arg(target_, QString::fromLocal8Bit(ec.message())));
        st.done = true;
        shareWithGroup(target_);
    } catch (...) {
        const QString part = st.part;
        state_.reset();
        removePartial(part);
        throw;
    }
}

void backupDatabase(const QString& sourcePath, const QString& targetPath, const BackupOptions& options) {
    SnapshotBackup backup(sourcePath, targetPath, options);
    backup.start();
    backup.finish();
}

QStringList pruneBackups(const QString& folder, const QString& pattern, int keep) {
    QDir dir(folder);
    QStringList names =
        dir.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::CaseSensitive, QDir::NoSort);
    names.sort(Qt::CaseSensitive);
    QStringList removed;
    for (qsizetype i = 0; i < names.size() - std::max(0, keep); ++i)
        if (dir.remove(names[i])) removed << names[i];
    return removed;
}

QString backupFolder(const QString& databaseFile) {
    const QDir folder(QFileInfo(databaseFile).absoluteDir().absoluteFilePath(QStringLiteral("../back")));
    const QString path = QDir::cleanPath(folder.absolutePath());
    if (!QFileInfo(path).isDir() && !QDir().mkpath(path))
        throw DbError(QStringLiteral("无法建立备份目录 %1").arg(path));
    return path;
}

std::unique_ptr<SnapshotBackup> startDayEndBackup(const QString& databaseFile, const QDate& business) {
    const QDir folder(backupFolder(databaseFile));
    auto backup = std::make_unique<SnapshotBackup>(QFileInfo(databaseFile).absoluteFilePath(),
                                                   folder.absoluteFilePath(dayEndName(business)));
    backup->start();
    return backup;
}

void finishDayEndBackup(SnapshotBackup& backup) {
    backup.finish();
    pruneBackups(QFileInfo(backup.target()).absolutePath(), QStringLiteral("VenueData-\?\?\?\?-\?\?-\?\?.bak"),
                 kDayEndBackupsKept);
}

QString maintenanceBackupFile(const QString& databaseFile) {
    return QDir(QFileInfo(databaseFile).absoluteDir().absoluteFilePath(QStringLiteral("../back")))
        .absoluteFilePath(QStringLiteral("VenueData.bak"));
}

void backupForMaintenance(const QString& databaseFile) {
    const QDir folder(backupFolder(databaseFile));
    // The program's own version: read from the live file, which every program upgrades at start.
    Handle live(QFileInfo(databaseFile).absoluteFilePath(), SQLITE_OPEN_READONLY);
    const QString what = QStringLiteral("无法读取数据库文件 %1：").arg(databaseFile);
    if (!live.ok()) throw DbError(what + live.error());
    BackupOptions options;
    options.compact = true;
    options.fullCheck = true;
    options.userVersion = column(live.get(), "PRAGMA user_version", what).value(0).toInt();
    backupDatabase(QFileInfo(databaseFile).absoluteFilePath(), folder.absoluteFilePath(QStringLiteral("VenueData.bak")),
                   options);
}

QString keepCopyBefore(const QString& databaseFile, const QString& what, const QDateTime& now,
                       std::function<void(int copied, int total)> progress) {
    const QString copy = QDir(backupFolder(databaseFile))
                             .absoluteFilePath(QStringLiteral("VenueData-%1-%2.bak")
                                                   .arg(what, now.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    BackupOptions options;
    options.progress = std::move(progress);
    backupDatabase(QFileInfo(databaseFile).absoluteFilePath(), copy, options);
    return copy;
}

namespace {

// The file a server stands for, whose folder "back" takes its backups.
QString standsForOf(const QSqlDatabase& live) {
    const QString file = venueFileOf(live);
    if (file.isEmpty()) throw DbError(QStringLiteral("不知道数据库服务器的备份目录：连接没有对应的数据目录"));
    return file;
}

} // namespace

std::unique_ptr<SnapshotBackup> startDayEndBackup(QSqlDatabase live, const QDate& business) {
    if (!isServer(live)) return startDayEndBackup(live.databaseName(), business);
    const QDir folder(backupFolder(standsForOf(live)));
    auto backup = std::make_unique<SnapshotBackup>(live, folder.absoluteFilePath(dayEndName(business)));
    backup->start();
    return backup;
}

void backupForMaintenance(QSqlDatabase live) {
    if (!isServer(live)) return backupForMaintenance(live.databaseName());
    const QDir folder(backupFolder(standsForOf(live)));
    SnapshotBackup backup(live, folder.absoluteFilePath(QStringLiteral("VenueData.bak")));
    backup.start();
    backup.finish();
}

QString keepCopyBefore(QSqlDatabase live, const QString& what, const QDateTime& now,
                       std::function<void(int copied, int total)> progress) {
    if (!isServer(live)) return keepCopyBefore(live.databaseName(), what, now, std::move(progress));
    const QString copy = QDir(backupFolder(standsForOf(live)))
                             .absoluteFilePath(QStringLiteral("VenueData-%1-%2.bak")
                                                   .arg(what, now.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    SnapshotBackup backup(live, copy);
    backup.start();
    backup.finish();
    return copy;
}

namespace {

sqlite3* handleOf(QSqlDatabase db) {
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0 || !*static_cast<sqlite3* const*>(v.constData()))
        throw RestoreRefused(RestoreRefused::Failed, QStringLiteral("the connection is not an SQLite connection"));
    return *static_cast<sqlite3* const*>(v.constData());
}

// The tables every version of the file has held.
const char* const kCoreTables[] = {"setuppay",       "itemlist",   "classlist",      "kindlist",
                                   "tablelist",      "operatorlist", "tableguestlist", "tableconslist",
                                   "allgues",        "allcons",    "memberlist",     "systemlog"};

// The backup as a database of this system, or why not.
void checkRestorable(const QString& backupFile, sqlite3* source, QSqlDatabase live) {
    auto foreign = [](const QString& reason) { return RestoreRefused(RestoreRefused::Foreign, reason); };
    QStringList integrity, version, tables, settings, pageSize;
    try {
        const QString what;
        integrity = column(source, "PRAGMA integrity_check", what);
        version = column(source, "PRAGMA user_version", what);
        pageSize = column(source, "PRAGMA page_size", what);
        tables = column(source, "SELECT lower(name) FROM sqlite_master WHERE type = 'table'", what);
    } catch (const DbError& e) {
        throw foreign(e.message());
    }
    if (integrity != QStringList{QStringLiteral("ok")}) throw foreign(integrity.mid(0, 3).join(QLatin1Char('\n')));
    const int v = version.value(0).toInt();
    if (v > currentSchemaVersion())
        throw RestoreRefused(RestoreRefused::Newer, QStringLiteral("%1 > %2").arg(v).arg(currentSchemaVersion()));
    if (v < 1) throw foreign(QStringLiteral("user_version %1").arg(v));
    for (const char* t : kCoreTables)
        if (!tables.contains(QLatin1String(t))) throw foreign(QStringLiteral("缺少数据表 %1").arg(QLatin1String(t)));
    try {
        settings = column(source, "SELECT count(*) FROM SetupPay", QString());
    } catch (const DbError& e) {
        throw foreign(e.message());
    }
    if (settings.value(0).toInt() != 1) throw foreign(QStringLiteral("SetupPay: %1").arg(settings.value(0)));
    const int livePage = scalarInt(live, QStringLiteral("PRAGMA page_size"));
    if (pageSize.value(0).toInt() != livePage)
        throw foreign(QStringLiteral("page_size %1 ≠ %2").arg(pageSize.value(0)).arg(livePage));
    (void)backupFile;
}

} // namespace

QString restoreDatabase(QSqlDatabase live, const QString& backupFile, const QDateTime& now, int busyLimitMs) {
    if (isServer(live))
        throw RestoreRefused(RestoreRefused::OnServer,
                             QStringLiteral("数据库在 PostgreSQL 服务器上，不能在这里恢复：请用 PostgreSQL 自己的工具 "
                                            "pg_restore 恢复备份。"));
    if (!QFileInfo(backupFile).isFile()) throw RestoreRefused(RestoreRefused::Missing, backupFile);
    Handle source(backupFile, SQLITE_OPEN_READONLY);
    if (!source.ok()) throw RestoreRefused(RestoreRefused::Foreign, source.error());
    checkRestorable(backupFile, source.get(), live);

    // The database as it is now, kept before anything is touched.
    QString safety;
    try {
        safety = keepCopyBefore(live.databaseName(), QStringLiteral("restore"), now);
    } catch (const DbError& e) {
        throw RestoreRefused(RestoreRefused::Failed, e.message());
    }

    // One step, one write transaction on the live connection; a lock another connection holds
    // longer than the limit refuses it and leaves the database whole.
    sqlite3* target = handleOf(live);
    const int busyBefore = scalarInt(live, QStringLiteral("PRAGMA busy_timeout"));
    sqlite3_busy_timeout(target, std::max(0, busyLimitMs));
    struct Reset {
        sqlite3* db;
        int ms;
        ~Reset() { sqlite3_busy_timeout(db, ms); }
    } reset{target, busyBefore};
    sqlite3_backup* copy = sqlite3_backup_init(target, "main", source.get(), "main");
    if (!copy) throw RestoreRefused(RestoreRefused::Failed, QString::fromUtf8(sqlite3_errmsg(target)));
    const int rc = sqlite3_backup_step(copy, -1);
    sqlite3_backup_finish(copy);
    if (rc != SQLITE_DONE) throw RestoreRefused(RestoreRefused::Failed, QString::fromUtf8(sqlite3_errstr(rc)));
    try {
        upgradeSchema(live);
    } catch (const DbError& e) {
        throw RestoreRefused(RestoreRefused::Failed, e.message());
    }
    return safety;
}

} // namespace kx::db
