// The table analysis and the ordered-items analysis, reached from the board's reports menu on a
// small archive: two departments, two shifts, every line mode, a set menu with its component, a
// bill with nothing received; the period, the typed table code, each filter and each sort, the
// printed reports with their group subtotals, totals and average margins, the charts and the CSV.
#include "DishAnalysis.h"
#include "ReportFixture.h"
#include "TableAnalysis.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QMenu>
#include <QPdfWriter>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>

namespace {

using kx::frontdesk::DishAnalysis;
using kx::frontdesk::TableAnalysis;

class AnalysisTest : public kx::test::ReportTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        prompter.clear();
        archive();
    }

    // A cleared visit: key, business date, table, department, guests, the bill's figures (dish,
    // special, minimum, room, service, discount, tax, receivable, received), how it was paid, cost.
    void visit(qint64 key, const QString& day, const QString& table, const QString& name, const QString& dept,
               int guests, const std::vector<double>& bill, const QString& paid, double cost) {
        QVariantList values{key, table, name, dept, guests};
        for (const double v : bill) values << v;
        values << paid << cost << day + " 00:00:00";
        kx::db::exec(db(),
                     "insert into AllGues (tabl_gues_auto_recn,tabl_code,tabl_name,dept_name,tabl_gues_coun,"
                     "tabl_gues_dish,tabl_gues_spec,tabl_gues_low,tabl_gues_room,tabl_gues_serv,tabl_gues_disc,"
                     "tabl_gues_tax,tabl_gues_shou,tabl_gues_fact,tabl_gues_pay_narr,cost_mone,tabl_gues_time_work) "
                     "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                     values);
    }

    struct Item {
        const char* code;
        const char* name;
        const char* clas;
        const char* kind;
        const char* dept;
        const char* shift;
        const char* point; // production point
        double price;
    };
    // An archived order line of `item`: its quantity in the column of its mode (d ordered,
    // t returned, z free, tz free given back), its total, cost, service and discount rates.
    void line(const Item& item, const QString& day, const char* mode, double count, double total, double cost,
              int serv = 100, int disc = 100, const QVariant& group = QVariant()) {
        kx::db::exec(db(),
                     QString("insert into AllCons (tabl_gues_auto_recn,item_code,item_name,item_unit,clas_name,kind_name,"
                             "dept_name,orde_name,manu_name,item_unit_pric,tabl_cons_coun,tabl_%1_bill,tabl_cons_tota,"
                             "tabl_cost_tota,serv_perc,disc_clas_perc,grou_code,tabl_cons_time_work) "
                             "values (1,?,?,'份',?,?,?,?,?,?,?,?,?,?,?,?,?,?)")
                         .arg(mode),
                     {item.code, QString::fromUtf8(item.name), QString::fromUtf8(item.clas), QString::fromUtf8(item.kind),
                      QString::fromUtf8(item.dept), QString::fromUtf8(item.shift), QString::fromUtf8(item.point),
                      item.price, count, count, total, cost, serv, disc, group, day + " 00:00:00"});
    }

    void archive() {
        visit(101, "2026-12-01", "A01", "一号台", "大厅", 4, {100, 10, 0, 0, 11, 6, 0, 115, 115}, "现金", 46);
        visit(102, "2026-12-05", "B01", "包厢一", "包厢", 6, {300, 0, 50, 100, 30, 0, 4, 484, 480}, "会员卡", 120);
        visit(103, "2026-12-09", "A01", "一号台", "大厅", 2, {0, 0, 0, 0, 0, 0, 0, 0, 0}, "免单", 5);
        visit(104, "2026-11-30", "A01", "一号台", "大厅", 9, {900, 0, 0, 0, 0, 0, 0, 900, 900}, "现金", 1);

        const Item pork{"1001", "红烧肉", "热菜", "菜品", "大厅", "早班", "厨房", 20};
        const Item fish{"1002", "清蒸鱼", "海鲜", "菜品", "包厢", "晚班", "厨房", 100};
        const Item meat{"1003", "回锅肉", "热菜", "菜品", "大厅", "早班", "厨房", 15};
        const Item beer{"2001", "啤酒", "啤酒", "酒水", "包厢", "晚班", "吧台", 10};
        const Item fruit{"3001", "果盘", "水果", "小吃", "大厅", "早班", "厨房", 30};
        const Item set{"9001", "套餐A", "套餐", "菜品", "大厅", "早班", "厨房", 100};
        // Every mode of one item: ordered 3 (service 10%), returned 1, free 2, free given back 1.
        line(pork, "2026-12-01", "d", 3, 60, 24, 10);
        line(pork, "2026-12-01", "t", 1, -20, -8, 10);
        line(pork, "2026-12-02", "z", 2, 0, 16);
        line(pork, "2026-12-02", "tz", 1, 0, -8);
        line(pork, "2026-11-30", "d", 9, 180, 72); // before the period
        line(fish, "2026-12-05", "d", 2, 200, 80, 100, 90); // no service charge, discount rate 90
        line(meat, "2026-12-09", "d", 6, 80, 30);
        line(beer, "2026-12-05", "d", 5, 50, 20, 10, 80); // service and discount
        line(fruit, "2026-12-09", "z", 1, 0, 5);          // free only: no sales
        line(set, "2026-12-09", "d", 1, 100, 30);
        line(pork, "2026-12-09", "d", 1, 0, 10, 100, 100, "9001"); // the set menu's component
    }

    TableAnalysis* openRooms() {
        entry("N6")->trigger();
        return work->rooms.peek();
    }
    DishAnalysis* openDishes() {
        entry("N3")->trigger();
        return work->dishes.peek();
    }

    // The period, the table code typed, then "重新统计".
    void runRooms(TableAnalysis* s, const QString& start, const QString& end, const QString& code = {}) {
        typeDate(s->startDate, start);
        typeDate(s->endDate, end);
        s->Edit_TablCode->setFocus();
        s->Edit_TablCode->selectAll();
        QTest::keyClick(s->Edit_TablCode, Qt::Key_Delete);
        QTest::keyClicks(s->Edit_TablCode, code);
        QTest::mouseClick(s->rerunButton, Qt::LeftButton);
    }

    // The period and the filter (none when `choice` is empty), then "重新统计".
    void runDishes(DishAnalysis* s, const QString& start, const QString& end, const QString& choice = {},
                   const QString& value = {}) {
        typeDate(s->startDate, start);
        typeDate(s->endDate, end);
        if (s->filterBox->isChecked() != !choice.isEmpty()) QTest::mouseClick(s->filterBox, Qt::LeftButton);
        if (!choice.isEmpty()) {
            s->choiceBox->setCurrentIndex(s->choiceBox->findText(choice));
            s->valueBox->setCurrentIndex(s->valueBox->findText(value));
        }
        QTest::mouseClick(s->rerunButton, Qt::LeftButton);
    }

    // Chooses a sort from the list with the keyboard, as a cashier does.
    static void chooseSort(DishAnalysis* s, const QString& sort) {
        s->cmb_Sort->setFocus();
        const int to = s->cmb_Sort->findText(sort);
        while (s->cmb_Sort->currentIndex() > to) QTest::keyClick(s->cmb_Sort, Qt::Key_Up);
        while (s->cmb_Sort->currentIndex() < to) QTest::keyClick(s->cmb_Sort, Qt::Key_Down);
    }

    // Renders the report to a PDF (into KESTRIX_SHOTS when set, to be looked at); its pages.
    static int toPdf(const kx::ReportDocument& doc, const QString& name) {
        QTemporaryDir out;
        const QString dir = qEnvironmentVariableIsEmpty("KESTRIX_SHOTS") ? out.path() : qEnvironmentVariable("KESTRIX_SHOTS");
        QPdfWriter writer(dir + "/" + name);
        writer.setPageLayout(doc.pageLayout());
        return doc.render(&writer);
    }
};

