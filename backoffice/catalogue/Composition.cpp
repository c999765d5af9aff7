#include "Composition.h"

#include "DerivedStock.h"
#include "ErrorGuard.h"
#include "Prompter.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "Transaction.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace kx::backoffice {

namespace {

// A direct row names a component; an expansion row repeats an ingredient of a composite
// component and names that composite in grou_mix_code.
const QString kDirect = QStringLiteral("(grou_mix_code IS NULL OR grou_mix_code = '')");

// An amount as the labels show it: no trailing zeros, at most two decimals.
QString amountText(double v) {
    QString t = QString::number(v, 'f', 2);
    while (t.endsWith(QLatin1Char('0')))
        t.chop(1);
    if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    return t == QLatin1String("-0") ? QStringLiteral("0") : t;
}

class CompositionScreen {
  public:
    CompositionScreen(TFormSMain& main, TDMSetup& s, QWidget* itemScreen)
        : main_(main), s_(s), itemScreen_(itemScreen) {}

    void build(TFormChild& child);
    void open();
    void add(Dataset& candidate);
    void proposePrice();
    void leave();

  private:
    QString groupCode() const { return s_.adoqry_ConsItem->field(QStringLiteral("item_code")).asString(); }
    QString groupType() const {
        return s_.adoqry_ConsItem->field(QStringLiteral("item_type_code")).asString();
    }
    // The group item's own price and cost in the labels; the cost "0" while its edit is empty.
    void showOwnPrices();

    TFormSMain& main_;
    TDMSetup& s_;
    QWidget* itemScreen_;
    QWidget* panel_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* unit_ = nullptr;
    QLabel* cost_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTableView* candidates_ = nullptr;
};

std::vector<db::GridColumn> candidateColumns() {
    return {db::GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 60},
            db::GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 110}};
}

