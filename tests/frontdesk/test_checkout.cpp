// The bill screen and the checkout: entering and leaving it, the payment by pay type, member
// card and credit account, the checks before anything is stored, change, commission, what the
// checkout stores, and two front desks charging one card.
#include "CapturedPrints.h"
#include "CheckoutFixture.h"
#include "Connection.h"
#include "Password.h"

#include <QLabel>

using kx::frontdesk::SettleOutcome;
using kx::test::CheckoutTest;
using kx::test::OrderLine;

namespace {

// 宫保鸡丁 on class 热菜 at a price that makes the receivable.
std::vector<OrderLine> dishes(double total) { return {{"1001", "C01", 1, total}}; }

const QString kNoPermission = QStringLiteral("你没有操作此项功能的权限，请与系统管理员联系！");

TEST_F(CheckoutTest, EnteringShowsTheBillReadyForCash) {
    seat("A01", "01", 4, dishes(105));
    enterBill();
    EXPECT_EQ(prompter.texts(), QStringList());
    ASSERT_EQ(main->CurrentPanel(), bill->pnl_Bill);
    EXPECT_TRUE(bill->checkout().active());
    EXPECT_EQ(bill->PageControl2->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), bill->DBEdit14);
    EXPECT_EQ(bill->lbl_BillNo->text(), "101");
    EXPECT_EQ(bill->lbl_BillTable->text(), "A01/大厅1号台");
    EXPECT_EQ(bill->lbl_BillShou->text(), "105.00");
    EXPECT_EQ(bill->DBEdit12->text(), "105");
    EXPECT_EQ(bill->lbl_Total1->text(), "105元");
    EXPECT_EQ(bill->checkout().receivedShownText(), "105");
    EXPECT_FALSE(bill->DBGrid8->isVisibleTo(bill->pnl_Bill));
    // Every pay type of the venue, cash first, none with an amount; no member chosen.
    QStringList types;
    for (int r = 0; r < dm->adoqry_PayType->recordCount(); ++r)
        types << dm->adoqry_PayType->valueAt(r, dm->adoqry_PayType->fieldIndex("pay_type_code")).toString() + "=" +
                     dm->adoqry_PayType->valueAt(r, dm->adoqry_PayType->fieldIndex("pay_type_mone")).toString();
    EXPECT_EQ(types, QStringList({"Z=0", "R=0", "M=0", "H=0", "B=0"}));
    EXPECT_FALSE(bill->checkout().memberChosen());
    // The lines lose any discount; the stored row waits for the checkout.
    EXPECT_EQ(kx::db::scalarInt(db(), "SELECT count(*) FROM TableConsList WHERE disc_clas_perc <> 100"), 0);
    EXPECT_EQ(dm->adoqry_TableGues->state(), kx::db::Dataset::Edit);
}

TEST_F(CheckoutTest, EnteringIsRefusedWithoutPermissionOrOnACheckedOutTable) {
    struct Case {
        const char* what;
        QString role;
        QString tableState;
        QString message;
    } cases[] = {
        {"waiter without AP", "03", "2", QStringLiteral("AP") + kNoPermission},
        {"checked-out table", "01", "3", "现在台桌不在[使用]状态，所以不能进行[结帐]！"},
    };
    qint64 key = 101;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dm->setup.set("mana_code", c.role);
        seat("A01", "01", 2, dishes(50), key);
        kx::db::exec(db(), "UPDATE TableList SET tabl_stat_code = ? WHERE tabl_code = 'A01'", {c.tableState});
        showWork("A01", key);
        prompter.clear();
        enterBill();
        EXPECT_EQ(prompter.texts(), QStringList({c.message}));
        EXPECT_NE(main->CurrentPanel(), bill->pnl_Bill);
        EXPECT_FALSE(bill->checkout().active());
        kx::db::exec(db(), "DELETE FROM TableGuestlist");
        kx::db::exec(db(), "DELETE FROM TableConsList");
        ++key;
    }
}

