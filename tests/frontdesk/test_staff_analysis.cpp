// The operations analysis and the performance analysis, reached from the board's reports menu
// on a small archive: two operators (one with a quote in the name), a booking clerk, three
// commission staff in three groups of two areas, two booked visits, a bill whose commission
// staff earned nothing, lines without commission staff and a set menu's component; every mode
// with and without a name, the lists of the staff drop-down, the seven printed reports with
// their sums, the charts, the CSV and the permission.
#include "OperationAnalysis.h"
#include "PerformanceAnalysis.h"
#include "ReportFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPdfWriter>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>

namespace {

using kx::frontdesk::OperationAnalysis;
using kx::frontdesk::PerformanceAnalysis;
using kx::frontdesk::StaffReportScreen;

const QString kLi = "李强";
const QString kWang = "王'芳"; // a quote in the name: bound, never spliced
const QString kZhang = "张敏";  // took a booking, never opened a visit

class StaffAnalysisTest : public kx::test::ReportTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        prompter.clear();
        archive();
    }

    struct Bill {
        qint64 key;
        const char* day;
        const char* table;
        const char* tableName;
        int guests;
        std::vector<double> figures; // dish, special, minimum, room, service, discount, tax, receivable, received, cost
        const char* paid;
        QString oper;
        QString booker; // empty: not opened from a booking
        const char* staffCode;
        const char* staff;
        const char* group;
        const char* area;
        const char* way; // the commission's kind
        double commission;
        std::vector<double> performance; // tota_y, tota_z, tota_l, tota_stan
    };
    void visit(const Bill& b) {
        QVariantList v{b.key, QString::fromUtf8(b.table), QString::fromUtf8(b.tableName), b.guests};
        for (const double f : b.figures) v << f;
        v << QString::fromUtf8(b.paid) << b.oper << (b.booker.isEmpty() ? 0 : 1)
          << (b.booker.isEmpty() ? QVariant() : QVariant(b.booker)) << QString::fromUtf8(b.staffCode)
          << QString::fromUtf8(b.staff) << QString::fromUtf8(b.group) << QString::fromUtf8(b.area)
          << QString::fromUtf8(b.way) << b.commission;
        for (const double p : b.performance) v << p;
        v << QString::fromUtf8(b.day) + " 00:00:00";
        kx::db::exec(db(),
                     "insert into AllGues (tabl_gues_auto_recn,tabl_code,tabl_name,tabl_gues_coun,tabl_gues_dish,"
                     "tabl_gues_spec,tabl_gues_low,tabl_gues_room,tabl_gues_serv,tabl_gues_disc,tabl_gues_tax,"
                     "tabl_gues_shou,tabl_gues_fact,cost_mone,tabl_gues_pay_narr,oper_name,book_flag,book_oper_name,"
                     "dedu_oper_code,dedu_oper_name,grou_name,area_name,dedu_type,dedu_mone,tota_y,tota_z,tota_l,"
                     "tota_stan,tabl_gues_time_work) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                     v);
    }

    // An archived order line: quantity in the column of its mode (d ordered, z free), its total,
    // cost and commission, who ordered it and which commission staff member it counts for.
    void line(qint64 key, const char* day, const char* code, const char* name, const char* unit, double price,
              const char* mode, double count, double total, double cost, double commission, const QString& oper,
              const char* staffCode, const char* staff, int serv = 100, int disc = 100,
              const QVariant& group = QVariant()) {
        kx::db::exec(db(),
                     QString("insert into AllCons (tabl_gues_auto_recn,item_code,item_name,item_unit,clas_name,kind_name,"
                             "item_unit_pric,tabl_cons_coun,tabl_%1_bill,tabl_cons_tota,tabl_cost_tota,tabl_dedu_tota,"
                             "oper_name,dedu_oper_code,dedu_oper_name,serv_perc,disc_clas_perc,grou_code,"
                             "tabl_cons_time_work) values (?,?,?,?,'热菜','菜品',?,?,?,?,?,?,?,?,?,?,?,?,?)")
                         .arg(mode),
                     {key, code, QString::fromUtf8(name), QString::fromUtf8(unit), price, count, count, total, cost,
                      commission, oper, staffCode ? QVariant(QString::fromUtf8(staffCode)) : QVariant(),
                      staff ? QVariant(QString::fromUtf8(staff)) : QVariant(), serv, disc, group,
                      QString::fromUtf8(day) + " 00:00:00"});
    }

    void archive() {
        visit({201, "2026-12-01", "A01", "一号台", 4, {100, 10, 0, 0, 11, 6, 0, 115, 115, 46}, "现金", kLi, {},
               "S01", "刘洋", "营销一组", "娱乐区", "指定", 11.5, {0, 115, 0, 1000}});
        // Opened by 王'芳 from 李强's booking.
        visit({202, "2026-12-03", "B01", "包厢一", 6, {300, 0, 50, 100, 30, 0, 4, 484, 480, 120}, "会员卡", kWang, kLi,
               "S02", "赵敏", "营销二组", "娱乐区", "预定", 24, {480, 0, 0, 800}});
        // The commission staff member earned nothing on it.
        visit({203, "2026-12-05", "A02", "二号台", 2, {80, 0, 0, 0, 0, 0, 0, 80, 80, 30}, "现金", kLi, {}, "S01",
               "刘洋", "营销一组", "娱乐区", "指定", 0, {0, 80, 0, 1000}});
        visit({204, "2026-12-07", "B02", "包厢二", 8, {500, 0, 0, 200, 50, 20, 10, 740, 740, 200}, "现金", kWang,
               kZhang, "S03", "陈红", "迎宾组", "前厅", "领位", 37, {0, 0, 740, 500}});
        visit({205, "2026-12-09", "A01", "一号台", 3, {60, 0, 0, 0, 0, 0, 0, 60, 60, 20}, "现金", kLi, {}, "S01",
               "刘洋", "营销一组", "娱乐区", "指定", 6, {0, 60, 0, 1000}});
        // The day before the period.
        visit({206, "2026-11-30", "A01", "一号台", 9, {900, 0, 0, 0, 0, 0, 0, 900, 900, 300}, "现金", kLi, kZhang,
               "S01", "刘洋", "营销一组", "娱乐区", "指定", 99, {0, 900, 0, 1000}});

        line(201, "2026-12-01", "1001", "红烧肉", "份", 20, "d", 3, 60, 24, 6, kLi, "S01", "刘洋", 10); // service 10%
        line(201, "2026-12-01", "2001", "啤酒", "瓶", 10, "d", 5, 50, 20, 0, kLi, nullptr, nullptr);  // no commission staff
        line(202, "2026-12-03", "1001", "红烧肉", "份", 20, "d", 2, 40, 16, 4, kWang, "S02", "赵敏");
        line(202, "2026-12-03", "1002", "清蒸鱼", "条", 100, "d", 1, 100, 40, 10, kWang, "S02", "赵敏", 100, 90);
        line(204, "2026-12-07", "9001", "套餐A", "份", 100, "d", 1, 100, 30, 8, kWang, "S03", "陈红");
        // The set menu's component.
        line(204, "2026-12-07", "1001", "红烧肉", "份", 20, "d", 1, 0, 10, 2, kWang, "S03", "陈红", 100, 100, "9001");
        line(205, "2026-12-09", "2001", "啤酒", "瓶", 10, "z", 2, 0, 8, 0, kLi, "S01", "刘洋"); // free
        line(206, "2026-11-30", "1001", "红烧肉", "份", 20, "d", 9, 180, 72, 30, kLi, "S01", "刘洋");
    }

    OperationAnalysis* openOperations() {
        entry("N7")->trigger();
        return work->operations.peek();
    }
    PerformanceAnalysis* openPerformance() {
        entry("N8")->trigger();
        return work->performance.peek();
    }

    static QToolButton* button(StaffReportScreen* s, const char* name) {
        auto* b = s->panel->findChild<QToolButton*>(name);
        EXPECT_NE(b, nullptr) << name;
        return b;
    }

    // Chooses a name in the staff drop-down with the keyboard (the list is read as the first key
    // arrives); an empty name takes the choice back with Delete.
    static void chooseStaff(StaffReportScreen* s, const QString& name) {
        s->staffBox->setFocus();
        if (name.isEmpty()) {
            QTest::keyClick(s->staffBox, Qt::Key_Delete);
            return;
        }
        QTest::keyClick(s->staffBox, Qt::Key_Home);
        while (s->staffBox->currentText() != name && s->staffBox->currentIndex() < s->staffBox->count() - 1)
            QTest::keyClick(s->staffBox, Qt::Key_Down);
        ASSERT_EQ(s->staffBox->currentText(), name);
    }

    // A label of the screen shows `text` (the heading above it).
    static bool shows(StaffReportScreen* s, const QString& text) {
        for (QLabel* l : s->panel->findChildren<QLabel*>())
            if (l->text() == text) return true;
        return false;
    }

    static QStringList names(StaffReportScreen* s) {
        s->staffBox->fill();
        QStringList out;
        for (int i = 0; i < s->staffBox->count(); ++i) out << s->staffBox->itemText(i);
        return out;
    }

    // The mode's toggle, the period, the name, then "重新查询".
    void runMode(StaffReportScreen* s, const char* mode, const QString& name, const char* rerun,
                 const QString& start = "2026-12-01", const QString& end = "2026-12-09") {
        QTest::mouseClick(button(s, mode), Qt::LeftButton);
        typeDate(s->startDate, start);
        typeDate(s->endDate, end);
        chooseStaff(s, name);
        QTest::mouseClick(button(s, rerun), Qt::LeftButton);
    }

    // Some cells of every row of a grid, joined by "|".
    static QStringList cells(QTableView* grid, const std::vector<int>& columns) {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            QStringList row;
            for (const int c : columns) row << grid->model()->index(r, c).data().toString();
            out << row.join('|');
        }
        return out;
    }

    static QString printed(StaffReportScreen* s, const QString& pdf) {
        const kx::ReportDocument doc = s->report().document();
        QTemporaryDir out;
        const QString dir = qEnvironmentVariableIsEmpty("KESTRIX_SHOTS") ? out.path() : qEnvironmentVariable("KESTRIX_SHOTS");
        QPdfWriter writer(dir + "/" + pdf);
        writer.setPageLayout(doc.pageLayout());
        EXPECT_GE(doc.render(&writer), 1);
        EXPECT_GT(QFileInfo(dir + "/" + pdf).size(), 0);
        return doc.toPlainText();
    }
};

