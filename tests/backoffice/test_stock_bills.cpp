// Stock bills kept from the stock tree's "物流管理": the header with its amount edits by type,
// the lines picked from the item list, their totals when the lines are left, and "执行".
//
// Sample venue: 9001 鸡蛋 (240 at 0.6), 4001 青岛啤酒 (120 at 4, sold at 10); unit 001 鲜达食品
// (supplier type 01); operator 01.
#include "Check.h"
#include "ErrorGuard.h"
#include "RecordScreen.h"
#include "SetupScreenTest.h"

#include <QLabel>
#include <QPushButton>

using kx::db::Dataset;

namespace {

class StockBillTest : public kx::test::SetupScreenTest {
  protected:
    void choose(const char* box, const QString& value, bool byText = false) {
        auto* b = control<QComboBox>(box);
        const int at = byText ? b->findText(value) : b->findData(value);
        ASSERT_GE(at, 0) << box << value.toStdString();
        b->setCurrentIndex(at);
        emit b->activated(at);
        QApplication::processEvents();
    }
    // A new bill typed and saved.
    void newBill(const QString& type, const QString& unit = QStringLiteral("001")) {
        openStockLeaf("物流管理");
        press(main->toolb_Add);
        prompter.clear();
        type_("DBEdit86", "B0001");
        choose("DBComboBox2", type, true);
        if (!unit.isEmpty()) {
            choose("DBLookupComboBox7", kx::db::scalarText(db(), "select stor_work_type_code from WorkList where work_code = ?",
                                                          {unit}));
            choose("DBLookupComboBox8", unit);
        }
        press(main->toolb_Save);
        ASSERT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    }
    void type_(const char* edit, const QString& text) { type(edit, text); }
    // An item looked for and added with Enter, then its price and quantity typed.
    void line(const QString& item, const QString& quantity, const QString& price) {
        QLineEdit* search = edit("Edit2");
        search->setFocus();
        QTest::keyClicks(search, item);
        QTest::keyClick(search, Qt::Key_Return);
        QApplication::processEvents();
        type("DBEdit101", price);
        type("DBEdit100", quantity);
        press(main->toolb_Save);
    }
    void openLines() {
        QTest::mouseClick(control<QPushButton>("SpeedButton6"), Qt::LeftButton);
        QApplication::processEvents();
    }
    double stock(const char* item) const {
        return kx::db::scalarNumber(db(), "select item_coun from itemlist where item_code = ?", {QString(item)});
    }
};

TEST_F(StockBillTest, APurchaseIsTypedTotalledAndPosted) {
    newBill("进货单");
    Dataset* bills = manage->adoqry_StoreBill;
    EXPECT_EQ(bills->field("oper_code").asString(), "01");
    EXPECT_EQ(bills->field("stor_deta_flag").asInt(), 1);
    openLines();
    EXPECT_EQ(main->CurrentDataset, manage->adoqry_StoreDetail);
    EXPECT_EQ(toolbar(), QStringList({"删除", "取消", "保存", "回退"}));
    line("9001", "100", "0.6");
    line("4001", "24", "4.5");
    // The same item again: only moved to.
    line("9001", "120", "0.6");
    EXPECT_EQ(manage->adoqry_StoreDetail->recordCount(), 2);
    press(main->toolb_Back);
    EXPECT_EQ(main->CurrentDataset, bills);
    EXPECT_TRUE(main->toolb_run->isVisible());
    EXPECT_EQ(bills->field("stor_pay_shou").asFloat(), 120 * 0.6 + 24 * 4.5);
    type("DBEdit88", "50");
    press(main->toolb_Save);
    press(main->toolb_run);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(bills->isEmpty());
    EXPECT_EQ(stock("9001"), 240 + 120);
    EXPECT_EQ(stock("4001"), 120 + 24);
    EXPECT_EQ(kx::test::joinedRows(db(), "select work_inco_shou, work_pay_shou from WorkList where work_code = '001'"),
              "0/130");
    EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty()) << kx::db::checkDatabase(db()).join('\n').toStdString();
}