void CompositionScreen::build(TFormChild& child) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Dataset* group = s_.adoqry_ConsItemGroup;
    RecordScreen screen{
        "pnl_ConsItemGroup",
        "DBGrid9",
        group,
        {GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 60},
         GridColumn{QStringLiteral("itemname"), QStringLiteral("项目名称"), {}, 120},
         GridColumn{QStringLiteral("itemunit"), QStringLiteral("单位"), {}, 40},
         GridColumn{QStringLiteral("grou_coun"), QStringLiteral("数量"), QStringLiteral("0.##"), 50, false, right},
         GridColumn{QStringLiteral("itemunitpric"), QStringLiteral("单价"), QStringLiteral("0.##"), 55, false,
                    right},
         GridColumn{QStringLiteral("itemcostpric"), QStringLiteral("成本"), QStringLiteral("0.##"), 55, false,
                    right},
         GridColumn{QStringLiteral("groupname"), QStringLiteral("[组合名称]"), {}, 110}},
        {{"dbe_GroupCount", "项目数量：", "grou_coun", EntryKind::Amount, 999999, 6}}};
    screen.headingName = "lbl_group";
    screen.texts = {{"lbl_GroupItem", "项目名称：", [](Dataset& d) {
                         return d.field(QStringLiteral("item_code")).asString() + QStringLiteral("/") +
                                d.field(QStringLiteral("itemname")).asString() + QStringLiteral("  ") +
                                d.field(QStringLiteral("itemunit")).asString();
                     }}};
    screen.candidates = CandidateList{
        main_.ds_Temp,
        "DBGrid8",
        "EditDict",
        candidateColumns(),
        itemCodeOrShortCodeFilter,
        [this](Dataset& candidate) { add(candidate); },
        "dbe_GroupCount"};
    panel_ = buildRecordScreen(&child, screen);
    heading_ = panel_->findChild<QLabel*>(QStringLiteral("lbl_group"));
    search_ = panel_->findChild<QLineEdit*>(QStringLiteral("EditDict"));
    candidates_ = panel_->findChild<QTableView*>(QStringLiteral("DBGrid8"));

    // "单价/成本：" the group's price and cost, or the proposed ones, and the proposal button.
    auto* form = panel_->findChild<QGridLayout*>();
    auto* prices = new QHBoxLayout;
    unit_ = new QLabel(panel_);
    unit_->setObjectName(QStringLiteral("lbl_unit"));
    cost_ = new QLabel(panel_);
    cost_->setObjectName(QStringLiteral("lbl_cost"));
    auto* propose = new QPushButton(QStringLiteral("按组成计价"), panel_);
    propose->setObjectName(QStringLiteral("SpeedButton2"));
    propose->setToolTip(QStringLiteral("单价与成本取各组成项目之和"));
    propose->setAutoDefault(false);
    prices->addWidget(unit_);
    prices->addWidget(new QLabel(QStringLiteral("/"), panel_));
    prices->addWidget(cost_);
    prices->addSpacing(16);
    prices->addWidget(propose);
    prices->addStretch(1);
    const int row = form->rowCount();
    form->addWidget(new QLabel(QStringLiteral("单价/成本："), panel_), row, 0);
    form->addLayout(prices, row, 1);
    QObject::connect(propose, &QPushButton::clicked, panel_, [this] { guarded([this] { proposePrice(); }); });

    // An emptied quantity becomes 1 when the edit is left.
    auto* count = panel_->findChild<QLineEdit*>(QStringLiteral("dbe_GroupCount"));
    auto edited = std::make_shared<bool>(false);
    QObject::connect(count, &QLineEdit::textEdited, count, [edited] { *edited = true; });
    QObject::connect(count, &QLineEdit::editingFinished, count, [count, group, edited] {
        if (!*edited) return;
        *edited = false;
        if (!count->text().trimmed().isEmpty()) return;
        guarded([&] {
            if (!group->active() || group->isEmpty()) return;
            if (group->state() == Dataset::Browse) group->edit();
            group->field(QStringLiteral("grou_coun")).setValue(1);
            count->setText(QStringLiteral("1"));
        });
    });

    // The item screen's composition button, beside the type box, for set menus and composites.
    auto* typeBox = itemScreen_->findChild<QComboBox*>(QStringLiteral("DBLookupComboBox2"));
    auto* opener = new QPushButton(QStringLiteral("组成明细"), itemScreen_);
    opener->setObjectName(QStringLiteral("SpeedButton1"));
    opener->setToolTip(QStringLiteral("套餐、合成项目的组成"));
    opener->setAutoDefault(false);
    placeBeside(typeBox, opener);
    Dataset* items = s_.adoqry_ConsItem;
    auto enable = [items, opener] {
        const QString type = items->active() && (!items->isEmpty() || items->state() == Dataset::Insert)
                                 ? items->field(QStringLiteral("item_type_code")).asString()
                                 : QString();
        opener->setEnabled(type == QLatin1String("2") || type == QLatin1String("3"));
    };
    for (auto signal : {&Dataset::currentChanged, &Dataset::rowChanged, &Dataset::stateChanged})
        QObject::connect(items, signal, opener, enable);
    QObject::connect(items, &Dataset::reset, opener, enable);
    enable();
    QObject::connect(opener, &QPushButton::clicked, itemScreen_, [this] { guarded([this] { open(); }); });

    main_.registerBack(group, [this] { leave(); });
}

void CompositionScreen::showOwnPrices() {
    Dataset* items = s_.adoqry_ConsItem;
    unit_->setText(amountText(items->field(QStringLiteral("item_unit_pric")).asFloat()));
    auto* costEdit = itemScreen_->findChild<QLineEdit*>(QStringLiteral("dbe_CostPric"));
    cost_->setText(costEdit && costEdit->text().trimmed().isEmpty()
                       ? QStringLiteral("0")
                       : amountText(items->field(QStringLiteral("item_cost_pric")).asFloat()));
}

