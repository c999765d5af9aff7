#include "DataClearing.h"

#include "Sql.h"
#include "Values.h"
#include "Transaction.h"

#include <QDateTime>

namespace kx::db {

namespace {

// From the first moment of `first` to the first moment after `last`.
bool frontDeskBusy(QSqlDatabase db) {
    return exists(db, QStringLiteral("SELECT 1 FROM TableConsList")) ||
           exists(db, QStringLiteral("SELECT 1 FROM TableGuestlist WHERE COALESCE(tabl_gues_use, 0) <> 0"));
}

} // namespace

void clearData(QSqlDatabase db, const ClearChoice& c) {
    Transaction tx(db);
    // Decided inside the transaction: no desk can start a visit between the check and the deletes.
    if (c.baseData && frontDeskBusy(db)) throw BaseDataInUse();
    if (c.stock) exec(db, QStringLiteral("UPDATE itemlist SET item_coun = 0"));
    if (c.baseData)
        for (const char* table : {"itemlist", "classlist", "ItemGroup", "TableList"})
            exec(db, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    if (c.allHistory)
        for (const char* table : {"AllCons", "AllGues", "AllOtherInCome", "AllGuesPay", "AllStoreDetail",
                                  "AllStoreBill", "Allpaytotal"})
            exec(db, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    if (c.someHistory) {
        const QVariantList days = wholeDays(c.historyFrom, c.historyTo);
        const std::pair<const char*, const char*> dated[] = {{"AllCons", "tabl_cons_time_work"},
                                                             {"AllGues", "tabl_gues_time_work"},
                                                             {"AllOtherInCome", "othe_inco_time"},
                                                             {"AllGuesPay", "pay_time"},
                                                             {"Allpaytotal", "pay_date_work"}};
        for (const auto& [table, column] : dated)
            exec(db, QStringLiteral("DELETE FROM %1 WHERE %2 >= ? AND %2 < ?").arg(QLatin1String(table), QLatin1String(column)),
                 days);
        // A posted bill's lines go with it, whatever date a line carries.
        exec(db, QStringLiteral("DELETE FROM AllStoreDetail WHERE stor_bill_ID IN (SELECT stor_bill_ID FROM "
                                "AllStoreBill WHERE stor_bill_date_work >= ? AND stor_bill_date_work < ?)"),
             days);
        exec(db, QStringLiteral("DELETE FROM AllStoreBill WHERE stor_bill_date_work >= ? AND stor_bill_date_work < ?"),
             days);
    }
    if (c.someLog)
        exec(db, QStringLiteral("DELETE FROM systemlog WHERE log_time >= ? AND log_time < ?"),
             wholeDays(c.logFrom, c.logTo));
    tx.commit();
}

void initialiseData(QSqlDatabase db, const std::function<void()>& step) {
    auto stepped = [&step] {
        if (step) step();
    };
    Transaction tx(db);
    for (const char* table : {"bookin", "AllCons", "AllGues", "AllOtherInCome", "Allpaytotal", "AllGuesPay",
                              "TableConsList", "TableConsListTemp", "TableGuestlist", "tableguespay", "StoreDetail",
                              "StoreBill", "AllStoreDetail", "AllStoreBill", "membManage"}) {
        exec(db, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
        stepped();
    }
    // What each card holds, carried over as its one adjustment row.
    exec(db, QStringLiteral("INSERT INTO membManage (memb_card_code, memb_card_type, memb_mana_save, memb_mana_inte, "
                            "memb_mana_rema) SELECT memb_card_code, memb_card_type, "
                            "COALESCE(memb_surp, 0) + COALESCE(memb_use, 0), "
                            "COALESCE(memb_stor, 0) - COALESCE(memb_stor_temp, 0), ? FROM MemberList "
                            "WHERE COALESCE(memb_surp, 0) <> 0 OR COALESCE(memb_use, 0) <> 0 OR COALESCE(memb_stor, 0) <> 0 "
                            "OR COALESCE(memb_stor_temp, 0) <> 0"),
         {QStringLiteral("初始化结转")});
    stepped();
    exec(db, QStringLiteral("UPDATE TableList SET tabl_stat_code = '1', tabl_gues_auto_recn = 0, tabl_gues_name = NULL, "
                            "tabl_gues_time = NULL, tabl_gues_coun = NULL, tabl_gues_shou = NULL"));
    stepped();
    tx.commit();
}

} // namespace kx::db
