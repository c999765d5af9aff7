#include "VisitMoves.h"

#include "BillCalc.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TableInfo.h"
#include "Transaction.h"

#include <QSqlQuery>

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
    db::inTransaction(dm.database(), QStringLiteral("B100003"), [&] { reopenAccount(dm); });
}

void reopenAccount(TDMTable& dm) {
    Dataset* visit = dm.adoqry_TableGues;
    Dataset* board = dm.adoqry_table;
    QSqlDatabase db = dm.database();
    visit->edit();
    board->edit();
    const qint64 key = visit->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    // What is given back is what the stored visit recorded, and only while it is still checked
    // out: another desk may have continued or cleared it meanwhile.
    QSqlQuery stored = db::run(db,
                               QStringLiteral("SELECT hang_code, hang_mone, memb_card_code, memb_mone FROM TableGuestlist "
                                              "WHERE tabl_gues_auto_recn = ? AND tabl_gues_use <> 0 AND tabl_gues_stat = '3'"),
                               {key});
    if (!stored.next()) throw StaleData();
    const QString hangCode = stored.value(0).toString();
    const double hangMone = stored.value(1).toDouble();
    const QString cardCode = stored.value(2).toString();
    const double cardMone = stored.value(3).toDouble();
    stored.finish();

    for (const char* column : {"tabl_gues_disc", "tabl_gues_tax", "tabl_gues_fact", "dedu_mone", "disc_perc"})
        visit->field(QString::fromLatin1(column)).setValue(0);
    visit->field(QStringLiteral("tabl_gues_tax_real")).setValue(false);
    visit->field(QStringLiteral("disc_code")).setValue(QStringLiteral("N"));
    for (const char* column : {"tabl_gues_pay_narr", "hang_code", "hang_name", "memb_card_code", "memb_name"})
        visit->field(QString::fromLatin1(column)).clear();
    visit->field(QStringLiteral("tabl_gues_stat")).setValue(QStringLiteral("2"));

    // The account and the card get back what this visit recorded, changed in the database
    // itself so that another front desk's charge in the meantime is kept.
    if (hangMone > 0) {
        db::exec(db, QStringLiteral("update hanggues set hang_gues_use=round(hang_gues_use-?,2) where hang_gues_code=?"),
                 {hangMone, hangCode});
        visit->field(QStringLiteral("hang_mone")).setValue(0);
    }
    if (cardMone > 0) {
        db::exec(db, QStringLiteral("update MemberList set memb_use=round(memb_use-?,2),memb_surp=round(memb_surp+?,2) where memb_card_code=?"),
                 {cardMone, cardMone, cardCode});
        visit->field(QStringLiteral("memb_mone")).setValue(0);
    }
    board->field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("4"));
    visit->post();
    board->post();
    db::exec(db, QStringLiteral("delete from tableguespay where tabl_gues_auto_recn=?"), {key});
    db::exec(db, QStringLiteral("update TableConsList set tabl_gues_end=0 where tabl_gues_auto_recn=?"), {key});
    visit->edit();
    ReTotal(dm);
    visit->post();
    if (hangMone > 0 && dm.adoqry_hanggues->active())
        dm.adoqry_hanggues->refreshRows(QStringLiteral("hang_gues_code"), {hangCode});
    if (cardMone > 0 && dm.adoqry_Member->active())
        dm.adoqry_Member->refreshRows(QStringLiteral("memb_card_code"), {cardCode});
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
            db::exec(db, QStringLiteral("insert into AllCons (%1) select %1 from TableConsList where tabl_gues_auto_recn=?")
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
