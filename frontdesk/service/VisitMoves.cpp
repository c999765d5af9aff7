#include "VisitMoves.h"

#include "BillCalc.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TableInfo.h"
#include "Transaction.h"

#include <QSqlQuery>

#include <algorithm>

namespace kx::frontdesk {

namespace {

// The order-line columns an archived line keeps, in the archive's order.
const QString kArchivedLineColumns = QStringLiteral(
    "tabl_gues_auto_recn,tabl_code,tabl_name,tabl_code_old,clas_code,clas_name,item_code,item_unit_pric,"
    "tabl_cons_coun,tabl_cons_tota,tabl_cons_time,tabl_cons_time_work,item_type_code,oper_code,oper_name,"
    "dedu_oper_code,dedu_oper_name,item_dedu_pric,item_cost_pric,tabl_dedu_tota,tabl_cost_tota,cons_grou_narr,"
    "cons_narr_code,cons_narr_name,manu_yorn,menu_type_code,menu_type_name,grou_code,item_coun_flag,"
    "item_type_flag,disc_clas_perc,tabl_disc_tota,tabl_cons_flag,tabl_gues_end,serv_perc,tabl_serv_tota,"
    "tabl_d_bill,tabl_z_bill,tabl_t_bill,tabl_tz_bill,dept_name,orde_name,kind_name,kind_code,manu_name,"
    "item_name,item_unit");

const QString kArchivedPayColumns = QStringLiteral(
    "pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,pay_flag,pay_time,dept_name,orde_name,oper_name");

// The visit columns the archive of visits shares with the live visits, in the live order.
QString archivedVisitColumns(QSqlDatabase db) {
    static QString cached;
    if (!cached.isEmpty()) return cached;
    QStringList shared;
    const auto& archive = db::tableColumns(db, QStringLiteral("AllGues"));
    for (const db::ColumnInfo& c : db::tableColumns(db, QStringLiteral("TableGuestlist"))) {
        for (const db::ColumnInfo& a : archive)
            if (a.name.compare(c.name, Qt::CaseInsensitive) == 0) {
                shared << c.name;
                break;
            }
    }
    cached = shared.join(QLatin1Char(','));
    return cached;
}

} // namespace

bool visitOpen(QSqlDatabase db, qint64 key) {
    return db::exists(db,
                      QStringLiteral("SELECT 1 FROM TableGuestlist WHERE tabl_gues_auto_recn = ? AND tabl_gues_use <> 0 "
                                     "AND COALESCE(tabl_gues_stat, '') <> '3'"),
                      {key});
}

void requireVisitOpen(QSqlDatabase db, qint64 key) {
    if (!visitOpen(db, key)) throw StaleData();
}

void requireTableFree(QSqlDatabase db, const QString& tableCode) {
    if (!db::exists(db, QStringLiteral("SELECT 1 FROM TableList WHERE tabl_code = ? AND tabl_stat_code = '1'"), {tableCode}))
        throw StaleData();
}

void transferVisit(TDMTable& dm, const QString& target) {
    Dataset* board = dm.adoqry_table;
    Dataset* visit = dm.adoqry_TableGues;
    QSqlDatabase db = dm.database();
    db::inTransaction(db, QStringLiteral("B100004"), [&] {
        requireVisitOpen(db, visit->field(QStringLiteral("tabl_gues_auto_recn")).asInt());
        requireTableFree(db, target);
        visit->edit();
        visit->field(QStringLiteral("tabl_code")).setValue(target);
        board->edit();
        const QString state = board->field(QStringLiteral("tabl_stat_code")).asString();
        board->field(QStringLiteral("tabl_gues_auto_recn")).setValue(0);
        for (const char* column : {"tabl_gues_name", "tabl_gues_time", "tabl_gues_coun", "tabl_gues_shou"})
            board->field(QString::fromLatin1(column)).clear();
        board->field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("1"));
        board->applyFilter(QStringLiteral("tabl_code<>'^-^'")); // stores the old row
        if (!board->locate(QStringLiteral("tabl_code"), target))
            throw DbError(QStringLiteral("table %1 not found").arg(target));
        board->edit();
        board->field(QStringLiteral("tabl_gues_auto_recn")).setValue(visit->field(QStringLiteral("tabl_gues_auto_recn")).value());
        board->field(QStringLiteral("tabl_stat_code")).setValue(state);
        visit->field(QStringLiteral("tabl_type_code")).setValue(board->field(QStringLiteral("tabl_type_code")).value());
        visit->field(QStringLiteral("dept_code")).setValue(board->field(QStringLiteral("dept_code")).value());
        board->post();
        visit->post();
    });
}

