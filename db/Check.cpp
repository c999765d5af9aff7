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

    // A visit is archived once, when it is cleared; a reverse checkout takes the archive back
    // before the visit is in use again.
    QSqlQuery twice = run(db, QStringLiteral("SELECT tabl_gues_auto_recn, count(*) FROM AllGues "
                                             "GROUP BY tabl_gues_auto_recn HAVING count(*) > 1 "
                                             "ORDER BY tabl_gues_auto_recn"));
    while (twice.next())
        failures << QStringLiteral("visit %1: archived %2 times")
                        .arg(twice.value(0).toLongLong())
                        .arg(twice.value(1).toLongLong());
    QSqlQuery archived = run(db, QStringLiteral("SELECT g.tabl_gues_auto_recn FROM TableGuestlist g WHERE %1 AND "
                                                "EXISTS (SELECT 1 FROM AllGues a WHERE a.tabl_gues_auto_recn = "
                                                "g.tabl_gues_auto_recn) ORDER BY g.tabl_gues_auto_recn")
                                     .arg(inUse));
    while (archived.next())
        failures << QStringLiteral("visit %1: in use and archived").arg(archived.value(0).toLongLong());

    // One settings row, whose visit counter is above every visit key given out.
    const qint64 settingsRows = scalarInt(db, QStringLiteral("SELECT count(*) FROM SetupPay"));
    if (settingsRows != 1) {
        failures << QStringLiteral("settings: %1 rows in SetupPay, expected exactly 1").arg(settingsRows);
    } else {
        const qint64 counter = scalarInt(db, QStringLiteral("SELECT COALESCE(auto_recn, 0) FROM SetupPay"));
        const qint64 highest = scalarInt(
            db, QStringLiteral("SELECT COALESCE(max(k), 0) FROM (SELECT max(tabl_gues_auto_recn) AS k FROM TableGuestlist "
                               "UNION ALL SELECT max(tabl_gues_auto_recn) FROM AllGues) AS keys"));
        if (counter <= highest)
            failures << QStringLiteral("settings: the visit counter %1 is not above the highest visit key %2")
                            .arg(counter)
                            .arg(highest);
    }

    // Every role holds exactly the permission catalogue's codes, once each.
    QSqlQuery missing = run(db, QStringLiteral("SELECT m.mana_code, t.limi_code FROM managertype m, LimitedTemp t "
                                               "WHERE NOT EXISTS (SELECT 1 FROM Limitedlist l WHERE l.mana_code = "
                                               "m.mana_code AND l.limi_code = t.limi_code) "
                                               "ORDER BY m.mana_code, t.limi_code"));
    while (missing.next())
        failures << QStringLiteral("role %1: no permission row for \"%2\"")
                        .arg(missing.value(0).toString(), missing.value(1).toString());
    QSqlQuery extra = run(db, QStringLiteral("SELECT COALESCE(l.mana_code, ''), COALESCE(l.limi_code, ''), count(*), "
                                             "(SELECT count(*) FROM managertype m WHERE m.mana_code = l.mana_code), "
                                             "(SELECT count(*) FROM LimitedTemp t WHERE t.limi_code = l.limi_code) "
                                             "FROM Limitedlist l GROUP BY l.mana_code, l.limi_code "
                                             "ORDER BY 1, 2"));
    while (extra.next()) {
        const QString role = extra.value(0).toString(), code = extra.value(1).toString();
        if (extra.value(3).toLongLong() == 0)
            failures << QStringLiteral("role %1: permission row \"%2\" of a role that does not exist").arg(role, code);
        else if (extra.value(4).toLongLong() == 0)
            failures << QStringLiteral("role %1: permission \"%2\" is not in the catalogue").arg(role, code);
        else if (extra.value(2).toLongLong() > 1)
            failures << QStringLiteral("role %1: %2 rows for permission \"%3\"")
                            .arg(role)
                            .arg(extra.value(2).toLongLong())
                            .arg(code);
    }

    // A card's balance and spending add up to its top-ups; its points are its point changes on
    // top of the points it carried in (to the cent).
    QSqlQuery cards = run(db, QStringLiteral("SELECT m.memb_card_code, "
                                             "ROUND(CAST(COALESCE(m.memb_surp, 0) + COALESCE(m.memb_use, 0) AS NUMERIC), 2), "
                                             "ROUND(CAST(COALESCE(SUM(a.memb_mana_save), 0) AS NUMERIC), 2), "
                                             "ROUND(CAST(COALESCE(m.memb_stor, 0) AS NUMERIC), 2), "
                                             "ROUND(CAST(COALESCE(SUM(a.memb_mana_inte), 0) + COALESCE(m.memb_stor_temp, 0) "
                                             "AS NUMERIC), 2) "
                                             "FROM MemberList m LEFT JOIN membManage a ON a.memb_card_code = m.memb_card_code "
                                             "GROUP BY m.memb_card_code, m.memb_surp, m.memb_use, m.memb_stor, m.memb_stor_temp "
                                             "ORDER BY m.memb_card_code"));
    while (cards.next()) {
        const QString card = cards.value(0).toString();
        if (qRound64(cards.value(1).toDouble() * 100) != qRound64(cards.value(2).toDouble() * 100))
            failures << QStringLiteral("card %1: balance and spending %2, top-ups %3")
                            .arg(card, cards.value(1).toString(), cards.value(2).toString());
        if (qRound64(cards.value(3).toDouble() * 100) != qRound64(cards.value(4).toDouble() * 100))
            failures << QStringLiteral("card %1: points %2, point changes and carried points %3")
                            .arg(card, cards.value(3).toString(), cards.value(4).toString());
    }

    // A trading unit's balance is one amount: a receivable or a payable, never negative.
    QSqlQuery units = run(db, QStringLiteral("SELECT work_code, COALESCE(work_inco_shou, 0), COALESCE(work_pay_shou, 0) "
                                             "FROM WorkList ORDER BY work_code"));
    while (units.next()) {
        const qint64 receivable = qRound64(units.value(1).toDouble() * 100);
        const qint64 payable = qRound64(units.value(2).toDouble() * 100);
        if (receivable < 0 || payable < 0 || (receivable != 0 && payable != 0))
            failures << QStringLiteral("unit %1: receivable %2 and payable %3")
                            .arg(units.value(0).toString(), units.value(1).toString(), units.value(2).toString());
    }
    return failures;
}

} // namespace kx::db
