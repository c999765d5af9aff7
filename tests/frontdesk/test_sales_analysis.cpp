// The reports menu and the sales analysis, reached from the board's reports menu on a small
// archive: which visits, lines and payments count, the filters, the figures, the grids, the
// printed report, its charts and the CSV export.
#include "Csv.h"
#include "DayOperations.h"
#include "ReportFixture.h"
#include "SalesAnalysis.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPdfWriter>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>

namespace {

using kx::frontdesk::SalesAnalysis;

class SalesAnalysisTest : public kx::test::ReportTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        prompter.clear();
        archive();
    }

    // A cleared visit in the archive: its business date, department, shift, guests, dish,
    // received amount, cost and checkout time; its payment lines carry the same names.
    void visit(qint64 key, const QString& day, const QString& dept, const QString& shift, int guests, double dish,
               double fact, double cost, const QString& end, const std::vector<std::pair<QString, double>>& pays) {
        const QString work = day + " 00:00:00";
        kx::db::exec(db(),
                     "insert into AllGues (tabl_gues_auto_recn,tabl_code,tabl_name,dept_name,orde_name,tabl_gues_coun,"
                     "tabl_gues_dish,tabl_gues_spec,tabl_gues_low,tabl_gues_room,tabl_gues_serv,tabl_gues_disc,"
                     "tabl_gues_shou,tabl_gues_tax,tabl_gues_fact,dedu_mone,cost_mone,tabl_gues_time_work,"
                     "tabl_gues_time_end) values (?,'A01','一号台',?,?,?,?,1,2,3,4,5,?,6,?,7,?,?,?)",
                     {key, dept, shift, guests, dish, fact + 5, fact, cost, work, end});
        for (const auto& [code, amount] : pays)
            kx::db::exec(db(),
                         "insert into AllGuesPay (pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,"
                         "pay_time,dept_name,orde_name,pay_flag) select pay_type_code,pay_type_name,?,?,?,?,?,1 "
                         "from paytypelist where pay_type_code=?",
                         {amount, key, work, dept, shift, code});
    }
    // An archived order line.
    void line(qint64 key, const QString& day, const QString& dept, const QString& shift, const QString& kind,
              double total, double cost, int serv, int disc, const QVariant& group = QVariant()) {
        kx::db::exec(db(),
                     "insert into AllCons (tabl_gues_auto_recn,item_code,kind_name,dept_name,orde_name,tabl_cons_tota,"
                     "tabl_cost_tota,serv_perc,disc_clas_perc,grou_code,tabl_cons_time_work) values (?,'1001',?,?,?,?,?,?,?,?,?)",
                     {key, kind, dept, shift, total, cost, serv, disc, group, day + " 00:00:00"});
    }

    // Two visits inside 2026-12-01 … 12-09 (one on each end), one on each side outside it, a
    // visit checked out but not cleared, and other income inside and outside.
    void archive() {
        visit(1, "2026-12-01", "大厅", "早班", 4, 100, 115, 40, "2026-12-01 12:30:00", {{"Z", 100}, {"M", 15}, {"R", 0}});
        line(1, "2026-12-01", "大厅", "早班", "菜品", 100, 40, 10, 100);
        line(1, "2026-12-01", "大厅", "早班", "菜品", 50, 20, 10, 100, "G1"); // a set menu's component
        line(1, "2026-12-01", "大厅", "早班", "=1+1", 20, 5, 100, 100);
        line(1, "2026-12-01", "大厅", "早班", "海鲜,河鲜", 10, 2, 100, 100);
        visit(2, "2026-12-09", "贵宾'厅", "晚班", 2, 100, 90, 30, "2026-12-09 21:10:00", {{"Z", 90}, {"M", 0}});
        line(2, "2026-12-09", "贵宾'厅", "晚班", "酒水", 100, 30, 100, 90);
        visit(3, "2026-11-30", "大厅", "早班", 9, 999, 999, 1, "2026-11-30 12:00:00", {{"Z", 999}});
        line(3, "2026-11-30", "大厅", "早班", "菜品", 999, 1, 100, 100);
        visit(4, "2026-12-10", "大厅", "早班", 9, 888, 888, 1, "2026-12-10 12:00:00", {{"Z", 888}});
        line(4, "2026-12-10", "大厅", "早班", "菜品", 888, 1, 100, 100);
        // Checked out, not cleared: only in the live tables.
        kx::db::exec(db(), "insert into TableGuestlist (tabl_gues_auto_recn,tabl_code,tabl_gues_use,tabl_gues_stat,"
                           "tabl_gues_fact,tabl_gues_coun,dept_name,tabl_gues_time_work) values "
                           "(5,'A02',1,'3',500,5,'大厅','2026-12-05 00:00:00')");
        kx::db::exec(db(), "insert into TableConsList (tabl_gues_auto_recn,tabl_code,item_code,kind_name,tabl_cons_tota,"
                           "tabl_cons_time_work) values (5,'A02','1001','菜品',500,'2026-12-05 00:00:00')");
        kx::db::exec(db(), "insert into tableguespay (pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,"
                           "pay_time) values ('Z','现金',500,5,'2026-12-05 00:00:00')");
        kx::db::exec(db(), "insert into AllOtherInCome (othe_inco_code,othe_inco_name,othe_inco_mone,othe_inco_time) "
                           "values ('01','停车',30,'2026-12-03 00:00:00'),('01','停车',7,'2026-11-30 00:00:00')");
    }

    // "销售分析报表" from the board's reports menu.
    SalesAnalysis* openSales() {
        entry("N5")->trigger();
        return work->sales.peek();
    }

    // Sets the period, the filter (choice and value; none when empty) and presses "重新统计".
    void run(SalesAnalysis* s, const QString& start, const QString& end, const QString& choice = {},
             const QString& value = {}) {
        typeDate(s->startDate, start);
        typeDate(s->endDate, end);
        if (!choice.isEmpty()) {
            if (!s->filterBox->isChecked()) QTest::mouseClick(s->filterBox, Qt::LeftButton);
            s->choiceBox->setCurrentIndex(s->choiceBox->findText(choice));
            s->valueBox->setCurrentIndex(s->valueBox->findText(value));
        }
        QTest::mouseClick(s->rerunButton, Qt::LeftButton);
    }

    static QString figures(SalesAnalysis* s) {
        QStringList out;
        for (const char* name : {"cbillcoun", "tcoun", "tdish", "tfact", "tcost", "perc", "average", "tothe"})
            out << s->figure(name)->text();
        return out.join('/');
    }
};

