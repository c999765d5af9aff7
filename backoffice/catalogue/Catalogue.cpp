#include "Catalogue.h"

#include "Prompter.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"

#include <QLineEdit>

namespace kx::backoffice {

namespace {

const QString kKindHasClasses = QStringLiteral("[大类]下面设有[分类]，所以不能被");
const QString kClassHasItems = QStringLiteral("[分类]下面设有[项目]，所以不能被");
const QString kPointInUse = QStringLiteral("[出品类型]正在被设置使用，所以不能被");

} // namespace

void declareCatalogueRules(TDMSetup& s) {
    RecordRules kind;
    kind.codeField = QStringLiteral("kind_code");
    kind.nameField = QStringLiteral("kind_name");
    kind.required = {kind.codeField, kind.nameField};
    kind.requiredMessage = QStringLiteral("大类[编码]、[名称]不能为空！");
    kind.remarkField = QStringLiteral("kind_rema");
    // The ingredients' kind is built in; a kind with classes keeps its code.
    kind.presetCodes = {QStringLiteral("M")};
    kind.presetsFirst = false;
    kind.uses = {{QStringLiteral("SELECT count(*) FROM classlist WHERE kind_code = ?"), kKindHasClasses + QStringLiteral("删除！"),
                  kKindHasClasses + QStringLiteral("修改！")}};
    installRules(*s.adoqry_ConsKind, kind);

    RecordRules point;
    point.codeField = QStringLiteral("manu_code");
    point.nameField = QStringLiteral("manu_name");
    point.required = {point.codeField, point.nameField};
    point.requiredMessage = QStringLiteral("出品类型[编码]、[名称]不能为空！");
    point.remarkField = QStringLiteral("manu_rema");
    point.presetCodes = {QStringLiteral("1")};
    point.presetsFirst = false;
    point.uses = {{QStringLiteral("SELECT count(*) FROM classlist WHERE manu_code = ?"), kPointInUse + QStringLiteral("删除！"),
                   kPointInUse + QStringLiteral("修改！")}};
    installRules(*s.adoqry_Manu, point);

    RecordRules cls;
    cls.codeField = QStringLiteral("clas_code");
    cls.nameField = QStringLiteral("clas_name");
    cls.required = {cls.codeField, cls.nameField};
    cls.requiredMessage = QStringLiteral("分类[编码]、[名称]不能为空！");
    Dataset* kinds = s.adoqry_ConsKind;
    cls.defaults = [kinds](Dataset& d) {
        d.field(QStringLiteral("kind_code")).setValue(kinds->isEmpty() ? QString() : kinds->field(QStringLiteral("kind_code")).asString());
        d.field(QStringLiteral("manu_code")).setValue(QStringLiteral("1"));
        for (const char* flag : {"clas_allo_serv", "clas_allo_disc", "clas_allo_spec"})
            d.field(QString::fromLatin1(flag)).setValue(false);
    };
    cls.check = [](Dataset& d) {
        if (d.field(QStringLiteral("clas_cost_perc")).asFloat() > 100) refuse(QStringLiteral("默认成本率不能大于100%！"));
    };
    cls.uses = {{QStringLiteral("SELECT count(*) FROM itemlist WHERE clas_code = ?"), kClassHasItems + QStringLiteral("删除！"),
                 kClassHasItems + QStringLiteral("修改！")},
                {QStringLiteral("SELECT count(*) FROM Discitem WHERE clas_code = ?"),
                 QStringLiteral("[折扣方案]中包含此[分类]，不能被删除!"), QStringLiteral("[折扣方案]中包含此[分类]，不能被修改!")}};
    installRules(*s.adoqry_ConsClass, cls);

    // Kinds over classes over items; the ingredients' kind takes ingredients only.
    linkChild(*s.adoqry_ConsKind, QStringLiteral("kind_code"), *s.adoqry_ConsClass, QStringLiteral("kind_code"));
    linkChild(*s.adoqry_ConsClass, QStringLiteral("clas_code"), *s.adoqry_ConsItem, QStringLiteral("clas_code"));
    Dataset* types = s.adoqry_ItemType;
    auto scrolled = s.adoqry_ConsKind->afterScroll;
    s.adoqry_ConsKind->afterScroll = [scrolled, types](Dataset& d) {
        if (scrolled) scrolled(d);
        const bool ingredients = !d.isEmpty() && d.field(QStringLiteral("kind_code")).asString() == QLatin1String("M");
        types->setSql(ingredients ? QStringLiteral("select * from itemtypelist where item_type_code='4'")
                                  : QStringLiteral("select * from itemtypelist where item_type_code<>'4'"));
        types->open();
    };
}

void buildCatalogueScreens(TFormSMain& main, TFormChild& child, TDMSetup& s) {
    using db::GridColumn;
    QWidget* kinds = buildRecordScreen(
        &child, {"pnl_ConsKind", "DBGrid1", s.adoqry_ConsKind,
                 {GridColumn{QStringLiteral("kind_code"), QStringLiteral("编码"), {}, 80},
                  GridColumn{QStringLiteral("kind_name"), QStringLiteral("大类名称"), {}, 240}},
                 {{"dbe_CodeKind", "编码", "kind_code", EntryKind::Upper}, {"DBEdit2", "大类名称", "kind_name", EntryKind::Upper}}});
    guardCodeEdit(kinds->findChild<QLineEdit*>(QStringLiteral("dbe_CodeKind")), s.adoqry_ConsKind, [&s](Dataset& d) {
        const QString stored = d.field(QStringLiteral("kind_code")).oldValue().toString();
        if (RecordSearch(s.adoqry_ConsKind->database(), QStringLiteral("classlist"), QStringLiteral("kind_code"), stored))
            return kKindHasClasses + QStringLiteral("修改！");
        if (stored == QLatin1String("M")) return presetMessage(d.field(QStringLiteral("kind_name")).asString(), false);
        return QString();
    });
    main.registerScreen(QStringLiteral("大类"), {kinds, s.adoqry_ConsKind, {}});

    QWidget* points = buildRecordScreen(
        &child, {"pnl_Manu", "DBGrid2", s.adoqry_Manu,
                 {GridColumn{QStringLiteral("manu_code"), QStringLiteral("编码"), {}, 80},
                  GridColumn{QStringLiteral("manu_name"), QStringLiteral("出品名称"), {}, 240}},
                 {{"dbe_CodeManu", "编码", "manu_code", EntryKind::Upper}, {"DBEdit4", "出品名称", "manu_name", EntryKind::Upper}}});
    guardCodeEdit(points->findChild<QLineEdit*>(QStringLiteral("dbe_CodeManu")), s.adoqry_Manu, [](Dataset& d) {
        if (d.field(QStringLiteral("manu_code")).oldValue().toString() == QLatin1String("1"))
            return presetMessage(d.field(QStringLiteral("manu_name")).asString(), false);
        return QString();
    });
    main.registerScreen(QStringLiteral("出品"), {points, s.adoqry_Manu, {}});

    QWidget* classes = buildRecordScreen(
        &child, {"pnl_ConsClass",
                 "DBGrid3",
                 s.adoqry_ConsClass,
                 {GridColumn{QStringLiteral("clas_code"), QStringLiteral("编码"), {}, 60},
                  GridColumn{QStringLiteral("clas_name"), QStringLiteral("分类名称"), {}, 120},
                  GridColumn{QStringLiteral("clas_allo_disc"), QStringLiteral("打折"), {}, 40, true, Qt::AlignCenter},
                  GridColumn{QStringLiteral("clas_allo_serv"), QStringLiteral("服务费"), {}, 50, true, Qt::AlignCenter},
                  GridColumn{QStringLiteral("clas_allo_spec"), QStringLiteral("特殊消费"), {}, 60, true, Qt::AlignCenter},
                  GridColumn{QStringLiteral("clas_cost_perc"), QStringLiteral("成本率"), QStringLiteral("##%"), 60,
                             false, Qt::AlignRight | Qt::AlignVCenter},
                  GridColumn{QStringLiteral("manuname"), QStringLiteral("出品类型"), {}, 80}},
                 {{"dbe_CodeClass", "分类编码：", "clas_code", EntryKind::Upper},
                  {"DBEdit6", "分类名称：", "clas_name", EntryKind::Upper},
                  {"DBEdit7", "默认成本：", "clas_cost_perc", EntryKind::Integer, 999, 3}},
                 {{"DBLookupComboBox1", "出品类型：", "manu_code", s.adoqry_Manu, "manu_code", "manu_name"}},
                 {{"CheckBox_Disc", "是否打折", "clas_allo_disc"},
                  {"CheckBox_Serv", "加收服务费", "clas_allo_serv"},
                  {"CheckBox_Spec", "特殊消费", "clas_allo_spec"}},
                 {{"DBGrid4", s.adoqry_ConsKind,
                   {GridColumn{QStringLiteral("kind_code"), QStringLiteral("编码"), {}, 50},
                    GridColumn{QStringLiteral("kind_name"), QStringLiteral("大类名称"), {}, 100}}}}});
    guardCodeEdit(classes->findChild<QLineEdit*>(QStringLiteral("dbe_CodeClass")), s.adoqry_ConsClass, [&s](Dataset& d) {
        if (RecordSearch(s.adoqry_ConsClass->database(), QStringLiteral("itemlist"), QStringLiteral("clas_code"),
                         d.field(QStringLiteral("clas_code")).oldValue()))
            return kClassHasItems + QStringLiteral("修改！");
        return QString();
    });
    // Coming from the production points, the classes are read again so new point names show.
    Dataset* classList = s.adoqry_ConsClass;
    Dataset* pointList = s.adoqry_Manu;
    main.registerScreen(QStringLiteral("分类"), {classes, classList, [classList, pointList](Dataset* before) {
                                                  if (before != pointList || !classList->active()) return;
                                                  const int at = classList->recNo();
                                                  classList->refresh();
                                                  if (at > 1) classList->moveBy(at - 1);
                                              }});
}

} // namespace kx::backoffice