const QString kPork = "1001|红烧肉|3|1|2|1|3|40.00|40.00|44.00|24.00|45.5%";
const QString kFish = "1002|清蒸鱼|2|0|0|0|2|0.00|200.00|180.00|80.00|55.6%";
const QString kMeat = "1003|回锅肉|6|0|0|0|6|0.00|80.00|80.00|30.00|62.5%";
const QString kBeer = "2001|啤酒|5|0|0|0|5|0.00|50.00|45.00|20.00|55.6%";
const QString kFruit = "3001|果盘|0|0|1|0|1|30.00|0.00|0.00|5.00|0.0%";
const QString kSet = "9001|套餐A|1|0|0|0|1|0.00|100.00|100.00|30.00|70.0%";

TEST_F(AnalysisTest, BothReportsAreInTheMenuAndOpenOnToday) {
    QMenu* menu = work->toolb_Report->menu();
    emit menu->aboutToShow();
    EXPECT_TRUE(entry("N6")->isVisible());
    EXPECT_TRUE(entry("N3")->isVisible());
    EXPECT_EQ(entry("N6")->text(), "房台分析报表");
    EXPECT_EQ(entry("N3")->text(), "点单分析报表");

    TableAnalysis* rooms = openRooms();
    ASSERT_NE(rooms, nullptr);
    EXPECT_EQ(main->CurrentPanel(), rooms->panel);
    EXPECT_EQ(rooms->panel->objectName(), "pnl_B2");
    EXPECT_EQ(rooms->startDate->date(), QDate(2026, 12, 9));
    EXPECT_EQ(rooms->endDate->date(), QDate(2026, 12, 9));
    EXPECT_EQ(captions(rooms->grid_Rooms),
              QStringList({"时间", "帐单", "台桌号", "台桌名", "人数", "酒菜消费", "最低消费", "房间消费", "服务费", "折扣金额",
                           "收税金额", "实收金额", "应收金额", "付款方式", "酒菜成本", "毛利率"}));
    EXPECT_EQ(rows(rooms->grid_Rooms, 3), QStringList({"2026-12-09|103|A01"})); // today's bill only
    QTest::mouseClick(rooms->backButton, Qt::LeftButton);
    EXPECT_EQ(main->CurrentPanel()->objectName(), "pnl_TableState");

    DishAnalysis* dishes = openDishes();
    ASSERT_NE(dishes, nullptr);
    EXPECT_EQ(main->CurrentPanel(), dishes->panel);
    EXPECT_EQ(dishes->panel->objectName(), "pnl_B3");
    EXPECT_EQ(captions(dishes->grid_Dishes), QStringList({"编码", "项目名称", "点单", "退单", "赠单", "退赠", "合计", "赠单总额",
                                                          "总金额", "销售额", "成本", "毛利率"}));
    QStringList choices, sorts;
    for (int i = 0; i < dishes->choiceBox->count(); ++i) choices << dishes->choiceBox->itemText(i);
    for (int i = 0; i < dishes->cmb_Sort->count(); ++i) sorts << dishes->cmb_Sort->itemText(i);
    EXPECT_EQ(choices, QStringList({"大类", "部门", "出品", "班次"}));
    EXPECT_EQ(sorts, QStringList({"编号", "总数", "总金额", "销售额"}));
    EXPECT_EQ(rows(dishes->grid_Dishes), QStringList({kMeat, kFruit, kSet})); // today's, without the component
    QStringList buttons;
    for (QToolButton* b : {dishes->rerunButton, dishes->printButton, dishes->csvButton, dishes->chartButton, dishes->backButton})
        buttons << b->text();
    EXPECT_EQ(buttons, QStringList({"重新统计", "预览/打印", "导出CSV", "图表", "回退"}));
}

