// The back office's shell: entry checks, the window before and after login, the login with its
// day roll, the trees and the permission check, the venue identity screen's password, the exit
// and the error handler, driven as the manager would.
#include "BackOffice.h"
#include "BackOfficeFixture.h"
#include "Backup.h"
#include "Connection.h"
#include "Password.h"
#include "Permission.h"
#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

using kx::test::BackOfficeTest;

namespace {

TEST(BackOfficeEntry, RefusesBesideARunningProgram) {
    struct Case {
        bool frontDesk;
        bool backOffice;
        bool refused;
        QStringList boxes;
    } cases[] = {
        {false, false, false, {}},
        {false, true, true, {"[后台系统]已经运行！"}},
        {true, false, true, {"[前台系统]运行时不能运行[后台系统]，请退出[前台系统]后运行！"}},
        {true, true, true, {}}, // both run: nothing shown
    };
    for (const Case& c : cases) {
        kx::test::ScriptedPrompter prompter;
        QObject owner;
        if (c.frontDesk) ASSERT_NE(kx::InstanceName::listen(kx::InstanceName::FrontDesk, &owner), nullptr);
        if (c.backOffice) ASSERT_NE(kx::InstanceName::listen(kx::InstanceName::BackOffice, &owner), nullptr);
        EXPECT_EQ(kx::backoffice::refuseEntry(), c.refused);
        EXPECT_EQ(prompter.texts(), c.boxes);
    }
}

bool visibleOnToolbar(QToolButton* b) {
    auto* a = qobject_cast<QAction*>(b->property("toolbarAction").value<QObject*>());
    return a && a->isVisible();
}

TEST_F(BackOfficeTest, OpensWithTheLoginPanelAndNothingElseUsableButHelp) {
    EXPECT_EQ(main->windowTitle(), "Kestrix餐饮娱乐管理系统Ver 9.0-后台操作");
    EXPECT_TRUE(main->pnl_login->isVisible());
    EXPECT_EQ(main->pnl_login->size(), QSize(338, 149));
    EXPECT_EQ(main->editpass->echoMode(), QLineEdit::Password);
    EXPECT_EQ(main->pnl_TreeView->width(), 115);
    EXPECT_EQ(main->Panel2->height(), 52);
    EXPECT_TRUE(child->pnl_SysSetup->isVisible());
    EXPECT_FALSE(main->pnl_TreeView->isEnabled());
    EXPECT_FALSE(main->Panel2->isEnabled());
    for (QMenu* m : {main->N1, main->N7, main->N9}) EXPECT_FALSE(m->isEnabled()) << m->title().toStdString();
    EXPECT_TRUE(main->N2->isEnabled());
    EXPECT_EQ(main->N3->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    // The toolbar's buttons in their order, those visible at start.
    QStringList shown;
    for (QToolButton* b : {main->toolb_Add, main->toolb_Del, main->toolb_Cancel, main->toolb_Save, main->toolb_run,
                           main->toolb_store, main->toolb_Back, main->toolb_Search, main->toolb_Help})
        if (visibleOnToolbar(b)) shown << b->text();
    EXPECT_EQ(shown, QStringList({"增加", "删除", "取消", "保存", "帮助信息"}));
    EXPECT_EQ(main->toolb_Add->size(), QSize(55, 51));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(main->statusPanel[i]->width(), (QList<int>{250, 150, 200}[i]));
    EXPECT_EQ(main->statusPanel[3]->text(), "2026-12-09 10:00:00");
    // A click on the (disabled) tree does nothing; help works.
    QTest::mouseClick(child->tv_Setup->viewport(), Qt::LeftButton, {},
                      child->tv_Setup->visualItemRect(kx::backoffice::TFormChild::leaf(child->tv_Setup, "大类")).center());
    EXPECT_TRUE(prompter.texts().isEmpty());
    main->N5->trigger();
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].kind, "document");
    EXPECT_TRUE(dialogs.shown()[0].title.endsWith("kxhelp.html"));
}

