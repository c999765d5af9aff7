// The stock tree's query screens: the statement of a trading unit's posted bills ("库存帐务")
// with the lines of its current bill and the printed bill, the movements of the goods
// ("帐务查询"), and the toolbar's "查询" that runs the query of the screen on show.
//
// Sample venue: trading units 001 鲜达食品, 002 青啤经销 (suppliers), 003 滨江宾馆 (customer);
// operator 01 管理员. No bill is posted in the sample: each test posts its own. The clock
// stands at 2026-12-09 10:00.
#include "SetupScreenTest.h"
#include "StockQueries.h"

#include <QAbstractItemView>
#include <QDateEdit>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPushButton>

using kx::db::Dataset;

namespace {

QDate day(int month, int d) {
    return QDate(2026, month, d);
}

struct Line {
    const char* code;
    const char* name;
    const char* unit;
    double price;
    double count;
    const char* remark = nullptr;
};

struct Bill {
    const char* code;
    const char* type;
    const char* unit;
    const char* unitName;
    QDateTime businessDay;
    QDateTime entered;
    std::vector<Line> lines = {};
    double payable = 0; // 应付帐款
    double paid = 0;    // 已付金额
};

class StockQueryTest : public kx::test::SetupScreenTest {
  protected:
    void SetUp() override {
        SetupScreenTest::SetUp();
        kx::db::exec(db(), "update SetupPay set user_name = '金桂园'");
    }
    // A bill posted to the archive as the stock screens post it: its lines carry its dates.
    qint64 post(const Bill& b) {
        const qint64 id = kx::db::insert(
            db(),
            "insert into AllStoreBill (stor_bill_code, stor_bill_type, stor_work_type_code, work_code, "
            "work_name_s, oper_code, stor_pay_shou, stor_pay_fact, stor_bill_run, stor_bill_date, "
            "stor_bill_date_work) "
            "values (?, ?, '01', ?, ?, '01', ?, ?, 1, ?, ?)",
            {b.code, QString::fromUtf8(b.type), b.unit, QString::fromUtf8(b.unitName), b.payable, b.paid,
             b.entered, b.businessDay});
        for (const Line& l : b.lines)
            kx::db::insert(
                db(),
                "insert into AllStoreDetail (stor_bill_ID, stor_bill_code, item_code, item_name, item_unit, "
                "item_cost_pric, item_coun, item_mone, item_rema, stor_bill_date, stor_bill_date_work) "
                "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {id, b.code, l.code, QString::fromUtf8(l.name), QString::fromUtf8(l.unit), l.price, l.count,
                 l.price * l.count, l.remark ? QString::fromUtf8(l.remark) : QVariant(), b.entered,
                 b.businessDay});
        return id;
    }
    // A bill of one line whose business day is `at`.
    qint64 postOn(const char* code, const char* unit, const char* unitName, const QDateTime& at) {
        return post(
            {code, "进货单", unit, unitName, at, at.addSecs(9 * 3600), {{"4001", "青岛啤酒", "瓶", 4, 24}}});
    }
    void openStockLeaf(const char* caption) {
        main->N8->trigger();
        QTreeWidgetItem* leaf = kx::backoffice::TFormChild::leaf(child->tv_Store, QString::fromUtf8(caption));
        ASSERT_NE(leaf, nullptr) << caption;
        QTest::mouseClick(child->tv_Store->viewport(), Qt::LeftButton, {},
                          child->tv_Store->visualItemRect(leaf).center());
        QApplication::processEvents();
    }
    QComboBox* unitBox() const { return control<QComboBox>("DBLookupComboBox10"); }
    // The unit chosen from the box's list with the keyboard: the first entry, then down.
    void chooseUnit(const QString& code) {
        QComboBox* box = unitBox();
        const int at = box->findData(code);
        ASSERT_GE(at, 0) << code.toStdString();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < at; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        ASSERT_EQ(box->currentIndex(), at);
    }
    void query() { press(main->toolb_Search); }
    void statementOf(const QString& unit, const QDate& from, const QDate& until) {
        chooseUnit(unit);
        typeDate("DateTimePicker2", from);
        typeDate("DateTimePicker3", until);
        query();
    }
    void clickRow(const char* gridName, int row) {
        auto* grid = control<QTableView>(gridName);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, 0)).center());
        QApplication::processEvents();
    }
    QStringList billCodes() const { return shown("DBGrid54", {0}); }
    QStringList lineCodes() const { return shown("DBGrid53", {0}); }
    void printBill() {
        QTest::mouseClick(control<QPushButton>("SpeedButton8"), Qt::LeftButton);
        QApplication::processEvents();
    }
};

