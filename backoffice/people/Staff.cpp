#include "Staff.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "Password.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "TDMManage.h"
#include "TFormChild.h"
#include "TFormSMain.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace kx::backoffice {

namespace {

// What the grid shows for a stored password: never the stored text.
const QString kHiddenPassword = QStringLiteral("******");

// The parent's code, copied into a new child row.
std::function<void(Dataset&)> takeParent(Dataset* parent, const QString& field) {
    return [parent, field](Dataset& d) {
        d.field(field).setValue(parent->isEmpty() ? QString() : parent->field(field).asString());
    };
}

} // namespace

void declareStaffRules(TDMManage& m) {
    // A role holds one row per permission of the catalogue, none granted, from its first save;
    // its rows follow a new code and go with it. Its operators stay when it goes (every check
    // refuses them then), but they keep it from another code.
    RecordRules role =
        codeAndNameRules(QStringLiteral("mana_code"), QStringLiteral("mana_name"),
                         QStringLiteral("员工级别[编码]、[名称]不能为空！"), QStringLiteral("mana_rema"));
    role.uses = {{QStringLiteral("SELECT count(*) FROM operatorlist WHERE mana_code = ?"), QString(),
                  QStringLiteral("[员工级别]正在被[操作员工]使用，不能被修改!")}};
    role.create = [](Dataset& d) {
        // (Under a code already taken nothing is copied, and the role's own insert is refused.)
        const QString code = d.field(QStringLiteral("mana_code")).asString();
        db::exec(d.database(),
                 QStringLiteral("insert into limitedlist(mana_code,limi_code,limi_name) "
                                "select ?,limi_code,limi_name from limitedtemp where not exists "
                                "(select 1 from limitedlist l where l.mana_code=? and l.limi_code=limitedtemp.limi_code)"),
                 {code, code});
    };
    role.carry = [](Dataset& d, const QString& oldCode, const QString& newCode) {
        if (newCode.isEmpty())
            db::exec(d.database(), QStringLiteral("delete from limitedlist where mana_code=?"), {oldCode});
        else
            db::exec(d.database(), QStringLiteral("update limitedlist set mana_code=? where mana_code=?"),
                     {newCode, oldCode});
    };
    installRules(*m.adoqry_ManagerType, role);
    // The permissions read again after a role's rows changed with it.
    Dataset* grants = m.adoqry_Limited;
    auto rolePosted = m.adoqry_ManagerType->afterPost;
    m.adoqry_ManagerType->afterPost = [rolePosted, grants](Dataset& d) {
        if (rolePosted) rolePosted(d);
        grants->refresh();
    };
    auto roleDeleted = m.adoqry_ManagerType->afterDelete;
    m.adoqry_ManagerType->afterDelete = [roleDeleted, grants](Dataset& d) {
        if (roleDeleted) roleDeleted(d);
        grants->refresh();
    };

    // The password is checked and stored by the operator screen (its edit is not the column).
    RecordRules oper;
    oper.codeField = QStringLiteral("oper_code");
    oper.nameField = QStringLiteral("oper_name");
    oper.required = {oper.codeField, oper.nameField};
    oper.requiredMessage = QStringLiteral("员工[编码]、[名称]、[密码]不能为空！");
    oper.defaults = takeParent(m.adoqry_ManagerType, QStringLiteral("mana_code"));
    installRules(*m.adoqry_Operator, oper);
    m.adoqry_Operator->addCalculatedField(QStringLiteral("operpass"), db::FieldKind::String, 6);
    m.adoqry_Operator->onCalcFields = [](Dataset& d) {
        d.field(QStringLiteral("operpass"))
            .setValue(d.field(QStringLiteral("oper_pass")).asString().isEmpty() ? QString() : kHiddenPassword);
    };

    RecordRules area =
        codeAndNameRules(QStringLiteral("area_code"), QStringLiteral("area_name"),
                         QStringLiteral("分区[编码]、[名称]不能为空！"), QStringLiteral("area_rema"));
    area.uses = {{QStringLiteral("SELECT count(*) FROM GroupList WHERE area_code = ?"),
                  QStringLiteral("[员工分区]下面设有[员工分组]，所以不能被删除！"),
                  QStringLiteral("[员工分区]正在被[员工分组]使用，不能被修改!")}};
    installRules(*m.adoqry_Area, area);

    RecordRules group = codeAndNameRules(QStringLiteral("grou_code"), QStringLiteral("grou_name"),
                                         QStringLiteral("分组[编码]、[名称]不能为空！"));
    group.defaults = takeParent(m.adoqry_Area, QStringLiteral("area_code"));
    group.uses = {{QStringLiteral("SELECT count(*) FROM deduoperatorlist WHERE grou_code = ?"),
                   QStringLiteral("[员工分组]下面设有[提成员工]，所以不能被删除！"),
                   QStringLiteral("[员工分组]正在被[提成员工]使用，不能被修改!")}};
    installRules(*m.adoqry_group, group);

    RecordRules staff = codeAndNameRules(QStringLiteral("dedu_oper_code"), QStringLiteral("dedu_oper_name"),
                                         QStringLiteral("提成员工[编码]、[名称]不能为空！"));
    staff.defaults = takeParent(m.adoqry_group, QStringLiteral("grou_code"));
    installRules(*m.adoqry_deduOperator, staff);

    // Roles over their permissions and operators; areas over groups over commission staff.
    const QString role_ = QStringLiteral("mana_code");
    linkChild(*m.adoqry_ManagerType, role_, *m.adoqry_Limited, role_);
    linkChild(*m.adoqry_ManagerType, role_, *m.adoqry_Operator, role_);
    linkChild(*m.adoqry_Area, QStringLiteral("area_code"), *m.adoqry_group, QStringLiteral("area_code"));
    linkChild(*m.adoqry_group, QStringLiteral("grou_code"), *m.adoqry_deduOperator, QStringLiteral("grou_code"));
    // An area does not move off a commission-staff row being typed that does not pass either.
    Dataset* staffList = m.adoqry_deduOperator;
    auto areaLeaving = m.adoqry_Area->beforeScroll;
    m.adoqry_Area->beforeScroll = [areaLeaving, staffList](Dataset& d) {
        if (areaLeaving) areaLeaving(d);
        if (staffList->state() == Dataset::Insert || staffList->state() == Dataset::Edit) validate(*staffList);
    };
}

