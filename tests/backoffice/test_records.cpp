// The record toolbar and the rules declared on a dataset: "增加", "删除", "取消", "保存", the
// tree click over a half-edited row, a master that cannot leave an invalid child, the check of
// a code typed into a row with children; then the five lists of "其它设置" as the manager uses
// them.
#include "BackOfficeFixture.h"
#include "Connection.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Transaction.h"

#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

using kx::backoffice::RecordRules;
using kx::db::Dataset;
using kx::test::BackOfficeTest;

namespace {

// A small table of the test's own, with its rules declared here: a code and a name both
// required, a preset row "P", and a use in another table that refuses deleting and recoding.
class RecordsTest : public BackOfficeTest {
protected:
    void SetUp() override {
        BackOfficeTest::SetUp();
        kx::db::exec(db(), "create table kx_things (th_code varchar(2) not null unique, th_name varchar(20), "
                           "th_rema varchar(1), th_parent varchar(2))");
        kx::db::exec(db(), "create table kx_uses (th_code varchar(2))");
        kx::db::exec(db(), "insert into kx_things values ('P', '预设', ' ', ''), ('A', '甲', ' ', ''), ('B', '乙', ' ', '')");
        things = new Dataset(db(), "adoqry_Things", "select * from kx_things", main);
        RecordRules r;
        r.codeField = "th_code";
        r.nameField = "th_name";
        r.required = {"th_code", "th_name"};
        r.requiredMessage = "东西[编号]、[名称]不能为空！";
        r.remarkField = "th_rema";
        r.defaults = [](Dataset& d) { d.field("th_parent").setValue("X"); };
        r.presetCodes = {"P"};
        r.uses = {{"select count(*) from kx_uses where th_code = ?", "[东西]正在被使用，不能被删除!",
                   "[东西]正在被使用，不能被修改!"}};
        kx::backoffice::installRules(*things, r);
        things->open();
        logIn();
        main->CurrentDataset = things;
        prompter.clear();
    }
    void click(QToolButton* b) {
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    QStringList stored() const {
        QStringList out;
        QSqlQuery q = kx::db::run(db(), "select th_code || '=' || th_name from kx_things order by th_code");
        while (q.next()) out << q.value(0).toString();
        return out;
    }
    Dataset* things = nullptr;
};

TEST_F(RecordsTest, AddChecksTheCurrentRowFirstAndOpensANewOneWithItsDefaults) {
    things->last();
    click(main->toolb_Add);
    ASSERT_EQ(things->state(), Dataset::Insert);
    EXPECT_EQ(things->field("th_rema").asString(), " ");
    EXPECT_EQ(things->field("th_parent").asString(), "X");
    // The new row is still empty: a second "增加" shows what it needs and adds nothing.
    click(main->toolb_Add);
    EXPECT_EQ(prompter.texts(), QStringList({"东西[编号]、[名称]不能为空！"}));
    EXPECT_EQ(things->state(), Dataset::Insert);
    EXPECT_EQ(things->recordCount(), 4);
    // Codes of blanks count as empty; a typed code is stored without its blanks.
    things->field("th_code").setValue("  ");
    things->field("th_name").setValue("丙");
    click(main->toolb_Save);
    EXPECT_EQ(prompter.texts().size(), 2);
    things->field("th_code").setValue(" C ");
    click(main->toolb_Save);
    EXPECT_EQ(stored(), QStringList({"A=甲", "B=乙", "C=丙", "P=预设"}));
    // "保存" reads the list again and ends on its last row.
    EXPECT_EQ(things->recNo(), things->recordCount());
}

TEST_F(RecordsTest, AddOnAnEmptyListShowsWhatTheNewRowNeedsAndKeepsItOpen) {
    kx::db::exec(db(), "delete from kx_things");
    things->refresh();
    click(main->toolb_Add);
    EXPECT_EQ(prompter.texts(), QStringList({"东西[编号]、[名称]不能为空！"}));
    EXPECT_EQ(things->state(), Dataset::Insert);
    EXPECT_EQ(things->recordCount(), 1);
}

TEST_F(RecordsTest, DeleteAsksAndTheRulesMayRefuse) {
    kx::db::exec(db(), "insert into kx_uses values ('B')");
    const struct {
        const char* code;
        bool yes;
        QStringList texts;
        QStringList after;
    } cases[] = {
        {"A", false, {"是否删除所选项目，删除后将不能恢复，请慎重!"}, {"A=甲", "B=乙", "P=预设"}},
        {"P", true, {"是否删除所选项目，删除后将不能恢复，请慎重!", "[预设]为系统预设项目，所以不能被删除！"}, {"A=甲", "B=乙", "P=预设"}},
        {"B", true, {"是否删除所选项目，删除后将不能恢复，请慎重!", "[东西]正在被使用，不能被删除!"}, {"A=甲", "B=乙", "P=预设"}},
        {"A", true, {"是否删除所选项目，删除后将不能恢复，请慎重!"}, {"B=乙", "P=预设"}},
    };
    for (const auto& c : cases) {
        prompter.clear();
        ASSERT_TRUE(things->locate("th_code", QString::fromLatin1(c.code)));
        prompter.answer(c.yes);
        click(main->toolb_Del);
        EXPECT_EQ(prompter.texts(), c.texts) << c.code;
        EXPECT_EQ(stored(), c.after) << c.code;
    }
    // Once unused, the row goes.
    kx::db::exec(db(), "delete from kx_uses");
    prompter.clear();
    ASSERT_TRUE(things->locate("th_code", QString("B")));
    prompter.answer(true);
    click(main->toolb_Del);
    EXPECT_EQ(stored(), QStringList({"P=预设"}));
    // Nothing to delete: no question.
    kx::db::exec(db(), "delete from kx_things");
    things->refresh();
    prompter.clear();
    click(main->toolb_Del);
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(RecordsTest, ACodeInUseOrPresetKeepsItsCodeAndCancelDropsTheEdit) {
    kx::db::exec(db(), "insert into kx_uses values ('B')");
    const struct {
        const char* code;
        const char* message;
    } cases[] = {{"B", "[东西]正在被使用，不能被修改!"}, {"P", "[预设]为系统预设项目，所以不能被修改！"}};
    for (const auto& c : cases) {
        prompter.clear();
        ASSERT_TRUE(things->locate("th_code", QString::fromLatin1(c.code)));
        things->edit();
        things->field("th_code").setValue("Z");
        click(main->toolb_Save);
        EXPECT_EQ(prompter.texts(), QStringList({QString::fromUtf8(c.message)}));
        EXPECT_EQ(things->state(), Dataset::Edit);
        click(main->toolb_Cancel);
        EXPECT_EQ(things->state(), Dataset::Browse);
        EXPECT_EQ(things->field("th_code").asString(), c.code);
    }
    // The name of a used row may change.
    ASSERT_TRUE(things->locate("th_code", QString("B")));
    things->edit();
    things->field("th_name").setValue("乙二");
    click(main->toolb_Save);
    EXPECT_EQ(stored(), QStringList({"A=甲", "B=乙二", "P=预设"}));
}

TEST_F(RecordsTest, ADuplicateCodeIsToldAndTheTypedRowKept) {
    click(main->toolb_Add);
    things->field("th_code").setValue("A");
    things->field("th_name").setValue("又一个");
    click(main->toolb_Save);
    EXPECT_EQ(prompter.texts(), QStringList({"编号有重复，请从新输入！"}));
    EXPECT_EQ(things->state(), Dataset::Insert);
    EXPECT_EQ(things->field("th_name").asString(), "又一个");
    EXPECT_EQ(stored(), QStringList({"A=甲", "B=乙", "P=预设"}));
}

TEST_F(RecordsTest, ATreeClickOverAnInvalidRowShowsWhyAndDropsTheEdit) {
    ASSERT_TRUE(things->locate("th_code", QString("A")));
    things->edit();
    things->field("th_name").setValue("");
    main->N10->trigger(); // 系统管理 shows its tree
    main->CurrentDataset = things;
    QTreeWidgetItem* log = kx::backoffice::TFormChild::leaf(child->tv_user, "日志查询");
    QTest::mouseClick(child->tv_user->viewport(), Qt::LeftButton, {}, child->tv_user->visualItemRect(log).center());
    EXPECT_EQ(prompter.texts(), QStringList({"东西[编号]、[名称]不能为空！"}));
    EXPECT_EQ(things->state(), Dataset::Browse);
    EXPECT_EQ(stored(), QStringList({"A=甲", "B=乙", "P=预设"}));
}

TEST_F(RecordsTest, TheChecksAndTheWriteAreOneTransaction) {
    // A use written by another program between the check and the delete cannot happen: the
    // check takes the write lock. Here the other connection waits until the delete is done.
    kx::db::Connection other;
    other.open(path);
    ASSERT_TRUE(things->locate("th_code", QString("A")));
    things->beforeDelete = [&, rules = things->beforeDelete](Dataset& d) {
        rules(d);
        // Inside the delete's transaction another program cannot write.
        EXPECT_ANY_THROW({
            kx::db::Transaction write(other.db());
            kx::db::exec(other.db(), "insert into kx_uses values ('A')");
            write.commit();
        });
    };
    kx::db::exec(other.db(), other.isServer() ? "SET lock_timeout = '50ms'" : "PRAGMA busy_timeout = 50");
    prompter.answer(true);
    click(main->toolb_Del);
    EXPECT_EQ(stored(), QStringList({"B=乙", "P=预设"}));
}

// A master list of groups over the things: kx_things.th_parent holds a group's code.
class MasterChildTest : public RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        kx::db::exec(db(), "create table kx_groups (gr_code varchar(2) not null unique, gr_name varchar(20))");
        kx::db::exec(db(), "insert into kx_groups values ('G1', '一组'), ('G2', '二组')");
        kx::db::exec(db(), "update kx_things set th_parent = 'G1' where th_code in ('A', 'P')");
        kx::db::exec(db(), "update kx_things set th_parent = 'G2' where th_code = 'B'");
        groups = new Dataset(db(), "adoqry_Groups", "select * from kx_groups order by gr_code", main);
        things->refresh();
        groups->open();
        kx::backoffice::linkChild(*groups, "gr_code", *things, "th_parent");
        groups->first();
    }
    QStringList shownThings() const {
        QStringList out;
        for (int r = 0; r < things->recordCount(); ++r) out << things->valueAt(r, things->fieldIndex("th_code")).toString();
        return out;
    }
    Dataset* groups = nullptr;
};

TEST_F(MasterChildTest, TheMasterFiltersItsChildAndCannotLeaveAnInvalidChildRow) {
    EXPECT_EQ(shownThings(), QStringList({"P", "A"}));
    groups->next();
    EXPECT_EQ(shownThings(), QStringList({"B"}));
    // A child row being typed without its name keeps the master where it is.
    things->append();
    things->field("th_code").setValue("C");
    EXPECT_THROW(groups->prior(), kx::SilentAbort);
    EXPECT_EQ(prompter.texts(), QStringList({"东西[编号]、[名称]不能为空！"}));
    EXPECT_EQ(groups->field("gr_code").asString(), "G2");
    things->field("th_name").setValue("丙");
    groups->prior();
    EXPECT_EQ(groups->field("gr_code").asString(), "G1");
}

TEST_F(MasterChildTest, TheCodeOfARowWithUsesCannotBeTypedOver) {
    kx::db::exec(db(), "insert into kx_uses values ('A')");
    QWidget* screen = kx::backoffice::buildRecordScreen(
        child, {"pnl_Things", "DBGridThings", things,
                      {kx::db::GridColumn{"th_code", "编码"}, kx::db::GridColumn{"th_name", "名称"}},
                      {{"EditThCode", "编码：", "th_code", kx::backoffice::EntryKind::Upper},
                       {"EditThName", "名称：", "th_name", kx::backoffice::EntryKind::Upper}}});
    auto* code = screen->findChild<QLineEdit*>("EditThCode");
    kx::backoffice::guardCodeEdit(code, things, [this](Dataset& d) {
        return kx::backoffice::RecordSearch(db(), "kx_uses", "th_code", d.field("th_code").oldValue())
                   ? QStringLiteral("[东西]下面设有[用途]，所以不能被修改！")
                   : QString();
    });
    main->ShowPanel(screen, main->pnl_Parent);
    ASSERT_TRUE(things->locate("th_code", QString("A")));
    code->setFocus();
    QTest::keyClick(code, Qt::Key_End);
    QTest::keyClicks(code, "x");
    EXPECT_EQ(prompter.texts(), QStringList({"[东西]下面设有[用途]，所以不能被修改！"}));
    EXPECT_EQ(things->state(), Dataset::Browse);
    EXPECT_EQ(code->text(), "A");
    // A row without uses takes a new code, in upper case.
    prompter.clear();
    ASSERT_TRUE(things->locate("th_code", QString("P")));
    auto* name = screen->findChild<QLineEdit*>("EditThName");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "ok");
    EXPECT_EQ(name->text(), "OK");
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(RecordsTest, NumericEditsTakeDigitsAndOnePoint) {
    kx::db::exec(db(), "alter table kx_things add column th_price double precision");
    kx::db::exec(db(), "alter table kx_things add column th_count integer");
    things->refresh();
    QWidget* screen = kx::backoffice::buildRecordScreen(
        child, {"pnl_Prices", "DBGridPrices", things, {kx::db::GridColumn{"th_code", "编码"}},
                      {{"EditPrice", "单价：", "th_price", kx::backoffice::EntryKind::Amount, 999999.99},
                       {"EditCount", "数量：", "th_count", kx::backoffice::EntryKind::Integer, 999}}});
    main->ShowPanel(screen, main->pnl_Parent);
    const struct {
        const char* edit;
        const char* typed;
        const char* shown;
    } cases[] = {{"EditPrice", "12.5.3a", "12.53"}, {"EditPrice", "a-7", "7"}, {"EditCount", "4.2x", "42"}};
    for (const auto& c : cases) {
        auto* e = screen->findChild<QLineEdit*>(c.edit);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, c.typed);
        EXPECT_EQ(e->text(), c.shown) << c.typed;
    }
}

