#include "DbTool.h"

#include "Backup.h"
#include "Check.h"
#include "Connection.h"
#include "Copy.h"
#include "Engine.h"
#include "Errors.h"
#include "Generator.h"
#include "Schema.h"
#include "Sql.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <functional>

namespace kx::db {

namespace {

void usage(QTextStream& err) {
    err << "usage: kestrix-db create [--empty] FILE|URL\n"
           "       kestrix-db check FILE|URL\n"
           "       kestrix-db generate [--years N] [--visits-per-day N] [--seed N]\n"
           "                          [--tables N] [--items N] [--members N] [--live-cleared N] [--live-open "
           "N] FILE|URL\n"
           "       kestrix-db copy FROM TO    (every row of a venue from a file or URL into a new file or an empty\n"
           "                                   server database, checked by counts and sums per table)\n"
           "       (URL: postgresql://user@host:port/dbname; the password from ~/.pgpass or PGPASSWORD)\n"
           "       kestrix-db backup FILE     (the maintenance backup: back/VenueData.bak beside the data folder)\n"
           "       kestrix-db restore FILE    (back/VenueData.bak restored into FILE, the file before it kept)\n";
}

void removeDatabaseFiles(const QString& path) {
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}

bool isUrl(const QString& target) {
    return target.startsWith(QLatin1String("postgresql://")) || target.startsWith(QLatin1String("postgres://"));
}

// A venue database named on the command line: a server URL or a file (which may itself be set to
// a server by a database.ini beside it).
void openTarget(Connection& conn, const QString& target) {
    if (isUrl(target))
        conn.openServer(target);
    else
        conn.open(target);
}

int createOnServer(const QString& url, bool withSample, QTextStream& out, QTextStream& err, const QDate& today) {
    try {
        Connection conn;
        conn.openServer(url);
        if (hasTables(conn.db())) {
            err << "kestrix-db: " << displayUrl(url) << " already holds tables; refusing to write into it\n";
            return 1;
        }
        prepareDatabase(conn.db(), withSample, today);
        out << "created " << displayUrl(url) << " (schema version " << schemaVersion(conn.db()) << ", "
            << (withSample ? "with the sample venue" : "empty") << ")\n";
        return 0;
    } catch (const DbError& e) {
        err << "kestrix-db: " << e.message() << '\n';
        return 1;
    }
}

int create(const QString& path, bool withSample, QTextStream& out, QTextStream& err, const QDate& today) {
    if (isUrl(path)) return createOnServer(path, withSample, out, err, today);
    if (QFileInfo::exists(path)) {
        err << "kestrix-db: " << path << " already exists; refusing to overwrite it\n";
        return 1;
    }
    try {
        Connection conn;
        conn.open(path);
        prepareDatabase(conn.db(), withSample, today);
        out << "created " << path << " (schema version " << schemaVersion(conn.db()) << ", "
            << (withSample ? "with the sample venue" : "empty") << ")\n";
        return 0;
    } catch (const DbError& e) {
        // The file is ours and half made: take it away again.
        removeDatabaseFiles(path);
        err << "kestrix-db: " << e.message() << '\n';
        return 1;
    }
}

int check(const QString& path, QTextStream& out, QTextStream& err) {
    const bool server = isUrl(path) || !serverUrlFor(path).isEmpty();
    if (!server && !QFileInfo(path).isFile()) {
        err << "kestrix-db: " << path << " does not exist\n";
        return 1;
    }
    // A file the programs would refuse is reported as it is, before anything opens it for writing.
    try {
        if (!server) checkVenueFile(path);
    } catch (const VenueFileRefused& e) {
        out << "FAIL " << e.problem() << '\n' << "check failed\n";
        return 1;
    }
    try {
        Connection conn;
        openTarget(conn, path);
        QSqlDatabase db = conn.db();
        int failures = 0;
        out << "database: " << conn.describe() << '\n';

        const int version = schemaVersion(db);
        out << "schema version: " << version << " (this program: " << currentSchemaVersion() << ")\n";
        if (version != currentSchemaVersion()) {
            out << "FAIL schema version " << version << " is not " << currentSchemaVersion() << '\n';
            ++failures;
        }

        QStringList integrity;
        if (conn.isServer()) {
            // The server keeps its own pages whole; what it can tell is that it answers.
            integrity << (scalarInt(db, QStringLiteral("SELECT 1")) == 1 ? QStringLiteral("ok")
                                                                         : QStringLiteral("the server does not answer"));
        } else {
            QSqlQuery q = run(db, QStringLiteral("PRAGMA integrity_check"));
            while (q.next())
                integrity << q.value(0).toString();
        }
        if (integrity == QStringList{QStringLiteral("ok")}) {
            out << "integrity: ok\n";
        } else {
            for (const QString& line : integrity)
                out << "FAIL integrity: " << line << '\n';
            failures += int(integrity.size());
        }

        if (version == 0 || !hasTables(db)) {
            out << "FAIL no Kestrix tables in this file\n";
            ++failures;
        } else {
            const QStringList broken = checkDatabase(db);
            if (broken.isEmpty()) out << "table invariants: ok\n";
            for (const QString& line : broken)
                out << "FAIL " << line << '\n';
            failures += int(broken.size());
        }
        out << (failures == 0 ? "check passed\n" : "check failed\n");
        return failures == 0 ? 0 : 1;
    } catch (const DbError& e) {
        err << "kestrix-db: " << e.message() << '\n';
        return 1;
    }
}

int generateFile(const QString& path, const GenerateOptions& options, QTextStream& out, QTextStream& err);

// A history for a server is generated into a file of its own first (the generator writes through
// the file's own interface at full speed), then copied to the server whole.
int generate(const QString& path, const GenerateOptions& options, QTextStream& out, QTextStream& err) {
    if (!isUrl(path)) return generateFile(path, options, out, err);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("VenueData.MDB"));
    if (const int code = generateFile(file, options, out, err); code != 0) return code;
    try {
        Connection from;
        from.open(file);
        Connection to;
        to.openServer(path);
        QElapsedTimer timer;
        timer.start();
        const CopyReport report = copyDatabase(from.db(), to.db());
        qint64 rows = 0;
        for (qint64 n : report.rows) rows += n;
        out << "copied to " << displayUrl(path) << ": " << rows << " rows in " << report.tables.size() << " tables in "
            << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s\n";
        return 0;
    } catch (const DbError& e) {
        err << "kestrix-db: " << e.message() << '\n';
        return 1;
    }
}

int copy(const QString& fromTarget, const QString& toTarget, QTextStream& out, QTextStream& err) {
    if (!isUrl(fromTarget) && serverUrlFor(fromTarget).isEmpty() && !QFileInfo(fromTarget).isFile()) {
        err << "kestrix-db: " << fromTarget << " does not exist\n";
        return 1;
    }
    const bool toFile = !isUrl(toTarget) && serverUrlFor(toTarget).isEmpty();
    if (toFile && QFileInfo::exists(toTarget)) {
        err << "kestrix-db: " << toTarget << " already exists; refusing to overwrite it\n";
        return 1;
    }
    try {
        Connection from;
        openTarget(from, fromTarget);
        Connection to;
        openTarget(to, toTarget);
        QElapsedTimer timer;
        timer.start();
        const CopyReport report = copyDatabase(from.db(), to.db(), [&](const QString& table, qint64 rows) {
            out << "  " << table << ": " << rows << " rows\n";
            out.flush();
        });
        const QStringList before = tableFigures(from.db());
        const QStringList after = tableFigures(to.db());
        if (before != after) {
            for (int i = 0; i < before.size(); ++i)
                if (before.value(i) != after.value(i))
                    err << "kestrix-db: differs after the copy: " << before.value(i) << " / " << after.value(i) << '\n';
            return 1;
        }
        out << "copied " << from.describe() << " to " << to.describe() << " in "
            << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s; counts and sums of every table agree\n";
        return 0;
    } catch (const DbError& e) {
        err << "kestrix-db: " << e.message() << '\n';
        if (toFile) removeDatabaseFiles(toTarget);
        return 1;
    }
}

int generateFile(const QString& path, const GenerateOptions& options, QTextStream& out, QTextStream& err) {
    if (QFileInfo::exists(path)) {
        err << "kestrix-db: " << path << " already exists; refusing to overwrite it\n";
        return 1;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        GenerateSummary summary;
        {
            Connection conn;
            conn.open(path);
            // The venue opened on the first day of its history.
            prepareDatabase(conn.db(), true, options.today.addYears(-options.years));
            summary = generateHistory(conn.db(), options);
            exec(conn.db(), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            run(conn.db(), QStringLiteral("ANALYZE"));
        }
        out << "generated " << path << ": " << summary.days << " business days, " << summary.visits
            << " visits, " << summary.lines << " order lines, " << summary.payments << " payment lines in "
            << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s\n";
        if (options.tables || options.items || options.members || options.liveCleared || options.liveOpen) {
            Connection conn;
            conn.open(path);
            const auto count = [&](const char* sql) {
                return scalarInt(conn.db(), QString::fromLatin1(sql));
            };
            out << "venue: " << count("SELECT count(*) FROM TableList") << " tables, "
                << count("SELECT count(*) FROM itemlist WHERE COALESCE(item_type_code, '1') <> '4'")
                << " orderable items, " << count("SELECT count(*) FROM MemberList")
                << " member cards; open day: "
                << count("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use = 0") << " cleared visits, "
                << count("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use <> 0")
                << " tables in use\n";
        }
        return 0;
    } catch (const DbError& e) {
        removeDatabaseFiles(path);
        err << "kestrix-db: " << e.message() << '\n';
        return 1;
    }
}

// Reads "--name N" options off `rest`; false when one is malformed.
bool takeNumber(QStringList& rest, const QString& name, qint64 min, qint64* value) {
    const qsizetype i = rest.indexOf(name);
    if (i < 0) return true;
    if (i + 1 >= rest.size()) return false;
    bool ok = false;
    const qint64 v = rest[i + 1].toLongLong(&ok);
    if (!ok || v < min) return false;
    *value = v;
    rest.remove(i, 2);
    return true;
}

// "--name N" for a venue-scale option: left unset when absent.
bool takeScale(QStringList& rest, const QString& name, qint64 min, qint64 max, std::optional<int>* value) {
    qint64 v = -1;
    if (!takeNumber(rest, name, min, &v)) return false;
    if (v < 0) return true;
    if (v > max) return false;
    *value = int(v);
    return true;
}

// Runs `work` on an existing file; a refusal of the data layer is reported as the tool's failure.
int onExistingFile(const QString& path, QTextStream& err, const std::function<int()>& work) {
    bool onServer = false;
    try {
        onServer = !serverUrlFor(path).isEmpty();
    } catch (const DbError& e) {
        err << "kestrix-db: " << e.message() << '\n';
        return 1;
    }
    if (!onServer && !QFileInfo(path).isFile()) {
        err << "kestrix-db: " << path << " does not exist\n";
        return 1;
    }
    try {
        return work();
    } catch (const RestoreRefused& e) {
        err << "kestrix-db: restore refused: " << e.message() << '\n';
    } catch (const DbError& e) {
        err << "kestrix-db: " << e.message() << '\n';
    }
    return 1;
}

QString seconds(const QElapsedTimer& timer) {
    return QString::number(timer.elapsed() / 1000.0, 'f', 1);
}

int backUp(const QString& path, QTextStream& out, QTextStream& err) {
    return onExistingFile(path, err, [&] {
        QElapsedTimer timer;
        timer.start();
        // The file itself, or the server its setting names (a pg_dump copy of the same name).
        Connection conn;
        conn.open(path);
        backupForMaintenance(conn.db());
        out << "backed up " << conn.describe() << " to " << maintenanceBackupFile(path) << " in " << seconds(timer)
            << " s\n";
        return 0;
    });
}

int restore(const QString& path, QTextStream& out, QTextStream& err) {
    return onExistingFile(path, err, [&] {
        Connection conn;
        conn.open(path);
        QElapsedTimer timer;
        timer.start();
        const QString kept = restoreDatabase(conn.db(), maintenanceBackupFile(path), QDateTime::currentDateTime());
        out << "restored " << maintenanceBackupFile(path) << " into " << path << " in " << seconds(timer)
            << " s; the file before it is " << kept << '\n';
        return 0;
    });
}

} // namespace

int runDbTool(const QStringList& args, QTextStream& out, QTextStream& err, const QDate& today) {
    const QString command = args.value(0);
    if (command == QLatin1String("create")) {
        QStringList rest = args.mid(1);
        const bool empty = rest.removeAll(QStringLiteral("--empty")) > 0;
        if (rest.size() != 1 || rest[0].startsWith(QLatin1String("--"))) {
            usage(err);
            return 2;
        }
        return create(rest[0], !empty, out, err, today);
    }
    if (command == QLatin1String("check") && args.size() == 2) return check(args[1], out, err);
    if (command == QLatin1String("copy") && args.size() == 3) return copy(args[1], args[2], out, err);
    if (command == QLatin1String("backup") && args.size() == 2) return backUp(args[1], out, err);
    if (command == QLatin1String("restore") && args.size() == 2) return restore(args[1], out, err);
    if (command == QLatin1String("generate")) {
        QStringList rest = args.mid(1);
        GenerateOptions options;
        options.today = today;
        qint64 years = options.years, visits = options.visitsPerDay, seed = qint64(options.seed);
        if (!takeNumber(rest, QStringLiteral("--years"), 0, &years) ||
            !takeNumber(rest, QStringLiteral("--visits-per-day"), 0, &visits) ||
            !takeNumber(rest, QStringLiteral("--seed"), 0, &seed) ||
            !takeScale(rest, QStringLiteral("--tables"), 1, 2000, &options.tables) ||
            !takeScale(rest, QStringLiteral("--items"), 1, 100000, &options.items) ||
            !takeScale(rest, QStringLiteral("--members"), 0, 1000000, &options.members) ||
            !takeScale(rest, QStringLiteral("--live-cleared"), 0, 20000, &options.liveCleared) ||
            !takeScale(rest, QStringLiteral("--live-open"), 0, 2000, &options.liveOpen) || rest.size() != 1 ||
            rest[0].startsWith(QLatin1String("--")) || years > 50 || visits > 5000) {
            usage(err);
            return 2;
        }
        options.years = int(years);
        options.visitsPerDay = int(visits);
        options.seed = quint64(seed);
        return generate(rest[0], options, out, err);
    }
    usage(err);
    return 2;
}

} // namespace kx::db