TEST_F(StockBillTest, TheAmountEditsFollowTheCurrentBillsType) {
    newBill("销售单", "003");
    EXPECT_EQ(kx::backoffice::captionOf(edit("DBEdit87"))->text(), "应收金额：");
    type("DBEdit88", "20");
    press(main->toolb_Save);
    EXPECT_EQ(manage->adoqry_StoreBill->field("stor_inco_fact").asFloat(), 20);
    newBill("进货单");
    EXPECT_EQ(kx::backoffice::captionOf(edit("DBEdit87"))->text(), "应付金额：");
    type("DBEdit88", "30");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarNumber(db(), "select stor_pay_fact from StoreBill where stor_bill_type = '进货单'"), 30);
    EXPECT_EQ(kx::db::scalarNumber(db(), "select stor_inco_fact from StoreBill where stor_bill_type = '进货单'"), 0);
    // Back on the sale: its own pair again.
    ASSERT_TRUE(manage->adoqry_StoreBill->locate("stor_bill_type", QString("销售单")));
    EXPECT_EQ(kx::backoffice::captionOf(edit("DBEdit87"))->text(), "应收金额：");
    EXPECT_EQ(edit("DBEdit88")->text(), "20");
}

// "执行" is usable only while there is a bill to post.
TEST_F(StockBillTest, PostingWaitsForABill) {
    openStockLeaf("物流管理");
    EXPECT_TRUE(main->toolb_run->isVisible());
    EXPECT_FALSE(main->toolb_run->isEnabled());
    newBill("进货单");
    EXPECT_TRUE(main->toolb_run->isEnabled());
    press(main->toolb_run);
    EXPECT_FALSE(main->toolb_run->isEnabled());
}

TEST_F(StockBillTest, ADisabledItemIsRefusedAndAHeaderNeedsItsFields) {
    kx::db::exec(db(), "update itemlist set item_limi = '禁用' where item_code = '4002'");
    openStockLeaf("物流管理");
    press(main->toolb_Add);
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "[单据类型]、[经办人]不为空！");
    press(main->toolb_Cancel);
    newBill("进货单");
    openLines();
    QLineEdit* search = edit("Edit2");
    QTest::keyClicks(search, "4002");
    QTest::keyClick(search, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(lastText(), "此消费项目已被禁用，所以不能进行进销存处理！");
    EXPECT_TRUE(search->text().isEmpty());
    EXPECT_TRUE(search->hasFocus());
    EXPECT_TRUE(manage->adoqry_StoreDetail->isEmpty());
}

// A bill left without its staff member (by an earlier version, say) is refused at "执行" too.
TEST_F(StockBillTest, AHeaderWithoutItsFieldsIsNotPosted) {
    kx::db::exec(db(), "insert into StoreBill (stor_bill_code, stor_bill_type, work_code) values ('B9', '进货单', '001')");
    manage->adoqry_StoreBill->refresh();
    openStockLeaf("物流管理");
    press(main->toolb_run);
    EXPECT_EQ(lastText(), "[单据类型]、[经办人]不为空！");
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from StoreBill"), 1);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from AllStoreBill where stor_bill_code = 'B9'"), 0);
}

// Leaving the lines through the tree totals them as "回退" does.
TEST_F(StockBillTest, LeavingTheLinesThroughTheTreeTotalsThem) {
    newBill("进货单");
    openLines();
    line("9001", "10", "0.6");
    openStockLeaf("往来管理");
    EXPECT_EQ(kx::db::scalarNumber(db(), "select stor_pay_shou from StoreBill"), 6);
}

TEST_F(StockBillTest, AnOpenBillDeletedTakesItsLines) {
    newBill("进货单");
    openLines();
    line("9001", "10", "0.6");
    press(main->toolb_Back);
    deleteCurrent();
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from StoreBill"), 0);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from StoreDetail"), 0);
}

TEST_F(StockBillTest, AFailingPostingStoresNothingAndCloses) {
    newBill("进货单");
    openLines();
    line("9001", "10", "0.6");
    press(main->toolb_Back);
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before insert on AllStoreBill begin select raise(abort, 'refused'); end");
    press(main->toolb_run);
    EXPECT_EQ(lastText(), kx::ErrorGuard::transactionFailedText("A100002"));
    QApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(stock("9001"), 240);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from StoreBill"), 1);
}

} // namespace
