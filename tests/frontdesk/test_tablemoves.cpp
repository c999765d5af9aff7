// Transfer, join, continue, clear and the way back to the board, on visits seated directly in
// the database the way opening, ordering and checkout leave them.
#include "Check.h"
#include "FrontDeskFixture.h"
#include "TableMoves.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

class TableMovesTest : public kx::test::FrontDeskTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        prompter.clear();
        moves = work->moves;
    }

    // Seats a visit at `table` in `state` ("2" in use, "3" checked out, "4" added to) and returns its key.
    qint64 seat(const QString& table, const QString& state, int guests = 2) {
        QSqlDatabase d = db();
        const qint64 key = kx::db::scalarInt(d, "select auto_recn from setuppay");
        kx::db::exec(d, "update setuppay set auto_recn=auto_recn+1");
        kx::db::exec(d,
                     "insert into TableGuestlist (tabl_gues_auto_recn,tabl_code,tabl_type_code,dept_code,tabl_gues_coun,"
                     "tabl_gues_name,tabl_gues_time,tabl_gues_use,tabl_gues_stat,cons_mode_code,cons_type_code,disc_code,"
                     "dept_name,orde_name,oper_name) select ?,tabl_code,tabl_type_code,dept_code,?,?,?,1,?,"
                     "(select min(cons_mode_code) from ConsModeList where cons_type_code='1'),'1','N','大厅','早班','管理员' "
                     "from tablelist where tabl_code=?",
                     {key, guests, "客" + table, kx::Clock::now().addSecs(-3600), state == "3" ? "3" : "2", table});
        kx::db::exec(d, "update tablelist set tabl_stat_code=?,tabl_gues_auto_recn=? where tabl_code=?", {state, key, table});
        return key;
    }
    // An order line of the visit: mode "1" 点单 … "4" 退赠.
    void line(qint64 key, const QString& item, double count, const QString& mode = "1") {
        const double flag = (mode == "2" || mode == "4") ? -1 : 1;
        const double typeFlag = (mode == "3" || mode == "4") ? 0 : 1;
        kx::db::exec(db(),
                     "insert into TableConsList (tabl_gues_auto_recn,tabl_code,clas_code,item_code,item_unit_pric,"
                     "tabl_cons_coun,tabl_cons_tota,menu_type_code,item_coun_flag,item_type_flag,item_type_code,"
                     "serv_perc,disc_clas_perc,tabl_cons_time) select ?,(select tabl_code from TableGuestlist where "
                     "tabl_gues_auto_recn=?),clas_code,item_code,item_unit_pric,?,?*item_unit_pric*?,?,?,?,item_type_code,"
                     "100,100,? from itemlist where item_code=?",
                     {key, key, count * flag, count * flag, typeFlag, mode, flag, typeFlag, kx::Clock::now(), item});
    }
    void payments(qint64 key, const std::vector<std::pair<QString, double>>& amounts) {
        QSqlQuery q = kx::db::run(db(), "select pay_type_code, pay_type_name from PayTypeList");
        while (q.next()) {
            double amount = 0;
            for (const auto& [code, a] : amounts)
                if (code == q.value(0).toString()) amount = a;
            kx::db::exec(db(),
                         "insert into tableguespay (pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,pay_time,"
                         "pay_flag) values (?,?,?,?,?,0)",
                         {q.value(0), q.value(1), amount, key, kx::Clock::now()});
        }
    }
    // Shows the work screen of `table` as the board's double click leaves it.
    void onTable(const QString& table) {
        showVisit(table, kx::db::scalarInt(db(), "select tabl_gues_auto_recn from tablelist where tabl_code=?", {table}));
    }
    QString stateOf(const QString& table) {
        return kx::db::scalarText(db(), "select tabl_stat_code||'/'||tabl_gues_auto_recn from tablelist where tabl_code=?",
                                  {table});
    }
    void expectConsistent() { EXPECT_EQ(kx::db::checkDatabase(db()), QStringList()); }
    // Types into an edit and presses a button as the cashier does.
    void typeAndPress(QLineEdit* edit, const QString& text, QPushButton* button) {
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    kx::frontdesk::TableMoves* moves = nullptr;
};

