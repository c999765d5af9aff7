// The table board as a cashier uses it: departments and types, the three views and the legend's
// counts, the sort cycle, the search box, the context menu, the day-start guard and the
// double-click action.
#include "BoardFixture.h"
#include "Connection.h"
#include "Opening.h"
#include "StateIcons.h"

#include <QAbstractItemModelTester>
#include <QLabel>

using kx::test::BoardTest;

namespace {

const QString kDayNotStarted = QStringLiteral("现在还未进行日始处理，所以不能进行[操作]，请进行[日始处理]！");

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}

TEST(StateIcons, SixDistinctPicturesAtThirtyTwoPixels) {
    const auto& icons = kx::frontdesk::stateIcons();
    ASSERT_EQ(icons.size(), 6);
    for (int i = 0; i < 6; ++i) {
        const QImage a = icons[i].toImage();
        EXPECT_EQ(a.size(), QSize(32, 32));
        int painted = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) painted += qAlpha(a.pixel(x, y)) > 0;
        EXPECT_GT(painted, 150) << "picture " << i << " is nearly empty";
        for (int j = 0; j < i; ++j) EXPECT_NE(a, icons[j].toImage()) << i << " repeats " << j;
    }
    EXPECT_TRUE(kx::frontdesk::stateIcon("").isNull());
    EXPECT_TRUE(kx::frontdesk::stateIcon("7").isNull());
    EXPECT_EQ(kx::frontdesk::stateIcon("6").toImage(), icons[5].toImage());
}