const QDateTime kToday(QDate(2026, 12, 9), QTime(0, 0));

// ---------------------------------------------------------------- the statement

TEST_F(StockQueryTest, TheStatementOpensOnTodayWithoutAUnitAndShowsNothingUntilOneIsChosen) {
    postOn("JH001", "001", "鲜达食品", kToday);
    postOn("JH002", "002", "青啤经销", kToday);
    openStockLeaf("库存帐务");
    EXPECT_TRUE(control<QWidget>("pnl_ADetail")->isVisible());
    EXPECT_EQ(main->CurrentDataset, child->PanelQuery);
    EXPECT_EQ(toolbar(), QStringList{"查询"});
    EXPECT_TRUE(main->toolb_Search->isEnabled());
    EXPECT_EQ(control<QDateEdit>("DateTimePicker2")->date(), day(12, 9));
    EXPECT_EQ(control<QDateEdit>("DateTimePicker3")->date(), day(12, 9));
    // Only the units with posted bills, none chosen.
    EXPECT_EQ(unitBox()->count(), 2);
    EXPECT_EQ(unitBox()->itemText(0), "鲜达食品");
    EXPECT_EQ(unitBox()->itemText(1), "青啤经销");
    EXPECT_EQ(unitBox()->currentIndex(), -1);
    EXPECT_EQ(captions("DBGrid54"), QStringList({"编码", "类型", "单位简称", "操作员", "应付帐款", "已付金额",
                                                 "应收金额", "已收金额", "备注", "日期"}));
    EXPECT_EQ(captions("DBGrid53"),
              QStringList({"编码", "项目名称", "单位", "单价", "数量", "总额", "备注"}));
    EXPECT_TRUE(billCodes().isEmpty());
    query();
    EXPECT_TRUE(billCodes().isEmpty());
    EXPECT_TRUE(lineCodes().isEmpty());
    chooseUnit("002");
    query();
    EXPECT_EQ(billCodes(), QStringList{"JH002"});
    EXPECT_EQ(lineCodes(), QStringList{"4001"});
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

TEST_F(StockQueryTest, AUnitWithoutBillsInTheRangeHasAnEmptyStatement) {
    postOn("JH001", "001", "鲜达食品", QDateTime(day(11, 2), QTime(0, 0)));
    postOn("JH002", "002", "青啤经销", kToday);
    openStockLeaf("库存帐务");
    statementOf("001", day(12, 1), day(12, 9));
    EXPECT_TRUE(billCodes().isEmpty());
    EXPECT_TRUE(lineCodes().isEmpty());
    EXPECT_EQ(manage->adoqry_AllStoreBill->recordCount(), 0);
}

TEST_F(StockQueryTest, TheStatementShowsTheBillRowAsStored) {
    post({"JH001",
          "进货单",
          "001",
          "鲜达食品",
          kToday,
          kToday.addSecs(9 * 3600),
          {{"1001", "鲜肉", "斤", 12.5, 3}},
          1234.5,
          1000});
    openStockLeaf("库存帐务");
    chooseUnit("001");
    query();
    EXPECT_EQ(shown("DBGrid54"),
              QStringList{"JH001|进货单|鲜达食品|管理员|1234.50|1000.00|0.00|0.00||2026-12-09"});
    EXPECT_EQ(shown("DBGrid53"), QStringList{"1001|鲜肉|斤|12.50|3|37.50|"});
}

struct RangeCase {
    const char* name;
    friend void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }
    QDate from;
    QDate until;
    QStringList bills;
};

class StatementRange : public StockQueryTest, public ::testing::WithParamInterface<RangeCase> {};

