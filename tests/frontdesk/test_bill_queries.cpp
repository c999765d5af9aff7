// The query reports reached from the board's reports menu on a small archive: the bill list by
// period, department and shift; the member bills by card and with an empty card number; the
// credit-account bills with their drop-down of accounts; the order rows by bill number, read
// as the grid scrolls; the detail of a bill with its three pages and "回退" to the list it came
// from; the printed lists in each variant, and the CSV of the order rows.
#include "BillQueries.h"
#include "Csv.h"
#include "OrderRows.h"
#include "ReportFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace {

using kx::frontdesk::BillDetail;
using kx::frontdesk::BillList;
using kx::frontdesk::BillQueries;
using kx::frontdesk::OrderRows;

class BillQueriesTest : public kx::test::ReportTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        prompter.clear();
        archive();
    }

    void insert(const QString& table, const QVariantMap& values) {
        QStringList marks;
        QVariantList params;
        for (auto it = values.begin(); it != values.end(); ++it) {
            marks << "?";
            params << it.value();
        }
        kx::db::exec(db(), "insert into " + table + " (" + values.keys().join(',') + ") values (" + marks.join(',') + ")",
                     params);
    }

    // An archived visit of business date `day`, opened at 11:30 and checked out at 13:05 by
    // the administrator; `more` gives the rest.
    void bill(qint64 key, const QString& day, QVariantMap more) {
        more.insert({{"tabl_gues_auto_recn", key},
                     {"tabl_gues_time_work", day + " 00:00:00"},
                     {"tabl_gues_time", day + " 11:30:00"},
                     {"tabl_gues_time_end", day + " 13:05:00"},
                     {"oper_name", "管理员"}});
        insert("AllGues", more);
    }
    // An archived order line of bill `key`.
    void line(qint64 key, const QString& day, const QString& code, const QString& name, double count, double price,
              const QString& oper = "管理员", const QString& shift = "晚班") {
        insert("AllCons", {{"tabl_gues_auto_recn", key},
                           {"tabl_cons_time_work", day + " 00:00:00"},
                           {"tabl_cons_time", day + " 12:00:00"},
                           {"tabl_code", "B01"},
                           {"tabl_name", "包厢一"},
                           {"item_code", code},
                           {"item_name", name},
                           {"item_unit", "份"},
                           {"item_unit_pric", price},
                           {"tabl_cons_coun", count},
                           {"tabl_cons_tota", count * price},
                           {"menu_type_name", "点单"},
                           {"orde_name", shift},
                           {"oper_name", oper}});
    }

    void archive() {
        bill(201, "2026-12-01", {{"tabl_code", "A01"}, {"tabl_name", "一号台"}, {"dept_name", "大厅"}, {"orde_name", "早班"},
                                 {"tabl_gues_user_recn", "M-001"}, {"tabl_gues_coun", 4}, {"tabl_gues_dish", 100},
                                 {"tabl_gues_serv", 10}, {"tabl_gues_disc", 5}, {"tabl_gues_shou", 105},
                                 {"tabl_gues_fact", 105}, {"tabl_gues_pay_narr", "现金"}});
        bill(202, "2026-12-03", {{"tabl_code", "B01"}, {"tabl_name", "包厢一"}, {"tabl_type_name", "包厢"},
                                 {"dept_name", "包厢"}, {"orde_name", "晚班"}, {"tabl_gues_user_recn", "M-002"},
                                 {"tabl_gues_name", "李女士"}, {"tabl_gues_coun", 6}, {"cons_type_name", "最低消费"},
                                 {"book_oper_name", "前台一"}, {"cons_mode_serv", 10}, {"disc_perc", 90},
                                 {"tabl_gues_dish", 300}, {"tabl_gues_spec", 8}, {"tabl_gues_low", 50},
                                 {"tabl_gues_room", 100}, {"tabl_gues_serv", 30}, {"tabl_gues_tax", 4},
                                 {"tabl_gues_shou", 484}, {"tabl_gues_fact", 480}, {"tabl_gues_pay_narr", "现金 会员卡"},
                                 {"memb_card_code", "8800001"}, {"memb_name", "王会员"}, {"memb_mone", 200},
                                 {"dedu_oper_name", "刘服务"}, {"dedu_type", "指  定"}, {"dedu_mone", 12}});
        bill(203, "2026-12-05", {{"tabl_code", "A02"}, {"tabl_name", "二号台"}, {"dept_name", "大厅"}, {"orde_name", "晚班"},
                                 {"tabl_gues_coun", 2}, {"tabl_gues_dish", 150}, {"tabl_gues_shou", 150},
                                 {"tabl_gues_fact", 150}, {"hang_name", "赵经理"}, {"hang_mone", 150}});
        bill(204, "2026-12-07", {{"tabl_code", "B02"}, {"tabl_name", "包厢二"}, {"dept_name", "包厢"}, {"orde_name", "早班"},
                                 {"tabl_gues_coun", 3}, {"tabl_gues_dish", 80}, {"tabl_gues_shou", 80}, {"tabl_gues_fact", 80},
                                 {"hang_name", "钱老板"}, {"hang_mone", -20}});
        bill(205, "2026-12-09", {{"tabl_code", "A01"}, {"tabl_name", "一号台"}, {"dept_name", "大厅"}, {"orde_name", "早班"},
                                 {"tabl_gues_coun", 1}, {"tabl_gues_dish", 90}, {"tabl_gues_shou", 90},
                                 {"tabl_gues_fact", 90}, {"memb_card_code", ""}, {"memb_mone", 30},
                                 {"hang_name", "赵经理"}, {"hang_mone", 60}});
        bill(206, "2026-11-30", {{"tabl_code", "B01"}, {"tabl_name", "包厢一"}, {"dept_name", "包厢"}, {"orde_name", "晚班"},
                                 {"tabl_gues_coun", 9}, {"memb_card_code", "8800001"}, {"memb_mone", 99},
                                 {"hang_name", "孙先生"}, {"hang_mone", 99}});
        bill(207, "2026-12-08", {{"tabl_code", "A02"}, {"tabl_name", "二号台"}, {"dept_name", "大厅"}, {"orde_name", "晚班"},
                                 {"tabl_gues_coun", 2}, {"memb_card_code", "8800002"}, {"memb_mone", 0}});
        // Bill 202's payments and lines; a line of bill 201 and one of 206 (before the period).
        for (const auto& [code, name, amount] :
             {std::tuple{"M", "会员卡", 200.0}, std::tuple{"Z", "现金", 280.0}})
            insert("AllGuesPay", {{"pay_type_code", code}, {"pay_type_name", name}, {"pay_type_mone", amount},
                                  {"tabl_gues_auto_recn", 202}, {"pay_time", "2026-12-03 00:00:00"}});
        line(202, "2026-12-03", "1001", "红烧肉", 2, 38);
        line(202, "2026-12-03", "2001", "啤酒", 6, 10, "服务员甲");
        line(201, "2026-12-01", "1002", "清蒸鱼", 1, 100, "管理员", "早班");
        line(206, "2026-11-30", "1001", "红烧肉", 9, 38);
    }

    BillQueries* queries() { return work->billQueries.peek(); }
    // A query screen from the board's reports menu.
    BillList* openList(const char* entryName) {
        entry(entryName)->trigger();
        BillQueries* q = queries();
        return q ? q->list(q->BillListKind) : nullptr;
    }
    OrderRows* openOrders() {
        entry("N11")->trigger();
        return queries() ? queries()->orders : nullptr;
    }

    // The period, then the list's own condition, then "重新统计". For the credit list the account
    // is chosen from the drop-down that "重新统计" fills, then the list is run again.
    void runList(BillList* s, const QString& start, const QString& end, const QString& choice = {},
                 const QString& value = {}) {
        choosePeriodAndFilter(s, start, end, choice, value);
        if (s->Edit_MembCard) retype(s->Edit_MembCard, value);
        QTest::mouseClick(s->rerunButton, Qt::LeftButton);
        if (s->cmb_HangName && !value.isEmpty()) {
            s->cmb_HangName->setCurrentIndex(s->cmb_HangName->findText(value));
            QTest::mouseClick(s->rerunButton, Qt::LeftButton);
        }
    }
    void runOrders(OrderRows* s, const QString& start, const QString& end, const QString& typed = {}) {
        choosePeriodAndFilter(s, start, end);
        retype(s->Edit_BillNo, typed);
        QTest::mouseClick(s->rerunButton, Qt::LeftButton);
    }

    // The bill numbers a list shows.
    static QStringList numbers(QTableView* grid) {
        QStringList out;
        for (const QString& row : rows(grid)) out << row.section('|', 1, 1);
        return out;
    }
    static QStringList items(QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
        return out;
    }
    static QStringList buttons(QToolBar* bar) {
        QStringList out;
        for (QAction* a : bar->actions())
            if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a)); b && a->isVisible()) out << b->text();
        return out;
    }
    // Moves the grid's current row down to bill `number` with the keyboard.
    static void goTo(QTableView* grid, const QString& number) {
        grid->setFocus();
        const QStringList shown = numbers(grid);
        const int to = int(shown.indexOf(number));
        ASSERT_GE(to, 0) << number.toStdString();
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < to; ++i) QTest::keyClick(grid, Qt::Key_Down);
    }
};

