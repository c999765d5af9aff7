// Trading units kept from the stock tree: unit types, units, and their accounts with receipts
// and payments applied to a unit's balance when its receipts screen is left.
//
// Sample venue: types 01 供应商 (units 001 鲜达食品, 002 青啤经销) and 02 客户 (unit 003 滨江宾馆),
// every balance 0.
#include "Check.h"
#include "ErrorGuard.h"
#include "SetupScreenTest.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

using kx::db::Dataset;

namespace {

class TradingUnitTest : public kx::test::SetupScreenTest {
  protected:
    Dataset* units() const { return manage->adoqry_Work; }
    void showUnit(const char* leaf, const QString& code) {
        openStockLeaf(leaf);
        const QString type = kx::db::scalarText(db(), "select stor_work_type_code from WorkList where work_code = ?", {code});
        ASSERT_TRUE(manage->adoqry_StoreWorkType->locate("stor_work_type_code", type));
        ASSERT_TRUE(units()->locate("work_code", code)) << code.toStdString();
    }
    void setBalance(const QString& code, double receivable, double payable) {
        kx::db::exec(db(), "update WorkList set work_inco_shou = ?, work_pay_shou = ? where work_code = ?",
                     {receivable, payable, code});
        units()->reload();
    }
    QString balance(const QString& code) const {
        QSqlQuery q = kx::db::run(db(), "select work_inco_shou, work_pay_shou from WorkList where work_code = ?", {code});
        return q.next() ? QString::number(q.value(0).toDouble()) + '/' + QString::number(q.value(1).toDouble()) : QString();
    }
    // The receipts screen of a unit, from its account.
    void openReceipts(const QString& code) {
        showUnit("往来管理", code);
        QTest::mouseClick(control<QPushButton>("SpeedButton7"), Qt::LeftButton);
        QApplication::processEvents();
    }
    // One receipt ("收款") or payment ("付款") added and saved.
    void enter(const char* edit, const QString& amount) {
        press(main->toolb_Add);
        type(edit, amount);
        press(main->toolb_Save);
    }
    void expectConsistent() const {
        EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty()) << kx::db::checkDatabase(db()).join('\n').toStdString();
    }
};

struct BalanceCase {
    const char* name;
    friend void PrintTo(const BalanceCase& c, std::ostream* os) { *os << c.name; }
    double receivable, payable;                              // before
    std::vector<std::pair<const char*, const char*>> entered; // edit, amount
    const char* after;                                       // "receivable/payable"
};

class Balances : public TradingUnitTest, public ::testing::WithParamInterface<BalanceCase> {};

TEST_P(Balances, MoveByTheUnitsReceiptsAndPayments) {
    const BalanceCase& c = GetParam();
    setBalance("001", c.receivable, c.payable);
    // Nothing may write the unit unless something was entered.
    if (c.entered.empty())
        kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before update on WorkList begin select raise(abort, 'refused'); end");
    openReceipts("001");
    EXPECT_EQ(main->CurrentDataset, manage->adoqry_WorkDetail);
    EXPECT_EQ(toolbar(), QStringList({"增加", "取消", "保存", "回退"}));
    EXPECT_EQ(control<QLabel>("lbl_WorkDetail")->text(), "往来单位：杭州鲜达食品有限公司/001");
    for (const auto& [edit, amount] : c.entered)
        enter(edit, amount);
    EXPECT_EQ(balance("001"), QString(c.receivable == 0 && c.payable == 0 ? "0/0" : QString::number(c.receivable) + '/' +
                                                                                   QString::number(c.payable)));
    press(main->toolb_Back);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(balance("001"), c.after);
    EXPECT_EQ(main->CurrentDataset, nullptr);
    EXPECT_TRUE(control<QWidget>("pnl_acco")->isVisible());
    EXPECT_TRUE(toolbar().filter(QRegularExpression("增加|删除|取消|保存|回退")).isEmpty()) << toolbar().join(',').toStdString();
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from WorkDetail where work_flag <> 0"), 0);
    expectConsistent();
}

