#include "Venue.h"

#include "RecordRules.h"
#include "RecordScreen.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"

#include <QLineEdit>

namespace kx::backoffice {

namespace {

const QString kDeptHasTables = QStringLiteral("[部门]下面设有[房台]，所以不能被");

} // namespace

void declareVenueRules(TDMSetup& s) {
    RecordRules dept =
        codeAndNameRules(QStringLiteral("dept_code"), QStringLiteral("dept_name"),
                         QStringLiteral("部门[编号]、[名称]不能为空！"), QStringLiteral("dept_rema"));
    dept.uses = {{QStringLiteral("SELECT count(*) FROM TableList WHERE dept_code = ?"),
                  kDeptHasTables + QStringLiteral("删除！"), kDeptHasTables + QStringLiteral("修改！")}};
    installRules(*s.adoqry_TableDept, dept);

    // A type names the mode a visit at its tables starts with: it is needed too.
    RecordRules type =
        codeAndNameRules(QStringLiteral("tabl_type_code"), QStringLiteral("tabl_type_name"),
                         QStringLiteral("房台类型[编号]、[名称]、[类型]不能为空！"), QStringLiteral("tabl_type_rema"));
    type.required << QStringLiteral("cons_mode_code");
    type.uses = {{QStringLiteral("SELECT count(*) FROM tablelist WHERE tabl_type_code = ?"),
                  QStringLiteral("[房台类型]正在被设置使用，所以不能被删除！"),
                  QStringLiteral("[房台类型]正在被设置使用，所以不能被修改！")}};
    installRules(*s.adoqry_TableType, type);

    RecordRules table;
    table.codeField = QStringLiteral("tabl_code");
    table.nameField = QStringLiteral("tabl_name");
    table.required = {QStringLiteral("tabl_code"), QStringLiteral("tabl_name"), QStringLiteral("tabl_type_code")};
    table.requiredMessage = QStringLiteral("房台[编号]、[名称]、[类型]不能为空！");
    table.remarkField = QStringLiteral("tabl_rema");
    Dataset* depts = s.adoqry_TableDept;
    // A new table is free, in the department chosen beside it. The live state is the front
    // desk's: nothing else of it is written here.
    table.defaults = [depts](Dataset& d) {
        d.field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("1"));
        d.field(QStringLiteral("dept_code"))
            .setValue(depts->isEmpty() ? QString() : depts->field(QStringLiteral("dept_code")).asString());
    };
    // Any visit names it until a day roll removes the finished ones; a booking names it too.
    const QString atTheDesk = QStringLiteral("此[台桌]现在正在被[前台操作]使用，不能被");
    const QString booked = QStringLiteral("此[台桌]现在正在被[预订]使用，不能被");
    table.uses = {{QStringLiteral("SELECT count(*) FROM tableguestlist WHERE tabl_code = ?"),
                   atTheDesk + QStringLiteral("删除!"), atTheDesk + QStringLiteral("修改!")},
                  {QStringLiteral("SELECT count(*) FROM bookin WHERE tabl_code = ?"), booked + QStringLiteral("删除!"),
                   booked + QStringLiteral("修改!")}};
    installRules(*s.adoqry_Table, table);

    // The department's tables; a table being typed passes its rules before the department moves.
    linkChild(*s.adoqry_TableDept, QStringLiteral("dept_code"), *s.adoqry_Table, QStringLiteral("dept_code"));
    // The tables name their types from the whole list.
    s.adoqry_TableType->lookupsSeeAllRows = true;
}

