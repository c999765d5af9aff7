#include "Catalogue.h"

#include "Composition.h"
#include "ItemTransfer.h"
#include "DerivedStock.h"
#include "ErrorGuard.h"
#include "Money.h"
#include "Prompter.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "Transaction.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

namespace kx::backoffice {

namespace {

const QString kKindHasClasses = QStringLiteral("[大类]下面设有[分类]，所以不能被");
const QString kClassHasItems = QStringLiteral("[分类]下面设有[项目]，所以不能被");
const QString kPointInUse = QStringLiteral("[出品类型]正在被设置使用，所以不能被");

} // namespace

void declareCatalogueRules(TDMSetup& s) {
    RecordRules kind =
        codeAndNameRules(QStringLiteral("kind_code"), QStringLiteral("kind_name"),
                         QStringLiteral("大类[编码]、[名称]不能为空！"), QStringLiteral("kind_rema"));
    // The ingredients' kind is built in; a kind with classes keeps its code.
    kind.presetCodes = {QStringLiteral("M")};
    kind.presetsFirst = false;
    kind.uses = {{QStringLiteral("SELECT count(*) FROM classlist WHERE kind_code = ?"),
                  kKindHasClasses + QStringLiteral("删除！"), kKindHasClasses + QStringLiteral("修改！")}};
    installRules(*s.adoqry_ConsKind, kind);

    RecordRules point =
        codeAndNameRules(QStringLiteral("manu_code"), QStringLiteral("manu_name"),
                         QStringLiteral("出品类型[编码]、[名称]不能为空！"), QStringLiteral("manu_rema"));
    point.presetCodes = {QStringLiteral("1")};
    point.presetsFirst = false;
    point.uses = {{QStringLiteral("SELECT count(*) FROM classlist WHERE manu_code = ?"),
                   kPointInUse + QStringLiteral("删除！"), kPointInUse + QStringLiteral("修改！")}};
    installRules(*s.adoqry_Manu, point);

    RecordRules cls = codeAndNameRules(QStringLiteral("clas_code"), QStringLiteral("clas_name"),
                                       QStringLiteral("分类[编码]、[名称]不能为空！"));
    Dataset* kinds = s.adoqry_ConsKind;
    cls.defaults = [kinds](Dataset& d) {
        d.field(QStringLiteral("kind_code"))
            .setValue(kinds->isEmpty() ? QString() : kinds->field(QStringLiteral("kind_code")).asString());
        d.field(QStringLiteral("manu_code")).setValue(QStringLiteral("1"));
        for (const char* flag : {"clas_allo_serv", "clas_allo_disc", "clas_allo_spec"})
            d.field(QString::fromLatin1(flag)).setValue(false);
    };
    cls.check = [](Dataset& d) {
        if (d.field(QStringLiteral("clas_cost_perc")).asFloat() > 100)
            refuse(QStringLiteral("默认成本率不能大于100%！"));
    };
    cls.uses = {{QStringLiteral("SELECT count(*) FROM itemlist WHERE clas_code = ?"),
                 kClassHasItems + QStringLiteral("删除！"), kClassHasItems + QStringLiteral("修改！")},
                {QStringLiteral("SELECT count(*) FROM Discitem WHERE clas_code = ?"),
                 QStringLiteral("[折扣方案]中包含此[分类]，不能被删除!"),
                 QStringLiteral("[折扣方案]中包含此[分类]，不能被修改!")}};
    installRules(*s.adoqry_ConsClass, cls);

    RecordRules item;
    item.codeField = QStringLiteral("item_code");
    item.nameField = QStringLiteral("item_name");
    const QString itemRequired = QStringLiteral("项目[编号]、[名称]、[单价]、[成本]、[类型]不能为空！");
    item.required = {item.codeField, item.nameField, QStringLiteral("item_type_code")};
    item.requiredMessage = itemRequired;
    Dataset* classList = s.adoqry_ConsClass;
    Dataset* kindList = s.adoqry_ConsKind;
    // No item without a class to hold it.
    s.adoqry_ConsItem->beforeInsert = [classList](Dataset&) {
        if (classList->isEmpty() || classList->field(QStringLiteral("clas_code")).asString().isEmpty())
            throw SilentAbort();
    };
    item.defaults = [classList, kindList](Dataset& d) {
        d.field(QStringLiteral("clas_code"))
            .setValue(classList->field(QStringLiteral("clas_code")).asString());
        const bool ingredients =
            !kindList->isEmpty() &&
            kindList->field(QStringLiteral("kind_code")).asString() == QLatin1String("M");
        d.field(QStringLiteral("item_type_code"))
            .setValue(ingredients ? QStringLiteral("4") : QStringLiteral("1"));
        d.field(QStringLiteral("item_real")).setValue(false);
        d.field(QStringLiteral("item_coun")).setValue(0);
        d.field(QStringLiteral("item_limi")).setValue(QStringLiteral("不限"));
    };
    // Prices compared in cents: a cost or commission a cent over is refused, none under.
    item.check = [itemRequired](Dataset& d) {
        const qint64 price = toCents(d.field(QStringLiteral("item_unit_pric")).asFloat());
        const qint64 cost = toCents(d.field(QStringLiteral("item_cost_pric")).asFloat());
        const qint64 commission = toCents(d.field(QStringLiteral("item_dedu_pric")).asFloat());
        if (price <= 0) refuse(itemRequired);
        if (cost > price) refuse(QStringLiteral("[成本]不能大于[单价]！"));
        if (commission > price - cost) refuse(QStringLiteral("[提成]不能大于利润！"));
    };
    const QString atTheDesk = QStringLiteral("此[项目]现在正在被[前台操作]使用，不能被");
    const QString inStockBills = QStringLiteral("此[项目]现在正在被[物流管理]使用，不能被");
    item.uses = {
        {QStringLiteral("SELECT count(*) FROM itemgroup WHERE grou_code = ?"),
         QStringLiteral("[套餐/合成]中下设置有项目，不能被删除!"),
         QStringLiteral("[套餐/合成]中下设置有项目，不能被修改!")},
        {QStringLiteral("SELECT count(*) FROM itemgroup WHERE item_code = ?"),
         QStringLiteral("此[项目]包含在套餐/合成中，不能被删除!"),
         QStringLiteral("此[项目]包含在套餐/合成中，不能被修改!")},
        // An order line of the day, or the order pad of a visit in use.
        {QStringLiteral(
             "SELECT (SELECT count(*) FROM tableconslist WHERE item_code = ?) + "
             "(SELECT count(*) FROM TableConsListTemp t JOIN TableGuestlist g ON g.tabl_gues_auto_recn = "
             "t.tabl_gues_auto_recn WHERE t.item_code = ? AND COALESCE(g.tabl_gues_use, 0) <> 0)"),
         atTheDesk + QStringLiteral("删除!"), atTheDesk + QStringLiteral("修改!")},
        // A line of a stock bill not yet posted.
        {QStringLiteral("SELECT count(*) FROM StoreDetail WHERE item_code = ?"),
         inStockBills + QStringLiteral("删除!"), inStockBills + QStringLiteral("修改!")}};
    installRules(*s.adoqry_ConsItem, item);
    // The compositions name their components from every class.
    s.adoqry_ConsItem->lookupsSeeAllRows = true;
    declareCompositionRules(s);

    // Kinds over classes over items over their compositions; the ingredients' kind takes
    // ingredients only.
    linkChild(*s.adoqry_ConsKind, QStringLiteral("kind_code"), *s.adoqry_ConsClass,
              QStringLiteral("kind_code"));
    linkChild(*s.adoqry_ConsClass, QStringLiteral("clas_code"), *s.adoqry_ConsItem,
              QStringLiteral("clas_code"));
    linkChild(*s.adoqry_ConsItem, QStringLiteral("item_code"), *s.adoqry_ConsItemGroup,
              QStringLiteral("grou_code"));
    // A kind cannot be left while an item of its classes is typed and does not pass either.
    Dataset* itemList = s.adoqry_ConsItem;
    auto kindLeaving = s.adoqry_ConsKind->beforeScroll;
    s.adoqry_ConsKind->beforeScroll = [kindLeaving, itemList](Dataset& d) {
        if (kindLeaving) kindLeaving(d);
        if (itemList->state() == Dataset::Insert || itemList->state() == Dataset::Edit) validate(*itemList);
    };
    Dataset* types = s.adoqry_ItemType;
    auto scrolled = s.adoqry_ConsKind->afterScroll;
    s.adoqry_ConsKind->afterScroll = [scrolled, types](Dataset& d) {
        if (scrolled) scrolled(d);
        const bool ingredients =
            !d.isEmpty() && d.field(QStringLiteral("kind_code")).asString() == QLatin1String("M");
        types->setSql(ingredients ? QStringLiteral("select * from itemtypelist where item_type_code='4'")
                                  : QStringLiteral("select * from itemtypelist where item_type_code<>'4'"));
        types->open();
    };
}

namespace {

// The type change of the current item, the chosen type already in its edit buffer.
void changeItemType(Dataset& items) {
    if (!items.active() || items.isEmpty() || items.state() != Dataset::Edit) return;
    QSqlDatabase db = items.database();
    const QString code = items.field(QStringLiteral("item_code")).oldValue().toString();
    const QString old = items.field(QStringLiteral("item_type_code")).oldValue().toString();
    const QString chosen = items.field(QStringLiteral("item_type_code")).asString();
    if (old == chosen) return;
    const bool component = RecordSearch(db, QStringLiteral("itemgroup"), QStringLiteral("item_code"), code);

    // Posts the item and does the rest in one transaction; a refused post puts the old type back.
    auto inOne = [&](const QString& failureCode, const std::function<void()>& rest) {
        items.disableControls();
        struct Resume {
            Dataset& d;
            ~Resume() { d.enableControls(); }
        } resume{items};
        try {
            db::inTransaction(db, failureCode, [&] {
                items.post();
                rest();
                db::storeChange(db);
            });
        } catch (const SilentAbort&) {
            // The item's own rules refused it (their message is shown): nothing changed.
            items.field(QStringLiteral("item_type_code")).setValue(old);
            items.cancel();
            throw;
        }
        items.reload();
    };

    // 1. A component never becomes a set menu.
    if (chosen == QLatin1String("2") && (old == QLatin1String("1") || old == QLatin1String("3")) &&
        component) {
        prompter().information(QStringLiteral("此项目已经包含在某[组合项目]中，所以不能被修改为组合项目！"));
        items.cancel();
        throw SilentAbort();
    }
    // 2. A single item used as a component becomes a composite with no stock of its own.
    if (old == QLatin1String("1") && chosen == QLatin1String("3") && component) {
        inOne(QStringLiteral("A100009"), [&] {
            db::exec(db,
                     QStringLiteral("update ItemList set item_type_code='3', item_coun=0 where item_code=?"),
                     {code});
        });
        return;
    }
    // 3. and 4. A composite or set menu gives up what it is made of.
    const bool composite =
        old == QLatin1String("3") && (chosen == QLatin1String("1") || chosen == QLatin1String("2"));
    const bool setMenu =
        old == QLatin1String("2") && (chosen == QLatin1String("1") || chosen == QLatin1String("3"));
    if (composite || setMenu) {
        if (!prompter().question(QStringLiteral("如果改变类型将清除其包含的项目?"))) {
            items.cancel();
            throw SilentAbort();
        }
        inOne(composite ? QStringLiteral("A100010") : QStringLiteral("A100011"), [&] {
            if (chosen == QLatin1String("3"))
                db::exec(db, QStringLiteral("update ItemList set item_coun=0 where item_code=?"), {code});
            // A composite's rows go with the rows it left expanded in set menus.
            db::exec(db,
                     composite ? QStringLiteral("delete from itemgroup where grou_code=? or grou_mix_code=?")
                               : QStringLiteral("delete from itemgroup where grou_code=?"),
                     composite ? QVariantList{code, code} : QVariantList{code});
        });
        return;
    }
    // 5. Any other change is saved with the row.
}

// "查找：" above the side lists: a code or short code that begins with the text, or a name
// that holds it, across every class. Enter goes to the next match in code order (after the
// current item, from the first again at the end), moving the kind and class lists with it.
void addItemSearch(QWidget* screen, TDMSetup& s) {
    auto* kindList = screen->findChild<QTableView*>(QStringLiteral("DBGrid7"));
    auto* sideLayout =
        kindList ? qobject_cast<QVBoxLayout*>(kindList->parentWidget()->layout()->itemAt(1)->layout())
                 : nullptr;
    if (!sideLayout) return;
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("查找："), screen));
    auto* search = new QLineEdit(screen);
    search->setObjectName(QStringLiteral("EditItemSearch"));
    row->addWidget(search, 1);
    sideLayout->insertLayout(0, row);
    Dataset* kinds = s.adoqry_ConsKind;
    Dataset* classes = s.adoqry_ConsClass;
    Dataset* items = s.adoqry_ConsItem;
    QObject::connect(search, &QLineEdit::returnPressed, search, [search, kinds, classes, items] {
        guarded([&] {
            const QString text = search->text().trimmed();
            if (text.isEmpty() || !items->active()) return;
            QString like = text;
            like.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                .replace(QLatin1Char('%'), QStringLiteral("\\%"));
            like.replace(QLatin1Char('_'), QStringLiteral("\\_"));
            const QString current =
                items->isEmpty() ? QString() : items->field(QStringLiteral("item_code")).asString();
            QSqlQuery q =
                db::run(items->database(),
                        QStringLiteral(
                            "SELECT i.item_code, i.clas_code, c.kind_code FROM itemlist i JOIN classlist c "
                            "ON c.clas_code = i.clas_code WHERE i.item_code LIKE ? ESCAPE '\\' OR "
                            "i.item_shor LIKE ? ESCAPE '\\' OR i.item_name LIKE ? ESCAPE '\\' "
                            "ORDER BY (i.item_code <= ?), i.item_code LIMIT 1"),
                        {like + QLatin1Char('%'), like + QLatin1Char('%'),
                         QLatin1Char('%') + like + QLatin1Char('%'), current});
            if (!q.next()) {
                prompter().information(QStringLiteral("[") + text +
                                       QStringLiteral("]查无此项目,请重新查找!"));
                return;
            }
            const QString code = q.value(0).toString(), cls = q.value(1).toString(),
                          kind = q.value(2).toString();
            q.finish();
            kinds->locate(QStringLiteral("kind_code"), kind);
            classes->locate(QStringLiteral("clas_code"), cls);
            items->locate(QStringLiteral("item_code"), code);
        });
    });
}

