#include "StockOverview.h"

#include "Binder.h"
#include "DerivedStock.h"
#include "EnterAsTab.h"
#include "ErrorGuard.h"
#include "Prompter.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "StockPosting.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "Transaction.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace kx::backoffice {

namespace {

const QString kLimited = QStringLiteral("有限");
const QString kUnlimited = QStringLiteral("不限");
const QString kDisabled = QStringLiteral("禁用");

// Single items and ingredients whose stock is counted: what an adjustment may move.
const char* const kCandidates =
    "select item_code,item_name,item_coun,item_shor,item_unit,item_unit_pric,item_cost_pric,item_type_code,item_limi "
    "from itemlist where item_type_code<>'3' and item_type_code<>'2' and item_limi<>'禁用' and item_limi<>'不限' "
    "order by item_code";

// The candidates' code, name and stock, untitled.
std::vector<db::GridColumn> candidateColumns() {
    return {db::GridColumn{QStringLiteral("item_code"), QStringLiteral(" "), {}, 55},
            db::GridColumn{QStringLiteral("item_name"), QStringLiteral(" "), {}, 90},
            db::GridColumn{QStringLiteral("item_coun"), QStringLiteral(" "), QStringLiteral("0.##"), 40, false,
                           Qt::AlignRight | Qt::AlignVCenter}};
}

QString number(const db::Field& f) {
    return f.isNull() ? QString() : QString::number(f.asFloat(), 'f', 2);
}

QString count(const db::Field& f) {
    return f.isNull() ? QString() : QString::number(f.asFloat(), 'g', 12);
}

bool hasRow(const Dataset* ds) {
    return ds->active() && (!ds->isEmpty() || ds->state() == Dataset::Insert);
}

class StockOverview {
  public:
    StockOverview(TFormSMain& main, TDMSetup& s) : main_(main), s_(s) {}
    void build(TFormChild& child);

  private:
    void buildOverview(TFormChild& child);
    void buildAdjustment(TFormChild& child);
    // The limit box as the current item has it: its mode, usable for single items and
    // ingredients only.
    void showLimit();
    void changeLimit();
    void openAdjustment();
    void addRow(Dataset& candidate);
    void apply();
    void leave();
    // Back on the overview with the toolbar it has there.
    void showOverview();