TEST_F(CheckoutTest, TaxIsChargedOnlyWhenTheCashierAgrees) {
    struct Case {
        const char* type;
        double perc, perGuest;
        bool yes;
        double tax, shou;
    } cases[] = {
        {"按比例", 10, 0, true, 10, 115}, // 10.5 rounds to the even 10
        {"按比例", 10, 0, false, 0, 105},
        {"按人数", 0, 2.5, true, 8, 113}, // 4 guests x 2 (2.5 to the even 2)
    };
    qint64 key = 101;
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1 %2").arg(c.type).arg(c.yes).toStdString());
        kx::db::exec(db(), "UPDATE SetupPay SET pay_set_tax_type = ?, pay_set_tax_perc = ?, pay_set_tax_mone = ?",
                     {c.type, c.perc, c.perGuest});
        dm->adoqry_SetupPay->refresh();
        seat(QString("A0%1").arg(key - 100), "01", 4, dishes(105), key);
        prompter.clear();
        prompter.answer(c.yes);
        enterBill();
        EXPECT_EQ(prompter.texts(), QStringList({QString("是否给此台桌加税，  [%1]  收税 ! ").arg(c.type)}));
        EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_tax").asFloat(), c.tax);
        EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_tax_real").asBool(), c.yes);
        EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_shou").asFloat(), c.shou);
        EXPECT_EQ(bill->DBEdit12->text(), QString::number(c.shou));
        // Leaving stores the receivable without tax.
        press(Qt::Key_Escape);
        EXPECT_FALSE(bill->checkout().active());
        EXPECT_EQ(visitValue("tabl_gues_shou", key), 105);
        ++key;
    }
}

TEST_F(CheckoutTest, LeavingDropsDiscountAndPaymentsAndStoresTheReceivable) {
    seat("A01", "01", 4, dishes(200));
    enterBill();
    bill->PageControl2->setCurrentIndex(3);
    type(bill->DBEdit15, "80");
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_shou").asFloat(), 160);
    EXPECT_EQ(bill->DBEdit12->text(), "160");
    chooseMember("8800001", "123456");
    press(Qt::Key_Escape);
    EXPECT_EQ(dm->adoqry_TableGues->state(), kx::db::Dataset::Browse);
    EXPECT_EQ(visitValue("tabl_gues_shou"), 200);
    EXPECT_EQ(visitText("tabl_gues_name"), "");
    EXPECT_EQ(visitText("tabl_gues_stat"), "2");
    EXPECT_EQ(memberBalance(), 500);
    EXPECT_TRUE(payLines().isEmpty());
}

TEST_F(CheckoutTest, CashAboveTheBillShowsTheChangeAndKeepsTheBill) {
    seat("A01", "01", 4, dishes(105));
    enterBill();
    typeAmount("Z", "200");
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ(prompter.texts(), QStringList({"请找零：[ 95.00 ]元  ！", "请确认是否进行结帐处理，请选择(是/否)！"}));
    // The cash kept is the bill; every pay type has its line, zeros too.
    EXPECT_EQ(payLines(), QStringList({"B=0", "H=0", "M=0", "R=0", "Z=105"}));
    EXPECT_EQ(kx::db::scalarText(db(), "SELECT DISTINCT pay_time FROM tableguespay"),
              kx::db::scalarText(db(), "SELECT time_work FROM SetupPay"));
    EXPECT_EQ(visitValue("tabl_gues_fact"), 105);
    EXPECT_EQ(visitValue("none_mone"), 0);
    EXPECT_EQ(visitText("tabl_gues_pay_narr"), "现金105 ");
    EXPECT_EQ(visitText("tabl_gues_stat"), "3");
    EXPECT_EQ(visitText("tabl_gues_time_end"), "2026-12-09 10:00:00");
    EXPECT_EQ(visitText("tabl_gues_time_work"), kx::toDbDate(dm->setup.date("time_work")));
    EXPECT_EQ(visitValue("cost_mone"), 42);
    EXPECT_EQ(visitText("oper_code"), "01");
    EXPECT_EQ(visitText("oper_name"), "管理员");
    EXPECT_EQ(visitText("orde_code"), "1");
    // The names of the visit and of its lines are stored with it.
    EXPECT_EQ(visitText("tabl_name"), "大厅1号台");
    EXPECT_EQ(visitText("tabl_type_name"), "散台");
    EXPECT_EQ(visitText("cons_mode_name"), "大厅点菜");
    EXPECT_EQ(visitText("dept_name"), "大厅");
    EXPECT_EQ(visitText("orde_name"), "早班");
    QSqlQuery line = kx::db::run(db(), "SELECT tabl_gues_end, tabl_cons_time_work, kind_name, manu_name, orde_name, "
                                       "dept_name, item_name, item_unit FROM TableConsList");
    ASSERT_TRUE(line.next());
    EXPECT_TRUE(kx::db::variantToBool(line.value(0)));
    EXPECT_EQ(line.value(1).toString(), kx::toDbDate(dm->setup.date("time_work")));
    EXPECT_EQ(line.value(2).toString(), "菜品");
    EXPECT_FALSE(line.value(3).toString().isEmpty());
    EXPECT_EQ(line.value(4).toString(), "早班");
    EXPECT_EQ(line.value(5).toString(), "大厅");
    EXPECT_EQ(line.value(6).toString(), "宫保鸡丁");
    EXPECT_EQ(line.value(7).toString(), "份");
    // The table shows checked out on the board, and the database is consistent.
    EXPECT_EQ(kx::db::scalarText(db(), "SELECT tabl_stat_code FROM TableList WHERE tabl_code = 'A01'"), "3");
    EXPECT_EQ(main->CurrentPanel(), work->pnl_TableState);
    EXPECT_FALSE(bill->checkout().active());
    // The visit in memory is the one stored, with the names the checkout copied into it.
    ASSERT_TRUE(dm->adoqry_TableGues->locate("tabl_gues_auto_recn", 101));
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_stat").asString(), "3");
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_name").asString(), visitText("tabl_name"));
    EXPECT_FALSE(dm->adoqry_TableGues->field("tabl_name").asString().isEmpty());
    EXPECT_EQ(kx::db::checkDatabase(db()), QStringList());
    // The amounts typed never reached the shared pay-type list.
    EXPECT_EQ(kx::db::scalarNumber(db(), "SELECT sum(abs(pay_type_mone)) FROM PayTypeList"), 0);
}

