// What the manager sets up here is what the cashier's front desk then uses: the composition of
// a set menu, ordered and committed, and the class rates of a discount scheme, applied to a bill.
#include "BillCalc.h"
#include "Ordering.h"
#include "SetupScreenTest.h"
#include "TDMTable.h"

#include <QLabel>
#include <QPushButton>

namespace {

class AcrossProgramsTest : public kx::test::SetupScreenTest {
  protected:
    void TearDown() override {
        desk.reset();
        SetupScreenTest::TearDown();
    }
    // The front desk's data module on the same database, logged in as it would be.
    kx::frontdesk::TDMTable& frontDesk() {
        desk = std::make_unique<kx::frontdesk::TDMTable>(db());
        desk->openWorkingData();
        return *desk;
    }
    // A visit opened on a free table of the sample venue with the given scheme.
    qint64 openVisit(const QString& table, const QString& scheme) {
        const qint64 key = kx::db::scalarInt(db(), "select auto_recn from SetupPay");
        kx::db::exec(db(), "update SetupPay set auto_recn = auto_recn + 1");
        kx::db::exec(db(),
                     "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_type_code, dept_code, "
                     "tabl_gues_coun, tabl_gues_time, tabl_gues_use, tabl_gues_stat, orde_code, cons_mode_code, "
                     "disc_code, disc_perc) select ?, l.tabl_code, l.tabl_type_code, l.dept_code, 2, ?, 1, '2', '1', "
                     "t.cons_mode_code, ?, 0 from TableList l, TableTypeList t "
                     "where t.tabl_type_code = l.tabl_type_code and l.tabl_code = ?",
                     {key, kx::Clock::now(), scheme, table});
        kx::db::exec(db(), "update TableList set tabl_stat_code = '2', tabl_gues_auto_recn = ? where tabl_code = ?",
                     {key, table});
        return key;
    }
    // Orders one of each item on the visit's pad and commits it, as "落单" does.
    void orderAndCommit(qint64 key, const QString& table, const QStringList& items) {
        kx::frontdesk::TDMTable& dm = frontDesk();
        dm.adoqry_TableGues->setFiltered(false);
        ASSERT_TRUE(dm.adoqry_TableGues->locate("tabl_gues_auto_recn", key));
        kx::frontdesk::Ordering ordering(nullptr, &dm);
        ordering.openPad(key, table);
        dm.adoqry_ConsItem->setFiltered(false);
        for (const QString& item : items) {
            ASSERT_TRUE(dm.adoqry_ConsItem->locate("item_code", item)) << item.toStdString();
            EXPECT_EQ(ordering.pickCurrentItem(), kx::frontdesk::Ordering::Pick::Added) << item.toStdString();
        }
        dm.adoqry_TableConsTemp->checkBrowseMode();
        ordering.commitPad();
    }
    double stock(const char* item) const {
        return kx::db::scalarNumber(db(), "select item_coun from itemlist where item_code = ?", {QString(item)});
    }

    std::unique_ptr<kx::frontdesk::TDMTable> desk;
};

TEST_F(AcrossProgramsTest, ASetMenuComposedHereIsOrderedWithItsComponentsAndCountedByHand) {
    // The beer set gets two egg dishes.
    showItem("T01", "6002");
    QTest::mouseClick(control<QPushButton>("SpeedButton1"), Qt::LeftButton);
    QLineEdit* search = edit("EditDict");
    QTest::keyClicks(search, "1005");
    QTest::keyClick(search, Qt::Key_Return);
    QLineEdit* count = edit("dbe_GroupCount");
    count->selectAll();
    QTest::keyClicks(count, "2");
    QTest::keyClick(count, Qt::Key_Return);
    press(main->toolb_Back);
    ASSERT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();

    // Before: 120 beers, 240 eggs, 50 pounds of tomatoes, 20 of oil.
    ASSERT_EQ(stock("4001"), 120);
    ASSERT_EQ(stock("9001"), 240);
    const qint64 key = openVisit("A01", "N");
    orderAndCommit(key, "A01", {"6002"});

    QStringList lines;
    QSqlQuery q = kx::db::run(db(), "select item_code, tabl_cons_coun, coalesce(grou_code, '') from TableConsList "
                                    "where tabl_gues_auto_recn = ? order by item_code",
                              {key});
    while (q.next())
        lines << q.value(0).toString() + ' ' + QString::number(q.value(1).toDouble()) + ' ' + q.value(2).toString();
    EXPECT_EQ(lines, QStringList({"1005 2 6002", "2001 1 6002", "4001 6 6002", "6002 1 "}));

    // By hand: 6 beers; two dishes of 3 eggs, half a pound of tomatoes and 0.1 of oil each.
    const struct {
        const char* item;
        double count;
    } expected[] = {
        {"4001", 114}, {"9001", 234}, {"9002", 49}, {"9003", 19.8},
        {"1005", 78},  // 234 eggs / 3
        {"6002", 19},  // 114 beers / 6; the eggs (234 / 6) are more
        {"6001", 78},  // its one egg dish
    };
    for (const auto& e : expected)
        EXPECT_NEAR(stock(e.item), e.count, 1e-9) << e.item;
}

TEST_F(AcrossProgramsTest, RatesSetHereDiscountEachClassOfTheBill) {
    openLeaf("折扣");
    ASSERT_TRUE(setup->adoqry_ConsDiscount->locate("disc_code", QString("V1")));
    QTest::mouseClick(control<QPushButton>("SpeedButton3"), Qt::LeftButton);
    kx::db::Dataset* rates = setup->adoqry_ConsDiscItem;
    QLineEdit* rate = edit("DBEdit11");
    auto rateOf = [&](const QString& cls, const QString& text) {
        ASSERT_TRUE(rates->locate("clas_code", cls));
        rate->setFocus();
        rate->selectAll();
        QTest::keyClicks(rate, text);
        QTest::keyClick(rate, Qt::Key_Return);
    };
    rateOf("C01", "70");
    rateOf("D02", "80");
    ASSERT_TRUE(rates->locate("clas_code", QString("C03")));
    deleteCurrent();
    press(main->toolb_Back);

    const qint64 key = openVisit("A02", "V1");
    // 宫保鸡丁 (C01), 青岛啤酒 (D01, which takes no discount), 可乐 (D02), 米饭 (C03, no longer in the scheme).
    orderAndCommit(key, "A02", {"1001", "4001", "5001", "3001"});
    kx::frontdesk::TDMTable& dm = *desk;
    dm.adoqry_TableGues->refreshCurrent();
    kx::frontdesk::TotalDisc(dm, QString());
    QStringList paid;
    QSqlQuery q = kx::db::run(db(), "select item_code, disc_clas_perc from TableConsList where tabl_gues_auto_recn = ? "
                                    "order by item_code",
                              {key});
    while (q.next())
        paid << q.value(0).toString() + ' ' + q.value(1).toString();
    EXPECT_EQ(paid, QStringList({"1001 70", "3001 100", "4001 100", "5001 80"}));
    // 30 % of 38 and 20 % of 6: 12.6, to the yuan.
    EXPECT_EQ(dm.adoqry_TableGues->field("tabl_gues_disc").asFloat(), 13);
}

} // namespace