    TFormSMain& main_;
    TDMSetup& s_;
    QWidget* overview_ = nullptr;
    QWidget* adjustment_ = nullptr;
    QComboBox* limit_ = nullptr;
    QTableView* components_ = nullptr;
    QTableView* candidates_ = nullptr;
    QLineEdit* search_ = nullptr;
};

void StockOverview::build(TFormChild& child) {
    buildOverview(child);
    buildAdjustment(child);
    main_.setCommand(main_.toolb_store, [this] { openAdjustment(); });
}

void StockOverview::buildOverview(TFormChild& child) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Dataset* items = s_.adoqry_ConsItem;
    RecordScreen form{"pnl_StoreAdd",
                      "DBGrid38",
                      items,
                      {GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 55},
                       GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 100},
                       GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 36},
                       GridColumn{QStringLiteral("item_coun"), QStringLiteral("库存"), QStringLiteral("0.##"), 50, false,
                                  right},
                       GridColumn{QStringLiteral("item_limi"), QStringLiteral("限量"), {}, 40},
                       GridColumn{QStringLiteral("item_unit_pric"), QStringLiteral("单价"), QStringLiteral("0.00"), 55,
                                  false, right},
                       GridColumn{QStringLiteral("item_cost_pric"), QStringLiteral("成本"), QStringLiteral("0.00"), 55,
                                  false, right},
                       GridColumn{QStringLiteral("itemtype"), QStringLiteral("类型"), {}, 50}},
                      {}};
    form.texts = {{"lbl_StoreItemName", "项目名称：",
                   [](Dataset& d) {
                       return d.field(QStringLiteral("item_name")).asString() + QStringLiteral("  ") +
                              d.field(QStringLiteral("itemtype")).asString() + QStringLiteral("  ") +
                              d.field(QStringLiteral("item_unit")).asString();
                   }},
                  {"lbl_StoreItemCoun", "库存：", [](Dataset& d) { return count(d.field(QStringLiteral("item_coun"))); }},
                  {"lbl_StoreItemPric", "单价：",
                   [](Dataset& d) { return number(d.field(QStringLiteral("item_unit_pric"))); }},
                  {"lbl_StoreItemCost", "成本：",
                   [](Dataset& d) { return number(d.field(QStringLiteral("item_cost_pric"))); }}};
    form.formColumns = 2;
    form.sideLists = {{"DBGrid40",
                       s_.adoqry_ConsKind,
                       {GridColumn{QStringLiteral("kind_code"), QStringLiteral(" "), {}, 40},
                        GridColumn{QStringLiteral("kind_name"), QStringLiteral(" "), {}, 100}}},
                      {"DBGrid39",
                       s_.adoqry_ConsClass,
                       {GridColumn{QStringLiteral("clas_code"), QStringLiteral(" "), {}, 40},
                        GridColumn{QStringLiteral("clas_name"), QStringLiteral(" "), {}, 100}}}};
    overview_ = buildRecordScreen(&child, form);

    // The limit box, a fixed list, on the form's last line.
    auto* grid = overview_->findChild<QGridLayout*>();
    limit_ = new QComboBox(overview_);
    limit_->setObjectName(QStringLiteral("DBComboBox3"));
    limit_->addItems({kLimited, kUnlimited, kDisabled});
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(QStringLiteral("限量："), overview_), row, 0);
    grid->addWidget(limit_, row, 1);
    for (auto signal : {&Dataset::currentChanged, &Dataset::rowChanged, &Dataset::stateChanged})
        QObject::connect(items, signal, limit_, [this] { showLimit(); });
    QObject::connect(items, &Dataset::reset, limit_, [this] { showLimit(); });
    QObject::connect(limit_, qOverload<int>(&QComboBox::activated), limit_,
                     [this] { guarded([this] { changeLimit(); }); });

    // What a set menu or composite is made of.
    components_ = new QTableView(overview_);
    components_->setObjectName(QStringLiteral("DBGrid41"));
    paintAsSideList(components_);
    bindGrid(components_, s_.adoqry_ConsItemGroup,
             {GridColumn{QStringLiteral("item_code"), QStringLiteral("明细"), {}, 50},
              GridColumn{QStringLiteral("itemname"), QStringLiteral(" "), {}, 90},
              GridColumn{QStringLiteral("itemunit"), QStringLiteral(" "), {}, 32},
              GridColumn{QStringLiteral("itemcoun"), QStringLiteral(" "), QStringLiteral("0.##"), 45, false, right},
              GridColumn{QStringLiteral("itemlimi"), QStringLiteral(" "), {}, 36},
              GridColumn{QStringLiteral("itemunitpric"), QStringLiteral(" "), QStringLiteral("0.00"), 50, false, right},
              GridColumn{QStringLiteral("itemcostpric"), QStringLiteral(" "), QStringLiteral("0.00"), 50, false, right},
              GridColumn{QStringLiteral("itemtype"), QStringLiteral(" "), {}, 40},
              GridColumn{QStringLiteral("grou_coun"), QStringLiteral(" "), QStringLiteral("0.##"), 40, false, right}});
    components_->setMaximumHeight(140);
    qobject_cast<QVBoxLayout*>(overview_->layout()->itemAt(0)->layout())->addWidget(components_);

    auto shown = [this](Dataset*) { showLimit(); };
    main_.registerScreen(QStringLiteral("库存调整"), {overview_, items, shown});
}

void StockOverview::showLimit() {
    Dataset* items = s_.adoqry_ConsItem;
    const bool row = hasRow(items);
    const QString type = row ? items->field(QStringLiteral("item_type_code")).asString() : QString();
    const QSignalBlocker quiet(limit_);
    limit_->setCurrentIndex(row ? limit_->findText(items->field(QStringLiteral("item_limi")).asString()) : -1);
    limit_->setEnabled(row && type != QLatin1String("2") && type != QLatin1String("3"));
}