TEST_F(CheckoutTest, ChangeMessagesAndDecliningPutsTheCashBack) {
    struct Case {
        const char* cash;
        QStringList boxes;
    } cases[] = {
        {"200", {"请找零：[ 95.00 ]元  ！"}},
        {"1339.5", {"请找零：[ 1,234.50 ]元  ！"}},
        {"0", {"请收现金：[ 105.00 ]元  ！"}},
        {"105", {}},
    };
    seat("A01", "01", 4, dishes(105));
    enterBill();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cash);
        typeAmount("Z", c.cash);
        prompter.clear();
        prompter.answer(false);
        settleByKey();
        EXPECT_EQ(prompter.texts(), c.boxes + QStringList({"请确认是否进行结帐处理，请选择(是/否)！"}));
        // Nothing stored; the cash typed is back on the cash row and the cursor in its edit.
        EXPECT_TRUE(payLines().isEmpty());
        EXPECT_EQ(visitText("tabl_gues_stat"), "2");
        EXPECT_EQ(bill->checkout().typedAmount("Z"), QString(c.cash).toDouble());
        EXPECT_EQ(dm->adoqry_PayType->field("pay_type_code").asString(), "Z");
        EXPECT_EQ(QApplication::focusWidget(), bill->DBEdit14);
        EXPECT_EQ(dm->adoqry_TableGues->state(), kx::db::Dataset::Edit);
        EXPECT_TRUE(bill->checkout().active());
    }
}

TEST_F(CheckoutTest, LoweringTheAmountReceivedWaivesTheDifference) {
    seat("A01", "01", 4, dishes(105));
    enterBill();
    type(bill->DBEdit12, "100");
    EXPECT_EQ(bill->lbl_Total->text(), "100元");
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ(prompter.texts(), QStringList({"请收现金：[ 100.00 ]元  ！", "请确认是否进行结帐处理，请选择(是/否)！"}));
    EXPECT_EQ(payLines(), QStringList({"B=0", "H=0", "M=0", "R=5", "Z=100"}));
    EXPECT_EQ(visitValue("none_mone"), 5);
    EXPECT_EQ(visitValue("tabl_gues_fact"), 100);
    EXPECT_TRUE(visitText("tabl_gues_pay_narr").startsWith("现金100 "));
    EXPECT_EQ(visitText("tabl_gues_pay_narr"), "现金100 免单5 ");
}

TEST_F(CheckoutTest, AnAmountReceivedAboveTheBillIsRefusedAndRestored) {
    seat("A01", "01", 4, dishes(105));
    enterBill();
    type(bill->DBEdit12, "200");
    EXPECT_EQ(prompter.texts(), QStringList({"输入的实收金额大于应收金额，请重新输入！"}));
    EXPECT_EQ(bill->DBEdit12->text(), "105");
    EXPECT_EQ(bill->DBEdit12->cursorPosition(), 3);
    EXPECT_EQ(bill->lbl_Total1->text(), "105元");
    // Settling now waives nothing.
    prompter.clear();
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ(payLines(), QStringList({"B=0", "H=0", "M=0", "R=0", "Z=105"}));
}

