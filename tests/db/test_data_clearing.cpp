// Clearing chosen groups of the venue's data, and the initialisation of the working data.
#include "Check.h"
#include "DataClearing.h"
#include "Schema.h"
#include "Sql.h"
#include "TestDb.h"
#include "Transaction.h"

#include <QDateTime>
#include <functional>
#include <gtest/gtest.h>

using kx::db::ClearChoice;

namespace {

QDateTime at(int day, int h = 12, int m = 0, int s = 0) { return QDateTime(QDate(2026, 12, day), QTime(h, m, s)); }

// The range cleared is 5 to 6 December; each archive holds a row at each edge inside and just
// outside it.
const QDateTime kEdges[] = {at(4, 23, 59, 59), at(5, 0, 0, 0), at(6, 23, 59, 59), at(7, 0, 0, 0)};

class DataClearingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        kx::db::prepareDatabase(db(), true, QDate(2026, 12, 9));
        int id = 100;
        for (const QDateTime& when : kEdges) {
            ++id;
            run("insert into AllCons (tabl_gues_auto_recn, item_code, tabl_cons_coun, tabl_cons_time_work) values (?, '4001', 1, ?)",
                {id, when});
            run("insert into AllGues (tabl_gues_auto_recn, tabl_code, tabl_gues_time_work) values (?, '101', ?)", {id, when});
            run("insert into AllOtherInCome (othe_inco_code, othe_inco_mone, othe_inco_time) values ('01', 5, ?)", {when});
            run("insert into AllGuesPay (pay_type_code, pay_type_mone, tabl_gues_auto_recn, pay_time) values ('01', 5, ?, ?)",
                {id, when});
            run("insert into Allpaytotal (pay_type_code, pay_type_mone, pay_date_work) values ('01', 5, ?)", {when});
            run("insert into systemlog (log_oper_name, log_time, log_oper) values ('管理员', ?, 'x')", {when});
            // A posted bill and its line of the same date.
            run("insert into AllStoreBill (stor_bill_ID, stor_bill_code, stor_bill_date_work) values (?, 'B', ?)", {id, when});
            run("insert into AllStoreDetail (stor_bill_ID, item_code, item_coun, stor_bill_date_work) values (?, '4001', 1, ?)",
                {id, when});
        }
        // A bill inside whose line carries a date outside, and the reverse.
        run("insert into AllStoreBill (stor_bill_ID, stor_bill_code, stor_bill_date_work) values (201, 'IN', ?)", {at(5)});
        run("insert into AllStoreDetail (stor_bill_ID, item_code, item_coun, stor_bill_date_work) values (201, '4001', 1, ?)",
            {at(8)});
        run("insert into AllStoreBill (stor_bill_ID, stor_bill_code, stor_bill_date_work) values (202, 'OUT', ?)", {at(8)});
        run("insert into AllStoreDetail (stor_bill_ID, item_code, item_coun, stor_bill_date_work) values (202, '4001', 1, ?)",
            {at(5)});
    }
    QSqlDatabase db() { return t.db(); }
    void run(const char* sql, const QVariantList& params = {}) { kx::db::exec(db(), QString::fromUtf8(sql), params); }
    qint64 count(const QString& sql) { return kx::db::scalarInt(db(), "select count(*) from " + sql); }
    // What the tables hold that a clearing may touch.
    QString counts() {
        QStringList out;
        for (const char* table : {"itemlist", "classlist", "ItemGroup", "TableList", "AllCons", "AllGues",
                                  "AllOtherInCome", "AllGuesPay", "Allpaytotal", "AllStoreBill", "AllStoreDetail",
                                  "systemlog", "kindlist", "MemberList"})
            out << QString::fromLatin1(table) + "=" + QString::number(count(QString::fromLatin1(table)));
        out << "stock=" + QString::number(kx::db::scalarNumber(db(), "select coalesce(sum(item_coun), 0) from itemlist"));
        return out.join(' ');
    }

    kx::test::TempDatabase t;
};

struct GroupCase {
    const char* name;
    std::function<void(ClearChoice&)> choose;
    // Rows left per table after the clearing, as "table=count" pieces that must appear.
    QStringList left;
};