const QStringList kBillCaptions = {"日期", "单号", "手工编号", "台桌号", "台桌名称", "类别", "客人",
                                   "客人数", "开台时间", "结帐时间", "实收金额", "操作员工", "结帐情况"};
const QStringList kOrderCaptions = {"日期",     "单号",     "时间",     "台桌号",   "台桌名称", "项目编码", "项目名称",
                                    "单位",     "单价",     "数量",     "单类",     "金额",     "点单员工", "提成员工",
                                    "提成金额", "分类",     "大类",     "套菜合成说明", "消费说明"};

TEST_F(BillQueriesTest, TheFourQueriesAreInTheMenuAndOpenOnToday) {
    QMenu* menu = work->toolb_Report->menu();
    emit menu->aboutToShow();
    const std::pair<const char*, const char*> entries[] = {
        {"N10", "帐单查询报表"}, {"N11", "点单查询报表"}, {"N12", "会员查询报表"}, {"N13", "挂帐查询报表"}};
    for (const auto& [name, text] : entries) {
        EXPECT_TRUE(entry(name)->isVisible()) << name;
        EXPECT_EQ(entry(name)->text(), QString::fromUtf8(text));
    }

    const struct {
        const char* entry;
        const char* panel;
        int kind;
    } lists[] = {{"N10", "pnl_AB1", 1}, {"N12", "pnl_AB3", 0}, {"N13", "pnl_AB4", 2}};
    for (const auto& l : lists) {
        SCOPED_TRACE(l.panel);
        BillList* s = openList(l.entry);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(queries()->BillListKind, l.kind);
        expectOpenedOnToday(s, l.panel);
        EXPECT_EQ(captions(s->DBGrid27), kBillCaptions);
        EXPECT_EQ(buttons(s->bar), QStringList({"明细查询", "重新统计", "预览/打印", "导出CSV", "回退"}));
        QTest::mouseClick(s->backButton, Qt::LeftButton);
        EXPECT_EQ(main->CurrentPanel()->objectName(), "pnl_TableState");
    }
    BillList* bills = openList("N10");
    EXPECT_EQ(numbers(bills->DBGrid27), QStringList({"205"})); // today's bill
    EXPECT_EQ(rows(bills->DBGrid27).value(0),
              "2026-12-09|205||A01|一号台|||1|2026-12-09 11:30|2026-12-09 13:05|90.00|管理员|");
    EXPECT_EQ(items(bills->choiceBox), QStringList({"部门", "班次"}));

    OrderRows* orders = openOrders();
    ASSERT_NE(orders, nullptr);
    expectOpenedOnToday(orders, "pnl_AB2");
    EXPECT_EQ(captions(orders->grid_OrderRows), kOrderCaptions);
    EXPECT_EQ(buttons(orders->bar), QStringList({"重新查询", "预览/打印", "导出CSV", "回退"}));
    EXPECT_EQ(queries()->BillListKind, 1); // the order rows are no bill list
}

