// The front desk's shell: entry checks, the main window, short-cut keys, login, password change
// and logging out, driven as a cashier would.
#include "FrontDesk.h"
#include "FrontDeskFixture.h"
#include "Password.h"
#include "SingleInstance.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

using kx::test::FrontDeskTest;

namespace {

TEST(FrontDeskEntry, RefusesBesideARunningProgram) {
    struct Case {
        bool frontDesk;
        bool backOffice;
        bool refused;
        QStringList boxes;
    } cases[] = {
        {false, false, false, {}},
        {true, false, true, {"[前台系统]已经运行！"}},
        {false, true, true, {"[后台系统]运行时不能运行[前台系统]，请退出[后台系统]后运行！"}},
        {true, true, true, {}}, // both run: nothing shown
    };
    for (const Case& c : cases) {
        kx::test::ScriptedPrompter prompter;
        QObject owner;
        if (c.frontDesk) {
            ASSERT_NE(kx::InstanceName::listen(kx::InstanceName::FrontDesk, &owner), nullptr);
        }
        if (c.backOffice) {
            ASSERT_NE(kx::InstanceName::listen(kx::InstanceName::BackOffice, &owner), nullptr);
        }
        EXPECT_EQ(kx::frontdesk::refuseEntry(), c.refused);
        EXPECT_EQ(prompter.texts(), c.boxes);
    }
}

TEST_F(FrontDeskTest, OpensOnTheLockedBoardWithTheLoginPanel) {
    EXPECT_EQ(main->windowTitle(), "Kestrix餐饮娱乐管理系统Ver 9.0-前台操作");
    EXPECT_EQ(main->size(), QSize(792, 543));
    EXPECT_EQ(main->CurrentPanel()->objectName(), "pnl_TableStateG");
    EXPECT_TRUE(work->pnl_login->isVisible());
    EXPECT_FALSE(work->pnl_TableStateP->isVisible());
    EXPECT_FALSE(work->Panel3->isVisible());
    EXPECT_FALSE(work->Panel2->isEnabled());
    EXPECT_EQ(main->statusPanel[0]->width(), 100);
    EXPECT_EQ(main->statusPanel[1]->width(), 280);
    EXPECT_EQ(main->statusPanel[2]->width(), 220);
    EXPECT_EQ(main->statusPanel[3]->text(), "2026-12-09 10:00:00");
    kx::Clock::advance(1);
    QTest::qWait(1100);
    EXPECT_EQ(main->statusPanel[3]->text(), "2026-12-09 10:00:01");
    // No shift is chosen yet; the board is ordered by table code.
    EXPECT_EQ(dm->adoqry_SetupPay->state(), kx::db::Dataset::Edit);
    EXPECT_EQ(dm->setup.text("orde_code"), "");
    EXPECT_EQ(dm->adoqry_table->sql(), "select * from tablelist order by tabl_code");
    EXPECT_EQ(work->dbl_order->count(), dm->adoqry_order->recordCount());
}

TEST_F(FrontDeskTest, EscOnTheBoardAsksAndNoKeepsEverything) {
    prompter.answer(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts(), QStringList({"请确定是否退出Kestrix餐饮娱乐管理系统 9.0版!"}));
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(logTexts().isEmpty());
    // Yes closes and logs under the shift of the settings record.
    prompter.answer(true);
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(logTexts(), QStringList({"[][退出系统]"}));
}

TEST_F(FrontDeskTest, EnterMovesTheFocusOnAndIsStillDelivered) {
    int delivered = 0;
    QObject::connect(work->editoper, &QLineEdit::returnPressed, [&] { ++delivered; });
    work->editoper->setFocus();
    QTest::keyClick(work->editoper, Qt::Key_Return);
    EXPECT_EQ(delivered, 1);
    EXPECT_EQ(QApplication::focusWidget(), work->editpass);
}

TEST_F(FrontDeskTest, PercentAndStarCannotBeTyped) {
    for (QLineEdit* e : {work->editoper, work->editpass, work->editoper1, work->editpass1, work->editpassn,
                         work->editpassnr}) {
        e->clear();
        QTest::keyClicks(e, "a%b*c");
        EXPECT_EQ(e->text(), "abc") << e->objectName().toStdString();
    }
    EXPECT_EQ(work->editpass->echoMode(), QLineEdit::Password);
}

TEST_F(FrontDeskTest, LoginRefusals) {
    struct Case {
        const char* what;
        int shift;
        const char* oper;
        const char* pass;
        const char* box;
    } cases[] = {
        {"no shift", -1, "01", "admin", "请选择[班次]！"},
        {"wrong password", 0, "01", "wrong", "你输入的员工或密码不存在，请重新输入！"},
        {"unknown operator", 0, "99", "admin", "你输入的员工或密码不存在，请重新输入！"},
        {"password of another case", 0, "01", "ADMIN", "你输入的员工或密码不存在，请重新输入！"},
    };
    for (const Case& c : cases) {
        prompter.clear();
        logIn(c.oper, c.pass, c.shift);
        EXPECT_EQ(prompter.texts(), QStringList({c.box})) << c.what;
        EXPECT_TRUE(work->pnl_login->isVisible()) << c.what;
        EXPECT_TRUE(logTexts().isEmpty()) << c.what;
    }
    EXPECT_EQ(kx::db::scalarText(db(), "select time_star from setuppay").startsWith("2026-12-09 10:00"), false);
}

TEST_F(FrontDeskTest, ALoginUnlocksTheBoardAndRecordsOperatorRoleAndShift) {
    // Blanks around operator and password are ignored at login.
    logIn(" 01 ", " admin ", 1);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join("|").toStdString();
    EXPECT_FALSE(work->pnl_login->isVisible());
    EXPECT_TRUE(work->pnl_TableStateP->isVisible());
    EXPECT_TRUE(work->Panel3->isVisible());
    EXPECT_TRUE(work->Panel2->isEnabled());
    EXPECT_TRUE(main->LoggedIn);
    const QString shiftName = dm->adoqry_order->valueAt(1, dm->adoqry_order->fieldIndex("orde_name")).toString();
    EXPECT_EQ(work->lbl_order->text(), shiftName);
    EXPECT_EQ(work->lbl_worktime->text(), dm->setup.text("time_work"));
    EXPECT_EQ(main->statusPanel[2]->text(), "【操作员：管理员】");
    EXPECT_EQ(main->statusPanel[1]->text(), "【用户：" + dm->setup.text("user_name") + "】");
    EXPECT_EQ(kx::db::scalarText(db(), "select oper_code||'/'||mana_code||'/'||orde_code||'/'||time_star from setuppay"),
              "01/01/2/2026-12-09 10:00:00");
    EXPECT_EQ(main->reportCaptions.value("qrl_userbill"), "【" + dm->setup.text("user_name") + "】");
    EXPECT_EQ(main->reportCaptions.value("qrl_userinfo"),
              dm->setup.text("user_name") + " 电话：" + dm->setup.text("user_tele"));
    EXPECT_EQ(logTexts(), QStringList({"[" + shiftName + "][登录系统]"}));
    EXPECT_EQ(QApplication::focusWidget(), work->EditDict_TableState); // ready for a table code
    EXPECT_EQ(kx::db::scalarText(db(), "select log_oper_name from systemlog"), "管理员");
}

TEST_F(FrontDeskTest, ReLoginLocksTheBoardAgain) {
    logIn();
    const QString shiftName = dm->setup.text("ordename");
    QTest::mouseClick(work->ToolButton4, Qt::LeftButton);
    EXPECT_TRUE(work->pnl_login->isVisible());
    EXPECT_FALSE(work->pnl_TableStateP->isVisible());
    EXPECT_FALSE(work->Panel3->isVisible());
    EXPECT_FALSE(work->Panel2->isEnabled());
    EXPECT_EQ(work->editoper->text(), "");
    EXPECT_EQ(work->editpass->text(), "");
    EXPECT_EQ(dm->setup.text("orde_code"), ""); // cleared, not yet posted
    EXPECT_EQ(kx::db::scalarText(db(), "select orde_code from setuppay"), "1");
    EXPECT_EQ(logTexts().last(), "[" + shiftName + "][退出系统,重新登录]");
    EXPECT_EQ(main->statusPanel[2]->text(), "【操作员：管理员】"); // kept until the next login
    // With the board locked, its table keys do nothing.
    EXPECT_EQ(main->actionFor(Qt::Key_Plus, Qt::KeypadModifier), "");
    EXPECT_EQ(main->actionFor(Qt::Key_Escape, Qt::NoModifier), "exit");
}

TEST_F(FrontDeskTest, PasswordChange) {
    // The panel opens only for an operator whose code and password are typed, blanks counting.
    QTest::keyClicks(work->editoper, "01 ");
    QTest::keyClicks(work->editpass, "admin");
    QTest::mouseClick(work->SpeedButton8, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({"请首先输入的员工或密码确认身份，再进行密码修改！"}));
    EXPECT_FALSE(work->pnl_modify->isVisible());
    work->editoper->setText("01");
    QTest::mouseClick(work->SpeedButton8, Qt::LeftButton);
    ASSERT_TRUE(work->pnl_modify->isVisible());
    EXPECT_EQ(work->pnl_modify->pos(), QPoint(212, 125));

    const char* refused = "你输入的员工或密码不存在或者更新密码为空，请重新输入！";
    struct Case {
        const char* oper;
        const char* old;
        const char* fresh;
        const char* again;
    } bad[] = {
        {"01", "admin", "new1", "new2"}, // two different new passwords
        {"01", "wrong", "new1", "new1"},
        {"01", "admin", "", ""},
        {"01", "admin", "   ", "   "},
    };
    for (const Case& c : bad) {
        prompter.clear();
        for (auto [edit, text] : {std::pair{work->editoper1, c.oper}, {work->editpass1, c.old},
                                  {work->editpassn, c.fresh}, {work->editpassnr, c.again}}) {
            edit->clear();
            QTest::keyClicks(edit, text);
        }
        QTest::mouseClick(work->SpeedButton9, Qt::LeftButton);
        EXPECT_EQ(prompter.texts(), QStringList({refused})) << c.fresh << "/" << c.again;
        EXPECT_TRUE(work->pnl_modify->isVisible());
    }
    prompter.clear();
    work->editpass1->setText("admin");
    work->editpassn->setText(" s3cret ");
    work->editpassnr->setText("s3cret");
    QTest::mouseClick(work->SpeedButton9, Qt::LeftButton);
    EXPECT_TRUE(prompter.texts().isEmpty());
    EXPECT_FALSE(work->pnl_modify->isVisible());
    const QString stored = kx::db::scalarText(db(), "select oper_pass from operatorlist where oper_code='01'");
    EXPECT_NE(stored, "s3cret"); // never stored as typed
    EXPECT_TRUE(kx::verifyPassword("s3cret", stored));
    EXPECT_EQ(logTexts(), QStringList({"[管理员][密码修改]"}));
    logIn("01", "s3cret", 0);
    EXPECT_FALSE(work->pnl_login->isVisible());
}

TEST_F(FrontDeskTest, ShortcutKeysFollowTheCurrentPanel) {
    logIn();
    QStringList ran;
    for (const auto& [key, action] : kx::frontdesk::TFormWMain::shortcutTable()) {
        const QString name = action;
        main->registerAction(name, [&ran, name] { ran << name; });
    }
    // The board: numeric-pad + and F12, but + of the main keyboard does nothing.
    work->EditDict_TableState->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
    EXPECT_EQ(ran, QStringList({"board.open", "board.search"}));

    struct Case {
        const char* panel;
        int key;
        Qt::KeyboardModifiers mods;
        const char* action;
    } cases[] = {
        {"pnl_Work", Qt::Key_Plus, Qt::KeypadModifier, "work.order"},
        {"pnl_Work", Qt::Key_Minus, Qt::KeypadModifier, "work.clear"},
        {"pnl_Work", Qt::Key_Asterisk, Qt::KeypadModifier, "work.checkout"},
        {"pnl_Work", Qt::Key_Escape, Qt::NoModifier, "work.back"},
        {"pnl_Work", Qt::Key_F5, Qt::NoModifier, ""},
        {"pnl_Register", Qt::Key_Plus, Qt::KeypadModifier, "register.open"},
        {"pnl_Register", Qt::Key_F12, Qt::NoModifier, "register.focusManualNumber"},
        {"pnl_ConsItem", Qt::Key_F7, Qt::NoModifier, "cons.mode3"},
        {"pnl_ConsItem", Qt::Key_F11, Qt::NoModifier, "cons.byNumber"},
        {"pnl_ConsItem", Qt::Key_Minus, Qt::KeypadModifier, "cons.delete"},
        {"pnl_ConsItem", Qt::Key_Minus, Qt::NoModifier, ""},
        {"pnl_Bill", Qt::Key_Slash, Qt::KeypadModifier, "bill.print"},
        {"pnl_Bill", Qt::Key_F10, Qt::NoModifier, "bill.preview"},
        {"pnl_Bill", Qt::Key_F12, Qt::NoModifier, "bill.payNext"},
        {"pnl_Bill", Qt::Key_Escape, Qt::NoModifier, "bill.back"},
    };
    for (const Case& c : cases) {
        QWidget panel;
        panel.setObjectName(c.panel);
        panel.setProperty("isPanel", true);
        main->ShowPanel(&panel, main->pnl_Parent, 1);
        EXPECT_EQ(main->actionFor(c.key, c.mods), c.action) << c.panel << " " << c.key;
        panel.setParent(nullptr);
    }
}

TEST_F(FrontDeskTest, KeysWorkWhileNoWindowIsActive) {
    // A window system may leave the window inactive (no window manager): keys still reach the
    // control that has the window's focus, and the short cuts must still act.
    logIn();
    QStringList ran;
    main->registerAction("board.open", [&] { ran << "board.open"; });
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    QTest::keyClick(work->EditDict_TableState, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(ran, QStringList({"board.open"}));
    EXPECT_EQ(work->EditDict_TableState->text(), "");
}

TEST_F(FrontDeskTest, ShowPanelHidesTheOtherScreensOfItsHost) {
    auto* a = kx::frontdesk::makePanel("pnl_A");
    auto* b = kx::frontdesk::makePanel("pnl_B");
    auto* other = new QLabel("not a panel", main->pnl_Parent);
    other->show();
    main->ShowPanel(a, main->pnl_Parent, 1);
    main->ShowPanel(b, main->pnl_Parent, 0);
    EXPECT_FALSE(a->isVisible());
    EXPECT_TRUE(b->isVisible());
    EXPECT_FALSE(work->pnl_TableState->isVisible());
    EXPECT_TRUE(other->isVisible());
    EXPECT_EQ(main->CurrentPanel(), a); // flag 0 leaves the current panel alone
    EXPECT_EQ(b->pos(), QPoint(0, 0));
}

TEST_F(FrontDeskTest, LettersInANumberEditShowTheNoticeAndTheProgramGoesOn) {
    logIn();
    QLineEdit price(work->Panel3);
    kx::bindLineEdit(&price, dm->adoqry_SetupPay, "pay_set_tax_perc");
    price.show();
    price.setFocus();
    price.selectAll();
    QTest::keyClicks(&price, "abc");
    work->EditDict_TableState->setFocus();
    EXPECT_EQ(prompter.last().text, "输入的数值无效，请重新输入！");
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->SilentExit);
}

TEST_F(FrontDeskTest, AnUnexpectedErrorShowsTwoBoxesAndClosesWithoutTheQuestion) {
    kx::guarded([] { throw kx::DbError("disk I/O error"); });
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts(),
              QStringList({"系统发生内部错误，请记录错误发生的位置并记录以下错误提示后与开发商联系！", "disk I/O error"}));
    EXPECT_TRUE(main->SilentExit);
    EXPECT_FALSE(main->isVisible());
}