TEST_F(BackOfficeTest, LoginRefusesWrongEntriesAndTakesTrimmedOnes) {
    const struct {
        const char* oper;
        const char* pass;
    } wrong[] = {{"01", "wrong"}, {"99", "admin"}, {"", ""}};
    for (const auto& w : wrong) {
        prompter.clear();
        logIn(w.oper, w.pass);
        EXPECT_EQ(prompter.texts(), QStringList({"你输入的员工或密码不存在，请重新输入！"})) << w.oper;
        EXPECT_TRUE(main->pnl_login->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), main->editoper);
    }
    prompter.clear();
    logIn(" 01 ", " admin ");
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_FALSE(main->pnl_login->isVisible());
    EXPECT_TRUE(main->pnl_TreeView->isEnabled());
    EXPECT_TRUE(main->Panel2->isEnabled());
    for (QMenu* m : {main->N1, main->N7, main->N9}) EXPECT_TRUE(m->isEnabled());
    EXPECT_EQ(main->OperatorName, "管理员");
    EXPECT_EQ(kx::db::scalarText(db(), "select oper_code from SetupPay"), "01");
    EXPECT_EQ(main->statusPanel[1]->text(), "【操作员：管理员】");
    EXPECT_TRUE(main->statusPanel[0]->text().startsWith("【用户："));
    EXPECT_EQ(main->statusPanel[2]->text(), "【营业日期：2026-12-09】");
    EXPECT_EQ(logTexts().last(), "[登录系统（后台）]");
    // The record commands and the stock screens' commands work.
    for (QToolButton* b : {main->toolb_Add, main->toolb_store, main->toolb_run, main->toolb_Search, main->toolb_Help})
        EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
}

// ---------------------------------------------------------------- the day roll

struct RollCase {
    const char* name;
    bool autoRoll;
    int daysSinceEnd; // the day last ended this many days before today
    bool rolled;
};

class DayRollTest : public BackOfficeTest, public ::testing::WithParamInterface<RollCase> {
protected:
    // A finished visit (cleared) and an open one, each with a line; other income of the day.
    void business(const QDate& workDay) {
        using kx::db::exec;
        exec(db(), "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use, tabl_gues_stat) "
                   "values (501, 'A01', 0, '1'), (502, 'A02', 1, '2')");
        exec(db(), "insert into TableConsList (tabl_gues_auto_recn, item_code, tabl_cons_coun) values (501, '1001', 1), "
                   "(502, '1002', 2)");
        exec(db(), "update otherincomelist set othe_inco_mone = 30");
        exec(db(), "update SetupPay set time_work = ?, time_end = ?, pay_star = 1, work_auto = ?",
             {QDateTime(workDay, QTime(0, 0)), QDateTime(workDay, QTime(23, 0)), GetParam().autoRoll});
        setup->adoqry_setuppay->reload();
    }
};

