// The staff kept from the "管理设置" tree: roles and their permissions, operators, and the areas,
// groups and commission staff of the performance figures — their checks before saving, the
// permission rows that live and die with a role, granting, and the parent lists.
//
// Sample venue: roles 01 系统管理员, 02 收银员, 03 服务员, each with the 21 permissions of the
// catalogue; operator 01 (password "admin") in role 01.
#include "Check.h"
#include "Password.h"
#include "Permission.h"
#include "SetupScreenTest.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

using kx::db::Dataset;

namespace {

class StaffTest : public kx::test::SetupScreenTest {
  protected:
    void clickRow(const char* grid, int row) {
        auto* g = control<QTableView>(grid);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, 0)).center());
        QApplication::processEvents();
    }
    void pick(const char* grid, Dataset* ds, const char* field, const QString& code) {
        auto* g = control<QTableView>(grid);
        for (int r = 0; r < g->model()->rowCount(); ++r)
            if (ds->valueAt(r, ds->fieldIndex(field)).toString() == code) return clickRow(grid, r);
        FAIL() << "no row " << code.toStdString() << " in " << grid;
    }
    qint64 count(const QString& sql, const QVariantList& params = {}) const {
        return kx::db::scalarInt(db(), sql, params);
    }
    bool granted(const QString& role, const QString& code) const { return kx::hasPermission(db(), role, code); }
};

struct SaveCase {
    const char* name;
    friend void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }
    const char* leaf;
    std::vector<std::pair<const char*, const char*>> typed; // edit, text
    const char* message;
};

class SaveChecks : public StaffTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveChecks, ShowTheirMessageAndKeepTheRow) {
    const SaveCase& c = GetParam();
    openManageLeaf(c.leaf);
    Dataset* ds = main->CurrentDataset;
    ASSERT_NE(ds, nullptr);
    press(main->toolb_Add);
    prompter.clear();
    for (const auto& [name, text] : c.typed)
        type(name, QString::fromUtf8(text));
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), QString::fromUtf8(c.message));
    EXPECT_EQ(ds->state(), Dataset::Insert);
    for (const auto& [name, text] : c.typed)
        EXPECT_EQ(edit(name)->text().toUpper(), QString::fromUtf8(text).toUpper()) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Staff, SaveChecks,
    ::testing::Values(
        SaveCase{"RoleWithoutCode", "员工级别", {{"DBEdit43", "领班"}}, "员工级别[编码]、[名称]不能为空！"},
        SaveCase{"RoleWithoutName", "员工级别", {{"DBEdit42", "04"}}, "员工级别[编码]、[名称]不能为空！"},
        SaveCase{"RoleDuplicate", "员工级别", {{"DBEdit42", "01"}, {"DBEdit43", "X"}}, "编号有重复，请从新输入！"},
        SaveCase{"OperatorWithoutName", "操作员工", {{"DBEdit44", "05"}, {"DBEdit46", "pw"}},
                 "员工[编码]、[名称]、[密码]不能为空！"},
        SaveCase{"OperatorWithoutPassword", "操作员工", {{"DBEdit44", "05"}, {"DBEdit45", "Li"}},
                 "员工[编码]、[名称]、[密码]不能为空！"},
        SaveCase{"OperatorDuplicate", "操作员工", {{"DBEdit44", "01"}, {"DBEdit45", "Li"}, {"DBEdit46", "pw"}},
                 "编号有重复，请从新输入！"},
        SaveCase{"AreaWithoutName", "员工分区", {{"DBEdit48", "9"}}, "分区[编码]、[名称]不能为空！"},
        SaveCase{"GroupWithoutCode", "员工分组", {{"DBEdit51", "A组"}}, "分组[编码]、[名称]不能为空！"},
        SaveCase{"StaffWithoutName", "提成员工", {{"DBEdit54", "901"}}, "提成员工[编码]、[名称]不能为空！"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StaffTest, ARoleComesWithEveryPermissionNoneGrantedAndGoesWithThem) {
    const qint64 catalogue = count("select count(*) from LimitedTemp");
    openManageLeaf("员工级别");
    press(main->toolb_Add);
    type("DBEdit42", "04");
    type("DBEdit43", "领班");
    press(main->toolb_Save);
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = '04'"), catalogue);
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = '04' and limi_real <> 0"), 0);
    EXPECT_EQ(count("select mana_rema = ' ' from managertype where mana_code = '04'"), 1);
    // Under a code that exists: refused, and that role's rows stay as many as before.
    press(main->toolb_Add);
    type("DBEdit42", "01");
    type("DBEdit43", "X");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "编号有重复，请从新输入！");
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = '01'"), catalogue);
    press(main->toolb_Cancel);
    EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty()) << kx::db::checkDatabase(db()).join('\n').toStdString();

    // A role deleted takes its permissions; its operators stay, refused by both programs.
    kx::db::exec(db(), "insert into operatorlist (oper_code, oper_name, oper_pass, mana_code) values ('07', 'Wu', ?, '03')",
                 {kx::hashPassword("x")});
    ASSERT_TRUE(setup->adoqry_ConsKind); // (the back office is the one logged in)
    ASSERT_TRUE(manage->adoqry_ManagerType->locate("mana_code", QString("03")));
    deleteCurrent();
    EXPECT_EQ(count("select count(*) from managertype where mana_code = '03'"), 0);
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = '03'"), 0);
    EXPECT_EQ(count("select count(*) from operatorlist where oper_code = '07'"), 1);
    prompter.clear();
    EXPECT_FALSE(kx::Limite(*main->ScratchQuery, "03", "DP", kx::ProgramKind::FrontDesk));
    EXPECT_FALSE(kx::Limite(*main->ScratchQuery, "03", "OM", kx::ProgramKind::BackOffice));
    EXPECT_EQ(prompter.texts(), QStringList({"DP你没有操作此项功能的权限，请与系统管理员联系！",
                                             "你没有操作此项功能的权限，请与系统管理员联系！"}));
    EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty()) << kx::db::checkDatabase(db()).join('\n').toStdString();
}

