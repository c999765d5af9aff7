#pragma once
// The one connection a program keeps to the shared database file.
#include <QSqlDatabase>
#include <QString>

namespace kx::db {

// The database file of a program: its folder + "data/VenueData.MDB".
QString databasePath(const QString& programDir);
// The folder of the running program.
QString programDir();

// Owns one named QtSql connection to an SQLite file, opened for sharing with the other
// program: WAL journal and a busy timeout, so a second writer waits instead of failing.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens (creating the folder and file when missing). Throws DbError when it cannot.
    void open(const QString& path);
    void close();
    bool isOpen() const;
    QSqlDatabase db() const;
    QString path() const { return path_; }
    QString name() const { return name_; }

private:
    QString name_;
    QString path_;
};

} // namespace kx::db