void joinVisit(TDMTable& dm, const QString& target) {
    Dataset* board = dm.adoqry_table;
    Dataset* visit = dm.adoqry_TableGues;
    QSqlDatabase db = dm.database();
    const QString current = board->field(QStringLiteral("tabl_code")).asString();
    const qint64 joined = visit->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    db::inTransaction(db, QStringLiteral("B100005"), [&] {
        board->edit();
        board->field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("1"));
        board->field(QStringLiteral("tabl_gues_auto_recn")).setValue(0);
        for (const char* column : {"tabl_gues_name", "tabl_gues_time", "tabl_gues_coun", "tabl_gues_shou"})
            board->field(QString::fromLatin1(column)).clear();
        board->applyFilter(QStringLiteral("tabl_code<>'^-^'"));
        board->post();
        if (!board->locate(QStringLiteral("tabl_code"), target))
            throw DbError(QStringLiteral("table %1 not found").arg(target));
        const qint64 into = board->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
        // Both visits still open, the target table still holding the one joined into.
        requireVisitOpen(db, joined);
        requireVisitOpen(db, into);
        if (db::scalarInt(db, QStringLiteral("SELECT count(*) FROM TableList WHERE tabl_code = ? AND tabl_gues_auto_recn = ? "
                                             "AND tabl_stat_code IN ('2', '4')"),
                          {target, into}) != 1)
            throw StaleData();
        visit->checkBrowseMode();
        db::exec(db,
                 QStringLiteral("update tableconslist set tabl_code_old=?,tabl_gues_auto_recn=? where "
                                "tabl_gues_auto_recn=?"),
                 {current, into, joined});
        if (db::exec(db, QStringLiteral("delete from tableguestlist where tabl_gues_auto_recn=? and tabl_gues_use<>0"),
                     {joined}) != 1)
            throw StaleData();
        db::exec(db, QStringLiteral("delete from TableConsListTemp where tabl_gues_auto_recn=?"), {joined});
        dm.adoqry_TableCons->setSql(
            QStringLiteral("select * from TableConsList where tabl_gues_auto_recn=? order by tabl_cons_id"), {into});
        dm.adoqry_TableCons->open();
        visit->refreshRows(QStringLiteral("tabl_gues_auto_recn"), {joined, into});
        if (!visit->locate(QStringLiteral("tabl_gues_auto_recn"), into))
            throw DbError(QStringLiteral("visit %1 not found").arg(into));
        storeVisitSubtotals(dm, SubtotalBasis::CountTimesPrice);
        visit->post();
        visit->edit();
        ReTotal(dm);
        visit->post();
    });
}

void continueVisit(TDMTable& dm) {
    const qint64 key = dm.adoqry_TableGues->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    const QString table = dm.adoqry_table->field(QStringLiteral("tabl_code")).asString();
    Refund refund;
    db::inTransaction(dm.database(), QStringLiteral("B100003"),
                      [&] { refund = reopenAccount(dm, key, table, ReopenFrom::CheckedOut); });
    showRefund(dm, refund);
}