TEST_P(DayRollTest, RollsTheDayOnlyWhenDueAtTheFirstLogin) {
    const RollCase& c = GetParam();
    const QDate today = startTime().date();
    const QDate workDay = today.addDays(-c.daysSinceEnd);
    business(workDay);
    const qint64 incomeRows = kx::db::scalarInt(db(), "select count(*) from otherincomelist");
    logIn();
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    const auto count = [this](const char* sql) { return kx::db::scalarInt(db(), QString::fromUtf8(sql)); };
    if (c.rolled) {
        EXPECT_EQ(count("select count(*) from TableGuestlist"), 1);
        EXPECT_EQ(count("select count(*) from TableGuestlist where tabl_gues_auto_recn = 502"), 1);
        EXPECT_EQ(count("select count(*) from TableConsList"), 1);
        EXPECT_EQ(count("select count(*) from AllOtherInCome where othe_inco_mone = 30 and date(othe_inco_time) = '" +
                        QByteArray(workDay.toString("yyyy-MM-dd").toLatin1()) + "'"),
                  incomeRows);
        EXPECT_EQ(count("select count(*) from otherincomelist where othe_inco_mone <> 0"), 0);
        EXPECT_EQ(kx::db::scalarText(db(), "select date(time_work) from SetupPay"), today.toString("yyyy-MM-dd"));
        EXPECT_EQ(main->statusPanel[2]->text(), "【营业日期：" + today.toString("yyyy-MM-dd") + "】");
    } else {
        EXPECT_EQ(count("select count(*) from TableGuestlist"), 2);
        EXPECT_EQ(count("select count(*) from AllOtherInCome"), 0);
        EXPECT_EQ(kx::db::scalarText(db(), "select date(time_work) from SetupPay"), workDay.toString("yyyy-MM-dd"));
    }
    EXPECT_EQ(count("select pay_star from SetupPay"), 1);
}

INSTANTIATE_TEST_SUITE_P(Days, DayRollTest,
                         ::testing::Values(RollCase{"SameDay", true, 0, false}, RollCase{"AutoRollOff", false, 1, false},
                                           RollCase{"ALaterDay", true, 1, true}, RollCase{"AWeekLater", true, 7, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackOfficeTest, ARollAnotherProgramMadeIsNotRepeated) {
    kx::db::exec(db(), "update SetupPay set time_end = '2026-12-08 23:00:00', time_work = '2026-12-08 00:00:00', "
                       "work_auto = 1");
    setup->adoqry_setuppay->reload();
    // The front desk rolls the day first, on its own connection.
    {
        kx::db::Connection other;
        other.open(path);
        kx::db::exec(other.db(), "update otherincomelist set othe_inco_mone = 12");
        kx::db::exec(other.db(), "update SetupPay set time_end = '2026-12-09 08:00:00', time_work = '2026-12-09 00:00:00'");
    }
    logIn();
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from AllOtherInCome"), 0);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from otherincomelist where othe_inco_mone = 12"),
              kx::db::scalarInt(db(), "select count(*) from otherincomelist"));
}