// ---------------------------------------------------------------- the five lists

class OtherListsTest : public BackOfficeTest {
protected:
    void SetUp() override {
        BackOfficeTest::SetUp();
        // A unit typed with the keyboard's letters (the sample's are Chinese).
        kx::db::exec(db(), "insert into UnitList (unit_name, unit_rema) values ('KG', ' ')");
        setup->adoqry_Unit->refresh();
        logIn();
        prompter.clear();
    }
    void openLeaf(const char* caption) {
        main->N3->trigger();
        QTreeWidgetItem* leaf = kx::backoffice::TFormChild::leaf(child->tv_Setup, QString::fromUtf8(caption));
        QTest::mouseClick(child->tv_Setup->viewport(), Qt::LeftButton, {}, child->tv_Setup->visualItemRect(leaf).center());
        QApplication::processEvents();
        prompter.clear();
    }
    QLineEdit* edit(const char* name) const { return main->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    void type(const char* name, const QString& text) {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    void press(QToolButton* b) {
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    bool locate(const QString& field, const QString& code) { return main->CurrentDataset->locate(field, code); }
};

struct ListCase {
    const char* leaf;
    const char* panel;
    const char* codeEdit;
    const char* nameEdit; // null: the unit screen has the name only
    const char* codeField;
    const char* table;
    const char* existing; // a code the sample already has
    const char* required;
};

class ListCases : public OtherListsTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListCases, RequireTheirFieldsRefuseDuplicatesAndStoreUpperCase) {
    const ListCase& c = GetParam();
    openLeaf(c.leaf);
    ASSERT_TRUE(main->findChild<QWidget*>(QString::fromLatin1(c.panel))->isVisible()) << c.leaf;
    const qint64 before = kx::db::scalarInt(db(), QStringLiteral("select count(*) from %1").arg(QLatin1String(c.table)));
    press(main->toolb_Add);
    press(main->toolb_Save);
    EXPECT_EQ(prompter.texts(), QStringList({QString::fromUtf8(c.required)}));
    prompter.clear();
    type(c.codeEdit, QString::fromLatin1(c.existing).toLower());
    if (c.nameEdit) type(c.nameEdit, "new name");
    press(main->toolb_Save);
    EXPECT_EQ(prompter.texts(), QStringList({"编号有重复，请从新输入！"}));
    prompter.clear();
    type(c.codeEdit, "q");
    EXPECT_EQ(edit(c.codeEdit)->text(), "Q");
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(kx::db::scalarInt(db(), QStringLiteral("select count(*) from %1").arg(QLatin1String(c.table))), before + 1);
    EXPECT_EQ(kx::db::scalarInt(db(), QStringLiteral("select count(*) from %1 where %2 = 'Q'")
                                           .arg(QLatin1String(c.table), QLatin1String(c.codeField))),
              1);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListCases,
    ::testing::Values(
        ListCase{"班次", "pnl_Order", "DBEdit25", "DBEdit26", "orde_code", "OrderList", "1", "班次[编号]、[名称]不能为空！"},
        ListCase{"付款方式", "pnl_PayType", "DBEdit21", "DBEdit22", "pay_type_code", "PayTypeList", "B",
                 "付款方式[编号]、[名称]不能为空！"},
        ListCase{"其它收入", "pnl_OtherIncome", "DBEdit27", "DBEdit28", "othe_inco_code", "OtherIncomeList", "01",
                 "其它收入[编号]、[名称]不能为空！"},
        ListCase{"项目说明", "pnl_ConsNarr", "DBEdit23", "DBEdit24", "cons_narr_code", "ConsNarrList", "01",
                 "消费项目说明[编号]、[名称]不能为空！"},
        ListCase{"单位名称", "pnl_Unit", "DBEdit113", nullptr, "unit_name", "UnitList", "KG", "单位[名称]不能为空！"}),
    [](const auto& info) { return std::string(info.param.panel); });

TEST_F(OtherListsTest, ThePresetPayTypesStay) {
    openLeaf("付款方式");
    for (const char* code : {"Z", "R", "H", "M"}) {
        prompter.clear();
        ASSERT_TRUE(locate("pay_type_code", code)) << code;
        const QString name = main->CurrentDataset->field("pay_type_name").asString();
        prompter.answer(true);
        press(main->toolb_Del);
        EXPECT_EQ(prompter.texts().last(), "[" + name + "]为系统预设项目，所以不能被删除！");
        type("DBEdit21", "x");
        press(main->toolb_Save);
        EXPECT_EQ(prompter.texts().last(), "[" + name + "]为系统预设项目，所以不能被修改！");
        press(main->toolb_Cancel);
    }
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from PayTypeList where pay_type_code in ('Z','R','H','M')"), 4);
}

// Each list's use at the front desk: the refusal, then the row deletable once unused.
struct InUseCase {
    const char* leaf;
    const char* codeField;
    const char* code;
    const char* use;    // makes the row used
    const char* unuse;  // and unused again
    const char* message;
};

class InUseCases : public OtherListsTest, public ::testing::WithParamInterface<InUseCase> {};

TEST_P(InUseCases, RefuseTheDeleteWhileUsedAndAllowItAfter) {
    const InUseCase& c = GetParam();
    kx::db::exec(db(), QString::fromUtf8(c.use));
    openLeaf(c.leaf);
    ASSERT_TRUE(locate(c.codeField, c.code));
    prompter.answer(true);
    press(main->toolb_Del);
    EXPECT_EQ(prompter.texts(), QStringList({"是否删除所选项目，删除后将不能恢复，请慎重!", QString::fromUtf8(c.message)}));
    EXPECT_TRUE(locate(c.codeField, c.code));
    kx::db::exec(db(), QString::fromUtf8(c.unuse));
    prompter.clear();
    prompter.answer(true);
    press(main->toolb_Del);
    EXPECT_EQ(prompter.texts().size(), 1) << prompter.texts().join('|').toStdString();
    EXPECT_FALSE(locate(c.codeField, c.code));
}

INSTANTIATE_TEST_SUITE_P(
    Uses, InUseCases,
    ::testing::Values(
        InUseCase{"付款方式", "pay_type_code", "B",
                  "insert into AllGuesPay (tabl_gues_auto_recn, pay_type_code, pay_type_mone, pay_flag) values (9, 'B', 10, 0)",
                  "update AllGuesPay set pay_flag = 1", "[付款方式]正在被[前台操作]使用，不能被删除!"},
        InUseCase{"班次", "orde_code", "2",
                  "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, orde_code, tabl_gues_use) values (9, 'A01', '2', 1)",
                  "update TableGuestlist set tabl_gues_use = 0", "[班次]正在被[前台操作]使用，不能被删除!"},
        InUseCase{"其它收入", "othe_inco_code", "01", "update otherincomelist set othe_inco_mone = 50",
                  "update otherincomelist set othe_inco_mone = 0", "[其它收入]正在被[前台操作]使用，不能被删除!"},
        InUseCase{"项目说明", "cons_narr_code", "01",
                  "insert into TableConsList (tabl_gues_auto_recn, item_code, cons_narr_code) values (9, '1001', '01')",
                  "delete from TableConsList", "[项目说明]正在被[前台操作]使用，不能被删除!"}),
    [](const auto& info) { return std::string(info.param.codeField); });

TEST_F(OtherListsTest, APaymentLineWrittenByAnotherDeskAfterTheScreenOpenedBlocksTheDelete) {
    openLeaf("付款方式");
    ASSERT_TRUE(locate("pay_type_code", "B"));
    {
        kx::db::Connection desk;
        desk.open(path);
        kx::db::exec(desk.db(), "insert into tableguespay (tabl_gues_auto_recn, pay_type_code, pay_type_mone) values (9, 'B', 5)");
    }
    prompter.answer(true);
    press(main->toolb_Del);
    EXPECT_EQ(prompter.texts().last(), "[付款方式]正在被[前台操作]使用，不能被删除!");
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from PayTypeList where pay_type_code = 'B'"), 1);
}

} // namespace