void CompositionScreen::open() {
    Dataset* items = s_.adoqry_ConsItem;
    if (!items->active() || (items->isEmpty() && items->state() != Dataset::Insert)) return;
    const QString type = groupType();
    if (type != QLatin1String("2") && type != QLatin1String("3")) return;
    // The item is stored first; its own rules may refuse it.
    if (items->state() == Dataset::Browse) items->edit();
    items->post();
    const QString code = groupCode();
    main_.enterDetail({main_.toolb_Add, main_.toolb_Cancel, main_.toolb_Save});

    // The group's direct rows only, in the order they were added.
    Dataset* group = s_.adoqry_ConsItemGroup;
    group->setFiltered(false);
    group->setSql(QStringLiteral("select * from itemgroup where ") + kDirect +
                      QStringLiteral(" and grou_code=? order by grou_ID"),
                  {code});
    group->open();

    // A set menu takes single items and composites, a composite single items and ingredients;
    // never the group itself.
    main_.ds_Temp->attach(group->database(),
                          QStringLiteral("select item_code,item_name ,item_shor,item_type_code from itemlist "
                                         "where item_code<>? and item_type_code<>? and item_type_code<>'2' "
                                         "order by item_code"),
                          {code, type == QLatin1String("2") ? QStringLiteral("4") : QStringLiteral("3")});
    main_.ds_Temp->show(candidates_, candidateColumns());
    search_->clear();

    main_.makeCurrent(panel_, group);
    heading_->setText(items->field(QStringLiteral("item_name")).asString() + QStringLiteral("-[") +
                      items->field(QStringLiteral("itemtype")).asString() + QStringLiteral("]"));
    showOwnPrices();
    search_->setFocus();
}

void CompositionScreen::add(Dataset& candidate) {
    Dataset* group = s_.adoqry_ConsItemGroup;
    const QString code = candidate.field(QStringLiteral("item_code")).asString();
    // A component already there is only moved to.
    if (group->locate(QStringLiteral("item_code"), code)) return;
    if (code.isEmpty()) return;
    const QString groupCode = this->groupCode();
    const bool composite =
        candidate.field(QStringLiteral("item_type_code")).asString() == QLatin1String("3");
    QSqlDatabase db = group->database();
    // The component and, for a composite, its ingredients as expansion rows: both or neither.
    db::Transaction tx(db);
    try {
        group->append();
        group->field(QStringLiteral("grou_code")).setValue(groupCode);
        group->field(QStringLiteral("item_code")).setValue(code);
        group->field(QStringLiteral("grou_coun")).setValue(1);
        group->post();
        if (composite) {
            // Their quantities are worked out when the composition is left.
            db::exec(db,
                     QStringLiteral("insert into ItemGroup(item_code,grou_mix_code,grou_mix_coun,grou_code) "
                                    "select A.item_code, ?, A.grou_coun, ? from itemGroup as A, itemlist as B "
                                    "where A.item_code=B.item_code and A.grou_code=? and ") +
                         QStringLiteral("(A.grou_mix_code IS NULL OR A.grou_mix_code = '')"),
                     {code, groupCode, code});
        }
        tx.commit();
    } catch (...) {
        tx.rollback();
        if (group->state() != Dataset::Browse) group->cancel();
        group->reload();
        throw;
    }
}

void CompositionScreen::proposePrice() {
    Dataset* items = s_.adoqry_ConsItem;
    const QString code = groupCode();
    // One unit of every row's item, expansion rows included.
    QSqlQuery q = db::run(items->database(),
                          QStringLiteral("select sum(b.item_unit_pric),sum(b.item_cost_pric) from ItemGroup A,"
                                         "ItemList B where a.item_code=b.item_code and a.grou_code=?"),
                          {code});
    double price = 0, cost = 0;
    if (q.next()) {
        price = q.value(0).toDouble();
        cost = q.value(1).toDouble();
    }
    q.finish();
    unit_->setText(amountText(price));
    cost_->setText(amountText(cost));
    if (!prompter().question(QStringLiteral("请确定是否修改现在的[单价]和[成本价]!"))) {
        showOwnPrices();
        return;
    }
    if (items->state() == Dataset::Browse) items->edit();
    items->field(QStringLiteral("item_unit_pric")).setValue(price);
    items->field(QStringLiteral("item_cost_pric")).setValue(cost);
    items->field(QStringLiteral("item_dedu_pric")).clear();
    try {
        items->post();
    } catch (...) {
        // Refused by the item's rules (their message shown): the item stays as it was.
        items->cancel();
        showOwnPrices();
        throw;
    }
}