TEST_F(AnalysisTest, TheTableReportListsThePeriodsBillsByDepartment) {
    struct Case {
        const char* what;
        const char* start;
        const char* end;
        const char* code;
        QStringList rows;
    };
    const QString b102 = "2026-12-05|102|B01|包厢一|6|300.00|50.00|100.00|30.00|0.00|4.00|480.00|484.00|会员卡|120.00|75.0%";
    const QString b101 = "2026-12-01|101|A01|一号台|4|110.00|0.00|0.00|11.00|6.00|0.00|115.00|115.00|现金|46.00|60.0%";
    const QString b103 = "2026-12-09|103|A01|一号台|2|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|免单|5.00|0.0%";
    const Case cases[] = {
        {"both ends included, ordered by department", "2026-12-01", "2026-12-09", "", {b102, b101, b103}},
        {"a typed table code lists that table's bills only", "2026-12-01", "2026-12-09", "A01", {b101, b103}},
        {"another table", "2026-12-01", "2026-12-09", "B01", {b102}},
        {"a code with a quote finds nothing and breaks nothing", "2026-12-01", "2026-12-09", "A'1", {}},
        {"an empty period", "2026-10-01", "2026-10-31", "", {}},
    };
    TableAnalysis* s = openRooms();
    ASSERT_NE(s, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        runRooms(s, c.start, c.end, QString::fromUtf8(c.code));
        EXPECT_EQ(rows(s->grid_Rooms), c.rows);
    }
    EXPECT_TRUE(prompter.texts().isEmpty());

    // Enter in the code runs the report too.
    s->Edit_TablCode->setFocus();
    s->Edit_TablCode->selectAll();
    QTest::keyClicks(s->Edit_TablCode, "B01");
    typeDate(s->startDate, "2026-12-01");
    typeDate(s->endDate, "2026-12-09");
    s->Edit_TablCode->setFocus();
    QTest::keyClick(s->Edit_TablCode, Qt::Key_Return);
    EXPECT_EQ(rows(s->grid_Rooms), QStringList({b102}));
}