Refund reopenAccount(TDMTable& dm, qint64 key, const QString& tableCode, ReopenFrom from) {
    Dataset* visit = dm.adoqry_TableGues;
    Dataset* board = dm.adoqry_table;
    QSqlDatabase db = dm.database();
    const QString state = from == ReopenFrom::CheckedOut ? QStringLiteral("3") : QStringLiteral("1");
    const QString& refused = from == ReopenFrom::CheckedOut ? kContinueRefused : kReverseTaken;
    visit->checkBrowseMode();
    board->checkBrowseMode();

    // What is given back is what the stored visit recorded, and only while it is still in the
    // state this reopening starts from: another desk may have reopened it first.
    QSqlQuery stored = db::run(db,
                               QStringLiteral("SELECT hang_code, hang_mone, memb_card_code, memb_mone FROM TableGuestlist "
                                              "WHERE tabl_gues_auto_recn = ? AND tabl_code = ? AND tabl_gues_use <> 0 "
                                              "AND tabl_gues_stat = ?"),
                               {key, tableCode, state});
    if (!stored.next()) throw StaleData(refused);
    // Only an amount above 0 was charged, so only such an amount is given back.
    Refund refund{stored.value(0).toString(), std::max(0.0, stored.value(1).toDouble()), stored.value(2).toString(),
                  std::max(0.0, stored.value(3).toDouble())};
    stored.finish();
    if (db::exec(db,
                 QStringLiteral("UPDATE TableGuestlist SET tabl_gues_disc = 0, tabl_gues_tax = 0, tabl_gues_fact = 0, "
                                "dedu_mone = 0, tabl_gues_tax_real = 0, disc_perc = 0, disc_code = 'N', "
                                "tabl_gues_pay_narr = NULL, hang_code = NULL, hang_name = NULL, memb_card_code = NULL, "
                                "memb_name = NULL, "
                                "hang_mone = CASE WHEN hang_mone > 0 THEN 0 ELSE hang_mone END, "
                                "memb_mone = CASE WHEN memb_mone > 0 THEN 0 ELSE memb_mone END, tabl_gues_stat = '2' "
                                "WHERE tabl_gues_auto_recn = ? AND tabl_gues_use <> 0 AND tabl_gues_stat = ?"),
                 {key, state}) != 1)
        throw StaleData(refused);
    // The account and the card get back what this visit recorded, changed in the database
    // itself so that another front desk's charge in the meantime is kept.
    if (refund.credit > 0)
        db::exec(db,
                 QStringLiteral("UPDATE hanggues SET hang_gues_use = ROUND(CAST(COALESCE(hang_gues_use, 0) - ? AS NUMERIC), 2) "
                                "WHERE hang_gues_code = ?"),
                 {refund.credit, refund.creditAccount});
    if (refund.cardAmount > 0)
        db::exec(db,
                 QStringLiteral("UPDATE MemberList SET memb_use = ROUND(CAST(COALESCE(memb_use, 0) - ? AS NUMERIC), 2), "
                                "memb_surp = ROUND(CAST(COALESCE(memb_surp, 0) + ? AS NUMERIC), 2) WHERE memb_card_code = ?"),
                 {refund.cardAmount, refund.cardAmount, refund.card});
    if (db::exec(db,
                 QStringLiteral("UPDATE TableList SET tabl_stat_code = '4' WHERE tabl_code = ? AND "
                                "tabl_gues_auto_recn = ? AND tabl_stat_code = ?"),
                 {tableCode, key, state}) != 1)
        throw StaleData(refused);
    db::exec(db, QStringLiteral("delete from tableguespay where tabl_gues_auto_recn=?"), {key});
    db::exec(db, QStringLiteral("update TableConsList set tabl_gues_end=0 where tabl_gues_auto_recn=?"), {key});

    // The board's row and the visit as stored now, the visit recomputed.
    board->refreshRows(QStringLiteral("tabl_code"), {tableCode});
    visit->refreshRows(QStringLiteral("tabl_gues_auto_recn"), {key});
    if (!visit->locate(QStringLiteral("tabl_gues_auto_recn"), key))
        throw DbError(QStringLiteral("visit %1 not found").arg(key));
    visit->edit();
    ReTotal(dm);
    visit->post();
    return refund;
}

void showRefund(TDMTable& dm, const Refund& refund) {
    if (refund.credit > 0 && dm.adoqry_hanggues->active())
        dm.adoqry_hanggues->refreshRows(QStringLiteral("hang_gues_code"), {refund.creditAccount});
    if (refund.cardAmount > 0 && dm.adoqry_Member->active())
        dm.adoqry_Member->refreshRows(QStringLiteral("memb_card_code"), {refund.card});
}