TEST_F(StaffAnalysisTest, BothScreensOpenFromTheMenuInTheirFirstMode) {
    QMenu* menu = work->toolb_Report->menu();
    emit menu->aboutToShow();
    EXPECT_TRUE(entry("N7")->isVisible());
    EXPECT_TRUE(entry("N8")->isVisible());

    OperationAnalysis* o = openOperations();
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(main->CurrentPanel(), o->panel);
    EXPECT_EQ(o->panel->objectName(), "pnl_B4");
    EXPECT_EQ(o->startDate->date(), QDate(2026, 12, 9));
    EXPECT_EQ(o->endDate->date(), QDate(2026, 12, 9));
    EXPECT_TRUE(shows(o, "点菜（操作）分析报表"));
    EXPECT_EQ(o->staffCaption->text(), "操作员工");
    EXPECT_TRUE(button(o, "ToolButton74")->isChecked());
    EXPECT_EQ(o->subScreens->objectName(), "pnl_B4P");
    EXPECT_EQ(o->subScreens->currentWidget()->objectName(), "pnl_B41");
    QStringList buttons;
    for (const char* b : {"ToolButton74", "ToolButton75", "ToolButton89", "ToolButton69", "ToolButton70"})
        buttons << button(o, b)->text();
    EXPECT_EQ(buttons, QStringList({"点单分析", "结帐分析", "预订分析", "重新查询", "预览/打印"}));
    EXPECT_EQ(captions(o->modeGrids[0]), QStringList({"编码", "项目名称", "单位", "点单", "退单", "赠单", "退赠", "合计",
                                                      "赠单总额", "总金额", "销售额", "成本", "毛利率"}));
    const QStringList bills = {"日期",     "单号",     "台桌号",   "台桌名称", "客人数量", "酒菜消费", "最低消费", "房间费",
                               "服务费",   "折扣金额", "收税金额", "应收金额", "实收金额", "付款方式", "成本",     "毛利率"};
    EXPECT_EQ(captions(o->modeGrids[1]), bills);
    EXPECT_EQ(captions(o->modeGrids[2]), bills);
    // Today's lines, everybody's.
    EXPECT_EQ(cells(o->modeGrids[0], {0, 2, 7, 8}), QStringList({"2001|瓶|2|20.00"}));
    EXPECT_EQ(o->staffBox->currentIndex(), -1);
    QTest::mouseClick(o->backButton, Qt::LeftButton);
    EXPECT_EQ(main->CurrentPanel()->objectName(), "pnl_TableState");

    PerformanceAnalysis* p = openPerformance();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(prompter.texts().isEmpty());
    EXPECT_EQ(main->CurrentPanel(), p->panel);
    EXPECT_EQ(p->panel->objectName(), "pnl_B5");
    EXPECT_EQ(p->staffCaption->text(), "提成员工：");
    EXPECT_TRUE(button(p, "ToolButton76")->isChecked());
    EXPECT_EQ(p->subScreens->objectName(), "pnl_B5P");
    EXPECT_EQ(p->subScreens->currentWidget()->objectName(), "pnl_B51");
    buttons.clear();
    for (const char* b : {"ToolButton76", "ToolButton77", "ToolButton78", "ToolButton79", "ToolButton65", "ToolButton66"})
        buttons << button(p, b)->text();
    EXPECT_EQ(buttons, QStringList({"点单分析", "点单统计", "帐单分析", "帐单统计", "重新查询", "预览/打印"}));
    EXPECT_EQ(captions(p->modeGrids[0]),
              QStringList({"编码", "项目名称", "单位", "总数", "总金额", "销售金额", "提成员工编码", "提成员工", "提成金额"}));
    EXPECT_EQ(captions(p->modeGrids[1]), QStringList({"提成员工编码", "提成员工", "总数", "总金额", "销售金额", "提成金额"}));
    EXPECT_EQ(captions(p->modeGrids[2]),
              QStringList({"日期", "单号", "台桌号", "台桌名称", "客人数", "收税金额", "应收金额", "实收金额", "组名",
                           "提成员工", "提成类型", "提成金额", "提成业绩", "收款方式"}));
    EXPECT_EQ(captions(p->modeGrids[3]), QStringList({"组名", "提成员工", "应收金额", "实收金额", "收税金额", "提成金额",
                                                      "业绩合计", "预定业绩", "指定业绩", "领位业绩", "业绩标准"}));
    EXPECT_EQ(cells(p->modeGrids[0], {0, 7}), QStringList({"2001|刘洋"}));
}

