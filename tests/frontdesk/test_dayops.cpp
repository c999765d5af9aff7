// Day start, day end with its backup, the business statistics, and the shift handover.
#include "Check.h"
#include "TestServer.h"
#include "Connection.h"
#include "DayOperations.h"
#include "FrontDeskFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QToolButton>

namespace {

class DayOpsTest : public kx::test::FrontDeskTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        prompter.clear();
        day = work->day;
    }
    // A visit at `table`: in use ("2"), checked out ("3", still in use) or cleared ("1", no longer in use),
    // with one order line and, once checked out, its payment lines.
    qint64 visit(const QString& table, const QString& stat, double cash = 0, double card = 0) {
        const qint64 key = kx::db::scalarInt(db(), "select auto_recn from setuppay");
        kx::db::exec(db(), "update setuppay set auto_recn=auto_recn+1");
        const bool inUse = stat != "1";
        kx::db::exec(db(),
                     "insert into TableGuestlist (tabl_gues_auto_recn,tabl_code,dept_code,tabl_gues_use,tabl_gues_stat,"
                     "tabl_gues_fact,tabl_gues_shou,tabl_gues_time) select ?,tabl_code,dept_code,?,?,?,?,? from tablelist "
                     "where tabl_code=?",
                     {key, inUse, stat, cash + card, cash + card, kx::Clock::now(), table});
        kx::db::exec(db(), "insert into TableConsList (tabl_gues_auto_recn,tabl_code,item_code,tabl_cons_coun) values (?,?,'1001',1)",
                     {key, table});
        if (inUse)
            kx::db::exec(db(), "update tablelist set tabl_stat_code=?,tabl_gues_auto_recn=? where tabl_code=?",
                         {stat == "3" ? "3" : "2", key, table});
        if (stat != "2") {
            for (auto [code, amount] : {std::pair<const char*, double>{"Z", cash}, {"M", card}, {"R", 0.0}}) {
                kx::db::exec(db(), "insert into tableguespay (pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,"
                                   "pay_time,pay_flag) values (?,?,?,?,?,0)",
                             {code, code, amount, key, kx::Clock::now()});
                if (stat == "1")
                    kx::db::exec(db(), "insert into AllGuesPay (pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,"
                                       "pay_time,pay_flag) values (?,?,?,?,?,0)",
                                 {code, code, amount, key, kx::Clock::now()});
            }
        }
        return key;
    }
    qint64 count(const QString& sql, const QVariantList& params = {}) { return kx::db::scalarInt(db(), sql, params); }

    kx::frontdesk::DayOperations* day = nullptr;
};

TEST_F(DayOpsTest, TheScreenShowsTheDayStateAndNeedsThePermission) {
    QTest::mouseClick(work->toolb_Chcek, Qt::LeftButton);
    EXPECT_EQ(main->CurrentPanel(), day->pnl_BeginEnd);
    EXPECT_EQ(day->lbl_daystate->text(), "日始工作已经完成");
    EXPECT_EQ(day->lbl_timecaption->text(), "日始时间");
    EXPECT_EQ(day->DBGrid13->model()->rowCount(), dm->adoqry_otherincome->recordCount());
    EXPECT_EQ(day->DBGrid13->model()->headerData(0, Qt::Horizontal).toString(), "其它收入项目");

    QTest::mouseClick(day->ToolButton45, Qt::LeftButton);
    kx::db::exec(db(), "update Limitedlist set limi_real=0 where limi_code='BE'");
    QTest::mouseClick(work->toolb_Chcek, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({"BE你没有操作此项功能的权限，请与系统管理员联系！"}));
    EXPECT_EQ(main->CurrentPanel()->objectName(), "pnl_TableState");
}