void reverseCheckout(TDMTable& dm, qint64 key) {
    QSqlDatabase db = dm.database();
    const QString table = dm.adoqry_table->field(QStringLiteral("tabl_code")).asString();
    Refund refund;
    try {
        db::inTransaction(db, QStringLiteral("B1000012"), [&] {
            dm.adoqry_table->checkBrowseMode();
            dm.adoqry_TableGues->checkBrowseMode();
            // The day end removes cleared visits: such a bill has nothing left to reopen.
            if (!db::exists(db, QStringLiteral("SELECT 1 FROM TableGuestlist WHERE tabl_gues_auto_recn = ?"), {key}))
                throw StaleData(kReverseDayEnded);
            // The visit in use again, only while it is still cleared, and on this table.
            if (db::exec(db,
                         QStringLiteral("UPDATE TableGuestlist SET tabl_gues_use = 1 WHERE tabl_gues_auto_recn = ? AND "
                                        "tabl_code = ? AND COALESCE(tabl_gues_use, 0) = 0 AND tabl_gues_stat = '1'"),
                         {key, table}) != 1)
                throw StaleData(kReverseTaken);
            // The table carries it, only while it is still free: another desk may have opened or
            // booked it since this board was read.
            const QString fromVisit =
                QStringLiteral("(SELECT g.%1 FROM TableGuestlist g WHERE g.tabl_gues_auto_recn = ?)");
            if (db::exec(db,
                         QStringLiteral("UPDATE TableList SET tabl_gues_auto_recn = ?, tabl_gues_name = %1, "
                                        "tabl_gues_coun = %2, tabl_gues_time = %3 WHERE tabl_code = ? AND "
                                        "tabl_stat_code = '1'")
                             .arg(fromVisit.arg(QLatin1String("tabl_gues_name")),
                                  fromVisit.arg(QLatin1String("tabl_gues_coun")),
                                  fromVisit.arg(QLatin1String("tabl_gues_time"))),
                         {key, key, key, key, table}) != 1)
                throw StaleData(kReverseTaken);
            refund = reopenAccount(dm, key, table, ReopenFrom::Cleared);
            dm.adoqry_TableCons->setSql(
                QStringLiteral("select * from TableConsList where tabl_gues_auto_recn=? order by tabl_cons_id"), {key});
            dm.adoqry_TableCons->open();
            // The archive gives the bill back: it is archived anew when it is cleared again.
            db::exec(db, QStringLiteral("delete from AllCons where tabl_gues_auto_recn=?"), {key});
            if (db::exec(db, QStringLiteral("delete from AllGues where tabl_gues_auto_recn=?"), {key}) != 1)
                throw StaleData(kReverseTaken);
            db::exec(db, QStringLiteral("delete from AllGuesPay where tabl_gues_auto_recn=?"), {key});
        });
    } catch (StaleData& e) {
        // A row a dataset found changed is the same lost race.
        if (e.message == StaleData::Text) e.message = kReverseTaken;
        throw;
    }
    showRefund(dm, refund);
}