// Both ends count as whole days, whatever time of day a business date holds.
TEST_P(StatementRange, ShowsTheBillsOfTheWholeDaysInOrder) {
    const RangeCase& c = GetParam();
    postOn("B4", "001", "鲜达食品", QDateTime(day(12, 7), QTime(23, 59, 59)));
    postOn("B1", "001", "鲜达食品", QDateTime(day(11, 30), QTime(23, 59, 59)));
    postOn("B2", "001", "鲜达食品", QDateTime(day(12, 1), QTime(0, 0)));
    postOn("B5", "001", "鲜达食品", QDateTime(day(12, 8), QTime(0, 0)));
    postOn("B3", "001", "鲜达食品", QDateTime(day(12, 5), QTime(12, 0)));
    postOn("X1", "002", "青啤经销", QDateTime(day(12, 5), QTime(0, 0))); // another unit's
    openStockLeaf("库存帐务");
    statementOf("001", c.from, c.until);
    EXPECT_EQ(billCodes(), c.bills);
}

INSTANTIATE_TEST_SUITE_P(
    StockQueries, StatementRange,
    ::testing::Values(RangeCase{"AWeek", day(12, 1), day(12, 7), {"B2", "B3", "B4"}},
                      RangeCase{"OneDayAtMidnight", day(12, 8), day(12, 8), {"B5"}},
                      RangeCase{"OneDayAtNoon", day(12, 5), day(12, 5), {"B3"}},
                      RangeCase{"EndsOnTheLastSecond", day(11, 30), day(11, 30), {"B1"}},
                      RangeCase{"EveryBill", day(11, 1), day(12, 31), {"B1", "B2", "B3", "B4", "B5"}},
                      RangeCase{"DaysBetweenBills", day(12, 2), day(12, 4), {}},
                      RangeCase{"EndBeforeStart", day(12, 7), day(12, 1), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StockQueryTest, TwoUnitsSharingAShortNameShowApart) {
    kx::db::exec(db(), "insert into WorkList (work_code, work_name, work_name_s, stor_work_type_code) "
                       "values ('004', '鲜达食品配送', '鲜达食品', '01')");
    postOn("A1", "001", "鲜达食品", kToday);
    postOn("A2", "004", "鲜达食品", kToday);
    postOn("A3", "001", "鲜达食品", kToday.addDays(-1));
    // A unit removed since keeps the name its bills carry.
    postOn("A4", "009", "旧供应商", kToday);
    openStockLeaf("库存帐务");
    ASSERT_EQ(unitBox()->count(), 3);
    EXPECT_EQ(unitBox()->itemText(0), "鲜达食品");
    EXPECT_EQ(unitBox()->itemText(1), "鲜达食品");
    EXPECT_EQ(unitBox()->itemText(2), "旧供应商");
    statementOf("004", day(12, 8), day(12, 9));
    EXPECT_EQ(billCodes(), QStringList{"A2"});
    statementOf("001", day(12, 8), day(12, 9));
    EXPECT_EQ(billCodes(), QStringList({"A3", "A1"}));
    statementOf("009", day(12, 9), day(12, 9));
    EXPECT_EQ(billCodes(), QStringList{"A4"});
}

TEST_F(StockQueryTest, TheLinesFollowTheCurrentBill) {
    post({"C1",
          "进货单",
          "001",
          "鲜达食品",
          kToday.addDays(-2),
          kToday.addDays(-2),
          {{"1001", "鲜肉", "斤", 12.5, 3}, {"1002", "鸡蛋", "斤", 5, 10}}});
    post({"C2",
          "退货单",
          "001",
          "鲜达食品",
          kToday.addDays(-1),
          kToday.addDays(-1),
          {{"1003", "青菜", "斤", 2, 8}}});
    post({"C3", "进货单", "001", "鲜达食品", kToday, kToday, {}});
    openStockLeaf("库存帐务");
    statementOf("001", day(12, 7), day(12, 9));
    ASSERT_EQ(billCodes(), QStringList({"C1", "C2", "C3"}));
    EXPECT_EQ(lineCodes(), QStringList({"1001", "1002"}));
    clickRow("DBGrid54", 1);
    EXPECT_EQ(shown("DBGrid53"), QStringList{"1003|青菜|斤|2.00|8|16.00|"});
    QTest::keyClick(control<QTableView>("DBGrid54"), Qt::Key_Down);
    EXPECT_TRUE(lineCodes().isEmpty()); // a bill without lines
    QTest::keyClick(control<QTableView>("DBGrid54"), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(lineCodes(), QStringList({"1001", "1002"}));
    // A range without bills leaves no lines of the last bill shown.
    statementOf("001", day(12, 1), day(12, 2));
    EXPECT_TRUE(billCodes().isEmpty());
    EXPECT_TRUE(lineCodes().isEmpty());
}

TEST_F(StockQueryTest, QueryingAgainAfterChangingTheDatesReadsTheArchiveAgain) {
    postOn("D1", "001", "鲜达食品", QDateTime(day(11, 20), QTime(0, 0)));
    openStockLeaf("库存帐务");
    chooseUnit("001");
    query();
    EXPECT_TRUE(billCodes().isEmpty());
    typeDate("DateTimePicker2", day(11, 1));
    query();
    EXPECT_EQ(billCodes(), QStringList{"D1"});
    // Posted meanwhile: the next query finds it.
    postOn("D2", "001", "鲜达食品", kToday);
    query();
    EXPECT_EQ(billCodes(), QStringList({"D1", "D2"}));
    typeDate("DateTimePicker3", day(11, 30));
    query();
    EXPECT_EQ(billCodes(), QStringList{"D1"});
    typeDate("DateTimePicker2", day(12, 1));
    typeDate("DateTimePicker3", day(12, 9));
    query();
    EXPECT_EQ(billCodes(), QStringList{"D2"});
}

TEST_F(StockQueryTest, ShowingTheStatementAgainStartsOver) {
    postOn("E1", "001", "鲜达食品", QDateTime(day(12, 1), QTime(0, 0)));
    openStockLeaf("库存帐务");
    statementOf("001", day(12, 1), day(12, 9));
    ASSERT_EQ(billCodes(), QStringList{"E1"});
    postOn("E2", "002", "青啤经销", kToday);
    openStockLeaf("帐务查询");
    openStockLeaf("库存帐务");
    EXPECT_EQ(control<QDateEdit>("DateTimePicker2")->date(), day(12, 9));
    EXPECT_EQ(unitBox()->currentIndex(), -1);
    EXPECT_EQ(unitBox()->count(), 2); // the unit posted meanwhile is listed
    EXPECT_TRUE(billCodes().isEmpty());
    EXPECT_TRUE(lineCodes().isEmpty());
}

// The statement's unit list is the current dataset: closing the program over it stores nothing
// and still logs the exit.
TEST_F(StockQueryTest, TheProgramClosesOverTheStatementAsOverAnyScreen) {
    postOn("K1", "001", "鲜达食品", kToday);
    openStockLeaf("库存帐务");
    statementOf("001", day(12, 9), day(12, 9));
    const QString before =
        kx::test::joinedRows(db(), "select work_code || work_name_s from AllStoreBill order by work_code");
    prompter.answer(true);
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(logTexts().last(), "[退出系统（后台）]");
    EXPECT_EQ(kx::test::joinedRows(db(), "select work_code || work_name_s from AllStoreBill order by work_code"),
              before);
    EXPECT_EQ(prompter.texts(), QStringList{"请确定是否退出Kestrix餐饮娱乐管理系统 9.0版!"});
}

// ---------------------------------------------------------------- the printed bill

TEST_F(StockQueryTest, ThePrintedBillShowsTheCurrentBill) {
    post({"F1",
          "进货单",
          "001",
          "鲜达食品",
          kToday.addDays(-1),
          kToday.addDays(-1),
          {{"1009", "别的", "个", 1, 1}}});
    const qint64 id = post({"F2",
                            "退货单",
                            "001",
                            "鲜达食品",
                            kToday,
                            QDateTime(day(12, 9), QTime(9, 30, 15)),
                            {{"1001", "鲜肉", "斤", 12.5, 1.5, "坏"}, {"1002", "鸡蛋", "箱", 1200, 2}}});
    openStockLeaf("库存帐务");
    statementOf("001", day(12, 8), day(12, 9));
    clickRow("DBGrid54", 1);
    const QString pdf = dir.path() + "/bill.pdf";
    dialogs.fileName(pdf);
    dialogs.handle([](QDialog* preview) {
        QAction* save = preview->findChild<QAction*>("actionSavePdf");
        if (!save) return int(QDialog::Rejected);
        save->trigger();
        return preview->result();
    });
    printBill();
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[0].className, "QPrintPreviewDialog");
    EXPECT_EQ(dialogs.shown()[0].title, "退货单");
    EXPECT_EQ(dialogs.shown()[1].kind, "save");
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));

    const kx::ReportFrame bill = kx::backoffice::postedStockBill(db(), id);
    EXPECT_EQ(bill.document().pageLayout().pageSize().id(), QPageSize::A4);
    const QString text = bill.document().toPlainText();
    for (const char* piece : {"退货单",
                              "单位名称：金桂园",
                              "往来单位：鲜达食品",
                              "2026-12-09",
                              "编码",
                              "项目名称",
                              "单位",
                              "单价",
                              "数量",
                              "总金额",
                              "备注",
                              "1001",
                              "鲜肉",
                              "斤",
                              "12.50",
                              "1.50",
                              "18.75",
                              "坏",
                              "1002",
                              "鸡蛋",
                              "箱",
                              "1,200.00",
                              "2,400.00",
                              "合计：",
                              "2,418.75",
                              "操作员工：管理员",
                              "录入时间：2026-12-09 09:30:15"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(piece))) << piece << "\n" << text.toStdString();
    EXPECT_LT(text.indexOf("鲜肉"), text.indexOf("鸡蛋"));     // in the order entered
    EXPECT_FALSE(text.contains("别的")) << text.toStdString(); // another bill's line
    EXPECT_FALSE(text.contains("制表人")) << text.toStdString();
}