TEST_F(StaffAnalysisTest, WithoutSFThePerformanceScreenDoesNotOpen) {
    kx::db::exec(db(), "update Limitedlist set limi_real=0 where limi_code='SF'");
    QWidget* board = main->CurrentPanel();
    PerformanceAnalysis* p = openPerformance();
    EXPECT_EQ(prompter.texts(), QStringList({"SF你没有操作此项功能的权限，请与系统管理员联系！"}));
    EXPECT_EQ(main->CurrentPanel(), board);
    EXPECT_TRUE(!p || !p->panel->isVisible());
}

// Every mode with and without a name: who and what each lists.
TEST_F(StaffAnalysisTest, ANameNarrowsEveryModeAndNoneListsEverybody) {
    struct Case {
        const char* what;
        bool performance;
        const char* mode;
        QString name;
        std::vector<int> keys; // the columns that tell the rows apart
        QStringList rows;
    };
    const Case cases[] = {
        {"ordered items, everybody's; the component left out", false, "ToolButton74", {}, {0, 3}, {"1001|5", "1002|1", "2001|5", "9001|1"}},
        {"ordered items of one operator", false, "ToolButton74", kLi, {0, 3}, {"1001|3", "2001|5"}},
        {"ordered items of the operator with a quote", false, "ToolButton74", kWang, {0, 3}, {"1001|2", "1002|1", "9001|1"}},
        {"checked-out bills, everybody's", false, "ToolButton75", {}, {1}, {"201", "202", "203", "204", "205"}},
        {"checked-out bills of the visits one opened", false, "ToolButton75", kLi, {1}, {"201", "203", "205"}},
        {"checked-out bills of the other", false, "ToolButton75", kWang, {1}, {"202", "204"}},
        {"booked visits only", false, "ToolButton89", {}, {1}, {"202", "204"}},
        {"a booking counts for who took it, not who opened the visit", false, "ToolButton89", kLi, {1}, {"202"}},
        {"the booking clerk", false, "ToolButton89", kZhang, {1}, {"204"}},
        {"commission lines only, by member", true, "ToolButton76", {}, {0, 6}, {"1001|S01", "2001|S01", "1001|S02", "1002|S02", "9001|S03"}},
        {"one member's lines", true, "ToolButton76", "赵敏", {0, 6}, {"1001|S02", "1002|S02"}},
        {"the lines summed per member", true, "ToolButton77", {}, {1, 5}, {"刘洋|6.00", "赵敏|14.00", "陈红|8.00"}},
        {"one member's sum", true, "ToolButton77", "陈红", {1, 5}, {"陈红|8.00"}},
        {"bills with a commission only", true, "ToolButton78", {}, {1}, {"201", "202", "204", "205"}},
        {"one member's bills, the one without commission left out", true, "ToolButton78", "刘洋", {1}, {"201", "205"}},
        {"per area, group and member, the bill without commission left out", true, "ToolButton79", {}, {0, 1, 3},
         {"迎宾组|陈红|740.00", "营销一组|刘洋|175.00", "营销二组|赵敏|480.00"}},
        {"one member's totals", true, "ToolButton79", "刘洋", {0, 1, 3}, {"营销一组|刘洋|175.00"}},
    };
    OperationAnalysis* o = openOperations();
    PerformanceAnalysis* p = openPerformance();
    ASSERT_TRUE(o && p);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StaffReportScreen* s = c.performance ? static_cast<StaffReportScreen*>(p) : o;
        if (main->CurrentPanel() != s->panel) entry(c.performance ? "N8" : "N7")->trigger();
        runMode(s, c.mode, c.name, c.performance ? "ToolButton65" : "ToolButton69");
        EXPECT_EQ(s->subScreens->currentWidget(), s->subPanels[size_t(s->mode())]);
        EXPECT_EQ(cells(s->modeGrids[size_t(s->mode())], c.keys), c.rows);
    }
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(StaffAnalysisTest, TheGridsShowEachModesFigures) {
    OperationAnalysis* o = openOperations();
    runMode(o, "ToolButton74", {}, "ToolButton69");
    EXPECT_EQ(rows(o->modeGrids[0]),
              QStringList({"1001|红烧肉|份|5|0|0|0|5|0.00|100.00|106.00|40.00|62.3%",
                           "1002|清蒸鱼|条|1|0|0|0|1|0.00|100.00|90.00|40.00|55.6%",
                           "2001|啤酒|瓶|5|0|2|0|7|20.00|50.00|50.00|28.00|44.0%",
                           "9001|套餐A|份|1|0|0|0|1|0.00|100.00|100.00|30.00|70.0%"}));
    runMode(o, "ToolButton89", {}, "ToolButton69");
    EXPECT_EQ(rows(o->modeGrids[2]),
              QStringList({"2026-12-03|202|B01|包厢一|6|300.00|50.00|100.00|30.00|0.00|4.00|484.00|480.00|会员卡|120.00|75.0%",
                           "2026-12-07|204|B02|包厢二|8|500.00|0.00|200.00|50.00|20.00|10.00|740.00|740.00|现金|200.00|73.0%"}));
    runMode(o, "ToolButton75", kLi, "ToolButton69");
    EXPECT_EQ(rows(o->modeGrids[1], 6), QStringList({"2026-12-01|201|A01|一号台|4|110.00", "2026-12-05|203|A02|二号台|2|80.00",
                                                      "2026-12-09|205|A01|一号台|3|60.00"}));

    PerformanceAnalysis* p = openPerformance();
    runMode(p, "ToolButton76", "刘洋", "ToolButton65");
    EXPECT_EQ(rows(p->modeGrids[0]),
              QStringList({"1001|红烧肉|份|3|60.00|66.00|S01|刘洋|6.00", "2001|啤酒|瓶|2|0.00|0.00|S01|刘洋|0.00"}));
    runMode(p, "ToolButton77", {}, "ToolButton65");
    EXPECT_EQ(rows(p->modeGrids[1]), QStringList({"S01|刘洋|5|60.00|66.00|6.00", "S02|赵敏|3|140.00|130.00|14.00",
                                                   "S03|陈红|1|100.00|100.00|8.00"}));
    runMode(p, "ToolButton78", "刘洋", "ToolButton65");
    EXPECT_EQ(rows(p->modeGrids[2]),
              QStringList({"2026-12-01|201|A01|一号台|4|0.00|115.00|115.00|营销一组|刘洋|指定|11.50|115.00|现金",
                           "2026-12-09|205|A01|一号台|3|0.00|60.00|60.00|营销一组|刘洋|指定|6.00|60.00|现金"}));
    runMode(p, "ToolButton79", {}, "ToolButton65");
    EXPECT_EQ(rows(p->modeGrids[3]),
              QStringList({"迎宾组|陈红|740.00|740.00|10.00|37.00|740.00|0.00|0.00|740.00|500.00",
                           "营销一组|刘洋|175.00|175.00|0.00|17.50|175.00|0.00|175.00|0.00|1,000.00",
                           "营销二组|赵敏|484.00|480.00|4.00|24.00|480.00|480.00|0.00|0.00|800.00"}));
}

