#include "BusinessDay.h"

#include "Sql.h"
#include "Values.h"

namespace kx::db {

void closeBusinessDay(QSqlDatabase db, const QDateTime& business, const std::function<void()>& step) {
    auto progress = [&step] {
        if (step) step();
    };
    exec(db, QStringLiteral("update tableconslist set tabl_cons_flag=0"));
    progress();
    exec(db, QStringLiteral("update tableconslist set tabl_cons_flag=1 where tabl_gues_auto_recn in "
                            "(select tabl_gues_auto_recn from tableguestlist where tabl_gues_use=0)"));
    progress();
    exec(db, QStringLiteral("delete from tableguestlist where tabl_gues_use=0"));
    progress();
    exec(db, QStringLiteral("delete from tableconslist where tabl_cons_flag<>0"));
    progress();
    exec(db, QStringLiteral("insert into AllOtherInCome(othe_inco_code,othe_inco_name,othe_inco_mone,othe_inco_time) "
                            "select othe_inco_code,othe_inco_name,othe_inco_mone,? from otherincomelist"),
         {business});
    progress();
}

void openBusinessDay(QSqlDatabase db) { exec(db, QStringLiteral("update otherincomelist set othe_inco_mone=0")); }

bool dayRollDue(QSqlDatabase db, const QDate& today) {
    QSqlQuery q = run(db, QStringLiteral("SELECT work_auto, time_end FROM SetupPay"));
    if (!q.next()) return false;
    const QVariant autoRoll = q.value(0);
    if (autoRoll.isNull() || autoRoll.toInt() == 0) return false;
    const QString ended = q.value(1).toString();
    if (ended.trimmed().isEmpty()) return true;
    return parseDateTime(ended).date() != today;
}

} // namespace kx::db