TEST_F(BackOfficeTest, AFailedBackupIsReportedAndTheDayStillRolls) {
    kx::db::exec(db(), "update SetupPay set time_end = '2026-12-08 23:00:00', time_work = '2026-12-08 00:00:00', "
                       "work_auto = 1, work_back = 1");
    setup->adoqry_setuppay->reload();
    // The folder for the copies cannot be made: a file stands where it should be.
    QFile blocker(QDir(dir.path()).absoluteFilePath("back"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    logIn();
    ASSERT_EQ(prompter.texts().size(), 1);
    EXPECT_TRUE(prompter.texts()[0].startsWith("日结前的自动数据备份没有成功，本次自动日结没有备份数据！"));
    EXPECT_EQ(kx::db::scalarText(db(), "select date(time_work) from SetupPay"), "2026-12-09");
    EXPECT_FALSE(main->pnl_login->isVisible());
}

TEST_F(BackOfficeTest, ABackupBeforeTheRollHoldsTheDayBefore) {
    kx::db::exec(db(), "update SetupPay set time_end = '2026-12-08 23:00:00', time_work = '2026-12-08 00:00:00', "
                       "work_auto = 1, work_back = 1");
    setup->adoqry_setuppay->reload();
    logIn();
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    const QString copy = QDir(dir.path()).absoluteFilePath("back/VenueData-2026-12-08.bak");
    ASSERT_TRUE(QFile::exists(copy));
    kx::db::Connection c;
    kx::test::openBackupCopy(c, copy, db());
    EXPECT_EQ(kx::db::scalarText(c.db(), "select substr(time_work, 1, 10) from SetupPay"), "2026-12-08");
}

TEST_F(BackOfficeTest, AFailingRollStoresNothingAndClosesWithItsCode) {
    kx::db::exec(db(), "update SetupPay set time_end = '2026-12-08 23:00:00', time_work = '2026-12-08 00:00:00', "
                       "work_auto = 1");
    kx::db::exec(db(), "update otherincomelist set othe_inco_mone = 30");
    kx::db::exec(db(), "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use) values (501, 'A01', 0)");
    // The archive of other income refuses every row.
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before insert on AllOtherInCome begin select raise(abort, 'refused'); end");
    setup->adoqry_setuppay->reload();
    logIn();
    EXPECT_EQ(prompter.texts(), QStringList({kx::ErrorGuard::transactionFailedText("A100011")}));
    QApplication::processEvents();
    EXPECT_FALSE(main->isVisible()); // closed without the exit question
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from TableGuestlist"), 1);
    EXPECT_EQ(kx::db::scalarText(db(), "select date(time_work) from SetupPay"), "2026-12-08");
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from otherincomelist where othe_inco_mone = 30"),
              kx::db::scalarInt(db(), "select count(*) from otherincomelist"));
}

// ---------------------------------------------------------------- trees and permissions

TEST_F(BackOfficeTest, ARoleWithoutTheSetupPermissionKeepsTheTreeButNotTheScreens) {
    kx::db::exec(db(), "insert into managertype (mana_code, mana_name) values ('09', '收银员')");
    kx::db::exec(db(), "insert into operatorlist (oper_code, oper_name, oper_pass, mana_code) values ('09', '小王', ?, '09')",
                 {kx::hashPassword("pw")});
    logIn("09", "pw");
    ASSERT_FALSE(main->pnl_login->isVisible());
    main->N3->trigger(); // 系统设置
    EXPECT_EQ(prompter.texts(), QStringList({kx::NoPermissionText}));
    EXPECT_TRUE(child->pnl_SysSetup->isVisible());
    EXPECT_TRUE(main->pnl_TreeView->isEnabled());
    EXPECT_FALSE(main->pnl_Parent->isVisible());
    EXPECT_FALSE(main->Panel2->isEnabled());
    EXPECT_EQ(main->CurrentDataset, nullptr);
    // "单位名称" asks nothing: the screen host shows and the toolbar works again.
    prompter.clear();
    QTreeWidgetItem* unit = kx::backoffice::TFormChild::leaf(child->tv_Setup, "单位名称");
    QTest::mouseClick(child->tv_Setup->viewport(), Qt::LeftButton, {}, child->tv_Setup->visualItemRect(unit).center());
    EXPECT_TRUE(prompter.texts().isEmpty());
    EXPECT_TRUE(main->pnl_Parent->isVisible());
    EXPECT_TRUE(main->Panel2->isEnabled());
    // Another guarded leaf is refused again.
    QTreeWidgetItem* kind = kx::backoffice::TFormChild::leaf(child->tv_Setup, "大类");
    QTest::mouseClick(child->tv_Setup->viewport(), Qt::LeftButton, {}, child->tv_Setup->visualItemRect(kind).center());
    EXPECT_EQ(prompter.texts(), QStringList({kx::NoPermissionText}));
    EXPECT_FALSE(main->pnl_Parent->isVisible());
}

TEST_F(BackOfficeTest, TheSystemTreeShowsTheVenueIdentityAndSetsThePasswordTheFrontDeskAsks) {
    logIn();
    main->N10->trigger(); // 系统管理
    ASSERT_TRUE(child->pnl_register->isVisible());
    EXPECT_TRUE(child->pnl_user->isVisible());
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_setuppay);
    EXPECT_EQ(child->DBEdit_UserName->text(), setup->setup.text("user_name"));
    EXPECT_TRUE(child->Edit10->text().isEmpty());
    QStringList shown;
    for (QToolButton* b : {main->toolb_Add, main->toolb_Del, main->toolb_Cancel, main->toolb_Save, main->toolb_Help})
        if (visibleOnToolbar(b)) shown << b->text();
    EXPECT_EQ(shown, QStringList({"取消", "保存", "帮助信息"}));

    // An empty password is refused; one typed with blanks is stored as its hash.
    QTest::mouseClick(child->Button7, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({"系统管理密码不能为空！"}));
    prompter.clear();
    QTest::keyClicks(child->Edit10, " 8866 ");
    QTest::mouseClick(child->Button7, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({"系统密码已更改完毕!"}));
    EXPECT_TRUE(kx::systemPasswordMatches(db(), "8866"));
    EXPECT_FALSE(kx::systemPasswordMatches(db(), "admin"));
    EXPECT_NE(kx::db::scalarText(db(), "select set_prn_92_fiel from setupprint"), "8866");

    // The venue's name is typed in upper case.
    child->DBEdit_UserName->setFocus();
    child->DBEdit_UserName->selectAll();
    QTest::keyClicks(child->DBEdit_UserName, "kx bar");
    EXPECT_EQ(child->DBEdit_UserName->text(), "KX BAR");
}