namespace {

std::vector<db::GridColumn> codeAndName(const char* code, const char* name, const char* codeTitle,
                                        const char* nameTitle, int nameWidth = 100) {
    return {db::GridColumn{QString::fromLatin1(code), QString::fromUtf8(codeTitle), {}, 50},
            db::GridColumn{QString::fromLatin1(name), QString::fromUtf8(nameTitle), {}, nameWidth}};
}

void buildPermissionScreen(TFormSMain& main, TFormChild& child, TDMManage& m) {
    using db::GridColumn;
    Dataset* grants = m.adoqry_Limited;
    RecordScreen form{"pnl_Limited",
                      "DBGrid25",
                      grants,
                      {GridColumn{QStringLiteral("limi_code"), QStringLiteral("编码"), {}, 60},
                       GridColumn{QStringLiteral("limi_name"), QStringLiteral("权限名称"), {}, 240},
                       GridColumn{QStringLiteral("limi_real"), QStringLiteral(" "), {}, 40, true, Qt::AlignCenter}},
                      {},
                      {},
                      {},
                      {{"DBGrid24", m.adoqry_ManagerType, codeAndName("mana_code", "mana_name", "编码", "员工级别")}}};
    form.texts = {{"DBText7", "编码：", [](Dataset& d) { return d.field(QStringLiteral("limi_code")).asString(); }},
                  {"DBText8", "权限名称：", [](Dataset& d) { return d.field(QStringLiteral("limi_name")).asString(); }}};
    QWidget* screen = buildRecordScreen(&child, form);
    auto* formGrid = screen->findChild<QGridLayout*>();
    auto* line = new QHBoxLayout;
    auto* granted = new QCheckBox(QStringLiteral("允许使用此项功能"), screen);
    granted->setObjectName(QStringLiteral("DBCheckBox5"));
    bindCheckBox(granted, grants, QStringLiteral("limi_real"));
    auto* all = new QPushButton(QStringLiteral("全选"), screen);
    all->setObjectName(QStringLiteral("SpeedButton9"));
    auto* none = new QPushButton(QStringLiteral("全否"), screen);
    none->setObjectName(QStringLiteral("SpeedButton10"));
    for (QPushButton* b : {all, none})
        b->setAutoDefault(false);
    line->addWidget(granted);
    line->addStretch(1);
    line->addWidget(all);
    line->addWidget(none);
    formGrid->addLayout(line, formGrid->rowCount(), 0, 1, 2);

    // Every permission of the current role granted or taken away at once, then shown again.
    Dataset* roles = m.adoqry_ManagerType;
    auto setAll = [grants, roles](bool on) {
        guarded([&] {
            if (roles->isEmpty()) return;
            if (grants->state() != Dataset::Browse) grants->checkBrowseMode();
            db::exec(grants->database(), QStringLiteral("update limitedlist set limi_real=? where mana_code=?"),
                     {on, roles->field(QStringLiteral("mana_code")).asString()});
            grants->refresh();
        });
    };
    QObject::connect(all, &QPushButton::clicked, screen, [setAll] { setAll(true); });
    QObject::connect(none, &QPushButton::clicked, screen, [setAll] { setAll(false); });
    // A double click turns the current permission over and saves it.
    auto* grid = screen->findChild<QTableView*>(QStringLiteral("DBGrid25"));
    QObject::connect(grid, &QAbstractItemView::doubleClicked, grid, [grants] {
        guarded([&] {
            if (!grants->active() || grants->isEmpty()) return;
            if (grants->state() == Dataset::Browse) grants->edit();
            grants->field(QStringLiteral("limi_real")).setValue(!grants->field(QStringLiteral("limi_real")).asBool());
            grants->post();
        });
    });
    main.registerScreen(QStringLiteral("权限设置"), {screen, grants, {}});
}

void buildOperatorScreen(TFormSMain& main, TFormChild& child, TDMManage& m) {
    using db::GridColumn;
    Dataset* operators = m.adoqry_Operator;
    QWidget* screen = buildRecordScreen(
        &child, {"pnl_Operator",
                 "DBGrid26",
                 operators,
                 {GridColumn{QStringLiteral("oper_code"), QStringLiteral("编码"), {}, 60},
                  GridColumn{QStringLiteral("oper_name"), QStringLiteral("操作员"), {}, 120},
                  GridColumn{QStringLiteral("operpass"), QStringLiteral("密码"), {}, 80},
                  GridColumn{QStringLiteral("oper_rema"), QStringLiteral("备注"), {}, 160}},
                 {{"DBEdit44", "编码：", "oper_code"},
                  {"DBEdit45", "操作员：", "oper_name"},
                  {"DBEdit47", "备注：", "oper_rema"}},
                 {},
                 {},
                 {{"DBGrid27", m.adoqry_ManagerType, codeAndName("mana_code", "mana_name", "编码", "员工级别")}}});
    // The password edit is not the column: it starts empty, and what is typed becomes the new
    // password (stored as a hash) when the row is saved.
    auto* form = screen->findChild<QGridLayout*>();
    auto* password = newPasswordEdit(screen, operators, "DBEdit46", QStringLiteral("oper_pass"),
                                     QStringLiteral("员工[编码]、[名称]、[密码]不能为空！"), false);
    auto* remark = screen->findChild<QLineEdit*>(QStringLiteral("DBEdit47"));
    int row = 0, column = 0, rs = 0, cs = 0;
    form->getItemPosition(form->indexOf(remark), &row, &column, &rs, &cs);
    // Above the remark, as the form reads: code, name, password, remark.
    QLabel* remarkCaption = captionOf(remark);
    form->removeWidget(remark);
    form->removeWidget(remarkCaption);
    form->addWidget(new QLabel(QStringLiteral("密码："), screen), row, 0);
    form->addWidget(password, row, 1);
    form->addWidget(remarkCaption, row + 1, 0);
    form->addWidget(remark, row + 1, 1);
    QWidget::setTabOrder(screen->findChild<QLineEdit*>(QStringLiteral("DBEdit45")), password);
    QWidget::setTabOrder(password, remark);
    main.registerScreen(QStringLiteral("操作员工"), {screen, operators, {}});
}

} // namespace