// Each mode's caption and list of the staff drop-down; a mode change empties the name chosen.
TEST_F(StaffAnalysisTest, TheStaffListFollowsTheMode) {
    OperationAnalysis* o = openOperations();
    EXPECT_EQ(names(o), QStringList({kLi, kWang}));
    chooseStaff(o, kWang);
    QTest::mouseClick(button(o, "ToolButton89"), Qt::LeftButton);
    EXPECT_EQ(o->staffCaption->text(), "预订员工");
    EXPECT_EQ(o->staffBox->currentIndex(), -1);
    EXPECT_EQ(names(o), QStringList({kZhang, kLi}));
    EXPECT_TRUE(shows(o, "预订（操作）分析报表"));
    EXPECT_FALSE(shows(o, "点菜（操作）分析报表"));
    // F6 is "结帐分析" while the screen shows.
    QTest::keyClick(o->staffBox, Qt::Key_F6);
    EXPECT_TRUE(button(o, "ToolButton75")->isChecked());
    EXPECT_EQ(o->subScreens->currentWidget()->objectName(), "pnl_B42");
    EXPECT_EQ(o->staffCaption->text(), "操作员工");
    EXPECT_EQ(names(o), QStringList({kLi, kWang}));
    QTest::mouseClick(button(o, "ToolButton74"), Qt::LeftButton);
    EXPECT_TRUE(shows(o, "点单（操作）分析报表"));

    PerformanceAnalysis* p = openPerformance();
    // Opened from the menu: every name of the order lines, also one without a code.
    kx::db::exec(db(), "insert into AllCons (item_code,dedu_oper_name,tabl_cons_time_work) values ('1001','孙丽','2026-12-02 00:00:00')");
    EXPECT_EQ(names(p), QStringList({"刘洋", "孙丽", "赵敏", "陈红"}));
    QTest::mouseClick(button(p, "ToolButton76"), Qt::LeftButton);
    EXPECT_EQ(names(p), QStringList({"刘洋", "赵敏", "陈红"}));
    QTest::mouseClick(button(p, "ToolButton77"), Qt::LeftButton);
    EXPECT_EQ(names(p), QStringList({"刘洋", "孙丽", "赵敏", "陈红"}));
    p->staffBox->setFocus();
    QTest::keyClick(p->staffBox, Qt::Key_F8);
    EXPECT_TRUE(button(p, "ToolButton79")->isChecked());
    EXPECT_EQ(names(p), QStringList({"刘洋", "赵敏", "陈红"}));
    EXPECT_EQ(p->staffCaption->text(), "提成员工：");

    // Another screen's opening empties the list and the choice; Enter runs the report.
    chooseStaff(p, "陈红");
    openOperations();
    EXPECT_EQ(p->staffBox->count(), 0);
    EXPECT_EQ(p->staffBox->currentIndex(), -1);
    openPerformance();
    QTest::mouseClick(button(p, "ToolButton78"), Qt::LeftButton);
    typeDate(p->startDate, "2026-12-01");
    chooseStaff(p, "陈红");
    QTest::keyClick(p->staffBox, Qt::Key_Return);
    EXPECT_EQ(cells(p->modeGrids[2], {1}), QStringList({"204"}));
    chooseStaff(p, {});
    QTest::keyClick(p->staffBox, Qt::Key_Return);
    EXPECT_EQ(cells(p->modeGrids[2], {1}), QStringList({"201", "202", "204", "205"}));
}

