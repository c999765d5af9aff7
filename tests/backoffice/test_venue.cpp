// The venue's layout kept from the setup tree's "房台设置": departments, table types and
// tables — what each refuses and why, a new table's defaults, the department list beside the
// tables.
//
// Sample venue: departments 01 大厅 (A01–A10), 02 包厢, 03 KTV; types 01 散台 … 06 KTV大包, each
// with its mode.
#include "Prompter.h"
#include "SetupScreenTest.h"

#include <QRegularExpression>

using kx::db::Dataset;

namespace {

class VenueTest : public kx::test::SetupScreenTest {
  protected:
    // A choice in a look-up box, as a click on its list does.
    void choose(const char* box, const QString& code) {
        auto* b = control<QComboBox>(box);
        const int at = b->findData(code);
        ASSERT_GE(at, 0) << code.toStdString();
        b->setCurrentIndex(at);
        emit b->activated(at);
        QApplication::processEvents();
    }
    // A row of a side list clicked.
    void clickRow(const char* grid, int row) {
        auto* g = control<QTableView>(grid);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, 0)).center());
        QApplication::processEvents();
    }
    qint64 count(const QString& sql, const QVariantList& params = {}) const {
        return kx::db::scalarInt(db(), sql, params);
    }
};

TEST_F(VenueTest, ANewTableTakesTheChosenDepartmentAndIsFree) {
    openLeaf("房台");
    Dataset* tables = setup->adoqry_Table;
    EXPECT_EQ(main->CurrentDataset, tables);
    EXPECT_EQ(tables->recordCount(), 10); // 大厅's tables
    clickRow("DBGrid15", 1);              // 包厢
    EXPECT_EQ(setup->adoqry_TableDept->field("dept_code").asString(), "02");
    const int inRooms = tables->recordCount();
    press(main->toolb_Add);
    type("DBEdit20", "b99");
    type("DBEdit19", "vip room");
    type("DBEdit18", "Lake view");
    choose("DBLookupComboBox3", "04");
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    QSqlQuery q = kx::db::run(db(), "select tabl_name, tabl_narr, dept_code, tabl_stat_code, tabl_rema, "
                                    "coalesce(tabl_gues_auto_recn, 0) from TableList where tabl_code = 'B99'");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "VIP ROOM");
    EXPECT_EQ(q.value(1).toString(), "Lake view"); // as typed
    EXPECT_EQ(q.value(2).toString(), "02");
    EXPECT_EQ(q.value(3).toString(), "1");
    EXPECT_EQ(q.value(4).toString(), " ");
    EXPECT_EQ(q.value(5).toInt(), 0);
    EXPECT_EQ(tables->recordCount(), inRooms + 1);
    EXPECT_EQ(tables->field("tabletypename").asString(), "大包厢");
}

TEST_F(VenueTest, MovingToAnotherDepartmentWithANewTableWithoutItsTypeStays) {
    openLeaf("房台");
    press(main->toolb_Add);
    type("DBEdit20", "A99");
    type("DBEdit19", "X");
    clickRow("DBGrid15", 2);
    EXPECT_EQ(lastText(), "房台[编号]、[名称]、[类型]不能为空！");
    EXPECT_EQ(setup->adoqry_TableDept->field("dept_code").asString(), "01");
    EXPECT_EQ(setup->adoqry_Table->state(), Dataset::Insert);
    EXPECT_EQ(edit("DBEdit20")->text(), "A99");
    choose("DBLookupComboBox3", "01");
    clickRow("DBGrid15", 2);
    EXPECT_EQ(setup->adoqry_TableDept->field("dept_code").asString(), "03");
    EXPECT_EQ(count("select count(*) from TableList where tabl_code = 'A99' and dept_code = '01'"), 1);
}