void StockOverview::changeLimit() {
    Dataset* items = s_.adoqry_ConsItem;
    if (!items->active() || items->isEmpty() || !limit_->isEnabled()) return;
    const QString chosen = limit_->currentText();
    if (items->field(QStringLiteral("item_limi")).asString() == chosen && items->state() == Dataset::Browse) return;
    QSqlDatabase db = items->database();
    if (items->state() == Dataset::Browse) items->edit();
    items->field(QStringLiteral("item_limi")).setValue(chosen);
    // The item and what follows from it for every set menu and composite, together: a failure
    // half-way never leaves them unlimited.
    try {
        db::Transaction tx(db);
        items->post();
        db::storeChange(db);
        tx.commit();
    } catch (...) {
        items->cancel();
        showLimit();
        throw;
    }
    // The set menus and composites changed with it.
    items->reload();
    components_->viewport()->update();
}

void StockOverview::buildAdjustment(TFormChild& child) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Dataset* rows = s_.adoqry_ConsItemTemp;
    RecordScreen form{"pnl_Storechange",
                      "DBGrid42",
                      rows,
                      {GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 60},
                       GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 120},
                       GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 40},
                       GridColumn{QStringLiteral("item_unit_pric"), QStringLiteral("单价"), QStringLiteral("0.00"), 60,
                                  false, right},
                       GridColumn{QStringLiteral("item_cost_pric"), QStringLiteral("成本"), QStringLiteral("0.00"), 60,
                                  false, right},
                       GridColumn{QStringLiteral("item_coun"), QStringLiteral("增减数量"), QStringLiteral("0.##"), 65,
                                  false, right},
                       GridColumn{QStringLiteral("item_limi"), QStringLiteral("限量"), {}, 45},
                       GridColumn{QStringLiteral("itemstore"), QStringLiteral("库存"), QStringLiteral("0.##"), 60, false,
                                  right},
                       GridColumn{QStringLiteral("itemtype"), QStringLiteral("类型"), {}, 50}},
                      {{"DBEdit85", "增减数量：", "item_coun", EntryKind::SignedAmount, 0, 6}}};
    form.texts = {{"lbl_AdjustItem", "项目名称：",
                   [](Dataset& d) {
                       return d.field(QStringLiteral("item_code")).asString() + QStringLiteral("/") +
                              d.field(QStringLiteral("item_name")).asString() + QStringLiteral("  ") +
                              d.field(QStringLiteral("item_unit")).asString();
                   }},
                  {"lbl_AdjustPrice", "单价/成本：",
                   [](Dataset& d) {
                       return number(d.field(QStringLiteral("item_unit_pric"))) + QStringLiteral("/") +
                              number(d.field(QStringLiteral("item_cost_pric")));
                   }},
                  {"lbl_AdjustStock", "库存：", [](Dataset& d) { return count(d.field(QStringLiteral("itemstore"))); }}};
    form.candidates = CandidateList{main_.ds_Temp,
                                    "DBGrid43",
                                    "Edit1",
                                    candidateColumns(),
                                    itemCodeOrShortCodeFilter,
                                    [this](Dataset& candidate) { addRow(candidate); },
                                    "DBEdit85",
                                    true};
    adjustment_ = buildRecordScreen(&child, form);
    search_ = adjustment_->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    candidates_ = adjustment_->findChild<QTableView*>(QStringLiteral("DBGrid43"));
    main_.registerBack(rows, [this] { leave(); });
    main_.setSaveOf(rows, [this] { apply(); });
}