void buildStaffScreens(TFormSMain& main, TFormChild& child, TDMManage& m) {
    using db::GridColumn;
    main.registerScreen(
        QStringLiteral("员工级别"),
        {buildRecordScreen(&child, {"pnl_ManaType",
                                    "DBGrid23",
                                    m.adoqry_ManagerType,
                                    codeAndName("mana_code", "mana_name", "编码", "操作员级别", 240),
                                    {{"DBEdit42", "编码：", "mana_code", EntryKind::Upper},
                                     {"DBEdit43", "操作员级别：", "mana_name", EntryKind::Upper}}}),
         m.adoqry_ManagerType,
         {}});
    buildPermissionScreen(main, child, m);
    buildOperatorScreen(main, child, m);
    main.registerScreen(
        QStringLiteral("员工分区"),
        {buildRecordScreen(&child, {"pnl_Area",
                                    "DBGrid28",
                                    m.adoqry_Area,
                                    codeAndName("area_code", "area_name", "编码", "分区名称", 240),
                                    {{"DBEdit48", "编码：", "area_code", EntryKind::Upper},
                                     {"DBEdit49", "分区名称：", "area_name", EntryKind::Upper}}}),
         m.adoqry_Area,
         {}});
    main.registerScreen(
        QStringLiteral("员工分组"),
        {buildRecordScreen(&child, {"pnl_Group",
                                    "DBGrid29",
                                    m.adoqry_group,
                                    {GridColumn{QStringLiteral("grou_code"), QStringLiteral("编码"), {}, 60},
                                     GridColumn{QStringLiteral("grou_name"), QStringLiteral("分组名称"), {}, 160},
                                     GridColumn{QStringLiteral("grou_ream"), QStringLiteral("备注"), {}, 80}},
                                    {{"DBEdit52", "编码：", "grou_code", EntryKind::Upper},
                                     {"DBEdit51", "组名：", "grou_name", EntryKind::Upper},
                                     {"DBEdit50", "备注：", "grou_ream", EntryKind::Integer, 999, 3}},
                                    {},
                                    {},
                                    {{"DBGrid30", m.adoqry_Area, codeAndName("area_code", "area_name", " ", " ")}}}),
         m.adoqry_group,
         {}});
    main.registerScreen(
        QStringLiteral("提成员工"),
        {buildRecordScreen(&child,
                           {"pnl_deduoperator",
                            "DBGrid31",
                            m.adoqry_deduOperator,
                            {GridColumn{QStringLiteral("dedu_oper_code"), QStringLiteral("编码"), {}, 60},
                             GridColumn{QStringLiteral("dedu_oper_name"), QStringLiteral("提成员工"), {}, 120},
                             GridColumn{QStringLiteral("dedu_oper_stan"), QStringLiteral("业绩标准"),
                                        QStringLiteral("0.##"), 80, false, Qt::AlignRight | Qt::AlignVCenter},
                             GridColumn{QStringLiteral("dedu_oper_rema"), QStringLiteral("备注"), {}, 160}},
                            {{"DBEdit54", "员工编码：", "dedu_oper_code", EntryKind::Upper},
                             {"DBEdit53", "提成员工：", "dedu_oper_name", EntryKind::Upper},
                             {"DBEdit55", "业绩标准：", "dedu_oper_stan", EntryKind::Amount, 99999999, 11},
                             {"DBEdit56", "备    注：", "dedu_oper_rema", EntryKind::Upper}},
                            {},
                            {},
                            {{"DBGrid33", m.adoqry_Area, codeAndName("area_code", "area_name", " ", " ")},
                             {"DBGrid32", m.adoqry_group, codeAndName("grou_code", "grou_name", " ", " ")}}}),
         m.adoqry_deduOperator,
         {}});
}

} // namespace kx::backoffice