TEST_F(CheckoutTest, ChecksBeforeStoringRefuseWithTheirMessage) {
    struct Case {
        const char* what;
        QString payType, amount;
        QString card; // member chosen first ("" = none)
        bool account; // credit account chosen first
        QString message;
    } cases[] = {
        {"member card above its balance", "M", "600", "8800001", false, "超出上限金额，会员卡金额无效，请重新输入！"},
        {"points card", "M", "50", "8800002", false, "积分卡不能作为现金进行消费，请确认！"},
        {"member amount without member", "M", "50", "", false, "未指定会员，会员卡金额无效，请选择会员！"},
        {"credit amount without account", "H", "50", "", false, "无挂帐人，挂帐金额无效，请选择挂帐人！"},
        {"credit amount above the limit", "H", "5000.5", "", true, "超出上限金额，挂帐金额无效，请重新输入！"},
        {"waiving more than the bill", "R", "6001", "", false, "免单不能超过实际消费金额 ！"},
    };
    seat("A01", "01", 4, dishes(6000));
    enterBill();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.card.isEmpty()) chooseMember(c.card, "123456");
        if (c.account) chooseCreditAccount();
        typeAmount(c.payType, c.amount);
        prompter.clear();
        settleByKey();
        EXPECT_EQ(prompter.texts(), QStringList({c.message}));
        EXPECT_TRUE(payLines().isEmpty());
        EXPECT_EQ(visitText("tabl_gues_stat"), "2");
        EXPECT_EQ(memberBalance(), 500);
        EXPECT_EQ(memberBalance("memb_use"), 0);
        EXPECT_EQ(creditOwed(), 0);
        EXPECT_NE(dm->adoqry_Member->state(), kx::db::Dataset::Edit);
        EXPECT_NE(dm->adoqry_hanggues->state(), kx::db::Dataset::Edit);
        QTest::mouseClick(bill->SpeedButton3, Qt::LeftButton); // 重置
        QTest::mouseClick(bill->SpeedButton2, Qt::LeftButton); // member 清除
        QTest::mouseClick(bill->SpeedButton4, Qt::LeftButton); // account 清除
        EXPECT_EQ(bill->checkout().typedAmount(c.payType), 0);
    }
}

TEST_F(CheckoutTest, PaysByMemberCardCreditAccountAndBankCard) {
    seat("A01", "01", 4, dishes(300));
    enterBill();
    chooseMember("8800001", "123456");
    chooseCreditAccount();
    EXPECT_EQ(bill->Edit4->text(), "华信科技");
    EXPECT_EQ(bill->lbl_hangcode->text(), "001");
    EXPECT_EQ(bill->lbl_HangLimi->text(), "5000");
    typeAmount("M", "120");
    typeAmount("H", "80.5");
    typeAmount("B", "50");
    typeAmount("Z", "100");
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ(prompter.texts(), QStringList({"请找零：[ 50.50 ]元  ！", "请确认是否进行结帐处理，请选择(是/否)！"}));
    EXPECT_EQ(payLines(), QStringList({"B=50", "H=80.5", "M=120", "R=0", "Z=49.5"}));
    EXPECT_EQ(memberBalance(), 380);
    EXPECT_EQ(memberBalance("memb_use"), 120);
    EXPECT_EQ(creditOwed(), 80.5);
    EXPECT_EQ(visitValue("memb_mone"), 120);
    EXPECT_EQ(visitText("memb_card_code"), "8800001");
    EXPECT_EQ(visitText("memb_name"), "张伟");
    EXPECT_EQ(visitValue("hang_mone"), 80.5);
    EXPECT_EQ(visitText("hang_code"), "001");
    EXPECT_EQ(visitText("hang_name"), "华信科技");
    // Pay types in list order; each amount through the rounding of sums.
    EXPECT_EQ(visitText("tabl_gues_pay_narr"), "现金50 会员卡120 挂帐80 银行卡50 ");
    // The screen shows the balances the database holds.
    EXPECT_EQ(dm->adoqry_Member->field("memb_surp").asFloat(), 380);
    EXPECT_EQ(dm->adoqry_hanggues->field("hang_gues_use").asFloat(), 80.5);
}