TEST_F(TableMovesTest, TransferMovesTheVisitToAFreeTable) {
    const qint64 key = seat("A01", "4");
    onTable("A01");
    main->runAction("work.transfer");
    ASSERT_TRUE(!moves->pnl_changetable->isHidden());
    EXPECT_EQ(moves->editchange->maxLength(), 3);
    prompter.answer(true);
    typeAndPress(moves->editchange, "A02", moves->BitBtn1);
    EXPECT_EQ(prompter.texts(), QStringList({"是否将[A01]转为[A02]，请确定操作!", "系统已成功的转入[A02]台，请继续操作！"}));
    EXPECT_EQ(stateOf("A01"), "1/0");
    EXPECT_EQ(stateOf("A02"), "4/" + QString::number(key)); // the target takes the old state
    EXPECT_EQ(kx::db::scalarText(db(), "select tabl_code from TableGuestlist where tabl_gues_auto_recn=?", {key}), "A02");
    EXPECT_TRUE(moves->pnl_changetable->isHidden());
    EXPECT_EQ(moves->editchange->text(), "");
    EXPECT_EQ(dm->adoqry_table->field("tabl_code").asString(), "A02");
    expectConsistent();
}

TEST_F(TableMovesTest, TransferRefusals) {
    seat("A01", "2");
    seat("A03", "2");
    kx::db::exec(db(), "update tablelist set tabl_stat_code='5' where tabl_code='A04'");
    onTable("A01");
    const char* refused = "此台桌[不存在]或未处于[空闲]状态，所以不能进行[转台]！";
    for (const char* target : {"A04", "A01", "A03", "ZZZ", ""}) {
        prompter.clear();
        main->runAction("work.transfer");
        typeAndPress(moves->editchange, target, moves->BitBtn1);
        EXPECT_EQ(prompter.texts(), QStringList({refused})) << target;
        EXPECT_TRUE(!moves->pnl_changetable->isHidden()) << target; // the panel stays for another try
        moves->cancelPanel(moves->pnl_changetable, moves->editchange);
    }
    // Answering No closes the panel and changes nothing.
    prompter.clear();
    prompter.answer(false);
    main->runAction("work.transfer");
    typeAndPress(moves->editchange, "A02", moves->BitBtn1);
    EXPECT_TRUE(moves->pnl_changetable->isHidden());
    EXPECT_EQ(stateOf("A02"), "1/0");
    // A checked-out table cannot be moved at all.
    seat("A05", "3");
    onTable("A05");
    prompter.clear();
    main->runAction("work.transfer");
    EXPECT_EQ(prompter.texts(), QStringList({"现在台桌不在[使用]状态，所以不能进行[转台]！"}));
    EXPECT_TRUE(moves->pnl_changetable->isHidden());
    expectConsistent();
}

TEST_F(TableMovesTest, JoinMovesTheLinesIntoTheTargetsVisit) {
    const qint64 from = seat("A01", "2");
    const qint64 into = seat("A03", "2");
    line(from, "1001", 2);
    line(into, "1002", 1);
    onTable("A01");
    main->runAction("work.join");
    prompter.answer(true);
    typeAndPress(moves->editjoin, "A03", moves->BitBtn3);
    EXPECT_EQ(prompter.texts(), QStringList({"是否将[A01]并入[A03]，请确定操作!", "系统已成功的并入[A03]台，请继续操作！"}));
    EXPECT_EQ(stateOf("A01"), "1/0");
    EXPECT_EQ(stateOf("A03"), "2/" + QString::number(into));
    EXPECT_FALSE(kx::db::exists(db(), "select 1 from TableGuestlist where tabl_gues_auto_recn=?", {from}));
    EXPECT_EQ(kx::test::joinedRows(db(), QStringLiteral("select coalesce(tabl_code_old,'-') from TableConsList where "
                                                        "tabl_gues_auto_recn=%1 order by tabl_cons_id")
                                             .arg(into)),
              "A01,-");
    // The grid and the subtotals of the target now hold both lines.
    EXPECT_EQ(dm->adoqry_TableCons->recordCount(), 2);
    const double expected = kx::db::scalarNumber(
        db(), "select sum(tabl_cons_coun*item_unit_pric) from TableConsList a, classlist b where a.clas_code=b.clas_code "
              "and b.clas_allo_spec=0 and tabl_gues_auto_recn=?",
        {into});
    EXPECT_GT(expected, 0);
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(db(), "select tabl_gues_dish from TableGuestlist where tabl_gues_auto_recn=?", {into}),
                     expected);
    expectConsistent();
}

