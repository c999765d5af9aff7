// Stock posting: an open bill applied in one step — archive, stock, average cost, the counts of
// set menus and composites, the trading unit's balance.
//
// Sample venue: 9001 鸡蛋 (ingredient, 240 in stock at 0.6), 4001 青岛啤酒 (120 at 4, sold at 10),
// the composite 1005 and set menus 6001/6002 counted from them; units 001 (supplier) and 003
// (customer), balances 0.
#include "Check.h"
#include "Connection.h"
#include "Errors.h"
#include "Schema.h"
#include "Sql.h"
#include "StockPosting.h"
#include "TestDb.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace kx::db;

namespace {

class StockPostingTest : public ::testing::Test {
  protected:
    void SetUp() override { prepareDatabase(tdb.db(), true, QDate(2026, 12, 10)); }
    QSqlDatabase db() const { return tdb.db(); }

    struct Line {
        const char* item;
        double quantity;
        double price;
    };
    // An open bill with its lines, as the bill screens leave it (amounts not yet totalled).
    qint64 bill(const QString& type, const QString& unit, std::initializer_list<Line> lines, double paid = 0) {
        const qint64 id = insert(db(),
                                 QStringLiteral("INSERT INTO StoreBill (stor_bill_code, stor_bill_type, work_code, oper_code, "
                                                "stor_pay_fact, stor_inco_fact, stor_bill_date, stor_bill_date_work) "
                                                "VALUES ('B1', ?, ?, '01', ?, ?, '2026-12-10 09:00:00', '2026-12-10 00:00:00')"),
                                 {type, unit.isEmpty() ? QVariant() : QVariant(unit), type == "进货单" ? paid : 0.0,
                                  type == "进货单" ? 0.0 : paid});
        for (const Line& l : lines)
            exec(db(),
                 QStringLiteral("INSERT INTO StoreDetail (stor_bill_ID, stor_bill_code, item_code, item_name, item_coun, "
                                "item_cost_pric, stor_bill_date, stor_bill_date_work) SELECT ?, 'B1', item_code, item_name, "
                                "?, ?, '2026-12-10 09:00:00', '2026-12-10 00:00:00' FROM itemlist WHERE item_code = ?"),
                 {id, l.quantity, l.price, QString::fromLatin1(l.item)});
        return id;
    }
    void itemIs(const QString& code, double stock, double cost, double price) {
        exec(db(), QStringLiteral("UPDATE itemlist SET item_coun = ?, item_cost_pric = ?, item_unit_pric = ? "
                                  "WHERE item_code = ?"),
             {stock, cost, price, code});
    }
    QString costAndStock(const QString& code) const {
        QSqlQuery q = run(db(), QStringLiteral("SELECT item_cost_pric, item_coun FROM itemlist WHERE item_code = ?"), {code});
        q.next();
        return QString::number(q.value(0).toDouble(), 'f', 2) + ", " + QString::number(q.value(1).toDouble());
    }
    QString balance(const QString& unit) const {
        QSqlQuery q = run(db(), QStringLiteral("SELECT work_inco_shou, work_pay_shou FROM WorkList WHERE work_code = ?"), {unit});
        q.next();
        return QString::number(q.value(0).toDouble()) + '/' + QString::number(q.value(1).toDouble());
    }
    void expectConsistent() const {
        EXPECT_TRUE(checkDatabase(db()).isEmpty()) << checkDatabase(db()).join('\n').toStdString();
    }
    kx::test::TempDatabase tdb;
};

struct CostCase {
    const char* name;
    friend void PrintTo(const CostCase& c, std::ostream* os) { *os << c.name; }
    double stock, cost, price; // of 4001 before
    const char* type;
    double quantity, linePrice;
    bool averageCost;
    const char* after; // "cost, stock"
};

class Costing : public StockPostingTest, public ::testing::WithParamInterface<CostCase> {};

TEST_P(Costing, AveragesAPurchaseAsTheRulesSay) {
    const CostCase& c = GetParam();
    itemIs("4001", c.stock, c.cost, c.price);
    ASSERT_TRUE(postStockBill(db(), bill(QString::fromUtf8(c.type), "001", {{"4001", c.quantity, c.linePrice}}),
                              c.averageCost));
    EXPECT_EQ(costAndStock("4001"), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Stock, Costing,
    ::testing::Values(CostCase{"ABelowPriceAverage", 10, 5, 12, "进货单", 10, 7, true, "6.00, 20"},
                      CostCase{"APriceNotAboveTheAverageKeepsTheCost", 10, 5, 6, "进货单", 10, 7, true, "5.00, 20"},
                      CostCase{"StockPlusQuantityZeroKeepsTheCost", -5, 5, 12, "进货单", 5, 7, true, "5.00, 0"},
                      CostCase{"ANegativeStockCountsAsNone", -5, 5, 12, "进货单", 10, 7, true, "7.00, 5"},
                      CostCase{"AveragingOffKeepsTheCost", 10, 5, 12, "进货单", 10, 7, false, "5.00, 20"},
                      CostCase{"ASaleNeverChangesTheCost", 10, 5, 12, "销售单", 3, 7, true, "5.00, 7"},
                      CostCase{"AReturnLowersTheStock", 10, 5, 12, "退货单", 4, 5, true, "5.00, 6"},
                      CostCase{"AQuantityOfZeroChangesNothing", -5, 5, 12, "进货单", 0, 7, true, "5.00, -5"},
                      CostCase{"AnAverageInCents", 1, 1, 12, "进货单", 2, 1.01, true, "1.01, 3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StockPostingTest, TheBillMovesToTheArchiveUnderItsNumberWithItsTotals) {
    const qint64 id = bill("进货单", "001", {{"9001", 100, 0.6}, {"9002", 10, 4.05}}, 20);
    ASSERT_TRUE(postStockBill(db(), id, true));
    EXPECT_EQ(scalarInt(db(), "SELECT count(*) FROM StoreBill"), 0);
    EXPECT_EQ(scalarInt(db(), "SELECT count(*) FROM StoreDetail"), 0);
    QSqlQuery q = run(db(), "SELECT stor_pay_shou, stor_inco_shou, work_name_s, stor_deta_flag FROM AllStoreBill "
                            "WHERE stor_bill_ID = ?",
                      {id});
    ASSERT_TRUE(q.next());
    EXPECT_DOUBLE_EQ(q.value(0).toDouble(), 100.5);
    EXPECT_DOUBLE_EQ(q.value(1).toDouble(), 0);
    EXPECT_EQ(q.value(2).toString(), "鲜达食品");
    EXPECT_EQ(q.value(3).toInt(), 1);
    EXPECT_EQ(scalarInt(db(), "SELECT count(*) FROM AllStoreDetail WHERE stor_bill_ID = ? AND stor_deta_flag = 1", {id}), 2);
    EXPECT_DOUBLE_EQ(scalarNumber(db(), "SELECT sum(item_mone) FROM AllStoreDetail WHERE stor_bill_ID = ?", {id}), 100.5);
    // 100.5 owed, 20 paid.
    EXPECT_EQ(balance("001"), "0/80.5");
    // The set menus and composites count from their components' new stock.
    EXPECT_EQ(scalarInt(db(), "SELECT count(*) FROM itemlist i JOIN viewReTotal v ON v.grou_code = i.item_code "
                              "WHERE abs(i.item_coun - v.retotal) > 0.001"),
              0);
    expectConsistent();
    // Posted once: again, nothing.
    EXPECT_FALSE(postStockBill(db(), id, true));
    EXPECT_EQ(costAndStock("9001"), "0.60, 340");
    EXPECT_EQ(scalarInt(db(), "SELECT count(*) FROM AllStoreBill WHERE stor_bill_ID = ?", {id}), 1);
}

TEST_F(StockPostingTest, TheUnitsBalanceMovesByEachBillsNet) {
    ASSERT_TRUE(postStockBill(db(), bill("进货单", "001", {{"9001", 500, 0.6}}), true)); // 300 unpaid
    EXPECT_EQ(balance("001"), "0/300");
    // A payment of 50 applied on the account screen.
    exec(db(), "UPDATE WorkList SET work_pay_shou = work_pay_shou - 50 WHERE work_code = '001'");
    ASSERT_TRUE(postStockBill(db(), bill("退货单", "001", {{"9001", 100 / 0.6, 0.6}}), true)); // a return of 100
    EXPECT_EQ(balance("001"), "0/150");
    // A sale to a customer, partly paid, and one to nobody.
    ASSERT_TRUE(postStockBill(db(), bill("销售单", "003", {{"4001", 6, 10}}, 20), true));
    EXPECT_EQ(balance("003"), "40/0");
    ASSERT_TRUE(postStockBill(db(), bill("销售单", "", {{"4001", 1, 10}}), true));
    EXPECT_EQ(balance("003"), "40/0");
    expectConsistent();
}

TEST_F(StockPostingTest, ATypeChangedBeforePostingTakesItsTotalsAlong) {
    const qint64 id = bill("销售单", "003", {{"4001", 6, 10}});
    totalStockBill(db(), id);
    EXPECT_DOUBLE_EQ(scalarNumber(db(), "SELECT stor_inco_shou FROM StoreBill WHERE stor_bill_ID = ?", {id}), 60);
    exec(db(), "UPDATE StoreBill SET stor_bill_type = '进货单' WHERE stor_bill_ID = ?", {id});
    ASSERT_TRUE(postStockBill(db(), id, false));
    EXPECT_EQ(balance("003"), "0/60");
    EXPECT_EQ(costAndStock("4001"), "4.00, 126"); // averaging off: its cost stays
}

// The front desk commits a sale of the same item on its own connection while the bill is
// being posted: both changes stay.
TEST_F(StockPostingTest, AFrontDeskCommitMeanwhileIsKept) {
    Connection frontDesk;
    frontDesk.open(tdb.path());
    const qint64 id = bill("进货单", "001", {{"4001", 24, 5}});
    exec(frontDesk.db(), "UPDATE itemlist SET item_coun = item_coun - 3 WHERE item_code = '4001'");
    ASSERT_TRUE(postStockBill(db(), id, true));
    exec(frontDesk.db(), "UPDATE itemlist SET item_coun = item_coun - 2 WHERE item_code = '4001'");
    EXPECT_EQ(scalarNumber(db(), "SELECT item_coun FROM itemlist WHERE item_code = '4001'"), 120 - 3 + 24 - 2);
}

TEST_F(StockPostingTest, AFailureLeavesEverythingAsItWas) {
    const qint64 id = bill("进货单", "001", {{"4001", 10, 7}});
    kx::test::createRefusingTrigger(db(), "CREATE TRIGGER kx_refuse BEFORE UPDATE OF work_pay_shou ON WorkList BEGIN SELECT raise(abort, 'refused'); END");
    const QString before = costAndStock("4001");
    EXPECT_THROW(postStockBill(db(), id, true), kx::DbError);
    EXPECT_EQ(costAndStock("4001"), before);
    EXPECT_EQ(scalarInt(db(), "SELECT count(*) FROM StoreBill WHERE stor_bill_ID = ?", {id}), 1);
    EXPECT_EQ(scalarInt(db(), "SELECT count(*) FROM StoreDetail WHERE stor_bill_ID = ?", {id}), 1);
    EXPECT_EQ(scalarInt(db(), "SELECT count(*) FROM AllStoreBill WHERE stor_bill_ID = ?", {id}), 0);
    EXPECT_EQ(balance("001"), "0/0");
}

} // namespace
