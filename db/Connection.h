#pragma once
// The one connection a program keeps to the shared database file.
#include <QSqlDatabase>
#include <QString>

namespace kx::db {

// The database file below a data folder: the folder + "data/VenueData.MDB" (its backups go to
// the folder + "back").
QString databasePath(const QString& dataFolder);
// The folder of the running program.
QString programDir();
// Where the programs keep their data: beside the program (a build tree, or a folder copied as a
// whole), unless the program is installed (in the installation's program folder, or in a folder
// it cannot write to): then the venue's shared folder (/var/lib/kestrix, or $KESTRIX_DATA_DIR).
QString dataFolder(const QString& programDir);
// Whether `dataFolder` is the shared folder of an installation; its files are then made group
// writable for every cashier's login (the programs set their umask so).
bool isSharedDataFolder(const QString& dataFolder);
// The data folder of the running program; in the shared folder, files made from now on are
// group writable (umask 002).
QString settleDataFolder();
// A file in a shared folder (one whose set-group-ID bit makes its files the venue's group's) is
// made group writable, with its log files, whoever made it: every cashier's login works on it.
void shareWithGroup(const QString& file);

// Owns one named QtSql connection to the venue's database: an SQLite file, opened for sharing with
// the other program (WAL journal and a busy timeout, so a second writer waits instead of failing),
// or a PostgreSQL server database (a lock timeout of the same length).
// The database file a connection works on or, on a server, the file path the server stands for
// (the backups' folder "back" is beside its data folder); empty for a connection not opened
// through Connection.
QString venueFileOf(const QSqlDatabase& db);

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the venue's database at `path`: the file (creating the folder and file when missing),
    // or the PostgreSQL server that the connection setting names for it (serverUrlFor). Throws
    // DbError when it cannot.
    void open(const QString& path);
    // Opens a server database by its URL; `standsFor` is the file path the programs derive their
    // folders from (the backups' folder beside the data folder).
    void openServer(const QString& url, const QString& standsFor = QString());
    void close();
    bool isOpen() const;
    QSqlDatabase db() const;
    // The file, or the file path the server stands for.
    QString path() const { return path_; }
    // The server URL, or empty on the file.
    QString serverUrl() const { return url_; }
    bool isServer() const { return !url_.isEmpty(); }
    // Which database is in use, in words for the about panel and kestrix-db check.
    QString describe() const;
    QString name() const { return name_; }

private:
    QString name_;
    QString path_;
    QString url_;
};

} // namespace kx::db