// ---------------------------------------------------------------- closing and errors

TEST_F(BackOfficeTest, TheExitQuestionKeepsOrPostsTheHalfEditedRowAndLogs) {
    logIn();
    main->N10->trigger();
    child->DBEdit_UserNameS->setFocus();
    child->DBEdit_UserNameS->selectAll();
    QTest::keyClicks(child->DBEdit_UserNameS, "KX");
    prompter.answer(false);
    main->close();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(prompter.texts().last(), "请确定是否退出Kestrix餐饮娱乐管理系统 9.0版!");
    prompter.answer(true);
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(kx::db::scalarText(db(), "select user_name_s from SetupPay"), "KX");
    EXPECT_EQ(logTexts().last(), "[退出系统（后台）]");
}

TEST_F(BackOfficeTest, AnUnexpectedErrorShowsTwoBoxesAndClosesWithoutTheQuestion) {
    kx::guarded([] { throw std::runtime_error("磁盘已满"); });
    EXPECT_EQ(prompter.texts(), QStringList({kx::ErrorGuard::InternalErrorText, "磁盘已满"}));
    QApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->ExitMode, 2);
}

// The toolbar each leaf leaves, for the manager with every permission.
TEST_F(BackOfficeTest, EachLeafSetsTheToolbarOfItsTree) {
    logIn();
    const auto shown = [this] {
        QStringList out;
        for (QToolButton* b : {main->toolb_Add, main->toolb_Del, main->toolb_Cancel, main->toolb_Save, main->toolb_run,
                               main->toolb_store, main->toolb_Back, main->toolb_Search, main->toolb_Help})
            if (visibleOnToolbar(b)) out << b->text();
        return out.join(' ');
    };
    const auto click = [this](QTreeWidget* tree, const char* caption) {
        QTreeWidgetItem* leaf = kx::backoffice::TFormChild::leaf(tree, QString::fromUtf8(caption));
        ASSERT_NE(leaf, nullptr) << caption;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(leaf).center());
    };
    const struct {
        QAction* menu;
        QTreeWidget* tree;
        const char* leaf;
        const char* toolbar;
    } cases[] = {
        {main->N3, child->tv_Setup, "项目", "增加 删除 取消 保存 帮助信息"},
        {main->N4, child->tv_SysManage, "权限设置", "取消 保存 帮助信息"},
        {main->N4, child->tv_SysManage, "会员信息", "增加 删除 取消 保存 查询 帮助信息"},
        {main->N8, child->tv_Store, "物流管理", "增加 删除 取消 保存 执行 帮助信息"},
        {main->N8, child->tv_Store, "库存帐务", "查询 帮助信息"},
        {main->N8, child->tv_Store, "库存盘点", "帮助信息"},
        {main->N8, child->tv_Store, "往来单位", "增加 删除 取消 保存 帮助信息"},
        {main->N10, child->tv_user, "日志查询", "帮助信息"},
        {main->N10, child->tv_user, "注册用户", "取消 保存 帮助信息"},
    };
    for (const auto& c : cases) {
        c.menu->trigger();
        click(c.tree, c.leaf);
        EXPECT_EQ(shown(), QString::fromUtf8(c.toolbar)) << c.leaf;
    }
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