TEST_F(StaffTest, ARoleCodeWithAQuoteWorksThroughout) {
    openManageLeaf("员工级别");
    press(main->toolb_Add);
    type("DBEdit42", "Q'");
    type("DBEdit43", "QUOTE");
    press(main->toolb_Save);
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = ?", {"Q'"}),
              count("select count(*) from LimitedTemp"));
    openManageLeaf("权限设置");
    pick("DBGrid24", manage->adoqry_ManagerType, "mana_code", "Q'");
    QTest::mouseClick(control<QWidget>("pnl_Limited")->findChild<QPushButton*>("SpeedButton9"), Qt::LeftButton);
    EXPECT_TRUE(granted("Q'", "AP"));
    openManageLeaf("员工级别");
    ASSERT_TRUE(manage->adoqry_ManagerType->locate("mana_code", QString("Q'")));
    deleteCurrent();
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = ?", {"Q'"}), 0);
}

TEST_F(StaffTest, ARoleRecodedTakesItsPermissionsUnlessItHasOperators) {
    openManageLeaf("员工级别");
    ASSERT_TRUE(manage->adoqry_ManagerType->locate("mana_code", QString("01")));
    type("DBEdit42", "09");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "[员工级别]正在被[操作员工]使用，不能被修改!");
    press(main->toolb_Cancel);
    // A role without operators: its rows, grants and all, follow it.
    press(main->toolb_Add);
    type("DBEdit42", "04");
    type("DBEdit43", "TRAINEE");
    press(main->toolb_Save);
    kx::db::exec(db(), "update Limitedlist set limi_real = 1 where mana_code = '04' and limi_code = 'AP'");
    ASSERT_TRUE(manage->adoqry_ManagerType->locate("mana_code", QString("04")));
    type("DBEdit42", "05");
    press(main->toolb_Save);
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = '04'"), 0);
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = '05'"), count("select count(*) from LimitedTemp"));
    EXPECT_TRUE(granted("05", "AP"));
    EXPECT_FALSE(granted("05", "DP"));
    EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty());
}