TEST_F(CheckoutTest, BalancesAndLimitsAreComparedInCents) {
    // A balance left a hair below its cents by earlier sums (88.80 - 0.01 = 88.789999…) still
    // pays what it shows, and a charge one cent above it is still refused.
    struct Case {
        const char* name;
        const char* payType;
        const char* amount;
        bool stored;
    } cases[] = {{"card pays its whole balance", "M", "88.79", true},
                 {"card one cent short", "M", "88.8", false},
                 {"account up to its limit", "H", "88.79", true},
                 {"account one cent over", "H", "88.8", false}};
    qint64 key = 300;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kx::db::exec(db(), "UPDATE MemberList SET memb_surp = 88.80, memb_use = 0 WHERE memb_card_code = '8800001'");
        kx::db::exec(db(), "UPDATE MemberList SET memb_surp = memb_surp - 0.01 WHERE memb_card_code = '8800001'");
        kx::db::exec(db(), "UPDATE HangGues SET hang_gues_limi = 100, hang_gues_use = 11.20 WHERE hang_gues_code = '001'");
        kx::db::exec(db(), "UPDATE HangGues SET hang_gues_use = hang_gues_use + 0.01 WHERE hang_gues_code = '001'");
        dm->adoqry_Member->refresh();
        dm->adoqry_hanggues->refresh();
        ASSERT_NE(memberBalance(), 88.79); // the noise the comparison must see through
        prompter.clear();
        ++key;
        seat(QStringLiteral("A0%1").arg(key - 300), "01", 2, dishes(88.8), key);
        enterBill();
        if (QString::fromLatin1(c.payType) == "M") chooseMember("8800001", "123456");
        else chooseCreditAccount();
        typeAmount(c.payType, c.amount);
        prompter.answers({true, true});
        settleByKey();
        EXPECT_EQ(visitText("tabl_gues_stat", key), c.stored ? "3" : "2") << prompter.texts().join("|").toStdString();
        if (!c.stored) {
            EXPECT_TRUE(prompter.texts().first().startsWith("超出上限金额")) << prompter.texts().join("|").toStdString();
            main->runAction("bill.back");
            continue;
        }
        if (QString::fromLatin1(c.payType) == "M") {
            EXPECT_EQ(memberBalance(), 0);
        } else {
            EXPECT_EQ(creditOwed(), 100);
        }
    }
}

TEST_F(CheckoutTest, MemberCardIsCheckedAgainstItsStoredPassword) {
    seat("A01", "01", 4, dishes(100));
    enterBill();
    const QString stored = kx::db::scalarText(db(), "SELECT memb_pass FROM MemberList WHERE memb_card_code = '8800001'");
    struct Case {
        QString card, password;
        bool found;
    } cases[] = {
        {"8800001", "123456", true},
        {"8800001", "12345", false},
        {"8800001", stored, false}, // the stored hash is no password
        {"8800009", "123456", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.card + "/" + c.password).toStdString());
        prompter.clear();
        chooseMember(c.card, c.password);
        EXPECT_EQ(bill->checkout().memberChosen(), c.found);
        EXPECT_EQ(prompter.texts(), c.found ? QStringList() : QStringList({"会员卡号或密码不正确，请重新输入！"}));
        EXPECT_EQ(bill->lbl_MembName->text(), c.found ? "张伟" : "");
        EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_name").asString(), c.found ? "张伟" : "");
    }
}

TEST_F(CheckoutTest, CommissionByKindAndQuota) {
    struct Case {
        const char* what;
        QString kind;
        double received;
        double commission;
        QString group, area;
    } cases[] = {
        {"designated above the quota", "指  定", 800, 25, "02", "2"},
        {"designated below the quota", "指  定", 400, 0, "", ""},
        {"booked above the quota", "预  定", 800, 14, "02", "2"}, // 1 % of 500 + 3 % of 300
        {"no commission", "无提成", 800, 0, "", ""},
    };
    kx::db::exec(db(), "UPDATE ConsModeList SET cons_mode_achi = 500, cons_mode_spec_stan = 2, cons_mode_spec_abov = 5, "
                       "cons_mode_pred_stan = 1, cons_mode_pred_abov = 3 WHERE cons_mode_code = '01'");
    qint64 key = 101;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seat(QString("A0%1").arg(key - 100), "01", 4, dishes(c.received), key);
        kx::db::exec(db(), "UPDATE TableGuestlist SET dedu_oper_code = '002', dedu_type = ? WHERE tabl_gues_auto_recn = ?",
                     {c.kind, key});
        showWork(QString("A0%1").arg(key - 100), key);
        enterBill();
        EXPECT_EQ(bill->DBComboBox4->currentText(), c.kind);
        EXPECT_EQ(bill->DBLookupComboBox8->currentText(), "刘洋");
        typeAmount("Z", QString::number(c.received));
        prompter.answer(true);
        settleByKey();
        EXPECT_EQ(visitValue("dedu_mone", key), c.commission);
        EXPECT_EQ(visitText("grou_code", key), c.group);
        EXPECT_EQ(visitText("area_code", key), c.area);
        EXPECT_EQ(visitText("dedu_oper_name", key), "刘洋");
        ++key;
    }
}