TEST_F(SalesAnalysisTest, TheMenuOffersTheBuiltReportsOnly) {
    QMenu* menu = work->toolb_Report->menu();
    emit menu->aboutToShow();
    QStringList shown, hidden;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || a->objectName().isEmpty()) continue;
        (a->isVisible() ? shown : hidden) << a->objectName() + ":" + a->text();
    }
    EXPECT_EQ(shown, QStringList({"N1:当前营业统计", "N2:员工交班处理", "N5:销售分析报表", "N6:房台分析报表", "N3:点单分析报表",
                                  "N7:操作分析报表", "N8:业绩分析报表", "N10:帐单查询报表", "N11:点单查询报表",
                                  "N12:会员查询报表", "N13:挂帐查询报表", "N15:初始化数据库"}));
    EXPECT_EQ(hidden, QStringList());
}

TEST_F(SalesAnalysisTest, OpeningNeedsThePermissionAndShowsTodayAsTheCurrentScreen) {
    kx::db::exec(db(), "update Limitedlist set limi_real=0 where limi_code='CF'");
    QWidget* board = main->CurrentPanel();
    SalesAnalysis* s = openSales();
    EXPECT_EQ(prompter.texts(), QStringList({"CF你没有操作此项功能的权限，请与系统管理员联系！"}));
    EXPECT_EQ(main->CurrentPanel(), board);
    EXPECT_TRUE(!s || !s->panel->isVisible());

    kx::db::exec(db(), "update Limitedlist set limi_real=1 where limi_code='CF'");
    prompter.clear();
    s = openSales();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(main->CurrentPanel(), s->panel);
    EXPECT_EQ(s->panel->objectName(), "pnl_b1");
    EXPECT_EQ(s->startDate->date(), QDate(2026, 12, 9));
    EXPECT_EQ(s->endDate->date(), QDate(2026, 12, 9));
    EXPECT_EQ(figures(s), "1/2/100.00/90.00/30.00/66.7%/45.00/"); // today's visit only
    EXPECT_EQ(captions(s->grid_PayTypes), QStringList({"付款方式", "收入笔数", "收入金额"}));
    EXPECT_EQ(captions(s->grid_Kinds), QStringList({"大类名称", "合计金额", "合计成本"}));
    QStringList buttons;
    for (QToolButton* b : {s->rerunButton, s->printButton, s->csvButton, s->chartButton, s->backButton})
        buttons << b->text();
    EXPECT_EQ(buttons, QStringList({"重新统计", "预览/打印", "导出CSV", "图表", "回退"}));

    // The board's keys do not act behind the screen.
    QTest::keyClick(s->grid_PayTypes, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(main->CurrentPanel(), s->panel);

    // The next opening starts from today again, with the filter emptied.
    run(s, "2026-12-01", "2026-12-09", "部门", "大厅");
    QTest::mouseClick(s->backButton, Qt::LeftButton);
    EXPECT_EQ(main->CurrentPanel()->objectName(), "pnl_TableState");
    kx::Clock::freeze(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    s = openSales();
    EXPECT_EQ(s->startDate->date(), QDate(2026, 12, 10));
    EXPECT_FALSE(s->filterBox->isChecked());
    EXPECT_EQ(s->valueBox->count(), 0);
    EXPECT_EQ(figures(s), "1/9/888.00/888.00/1.00/99.9%/99.00/");
}

// What counts in a period, with and without a filter.
TEST_F(SalesAnalysisTest, ThePeriodAndTheFilterDecideWhatCounts) {
    struct Case {
        const char* what;
        const char* start;
        const char* end;
        const char* choice;
        const char* value;
        const char* figures; // bills/guests/dish/received/cost/margin/per guest/other income
        QStringList pays;
        QStringList kinds;
        bool otherIncomeShown;
    };
    const Case cases[] = {
        {"a period without visits", "2026-10-01", "2026-10-31", "", "", "///////", {}, {}, true},
        {"both ends included, the visit not cleared and the components left out", "2026-12-01", "2026-12-09", "", "",
         "2/6/200.00/205.00/70.00/65.9%/34.00/30.00",
         {"现金|2|190.00", "免单|0|0.00", "会员卡|1|15.00"},
         {"=1+1|20.00|5.00", "海鲜,河鲜|10.00|2.00", "菜品|100.00|40.00", "酒水|100.00|30.00"}, true},
        {"one day at the end", "2026-12-09", "2026-12-09", "", "", "1/2/100.00/90.00/30.00/66.7%/45.00/",
         {"现金|1|90.00", "会员卡|0|0.00"}, {"酒水|100.00|30.00"}, true},
        {"a department with a quote hides other income", "2026-12-01", "2026-12-09", "部门", "贵宾'厅",
         "1/2/100.00/90.00/30.00/66.7%/45.00/", {"现金|1|90.00", "会员卡|0|0.00"}, {"酒水|100.00|30.00"}, false},
        {"a shift", "2026-12-01", "2026-12-09", "班次", "早班", "1/4/100.00/115.00/40.00/65.2%/29.00/",
         {"现金|1|100.00", "免单|0|0.00", "会员卡|1|15.00"},
         {"=1+1|20.00|5.00", "海鲜,河鲜|10.00|2.00", "菜品|100.00|40.00"}, false},
    };
    SalesAnalysis* s = openSales();
    ASSERT_NE(s, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        run(s, c.start, c.end, QString::fromUtf8(c.choice), QString::fromUtf8(c.value));
        EXPECT_EQ(figures(s), QString::fromUtf8(c.figures));
        EXPECT_EQ(rows(s->grid_PayTypes), c.pays);
        EXPECT_EQ(rows(s->grid_Kinds), c.kinds);
        EXPECT_EQ(s->figure("tothe")->isVisible(), c.otherIncomeShown);
        if (s->filterBox->isChecked()) QTest::mouseClick(s->filterBox, Qt::LeftButton);
    }
    // The value lists come from the archive; choosing another choice offers its values.
    s->choiceBox->setCurrentIndex(s->choiceBox->findText("部门"));
    QTest::mouseClick(s->filterBox, Qt::LeftButton);
    QStringList depts;
    for (int i = 0; i < s->valueBox->count(); ++i) depts << s->valueBox->itemText(i);
    EXPECT_EQ(depts, QStringList({"大厅", "贵宾'厅"}));
    s->choiceBox->setCurrentIndex(s->choiceBox->findText("班次"));
    EXPECT_EQ(s->valueBox->findText("晚班") >= 0 && s->valueBox->findText("大厅") < 0, true);
    EXPECT_EQ(s->valueBox->currentIndex(), -1);
}

TEST_F(SalesAnalysisTest, NetSalesAddTheServiceChargeAndTakeTheDiscount) {
    // Line 1 of visit 1: 100 at service rate 10, no discount; visit 2's: 100 without service
    // charge (rate 100) at discount rate 90.
    const QString sql = "select " + kx::frontdesk::netSalesSql() + " from AllCons where tabl_gues_auto_recn=? and kind_name=?";
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(db(), sql, {1, "菜品"}), 110);
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(db(), sql, {2, "酒水"}), 90);
}