TEST_F(StaffTest, GrantingCountsAtTheNextCheck) {
    openManageLeaf("权限设置");
    EXPECT_EQ(toolbar(), QStringList({"取消", "保存"}));
    pick("DBGrid24", manage->adoqry_ManagerType, "mana_code", "03");
    Dataset* grants = manage->adoqry_Limited;
    EXPECT_EQ(grants->recordCount(), count("select count(*) from LimitedTemp"));
    auto* screen = control<QWidget>("pnl_Limited");
    auto* all = screen->findChild<QPushButton*>("SpeedButton9");
    auto* none = screen->findChild<QPushButton*>("SpeedButton10");

    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_TRUE(granted("03", "AP"));
    EXPECT_TRUE(granted("03", "SS"));
    EXPECT_EQ(grants->recordCount(), count("select count(*) from LimitedTemp")); // the same role still
    EXPECT_TRUE(granted("01", "AP"));
    QTest::mouseClick(none, Qt::LeftButton);
    EXPECT_FALSE(granted("03", "AP"));
    EXPECT_TRUE(granted("01", "AP")); // only the chosen role

    // A double click turns one over at once.
    ASSERT_TRUE(grants->locate("limi_code", QString("DP")));
    auto* grid = control<QTableView>("DBGrid25");
    const QPoint at = grid->visualRect(grid->model()->index(grants->recNo() - 1, 1)).center();
    auto doubleClick = [&] {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    };
    doubleClick();
    EXPECT_TRUE(granted("03", "DP"));
    EXPECT_EQ(control<QLabel>("DBText7")->text(), "DP");
    doubleClick();
    EXPECT_FALSE(granted("03", "DP"));

    // The check box, saved by "保存".
    ASSERT_TRUE(grants->locate("limi_code", QString("BI")));
    auto* box = control<QCheckBox>("DBCheckBox5");
    box->click();
    EXPECT_FALSE(granted("03", "BI"));
    press(main->toolb_Save);
    EXPECT_TRUE(granted("03", "BI"));

    // A role without permission rows: "全选" changes nothing, the grid stays empty.
    kx::db::exec(db(), "insert into managertype (mana_code, mana_name) values ('08', 'EMPTY')");
    manage->adoqry_ManagerType->refresh();
    pick("DBGrid24", manage->adoqry_ManagerType, "mana_code", "08");
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_EQ(grants->recordCount(), 0);
    EXPECT_EQ(count("select count(*) from Limitedlist where mana_code = '08'"), 0);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

TEST_F(StaffTest, AnOperatorMadeHereLogsInWithTheTypedPassword) {
    openManageLeaf("操作员工");
    pick("DBGrid27", manage->adoqry_ManagerType, "mana_code", "02");
    press(main->toolb_Add);
    type("DBEdit44", "05");
    type("DBEdit45", "Li Na");
    type("DBEdit46", "s3cret");
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(edit("DBEdit46")->text().isEmpty());
    const QString stored = kx::db::scalarText(db(), "select oper_pass from operatorlist where oper_code = '05'");
    EXPECT_NE(stored, "s3cret");
    EXPECT_TRUE(kx::verifyPassword("s3cret", stored));
    EXPECT_EQ(kx::db::scalarText(db(), "select mana_code from operatorlist where oper_code = '05'"), "02");
    EXPECT_EQ(kx::db::scalarText(db(), "select oper_name from operatorlist where oper_code = '05'"), "Li Na"); // as typed
    EXPECT_EQ(manage->adoqry_Operator->field("operpass").asString(), "******");

    // Only the remark changed: the password stays; a new one typed replaces it.
    type("DBEdit47", "night shift");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select oper_pass from operatorlist where oper_code = '05'"), stored);
    ASSERT_TRUE(manage->adoqry_Operator->locate("oper_code", QString("05")));
    type("DBEdit46", "other");
    press(main->toolb_Save);
    EXPECT_TRUE(kx::verifyPassword("other", kx::db::scalarText(db(), "select oper_pass from operatorlist "
                                                                       "where oper_code = '05'")));

    // The back office's login takes it.
    stop();
    start();
    logIn("05", "other");
    EXPECT_TRUE(main->LoggedIn);
    EXPECT_EQ(main->OperatorName, "Li Na");
}

TEST_F(StaffTest, ParentListsNarrowTheirChildrenAndGiveNewOnesTheirCode) {
    kx::db::exec(db(), "insert into AreaList (area_code, area_name) values ('8', 'EAST'), ('9', 'WEST')");
    manage->adoqry_Area->refresh();
    openManageLeaf("员工分组");
    pick("DBGrid30", manage->adoqry_Area, "area_code", "8");
    press(main->toolb_Add);
    prompter.clear();
    type("DBEdit52", "E1");
    type("DBEdit50", "1a2b34");
    EXPECT_EQ(edit("DBEdit50")->text(), "123");
    // Another area while the new group has no name: refused, the area stays.
    pick("DBGrid30", manage->adoqry_Area, "area_code", "9");
    EXPECT_EQ(lastText(), "分组[编码]、[名称]不能为空！");
    EXPECT_EQ(manage->adoqry_Area->field("area_code").asString(), "8");
    type("DBEdit51", "EAST ONE");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select area_code || '/' || grou_ream from GroupList where grou_code = 'E1'"),
              "8/123");

    openManageLeaf("提成员工");
    pick("DBGrid33", manage->adoqry_Area, "area_code", "8");
    EXPECT_EQ(manage->adoqry_group->recordCount(), 1);
    pick("DBGrid32", manage->adoqry_group, "grou_code", "E1");
    EXPECT_EQ(manage->adoqry_deduOperator->recordCount(), 0);
    press(main->toolb_Add);
    type("DBEdit54", "801");
    type("DBEdit53", "ZHAO");
    type("DBEdit55", "5000");
    // An area does not move off a staff row that does not pass.
    edit("DBEdit53")->selectAll();
    QTest::keyClick(edit("DBEdit53"), Qt::Key_Backspace);
    prompter.clear();
    pick("DBGrid33", manage->adoqry_Area, "area_code", "9");
    EXPECT_EQ(lastText(), "提成员工[编码]、[名称]不能为空！");
    EXPECT_EQ(manage->adoqry_Area->field("area_code").asString(), "8");
    type("DBEdit53", "ZHAO");
    press(main->toolb_Save);
    EXPECT_EQ(kx::test::joinedRows(db(), "select grou_code, dedu_oper_stan from deduoperatorlist "
                                         "where dedu_oper_code = '801'"),
              "E1/5000");
}