TEST_F(CheckoutTest, GuestCountModeAndDiscountRecomputeTheBill) {
    seat("A09", "02", 2, dishes(100)); // 卡座: 5 per guest as room charge
    enterBill();
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_shou").asFloat(), 110);
    type(bill->DBEdit10, "6");
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_coun").asInt(), 6);
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_room").asFloat(), 30);
    EXPECT_EQ(bill->DBEdit12->text(), "130");
    // 90 % on the discountable dishes and the room charge.
    bill->PageControl2->setCurrentIndex(3);
    type(bill->DBEdit15, "90");
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_disc").asFloat(), 13);
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_shou").asFloat(), 117);
    EXPECT_EQ(bill->lbl_Total1->text(), "117元");
    // Another mode: the hall's, which charges the dishes only; its discount stays.
    bill->PageControl2->setCurrentIndex(4);
    const int hall = bill->DBLookupComboBox5->findText("大厅点菜");
    bill->DBLookupComboBox5->setCurrentIndex(hall);
    emit bill->DBLookupComboBox5->activated(hall);
    EXPECT_EQ(dm->adoqry_TableGues->field("cons_type_code").asString(), "1");
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_shou").asFloat(), 90);
    EXPECT_FALSE(bill->DBGrid8->isVisibleTo(bill->pnl_Bill));
    // The time-band mode shows its bands.
    const int bands = bill->DBLookupComboBox5->findText("KTV分时段");
    bill->DBLookupComboBox5->setCurrentIndex(bands);
    emit bill->DBLookupComboBox5->activated(bands);
    EXPECT_TRUE(bill->DBGrid8->isVisibleTo(bill->pnl_Bill));
    EXPECT_EQ(dm->adoqry_ConsTimeMode->recNo(), 1);
    EXPECT_GT(dm->adoqry_ConsTimeMode->recordCount(), 0);
    // Checked out in that mode, the visit stores its name.
    typeAmount("Z", bill->DBEdit12->text());
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ(visitText("cons_mode_code"), "06");
    EXPECT_EQ(visitText("cons_mode_name"), "KTV分时段");
}

TEST_F(CheckoutTest, DiscountSchemeAppliesItsClassRates) {
    seat("A01", "01", 4, {{"1001", "C01", 1, 100}, {"5001", "D02", 1, 100}});
    enterBill();
    bill->PageControl2->setCurrentIndex(3);
    const int vip = bill->DBLookupComboBox6->findText("贵宾八五折");
    bill->DBLookupComboBox6->setCurrentIndex(vip);
    emit bill->DBLookupComboBox6->activated(vip);
    EXPECT_EQ(dm->adoqry_DiscItem->recordCount(), 4);
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_disc").asFloat(), 25); // 15 + 10
    EXPECT_EQ(bill->DBEdit12->text(), "175");
}

TEST_F(CheckoutTest, DiscountNeedsItsPermission) {
    kx::db::exec(db(), "UPDATE Limitedlist SET limi_real = 0 WHERE mana_code = '02' AND limi_code = 'DA'");
    dm->setup.set("mana_code", "02");
    seat("A01", "01", 4, dishes(100));
    prompter.clear();
    enterBill();
    bill->DBEdit12->setFocus();
    bill->PageControl2->setCurrentIndex(3);
    bill->DBEdit15->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(prompter.texts(), QStringList({QStringLiteral("DA") + kNoPermission}));
    EXPECT_EQ(QApplication::focusWidget(), bill->DBGrid9);
}

TEST_F(CheckoutTest, KeysOfTheBillScreen) {
    seat("A01", "01", 4, dishes(100));
    enterBill();
    // F12 and F11 walk the pay types from any page and land in the amount edit.
    bill->PageControl2->setCurrentIndex(1);
    bill->Edit1->setFocus();
    press(Qt::Key_F12);
    EXPECT_EQ(dm->adoqry_PayType->field("pay_type_code").asString(), "R");
    EXPECT_EQ(bill->PageControl2->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), bill->DBEdit14);
    EXPECT_EQ(bill->lbl_PayName->text(), "免单");
    QTest::keyClicks(bill->DBEdit14, "7");
    press(Qt::Key_F11);
    EXPECT_EQ(dm->adoqry_PayType->field("pay_type_code").asString(), "Z");
    EXPECT_EQ(bill->checkout().typedAmount("R"), 7);
    // What the edits take.
    struct Case {
        QLineEdit* edit;
        const char* typed;
        const char* shown;
    } cases[] = {
        {bill->DBEdit14, "12a.5.3", "12.53"},
        {bill->DBEdit14, "12345678", "1234567"},
        {bill->DBEdit9, "ab*c/d", "abcd"},
        {bill->Edit1, "88*00/01", "880001"},
        {bill->Edit2, "12*3/4", "1234"},
        {bill->DBEdit10, "12a34", "123"},
        {bill->DBEdit15, "9x05", "90"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        c.edit->setFocus();
        c.edit->clear();
        QTest::keyClicks(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.shown);
    }
    // Esc leaves for the work screen.
    bill->DBEdit14->setFocus();
    press(Qt::Key_Escape);
    EXPECT_FALSE(bill->checkout().active());
    EXPECT_NE(main->CurrentPanel(), bill->pnl_Bill);
}

