#include "Engine.h"

#include "Errors.h"
#include "Sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QUrl>
#include <QUrlQuery>

namespace kx::db {

Engine engineOf(const QSqlDatabase& db) {
    return db.driverName() == QLatin1String("QPSQL") ? Engine::Server : Engine::File;
}

namespace {

ServerProvider provider = nullptr;

// The URL a database.ini holds: a line "url=…" (under any section) or a line that is the URL
// itself; blank lines and lines starting with "#" or ";" are comments.
QString urlInIni(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw DbError(QStringLiteral("无法读取数据库设置文件 %1").arg(path));
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('[')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        const int scheme = line.indexOf(QLatin1String("://"));
        if (eq > 0 && (scheme < 0 || eq < scheme)) {
            if (line.left(eq).trimmed().compare(QLatin1String("url"), Qt::CaseInsensitive) == 0)
                return line.mid(eq + 1).trimmed();
            continue;
        }
        return line;
    }
    return QString();
}

} // namespace

QString serverUrlFor(const QString& databaseFile) {
    QString url;
    QString from;
    const QFileInfo file(databaseFile);
    const QString env = qEnvironmentVariable("KESTRIX_DATABASE").trimmed();
    if (!env.isEmpty() && file.fileName() == QLatin1String("VenueData.MDB")) {
        url = env;
        from = QStringLiteral("KESTRIX_DATABASE");
    } else {
        const QString ini = file.absoluteDir().filePath(QStringLiteral("database.ini"));
        if (!QFileInfo::exists(ini)) {
            if (!provider || file.fileName() != QLatin1String("VenueData.MDB")) return QString();
            return provider(file.absoluteFilePath());
        }
        url = urlInIni(ini);
        from = ini;
        if (url.isEmpty()) return QString();
        if (!QUrl(url).password().isEmpty())
            throw DbError(QStringLiteral("数据库设置文件 %1 里不能写密码：请把密码放在 ~/.pgpass 或 PGPASSWORD 中。").arg(ini));
    }
    if (!parseServerUrl(url).valid)
        throw DbError(QStringLiteral("数据库设置 %1 不是 PostgreSQL 地址（应为 postgresql://用户@主机:端口/数据库）：%2")
                          .arg(from, displayUrl(url)));
    return url;
}

void setServerProvider(ServerProvider p) { provider = p; }

ServerAddress parseServerUrl(const QString& url) {
    ServerAddress a;
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid()) return a;
    const QString scheme = u.scheme().toLower();
    if (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres")) return a;
    a.host = u.host();
    a.port = u.port(5432);
    a.user = u.userName();
    a.database = u.path().mid(1);
    QStringList options;
    const QUrlQuery query(u);
    for (const auto& item : query.queryItems(QUrl::FullyDecoded))
        if (item.first != QLatin1String("password")) options << item.first + QLatin1Char('=') + item.second;
    a.options = options.join(QLatin1Char(';'));
    a.valid = !a.database.isEmpty();
    return a;
}

QString displayUrl(const QString& url) {
    QUrl u(url);
    if (!u.isValid()) return url;
    u.setPassword(QString());
    QUrlQuery query(u);
    query.removeAllQueryItems(QStringLiteral("password"));
    u.setQuery(query);
    return u.toString();
}

QString dialectSql(const QSqlDatabase& db, const QString& sql) { return dialectSql(engineOf(db), sql); }

QString dialectSql(Engine engine, const QString& sql) {
    if (engine != Engine::Server) return sql;
    QString out;
    out.reserve(sql.size() + 16);
    const int n = int(sql.size());
    auto isWord = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    for (int i = 0; i < n;) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'')) { // a string literal, '' inside it
            int j = i + 1;
            while (j < n) {
                if (sql[j] == QLatin1Char('\'')) {
                    if (j + 1 < n && sql[j + 1] == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += QStringView(sql).mid(i, j + 1 - i);
            i = j + 1;
        } else if (c == QLatin1Char('"')) {
            const int j = sql.indexOf(QLatin1Char('"'), i + 1);
            if (j < 0) {
                out += QStringView(sql).mid(i);
                break;
            }
            const QStringView name = QStringView(sql).mid(i + 1, j - i - 1);
            // The collation "C" keeps its name.
            bool ascii = !name.isEmpty() && name != QLatin1String("C");
            for (QChar ch : name)
                if (ch.unicode() > 127 || !(ch.isLetterOrNumber() || ch == QLatin1Char('_'))) ascii = false;
            out += QLatin1Char('"');
            out += ascii ? name.toString().toLower() : name.toString();
            out += QLatin1Char('"');
            i = j + 1;
        } else if ((c == QLatin1Char('l') || c == QLatin1Char('L')) && (i == 0 || !isWord(sql[i - 1])) &&
                   i + 4 <= n && QStringView(sql).mid(i, 4).compare(QLatin1String("like"), Qt::CaseInsensitive) == 0 &&
                   (i + 4 == n || !isWord(sql[i + 4]))) {
            out += QLatin1String("ILIKE");
            i += 4;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            const int j = sql.indexOf(QLatin1Char('\n'), i);
            const int end = j < 0 ? n : j;
            out += QStringView(sql).mid(i, end - i);
            i = end;
        } else {
            // A word is copied whole, so "unlike" or a name ending in "like" stays as it is.
            if (isWord(c)) {
                int j = i;
                while (j < n && isWord(sql[j])) ++j;
                out += QStringView(sql).mid(i, j - i);
                i = j;
            } else {
                out += c;
                ++i;
            }
        }
    }
    return out;
}

qint64 boardChangeMark(const QSqlDatabase& db) {
    if (isServer(db)) return scalarInt(db, QStringLiteral("SELECT n FROM kx_changes"));
    return scalarInt(db, QStringLiteral("PRAGMA data_version"));
}

QStringList serverExtrasDdl() {
    return {
        QStringLiteral("CREATE TABLE kx_changes (n BIGINT NOT NULL)"),
        QStringLiteral("INSERT INTO kx_changes (n) VALUES (0)"),
        QStringLiteral("CREATE FUNCTION kx_count_change() RETURNS trigger LANGUAGE plpgsql AS "
                       "$kx$ BEGIN UPDATE kx_changes SET n = n + 1; RETURN NULL; END $kx$"),
        QStringLiteral("CREATE TRIGGER kx_tablelist_changes AFTER INSERT OR UPDATE OR DELETE ON tablelist "
                       "FOR EACH STATEMENT EXECUTE FUNCTION kx_count_change()"),
        QStringLiteral("CREATE TRIGGER kx_visits_changes AFTER INSERT OR UPDATE OR DELETE ON tableguestlist "
                       "FOR EACH STATEMENT EXECUTE FUNCTION kx_count_change()"),
    };
}

QString likeOperator(const QSqlDatabase& db) {
    return isServer(db) ? QStringLiteral("ILIKE") : QStringLiteral("LIKE");
}

QString forUpdate(const QSqlDatabase& db) { return isServer(db) ? QStringLiteral(" FOR UPDATE") : QString(); }

bool isDuplicateKey(const DbError& error) {
    // The server says so by its SQLSTATE, whatever language its messages are in.
    if (error.nativeCode() == QLatin1String("23505")) return true;
    const QString text = error.message();
    return text.contains(QLatin1String("UNIQUE constraint failed"), Qt::CaseInsensitive) ||
           (text.contains(QLatin1String("constraint failed"), Qt::CaseInsensitive) &&
            text.contains(QLatin1String("PRIMARY KEY"), Qt::CaseInsensitive));
}

} // namespace kx::db
