// The credit accounts kept from the "管理设置" tree's "挂帐客人": their checks before saving, the
// account's own password, the debt that keeps an account from being deleted, the repayments
// taken after the system management password, and their printed list.
//
// Sample venue: account 001 华信科技 (limit 5000, owing 0, password "123456"); the system
// management password and operator 01's (管理员) are both "admin".
#include "Check.h"
#include "Connection.h"
#include "CreditAccounts.h"
#include "Money.h"
#include "Password.h"
#include "SetupScreenTest.h"

#include <QFile>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPushButton>

using kx::db::Dataset;

namespace {

class CreditAccountTest : public kx::test::SetupScreenTest {
  protected:
    Dataset* accounts() const { return manage->adoqry_HangGues; }
    // The account's row clicked, the password typed under the list, the row double-clicked.
    void openRepayments(const QString& code = QStringLiteral("001"), const QString& password = QStringLiteral("admin")) {
        ASSERT_TRUE(accounts()->locate("hang_gues_code", code)) << code.toStdString();
        type("Edit9", password);
        auto* grid = control<QTableView>("DBGrid37");
        const QPoint at = grid->visualRect(grid->model()->index(accounts()->recNo() - 1, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
    void repay(const QString& amount) {
        type("Edit8", amount);
        saveRepayment();
    }
    void saveRepayment() {
        QTest::mouseClick(control<QPushButton>("Button5"), Qt::LeftButton);
        QApplication::processEvents();
    }
    void setOwed(const QString& code, double owed) {
        kx::db::exec(db(), "update HangGues set hang_gues_use = ? where hang_gues_code = ?", {owed, code});
    }
    double owed(const QString& code = QStringLiteral("001")) const {
        return kx::db::scalarNumber(db(), "select hang_gues_use from HangGues where hang_gues_code = ?", {code});
    }
    qint64 repayments(const QString& code = QStringLiteral("001")) const {
        return kx::db::scalarInt(db(), "select count(*) from Hangguesin where hang_gues_code = ?", {code});
    }
    QString owedShown() const { return control<QLabel>("DBText33")->text(); }
    // Another program on the same file (the front desk charging the account meanwhile).
    void elsewhere(const QString& sql) {
        kx::db::Connection other;
        other.open(path);
        kx::db::exec(other.db(), sql);
    }
    void expectConsistent() {
        const QStringList failures = kx::db::checkDatabase(db());
        EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    }
};

// ---------------------------------------------------------------- the account list

struct SaveCase {
    const char* name;
    friend void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::pair<const char*, const char*>> typed; // edit, text
    const char* message;
};

const char* const kRequired = "挂帐客人[编码]、[姓名]、[工作单位]、[地址]、[电话]不能为空！";

class AccountSaveChecks : public CreditAccountTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(AccountSaveChecks, ShowTheirMessageAndStoreNothing) {
    const SaveCase& c = GetParam();
    openManageLeaf("挂帐客人");
    press(main->toolb_Add);
    prompter.clear();
    for (const auto& [name, text] : c.typed)
        type(name, QString::fromUtf8(text));
    press(main->toolb_Save);
    EXPECT_EQ(prompter.texts(), QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(accounts()->state(), Dataset::Insert);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from HangGues"), 1);
    for (const auto& [name, text] : c.typed)
        EXPECT_EQ(edit(name)->text(), QString::fromUtf8(text).toUpper()) << name;
}

// Every required field left out once; a field of blanks counts as empty.
INSTANTIATE_TEST_SUITE_P(
    CreditAccounts, AccountSaveChecks,
    ::testing::Values(
        SaveCase{"WithoutCode",
                 {{"DBEdit75", "天元"}, {"DBEdit79", "88001"}, {"DBEdit80", "天元贸易"}, {"DBEdit82", "延安路"}},
                 kRequired},
        SaveCase{"WithoutName",
                 {{"DBEdit63", "002"}, {"DBEdit79", "88001"}, {"DBEdit80", "天元贸易"}, {"DBEdit82", "延安路"}},
                 kRequired},
        SaveCase{"WithoutTelephone",
                 {{"DBEdit63", "002"}, {"DBEdit75", "天元"}, {"DBEdit80", "天元贸易"}, {"DBEdit82", "延安路"}},
                 kRequired},
        SaveCase{"WithoutCompany",
                 {{"DBEdit63", "002"}, {"DBEdit75", "天元"}, {"DBEdit79", "88001"}, {"DBEdit82", "延安路"}},
                 kRequired},
        SaveCase{"WithoutAddress",
                 {{"DBEdit63", "002"}, {"DBEdit75", "天元"}, {"DBEdit79", "88001"}, {"DBEdit80", "天元贸易"}},
                 kRequired},
        SaveCase{"AddressOfBlanks",
                 {{"DBEdit63", "002"},
                  {"DBEdit75", "天元"},
                  {"DBEdit79", "88001"},
                  {"DBEdit80", "天元贸易"},
                  {"DBEdit82", "   "}},
                 kRequired},
        SaveCase{"DuplicateCode",
                 {{"DBEdit63", "001"},
                  {"DBEdit75", "天元"},
                  {"DBEdit79", "88001"},
                  {"DBEdit80", "天元贸易"},
                  {"DBEdit82", "延安路"}},
                 "编号有重复，请从新输入！"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CreditAccountTest, ANewAccountOwesNothingAndItsPasswordIsKeptAsAHash) {
    openManageLeaf("挂帐客人");
    EXPECT_EQ(main->CurrentDataset, accounts());
    EXPECT_EQ(toolbar(), QStringList({"增加", "删除", "取消", "保存", "查询"}));
    // The list never shows a password.
    auto* grid = control<QTableView>("DBGrid37");
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, QStringList({"编码", "挂帐客人", "挂帐上限", "挂帐金额", "联系电话", "工作单位", "地址", "备注"}));

    press(main->toolb_Add);
    type("DBEdit63", "t02");
    type("DBEdit75", "天元 trade");
    type("DBEdit79", "0571-88001");
    type("DBEdit80", "天元贸易");
    type("DBEdit82", "延安路");
    type("DBEdit83", "2000");
    type("DBEdit84", "pw12");
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(kx::test::joinedRows(db(), "select hang_gues_name, hang_gues_limi, hang_gues_use, hang_gues_rema "
                                         "from HangGues where hang_gues_code = 'T02'"),
              "天元 TRADE/2000/0/ ");
    EXPECT_TRUE(edit("DBEdit84")->text().isEmpty());
    EXPECT_EQ(control<QLabel>("DBText12")->text(), "0");
    const auto stored = [this] {
        return kx::db::scalarText(db(), "select hang_gues_pass from HangGues where hang_gues_code = 'T02'");
    };
    const QString hash = stored();
    EXPECT_NE(hash, "PW12");
    EXPECT_TRUE(kx::verifyPassword("PW12", hash)); // typed in upper case, as every edit here

    // Only the remark changed: the password stays; a new one typed replaces it.
    ASSERT_TRUE(accounts()->locate("hang_gues_code", QString("T02")));
    type("DBEdit81", "月结");
    press(main->toolb_Save);
    EXPECT_EQ(stored(), hash);
    ASSERT_TRUE(accounts()->locate("hang_gues_code", QString("T02")));
    type("DBEdit84", "new9");
    press(main->toolb_Save);
    EXPECT_TRUE(kx::verifyPassword("NEW9", stored()));
    // A password typed and cancelled goes with the row's edit.
    ASSERT_TRUE(accounts()->locate("hang_gues_code", QString("T02")));
    type("DBEdit84", "gone");
    press(main->toolb_Cancel);
    EXPECT_TRUE(edit("DBEdit84")->text().isEmpty());
    press(main->toolb_Save);
    EXPECT_TRUE(kx::verifyPassword("NEW9", stored()));

    // An account needs no password.
    press(main->toolb_Add);
    type("DBEdit63", "T03");
    type("DBEdit75", "NOPASS");
    type("DBEdit79", "1");
    type("DBEdit80", "W");
    type("DBEdit82", "A");
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(kx::db::scalarText(db(), "select coalesce(hang_gues_pass, '') from HangGues where hang_gues_code = 'T03'"),
              "");
    expectConsistent();
}

struct DeleteCase {
    const char* name;
    friend void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.name; }
    double owedWhenShown;
    const char* meanwhile; // run by another program after the list showed (empty: nothing)
    bool deleted;
};

class AccountDeletes : public CreditAccountTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(AccountDeletes, GoOnlyWhenTheStoredDebtIsCleared) {
    const DeleteCase& c = GetParam();
    setOwed("001", c.owedWhenShown);
    openManageLeaf("挂帐客人");
    ASSERT_TRUE(accounts()->locate("hang_gues_code", QString("001")));
    if (*c.meanwhile) elsewhere(QString::fromUtf8(c.meanwhile));
    deleteCurrent();
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from HangGues where hang_gues_code = '001'"), c.deleted ? 0 : 1);
    QStringList expected{"是否删除所选项目，删除后将不能恢复，请慎重!"};
    if (!c.deleted) expected << "因为此单位欠款未清，所以不能被删除！";
    EXPECT_EQ(prompter.texts(), expected);
    EXPECT_EQ(accounts()->locate("hang_gues_code", QString("001")), !c.deleted);
    expectConsistent();
}

INSTANTIATE_TEST_SUITE_P(
    CreditAccounts, AccountDeletes,
    ::testing::Values(DeleteCase{"OwingNothing", 0, "", true}, DeleteCase{"OwingHalf", 0.5, "", false},
                      // Less than half a cent is nothing owed.
                      DeleteCase{"OwingAHairAboveNothing", 0.004, "", true},
                      DeleteCase{"ChargedSinceTheListShowedNothing", 0,
                                 "update HangGues set hang_gues_use = hang_gues_use + 20 where hang_gues_code = '001'",
                                 false},
                      DeleteCase{"RepaidSinceTheListShowedADebt", 20,
                                 "update HangGues set hang_gues_use = 0 where hang_gues_code = '001'", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- repayments

TEST_F(CreditAccountTest, RepaymentsOpenOnlyWithTheSystemPassword) {
    setOwed("001", 300);
    openManageLeaf("挂帐客人");
    for (const char* wrong : {"", "wrong", "ADMIN", "123456"}) { // the account's own password is not it
        prompter.clear();
        openRepayments("001", wrong);
        EXPECT_EQ(prompter.texts(), QStringList{"密码不正确，请重新输入后确认！"}) << wrong;
        EXPECT_EQ(main->CurrentDataset, accounts()) << wrong;
        EXPECT_TRUE(control<QWidget>("pnl_HangGues")->isVisible()) << wrong;
        EXPECT_EQ(toolbar(), QStringList({"增加", "删除", "取消", "保存", "查询"})) << wrong;
    }
    prompter.clear();
    openRepayments("001", "  admin ");
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(main->CurrentDataset, manage->adoqry_HangGuesIn);
    EXPECT_TRUE(control<QWidget>("pnl_HangGuesIn")->isVisible());
    EXPECT_FALSE(control<QWidget>("pnl_HangGues")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"回退"}));
    EXPECT_EQ(control<QLabel>("lbl_HangGuesIn")->text(), "华信科技");
    EXPECT_EQ(owedShown(), "300");
    EXPECT_EQ(QApplication::focusWidget(), edit("Edit8"));
    EXPECT_TRUE(edit("Edit8")->text().isEmpty());
    EXPECT_TRUE(edit("Edit9")->text().isEmpty()); // typed again for the next account

    // "回退": the list with its toolbar, "查询" included.
    press(main->toolb_Back);
    EXPECT_EQ(main->CurrentDataset, accounts());
    EXPECT_TRUE(control<QWidget>("pnl_HangGues")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"增加", "删除", "取消", "保存", "查询"}));
    // A tree click leaves the repayments the same way.
    openRepayments();
    openManageLeaf("挂帐客人");
    EXPECT_EQ(main->CurrentDataset, accounts());
    EXPECT_EQ(toolbar(), QStringList({"增加", "删除", "取消", "保存", "查询"}));
}

TEST_F(CreditAccountTest, TheRepaymentBoxTakesAnAmountWithASignInFront) {
    openManageLeaf("挂帐客人");
    openRepayments();
    const struct {
        const char* keys;
        const char* shows;
    } cases[] = {{"1a2.3.45", "12.34"}, {"-50", "-50"}, {"5-0", "50"}, {"--1", "-1"}, {".5", ".5"}, {"1 000", "1000"},
                 {"１２", ""}}; // full-width digits are not an amount
    for (const auto& c : cases) {
        edit("Edit8")->clear();
        type("Edit8", QString::fromUtf8(c.keys));
        EXPECT_EQ(edit("Edit8")->text(), c.shows) << c.keys;
    }
}

struct RepaymentCase {
    const char* name;
    friend void PrintTo(const RepaymentCase& c, std::ostream* os) { *os << c.name; }
    double owed;
    const char* typed;
    double owedAfter;
    int stored;          // repayment rows
    const char* message; // empty: none
};

class Repayments : public CreditAccountTest, public ::testing::WithParamInterface<RepaymentCase> {};

TEST_P(Repayments, LowerTheDebtButNeverBelowNothing) {
    const RepaymentCase& c = GetParam();
    setOwed("001", c.owed);
    openManageLeaf("挂帐客人");
    openRepayments();
    prompter.clear();
    repay(QString::fromUtf8(c.typed));
    EXPECT_EQ(prompter.texts(), *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
    EXPECT_EQ(kx::toCents(owed()), kx::toCents(c.owedAfter));
    EXPECT_EQ(repayments(), c.stored);
    EXPECT_EQ(manage->adoqry_HangGuesIn->recordCount(), c.stored);
    EXPECT_EQ(kx::toCents(accounts()->field("hang_gues_use").asFloat()), kx::toCents(c.owedAfter));
    if (c.stored) {
        EXPECT_EQ(kx::db::scalarNumber(db(), "select hang_gues_inco from Hangguesin"), QString(c.typed).toDouble());
    }
    EXPECT_EQ(edit("Edit8")->text(), QString::fromUtf8(c.typed).trimmed()); // kept for the next one
    EXPECT_EQ(main->CurrentDataset, manage->adoqry_HangGuesIn);
    expectConsistent();
}

const char* const kMoreThanOwed = "还款金额不能大于已消费金额,请重新输入!";

INSTANTIATE_TEST_SUITE_P(
    CreditAccounts, Repayments,
    ::testing::Values(RepaymentCase{"AllOfIt", 300, "300", 0, 1, ""},
                      RepaymentCase{"SomeOfIt", 300, "120.5", 179.5, 1, ""},
                      RepaymentCase{"MoreThanOwed", 300, "301", 300, 0, kMoreThanOwed},
                      RepaymentCase{"ACentMoreThanOwed", 300, "300.01", 300, 0, kMoreThanOwed},
                      RepaymentCase{"AnythingWhenNothingIsOwed", 0, "1", 0, 0, kMoreThanOwed},
                      // 88.80 less a cent is stored a hair under 88.79: it is still 88.79 owed.
                      RepaymentCase{"AllOfADebtAHairUnderItsCents", 88.8 - 0.01, "88.79", 0, 1, ""},
                      RepaymentCase{"NegativeAddsToTheDebt", 300, "-50", 350, 1, ""},
                      RepaymentCase{"NothingTyped", 300, "", 300, 0, ""},
                      RepaymentCase{"OnlyASign", 300, "-", 300, 0, ""},
                      RepaymentCase{"OnlyAPoint", 300, ".", 300, 0, ""},
                      RepaymentCase{"Zero", 300, "0.00", 300, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CreditAccountTest, ARepaymentIsDatedByTheBusinessDayAndTimedByTheClock) {
    setOwed("001", 300);
    // The day the front desk works in, not the calendar's.
    kx::db::exec(db(), "update SetupPay set time_work = '2026-12-07 00:00:00'");
    openManageLeaf("挂帐客人");
    openRepayments();
    repay("100");
    EXPECT_EQ(owedShown(), "200");
    // "保存" again: a second repayment of what is still typed.
    kx::Clock::freeze(startTime().addSecs(60));
    saveRepayment();
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(owed(), 100);
    EXPECT_EQ(owedShown(), "100");
    const QStringList rows = kx::test::joinedRows(db(),
                                                  "select hang_gues_code, hang_gues_name, hang_gues_inco, "
                                                  "hang_gues_inco_date, oper_code, oper_name, time_fact "
                                                  "from Hangguesin order by time_fact",
                                                  "|", "\n")
                                 .split('\n');
    EXPECT_EQ(rows, QStringList({"001|华信科技|100|2026-12-07 00:00:00|01|管理员|2026-12-09 10:00:00",
                                 "001|华信科技|100|2026-12-07 00:00:00|01|管理员|2026-12-09 10:01:00"}));
    // The grid: both, the date as a date.
    auto* grid = control<QTableView>("DBGrid59");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->index(1, 2).data().toString(), "100");
    EXPECT_EQ(grid->model()->index(1, 3).data().toString(), "2026-12-07");
    EXPECT_EQ(grid->model()->index(1, 4).data().toString(), "管理员");
}

// A settled account recoded keeps its repayment history under the new code.
TEST_F(CreditAccountTest, RepaymentsFollowARecodedAccount) {
    setOwed("001", 100);
    openManageLeaf("挂帐客人");
    openRepayments();
    repay("100");
    press(main->toolb_Back);
    ASSERT_TRUE(accounts()->locate("hang_gues_code", QString("001")));
    type("DBEdit63", "009");
    press(main->toolb_Save);
    EXPECT_EQ(repayments("001"), 0);
    EXPECT_EQ(repayments("009"), 1);
    // Deleted once settled, its history stays.
    ASSERT_TRUE(accounts()->locate("hang_gues_code", QString("009")));
    deleteCurrent();
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from HangGues where hang_gues_code = '009'"), 0);
    EXPECT_EQ(repayments("009"), 1);
}

TEST_F(CreditAccountTest, TheRepaymentsShownAreOnlyTheAccountsOwn) {
    kx::db::exec(db(), "insert into HangGues (hang_gues_code, hang_gues_name, hang_gues_use) values ('002', '天元', 80)");
    setOwed("001", 300);
    openManageLeaf("挂帐客人");
    openRepayments("002");
    repay("30");
    press(main->toolb_Back);
    openRepayments("001");
    EXPECT_EQ(manage->adoqry_HangGuesIn->recordCount(), 0);
    EXPECT_EQ(owedShown(), "300");
    repay("30");
    EXPECT_EQ(manage->adoqry_HangGuesIn->recordCount(), 1);
    EXPECT_EQ(owed("001"), 270);
    EXPECT_EQ(owed("002"), 50);
    EXPECT_EQ(repayments("002"), 1);
}

struct MeanwhileCase {
    const char* name;
    friend void PrintTo(const MeanwhileCase& c, std::ostream* os) { *os << c.name; }
    double changedMeanwhile; // by another program, after the repayments showed 300 owed
    const char* typed;
    double owedAfter;
    const char* message;
};

class RepaymentsMeanwhile : public CreditAccountTest, public ::testing::WithParamInterface<MeanwhileCase> {};

TEST_P(RepaymentsMeanwhile, CountWhatIsStoredNotWhatTheScreenShowed) {
    const MeanwhileCase& c = GetParam();
    setOwed("001", 300);
    openManageLeaf("挂帐客人");
    openRepayments();
    ASSERT_EQ(owedShown(), "300");
    elsewhere(QStringLiteral("update HangGues set hang_gues_use = hang_gues_use + %1 where hang_gues_code = '001'")
                  .arg(c.changedMeanwhile));
    prompter.clear();
    repay(c.typed);
    EXPECT_EQ(prompter.texts(), *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
    EXPECT_EQ(kx::toCents(owed()), kx::toCents(c.owedAfter));
    EXPECT_EQ(repayments(), *c.message ? 0 : 1);
    if (!*c.message) {
        EXPECT_EQ(owedShown(), QString::number(c.owedAfter));
    }
}

INSTANTIATE_TEST_SUITE_P(
    CreditAccounts, RepaymentsMeanwhile,
    ::testing::Values(MeanwhileCase{"AChargeStaysOwed", 50, "300", 50, ""},
                      MeanwhileCase{"MoreThanShownButNotThanStored", 50, "320", 30, ""},
                      MeanwhileCase{"ARepaymentElsewhereLeavesLess", -100, "300", 200, kMoreThanOwed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CreditAccountTest, AFailedRepaymentStoresNothingAndClosesTheProgram) {
    setOwed("001", 300);
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before insert on Hangguesin begin select raise(abort, 'refused'); end");
    openManageLeaf("挂帐客人");
    openRepayments();
    repay("100");
    EXPECT_EQ(prompter.texts(), QStringList{kx::ErrorGuard::transactionFailedText("A1000020")});
    EXPECT_EQ(owed(), 300); // the debt's update went back with the refused row
    EXPECT_EQ(repayments(), 0);
    QApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
}

// ---------------------------------------------------------------- the printed list

TEST_F(CreditAccountTest, TheRepaymentListShowsEveryRepaymentAndTheirSum) {
    setOwed("001", 3000);
    kx::db::exec(db(), "insert into HangGues (hang_gues_code, hang_gues_name, hang_gues_use) values ('002', '天元', 80)");
    openManageLeaf("挂帐客人");
    openRepayments("002");
    repay("10");
    press(main->toolb_Back);
    openRepayments("001");
    repay("1200");
    repay("-50.5");
    const QString pdf = dir.path() + "/repayments.pdf";
    dialogs.fileName(pdf);
    dialogs.handle([](QDialog* preview) {
        // The preview's own button saves the list and closes the preview.
        QAction* save = preview->findChild<QAction*>("actionSavePdf");
        if (!save) return int(QDialog::Rejected);
        save->trigger();
        return preview->result();
    });
    QTest::mouseClick(control<QPushButton>("Button6"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[0].className, "QPrintPreviewDialog");
    EXPECT_EQ(dialogs.shown()[0].title, "挂帐还款一览表");
    EXPECT_EQ(dialogs.shown()[1].kind, "save");
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));

    const QString text =
        kx::backoffice::creditRepaymentList(db(), "001", "华信科技", main->OperatorName).document().toPlainText();
    for (const char* piece : {"挂帐还款一览表", "单位名称：华信科技", "编码", "单位名称", "还款金额", "还款日期", "操作员",
                              "1,200.00", "-50.50", "2026-12-09", "管理员", "合计：", "1,149.50",
                              "制表时间：2026-12-09 10:00:00"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(piece))) << piece << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("10.00")) << text.toStdString(); // another account's
    EXPECT_LT(text.indexOf("1,200.00"), text.indexOf("-50.50")); // in the order taken

    // An account without repayments still has its list.
    press(main->toolb_Back);
    kx::db::exec(db(), "insert into HangGues (hang_gues_code, hang_gues_name) values ('003', '空白')");
    accounts()->refresh();
    openRepayments("003");
    dialogs.clear();
    QTest::mouseClick(control<QPushButton>("Button6"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].title, "挂帐还款一览表");
    const QString empty =
        kx::backoffice::creditRepaymentList(db(), "003", "空白", main->OperatorName).document().toPlainText();
    EXPECT_TRUE(empty.contains("单位名称：空白"));
    EXPECT_TRUE(empty.contains("合计：")) << empty.toStdString();
    EXPECT_TRUE(empty.contains("0.00")) << empty.toStdString();
}

} // namespace