TEST_F(CheckoutTest, PreviewComputesThePaymentAndStoresNothing) {
    seat("A01", "01", 4, dishes(300));
    enterBill();
    chooseMember("8800001", "123456");
    typeAmount("M", "100");
    typeAmount("Z", "250");
    bool printed = false;
    bill->printBill = [&](bool toPrinter) {
        printed = true;
        EXPECT_FALSE(toPrinter);
        // The layout sees the payment computed: the card's balance after it, the change line.
        EXPECT_EQ(dm->adoqry_TableGues->field("memb_mone").asFloat(), 100);
        EXPECT_EQ(dm->adoqry_Member->field("memb_surp").asFloat(), 400);
        EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_pay_narr").asString(), "现金200 会员卡100 ");
        EXPECT_EQ(bill->checkout().changeLine(), "收款金额-350 找零金额-50");
    };
    press(Qt::Key_F10);
    EXPECT_TRUE(printed);
    EXPECT_TRUE(prompter.texts().isEmpty());
    EXPECT_TRUE(payLines().isEmpty());
    EXPECT_EQ(memberBalance(), 500);
    EXPECT_EQ(dm->adoqry_Member->field("memb_surp").asFloat(), 500);
    EXPECT_EQ(bill->checkout().typedAmount("Z"), 250);
    // Printing asks first; the checkout afterwards charges the card once.
    kx::test::CapturedPrints printer;
    printed = false;
    bill->printBill = [&](bool toPrinter) { printed = toPrinter; };
    prompter.answer(true);
    press(Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_TRUE(printed);
    EXPECT_EQ(prompter.texts(), QStringList({"请确认是否进行打印帐单处理，请选择(是/否)！"}));
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ(memberBalance(), 400);
    EXPECT_EQ(payLines(), QStringList({"B=0", "H=0", "M=100", "R=0", "Z=200"}));
}

// Two front desks on one database file, each with its own connection, data module and bill.
class SecondDesk {
public:
    SecondDesk(const QString& path) {
        connection.open(path);
        dm = std::make_unique<kx::frontdesk::TDMTable>(connection.db());
        dm->openWorkingData(); // as a login does
        checkout = std::make_unique<kx::frontdesk::Checkout>(*dm, [](const QString&) { return true; });
    }
    kx::db::Connection connection;
    std::unique_ptr<kx::frontdesk::TDMTable> dm;
    std::unique_ptr<kx::frontdesk::Checkout> checkout;
};

void typeOn(kx::frontdesk::TDMTable& dm, const QString& payType, double amount) {
    ASSERT_TRUE(dm.adoqry_PayType->locate("pay_type_code", payType));
    dm.adoqry_PayType->edit();
    dm.adoqry_PayType->field("pay_type_mone").setValue(amount);
    dm.adoqry_PayType->post();
}

TEST_F(CheckoutTest, TwoFrontDesksChargingOneCardNeverLoseACharge) {
    struct Case {
        double first, second;
        bool secondStored;
        double balance, used;
    } cases[] = {
        {300, 300, false, 200, 300}, // the second finds the balance spent and stores nothing
        {200, 250, true, 50, 450},   // both fit: both are charged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        kx::db::exec(db(), "UPDATE MemberList SET memb_surp = 500, memb_use = 0 WHERE memb_card_code = '8800001'");
        kx::db::exec(db(), "DELETE FROM tableguespay");
        kx::db::exec(db(), "DELETE FROM TableGuestlist");
        kx::db::exec(db(), "DELETE FROM TableConsList");
        kx::db::exec(db(), "UPDATE TableList SET tabl_stat_code = '1', tabl_gues_auto_recn = 0");
        seat("A02", "01", 2, dishes(400), 102);
        seat("A01", "01", 2, dishes(400), 101);
        SecondDesk other(path);
        kx::frontdesk::TDMTable& dm2 = *other.dm;
        ASSERT_TRUE(dm2.adoqry_table->locate("tabl_code", QString("A02")));
        ASSERT_TRUE(dm2.adoqry_TableGues->locate("tabl_gues_auto_recn", 102));

        // Both desks load the card with its balance of 500 and type their card payment.
        kx::frontdesk::Checkout& mine = bill->checkout();
        ASSERT_TRUE(mine.enter());
        ASSERT_TRUE(other.checkout->enter());
        ASSERT_TRUE(mine.chooseMember("8800001", "123456"));
        ASSERT_TRUE(other.checkout->chooseMember("8800001", "123456"));
        typeOn(*dm, "M", c.first);
        typeOn(*dm, "Z", 400 - c.first);
        typeOn(dm2, "M", c.second);
        typeOn(dm2, "Z", 400 - c.second);

        prompter.clear();
        prompter.answers({true, true});
        EXPECT_EQ(mine.settle("400"), SettleOutcome::Stored);
        EXPECT_EQ(other.checkout->settle("400"), c.secondStored ? SettleOutcome::Stored : SettleOutcome::Refused);
        if (!c.secondStored) {
            EXPECT_EQ(prompter.last().text, "超出上限金额，会员卡金额无效，请重新输入！");
            EXPECT_TRUE(payLines(102).isEmpty());
            EXPECT_EQ(visitText("tabl_gues_stat", 102), "2");
            EXPECT_EQ(kx::db::scalarText(db(), "SELECT tabl_stat_code FROM TableList WHERE tabl_code = 'A02'"), "2");
            // The second desk shows the balance left and can still settle another way.
            EXPECT_EQ(dm2.adoqry_Member->field("memb_surp").asFloat(), c.balance);
            EXPECT_TRUE(other.checkout->active());
        }
        EXPECT_EQ(memberBalance(), c.balance);
        EXPECT_EQ(memberBalance("memb_use"), c.used);
        EXPECT_EQ(kx::db::scalarNumber(db(), "SELECT sum(memb_mone) FROM TableGuestlist WHERE tabl_gues_stat = '3'"),
                  c.used);
        // Each desk wrote its own amounts.
        EXPECT_EQ(payLines(101), QStringList({"B=0", "H=0", QString("M=%1").arg(c.first), "R=0",
                                              QString("Z=%1").arg(400 - c.first)}));
        EXPECT_EQ(kx::db::checkDatabase(db()), QStringList());
    }
}

TEST_F(CheckoutTest, TheAmountsTypedBelongToOneFrontDesk) {
    seat("A01", "01", 2, dishes(100), 101);
    seat("A02", "01", 2, dishes(100), 102);
    SecondDesk other(path);
    ASSERT_TRUE(other.dm->adoqry_table->locate("tabl_code", QString("A02")));
    ASSERT_TRUE(other.dm->adoqry_TableGues->locate("tabl_gues_auto_recn", 102));
    ASSERT_TRUE(other.checkout->enter());
    typeOn(*other.dm, "B", 60);
    showWork("A01", 101);
    enterBill();
    typeAmount("Z", "100");
    EXPECT_EQ(bill->checkout().typedAmount("B"), 0);
    EXPECT_EQ(other.checkout->typedAmount("Z"), 0);
    EXPECT_EQ(other.checkout->typedAmount("B"), 60);
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ(payLines(101), QStringList({"B=0", "H=0", "M=0", "R=0", "Z=100"}));
}

} // namespace