TEST_F(FrontDeskTest, AboutPanelDisablesTheBoardUntilClosed) {
    logIn();
    QTest::mouseClick(work->toolb_About, Qt::LeftButton);
    EXPECT_TRUE(work->pnl_about->isVisible());
    EXPECT_FALSE(work->Panel2->isEnabled());
    EXPECT_FALSE(work->Panel3->isEnabled());
    EXPECT_FALSE(work->pnl_TableStateP->isEnabled());
    auto* close = work->pnl_about->findChild<QPushButton*>("btn_AboutClose");
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(work->pnl_about->isVisible());
    EXPECT_TRUE(work->Panel2->isEnabled());
}

TEST_F(FrontDeskTest, HelpOpensThePageBesideTheProgram) {
    kx::test::ScriptedModalHost host;
    logIn();
    QTest::mouseClick(work->toolb_Help, Qt::LeftButton);
    ASSERT_EQ(host.shown().size(), 1);
    EXPECT_EQ(host.shown()[0].kind, "document");
    EXPECT_TRUE(host.shown()[0].title.endsWith("/kxhelp.html"));
}

TEST_F(FrontDeskTest, AutomaticDayRollRunsDayEndThenDayStartAtLogin) {
    QStringList ran;
    main->autoDayEnd = [&] { ran << "end"; };
    main->autoDayStart = [&] { ran << "start"; };
    struct Case {
        bool workAuto;
        const char* lastDayEnd;
        QStringList expected;
    } cases[] = {
        {true, "2026-12-08 23:00:00", {"end", "start"}},
        {true, "2026-12-09 01:00:00", {}},
        {false, "2026-12-08 23:00:00", {}},
    };
    for (const Case& c : cases) {
        ran.clear();
        dm->adoqry_SetupPay->edit();
        dm->adoqry_SetupPay->field("work_auto").setValue(c.workAuto);
        dm->adoqry_SetupPay->field("time_end").setValue(kx::fromDbDateTime(c.lastDayEnd));
        logIn();
        EXPECT_EQ(ran, c.expected) << c.lastDayEnd;
        QTest::mouseClick(work->ToolButton4, Qt::LeftButton);
    }
}

} // namespace