TEST_F(SalesAnalysisTest, ThePrintIsOneDocumentOfTwoPartsAndAChartPage) {
    SalesAnalysis* s = openSales();
    run(s, "2026-12-01", "2026-12-09");
    const kx::ReportDocument doc = s->report().document();
    const QString text = doc.toPlainText();
    const QStringList expected = {
        "销售分析报表", "单位名称：【", "统计时段：2026-12-01至2026-12-09\t综合统计", "[收入状况]",
        "付款方式\t收入笔数\t收入金额", "现金\t2\t190.00", "合计\t3\t205.00", "[消费状况]", "大类名称\t合计金额\t合计成本",
        "合计\t230.00\t77.00", "[营业状况]\t[总营业额]", "帐 单 数：2\t应收金额：215.00", "人    数：6\t收税金额：12.00",
        "服 务 费：8.00\t其它收入：30.00", "消费成本：70.00", "总毛利率：65.9%", "制表时间：2026-12-09 10:00:00    制表人：管理员",
        "www.kestrix.example", "销售分析图表", "实收金额（按结帐时段）", "合计金额（按大类）", "实收金额（按营业日期）"};
    for (const QString& piece : expected) EXPECT_TRUE(text.contains(piece)) << piece.toStdString() << "\n" << text.toStdString();
    // The second part is a report of its own: the title and the period again.
    EXPECT_EQ(text.count("销售分析报表"), 2);
    EXPECT_EQ(text.count("统计时段："), 2);
    EXPECT_FALSE(text.contains("人均消费"));

    QTemporaryDir out;
    const QString pdf = (qEnvironmentVariableIsEmpty("KESTRIX_SHOTS") ? out.path() : qEnvironmentVariable("KESTRIX_SHOTS")) +
                        "/sales-analysis.pdf";
    QPdfWriter writer(pdf);
    writer.setPageLayout(doc.pageLayout());
    EXPECT_EQ(doc.render(&writer), 3); // part one, part two, the charts

    // With a filter: its subtitle, and no other income.
    run(s, "2026-12-01", "2026-12-09", "部门", "贵宾'厅");
    const QString filtered = s->report().document().toPlainText();
    EXPECT_TRUE(filtered.contains("统计时段：2026-12-01至2026-12-09\t部门:贵宾'厅"));
    EXPECT_FALSE(filtered.contains("其它收入"));

    // "预览/打印" previews it.
    QTest::mouseClick(s->printButton, Qt::LeftButton);
    ASSERT_FALSE(dialogs.shown().isEmpty());
    EXPECT_EQ(dialogs.shown().last().objectName, "ReportPreview");
    EXPECT_EQ(dialogs.shown().last().title, "销售分析报表");
}