void buildVenueScreens(TFormSMain& main, TFormChild& child, TDMSetup& s) {
    using db::GridColumn;
    const auto code = [](const char* field) { return GridColumn{QString::fromLatin1(field), QStringLiteral("编码"), {}, 60}; };
    QWidget* depts = buildRecordScreen(
        &child, {"pnl_Dept",
                 "DBGrid13",
                 s.adoqry_TableDept,
                 {code("dept_code"), GridColumn{QStringLiteral("dept_name"), QStringLiteral("部门名称"), {}, 240}},
                 {{"dbe_CodeDept", "编码", "dept_code", EntryKind::Upper},
                  {"DBEdit15", "部门名称", "dept_name", EntryKind::Upper}}});
    guardCodeEdit(depts->findChild<QLineEdit*>(QStringLiteral("dbe_CodeDept")), s.adoqry_TableDept,
                  [](Dataset& d) {
                      if (RecordSearch(d.database(), QStringLiteral("TableList"), QStringLiteral("dept_code"),
                                       d.field(QStringLiteral("dept_code")).oldValue()))
                          return kDeptHasTables + QStringLiteral("修改！");
                      return QString();
                  });
    main.registerScreen(QStringLiteral("部门"), {depts, s.adoqry_TableDept, {}});

    QWidget* types = buildRecordScreen(
        &child, {"pnl_TableType",
                 "DBGrid14",
                 s.adoqry_TableType,
                 {code("tabl_type_code"), GridColumn{QStringLiteral("tabl_type_name"), QStringLiteral("房台类型"), {}, 120},
                  GridColumn{QStringLiteral("tabl_type_narr"), QStringLiteral("房台说明"), {}, 120},
                  GridColumn{QStringLiteral("consmodename"), QStringLiteral("消费方式"), {}, 140}},
                 {{"DBEdit12", "类型编码：", "tabl_type_code", EntryKind::Upper},
                  {"DBEdit16", "房台类型：", "tabl_type_name", EntryKind::Upper},
                  {"DBEdit17", "房台说明：", "tabl_type_narr", EntryKind::Upper}},
                 {{"DBLookupComboBox5", "消费方式：", "cons_mode_code", s.adoqry_consModeTemp, "cons_mode_code",
                   "cons_mode_name"}}});
    // Coming from the consumption modes, their names are read again.
    Dataset* typeList = s.adoqry_TableType;
    Dataset* modeNames = s.adoqry_consModeTemp;
    Dataset* modes = s.adoqry_ConsMode;
    Dataset* bands = s.adoqry_ConsTimeMode;
    main.registerScreen(QStringLiteral("类型"), {types, typeList, [=](Dataset* before) {
                                                     if (before != modes && before != bands) return;
                                                     modeNames->refresh();
                                                     const int at = typeList->recNo();
                                                     typeList->refresh();
                                                     if (at > 1) typeList->moveBy(at - 1);
                                                 }});

    QWidget* tables = buildRecordScreen(
        &child, {"pnl_TableSetup",
                 "DBGrid16",
                 s.adoqry_Table,
                 {code("tabl_code"), GridColumn{QStringLiteral("tabl_name"), QStringLiteral("房台名称"), {}, 120},
                  GridColumn{QStringLiteral("tabl_narr"), QStringLiteral("房台说明"), {}, 120},
                  GridColumn{QStringLiteral("tabletypename"), QStringLiteral("房台类型"), {}, 100}},
                 {{"DBEdit20", "房台编码：", "tabl_code", EntryKind::Upper},
                  {"DBEdit19", "房台名称：", "tabl_name", EntryKind::Upper},
                  {"DBEdit18", "房台说明：", "tabl_narr", EntryKind::Text}},
                 {{"DBLookupComboBox3", "房台类型：", "tabl_type_code", s.adoqry_TableType, "tabl_type_code",
                   "tabl_type_name"}},
                 {},
                 {{"DBGrid15",
                   s.adoqry_TableDept,
                   {GridColumn{QStringLiteral("dept_code"), QStringLiteral("编码"), {}, 50},
                    GridColumn{QStringLiteral("dept_name"), QStringLiteral("部门名称"), {}, 90}}}}});
    main.registerScreen(QStringLiteral("房台"), {tables, s.adoqry_Table, {}});
}

} // namespace kx::backoffice