TEST_F(AnalysisTest, ReportRoomIsOneTablesBillsForAnyCaller) {
    kx::db::Dataset bills(db(), "bills");
    kx::frontdesk::ReportRoom(bills, {QDate(2026, 12, 9), QDate(2026, 12, 9)}, "A01");
    ASSERT_EQ(bills.recordCount(), 1);
    EXPECT_EQ(bills.valueAt(0, bills.fieldIndex("tabl_gues_auto_recn")).toInt(), 103);
    kx::frontdesk::ReportRoom(bills, {QDate(2026, 12, 1), QDate(2026, 12, 9)});
    EXPECT_EQ(bills.recordCount(), 3);
    EXPECT_DOUBLE_EQ(bills.valueAt(1, bills.fieldIndex("tabl_gues_dish_one")).toDouble(), 110); // dish + special
}

// The per-mode quantities, the free items' value, the net sales and the margins, under each
// filter and in each sort order.
TEST_F(AnalysisTest, TheItemsReportCountsEveryModeUnderEachFilterAndSort) {
    struct Case {
        const char* what;
        const char* start;
        const char* choice;
        const char* value;
        const char* sort;
        QStringList rows;
    };
    const Case cases[] = {
        {"by code; every mode, the component and the day before left out", "2026-12-01", "", "", "编号",
         {kPork, kFish, kMeat, kBeer, kFruit, kSet}},
        {"by count, ties by code", "2026-12-01", "", "", "总数", {kMeat, kBeer, kPork, kFish, kFruit, kSet}},
        {"by line total", "2026-12-01", "", "", "总金额", {kFish, kSet, kMeat, kBeer, kPork, kFruit}},
        {"by net sales", "2026-12-01", "", "", "销售额", {kFish, kSet, kMeat, kBeer, kPork, kFruit}},
        {"one kind", "2026-12-01", "大类", "酒水", "编号", {kBeer}},
        {"one department", "2026-12-01", "部门", "包厢", "编号", {kFish, kBeer}},
        {"one production point", "2026-12-01", "出品", "吧台", "编号", {kBeer}},
        {"one shift, by net sales", "2026-12-01", "班次", "早班", "销售额", {kSet, kMeat, kPork, kFruit}},
        {"an empty period", "2026-10-01", "", "", "编号", {}},
    };
    DishAnalysis* s = openDishes();
    ASSERT_NE(s, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        chooseSort(s, QString::fromUtf8(c.sort));
        runDishes(s, c.start, c.start == QString("2026-10-01") ? "2026-10-31" : "2026-12-09", QString::fromUtf8(c.choice),
                  QString::fromUtf8(c.value));
        EXPECT_EQ(rows(s->grid_Dishes), c.rows);
    }
    // The value lists: from the archive, without the components' lines.
    QTest::mouseClick(s->filterBox, Qt::LeftButton);
    s->choiceBox->setCurrentIndex(s->choiceBox->findText("出品"));
    QStringList points;
    for (int i = 0; i < s->valueBox->count(); ++i) points << s->valueBox->itemText(i);
    EXPECT_EQ(points, QStringList({"厨房", "吧台"}));
}

TEST_F(AnalysisTest, ChoosingASortRerunsAtOnce) {
    DishAnalysis* s = openDishes();
    runDishes(s, "2026-12-01", "2026-12-09");
    EXPECT_EQ(rows(s->grid_Dishes, 1), QStringList({"1001", "1002", "1003", "2001", "3001", "9001"}));
    chooseSort(s, "总金额");
    EXPECT_EQ(rows(s->grid_Dishes, 1), QStringList({"1002", "9001", "1003", "2001", "1001", "3001"}));
    chooseSort(s, "编号");
    EXPECT_EQ(rows(s->grid_Dishes, 1), QStringList({"1001", "1002", "1003", "2001", "3001", "9001"}));
}