struct InUseCase {
    const char* name;
    friend void PrintTo(const InUseCase& c, std::ostream* os) { *os << c.name; }
    const char* leaf;
    const char* prepare; // statements joined by ";"
    const char* keyField;
    const char* key;
    const char* codeEdit; // empty: delete
    const char* message;
};

class CodesInUse : public StaffTest, public ::testing::WithParamInterface<InUseCase> {};

TEST_P(CodesInUse, AreRefused) {
    const InUseCase& c = GetParam();
    for (const QString& sql : QString::fromUtf8(c.prepare).split(';', Qt::SkipEmptyParts))
        kx::db::exec(db(), sql);
    for (Dataset* ds : {manage->adoqry_Area, manage->adoqry_group, manage->adoqry_deduOperator})
        ds->refresh();
    openManageLeaf(c.leaf);
    Dataset* ds = main->CurrentDataset;
    if (QString(c.leaf) == "员工分组") ASSERT_TRUE(manage->adoqry_Area->locate("area_code", QString("8")));
    ASSERT_TRUE(ds->locate(c.keyField, QString(c.key)));
    if (*c.codeEdit) {
        type(c.codeEdit, "7");
        press(main->toolb_Save);
    } else {
        deleteCurrent();
    }
    EXPECT_EQ(lastText(), QString::fromUtf8(c.message));
    EXPECT_EQ(kx::db::scalarInt(db(), QStringLiteral("select count(*) from %1 where %2 = ?")
                                          .arg(ds->baseTable(), QString(c.keyField)),
                                {QString(c.key)}),
              1);
}

const char* const kAreaWithGroupWithStaff =
    "insert into AreaList (area_code, area_name) values ('8', 'EAST');"
    "insert into GroupList (grou_code, grou_name, area_code) values ('E1', 'EAST ONE', '8');"
    "insert into deduoperatorlist (dedu_oper_code, dedu_oper_name, grou_code) values ('801', 'ZHAO', 'E1')";

INSTANTIATE_TEST_SUITE_P(
    Staff, CodesInUse,
    ::testing::Values(
        InUseCase{"AreaWithGroupsNotDeleted", "员工分区", kAreaWithGroupWithStaff, "area_code", "8", "",
                  "[员工分区]下面设有[员工分组]，所以不能被删除！"},
        InUseCase{"AreaWithGroupsNotRecoded", "员工分区", kAreaWithGroupWithStaff, "area_code", "8", "DBEdit48",
                  "[员工分区]正在被[员工分组]使用，不能被修改!"},
        InUseCase{"GroupWithStaffNotDeleted", "员工分组", kAreaWithGroupWithStaff, "grou_code", "E1", "",
                  "[员工分组]下面设有[提成员工]，所以不能被删除！"},
        InUseCase{"GroupWithStaffNotRecoded", "员工分组", kAreaWithGroupWithStaff, "grou_code", "E1", "DBEdit52",
                  "[员工分组]正在被[提成员工]使用，不能被修改!"},
        InUseCase{"RoleWithOperatorsNotRecoded", "员工级别", "", "mana_code", "01", "DBEdit42",
                  "[员工级别]正在被[操作员工]使用，不能被修改!"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