void StockOverview::openAdjustment() {
    Dataset* items = s_.adoqry_ConsItem;
    if (main_.CurrentDataset != items || !overview_->isVisible()) return;
    if (items->state() != Dataset::Browse) items->cancel();
    // Enter confirms in the search box instead of moving on.
    EnterAsTab::remove();
    prompter().information(QStringLiteral("建议使用[物流管理]来进行库存调整！"));
    main_.showButtons({main_.toolb_Del, main_.toolb_Back}, {main_.toolb_Add, main_.toolb_Cancel, main_.toolb_store});
    // The list starts empty.
    Dataset* rows = s_.adoqry_ConsItemTemp;
    rows->execCommand(QStringLiteral("delete from ItemListTemp"));
    rows->setSql(QStringLiteral("select * from ItemListTemp"));
    rows->open();
    main_.ds_Temp->attach(items->database(), QString::fromUtf8(kCandidates));
    main_.ds_Temp->show(candidates_, candidateColumns());
    main_.makeCurrent(adjustment_, rows);
    search_->clear();
    search_->setFocus();
}

void StockOverview::addRow(Dataset& candidate) {
    Dataset* rows = s_.adoqry_ConsItemTemp;
    const QString code = candidate.field(QStringLiteral("item_code")).asString();
    if (!code.isEmpty() && !rows->locate(QStringLiteral("item_code"), code)) {
        rows->append();
        for (const char* f : {"item_code", "item_name", "item_unit", "item_unit_pric", "item_cost_pric",
                              "item_type_code", "item_limi"})
            rows->field(QString::fromLatin1(f)).setValue(candidate.field(QString::fromLatin1(f)).value());
        rows->field(QStringLiteral("item_coun")).setValue(1);
        rows->post();
    }
    // Cleared last: the whole list shows again and its current row moves.
    search_->clear();
}

void StockOverview::apply() {
    Dataset* rows = s_.adoqry_ConsItemTemp;
    if (!hasRow(rows) || rows->field(QStringLiteral("item_code")).asString().isEmpty()) return;
    main_.showButtons({main_.toolb_Cancel, main_.toolb_Save, main_.toolb_store},
                      {main_.toolb_Add, main_.toolb_Del, main_.toolb_Search, main_.toolb_run, main_.toolb_Back});
    QSqlDatabase db = rows->database();
    db::inTransaction(db, QStringLiteral("A100001"), [&] {
        if (rows->state() == Dataset::Edit || rows->state() == Dataset::Insert) rows->post();
        db::applyStockAdjustment(db);
    });
    // The list is used up; the stock read again.
    rows->reload();
    s_.adoqry_ConsItem->reload();
    showOverview();
}

void StockOverview::leave() {
    Dataset* rows = s_.adoqry_ConsItemTemp;
    // The list stays as it is until the next adjustment opens; a quantity still being typed is
    // not applied anyway.
    if (rows->active() && rows->state() != Dataset::Browse) rows->cancel();
    main_.showButtons({main_.toolb_Cancel, main_.toolb_Save, main_.toolb_store},
                      {main_.toolb_Add, main_.toolb_Del, main_.toolb_Search, main_.toolb_run, main_.toolb_Back});
    showOverview();
}

void StockOverview::showOverview() {
    EnterAsTab::install();
    main_.makeCurrent(overview_, s_.adoqry_ConsItem);
    showLimit();
}

} // namespace

void declareStockAdjustmentRules(TDMSetup& s) {
    Dataset* rows = s.adoqry_ConsItemTemp;
    auto checked = rows->beforePost;
    rows->beforePost = [checked](Dataset& d) {
        if (checked) checked(d);
        // A row without an item is dropped without a word.
        if (d.field(QStringLiteral("item_code")).asString().trimmed().isEmpty()) {
            d.cancel();
            throw SilentAbort();
        }
        if (d.field(QStringLiteral("item_coun")).isNull()) d.field(QStringLiteral("item_coun")).setValue(0);
    };
}

void buildStockOverviewScreens(TFormSMain& main, TFormChild& child, TDMSetup& setup) {
    auto* screens = new StockOverview(main, setup);
    QObject::connect(&main, &QObject::destroyed, [screens] { delete screens; });
    screens->build(child);
}

} // namespace kx::backoffice