// The seven printed reports (and two more with a name chosen), each by the mode that is down:
// its title, subtitle, captions, a row and its "合计" against a hand count.
TEST_F(StaffAnalysisTest, EachModesPrintCarriesItsTitleSubtitleAndSums) {
    struct Case {
        bool performance;
        const char* mode;
        QString name;
        const char* pdf;
        QStringList pieces;
    };
    const Case cases[] = {
        {false, "ToolButton74", {}, "operations-items.pdf",
         {"员工点单（操作）分析报表", "统计时段：2026-12-01至2026-12-09\t全部员工统计",
          "编码\t项目名称\t单位\t点单\t退单\t赠单\t退赠\t总数\t赠单额\t销售额\t成本\t毛利率",
          "2001\t啤酒\t瓶\t5\t0\t2\t0\t7\t20.00\t50.00\t28.00\t44.0%",
          // the margins 62.26%, 55.56%, 44% and 70% average 57.95%
          "合计\t4\t\t12\t0\t2\t0\t14\t20.00\t346.00\t138.00\t58.0%"}},
        {false, "ToolButton75", kLi, "operations-bills.pdf",
         {"员工结帐(操作)分析报表", "统计时段：2026-12-01至2026-12-09\t操作员工:李强",
          "日期\t单号\t房台\t人数\t酒菜\t低消\t房间费\t服务费\t折扣\t税额\t应收\t实收\t成本\t毛利率",
          "2026-12-01\t201\t一号台\t4\t110.00\t0.00\t0.00\t11.00\t6.00\t0.00\t115.00\t115.00\t46.00\t60.0%",
          // 60%, 62.5% and 66.67% average 63.06%
          "合计\t3\t\t9\t250.00\t0.00\t0.00\t11.00\t6.00\t0.00\t255.00\t255.00\t96.00\t63.1%"}},
        {false, "ToolButton89", {}, "operations-booked.pdf",
         {"员工预订(操作)分析报表", "统计时段：2026-12-01至2026-12-09\t全部员工统计",
          "合计\t2\t\t14\t800.00\t50.00\t300.00\t80.00\t20.00\t14.00\t1,224.00\t1,220.00\t320.00\t74.0%"}},
        {false, "ToolButton89", kZhang, "operations-booked-one.pdf",
         {"员工预订(操作)分析报表", "\t操作员工:张敏",
          "合计\t1\t\t8\t500.00\t0.00\t200.00\t50.00\t20.00\t10.00\t740.00\t740.00\t200.00\t73.0%"}},
        {true, "ToolButton76", {}, "performance-items.pdf",
         {"点单业绩分析报表", "统计时段：2026-12-01至2026-12-09\t全部提成员工统计",
          "编号\t消费项目\t单位\t总数\t总金额\t销售额\t员工编号\t提成员工\t提成金额",
          "1002\t清蒸鱼\t条\t1\t100.00\t90.00\tS02\t赵敏\t10.00", "合计\t5\t\t9\t300.00\t296.00\t\t\t28.00"}},
        {true, "ToolButton77", "赵敏", "performance-item-totals.pdf",
         {"点单业绩统计报表", "\t提成员工:赵敏", "员工编号\t提成员工\t项目总数\t总金额\t销售额\t提成金额",
          "S02\t赵敏\t3\t140.00\t130.00\t14.00", "合计\t\t3\t140.00\t130.00\t14.00"}},
        {true, "ToolButton77", {}, "performance-item-totals-all.pdf", {"点单业绩统计报表", "合计\t\t9\t300.00\t296.00\t28.00"}},
        {true, "ToolButton78", {}, "performance-bills.pdf",
         {"帐单业绩分析报表", "\t全部提成员工统计",
          "日期\t单号\t房台\t人数\t税额\t实收\t组别\t提成员工\t提成方式\t提成金额\t业绩",
          "2026-12-03\t202\t包厢一\t6\t4.00\t480.00\t营销二组\t赵敏\t预定\t24.00\t480.00",
          "合计\t4\t\t21\t14.00\t1,395.00\t\t\t\t78.50\t1,395.00"}},
    };
    OperationAnalysis* o = openOperations();
    PerformanceAnalysis* p = openPerformance();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pdf);
        StaffReportScreen* s = c.performance ? static_cast<StaffReportScreen*>(p) : o;
        if (main->CurrentPanel() != s->panel) entry(c.performance ? "N8" : "N7")->trigger();
        runMode(s, c.mode, c.name, c.performance ? "ToolButton65" : "ToolButton69");
        const QString text = printed(s, QString::fromLatin1(c.pdf));
        for (const QString& piece : c.pieces)
            EXPECT_TRUE(text.contains(piece)) << piece.toStdString() << "\n" << text.toStdString();
        EXPECT_EQ(text.count("合计"), 1);
    }
    // "预览/打印" previews the mode's report.
    QTest::mouseClick(button(p, "ToolButton66"), Qt::LeftButton);
    ASSERT_FALSE(dialogs.shown().isEmpty());
    EXPECT_EQ(dialogs.shown().last().title, "帐单业绩分析报表");
    openOperations();
    QTest::mouseClick(button(o, "ToolButton89"), Qt::LeftButton);
    QTest::mouseClick(button(o, "ToolButton70"), Qt::LeftButton);
    EXPECT_EQ(dialogs.shown().last().title, "员工预订(操作)分析报表");
}