TEST_F(DayOpsTest, DayEndRemovesClearedVisitsAndKeepsOpenOnes) {
    const qint64 open1 = visit("A01", "2");
    const qint64 open2 = visit("A02", "3", 100);
    const qint64 open3 = visit("A03", "2");
    const qint64 cleared = visit("A04", "1", 50);
    kx::db::exec(db(), "update otherincomelist set othe_inco_mone=12.5");
    QTest::mouseClick(work->toolb_Chcek, Qt::LeftButton);
    prompter.answer(false);
    QTest::mouseClick(day->ToolButton46, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({"现在还有[3]个台正在使用，请选择是否进行[日结处理]!"}));
    EXPECT_EQ(count("select count(*) from TableGuestlist"), 4); // No changes nothing

    prompter.answer(true);
    kx::Clock::advance(8 * 3600);
    QTest::mouseClick(day->ToolButton46, Qt::LeftButton);
    EXPECT_EQ(count("select count(*) from TableGuestlist where tabl_gues_auto_recn in (?,?,?)", {open1, open2, open3}), 3);
    EXPECT_EQ(count("select count(*) from TableGuestlist where tabl_gues_auto_recn=?", {cleared}), 0);
    EXPECT_EQ(count("select count(*) from TableConsList where tabl_gues_auto_recn=?", {cleared}), 0);
    EXPECT_EQ(count("select count(*) from TableConsList"), 3);
    // Payment lines of the checked-out visit survive day end.
    EXPECT_EQ(count("select count(*) from tableguespay where tabl_gues_auto_recn=?", {open2}), 3);
    EXPECT_EQ(count("select count(*) from AllOtherInCome where othe_inco_mone=12.5 and othe_inco_time='2026-12-09 00:00:00'"),
              count("select count(*) from otherincomelist"));
    EXPECT_EQ(kx::db::scalarText(db(), "select pay_star||'/'||time_end from setuppay"), "0/2026-12-09 18:00:00");
    EXPECT_EQ(day->lbl_daystate->text(), "日结完成,尚未日始");
    EXPECT_EQ(day->lbl_opercaption->text(), "日结员工");
    EXPECT_EQ(day->lbl_oper->text(), "管理员");
    EXPECT_EQ(dm->adoqry_SetupPay->state(), kx::db::Dataset::Edit);
    EXPECT_EQ(kx::db::checkDatabase(db()), QStringList());

    // A second day end is refused until the next day start.
    prompter.clear();
    QTest::mouseClick(day->ToolButton46, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({"现在还未进行日始处理，所以不能进行[日结]，请进行[日始处理]！"}));
}

TEST_F(DayOpsTest, DayStartOpensTheBusinessDayOnce) {
    kx::db::exec(db(), "update otherincomelist set othe_inco_mone=30");
    QTest::mouseClick(work->toolb_Chcek, Qt::LeftButton);
    QTest::mouseClick(day->ToolButton42, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({"[日始处理]已处理完毕，所以不能处理，在[日结]后才能进行[日始处理]！"}));
    prompter.clear();
    prompter.answer(true);
    QTest::mouseClick(day->ToolButton46, Qt::LeftButton);
    kx::Clock::freeze(QDateTime(QDate(2026, 12, 10), QTime(9, 15)));
    prompter.answer(false);
    QTest::mouseClick(day->ToolButton42, Qt::LeftButton);
    EXPECT_EQ(prompter.last().text, "请确认是否进行[日始处理]!");
    EXPECT_EQ(kx::db::scalarInt(db(), "select pay_star from setuppay"), 0);
    prompter.answer(true);
    QTest::mouseClick(day->ToolButton42, Qt::LeftButton);
    EXPECT_EQ(kx::db::scalarText(db(), "select pay_star||'/'||time_work||'/'||time_star from setuppay"),
              "1/2026-12-10 00:00:00/2026-12-10 09:15:00");
    EXPECT_EQ(count("select count(*) from otherincomelist where othe_inco_mone<>0"), 0);
    EXPECT_EQ(day->lbl_workdate->text(), "营业日期：2026-12-10");
    EXPECT_EQ(day->lbl_daystate->text(), "日始工作已经完成");
}