TEST_F(AnalysisTest, TheTablePrintIsGroupedByDepartmentWithSubtotals) {
    TableAnalysis* s = openRooms();
    runRooms(s, "2026-12-01", "2026-12-09");
    const kx::ReportDocument doc = s->report().document();
    const QString text = doc.toPlainText();
    const QStringList expected = {
        "房台分析报表",
        "统计时段：2026-12-01至2026-12-09",
        "日期\t单号\t房台\t人数\t酒菜\t低消\t房间费\t服务费\t折扣\t税额\t应收\t实收\t成本\t毛利率",
        "部门：包厢",
        "2026-12-05\t102\t包厢一\t6\t300.00\t50.00\t100.00\t30.00\t0.00\t4.00\t484.00\t480.00\t120.00\t75.0%",
        "小计\t1\t\t6\t300.00\t50.00\t100.00\t30.00\t0.00\t4.00\t484.00\t480.00\t120.00\t75.0%",
        "部门：大厅",
        // Bills 101 and 103: the margins 60% and 0% average 30%.
        "小计\t2\t\t6\t110.00\t0.00\t0.00\t11.00\t6.00\t0.00\t115.00\t115.00\t51.00\t30.0%",
        "合计\t3\t\t12\t410.00\t50.00\t100.00\t41.00\t6.00\t4.00\t599.00\t595.00\t171.00\t45.0%",
        "制表时间：2026-12-09 10:00:00    制表人：管理员",
    };
    for (const QString& piece : expected) EXPECT_TRUE(text.contains(piece)) << piece.toStdString() << "\n" << text.toStdString();
    EXPECT_LT(text.indexOf("部门：包厢"), text.indexOf("部门：大厅"));
    EXPECT_EQ(text.count("小计"), 2);
    EXPECT_GE(toPdf(doc, "table-analysis.pdf"), 1);

    // An empty period prints the frame and a "合计" of no bills.
    runRooms(s, "2026-10-01", "2026-10-31");
    const QString empty = s->report().document().toPlainText();
    EXPECT_FALSE(empty.contains("部门："));
    EXPECT_TRUE(empty.contains("合计\t0\t\t0\t0.00")) << empty.toStdString();

    QTest::mouseClick(s->printButton, Qt::LeftButton);
    ASSERT_FALSE(dialogs.shown().isEmpty());
    EXPECT_EQ(dialogs.shown().last().title, "房台分析报表");
}

TEST_F(AnalysisTest, TheItemsPrintIsGroupedByKindAndClassWhateverTheSort) {
    DishAnalysis* s = openDishes();
    chooseSort(s, "总数"); // 1003 (6), 2001 (5), 1001 (3): the class 热菜 split in the grid
    runDishes(s, "2026-12-01", "2026-12-09");
    const kx::ReportDocument doc = s->report().document();
    const QString text = doc.toPlainText();
    const QString heads = "编码\t项目名称\t单位\t点单\t退单\t赠单\t退赠\t总数\t赠单额\t销售额\t成本\t毛利率";
    const QStringList expected = {
        "点单分析报表",
        "统计时段：2026-12-01至2026-12-09\t分类综合统计",
        "大类名称：菜品",
        "分类名称：热菜\n" + heads + "\n1003\t回锅肉\t份\t6\t0\t0\t0\t6\t0.00\t80.00\t30.00\t62.5%\n"
                                    "1001\t红烧肉\t份\t3\t1\t2\t1\t3\t40.00\t44.00\t24.00\t45.5%\n"
                                    // the margins 62.5% and 45.45% average 54.0%
                                    "小计\t2\t\t9\t1\t2\t1\t9\t40.00\t124.00\t54.00\t54.0%",
        "分类名称：水果\n" + heads + "\n3001\t果盘\t份\t0\t0\t1\t0\t1\t30.00\t0.00\t5.00\t0.0%\n"
                                    "小计\t1\t\t0\t0\t1\t0\t1\t30.00\t0.00\t5.00\t0.0%",
        "合计\t6\t\t17\t1\t3\t1\t18\t70.00\t449.00\t189.00\t48.2%",
    };
    for (const QString& piece : expected) EXPECT_TRUE(text.contains(piece)) << piece.toStdString() << "\n" << text.toStdString();
    // Five classes, each once with its captions and its subtotal; the kinds in order.
    EXPECT_EQ(text.count("分类名称："), 5);
    EXPECT_EQ(text.count(heads), 5);
    EXPECT_EQ(text.count("小计"), 5);
    EXPECT_EQ(text.count("大类名称："), 3);
    EXPECT_LT(text.indexOf("大类名称：小吃"), text.indexOf("大类名称：菜品"));
    EXPECT_LT(text.indexOf("大类名称：菜品"), text.indexOf("大类名称：酒水"));
    EXPECT_GE(toPdf(doc, "items-analysis.pdf"), 1);

    // With a filter: its subtitle.
    runDishes(s, "2026-12-01", "2026-12-09", "大类", "酒水");
    const QString filtered = s->report().document().toPlainText();
    EXPECT_TRUE(filtered.contains("统计时段：2026-12-01至2026-12-09\t大类:酒水")) << filtered.toStdString();
    EXPECT_TRUE(filtered.contains("合计\t1\t\t5\t0\t0\t0\t5\t0.00\t45.00\t20.00\t55.6%"));
}

