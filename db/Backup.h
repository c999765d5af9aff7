#pragma once
// Checked copies of the database file, made while the programs keep working on it.
//
// backupDatabase copies the file page by page through SQLite's online backup interface on a
// read-only connection of its own, so the copy is one committed state of the database whatever
// another connection or program writes meanwhile; the live file is never copied as a plain file.
// The copy is written beside the target as "<target>.part", checked, and only then renamed over
// the target: a failed backup leaves the previous backup of that name untouched and no partial file.
#include "Errors.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace kx::db {

struct BackupOptions {
    // Pages copied per step (0: all in one step). Between steps the source is not locked; a commit
    // by another connection in that pause makes the next step start the copy again from the first page.
    int pagesPerStep = 4096;
    // After this many such restarts the rest is copied in one step, which reads one snapshot
    // (under WAL writers go on meanwhile), so a busy front desk cannot keep the copy from finishing.
    int restartsBeforeOneStep = 2;
    // How long a lock may keep the copy from going on before it is given up.
    int busyLimitMs = 30000;
    // PRAGMA integrity_check (every index checked against its table) instead of quick_check.
    bool fullCheck = false;
    // The copy compacted (VACUUM of the private copy, never of the live file) before its check.
    bool compact = false;
    // The PRAGMA user_version the copy must carry; negative: not checked.
    int userVersion = -1;
    // Called after each step that did not finish, with the pages copied so far and the total.
    std::function<void(int copied, int total)> progress;
};

// Copies the SQLite database at `sourcePath` to `targetPath` (replacing it when the copy is
// good). The copy is a single file in rollback-journal mode. Throws DbError with the reason when
// the source cannot be read, the target cannot be written, or the copy fails its check.
void backupDatabase(const QString& sourcePath, const QString& targetPath, const BackupOptions& options = {});

// The same copy in two steps, so that the copying need not keep anybody waiting. start() opens
// the source on a connection of its own, fixes the moment the copy shows (a read transaction:
// what any connection commits afterwards is not in the copy, and the copy never starts over)
// and opens the partial file, so that a source or target that cannot be used is refused at once.
// finish() copies, checks and puts the copy in place; it may run on another thread while the
// programs go on writing. A backup started and never finished leaves no partial file.
//
// On a venue whose database is on a PostgreSQL server (SnapshotBackup on the live connection),
// the copy is PostgreSQL's own: pg_dump in its custom format (restored with pg_restore), started
// by start() and awaited by finish(). start() returns once pg_dump holds its snapshot, so the copy
// shows the moment of start() there too; a missing pg_dump is refused at once.
class SnapshotBackup {
  public:
    SnapshotBackup(const QString& sourcePath, const QString& targetPath, BackupOptions options = {});
    // The database behind `live`: its file, or its server.
    SnapshotBackup(QSqlDatabase live, const QString& targetPath, BackupOptions options = {});
    ~SnapshotBackup();
    SnapshotBackup(const SnapshotBackup&) = delete;
    SnapshotBackup& operator=(const SnapshotBackup&) = delete;

    // Throws DbError when the source cannot be read or the target cannot be written.
    void start();
    // Throws DbError when the copy fails or does not pass its check (no partial file is left).
    void finish();
    QString target() const { return target_; }

  private:
    struct State;
    struct Dump;
    void startDump();
    void finishDump();
    QSqlDatabase live_; // set on a server only
    QString source_;
    QString target_;
    BackupOptions options_;
    std::unique_ptr<State> state_;
    std::unique_ptr<Dump> dump_;
};

// The pg_dump program a server's backups are written with: KESTRIX_PG_DUMP when set, else
// pg_dump on the PATH, else the newest of the server's versioned program folders
// (/usr/lib/postgresql/<version>/bin); empty when there is none.
QString pgDumpProgram();

// Keeps the `keep` last files of `folder` whose names match `pattern` (a wildcard such as
// "VenueData-*.bak") in name order — dated names "yyyy-MM-dd" sort by date — and removes the
// others. Returns the names removed. Folders and other files are left alone.
QStringList pruneBackups(const QString& folder, const QString& pattern, int keep);