TEST_F(TableMovesTest, JoinRefusals) {
    seat("A01", "2");
    seat("A05", "3");
    onTable("A01");
    const char* refused = "要[并入]的台桌不在[使用]状态，所以不能进行[并台]！";
    for (const char* target : {"A01", "A02", "A05", "ZZZ"}) {
        prompter.clear();
        main->runAction("work.join");
        typeAndPress(moves->editjoin, target, moves->BitBtn3);
        EXPECT_EQ(prompter.texts(), QStringList({refused})) << target;
        moves->cancelPanel(moves->pnl_jointable, moves->editjoin);
    }
    EXPECT_EQ(stateOf("A01").left(2), "2/");
}

TEST_F(TableMovesTest, ContinueGivesBackWhatTheVisitRecordedAndReopensTheTable) {
    const qint64 key = seat("A01", "3");
    line(key, "1001", 1);
    kx::db::exec(db(), "update TableGuestlist set hang_code='001',hang_mone=50,memb_card_code='8800001',memb_mone=30,"
                       "tabl_gues_fact=120,tabl_gues_disc=5,disc_code='V1',tabl_gues_pay_narr='现金40' where tabl_gues_auto_recn=?",
                 {key});
    kx::db::exec(db(), "update hanggues set hang_gues_use=hang_gues_use+50 where hang_gues_code='001'");
    kx::db::exec(db(), "update MemberList set memb_surp=memb_surp-30, memb_use=memb_use+30 where memb_card_code='8800001'");
    payments(key, {{"Z", 40}, {"H", 50}, {"M", 30}});
    const double owedBefore = kx::db::scalarNumber(db(), "select hang_gues_use from hanggues where hang_gues_code='001'");
    const double balanceBefore = kx::db::scalarNumber(db(), "select memb_surp from MemberList where memb_card_code='8800001'");
    onTable("A01");
    prompter.answer(true);
    main->runAction("work.goon");
    EXPECT_EQ(prompter.texts(), QStringList({"此台已结帐完毕，是否进行[续单]操作!"}));
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(db(), "select hang_gues_use from hanggues where hang_gues_code='001'"),
                     owedBefore - 50);
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(db(), "select memb_surp from MemberList where memb_card_code='8800001'"),
                     balanceBefore + 30);
    EXPECT_FALSE(kx::db::exists(db(), "select 1 from tableguespay where tabl_gues_auto_recn=?", {key}));
    EXPECT_EQ(stateOf("A01"), "4/" + QString::number(key));
    EXPECT_EQ(kx::test::joinedRows(db(), QStringLiteral("select tabl_gues_stat, disc_code, hang_code, hang_mone, memb_mone, "
                                                        "tabl_gues_disc, tabl_gues_pay_narr from TableGuestlist where "
                                                        "tabl_gues_auto_recn=%1")
                                             .arg(key)),
              "2/N//0/0/0/");
    expectConsistent();

    // Continuing needs the permission and a checked-out table.
    prompter.clear();
    main->runAction("work.goon");
    EXPECT_EQ(prompter.texts(), QStringList({"现在台桌不在[结帐]状态，所以不能进行[续单]！"}));
    kx::db::exec(db(), "update Limitedlist set limi_real=0 where limi_code='GB'");
    prompter.clear();
    main->runAction("work.goon");
    EXPECT_EQ(prompter.texts(), QStringList({"GB你没有操作此项功能的权限，请与系统管理员联系！"}));
}