// The three levels of "帐单统计": per group, per area and in total, against a hand count of the
// bills with a commission (201 and 205 of 刘洋, 202 of 赵敏, 204 of 陈红).
TEST_F(StaffAnalysisTest, TheBillTotalsPrintSumsPerGroupPerAreaAndInTotal) {
    PerformanceAnalysis* p = openPerformance();
    runMode(p, "ToolButton79", {}, "ToolButton65");
    const QString text = printed(p, "performance-bill-totals.pdf");
    const QString heads = "编码\t姓名\t实收金额\t税额\t提成\t预定业绩\t指定业绩\t领位业绩\t业绩合计\t业绩标准";
    const QStringList expected = {
        "帐单业绩统计报表\n",
        "统计时段：2026-12-01至2026-12-09\t全部提成员工统计",
        "分区：前厅\n分组->迎宾组\n" + heads + "\nS03\t陈红\t740.00\t10.00\t37.00\t0.00\t0.00\t740.00\t740.00\t500.00\n"
                                              "小计：\t\t740.00\t10.00\t37.00\t0.00\t0.00\t740.00\t740.00\t\n"
                                              "合计：\t\t740.00\t10.00\t37.00\t0.00\t0.00\t740.00\t740.00",
        "分区：娱乐区\n分组->营销一组\n" + heads +
            "\nS01\t刘洋\t175.00\t0.00\t17.50\t0.00\t175.00\t0.00\t175.00\t1,000.00\n"
            "小计：\t\t175.00\t0.00\t17.50\t0.00\t175.00\t0.00\t175.00\t\n分组->营销二组\n" +
            heads +
            "\nS02\t赵敏\t480.00\t4.00\t24.00\t480.00\t0.00\t0.00\t480.00\t800.00\n"
            "小计：\t\t480.00\t4.00\t24.00\t480.00\t0.00\t0.00\t480.00\t\n"
            "合计：\t\t655.00\t4.00\t41.50\t480.00\t175.00\t0.00\t655.00",
        "总计：\t\t1,395.00\t14.00\t78.50\t480.00\t175.00\t740.00\t1,395.00",
    };
    for (const QString& piece : expected) EXPECT_TRUE(text.contains(piece)) << piece.toStdString() << "\n" << text.toStdString();
    EXPECT_EQ(text.count("小计："), 3);
    EXPECT_EQ(text.count("合计："), 2);
    EXPECT_EQ(text.count(heads), 3);

    // One member: the subtitle names them, the three levels hold their bills only.
    runMode(p, "ToolButton79", "刘洋", "ToolButton65");
    const QString one = printed(p, "performance-bill-totals-one.pdf");
    EXPECT_TRUE(one.contains("\t提成员工:刘洋"));
    EXPECT_TRUE(one.contains("总计：\t\t175.00\t0.00\t17.50\t0.00\t175.00\t0.00\t175.00")) << one.toStdString();
    EXPECT_FALSE(one.contains("分区：前厅"));
}