class ClearingGroups : public DataClearingTest, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(ClearingGroups, ClearWhatWasChosenAndNothingElse) {
    ClearChoice c;
    GetParam().choose(c);
    const QString before = counts();
    kx::db::clearData(db(), c);
    const QString after = counts();
    for (const QString& piece : GetParam().left)
        EXPECT_TRUE(after.split(' ').contains(piece)) << piece.toStdString() << "\n" << after.toStdString();
    // Tables the case does not name keep their rows.
    for (const QString& was : before.split(' ')) {
        const QString table = was.section('=', 0, 0);
        bool named = false;
        for (const QString& piece : GetParam().left)
            named = named || piece.section('=', 0, 0) == table;
        if (!named) EXPECT_TRUE(after.split(' ').contains(was)) << was.toStdString() << "\n" << after.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clearing, ClearingGroups,
    ::testing::Values(
        GroupCase{"Stock", [](ClearChoice& c) { c.stock = true; }, {"stock=0"}},
        GroupCase{"BaseData",
                  [](ClearChoice& c) { c.baseData = true; },
                  {"itemlist=0", "classlist=0", "ItemGroup=0", "TableList=0", "stock=0"}},
        GroupCase{"AllHistory",
                  [](ClearChoice& c) { c.allHistory = true; },
                  {"AllCons=0", "AllGues=0", "AllOtherInCome=0", "AllGuesPay=0", "Allpaytotal=0", "AllStoreBill=0",
                   "AllStoreDetail=0"}},
        // The two edge rows inside go, the two outside stay; bill 201 (inside) goes with its line
        // dated outside, bill 202 (outside) keeps its line dated inside.
        GroupCase{"SomeHistory",
                  [](ClearChoice& c) {
                      c.someHistory = true;
                      c.historyFrom = QDate(2026, 12, 5);
                      c.historyTo = QDate(2026, 12, 6);
                  },
                  {"AllCons=2", "AllGues=2", "AllOtherInCome=2", "AllGuesPay=2", "Allpaytotal=2", "AllStoreBill=3",
                   "AllStoreDetail=3"}},
        GroupCase{"OneDayOfTheLog",
                  [](ClearChoice& c) {
                      c.someLog = true;
                      c.logFrom = c.logTo = QDate(2026, 12, 6);
                  },
                  {"systemlog=3"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataClearingTest, PartOfTheHistoryTakesTheBillsWithTheirLines) {
    ClearChoice c;
    c.someHistory = true;
    c.historyFrom = QDate(2026, 12, 5);
    c.historyTo = QDate(2026, 12, 6);
    kx::db::clearData(db(), c);
    EXPECT_EQ(count("AllStoreDetail where stor_bill_ID = 201"), 0);
    EXPECT_EQ(count("AllStoreDetail where stor_bill_ID = 202"), 1);
    EXPECT_EQ(count("AllStoreBill where stor_bill_ID = 202"), 1);
    EXPECT_EQ(count("AllStoreDetail where stor_bill_ID not in (select stor_bill_ID from AllStoreBill)"), 0);
}

// With a visit in use, the base data is refused before anything is cleared.
TEST_F(DataClearingTest, BaseDataInUseIsRefusedAndNothingIsCleared) {
    run("insert into TableConsList (tabl_gues_auto_recn, item_code, tabl_cons_coun) values (1, '4001', 1)");
    ClearChoice c;
    c.stock = c.baseData = c.allHistory = true;
    const QString before = counts();
    EXPECT_THROW(kx::db::clearData(db(), c), kx::db::BaseDataInUse);
    EXPECT_EQ(counts(), before);
}

TEST_F(DataClearingTest, AFailureHalfWayClearsNothing) {
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before delete on AllGuesPay begin select raise(abort, 'refused'); end");
    ClearChoice c;
    c.stock = c.allHistory = c.someLog = true;
    c.logFrom = c.logTo = QDate(2026, 12, 5);
    const QString before = counts();
    EXPECT_THROW(kx::db::clearData(db(), c), kx::DbError);
    EXPECT_EQ(counts(), before);
}

// ---------------------------------------------------------------- initialisation

TEST_F(DataClearingTest, InitialisationFreesEveryTableAndKeepsWhatTheCardsHold) {
    // A visit in use on 101, a booking, an open stock bill, and a card that has been used.
    run("update TableList set tabl_stat_code = '2', tabl_gues_auto_recn = 7, tabl_gues_name = '张', tabl_gues_coun = 4 "
        "where tabl_code = (select min(tabl_code) from TableList)");
    run("insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use) "
        "select 7, min(tabl_code), 1 from TableList");
    run("insert into TableConsList (tabl_gues_auto_recn, item_code, tabl_cons_coun) values (7, '4001', 1)");
    run("insert into bookin (book_name, tabl_code) values ('李', '102')");
    run("insert into StoreBill (stor_bill_code, stor_bill_type) values ('X1', '进货单')");
    run("update MemberList set memb_surp = 470, memb_use = 30, memb_stor = 12, memb_stor_temp = 2 "
        "where memb_card_code = '8800001'");
    const double debt = kx::db::scalarNumber(db(), "select coalesce(sum(hang_gues_use), 0) from HangGues");
    for (int round = 0; round < 2; ++round) {
        kx::db::initialiseData(db());
        for (const char* table : {"bookin", "AllCons", "AllGues", "AllGuesPay", "TableConsList", "TableGuestlist",
                                  "StoreBill", "AllStoreBill", "AllStoreDetail"})
            EXPECT_EQ(count(QString::fromLatin1(table)), 0) << table << " round " << round;
        EXPECT_EQ(count("TableList where tabl_stat_code <> '1' or tabl_gues_auto_recn <> 0 or tabl_gues_name is not null"), 0);
        // One carry-over row per card with money or points, which works the card out to what it held.
        EXPECT_EQ(kx::db::scalarNumber(db(), "select sum(memb_mana_save) from membManage where memb_card_code = '8800001'"),
                  500);
        EXPECT_EQ(kx::db::scalarNumber(db(), "select sum(memb_mana_inte) from membManage where memb_card_code = '8800001'"),
                  10);
        EXPECT_EQ(count("membManage where memb_card_code = '8800001'"), 1);
        EXPECT_EQ(kx::db::scalarText(db(), "select memb_mana_rema from membManage where memb_card_code = '8800001'"),
                  "初始化结转");
        EXPECT_EQ(kx::db::scalarNumber(db(), "select memb_surp from MemberList where memb_card_code = '8800001'"), 470);
        EXPECT_EQ(kx::db::scalarNumber(db(), "select coalesce(sum(hang_gues_use), 0) from HangGues"), debt);
        const QStringList failures = kx::db::checkDatabase(db());
        EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    }
    // The catalogue, venue, staff and units stay.
    EXPECT_GT(count("itemlist"), 0);
    EXPECT_GT(count("TableList"), 0);
    EXPECT_GT(count("operatorlist"), 0);
    EXPECT_GT(count("WorkList"), 0);
}

} // namespace