TEST_F(VenueTest, ADepartmentWithTablesStaysUntilTheyAreGone) {
    kx::db::exec(db(), "insert into departmentlist (dept_code, dept_name, dept_rema) values ('09', '露台', ' ')");
    kx::db::exec(db(), "insert into TableList (tabl_code, tabl_name, tabl_type_code, dept_code) values ('T91', '露台1', "
                       "'01', '09')");
    setup->adoqry_TableDept->refresh();
    setup->adoqry_Table->refresh();
    openLeaf("部门");
    Dataset* depts = setup->adoqry_TableDept;
    ASSERT_TRUE(depts->locate("dept_code", QString("09")));
    deleteCurrent();
    EXPECT_EQ(lastText(), "[部门]下面设有[房台]，所以不能被删除！");
    // Typing over its code is refused at the first key.
    prompter.clear();
    type("dbe_CodeDept", "8");
    EXPECT_EQ(prompter.last().text, "[部门]下面设有[房台]，所以不能被修改！");
    EXPECT_EQ(prompter.last().caption, kx::SeriesTitle);
    EXPECT_EQ(depts->state(), Dataset::Browse);
    EXPECT_EQ(count("select count(*) from departmentlist where dept_code = '09'"), 1);

    // Its table deleted on the table screen, it goes.
    openLeaf("房台");
    clickRow("DBGrid15", 3);
    ASSERT_EQ(setup->adoqry_Table->field("tabl_code").asString(), "T91");
    deleteCurrent();
    openLeaf("部门");
    ASSERT_TRUE(depts->locate("dept_code", QString("09")));
    deleteCurrent();
    EXPECT_EQ(count("select count(*) from departmentlist where dept_code = '09'"), 0);
}

struct RefusalCase {
    const char* name;
    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }
    const char* leaf;
    const char* prepare; // statements joined by ";" (may be empty)
    const char* keyField;
    const char* key;
    const char* codeEdit; // recode through this edit to `newCode`; delete when empty
    const char* newCode;
    const char* message; // empty: done
    const char* storedSql; // a count that is 1 after the action
};

class Refusals : public VenueTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, KeepTheRowWhileItIsNeeded) {
    const RefusalCase& c = GetParam();
    if (*c.prepare)
        for (const QString& sql : QString::fromUtf8(c.prepare).split(';'))
            kx::db::exec(db(), sql);
    openLeaf(c.leaf);
    Dataset* ds = main->CurrentDataset;
    ds->refresh();
    if (QString(c.leaf) == "房台") {
        const QString dept = kx::db::scalarText(db(), "select dept_code from TableList where tabl_code = ?", {QString(c.key)});
        ASSERT_TRUE(setup->adoqry_TableDept->locate("dept_code", dept));
    }
    ASSERT_TRUE(ds->locate(c.keyField, QString(c.key)));
    if (*c.codeEdit) {
        type(c.codeEdit, c.newCode);
        press(main->toolb_Save);
    } else {
        deleteCurrent();
    }
    const QString message = QString::fromUtf8(c.message);
    if (message.isEmpty()) EXPECT_TRUE(prompter.texts().filter(QRegularExpression("不能|重复")).isEmpty());
    else EXPECT_EQ(lastText(), message);
    EXPECT_EQ(count(c.storedSql), 1) << c.storedSql;
}