TEST_F(TableMovesTest, ClearArchivesTheVisitItsLinesAndPayments) {
    const qint64 key = seat("A01", "3");
    line(key, "1001", 2, "1");
    line(key, "1001", 1, "2");
    line(key, "1002", 1, "3");
    line(key, "1002", 1, "4");
    kx::db::exec(db(), "update TableGuestlist set tabl_gues_fact=300,tabl_gues_tax=20,dedu_mone=10,dedu_type='指  定',"
                       "dedu_oper_code=(select min(dedu_oper_code) from deduoperatorlist) where tabl_gues_auto_recn=?",
                 {key});
    payments(key, {{"Z", 300}});
    const int payTypes = int(kx::db::scalarInt(db(), "select count(*) from PayTypeList"));
    onTable("A01");
    prompter.answer(true);
    main->runAction("work.clear");
    EXPECT_EQ(prompter.texts(), QStringList({"此台已结帐完毕，是否进行[清台]操作!"}));
    EXPECT_EQ(stateOf("A01"), "1/0");
    EXPECT_EQ(main->CurrentPanel(), work->pnl_TableState);
    EXPECT_EQ(kx::db::scalarText(db(), "select tabl_gues_use||'/'||tabl_gues_stat from TableGuestlist where tabl_gues_auto_recn=?", {key}),
              "0/1");
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from AllGues where tabl_gues_auto_recn=?", {key}), 1);
    EXPECT_EQ(kx::test::joinedRows(db(), QStringLiteral("select coalesce(tota_y,0), tota_z, coalesce(tota_l,0), case when "
                                                        "dedu_oper_name is not null then 1 else 0 end from AllGues where "
                                                        "tabl_gues_auto_recn=%1")
                                             .arg(key)),
              "0/270/0/1");
    // Each archived line carries its quantity in the column of its mode, and the names of now.
    const QString tableName = kx::db::scalarText(db(), "select tabl_name from tablelist where tabl_code='A01'");
    EXPECT_EQ(kx::test::joinedRows(db(),
                                   QStringLiteral("select menu_type_code, coalesce(tabl_d_bill,0), coalesce(tabl_t_bill,0), "
                                                  "coalesce(tabl_z_bill,0), coalesce(tabl_tz_bill,0), menu_type_name, case "
                                                  "when clas_name is not null then 1 else 0 end, tabl_name from AllCons where "
                                                  "tabl_gues_auto_recn=%1 order by menu_type_code")
                                       .arg(key),
                                   QStringLiteral(","), QStringLiteral(" ")),
              "1,2,0,0,0,点单,1," + tableName + " 2,0,-1,0,0,退单,1," + tableName + " 3,0,0,1,0,赠单,1," + tableName +
                  " 4,0,0,0,-1,退赠,1," + tableName);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from AllGuesPay where tabl_gues_auto_recn=? and dept_name='大厅' and "
                                      "orde_name='早班' and oper_name='管理员' and pay_flag=0",
                                {key}),
              payTypes);
    expectConsistent();
}

TEST_F(TableMovesTest, ClearingABookedTableLeavesItBooked) {
    seat("A02", "3");
    kx::db::exec(db(), "insert into bookin (book_name,book_coun,book_time,tabl_code,oper_code) values "
                       "('周先生',4,?,'A02','01')",
                 {kx::Clock::now().addSecs(7200)});
    onTable("A02");
    prompter.answer(true);
    main->runAction("work.clear");
    EXPECT_EQ(stateOf("A02"), "5/0");
    expectConsistent();
    // Only a checked-out table can be cleared.
    seat("A03", "2");
    onTable("A03");
    prompter.clear();
    main->runAction("work.clear");
    EXPECT_EQ(prompter.texts(), QStringList({"现在台桌不在[结帐]状态，所以不能进行[清台]！"}));
}

TEST_F(TableMovesTest, AFailureWhileClearingRollsBackAndShowsItsCode) {
    const qint64 key = seat("A01", "3");
    payments(key, {{"Z", 10}});
    kx::db::exec(db(), "drop table AllGuesPay");
    onTable("A01");
    prompter.answer(true);
    main->runAction("work.clear");
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts().last(), "系统发生错误编码[B100006]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！");
    EXPECT_EQ(stateOf("A01"), "3/" + QString::number(key));
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from AllGues"), 0);
    EXPECT_TRUE(main->SilentExit);
}

TEST_F(TableMovesTest, BackToTheBoardRefreshesItsCopiesAndKeepsTheTable) {
    const qint64 key = seat("A03", "2", 3);
    kx::db::exec(db(), "update TableGuestlist set tabl_gues_shou=88 where tabl_gues_auto_recn=?", {key});
    onTable("A03");
    dm->adoqry_TableGues->edit();
    dm->adoqry_TableGues->field("tabl_gues_rema").setValue("靠窗");
    main->runAction("work.back");
    EXPECT_EQ(main->CurrentPanel(), work->pnl_TableState);
    EXPECT_EQ(dm->adoqry_table->field("tabl_code").asString(), "A03");
    EXPECT_EQ(kx::test::joinedRows(db(), "select tabl_gues_name, tabl_gues_coun, tabl_gues_shou from tablelist "
                                         "where tabl_code='A03'"),
              "客A03/3/88");
    EXPECT_EQ(kx::db::scalarText(db(), "select tabl_gues_rema from TableGuestlist where tabl_gues_auto_recn=?", {key}), "靠窗");
}

} // namespace