INSTANTIATE_TEST_SUITE_P(
    Units, Balances,
    ::testing::Values(BalanceCase{"APaymentLowersAPayable", 0, 500, {{"DBEdit110", "200"}}, "0/300"},
                      BalanceCase{"AReceiptLowersAReceivable", 100, 0, {{"DBEdit109", "30"}}, "70/0"},
                      BalanceCase{"APaymentBeyondThePayableLeavesAReceivable", 0, 50, {{"DBEdit110", "80"}}, "30/0"},
                      BalanceCase{"SeveralRowsInCents", 0, 0.3, {{"DBEdit110", "0.1"}, {"DBEdit110", "0.2"}}, "0/0"},
                      BalanceCase{"AReceiptAndAPayment", 0, 100, {{"DBEdit109", "40"}, {"DBEdit110", "15"}}, "0/125"},
                      BalanceCase{"NothingEnteredWritesNothing", 0, 500, {}, "0/500"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TradingUnitTest, EachUnitAppliesOnlyItsOwnPendingRows) {
    setBalance("001", 0, 500);
    setBalance("002", 0, 300);
    // Left pending (by another way than "回退", or by an earlier version of the program).
    kx::db::exec(db(), "insert into WorkDetail (work_code, work_inco, work_pay, work_flag) values "
                       "('001', 0, 200, 1), ('002', 0, 100, 1)");
    openReceipts("001");
    press(main->toolb_Back);
    EXPECT_EQ(balance("001"), "0/300");
    EXPECT_EQ(balance("002"), "0/300");
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from WorkDetail where work_code = '002' and work_flag <> 0"), 1);
    openReceipts("002");
    // A tree click leaves it as "回退" does.
    openStockLeaf("单位类型");
    EXPECT_EQ(balance("002"), "0/200");
    expectConsistent();
}

TEST_F(TradingUnitTest, AnAppliedRowIsHistory) {
    setBalance("001", 0, 500);
    openReceipts("001");
    enter("DBEdit110", "200");
    press(main->toolb_Back);
    QTest::mouseClick(control<QPushButton>("SpeedButton7"), Qt::LeftButton);
    Dataset* rows = manage->adoqry_WorkDetail;
    ASSERT_EQ(rows->recordCount(), 1);
    type("DBEdit110", "20");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "只能增加，不能被修改！");
    EXPECT_EQ(rows->field("work_pay").asFloat(), 200);
    EXPECT_EQ(rows->state(), Dataset::Browse);
    press(main->toolb_Back);
    EXPECT_EQ(balance("001"), "0/300");
    // A new row's time is the clock's; an amount left empty is stored as 0.
    QTest::mouseClick(control<QPushButton>("SpeedButton7"), Qt::LeftButton);
    press(main->toolb_Add);
    type("DBEdit111", "note");
    press(main->toolb_Save);
    EXPECT_EQ(kx::test::joinedRows(db(), "select work_inco, work_pay, work_run_time from WorkDetail "
                                         "where work_rema = 'NOTE'"),
              "0/0/2026-12-09 10:00:00");
    press(main->toolb_Back);
    EXPECT_EQ(balance("001"), "0/300");
}

TEST_F(TradingUnitTest, AFailureWhileApplyingStoresNothingAndCloses) {
    setBalance("001", 0, 500);
    openReceipts("001");
    enter("DBEdit110", "200");
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before update of work_flag on WorkDetail begin select raise(abort, "
                       "'refused'); end");
    press(main->toolb_Back);
    EXPECT_EQ(lastText(), kx::ErrorGuard::transactionFailedText("A100003"));
    QApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(balance("001"), "0/500");
}

TEST_F(TradingUnitTest, ANewUnitTakesTheChosenTypeAndNeedsCodeAndNames) {
    showUnit("往来单位", "003");
    EXPECT_EQ(units()->recordCount(), 1); // the customers only
    press(main->toolb_Add);
    type("DBEdit95", "004");
    type("DBEdit94", "HOTEL");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "往来单位[编码]、[简称]、[名称]不能为空！");
    type("DBEdit93", "RIVER HOTEL");
    press(main->toolb_Save);
    EXPECT_EQ(kx::test::joinedRows(db(), "select stor_work_type_code, work_inco_shou, work_pay_shou "
                                         "from WorkList where work_code = '004'"),
              "02/0/0");
    openStockLeaf("单位类型");
    press(main->toolb_Add);
    type("DBEdit90", "03");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "单位类型[编码]、[名称]不能为空！");
}

struct DeleteCase {
    const char* name;
    friend void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.name; }
    const char* leaf;
    const char* prepare; // statements joined by ";"
    const char* behind;  // run after the screen read the row (another program)
    const char* code;
    const char* message; // empty: deleted
};

class Deletes : public TradingUnitTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(Deletes, KeepWhatIsStillNeeded) {
    const DeleteCase& c = GetParam();
    for (const QString& sql : QString::fromUtf8(c.prepare).split(';', Qt::SkipEmptyParts))
        kx::db::exec(db(), sql);
    const bool type = QString(c.leaf) == "单位类型";
    if (type) {
        openStockLeaf(c.leaf);
        manage->adoqry_StoreWorkType->refresh();
        ASSERT_TRUE(manage->adoqry_StoreWorkType->locate("stor_work_type_code", QString(c.code)));
    } else {
        units()->reload();
        showUnit(c.leaf, c.code);
    }
    if (*c.behind) kx::db::exec(db(), c.behind);
    deleteCurrent();
    const qint64 left = type ? kx::db::scalarInt(db(), "select count(*) from StoreWorkType where stor_work_type_code = ?",
                                                 {QString(c.code)})
                             : kx::db::scalarInt(db(), "select count(*) from WorkList where work_code = ?", {QString(c.code)});
    if (*c.message) {
        EXPECT_EQ(lastText(), QString::fromUtf8(c.message));
        EXPECT_EQ(left, 1);
    } else {
        EXPECT_EQ(left, 0) << prompter.texts().join('|').toStdString();
    }
    expectConsistent();
}

INSTANTIATE_TEST_SUITE_P(
    Units, Deletes,
    ::testing::Values(
        DeleteCase{"ATypeWithUnits", "单位类型", "", "", "01", "[单位类型]下面设有[往来单位]，所以不能被删除！"},
        DeleteCase{"ATypeWithoutUnits", "单位类型", "insert into StoreWorkType (stor_work_type_code, stor_work_type_name) "
                   "values ('09', 'X')", "", "09", ""},
        DeleteCase{"AUnitOwing", "往来单位", "update WorkList set work_pay_shou = 0.5 where work_code = '002'", "", "002",
                   "因为此单位欠款未清，所以不能被删除！"},
        DeleteCase{"AUnitOwedSinceTheScreenReadIt", "往来单位", "", "update WorkList set work_inco_shou = 12 where work_code = '002'",
                   "002", "因为此单位欠款未清，所以不能被删除！"},
        DeleteCase{"AUnitSettledInCents", "往来单位",
                   "update WorkList set work_pay_shou = 0.1 + 0.2 - 0.3 where work_code = '002'", "", "002", ""},
        DeleteCase{"AUnitOfAnOpenBill", "往来单位", "insert into StoreBill (work_code) values ('002')", "", "002",
                   "[往来单位]正在被[物流管理]使用，不能被删除!"},
        DeleteCase{"AUnitSettled", "往来单位", "", "", "002", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
