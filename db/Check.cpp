#include "Check.h"

#include "Sql.h"

#include <QSqlQuery>
#include <QString>

namespace kx::db {

QStringList checkDatabase(QSqlDatabase db) {
    QStringList failures;
    static const QString inUse = QStringLiteral("COALESCE(g.tabl_gues_use, 0) <> 0");
    QSqlQuery q = run(
        db, QStringLiteral(
                "SELECT t.tabl_code, COALESCE(t.tabl_stat_code, ''), COALESCE(t.tabl_gues_auto_recn, 0), "
                "(SELECT count(*) FROM TableGuestlist g WHERE g.tabl_code = t.tabl_code AND %1), "
                "(SELECT min(g.tabl_gues_auto_recn) FROM TableGuestlist g WHERE g.tabl_code = t.tabl_code "
                "AND %1) "
                "FROM TableList t ORDER BY t.tabl_code")
                .arg(inUse));
    while (q.next()) {
        const QString table = q.value(0).toString();
        const QString state = q.value(1).toString();
        const qint64 key = q.value(2).toLongLong();
        const qint64 visits = q.value(3).toLongLong();
        const qint64 visitKey = q.value(4).toLongLong();
        const QString who = QStringLiteral("table %1 (state \"%2\")").arg(table, state);
        if (state == QLatin1String("2") || state == QLatin1String("3") || state == QLatin1String("4")) {
            if (visits != 1) {
                failures << QStringLiteral("%1: %2 visits in use, expected exactly 1").arg(who).arg(visits);
            } else if (key != visitKey) {
                failures << QStringLiteral("%1: carries visit key %2, but its visit in use is %3")
                                .arg(who)
                                .arg(key)
                                .arg(visitKey);
            }
        } else if (state == QLatin1String("1") || state == QLatin1String("5") ||
                   state == QLatin1String("6")) {
            if (key != 0)
                failures << QStringLiteral("%1: carries visit key %2, expected 0").arg(who).arg(key);
            if (visits != 0)
                failures << QStringLiteral(
                                "%1: %2 visits still in use (first %3) on a table that is not occupied")
                                .arg(who)
                                .arg(visits)
                                .arg(visitKey);
        } else {
            failures << QStringLiteral("%1: unknown state").arg(who);
        }
    }

    QSqlQuery orphans = run(db, QStringLiteral("SELECT g.tabl_gues_auto_recn, COALESCE(g.tabl_code, '') "
                                               "FROM TableGuestlist g WHERE %1 AND NOT EXISTS "
                                               "(SELECT 1 FROM TableList t WHERE t.tabl_code = g.tabl_code) "
                                               "ORDER BY g.tabl_gues_auto_recn")
                                    .arg(inUse));
    while (orphans.next()) {
        failures << QStringLiteral("visit %1: in use on table \"%2\", which does not exist")
                        .arg(orphans.value(0).toLongLong())
                        .arg(orphans.value(1).toString());
    }
    return failures;
}

} // namespace kx::db