TEST_F(BackOfficeTest, AScreenWithoutADatasetLeavesTheToolbarWithoutOne) {
    logIn();
    const qint64 depts = kx::db::scalarInt(db(), "select count(*) from itemlist");
    // "日志查询", which edits nothing, after the venue identity with its dataset.
    main->N10->trigger();
    ASSERT_NE(main->CurrentDataset, nullptr);
    QTreeWidgetItem* leaf = kx::backoffice::TFormChild::leaf(child->tv_user, "日志查询");
    QTest::mouseClick(child->tv_user->viewport(), Qt::LeftButton, {}, child->tv_user->visualItemRect(leaf).center());
    EXPECT_EQ(main->CurrentDataset, nullptr);
    // Its record commands cannot be pressed.
    EXPECT_FALSE(main->toolb_Add->isEnabled());
    EXPECT_FALSE(main->toolb_Save->isEnabled());
    EXPECT_TRUE(main->toolb_Help->isEnabled());
    QTest::mouseClick(main->toolb_Add, Qt::LeftButton);
    QTest::mouseClick(main->toolb_Save, Qt::LeftButton);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from itemlist"), depts);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(BackOfficeTest, TheVenueIdentityIsSavedByTheToolbar) {
    logIn();
    main->N10->trigger();
    child->DBEdit_UserTele->setFocus();
    child->DBEdit_UserTele->selectAll();
    QTest::keyClicks(child->DBEdit_UserTele, "0571-8888");
    QTest::mouseClick(main->toolb_Save, Qt::LeftButton);
    EXPECT_EQ(kx::db::scalarText(db(), "select user_tele from SetupPay"), "0571-8888");
    EXPECT_EQ(setup->adoqry_setuppay->state(), kx::db::Dataset::Browse);
}

TEST_F(BackOfficeTest, AnotherLeafPostsTheHalfEditedRowFirst) {
    logIn();
    main->N10->trigger();
    child->DBEdit_UserNameE->setFocus();
    child->DBEdit_UserNameE->selectAll();
    QTest::keyClicks(child->DBEdit_UserNameE, "Golden Bar");
    QTreeWidgetItem* log = kx::backoffice::TFormChild::leaf(child->tv_user, "日志查询");
    QTest::mouseClick(child->tv_user->viewport(), Qt::LeftButton, {}, child->tv_user->visualItemRect(log).center());
    EXPECT_EQ(kx::db::scalarText(db(), "select user_name_e from SetupPay"), "Golden Bar");
    EXPECT_EQ(setup->adoqry_setuppay->state(), kx::db::Dataset::Browse);
}

} // namespace

namespace {

// A toolbar command stays usable however often the screens show and hide its button.
TEST_F(BackOfficeTest, AToolbarCommandIsUsableWhenItsButtonShowsAgain) {
    logIn();
    for (int round = 0; round < 2; ++round) {
        main->N3->trigger();
        main->N8->trigger();
        QApplication::processEvents();
        ASSERT_TRUE(main->toolb_store->isVisible());
        EXPECT_TRUE(main->toolb_store->isEnabled()) << round;
        QTreeWidgetItem* leaf = kx::backoffice::TFormChild::leaf(child->tv_Store, "往来管理");
        QTest::mouseClick(child->tv_Store->viewport(), Qt::LeftButton, {}, child->tv_Store->visualItemRect(leaf).center());
        QApplication::processEvents();
    }
}

} // namespace