TEST_F(DayOpsTest, TheAutomaticRollAtLoginRunsWithoutQuestions) {
    visit("A01", "1", 20);
    dm->adoqry_SetupPay->edit();
    dm->adoqry_SetupPay->field("work_auto").setValue(true);
    dm->adoqry_SetupPay->field("time_end").setValue(QDateTime(QDate(2026, 12, 8), QTime(23, 0)));
    dm->adoqry_SetupPay->post();
    QTest::mouseClick(work->ToolButton4, Qt::LeftButton); // log out
    kx::Clock::freeze(QDateTime(QDate(2026, 12, 10), QTime(8, 0)));
    prompter.clear();
    logIn();
    EXPECT_EQ(prompter.texts(), QStringList());
    EXPECT_EQ(count("select count(*) from TableGuestlist"), 0);
    EXPECT_EQ(kx::db::scalarText(db(), "select pay_star||'/'||time_work||'/'||time_end from setuppay"),
              "1/2026-12-10 00:00:00/2026-12-10 08:00:00");
    EXPECT_FALSE(work->pnl_login->isVisible());
}

TEST_F(DayOpsTest, DayEndWritesABackupFirstWhenAsked) {
    visit("A01", "1", 20);
    kx::db::exec(db(), "update setuppay set work_back=1");
    dm->adoqry_SetupPay->checkBrowseMode();
    dm->adoqry_SetupPay->refresh();
    const QString back = QFileInfo(path).absoluteDir().absoluteFilePath("../back");
    // Older copies beyond the thirty kept are removed.
    QDir().mkpath(back);
    for (int i = 1; i <= 31; ++i) {
        QFile f(back + QString("/VenueData-2026-10-%1.bak").arg(i, 2, 10, QChar('0')));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    day->dayEnd(false);
    // The day end is done at once; the copy is made beside the program.
    EXPECT_EQ(count("select count(*) from TableGuestlist"), 0);
    EXPECT_EQ(day->waitForBackup(), QString());
    const QString copy = back + "/VenueData-2026-12-09.bak";
    ASSERT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(QDir(back).entryList({"VenueData-*.bak"}, QDir::Files).size(), kx::frontdesk::DayOperations::kBackupsKept);
    EXPECT_FALSE(QFileInfo::exists(back + "/VenueData-2026-10-01.bak"));
    {
        // The copy holds the day as it was before day end.
        kx::db::Connection c;
        kx::test::openBackupCopy(c, copy, db());
        EXPECT_EQ(kx::db::scalarInt(c.db(), "select count(*) from TableGuestlist"), 1);
        EXPECT_EQ(kx::db::checkDatabase(c.db()), QStringList());
    }
    EXPECT_EQ(count("select count(*) from TableGuestlist"), 0);
}

TEST_F(DayOpsTest, AFailedBackupStopsTheButtonsDayEndButNotTheDayRollOfALogin) {
    // At the button the cashier can put the backup right first; the day roll of a login goes
    // on without it, or nobody could log in until the backup works again.
    struct Case {
        bool fromButton;
        const char* message;
        int visitsLeft;
        int dayOpen;
    } cases[] = {{true, "日结前的自动数据备份没有成功，所以没有进行[日结]！", 1, 1},
                 {false, "日结前的自动数据备份没有成功，本次自动日结没有备份数据！", 0, 0}};
    visit("A01", "1", 20);
    kx::db::exec(db(), "update setuppay set work_back=1");
    dm->adoqry_SetupPay->checkBrowseMode();
    dm->adoqry_SetupPay->refresh();
    // A file where the folder should be: the copy cannot be written.
    QFile blocker(QFileInfo(path).absoluteDir().absoluteFilePath("../back"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fromButton ? "button" : "login");
        prompter.clear();
        prompter.answer(true);
        kx::guarded([&] { day->dayEnd(c.fromButton); });
        ASSERT_FALSE(prompter.texts().isEmpty());
        EXPECT_TRUE(prompter.texts().join("|").contains(QString::fromUtf8(c.message))) << prompter.texts().join("|").toStdString();
        EXPECT_EQ(count("select count(*) from TableGuestlist"), c.visitsLeft);
        EXPECT_EQ(kx::db::scalarInt(db(), "select pay_star from setuppay"), c.dayOpen);
        EXPECT_FALSE(main->SilentExit);
    }
}

TEST_F(DayOpsTest, StatisticsShowTheTotalRowInGreenBold) {
    visit("A01", "2");
    visit("A02", "3", 100);
    visit("A03", "1", 40);
    QAction* n1 = work->toolb_Report->menu()->findChild<QAction*>("N1");
    ASSERT_NE(n1, nullptr);
    n1->trigger();
    EXPECT_EQ(main->CurrentPanel(), day->pnl_TotalDept) << prompter.texts().join('|').toStdString();
    QAbstractItemModel* m = day->DBGrid14->model();
    ASSERT_GT(m->rowCount(), 1);
    QStringList headers;
    for (int c = 0; c < m->columnCount(); ++c) headers << m->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers, QStringList({"部门名称", "已清数", "已清金额", "已结数", "已结金额", "待结数", "待结金额", "合计数", "合计金额"}));
    const int last = m->rowCount() - 1;
    EXPECT_EQ(m->index(last, 0).data().toString().trimmed(), "总计");
    EXPECT_EQ(m->index(last, 7).data().toString(), "3");
    // Money columns show two decimals, like every other amount.
    QStringList money;
    for (int c : {2, 4, 6, 8}) money << m->index(last, c).data().toString();
    EXPECT_EQ(money, QStringList({"40.00", "100.00", "0.00", "140.00"}));
    EXPECT_EQ(m->index(last, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::darkGreen));
    EXPECT_TRUE(m->index(last, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(m->index(0, 0).data(Qt::FontRole).isValid());
    EXPECT_TRUE(day->lbl_TotalTime->text().startsWith("统计时间：2026-12-09"));
}

TEST_F(DayOpsTest, HandoverWithNothingClearedShowsEveryPayTypeAtZero) {
    visit("A01", "3", 100); // checked out, not cleared: not in this shift yet
    QAction* n2 = work->toolb_Report->menu()->findChild<QAction*>("N2");
    n2->trigger();
    EXPECT_EQ(main->CurrentPanel(), day->pnl_connect);
    EXPECT_EQ(count("select count(*) from paytotaltemp"), count("select count(*) from paytypelist"));
    EXPECT_EQ(count("select count(*) from paytotaltemp where pay_type_coun<>0 or pay_type_mone<>0"), 0);
    EXPECT_EQ(day->lbl_TypeCoun->text(), "0");
    EXPECT_EQ(day->lbl_FactMone->text(), "0.00");
}

TEST_F(DayOpsTest, AHandoverCountsEveryLineItMarksEvenOneClearedMeanwhile) {
    visit("A01", "1", 100);
    work->toolb_Report->menu()->findChild<QAction*>("N2")->trigger();
    EXPECT_EQ(day->lbl_TypeMone->text(), "100.00");
    // Another desk clears a bill of 40 while this screen is open.
    {
        kx::db::Connection other;
        other.open(path);
        kx::db::exec(other.db(), "insert into AllGuesPay (pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,"
                                 "pay_time,pay_flag) values ('Z','现金',40,999,?,0)",
                     {kx::Clock::now()});
    }
    prompter.answer(true);
    QTest::mouseClick(day->ToolButton51, Qt::LeftButton);
    // What was marked as handed over is exactly what the shift's archived summary counts.
    EXPECT_EQ(count("select count(*) from AllGuesPay where pay_flag=0"), 0);
    EXPECT_EQ(kx::db::scalarNumber(db(), "select sum(pay_type_mone) from Allpaytotal"),
              kx::db::scalarNumber(db(), "select sum(pay_type_mone) from AllGuesPay"));
    EXPECT_EQ(kx::db::scalarNumber(db(), "select sum(pay_type_mone) from Allpaytotal"), 140);
}

TEST_F(DayOpsTest, HandoverSummarisesArchivesAndLogsTheCashierOut) {
    const qint64 cleared1 = visit("A01", "1", 100, 30);
    visit("A02", "1", 50);
    const qint64 notCleared = visit("A03", "3", 70);
    const QString shift = dm->setup.text("ordename");
    work->toolb_Report->menu()->findChild<QAction*>("N2")->trigger();
    // Starting float for cash, stored with "提交".
    ASSERT_TRUE(dm->adoqry_paytypetemp->locate("pay_type_code", "Z"));
    day->dbe_StarMone->setFocus();
    day->dbe_StarMone->selectAll();
    QTest::keyClicks(day->dbe_StarMone, "200");
    QTest::mouseClick(day->SpeedButton13, Qt::LeftButton);
    EXPECT_EQ(kx::test::joinedRows(db(), "select pay_type_coun, pay_type_mone, pay_star_mone, pay_fact_mone "
                                         "from paytotaltemp where pay_type_code='Z'"),
              "2/150/200/350");
    EXPECT_EQ(day->lbl_TypeCoun->text(), "3"); // two cash lines and one card line above 0
    EXPECT_EQ(day->lbl_TypeMone->text(), "180.00");
    EXPECT_EQ(day->lbl_StarMone->text(), "200.00");
    EXPECT_EQ(day->lbl_FactMone->text(), "380.00");

    // The printed report sums every line, the waived amounts too.
    const kx::ReportFrame report = day->handoverReport();
    const QString text = report.document().toPlainText();
    if (!qEnvironmentVariableIsEmpty("KESTRIX_SHOTS"))
        report.document().savePdf(qEnvironmentVariable("KESTRIX_SHOTS") + "/handover-report.pdf");
    for (const char* piece : {"员工交班报表", "单位名称：【", "交班员工：管理员", "付款方式", "交班金额", "合计：",
                              "初始金额：200.00", "收入笔数：3", "收入金额：180.00", "交班金额：380.00", "制表时间：", "制表人：管理员", "备注："})
        EXPECT_TRUE(text.contains(QString::fromUtf8(piece))) << piece;

    day->Edit10->setText("零钱已清点");
    prompter.answer(true);
    QTest::mouseClick(day->ToolButton51, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({"请确认是否进行[交班处理],请慎重确认!"}));
    EXPECT_EQ(count("select count(*) from tableguespay where tabl_gues_auto_recn=?", {cleared1}), 0);
    EXPECT_EQ(count("select count(*) from tableguespay where tabl_gues_auto_recn=?", {notCleared}), 3);
    EXPECT_EQ(count("select count(*) from AllGuesPay where pay_flag=0"), 0);
    EXPECT_EQ(count("select count(*) from paytypelist where pay_star_mone<>0"), 0);
    EXPECT_EQ(kx::test::joinedRows(db(), "select pay_date_work, pay_rema, oper_code, oper_name, pay_fact_mone "
                                         "from Allpaytotal where pay_type_code='Z'"),
              "2026-12-09 00:00:00/零钱已清点/01/管理员/350");
    EXPECT_TRUE(work->pnl_login->isVisible());
    EXPECT_EQ(dm->setup.text("orde_code"), "");
    EXPECT_EQ(logTexts().last(), "[" + shift + "][系统交班,重新登录]");

    // The next shift starts from nothing: the visit cleared after the handover counts there.
    kx::db::exec(db(), "insert into AllGuesPay (pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,pay_flag) "
                       "select pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,0 from tableguespay");
    day->showHandover();
    EXPECT_EQ(kx::test::joinedRows(db(), "select pay_type_coun, pay_type_mone from paytotaltemp where pay_type_code='Z'"),
              "1/70");
}

TEST_F(DayOpsTest, AFailedHandoverRollsBackWithItsCode) {
    visit("A01", "1", 100);
    work->toolb_Report->menu()->findChild<QAction*>("N2")->trigger();
    kx::db::exec(db(), "drop table Allpaytotal");
    prompter.answer(true);
    QTest::mouseClick(day->ToolButton51, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts().last(), "系统发生错误编码[B100010]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！");
    EXPECT_EQ(count("select count(*) from AllGuesPay where pay_flag=0"), 3);
    EXPECT_EQ(count("select count(*) from tableguespay"), 3);
    EXPECT_TRUE(main->SilentExit);
}

} // namespace
