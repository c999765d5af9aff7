#pragma once
// A fresh database with only what a bill needs: a few classes, consumption modes, one visit
// and its order lines, all inserted with bound statements. The front desk's data module is
// built on it when a test has set its rows up, with the visit as the current row.
#include "BillCalc.h"
#include "Clock.h"
#include "Schema.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TestDb.h"

#include <QDateTime>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>

namespace kx::test::bill {

inline QDateTime at(int month, int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second));
}

// One visit row; amounts left out are 0.
struct Visit {
    qint64 key = 1;
    QString mode = QStringLiteral("M1");
    QString type = QStringLiteral("1");
    int serv = 0;
    QDateTime opened = at(3, 10, 10, 0);
    int guests = 0;
    double unit = 0, low = 0, room = 0, dish = 0, special = 0, servMain = 0, servSpec = 0, servCharge = 0;
    QString discCode = QStringLiteral("N");
};

// One order line; the stored total is count x price x sign unless given.
struct Line {
    qint64 visit = 1;
    QString clas;
    double count = 1;
    double price = 0;
    int flag = 1;               // price sign: 1 ordered, -1 returned, 0 free
    QString menu = QStringLiteral("1");
    QVariant total = QVariant(); // stored line total; empty = count x price x flag
    QVariant grou = QVariant();  // set menu of a component line; empty = none
    int servPerc = 100;
    int discPerc = 100;
};

class BillCalcTest : public ::testing::Test {
protected:
    void SetUp() override {
        db::prepareDatabase(tdb.db(), false, QDate(2026, 3, 10));
        Clock::freeze(at(3, 10, 12, 0));
    }
    void TearDown() override {
        dm.reset();
        Clock::unfreeze();
    }

    QSqlDatabase db() const { return tdb.db(); }

    void setting(const char* field, const QVariant& value) {
        db::exec(db(), QStringLiteral("UPDATE SetupPay SET %1 = ?").arg(QLatin1String(field)), {value});
        if (dm) dm->adoqry_SetupPay->refresh();
    }

    void addClass(const QString& code, bool disc, bool serv, bool special) {
        db::exec(db(),
                 QStringLiteral("INSERT INTO classlist (kind_code, clas_code, clas_name, clas_allo_disc, clas_allo_serv, "
                                "clas_allo_spec) VALUES ('1', ?, ?, ?, ?, ?)"),
                 {code, code, disc, serv, special});
    }

    void addMode(const QString& code, const QString& type, double money, int serv = 0) {
        db::exec(db(),
                 QStringLiteral("INSERT INTO ConsModeList (cons_mode_code, cons_mode_name, cons_type_code, cons_mode_mone, "
                                "cons_mode_serv) VALUES (?, ?, ?, ?, ?)"),
                 {code, code, type, money, serv});
    }

    // A time band of a mode; times of day as "HH:mm:ss", stored on the date of bare times.
    void addBand(const QString& mode, const QString& start, const QString& end, double price) {
        db::exec(db(),
                 QStringLiteral("INSERT INTO ConsTimeMode (cons_mode_code, cons_time_star, cons_time_end, cons_time_mone) "
                                "VALUES (?, ?, ?, ?)"),
                 {mode, QStringLiteral("1899-12-30 ") + start, QStringLiteral("1899-12-30 ") + end, price});
    }

    void addVisit(const Visit& v) {
        db::exec(db(),
                 QStringLiteral(
                     "INSERT INTO TableGuestlist (tabl_gues_auto_recn, tabl_code, cons_mode_code, cons_type_code, "
                     "cons_mode_serv, tabl_gues_time, tabl_gues_coun, tabl_gues_use, tabl_gues_unit, tabl_gues_low, "
                     "tabl_gues_room, tabl_gues_dish, tabl_gues_spec, tabl_gues_serv_main, tabl_gues_serv_spec, "
                     "tabl_gues_serv, disc_code, disc_perc) VALUES (?, 'A01', ?, ?, ?, ?, ?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)"),
                 {v.key, v.mode, v.type, v.serv, v.opened, v.guests, v.unit, v.low, v.room, v.dish, v.special, v.servMain,
                  v.servSpec, v.servCharge, v.discCode});
    }

    void addLine(const Line& l, const char* table = "TableConsList") {
        const QVariant total = l.total.isValid() ? l.total : QVariant(l.count * l.price * l.flag);
        db::exec(db(),
                 QStringLiteral("INSERT INTO %1 (tabl_gues_auto_recn, clas_code, item_code, tabl_cons_coun, "
                                "item_unit_pric, item_type_flag, menu_type_code, tabl_cons_tota, grou_code, serv_perc, "
                                "disc_clas_perc) VALUES (?, ?, 'X', ?, ?, ?, ?, ?, ?, ?, ?)")
                     .arg(QLatin1String(table)),
                 {l.visit, l.clas, l.count, l.price, l.flag, l.menu, total, l.grou, l.servPerc, l.discPerc});
    }

    // Builds the data module and makes the visit its current row.
    frontdesk::TDMTable& desk(qint64 key = 1) {
        dm = std::make_unique<frontdesk::TDMTable>(db());
        dm->openWorkingData(); // as a login does
        EXPECT_TRUE(dm->adoqry_TableGues->locate(QStringLiteral("tabl_gues_auto_recn"), key));
        return *dm;
    }

    double visit(const char* field) const { return dm->adoqry_TableGues->field(QLatin1String(field)).asFloat(); }
    double stored(const char* field, qint64 key = 1) {
        return db::scalarNumber(db(),
                                QStringLiteral("SELECT %1 FROM TableGuestlist WHERE tabl_gues_auto_recn = ?")
                                    .arg(QLatin1String(field)),
                                {key});
    }

    TempDatabase tdb;
    std::unique_ptr<frontdesk::TDMTable> dm;
};

} // namespace kx::test::bill