TEST_F(AnalysisTest, TheChartsShowTheTopItemsAndTheDepartments) {
    // Twenty more items of rising sales: the chart keeps the 20 that sold most.
    for (int i = 1; i <= 20; ++i)
        kx::db::exec(db(),
                     "insert into AllCons (item_code,item_name,clas_name,kind_name,tabl_d_bill,tabl_cons_tota,"
                     "tabl_cost_tota,tabl_cons_time_work) values (?,?,'凉菜','菜品',1,?,0,'2026-12-03 00:00:00')",
                     {5000 + i, QString("凉菜%1").arg(i), 50 + i});
    DishAnalysis* s = openDishes();
    runDishes(s, "2026-12-01", "2026-12-09");
    QTest::mouseClick(s->chartButton, Qt::LeftButton);
    EXPECT_EQ(s->pages->currentWidget(), s->chartView);
    ASSERT_EQ(s->chartView->charts().size(), 1u);
    const kx::BarChart& top = s->chartView->charts()[0];
    ASSERT_EQ(top.labels().size(), 20);
    EXPECT_EQ(top.labels().first(), "清蒸鱼");
    EXPECT_DOUBLE_EQ(top.values().front(), 180);
    EXPECT_EQ(top.labels()[1], "套餐A");
    EXPECT_EQ(top.labels()[2], "回锅肉");
    EXPECT_EQ(top.labels()[3], "凉菜20");
    EXPECT_EQ(top.labels().last(), "凉菜4"); // 凉菜3 … 凉菜1 and the rest left out
    // Under a filter, its items only.
    runDishes(s, "2026-12-01", "2026-12-09", "部门", "包厢");
    EXPECT_EQ(s->chartView->charts()[0].labels(), QStringList({"清蒸鱼", "啤酒"}));

    TableAnalysis* r = openRooms();
    runRooms(r, "2026-12-01", "2026-12-09");
    QTest::mouseClick(r->chartButton, Qt::LeftButton);
    ASSERT_EQ(r->chartView->charts().size(), 1u);
    EXPECT_EQ(r->chartView->charts()[0].labels(), QStringList({"包厢", "大厅"}));
    EXPECT_EQ(r->chartView->charts()[0].values(), std::vector<double>({480, 115}));
}

TEST_F(AnalysisTest, CsvHoldsEachGridAsShown) {
    QTemporaryDir out;
    TableAnalysis* r = openRooms();
    runRooms(r, "2026-12-01", "2026-12-09", "B01");
    const QString rooms = QString::fromUtf8(TableAnalysis::csvOf(r->grid_Rooms).mid(3));
    EXPECT_EQ(rooms, "时间,帐单,台桌号,台桌名,人数,酒菜消费,最低消费,房间消费,服务费,折扣金额,收税金额,实收金额,应收金额,付款方式,"
                     "酒菜成本,毛利率\r\n2026-12-05 00:00:00,102,B01,包厢一,6,300,50,100,30,0,4,480,484,会员卡,120,75\r\n");

    DishAnalysis* s = openDishes();
    runDishes(s, "2026-12-01", "2026-12-09", "出品", "吧台");
    const QString path = out.filePath("items.csv");
    dialogs.fileName(path);
    QTest::mouseClick(s->csvButton, Qt::LeftButton);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll().mid(3)),
              "编码,项目名称,点单,退单,赠单,退赠,合计,赠单总额,总金额,销售额,成本,毛利率\r\n"
              "2001,啤酒,5,0,0,0,5,0,50,45,20,55.555556\r\n");
}

} // namespace