void clearVisit(TDMTable& dm) {
    Dataset* visit = dm.adoqry_TableGues;
    Dataset* board = dm.adoqry_table;
    QSqlDatabase db = dm.database();
    const qint64 key = visit->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    const QString code = board->field(QStringLiteral("tabl_code")).asString();

    visit->edit();
    visit->field(QStringLiteral("tabl_gues_use")).setValue(false);
    visit->field(QStringLiteral("tabl_gues_stat")).setValue(QStringLiteral("1"));
    const bool booked = db::scalarInt(db, QStringLiteral("Select count(*) from bookin where tabl_code=?"), {code}) > 0;
    board->edit();
    board->field(QStringLiteral("tabl_stat_code")).setValue(booked ? QStringLiteral("5") : QStringLiteral("1"));
    board->field(QStringLiteral("tabl_gues_auto_recn")).setValue(0);
    for (const char* column : {"tabl_gues_name", "tabl_gues_coun", "tabl_gues_time", "tabl_gues_shou"})
        board->field(QString::fromLatin1(column)).clear();

    {
        board->disableControls();
        struct Resume {
            Dataset* d;
            ~Resume() { d->enableControls(); }
        } resume{board};
        const QString deptName = visit->field(QStringLiteral("dept_name")).asString();
        const QString shiftName = visit->field(QStringLiteral("orde_name")).asString();
        const QString operName = visit->field(QStringLiteral("oper_name")).asString();
        db::inTransaction(db, QStringLiteral("B100006"), [&] {
            // Still checked out and not cleared by another desk.
            if (!db::exists(db, QStringLiteral("SELECT 1 FROM TableGuestlist WHERE tabl_gues_auto_recn = ? AND "
                                               "tabl_gues_use <> 0 AND tabl_gues_stat = '3'"),
                            {key}))
                throw StaleData();
            board->post();
            visit->post();
            const QString visitColumns = archivedVisitColumns(db);
            db::exec(db, QStringLiteral("insert into AllGues (%1) select %1 from TableGuestlist where tabl_gues_auto_recn=?")
                             .arg(visitColumns),
                     {key});
            // In the order they were ordered, so that the archive's keys follow the lines.
            db::exec(db, QStringLiteral("insert into AllCons (%1) select %1 from TableConsList where tabl_gues_auto_recn=? "
                                        "order by tabl_cons_ID")
                             .arg(kArchivedLineColumns),
                     {key});
            // Each line carries its quantity in the column of its mode.
            const std::pair<const char*, const char*> modes[] = {
                {"tabl_d_bill", "1"}, {"tabl_t_bill", "2"}, {"tabl_z_bill", "3"}, {"tabl_tz_bill", "4"}};
            for (const auto& [column, mode] : modes)
                db::exec(db,
                         QStringLiteral("update AllCons set %1=tabl_cons_coun where menu_type_code=? and tabl_gues_auto_recn=?")
                             .arg(QString::fromLatin1(column)),
                         {QString::fromLatin1(mode), key});
            // Names as they stand now.
            db::exec(db, QStringLiteral("update AllCons set menu_type_name=b.menu_type_name from OrderMenuType b "
                                        "where AllCons.menu_type_code=b.menu_type_code and AllCons.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllCons set clas_name=b.clas_name from classlist b "
                                        "where AllCons.clas_code=b.clas_code and AllCons.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllCons set tabl_name=b.tabl_name from Tablelist b "
                                        "where AllCons.tabl_code=b.tabl_code and AllCons.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllCons set cons_narr_name=b.cons_narr_name from ConsNarrList b "
                                        "where AllCons.cons_narr_code=b.cons_narr_code and AllCons.tabl_gues_auto_recn=?"),
                     {key});
            // Lines left on the visit's order pad (an order screen left without committing) go.
            db::exec(db, QStringLiteral("delete from TableConsListTemp where tabl_gues_auto_recn=?"), {key});
            db::exec(db, QStringLiteral("update TableGuesPay set dept_name=?,orde_name=?,oper_name=? where tabl_gues_auto_recn=?"),
                     {deptName, shiftName, operName, key});
            db::exec(db, QStringLiteral("insert into AllGuesPay (%1) select %1 from TableGuesPay where tabl_gues_auto_recn=?")
                             .arg(kArchivedPayColumns),
                     {key});
            db::exec(db, QStringLiteral("update AllGues set grou_name=b.grou_name from GroupList b "
                                        "where AllGues.grou_code=b.grou_code and AllGues.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllGues set area_name=b.area_name from areaList b "
                                        "where AllGues.area_code=b.area_code and AllGues.tabl_gues_auto_recn=?"),
                     {key});
            const std::pair<const char*, const char*> kinds[] = {
                {"tota_y", "预  定"}, {"tota_z", "指  定"}, {"tota_l", "领  位"}};
            for (const auto& [column, kind] : kinds)
                db::exec(db,
                         QStringLiteral("update AllGues set %1=tabl_gues_fact-tabl_gues_tax-dedu_mone where dedu_type=? "
                                        "and tabl_gues_auto_recn=?")
                             .arg(QString::fromLatin1(column)),
                         {QString::fromUtf8(kind), key});
            db::exec(db, QStringLiteral("update AllGues set dedu_oper_name=b.dedu_oper_name,tota_stan=b.dedu_oper_stan "
                                        "from DeduOperatorlist b where AllGues.dedu_oper_code=b.dedu_oper_code "
                                        "and AllGues.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllGues set book_oper_name=b.oper_name from Operatorlist b "
                                        "where AllGues.book_oper_code=b.oper_code and AllGues.tabl_gues_auto_recn=?"),
                     {key});
        });
    }
}

} // namespace kx::frontdesk