TEST_F(StockQueryTest, WithoutACurrentBillNothingIsPrinted) {
    postOn("G1", "001", "鲜达食品", QDateTime(day(11, 1), QTime(0, 0)));
    openStockLeaf("库存帐务");
    printBill();
    chooseUnit("001");
    query(); // nothing today
    printBill();
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

// ---------------------------------------------------------------- the goods movements

class MovementTest : public StockQueryTest {
  protected:
    void SetUp() override {
        StockQueryTest::SetUp();
        // Whole amounts first: the columns' decimals must not be settled by the first row.
        post({"M1",
              "进货单",
              "001",
              "鲜达食品",
              kToday.addDays(-2),
              QDateTime(day(12, 7), QTime(9, 0)),
              {{"4003", "五粮液", "瓶", 650, 2}, {"1001", "鲜肉", "斤", 12.5, 1.5, "冻"}}});
        post({"M2",
              "退货单",
              "002",
              "青啤经销",
              kToday,
              QDateTime(day(12, 9), QTime(8, 15)),
              {{"4001", "青岛啤酒", "瓶", 4, 24}, {"AB01", "花生", "包", 3.3, 3}}});
        post({"M3",
              "进货单",
              "001",
              "鲜达食品",
              kToday,
              QDateTime(day(12, 9), QTime(9, 40)),
              {{"4001", "青岛啤酒", "瓶", 4.2, 48}}});
        post({"M4",
              "进货单",
              "002",
              "青啤经销",
              kToday.addDays(1),
              QDateTime(day(12, 10), QTime(0, 5)),
              {{"4001", "青岛啤酒", "瓶", 4, 12}}});
    }
    QStringList movements() const { return shown("DBGrid60"); }
};

TEST_F(MovementTest, TheScreenOpensOnEveryLineOfToday) {
    openStockLeaf("帐务查询");
    EXPECT_TRUE(control<QWidget>("pnl_Sds")->isVisible());
    EXPECT_EQ(main->CurrentDataset, nullptr);
    EXPECT_EQ(toolbar(), QStringList{"查询"});
    // No dataset for the record commands, but its query.
    EXPECT_TRUE(main->toolb_Search->isEnabled());
    EXPECT_EQ(control<QDateEdit>("DateTimePicker10")->date(), day(12, 9));
    EXPECT_EQ(control<QDateEdit>("DateTimePicker11")->date(), day(12, 9));
    EXPECT_EQ(edit("Edit7")->text(), "");
    EXPECT_EQ(captions("DBGrid60"), QStringList({"营业日期", "类型", "往来单位", "编码", "项目名称", "单位",
                                                 "单价", "数量", "总额", "备注", "时间"}));
    EXPECT_EQ(
        movements(),
        QStringList({"2026-12-09|退货单|青啤经销|4001|青岛啤酒|瓶|4.00|24|96.00||2026-12-09 08:15:00",
                     "2026-12-09|退货单|青啤经销|AB01|花生|包|3.30|3|9.90||2026-12-09 08:15:00",
                     "2026-12-09|进货单|鲜达食品|4001|青岛啤酒|瓶|4.20|48|201.60||2026-12-09 09:40:00"}));
}

struct MovementCase {
    const char* name;
    friend void PrintTo(const MovementCase& c, std::ostream* os) { *os << c.name; }
    const char* typed;
    QDate from;
    QDate until;
    QStringList rows; // bill type|unit|code|price|count|amount
};

class MovementQuery : public MovementTest, public ::testing::WithParamInterface<MovementCase> {};

TEST_P(MovementQuery, ListsThePostedLinesOfTheRange) {
    const MovementCase& c = GetParam();
    openStockLeaf("帐务查询");
    typeDate("DateTimePicker10", c.from);
    typeDate("DateTimePicker11", c.until);
    type("Edit7", QString::fromUtf8(c.typed));
    query();
    EXPECT_EQ(shown("DBGrid60", {1, 2, 3, 6, 7, 8}), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    StockQueries, MovementQuery,
    ::testing::Values(
        MovementCase{"EveryItemOfTheRange",
                     "",
                     day(12, 7),
                     day(12, 10),
                     {"进货单|鲜达食品|4003|650.00|2|1300.00", "进货单|鲜达食品|1001|12.50|1.5|18.75",
                      "退货单|青啤经销|4001|4.00|24|96.00", "退货单|青啤经销|AB01|3.30|3|9.90",
                      "进货单|鲜达食品|4001|4.20|48|201.60", "进货单|青啤经销|4001|4.00|12|48.00"}},
        MovementCase{"BlanksAreEveryItem",
                     "  ",
                     day(12, 7),
                     day(12, 7),
                     {"进货单|鲜达食品|4003|650.00|2|1300.00", "进货单|鲜达食品|1001|12.50|1.5|18.75"}},
        MovementCase{"OneItem",
                     "4001",
                     day(12, 1),
                     day(12, 31),
                     {"退货单|青啤经销|4001|4.00|24|96.00", "进货单|鲜达食品|4001|4.20|48|201.60",
                      "进货单|青啤经销|4001|4.00|12|48.00"}},
        MovementCase{
            "OneItemOfOneDay", "4001", day(12, 10), day(12, 10), {"进货单|青啤经销|4001|4.00|12|48.00"}},
        MovementCase{
            "ACodeTypedInLowerCase", "ab01", day(12, 9), day(12, 9), {"退货单|青啤经销|AB01|3.30|3|9.90"}},
        MovementCase{"AnItemOutsideTheRange", "4003", day(12, 8), day(12, 10), {}},
        MovementCase{"AnItemNeverPosted", "9999", day(12, 1), day(12, 31), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MovementTest, TheItemCodeIsTypedInUpperCaseAndTakesSixCharacters) {
    openStockLeaf("帐务查询");
    type("Edit7", "ab01cd99");
    EXPECT_EQ(edit("Edit7")->text(), "AB01CD");
    type("Edit7", "  ab1");
    EXPECT_EQ(edit("Edit7")->text(), "  AB1");
}

TEST_F(MovementTest, ShowingTheScreenAgainStartsFromTodayWithEveryItem) {
    openStockLeaf("帐务查询");
    typeDate("DateTimePicker10", day(12, 7));
    type("Edit7", "1001");
    query();
    ASSERT_EQ(movements().size(), 1);
    openStockLeaf("库存帐务");
    openStockLeaf("帐务查询");
    EXPECT_EQ(edit("Edit7")->text(), "");
    EXPECT_EQ(control<QDateEdit>("DateTimePicker10")->date(), day(12, 9));
    EXPECT_EQ(movements().size(), 3);
}

// ---------------------------------------------------------------- the toolbar and the trees

TEST_F(MovementTest, TheToolbarQueryRunsTheQueryOfTheScreenOnShow) {
    openStockLeaf("库存帐务");
    statementOf("001", day(12, 1), day(12, 9));
    ASSERT_EQ(billCodes(), QStringList({"M1", "M3"}));

    openStockLeaf("帐务查询");
    ASSERT_EQ(movements().size(), 3);
    type("Edit7", "4003");
    typeDate("DateTimePicker10", day(12, 1));
    query();
    EXPECT_EQ(shown("DBGrid60", {3}), QStringList{"4003"});
    // The statement's bills stay as they were read.
    EXPECT_EQ(manage->adoqry_AllStoreBill->recordCount(), 2);

    // The member list shows "查询" too: it runs neither query there.
    main->N4->trigger();
    QTreeWidgetItem* members = kx::backoffice::TFormChild::leaf(child->tv_SysManage, "会员信息");
    QTest::mouseClick(child->tv_SysManage->viewport(), Qt::LeftButton, {},
                      child->tv_SysManage->visualItemRect(members).center());
    QApplication::processEvents();
    ASSERT_TRUE(main->toolb_Search->isVisible());
    postOn("M9", "001", "鲜达食品", kToday);
    const QString billsSql = manage->adoqry_AllStoreBill->sql();
    query();
    EXPECT_EQ(manage->adoqry_AllStoreBill->sql(), billsSql);
    EXPECT_EQ(manage->adoqry_AllStoreBill->recordCount(), 2);
    EXPECT_EQ(shown("DBGrid60", {3}), QStringList{"4003"});
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();

    // Back on the statement, the toolbar's query reads the bill posted meanwhile.
    openStockLeaf("库存帐务");
    statementOf("001", day(12, 1), day(12, 9));
    EXPECT_EQ(billCodes(), QStringList({"M1", "M3", "M9"}));
}

struct ClearCase {
    const char* name;
    friend void PrintTo(const ClearCase& c, std::ostream* os) { *os << c.name; }
    const char* menu; // a menu command's action, or
    const char* leaf; // a leaf of the stock tree clicked
};

class UnitCleared : public StockQueryTest, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(UnitCleared, ByTheOtherTreesAndTheStockTreesLeaves) {
    const ClearCase& c = GetParam();
    postOn("H1", "001", "鲜达食品", kToday);
    openStockLeaf("库存帐务");
    chooseUnit("001");
    if (c.menu) {
        main->findChild<QAction*>(c.menu)->trigger();
    } else {
        QTreeWidgetItem* leaf = kx::backoffice::TFormChild::leaf(child->tv_Store, QString::fromUtf8(c.leaf));
        QTest::mouseClick(child->tv_Store->viewport(), Qt::LeftButton, {},
                          child->tv_Store->visualItemRect(leaf).center());
    }
    QApplication::processEvents();
    EXPECT_EQ(unitBox()->currentIndex(), -1);
    EXPECT_EQ(unitBox()->currentText(), "");
}

INSTANTIATE_TEST_SUITE_P(StockQueries, UnitCleared,
                         ::testing::Values(ClearCase{"SetupMenu", "N3", nullptr},
                                           ClearCase{"ManageMenu", "N4", nullptr},
                                           ClearCase{"SystemMenu", "N10", nullptr},
                                           ClearCase{"StockAdjustmentLeaf", nullptr, "库存调整"},
                                           ClearCase{"MovementsLeaf", nullptr, "帐务查询"},
                                           ClearCase{"StatementLeafItself", nullptr, "库存帐务"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