TEST_F(BoardTest, DepartmentsAndTypesChooseTheTablesAndTheLegendCountsThemByState) {
    // A department with one table type holding 1, 2, … 6 tables in the states "1" … "6",
    // and a department without any table.
    sql("insert into DepartmentList (dept_code, dept_name, dept_rema) values ('08', '花园', ' '), ('09', '空区', ' ')");
    int n = 0;
    for (int state = 1; state <= 6; ++state)
        for (int i = 0; i < state; ++i)
            sql("insert into tablelist (tabl_code, tabl_name, tabl_type_code, dept_code, tabl_stat_code, "
                "tabl_gues_auto_recn) values (?, ?, '02', '08', ?, 0)",
                {QStringLiteral("G%1").arg(++n, 2, 10, QChar('0')), QStringLiteral("花园%1").arg(n), QString::number(state)});
    dm->adoqry_TableDept->refresh();
    board()->Sort();
    QAbstractItemModelTester tester(board()->cells, QAbstractItemModelTester::FailureReportingMode::Fatal);

    // The legend of the first department's first type: eight free tables.
    QTest::mouseClick(work->ToolButton34, Qt::LeftButton);
    QTest::mouseClick(work->ToolButton34, Qt::LeftButton);
    ASSERT_TRUE(work->pnl_StateCut->isVisible());
    auto counts = [this] {
        QStringList c;
        for (QLabel* l : {board()->lbl_null, board()->lbl_use, board()->lbl_acc, board()->lbl_add, board()->lbl_book,
                          board()->lbl_dis})
            c << l->text();
        return c;
    };
    EXPECT_EQ(board()->lbl_Dept->text(), "部门：大厅");
    EXPECT_EQ(board()->lbl_type->text(), "台桌类型：散台");
    EXPECT_EQ(counts(), QStringList({"8", "0", "0", "0", "0", "0"}));

    struct Case {
        int deptRow;
        QString dept, type;
        int types, tables;
        QStringList counts;
    } cases[] = {
        {3, "部门：花园", "台桌类型：卡座", 1, 21, {"1", "2", "3", "4", "5", "6"}},
        {4, "部门：空区", "台桌类型：", 0, 0, {"0", "0", "0", "0", "0", "0"}},
        {1, "部门：包厢", "台桌类型：中包厢", 2, 3, {"3", "0", "0", "0", "0", "0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dept.toStdString());
        const QModelIndex row = board()->DBGrid35->model()->index(c.deptRow, 0);
        QTest::mouseClick(board()->DBGrid35->viewport(), Qt::LeftButton, {}, board()->DBGrid35->visualRect(row).center());
        QApplication::processEvents();
        EXPECT_EQ(board()->dbg_TableTypeTemp->model()->rowCount(), c.types);
        EXPECT_EQ(tables()->recordCount(), c.tables);
        EXPECT_EQ(board()->cells->rowCount(), (c.tables + 5) / 6);
        EXPECT_EQ(board()->lbl_Dept->text(), c.dept);
        EXPECT_EQ(board()->lbl_type->text(), c.type);
        EXPECT_EQ(counts(), c.counts);
    }
    // The type summary counts the tables of each type; choosing the second type shows its tables.
    EXPECT_EQ(dm->adoqry_tabletypetemp->field("statcount").asInt(), 3);
    const QModelIndex second = board()->dbg_TableTypeTemp->model()->index(1, 0);
    QTest::mouseClick(board()->dbg_TableTypeTemp->viewport(), Qt::LeftButton, {},
                      board()->dbg_TableTypeTemp->visualRect(second).center());
    EXPECT_EQ(boardCodes(), QStringList({"B04", "B05"}));
    EXPECT_EQ(board()->lbl_type->text(), "台桌类型：大包厢");
    EXPECT_EQ(counts(), QStringList({"2", "0", "0", "0", "0", "0"}));
}

TEST_F(BoardTest, ViewCycleNamesTheViewShownAndKeepsTheCurrentPanel) {
    struct Step {
        QString caption;
        QFrame* view;
    } steps[] = {{"列表房台", work->pnl_TableStateL}, {"房态图例", work->pnl_StateCut}, {"图形房台", work->pnl_TableStateG}};
    EXPECT_TRUE(work->pnl_TableStateG->isVisible());
    for (const Step& s : steps) {
        QTest::mouseClick(work->ToolButton34, Qt::LeftButton);
        EXPECT_EQ(work->ToolButton34->text(), s.caption);
        for (QFrame* v : {work->pnl_TableStateG, work->pnl_TableStateL, work->pnl_StateCut})
            EXPECT_EQ(v->isVisible(), v == s.view) << v->objectName().toStdString();
        EXPECT_EQ(panel(), "pnl_TableStateG");
    }
}

TEST_F(BoardTest, SortCycleReordersTheBoardAndReturnsToTableCodesOnTheFourthClick) {
    sql("update tablelist set tabl_name='VIP' where tabl_code='A07'");
    sql("update tablelist set tabl_stat_code='6' where tabl_code='A05'");
    sql("update tablelist set tabl_stat_code='5' where tabl_code='A06'");
    sql("update tablelist set tabl_gues_time='2026-12-09 09:00:00' where tabl_code='A03'");
    sql("update tablelist set tabl_gues_time='2026-12-09 09:30:00' where tabl_code='A04'");
    board()->Sort();
    QAbstractItemModelTester tester(board()->cells, QAbstractItemModelTester::FailureReportingMode::Fatal);
    struct Step {
        QString caption;
        QStringList order;
    } steps[] = {
        {"台名排序", {"A07", "A01", "A02", "A03", "A04", "A05", "A06", "A08"}},
        {"状态排序", {"A01", "A02", "A03", "A04", "A07", "A08", "A06", "A05"}},
        {"开台排序", {"A04", "A03", "A01", "A02", "A05", "A06", "A07", "A08"}},
        {"台号排序", {"A01", "A02", "A03", "A04", "A05", "A06", "A07", "A08"}},
    };
    for (const Step& s : steps) {
        QTest::mouseClick(work->ToolButton112, Qt::LeftButton);
        EXPECT_EQ(work->ToolButton112->text(), s.caption);
        EXPECT_EQ(boardCodes(), s.order) << s.caption.toStdString();
        // Still the department and type chosen.
        EXPECT_EQ(board()->cells->rowCount(), 2);
    }
    EXPECT_EQ(tables()->sql(), "select * from tablelist order by tabl_code");
}

TEST_F(BoardTest, SearchBoxMovesOnEveryKeyAndClearsAfterAThreeCharacterCode) {
    // In state order the three tables come as 150, 105, 101, so each key finds another one.
    sql("insert into tablelist (tabl_code, tabl_name, tabl_type_code, dept_code, tabl_stat_code, tabl_gues_auto_recn) "
        "values ('101', 'x', '01', '01', '6', 0), ('105', 'y', '01', '01', '5', 0), ('150', 'z', '01', '01', '1', 0)");
    QTest::mouseClick(work->ToolButton112, Qt::LeftButton);
    QTest::mouseClick(work->ToolButton112, Qt::LeftButton);
    ASSERT_EQ(work->ToolButton112->text(), "状态排序");
    QLineEdit* box = work->EditDict_TableState;
    box->setFocus();
    struct Step {
        char key;
        QString selected, box;
    } steps[] = {{'1', "150", "1"}, {'0', "105", "10"}, {'1', "101", ""}};
    for (const Step& s : steps) {
        QTest::keyClick(box, s.key);
        EXPECT_EQ(currentCode(), s.selected);
        EXPECT_EQ(box->text(), s.box);
    }
    // Only digits and letters, shown upper case.
    QTest::keyClicks(box, "a-b *");
    EXPECT_EQ(box->text(), "AB");
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(BoardTest, SearchBoxFindsACodeInAnotherDepartmentOrSaysItIsMissing) {
    struct Case {
        QString typed;
        QString selected, dept, type, box;
        QStringList boxes;
    } cases[] = {
        // A full code of another department and type: the board moves there.
        {"a05", "A05", "01", "01", "", {}},
        {"k06", "K06", "03", "06", "", {}},
        // A full code in the current view.
        {"b03", "B03", "02", "03", "", {}},
        // No such table: the message, then the first department.
        {"999", "A01", "01", "01", "", {"[999]查无此房台号,请重新查找!"}},
        // Part of a code: the first match in the view, the box keeps it.
        {"b0", "B01", "02", "03", "B0", {}},
        {"k", "B01", "02", "03", "K", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        // Each search starts on 包厢 / 中包厢.
        work->EditDict_TableState->clear();
        ASSERT_TRUE(dm->adoqry_TableDept->locate("dept_code", "02"));
        ASSERT_EQ(currentCode(), "B01");
        prompter.clear();
        QTest::keyClicks(work->EditDict_TableState, c.typed);
        EXPECT_EQ(currentCode(), c.selected);
        EXPECT_EQ(dm->adoqry_TableDept->field("dept_code").asString(), c.dept);
        EXPECT_EQ(dm->adoqry_tabletypetemp->field("tabl_type_code").asString(), c.type);
        EXPECT_EQ(work->EditDict_TableState->text(), c.box);
        EXPECT_EQ(prompter.texts(), c.boxes);
        // The side panel follows the table found.
        EXPECT_EQ(board()->DBGrid35->currentIndex().row(), dm->adoqry_TableDept->recNo() - 1);
    }
}

TEST_F(BoardTest, RightClickSelectsTheTableAndTheMenuFollowsItsState) {
    struct Case {
        QString state;
        QStringList entries;
    } cases[] = {
        {"1", {"开台", "禁用", "预订", "反结"}},
        {"5", {"开台", "预订"}},
        {"6", {"启用"}},
        {"2", {"预订"}},
        {"4", {"预订"}},
        {"3", {}},
    };
    // The booking and reverse-checkout entries follow the table's state once their screens are
    // there to run them.
    main->registerAction("board.bookin", [] {});
    main->registerAction("board.reverse", [] {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state.toStdString());
        setState("A03", c.state);
        ASSERT_EQ(currentCode(), "A01");
        clickCell("A03", Qt::RightButton);
        EXPECT_EQ(currentCode(), "A03");
        EXPECT_TRUE(board()->PopupMenu_TableState->isVisible());
        EXPECT_EQ(sorted(menuEntries()), sorted(c.entries));
        closeMenu();
    }
    // Without them those entries are never offered.
    main->registerAction("board.bookin", nullptr);
    main->registerAction("board.reverse", nullptr);
    setState("A03", "1");
    clickCell("A03", Qt::RightButton);
    EXPECT_EQ(sorted(menuEntries()), sorted({"开台", "禁用"}));
    closeMenu();

    // The list view does the same.
    setState("A03", "1");
    QTest::mouseClick(work->ToolButton34, Qt::LeftButton);
    QApplication::processEvents();
    const QModelIndex row = board()->DBGrid34->model()->index(5, 0);
    QTest::mouseClick(board()->DBGrid34->viewport(), Qt::RightButton, {}, board()->DBGrid34->visualRect(row).center());
    EXPECT_EQ(currentCode(), "A06");
    EXPECT_TRUE(board()->PopupMenu_TableState->isVisible());
    EXPECT_EQ(board()->DBGrid34->currentIndex().row(), 5);
    closeMenu();
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(BoardTest, DisableAndEnableFromTheMenuStoreTheTablesState) {
    clickCell("A04", Qt::RightButton);
    board()->pm_no->trigger();
    EXPECT_EQ(storedState("A04"), "6");
    EXPECT_EQ(board()->lbl_TableState->text(), "禁用");
    closeMenu();
    clickCell("A04", Qt::RightButton);
    EXPECT_EQ(menuEntries(), QStringList({"启用"}));
    board()->pm_yes->trigger();
    EXPECT_EQ(storedState("A04"), "1");
    EXPECT_EQ(board()->lbl_TableState->text(), "空闲");
    closeMenu();
}

TEST_F(BoardTest, DoubleClickOpensAFreeOrBookedTableAndLeavesADisabledOneAlone) {
    struct Case {
        QString state;
        QString panel;
    } cases[] = {{"6", "pnl_TableStateG"}, {"1", "pnl_Register"}, {"5", "pnl_Register"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state.toStdString());
        setState("A02", c.state);
        doubleClickCell("A02");
        EXPECT_EQ(panel(), c.panel);
        EXPECT_TRUE(prompter.texts().isEmpty());
        if (c.panel == "pnl_Register") {
            EXPECT_EQ(QApplication::focusWidget(), opening()->DBEdit1);
            EXPECT_EQ(dm->adoqry_TableGues->state(), kx::db::Dataset::Insert);
            key(Qt::Key_Escape);
            EXPECT_EQ(panel(), "pnl_TableState");
        }
    }
    // Numeric-pad + on the board does the same for the current table.
    clickCell("A07");
    keypad(work->EditDict_TableState, Qt::Key_Plus);
    EXPECT_EQ(panel(), "pnl_Register");
    EXPECT_EQ(opening()->DBText7->text(), "A07");
}

TEST_F(BoardTest, NothingHappensOnTheBoardBeforeTheDayStarts) {
    dm->setup.set("pay_star", false);
    struct Case {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"left press", [this] { clickCell("A04"); }},
        {"right press", [this] { clickCell("A04", Qt::RightButton); }},
        {"double click", [this] { doubleClickCell("A04"); }},
        {"numeric-pad +", [this] { keypad(work->EditDict_TableState, Qt::Key_Plus); }},
        {"menu entry 开台", [this] { board()->pm_open->trigger(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.clear();
        c.act();
        EXPECT_EQ(prompter.texts(), QStringList({kDayNotStarted}));
        EXPECT_EQ(currentCode(), "A01");
        EXPECT_FALSE(board()->PopupMenu_TableState->isVisible());
        EXPECT_EQ(panel(), "pnl_TableStateG");
    }
}

TEST_F(BoardTest, PermissionsGuardTheDoubleClick) {
    struct Case {
        QString revoked;
        QStringList boxes;
        QString panel;
    } cases[] = {
        {"DP", {"DP你没有操作此项功能的权限，请与系统管理员联系！"}, "pnl_TableStateG"},
        {"BI", {"BI你没有操作此项功能的权限，请与系统管理员联系！"}, "pnl_TableStateG"},
    };
    // The waiter's role holds both; take one away at a time.
    QTest::mouseClick(work->ToolButton4, Qt::LeftButton);
    logIn("03", "2222");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.revoked.toStdString());
        sql("update Limitedlist set limi_real=1 where mana_code='03'");
        sql("update Limitedlist set limi_real=0 where mana_code='03' and limi_code=?", {c.revoked});
        prompter.clear();
        doubleClickCell("A02");
        EXPECT_EQ(prompter.texts(), c.boxes);
        EXPECT_EQ(panel(), c.panel);
        EXPECT_EQ(dm->adoqry_TableGues->state(), kx::db::Dataset::Browse);
    }
}

} // namespace

namespace {

// Another front desk on the same file: its own connection and data module.
struct OtherDesk {
    explicit OtherDesk(const QString& path) {
        connection.open(path);
        dm = std::make_unique<kx::frontdesk::TDMTable>(connection.db());
        dm->openWorkingData();
        kx::frontdesk::installOpeningHooks(*dm);
    }
    qint64 open(const QString& table) {
        dm->adoqry_table->setFiltered(false);
        EXPECT_TRUE(dm->adoqry_table->locate(QStringLiteral("tabl_code"), table));
        dm->adoqry_TableGues->append();
        dm->adoqry_TableGues->field(QStringLiteral("tabl_gues_coun")).setValue(3);
        return kx::frontdesk::openTable(*dm);
    }
    kx::db::Connection connection;
    std::unique_ptr<kx::frontdesk::TDMTable> dm;
};

// What another desk does reaches this board without this desk doing anything, and a double
// click enters the table as it is now.
TEST_F(BoardTest, AnotherDesksOpeningAndClearingReachTheBoard) {
    // The board has looked once: nothing new since.
    board()->followOtherDesks();
    EXPECT_FALSE(board()->followOtherDesks());
    OtherDesk other(path);
    // The cashier has chosen A02 and opened its menu when the other desk opens A03.
    clickCell("A02", Qt::RightButton);
    const qint64 key = other.open("A03");
    // Within the watch's second.
    QTest::qWait(1300);
    EXPECT_EQ(currentCode(), "A02");
    EXPECT_TRUE(board()->pm_reagain->isVisible());
    closeMenu();
    ASSERT_TRUE(tables()->locate("tabl_code", "A03"));
    EXPECT_EQ(tables()->field("tabl_stat_code").asString(), "2");
    EXPECT_FALSE(board()->followOtherDesks()); // nothing more to read
    doubleClickCell("A03");
    EXPECT_EQ(panel(), "pnl_Work");
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_auto_recn").asInt(), key);
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_coun").asInt(), 3);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

// A double click reads the table again even when the watch has not looked yet: the state
// another desk left is the one acted on.
TEST_F(BoardTest, ADoubleClickEntersTheTableAsItIsNow) {
    OtherDesk other(path);
    const qint64 key = other.open("A05");
    ASSERT_TRUE(tables()->locate("tabl_code", "A05"));
    EXPECT_EQ(tables()->field("tabl_stat_code").asString(), "1"); // not looked yet
    doubleClickCell("A05");
    EXPECT_EQ(panel(), "pnl_Work");
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_auto_recn").asInt(), key);
}

} // namespace