// "+" in the item screen's grids, edits and boxes adds an item and goes to its code.
class PlusAddsAnItem : public QObject {
  public:
    PlusAddsAnItem(TFormSMain& main, QLineEdit* code, QObject* parent)
        : QObject(parent), main_(main), code_(code) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_Plus) return false;
        guarded([this] {
            main_.addRecord();
            code_->setFocus();
        });
        return true;
    }

  private:
    TFormSMain& main_;
    QLineEdit* code_;
};

void buildItemScreen(TFormSMain& main, TFormChild& child, TDMSetup& s) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    QWidget* items = buildRecordScreen(
        &child,
        {"pnl_ConsItem",
         "DBGrid5",
         s.adoqry_ConsItem,
         {GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 60},
          GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 110},
          GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 40},
          GridColumn{QStringLiteral("item_unit_pric"), QStringLiteral("单价"), QStringLiteral("0.##"), 55,
                     false, right},
          GridColumn{QStringLiteral("item_cost_pric"), QStringLiteral("成本"), QStringLiteral("0.##"), 55,
                     false, right},
          GridColumn{QStringLiteral("item_dedu_pric"), QStringLiteral("提成"), QStringLiteral("0.##"), 45,
                     false, right},
          GridColumn{QStringLiteral("itemtype"), QStringLiteral("类型"), {}, 50},
          GridColumn{QStringLiteral("item_real"), QStringLiteral("实价"), {}, 40, true, Qt::AlignCenter}},
         {{"DBEdit8", "编码：", "item_code", EntryKind::Upper},
          {"DBEdit9", "名称：", "item_name", EntryKind::Upper},
          {"DBEdit14", "快捷：", "item_shor", EntryKind::Upper},
          {"dbe_UnitPric", "单价：", "item_unit_pric", EntryKind::Amount, 999999.99, 6},
          {"dbe_CostPric", "成本：", "item_cost_pric", EntryKind::Amount, 999999.99, 6},
          {"DBEdit13", "提成：", "item_dedu_pric", EntryKind::Amount, 999999.99, 6}},
         {{"DBLookupComboBox12", "单位：", "item_unit", s.adoqry_Unit, "unit_name", "unit_name"},
          {"DBLookupComboBox2", "类型：", "item_type_code", s.adoqry_ItemType, "item_type_code",
           "item_type_name"}},
         {{"CheckBox_Real", "实价", "item_real"}},
         {{"DBGrid7",
           s.adoqry_ConsKind,
           {GridColumn{QStringLiteral("kind_code"), QStringLiteral("编码"), {}, 50},
            GridColumn{QStringLiteral("kind_name"), QStringLiteral("大类名称"), {}, 100}}},
          {"DBGrid6",
           s.adoqry_ConsClass,
           {GridColumn{QStringLiteral("clas_code"), QStringLiteral("编码"), {}, 50},
            GridColumn{QStringLiteral("clas_name"), QStringLiteral("分类名称"), {}, 100}}}}});
    // A type chosen in the box is changed by the type-change rules.
    auto* typeBox = items->findChild<QComboBox*>(QStringLiteral("DBLookupComboBox2"));
    Dataset* itemsForType = s.adoqry_ConsItem;
    QObject::connect(typeBox, qOverload<int>(&QComboBox::activated), typeBox,
                     [itemsForType] { guarded([&] { changeItemType(*itemsForType); }); });

    // The cost from the class's default rate, as the price is typed.
    auto* price = items->findChild<QLineEdit*>(QStringLiteral("dbe_UnitPric"));
    auto* cost = items->findChild<QLineEdit*>(QStringLiteral("dbe_CostPric"));
    Dataset* itemList = s.adoqry_ConsItem;
    Dataset* classList = s.adoqry_ConsClass;
    QObject::connect(
        price, &QLineEdit::textEdited, price, [itemList, classList, price, cost](const QString& text) {
            guarded([&] {
                const double rate =
                    classList->isEmpty() ? 0 : classList->field(QStringLiteral("clas_cost_perc")).asFloat();
                if (!(rate > 0) || !itemList->active() || itemList->isEmpty()) return;
                if (itemList->state() == Dataset::Browse) itemList->edit();
                if (text.trimmed().isEmpty()) {
                    itemList->field(QStringLiteral("item_cost_pric")).clear();
                    cost->clear();
                    return;
                }
                bool ok = false;
                const double typed = text.toDouble(&ok);
                if (!ok) return;
                itemList->field(QStringLiteral("item_cost_pric"))
                    .setValue(roundHalfEven(typed * rate * 0.01, 2));
                (void)price;
            });
        });

    addItemSearch(items, s);
    addItemTransferButtons(items, s);

    auto* code = items->findChild<QLineEdit*>(QStringLiteral("DBEdit8"));
    auto* plus = new PlusAddsAnItem(main, code, items);
    for (const char* name : {"DBGrid5", "DBGrid6", "DBGrid7"})
        if (auto* w = items->findChild<QWidget*>(QString::fromLatin1(name))) w->installEventFilter(plus);
    for (const char* name : {"DBEdit8", "DBEdit9", "DBEdit14", "dbe_UnitPric", "dbe_CostPric", "DBEdit13",
                             "DBLookupComboBox12", "DBLookupComboBox2", "CheckBox_Real"})
        if (auto* w = items->findChild<QWidget*>(QString::fromLatin1(name))) w->installEventFilter(plus);
    main.registerScreen(QStringLiteral("项目"), {items, s.adoqry_ConsItem, {}});
    buildCompositionScreen(main, child, s, items);
}

} // namespace