TEST_F(SalesAnalysisTest, TheChartsFollowTheRun) {
    SalesAnalysis* s = openSales();
    run(s, "2026-12-01", "2026-12-09");
    QTest::mouseClick(s->chartButton, Qt::LeftButton);
    EXPECT_EQ(s->pages->currentWidget(), s->chartView);
    const std::vector<kx::BarChart>& charts = s->chartView->charts();
    ASSERT_EQ(charts.size(), 3u);
    // By the hour of checkout, every hour between the first and the last.
    EXPECT_EQ(charts[0].labels().first(), "12时");
    EXPECT_EQ(charts[0].labels().last(), "21时");
    EXPECT_EQ(charts[0].labels().size(), 10);
    EXPECT_DOUBLE_EQ(charts[0].values().front(), 115);
    EXPECT_DOUBLE_EQ(charts[0].values().back(), 90);
    EXPECT_EQ(charts[1].labels(), QStringList({"=1+1", "海鲜,河鲜", "菜品", "酒水"}));
    EXPECT_EQ(charts[2].labels(), QStringList({"12-01", "12-09"}));

    // A run on one day keeps the chart page and drops the chart by date.
    run(s, "2026-12-09", "2026-12-09");
    EXPECT_EQ(s->chartView->charts().size(), 2u);
    QTest::mouseClick(s->chartButton, Qt::LeftButton);
    EXPECT_EQ(s->pages->currentIndex(), 0);
}

TEST_F(SalesAnalysisTest, CsvWritesTheGridShownReadyForASpreadsheet) {
    SalesAnalysis* s = openSales();
    run(s, "2026-12-01", "2026-12-09");
    QTemporaryDir out;
    const QString path = out.filePath("sales.csv");
    // The kinds grid is the one the cashier was in.
    QTest::mouseClick(s->grid_Kinds->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    dialogs.fileName(path);
    QTest::mouseClick(s->csvButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().last().kind, "save");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QString text = QString::fromUtf8(bytes.mid(3));
    EXPECT_EQ(text, "大类名称,合计金额,合计成本\r\n'=1+1,20,5\r\n\"海鲜,河鲜\",10,2\r\n菜品,100,40\r\n酒水,100,30\r\n");
    const QList<QStringList> back = kx::parseCsv(text);
    EXPECT_EQ(kx::unguarded(back[1][0]), "=1+1");
    EXPECT_EQ(back[2][0], "海鲜,河鲜");

    // A cancelled save dialog writes nothing.
    QFile::remove(path);
    QTest::mouseClick(s->csvButton, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