TEST_F(BillQueriesTest, TheBillListsSelectByPeriodDepartmentShiftCardAndAccount) {
    struct Case {
        const char* what;
        const char* entry;
        const char* start;
        const char* end;
        const char* choice;
        const char* value; // the filter value, the card typed, the account chosen
        QStringList bills;
    };
    const Case cases[] = {
        {"bills: both ends of the period included", "N10", "2026-12-01", "2026-12-09", "", "",
         {"201", "202", "203", "204", "207", "205"}},
        {"bills of one department", "N10", "2026-12-01", "2026-12-09", "部门", "大厅", {"201", "203", "207", "205"}},
        {"bills of one shift", "N10", "2026-11-30", "2026-12-09", "班次", "晚班", {"206", "202", "203", "207"}},
        {"bills: a period without any", "N10", "2026-10-01", "2026-10-31", "", "", {}},
        {"member bills of a card, the period's only", "N12", "2026-12-01", "2026-12-09", "", "8800001", {"202"}},
        {"a card number is trimmed", "N12", "2026-11-30", "2026-12-09", "", " 8800001 ", {"206", "202"}},
        {"a card recorded but not charged", "N12", "2026-12-01", "2026-12-09", "", "8800002", {}},
        {"no card number: the bills charged to an empty card number", "N12", "2026-12-01", "2026-12-09", "", "", {"205"}},
        {"a quote in the card number finds nothing", "N12", "2026-12-01", "2026-12-09", "", "88'01", {}},
        {"credit bills of every account, the negative one too", "N13", "2026-12-01", "2026-12-09", "", "",
         {"203", "204", "205"}},
        {"credit bills of one account", "N13", "2026-12-01", "2026-12-09", "", "赵经理", {"203", "205"}},
        {"credit bills: another period", "N13", "2026-11-30", "2026-11-30", "", "孙先生", {"206"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BillList* s = openList(c.entry);
        ASSERT_NE(s, nullptr);
        runList(s, c.start, c.end, QString::fromUtf8(c.choice), QString::fromUtf8(c.value));
        EXPECT_EQ(numbers(s->DBGrid27), c.bills);
        EXPECT_EQ(work->AuxQuery5->recordCount(), c.bills.size());
        EXPECT_EQ(dm->ds_tempm, work->AuxQuery5);
    }
    EXPECT_TRUE(prompter.texts().isEmpty());

    // Enter in the card number runs the list too.
    BillList* m = openList("N12");
    typeDate(m->startDate, "2026-12-01");
    retype(m->Edit_MembCard, "8800001");
    QTest::keyClick(m->Edit_MembCard, Qt::Key_Return);
    EXPECT_EQ(numbers(m->DBGrid27), QStringList({"202"}));
}

TEST_F(BillQueriesTest, TheAccountDropDownOffersPositiveAmountsOnlyAndIsEmptiedOnOpening) {
    BillList* s = openList("N13");
    EXPECT_TRUE(items(s->cmb_HangName).isEmpty());
    runList(s, "2026-12-01", "2026-12-09");
    // 钱老板's only bill is a negative amount: listed, never offered.
    EXPECT_EQ(items(s->cmb_HangName), QStringList({"赵经理"}));
    EXPECT_EQ(s->cmb_HangName->currentIndex(), -1);
    EXPECT_EQ(numbers(s->DBGrid27), QStringList({"203", "204", "205"}));

    // The account chosen stays chosen while "重新统计" still offers it, and goes when it does not.
    s->cmb_HangName->setCurrentIndex(0);
    typeDate(s->startDate, "2026-11-30");
    QTest::mouseClick(s->rerunButton, Qt::LeftButton);
    EXPECT_EQ(items(s->cmb_HangName), QStringList({"孙先生", "赵经理"}));
    EXPECT_EQ(s->cmb_HangName->currentText(), "赵经理");
    EXPECT_EQ(numbers(s->DBGrid27), QStringList({"203", "205"}));
    typeDate(s->startDate, "2026-12-06");
    typeDate(s->endDate, "2026-12-08");
    QTest::mouseClick(s->rerunButton, Qt::LeftButton);
    EXPECT_TRUE(items(s->cmb_HangName).isEmpty());
    EXPECT_EQ(numbers(s->DBGrid27), QStringList({"204"}));

    // Opening again empties it.
    runList(s, "2026-12-01", "2026-12-09");
    EXPECT_FALSE(items(s->cmb_HangName).isEmpty());
    s = openList("N13");
    EXPECT_TRUE(items(s->cmb_HangName).isEmpty());
    EXPECT_EQ(numbers(s->DBGrid27), QStringList({"205"})); // today's credit bills
}

TEST_F(BillQueriesTest, TheOrderRowsByBillNumberAndWithout) {
    struct Case {
        const char* what;
        const char* start;
        const char* typed;
        QStringList rows; // 单号|项目名称|数量|金额|点单员工
    };
    const QString pork = "202|红烧肉|2|76.00|管理员", beer = "202|啤酒|6|60.00|服务员甲", fish = "201|清蒸鱼|1|100.00|管理员";
    const Case cases[] = {
        {"every row of the period, by date", "2026-12-01", "", {fish, pork, beer}},
        {"one bill's rows", "2026-12-01", "202", {pork, beer}},
        {"a bill before the period", "2026-12-01", "206", {}},
        {"the period reaches it", "2026-11-30", "206", {"206|红烧肉|9|342.00|管理员"}},
        {"letters are not typed", "2026-12-01", "2x0'1", {fish}},
    };
    OrderRows* s = openOrders();
    ASSERT_NE(s, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        runOrders(s, c.start, "2026-12-09", QString::fromUtf8(c.typed));
        QStringList shown;
        for (const QString& row : rows(s->grid_OrderRows)) {
            const QStringList cells = row.split('|');
            shown << QStringList({cells[1], cells[6], cells[9], cells[11], cells[12]}).join('|');
        }
        EXPECT_EQ(shown, c.rows);
    }
    EXPECT_EQ(s->Edit_BillNo->text(), "201");
    EXPECT_EQ(rows(s->grid_OrderRows).value(0), "2026-12-01|201|12-01 12:00|B01|包厢一|1002|清蒸鱼|份|100.00|1|点单|100.00|管理员||0.00||||");

    // "重新查询" keeps the period; Enter in the number runs it too.
    retype(s->Edit_BillNo, "202");
    QTest::keyClick(s->Edit_BillNo, Qt::Key_Return);
    EXPECT_EQ(s->startDate->date(), QDate(2026, 12, 1));
    EXPECT_EQ(rows(s->grid_OrderRows).size(), 2);
    EXPECT_TRUE(prompter.texts().isEmpty());
}

// A period of more rows than a page: the grid holds the first page, reads on as it is scrolled
// to its end, and the print and the CSV file hold every row.
TEST_F(BillQueriesTest, TheOrderRowsAreReadAsTheGridScrolls) {
    constexpr int page = kx::frontdesk::OrderRowPages::kPageRows;
    const int many = 2 * page + 40;
    kx::db::exec(db(), "begin");
    for (int i = 0; i < many; ++i) line(300 + i % 7, i < page ? "2026-12-04" : "2026-12-06", "1001", "红烧肉", 1, 2);
    kx::db::exec(db(), "commit");
    OrderRows* s = openOrders();
    runOrders(s, "2026-12-04", "2026-12-06");
    QApplication::processEvents();
    EXPECT_EQ(s->rows->rowsRead(), page);
    EXPECT_EQ(s->grid_OrderRows->model()->rowCount(), page);
    s->grid_OrderRows->scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(s->rows->rowsRead(), 2 * page);
    s->grid_OrderRows->scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(s->rows->rowsRead(), many);
    // The rows in order, none twice: by date, then as they were written.
    kx::db::Dataset all(db(), "all", "select tabl_gues_auto_recn from AllCons where tabl_cons_time_work >= "
                                     "'2026-12-04' and tabl_cons_time_work < '2026-12-07' order by rec_ID");
    all.open();
    ASSERT_EQ(all.recordCount(), many);
    QAbstractItemModel* m = s->grid_OrderRows->model();
    for (const int r : {0, page - 1, page, 2 * page, many - 1})
        EXPECT_EQ(m->index(r, 1).data().toString(), all.valueAt(r, 0).toString()) << r;

    // The print and the CSV: every row, also those not read yet.
    runOrders(s, "2026-12-04", "2026-12-06");
    EXPECT_EQ(s->rows->rowsRead(), page);
    const QString text = s->report().document().toPlainText();
    EXPECT_TRUE(text.contains(QString("合计\t%1\t").arg(many) + "\t\t\t\t\t\t" + kx::ReportFrame::formatCell(2.0 * many, "0.00")))
        << text.right(300).toStdString();
    const QList<QStringList> records = kx::parseCsv(exportedCsv(s, s->grid_OrderRows));
    ASSERT_EQ(records.size(), many + 1); // the captions, then the rows
    EXPECT_EQ(records[0], kOrderCaptions);
    EXPECT_EQ(records[1][0], "2026-12-04 00:00:00");
    EXPECT_EQ(records[many][0], "2026-12-06 00:00:00");
    EXPECT_EQ(s->rows->rowsRead(), page);
}

TEST_F(BillQueriesTest, DetailOnAnEmptyListDoesNothing) {
    BillList* s = openList("N10");
    runList(s, "2026-10-01", "2026-10-31");
    ASSERT_TRUE(work->AuxQuery5->isEmpty());
    QTest::mouseClick(s->detailButton, Qt::LeftButton);
    EXPECT_EQ(main->CurrentPanel(), s->panel);
    s->DBGrid27->setFocus();
    QTest::keyClick(s->DBGrid27, Qt::Key_Return);
    EXPECT_EQ(main->CurrentPanel(), s->panel);
    EXPECT_FALSE(queries()->detail->pnl_AB11->isVisible());
    EXPECT_TRUE(prompter.texts().isEmpty());

    // A bill taken out of the archive after it was listed: the list shows what is stored now.
    runList(s, "2026-12-01", "2026-12-09");
    goTo(s->DBGrid27, "203");
    kx::db::exec(db(), "delete from AllGues where tabl_gues_auto_recn = 203");
    QTest::mouseClick(s->detailButton, Qt::LeftButton);
    EXPECT_EQ(main->CurrentPanel(), s->panel);
    EXPECT_FALSE(numbers(s->DBGrid27).contains("203"));
}

TEST_F(BillQueriesTest, TheDetailShowsTheArchivedVisitItsPaymentsAndItsOrderRows) {
    BillList* s = openList("N12");
    runList(s, "2026-12-01", "2026-12-09", {}, "8800001");
    s->DBGrid27->setFocus();
    QTest::keyClick(s->DBGrid27, Qt::Key_Return);
    BillDetail* d = queries()->detail;
    ASSERT_EQ(main->CurrentPanel(), d->pnl_AB11);
    EXPECT_EQ(d->pages->currentWidget(), d->pnl_AB111);
    EXPECT_TRUE(d->pageButtons[0]->isChecked());
    EXPECT_FALSE(d->pageButtons[1]->isChecked());

    const std::pair<const char*, const char*> basic[] = {
        {"tabl_gues_time_work", "2026-12-03"}, {"tabl_gues_auto_recn", "202"}, {"tabl_gues_user_recn", "M-002"},
        {"tabl_name", "包厢一"}, {"dept_name", "包厢"}, {"tabl_gues_time", "2026-12-03 11:30:00"},
        {"cons_type_name", "最低消费"}, {"book_oper_name", "前台一"}, {"tabl_gues_coun", "6"},
        {"tabl_gues_name", "李女士"}, {"cons_mode_serv", "10.0%"}, {"disc_perc", "90"}, {"tabl_gues_low", "50.00"},
        {"tabl_gues_room", "100.00"}, {"tabl_gues_dish", "300.00"}, {"tabl_gues_spec", "8.00"},
        {"tabl_gues_serv", "30.00"}, {"tabl_gues_disc", "0.00"}, {"tabl_gues_tax", "4.00"},
        {"tabl_gues_pay_narr", "现金 会员卡"}};
    QStringList captionsShown;
    for (QLabel* l : d->pnl_AB111->findChildren<QLabel*>())
        if (l->objectName().isEmpty()) captionsShown << l->text();
    EXPECT_EQ(captionsShown.size(), 20);
    EXPECT_EQ(captionsShown.first(), "营业日期：");
    EXPECT_EQ(captionsShown.last(), "备注说明：");
    for (const auto& [column, shown] : basic) {
        ASSERT_NE(d->value(column), nullptr) << column;
        EXPECT_EQ(d->value(column)->text(), QString::fromUtf8(shown)) << column;
    }

    // Ctrl+Tab to "结帐信息": its fields and the payment lines, pay types descending.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(d->pages->currentWidget(), d->pnl_AB112);
    EXPECT_TRUE(d->pageButtons[1]->isChecked());
    const std::pair<const char*, const char*> payment[] = {
        {"tabl_gues_shou", "484.00"}, {"tabl_gues_fact", "480.00"}, {"tabl_gues_time_end", "2026-12-03 13:05:00"},
        {"oper_name", "管理员"}, {"memb_card_code", "8800001"}, {"memb_name", "王会员"}, {"hang_name", ""},
        {"dedu_oper_name", "刘服务"}, {"dedu_type", "指  定"}, {"dedu_mone", "12.00"}};
    for (const auto& [column, shown] : payment) EXPECT_EQ(d->value(column)->text(), QString::fromUtf8(shown)) << column;
    EXPECT_EQ(captions(d->grid_Payments), QStringList({"付款名称", "付款金额"}));
    EXPECT_EQ(rows(d->grid_Payments), QStringList({"现金|280.00", "会员卡|200.00"}));

    // "点单明细": the bill's order rows with the order-row grid's columns.
    QTest::mouseClick(d->pageButtons[2], Qt::LeftButton);
    EXPECT_EQ(d->pages->currentWidget(), d->pnl_AB113);
    EXPECT_EQ(captions(d->grid_Lines), kOrderCaptions);
    EXPECT_EQ(rows(d->grid_Lines, 7), QStringList({"2026-12-03|202|12-03 12:00|B01|包厢一|1001|红烧肉",
                                                   "2026-12-03|202|12-03 12:00|B01|包厢一|2001|啤酒"}));
    QTest::mouseClick(d->pageButtons[0], Qt::LeftButton);
    EXPECT_EQ(d->pages->currentWidget(), d->pnl_AB111);
}

// "回退" of the detail, by its button and by Esc, goes back to the list it was opened from, as
// that list stood.
TEST_F(BillQueriesTest, BackFromTheDetailReturnsToTheListOfBillListKind) {
    const struct {
        const char* entry;
        int kind;
        const char* value;
        bool byEsc;
    } cases[] = {{"N10", 1, "", false}, {"N12", 0, "8800001", true}, {"N13", 2, "", false}, {"N13", 2, "赵经理", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        BillList* s = openList(c.entry);
        runList(s, "2026-12-01", "2026-12-09", {}, QString::fromUtf8(c.value));
        const QStringList listed = numbers(s->DBGrid27);
        ASSERT_FALSE(listed.isEmpty());
        goTo(s->DBGrid27, listed.last());
        const QPoint at = s->DBGrid27->visualRect(s->DBGrid27->currentIndex()).center();
        QTest::mouseClick(s->DBGrid27->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(s->DBGrid27->viewport(), Qt::LeftButton, {}, at);
        BillDetail* d = queries()->detail;
        ASSERT_EQ(main->CurrentPanel(), d->pnl_AB11);
        EXPECT_EQ(d->value("tabl_gues_auto_recn")->text(), listed.last());
        EXPECT_EQ(queries()->BillListKind, c.kind);
        QTest::mouseClick(d->pageButtons[2], Qt::LeftButton);
        if (c.byEsc)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            QTest::mouseClick(d->ToolButton92, Qt::LeftButton);
        EXPECT_EQ(main->CurrentPanel(), s->panel);
        EXPECT_EQ(numbers(s->DBGrid27), listed);
        // The order rows in between leave the kind alone.
        openOrders();
        EXPECT_EQ(queries()->BillListKind, c.kind);
    }
}

TEST_F(BillQueriesTest, EachPrintHasItsTitleSubtitleColumnsAndSums) {
    const QString heads = "日期\t单号\t房台\t人数\t酒菜\t低消\t房间费\t服务费\t折扣\t税额\t应收\t实收\t手工号\t操作员";
    struct Case {
        const char* what;
        const char* entry;
        const char* choice;
        const char* value;
        QStringList pieces;
    };
    const Case cases[] = {
        {"bills", "N10", "", "",
         {"帐单查询报表", "单位名称：【", "统计时段：2026-12-01至2026-12-09\t综合统计", heads,
          "2026-12-01\t201\t一号台\t4\t100.00\t0.00\t0.00\t10.00\t5.00\t0.00\t105.00\t105.00\tM-001\t管理员",
          "合计\t6\t\t18\t720.00\t50.00\t100.00\t40.00\t5.00\t4.00\t909.00\t905.00",
          "制表时间：2026-12-09 10:00:00    制表人：管理员"}},
        {"bills of a department", "N10", "部门", "包厢", {"帐单查询报表", "\t部门:包厢", "合计\t2\t\t9\t380.00"}},
        {"bills of a shift", "N10", "班次", "早班", {"\t班次:早班", "合计\t3\t\t8\t270.00"}},
        {"member bills", "N12", "", "8800001",
         {"会员查询报表", "\t会员:8800001", heads,
          "2026-12-03\t202\t包厢一\t6\t300.00\t50.00\t100.00\t30.00\t0.00\t4.00\t484.00\t480.00\tM-002\t管理员",
          "合计\t1\t\t6\t300.00\t50.00\t100.00\t30.00\t0.00\t4.00\t484.00\t480.00"}},
        {"member bills without a card number", "N12", "", "", {"会员查询报表", "\t综合统计", "合计\t1\t\t1\t90.00"}},
        {"every account's credit bills", "N13", "", "",
         {"挂帐客人查询报表", "\t综合统计",
          "日期\t单号\t房台\t人数\t酒菜\t低消\t房间费\t服务费\t折扣\t税额\t挂帐额\t实收\t挂帐人",
          "2026-12-07\t204\t包厢二\t3\t80.00\t0.00\t0.00\t0.00\t0.00\t0.00\t-20.00\t80.00\t钱老板",
          // The sum of the amounts charged, the negative one too, under "挂帐额".
          "合计\t3\t\t6\t320.00\t0.00\t0.00\t0.00\t0.00\t0.00\t190.00\t320.00"}},
        {"one account's credit bills", "N13", "", "赵经理",
         {"挂帐客人查询报表", "\t挂帐客人:赵经理", "合计\t2\t\t3\t240.00\t0.00\t0.00\t0.00\t0.00\t0.00\t210.00\t240.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BillList* s = openList(c.entry);
        runList(s, "2026-12-01", "2026-12-09", QString::fromUtf8(c.choice), QString::fromUtf8(c.value));
        const QString text = s->report().document().toPlainText();
        expectPieces(text, c.pieces);
        const bool credit = QLatin1String(c.entry) == QLatin1String("N13");
        EXPECT_EQ(text.contains("手工号"), !credit);
        EXPECT_EQ(text.contains("挂帐人"), credit);
    }

    // "预览/打印" runs the list again with the controls as they stand, then previews it.
    BillList* s = openList("N10");
    runList(s, "2026-12-01", "2026-12-09");
    typeDate(s->startDate, "2026-12-05");
    EXPECT_EQ(previewTitle(s), "帐单查询报表");
    EXPECT_EQ(numbers(s->DBGrid27), QStringList({"203", "204", "207", "205"}));
    EXPECT_TRUE(s->report().document().toPlainText().contains("统计时段：2026-12-05至2026-12-09"));
}

TEST_F(BillQueriesTest, TheOrderRowPrintListsTheRowsWithTheirCountAndSum) {
    OrderRows* s = openOrders();
    const struct {
        const char* typed;
        QStringList pieces;
    } cases[] = {
        {"", {"点单查询报表", "统计时段：2026-12-01至2026-12-09\t综合统计",
              "日期\t单号\t台桌名称\t项目名称\t单位\t单价\t数量\t单类\t金额\t点单员工",
              "2026-12-03\t202\t包厢一\t啤酒\t份\t10.00\t6\t点单\t60.00\t服务员甲", "合计\t3\t\t\t\t\t\t\t236.00"}},
        {"202", {"\t帐单:202", "合计\t2\t\t\t\t\t\t\t136.00"}},
    };
    for (const auto& c : cases) {
        runOrders(s, "2026-12-01", "2026-12-09", QString::fromUtf8(c.typed));
        const QString text = s->report().document().toPlainText();
        expectPieces(text, c.pieces);
    }
    EXPECT_EQ(previewTitle(s), "点单查询报表");
}

} // namespace