void buildCatalogueScreens(TFormSMain& main, TFormChild& child, TDMSetup& s) {
    using db::GridColumn;
    QWidget* kinds = buildRecordScreen(
        &child, {"pnl_ConsKind",
                 "DBGrid1",
                 s.adoqry_ConsKind,
                 {GridColumn{QStringLiteral("kind_code"), QStringLiteral("编码"), {}, 80},
                  GridColumn{QStringLiteral("kind_name"), QStringLiteral("大类名称"), {}, 240}},
                 {{"dbe_CodeKind", "编码", "kind_code", EntryKind::Upper},
                  {"DBEdit2", "大类名称", "kind_name", EntryKind::Upper}}});
    guardCodeEdit(kinds->findChild<QLineEdit*>(QStringLiteral("dbe_CodeKind")), s.adoqry_ConsKind,
                  [&s](Dataset& d) {
                      const QString stored = d.field(QStringLiteral("kind_code")).oldValue().toString();
                      if (RecordSearch(s.adoqry_ConsKind->database(), QStringLiteral("classlist"),
                                       QStringLiteral("kind_code"), stored))
                          return kKindHasClasses + QStringLiteral("修改！");
                      if (stored == QLatin1String("M"))
                          return presetMessage(d.field(QStringLiteral("kind_name")).asString(), false);
                      return QString();
                  });
    main.registerScreen(QStringLiteral("大类"), {kinds, s.adoqry_ConsKind, {}});

    QWidget* points = buildRecordScreen(
        &child, {"pnl_Manu",
                 "DBGrid2",
                 s.adoqry_Manu,
                 {GridColumn{QStringLiteral("manu_code"), QStringLiteral("编码"), {}, 80},
                  GridColumn{QStringLiteral("manu_name"), QStringLiteral("出品名称"), {}, 240}},
                 {{"dbe_CodeManu", "编码", "manu_code", EntryKind::Upper},
                  {"DBEdit4", "出品名称", "manu_name", EntryKind::Upper}}});
    guardCodeEdit(points->findChild<QLineEdit*>(QStringLiteral("dbe_CodeManu")), s.adoqry_Manu,
                  [](Dataset& d) {
                      if (d.field(QStringLiteral("manu_code")).oldValue().toString() == QLatin1String("1"))
                          return presetMessage(d.field(QStringLiteral("manu_name")).asString(), false);
                      return QString();
                  });
    main.registerScreen(QStringLiteral("出品"), {points, s.adoqry_Manu, {}});

    QWidget* classes = buildRecordScreen(
        &child,
        {"pnl_ConsClass",
         "DBGrid3",
         s.adoqry_ConsClass,
         {GridColumn{QStringLiteral("clas_code"), QStringLiteral("编码"), {}, 60},
          GridColumn{QStringLiteral("clas_name"), QStringLiteral("分类名称"), {}, 120},
          GridColumn{QStringLiteral("clas_allo_disc"), QStringLiteral("打折"), {}, 40, true, Qt::AlignCenter},
          GridColumn{
              QStringLiteral("clas_allo_serv"), QStringLiteral("服务费"), {}, 50, true, Qt::AlignCenter},
          GridColumn{
              QStringLiteral("clas_allo_spec"), QStringLiteral("特殊消费"), {}, 60, true, Qt::AlignCenter},
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
         {{"DBGrid4",
           s.adoqry_ConsKind,
           {GridColumn{QStringLiteral("kind_code"), QStringLiteral("编码"), {}, 50},
            GridColumn{QStringLiteral("kind_name"), QStringLiteral("大类名称"), {}, 100}}}}});
    guardCodeEdit(classes->findChild<QLineEdit*>(QStringLiteral("dbe_CodeClass")), s.adoqry_ConsClass,
                  [&s](Dataset& d) {
                      if (RecordSearch(s.adoqry_ConsClass->database(), QStringLiteral("itemlist"),
                                       QStringLiteral("clas_code"),
                                       d.field(QStringLiteral("clas_code")).oldValue()))
                          return kClassHasItems + QStringLiteral("修改！");
                      return QString();
                  });
    buildItemScreen(main, child, s);

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