TEST_F(StaffAnalysisTest, TheChartsShowCommissionAndPerformancePerMember) {
    PerformanceAnalysis* p = openPerformance();
    EXPECT_FALSE(p->chartButton->isEnabled()); // "点单分析" has no chart
    runMode(p, "ToolButton77", {}, "ToolButton65");
    ASSERT_TRUE(p->chartButton->isEnabled());
    QTest::mouseClick(p->chartButton, Qt::LeftButton);
    EXPECT_EQ(p->pages->currentWidget(), p->chartView);
    ASSERT_EQ(p->chartView->charts().size(), 1u);
    EXPECT_EQ(p->chartView->charts()[0].title(), "提成金额（按提成员工）");
    EXPECT_EQ(p->chartView->charts()[0].labels(), QStringList({"刘洋", "赵敏", "陈红"}));
    EXPECT_EQ(p->chartView->charts()[0].values(), std::vector<double>({6, 14, 8}));

    // Another mode with a chart: its chart at once; a member in two groups is one bar.
    kx::db::exec(db(), "update AllGues set grou_name='营销二组' where tabl_gues_auto_recn=205");
    QTest::mouseClick(button(p, "ToolButton79"), Qt::LeftButton);
    EXPECT_EQ(p->pages->currentWidget(), p->chartView);
    EXPECT_EQ(p->chartView->charts()[0].title(), "业绩合计（按员工）");
    EXPECT_EQ(p->chartView->charts()[0].labels(), QStringList({"陈红", "刘洋", "赵敏"}));
    EXPECT_EQ(p->chartView->charts()[0].values(), std::vector<double>({740, 175, 480}));
    // A mode without one: the grid again, the button off.
    QTest::mouseClick(button(p, "ToolButton78"), Qt::LeftButton);
    EXPECT_NE(p->pages->currentWidget(), p->chartView);
    EXPECT_FALSE(p->chartButton->isEnabled());
    EXPECT_FALSE(p->chartButton->isChecked());
}