// The day end's copy: "VenueData-<business day>.bak" in the folder "back" beside the data
// folder (made when missing), its moment fixed by start(). Throws DbError when the folder or
// the copy cannot be made.
std::unique_ptr<SnapshotBackup> startDayEndBackup(const QString& databaseFile, const QDate& business);
// Finishes the day end's copy and keeps the last kDayEndBackupsKept of the day end's own dated
// copies ("VenueData-yyyy-MM-dd.bak"); the other copies of the folder are never counted.
inline constexpr int kDayEndBackupsKept = 30;
void finishDayEndBackup(SnapshotBackup& backup);
// The same for the database behind `live` (on a server, a pg_dump copy of the same name).
std::unique_ptr<SnapshotBackup> startDayEndBackup(QSqlDatabase live, const QDate& business);

// The folder "back" beside the data folder of `databaseFile`, made when missing; throws DbError
// when it cannot be made.
QString backupFolder(const QString& databaseFile);
// The maintenance backup: "VenueData.bak" in the backup folder.
QString maintenanceBackupFile(const QString& databaseFile);
// Writes the maintenance backup of the live file: a compacted copy of one committed state,
// checked (integrity, this program's schema version, one self-contained file) and only then put
// in place of the previous one. The live file is neither closed, moved nor compacted. Throws
// DbError with the reason; the previous backup is then untouched.
void backupForMaintenance(const QString& databaseFile);
// The same for the database behind `live` (on a server, a pg_dump copy of the same name).
void backupForMaintenance(QSqlDatabase live);

// A checked copy of the live file kept before an operation that changes the venue's data as a
// whole: "VenueData-<what>-<yyyyMMdd-HHmmss>.bak" in the backup folder ("restore", "clear",
// "init"). Returns its path; throws DbError when it cannot be written (then do nothing).
// `progress` is told the pages copied so far and the total as the copy goes on.
QString keepCopyBefore(const QString& databaseFile, const QString& what, const QDateTime& now,
                       std::function<void(int copied, int total)> progress = {});
// The same for the database behind `live` (on a server, a pg_dump copy of the same name; no
// progress is told there).
QString keepCopyBefore(QSqlDatabase live, const QString& what, const QDateTime& now,
                       std::function<void(int copied, int total)> progress = {});

// Why a restore did not happen. Nothing in the live database changed in any of these cases.
class RestoreRefused : public DbError {
  public:
    enum Problem {
        Missing, // no backup file
        Foreign, // not a readable database of this system (damaged, truncated, another program's)
        Newer,   // written by a newer version of the programs
        Failed,  // the safety copy or the copy itself failed (busy, disk full)
        OnServer // the database is on a PostgreSQL server: restored with PostgreSQL's own tools
    };
    RestoreRefused(Problem problem, const QString& reason)
        : DbError(reason), problem_(problem), reason_(reason) {}
    Problem problem() const { return problem_; }
    // What SQLite or the file system said, if anything.
    QString reason() const { return reason_; }

  private:
    Problem problem_;
    QString reason_;
};

// Restores the backup `backupFile` into the open connection `live`: the backup is checked
// first (a database of this system: its integrity, a schema version from 1 to this program's,
// our tables with the one settings row, the live file's page size); then a checked copy of the
// live database is written to "VenueData-restore-<yyyyMMdd-HHmmss>.bak" in the backup folder;
// then SQLite's online backup copies the backup into the live database in one write
// transaction, so another program on the file sees the old database or the restored one. An
// older backup is then upgraded. The live file stays in its journal mode. A lock held by another
// connection longer than `busyLimitMs` refuses the restore. Returns the safety copy's path;
// throws RestoreRefused. A database on a server is refused (OnServer) before anything is read.
QString restoreDatabase(QSqlDatabase live, const QString& backupFile, const QDateTime& now, int busyLimitMs = 10000);

} // namespace kx::db