INSTANTIATE_TEST_SUITE_P(
    Venue, Refusals,
    ::testing::Values(
        RefusalCase{"ATypeInUseNotRecoded", "类型", "", "tabl_type_code", "01", "DBEdit12", "09",
                    "[房台类型]正在被设置使用，所以不能被修改！", "select count(*) from TableTypeList where tabl_type_code = '01'"},
        RefusalCase{"ATypeInUseRenamed", "类型", "", "tabl_type_code", "01", "DBEdit16", "大厅散台", "",
                    "select count(*) from TableTypeList where tabl_type_code = '01' and tabl_type_name = '大厅散台'"},
        RefusalCase{"ATypeInUseNotDeleted", "类型", "", "tabl_type_code", "02", "", "",
                    "[房台类型]正在被设置使用，所以不能被删除！", "select count(*) from TableTypeList where tabl_type_code = '02'"},
        RefusalCase{"ATypeCodeTakenIsADuplicate", "类型",
                    "insert into TableTypeList (tabl_type_code, tabl_type_name, cons_mode_code) values ('09', '临时', '01')",
                    "tabl_type_code", "09", "DBEdit12", "01", "编号有重复，请从新输入！",
                    "select count(*) from TableTypeList where tabl_type_code = '09'"},
        RefusalCase{"AFinishedVisitNotYetRolledKeepsItsTable", "房台",
                    "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use) values (900, 'A03', 0)",
                    "tabl_code", "A03", "", "", "此[台桌]现在正在被[前台操作]使用，不能被删除!",
                    "select count(*) from TableList where tabl_code = 'A03'"},
        RefusalCase{"ATableWithAVisitKeepsItsCode", "房台",
                    "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use) values (900, 'A03', 1)",
                    "tabl_code", "A03", "DBEdit20", "A33", "此[台桌]现在正在被[前台操作]使用，不能被修改!",
                    "select count(*) from TableList where tabl_code = 'A03'"},
        RefusalCase{"ABookedTableNotDeleted", "房台",
                    "insert into bookin (book_name, tabl_code) values ('王先生', 'A04')", "tabl_code", "A04", "", "",
                    "此[台桌]现在正在被[预订]使用，不能被删除!", "select count(*) from TableList where tabl_code = 'A04'"},
        RefusalCase{"ABookedTableKeepsItsCode", "房台",
                    "insert into bookin (book_name, tabl_code) values ('王先生', 'A04')", "tabl_code", "A04", "DBEdit20",
                    "A44", "此[台桌]现在正在被[预订]使用，不能被修改!",
                    "select count(*) from TableList where tabl_code = 'A04'"},
        RefusalCase{"AFreeTableRecoded", "房台", "", "tabl_code", "A05", "DBEdit20", "A55", "",
                    "select count(*) from TableList where tabl_code = 'A55'"},
        RefusalCase{"ATableCodeTakenIsADuplicate", "房台", "", "tabl_code", "A05", "DBEdit20", "A06",
                    "编号有重复，请从新输入！", "select count(*) from TableList where tabl_code = 'A05'"},
        RefusalCase{"ADepartmentCodeTakenIsADuplicate", "部门",
                    "insert into departmentlist (dept_code, dept_name) values ('09', '露台')", "dept_code", "09",
                    "dbe_CodeDept", "01", "编号有重复，请从新输入！",
                    "select count(*) from departmentlist where dept_code = '09'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VenueTest, ATypeNeedsCodeNameAndMode) {
    openLeaf("类型");
    press(main->toolb_Add);
    type("DBEdit12", "09");
    type("DBEdit16", "露台");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "房台类型[编号]、[名称]、[类型]不能为空！");
    EXPECT_EQ(setup->adoqry_TableType->state(), Dataset::Insert);
    choose("DBLookupComboBox5", "02");
    press(main->toolb_Save);
    EXPECT_EQ(count("select count(*) from TableTypeList where tabl_type_code = '09' and cons_mode_code = '02'"), 1);
    EXPECT_EQ(setup->adoqry_TableType->field("consmodename").asString(), "卡座茶位");
}

// Coming from the consumption modes, the type screen shows their new names and stays on its row.
TEST_F(VenueTest, TheTypesShowTheModesNewNames) {
    openLeaf("类型");
    ASSERT_TRUE(setup->adoqry_TableType->locate("tabl_type_code", QString("03")));
    openLeaf("消费方式");
    ASSERT_TRUE(setup->adoqry_ConsMode->locate("cons_mode_code", QString("04")));
    type("DBEdit30", "中包厢人均");
    press(main->toolb_Save);
    openLeaf("类型");
    EXPECT_EQ(setup->adoqry_TableType->field("tabl_type_code").asString(), "03");
    EXPECT_EQ(setup->adoqry_TableType->field("consmodename").asString(), "中包厢人均");
}

} // namespace