void CompositionScreen::leave() {
    Dataset* items = s_.adoqry_ConsItem;
    Dataset* group = s_.adoqry_ConsItemGroup;
    const QString code = groupCode();
    const bool setMenu = groupType() == QLatin1String("2");
    QSqlDatabase db = items->database();
    db::inTransaction(db, setMenu ? QStringLiteral("A100006") : QStringLiteral("A100007"), [&] {
        if (!setMenu)
            // This composite's rows in every set menu go, to be built again from its recipe.
            db::exec(db, QStringLiteral("delete from itemgroup where grou_mix_code=?"), {code});
        // The quantity being typed is kept.
        if (group->active() && (group->state() == Dataset::Edit || group->state() == Dataset::Insert))
            group->post();
        if (setMenu) {
            // Every expansion row: the composite's quantity in the set × the ingredient's per composite.
            db::exec(db, QStringLiteral("UPDATE ItemGroup SET grou_coun = grou_mix_coun * (SELECT max(b.grou_coun) "
                                        "FROM ItemGroup b WHERE b.grou_code = ItemGroup.grou_code AND "
                                        "b.item_code = ItemGroup.grou_mix_code AND ") +
                             QStringLiteral("(b.grou_mix_code IS NULL OR b.grou_mix_code = '')) "
                                            "WHERE grou_code = ? AND grou_mix_code <> ''"),
                     {code});
        } else {
            // For every set menu holding this composite, one row per ingredient.
            db::exec(db,
                     QStringLiteral("INSERT INTO itemgroup ( item_code, grou_coun, grou_code, grou_mix_coun, "
                                    "grou_mix_code ) SELECT b.item_code, (a.grou_coun*b.grou_coun), a.grou_code, "
                                    "b.grou_coun, a.item_code FROM itemgroup AS a, itemgroup AS b "
                                    "WHERE a.item_code=? AND a.item_code=b.grou_code AND ") +
                         QStringLiteral("(a.grou_mix_code IS NULL OR a.grou_mix_code = '') AND "
                                        "(b.grou_mix_code IS NULL OR b.grou_mix_code = '')"),
                     {code});
        }
        // A group without components counts 0, like every derived count worked out here.
        db::storeChange(db);
    });
    // The derived counts of every set menu and composite changed: their rows are read again.
    QVariantList groups;
    QSqlQuery q = db::run(db, QStringLiteral("select item_code from itemlist where item_type_code in ('2','3')"));
    while (q.next())
        groups << q.value(0);
    q.finish();
    items->refreshRows(QStringLiteral("item_code"), groups);
    main_.makeCurrent(itemScreen_, items);
}

} // namespace

void declareCompositionRules(TDMSetup& s) {
    Dataset* group = s.adoqry_ConsItemGroup;
    group->checksInTransaction = true;
    // A composite leaves its group with the rows expanded from it.
    group->beforeDelete = [](Dataset& d) {
        const QString mix = d.field(QStringLiteral("grou_mix_code")).asString();
        if (!mix.isEmpty()) return;
        db::exec(d.database(),
                 QStringLiteral("delete from itemgroup where grou_code=? and grou_mix_code=?"),
                 {d.field(QStringLiteral("grou_code")).asString(), d.field(QStringLiteral("item_code")).asString()});
    };
}

void buildCompositionScreen(TFormSMain& main, TFormChild& child, TDMSetup& s, QWidget* itemScreen) {
    // Lives as long as the window's screens.
    auto* screen = new CompositionScreen(main, s, itemScreen);
    QObject::connect(itemScreen, &QObject::destroyed, [screen] { delete screen; });
    screen->build(child);
}

} // namespace kx::backoffice