TEST_F(StaffAnalysisTest, CsvHoldsTheGridOfTheModeThatIsDown) {
    QTemporaryDir out;
    OperationAnalysis* o = openOperations();
    o->modeGrids[0]->setFocus(); // entered once, then another mode chosen
    runMode(o, "ToolButton75", kWang, "ToolButton69");
    const QString path = out.filePath("operations.csv");
    dialogs.fileName(path);
    QTest::mouseClick(o->csvButton, Qt::LeftButton);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll().mid(3)),
              "日期,单号,台桌号,台桌名称,客人数量,酒菜消费,最低消费,房间费,服务费,折扣金额,收税金额,应收金额,实收金额,付款方式,"
              "成本,毛利率\r\n"
              "2026-12-03 00:00:00,202,B01,包厢一,6,300,50,100,30,0,4,484,480,会员卡,120,75\r\n"
              "2026-12-07 00:00:00,204,B02,包厢二,8,500,0,200,50,20,10,740,740,现金,200,72.972973\r\n");

    PerformanceAnalysis* p = openPerformance();
    runMode(p, "ToolButton79", {}, "ToolButton65");
    EXPECT_EQ(QString::fromUtf8(PerformanceAnalysis::csvOf(p->modeGrids[3]).mid(3)),
              "组名,提成员工,应收金额,实收金额,收税金额,提成金额,业绩合计,预定业绩,指定业绩,领位业绩,业绩标准\r\n"
              "迎宾组,陈红,740,740,10,37,740,0,0,740,500\r\n"
              "营销一组,刘洋,175,175,0,17.5,175,0,175,0,1000\r\n"
              "营销二组,赵敏,484,480,4,24,480,480,0,0,800\r\n");
}

TEST_F(StaffAnalysisTest, TheStatementsRunForAnyCallerWithAnyName) {
    kx::db::Dataset q(db(), "q");
    const kx::frontdesk::ReportPeriod period{QDate(2026, 12, 1), QDate(2026, 12, 9)};
    kx::frontdesk::ReportOPer(q, kx::frontdesk::OperMode::Bills, period, "x' OR '1'='1");
    EXPECT_EQ(q.recordCount(), 0);
    kx::frontdesk::ReportDedu(q, kx::frontdesk::DeduMode::BillTotals, period, "x' OR '1'='1");
    EXPECT_EQ(q.recordCount(), 0);
    kx::frontdesk::ReportDedu(q, kx::frontdesk::DeduMode::BillTotals, {QDate(2026, 11, 30), QDate(2026, 11, 30)}, {});
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_DOUBLE_EQ(q.valueAt(0, q.fieldIndex("totadeduc")).toDouble(), 900);
}

} // namespace