namespace {

// Another front desk commits an order to the visit while this bill is on the screen: the
// checkout is refused with its message, nothing is stored, the bill is computed again on
// screen on every line, and the cashier checks out the new amount.
TEST_F(CheckoutTest, AVisitChangedElsewhereIsRefusedAndTheBillComputedAgain) {
    seat("A01", "01", 4, dishes(105));
    enterBill();
    ASSERT_EQ(main->CurrentPanel(), bill->pnl_Bill);
    kx::db::exec(db(), "INSERT INTO TableConsList (tabl_gues_auto_recn, tabl_code, clas_code, item_code, item_unit_pric, "
                       "tabl_cons_coun, tabl_cons_tota, item_type_code, menu_type_code, item_type_flag, item_coun_flag, "
                       "kind_code) VALUES (101, 'A01', 'C01', '1001', 20, 1, 20, '1', '1', 1, 1, 'C')");
    kx::db::exec(db(), "UPDATE TableGuestlist SET tabl_gues_dish = tabl_gues_dish + 20, tabl_gues_shou = tabl_gues_shou + 20 "
                       "WHERE tabl_gues_auto_recn = 101");
    prompter.clear();
    prompter.answer(true);
    settleByKey();
    EXPECT_TRUE(prompter.texts().contains("数据已被其它站点修改，请刷新后重新操作！")) << prompter.texts().join("|").toStdString();
    EXPECT_TRUE(payLines().isEmpty());
    EXPECT_EQ(visitText("tabl_gues_stat"), "2");
    EXPECT_TRUE(main->isVisible());
    ASSERT_EQ(main->CurrentPanel(), bill->pnl_Bill);
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_shou").asFloat(), 125);

    prompter.clear();
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ(visitText("tabl_gues_stat"), "3");
    EXPECT_EQ(visitValue("tabl_gues_fact"), 125);
}

} // namespace
