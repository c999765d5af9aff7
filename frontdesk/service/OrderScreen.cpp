#include "OrderScreen.h"

#include "BillCalc.h"
#include "Binder.h"
#include "DatasetModel.h"
#include "EnterAsTab.h"
#include "ErrorGuard.h"
#include "KitchenList.h"
#include "NumberEntry.h"
#include "ProgressBar.h"
#include "PanelKit.h"
#include "Prompter.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "WorkScreen.h"

#include <QButtonGroup>
#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSqlQuery>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace kx::frontdesk {

using db::Dataset;
using db::GridColumn;

namespace {

// The colours of the screen (the values the venue's staff know from the old screens).
const QColor kPadSelection(0, 128, 192);  // 12615808
const QColor kItemSelection(128, 128, 128); // 8421504
const QColor kChoosing(0, 128, 128);      // 8421376, teal
const QColor kUnlimitedItem(0, 128, 0);   // 32768
const QColor kDisabledItem(255, 0, 0);

QString quoted(QString value) { return value.replace(QLatin1Char('\''), QStringLiteral("''")); }


QTableView* grid(const QString& name, QWidget* parent, const QColor& selection) {
    auto* g = new QTableView(parent);
    g->setObjectName(name);
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(22);
    g->setAlternatingRowColors(false);
    // Tab leaves the grid for the next control: the cashier moves between grids by keys.
    g->setTabKeyNavigation(false);
    g->setStyleSheet(QStringLiteral("QTableView { selection-background-color: %1; selection-color: white; }")
                         .arg(selection.name()));
    return g;
}


QLineEdit* edit(const QString& name, QWidget* parent, int maxLength = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    if (maxLength > 0) e->setMaxLength(maxLength);
    return e;
}

void acceptOnly(QLineEdit* e, const char* pattern) {
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(pattern)), e));
}

bool isEnter(const QKeyEvent* k) { return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter; }

std::vector<GridColumn> itemColumns() {
    return {{QStringLiteral("item_code"), QString(), QString(), 62},
            {QStringLiteral("item_name"), QString(), QString(), 140},
            {QStringLiteral("item_unit"), QString(), QString(), 40},
            {QStringLiteral("item_unit_pric"), QString(), QStringLiteral("0.00"), 62}};
}

} // namespace

OrderScreen::OrderScreen(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm), ordering_(main, dm) {
    setObjectName(QStringLiteral("OrderScreen"));
    build();
    wire();
}

OrderScreen::~OrderScreen() {
    // The hooks and actions call back into this screen: they go with it.
    if (pad_) {
        pad_->onCalcFields = nullptr;
        pad_->beforePost = nullptr;
    }
    for (const char* action : {"work.order", "work.kitchen", "cons.commit", "cons.delete", "cons.back", "cons.mode1",
                               "cons.mode2", "cons.mode3", "cons.mode4", "cons.focusNumber", "cons.byNumber"})
        main_->registerAction(QString::fromLatin1(action), nullptr);
}

// ---------------------------------------------------------------- building

void OrderScreen::build() {
    pnl_ConsItem = makePanel(QStringLiteral("pnl_ConsItem"), work_);
    pnl_ConsItem->resize(792, 520);
    pnl_ConsItem->hide();
    buildToolBar();
    buildPad();
    pnl_ConsItemP = new QFrame(pnl_ConsItem);
    pnl_ConsItemP->setObjectName(QStringLiteral("pnl_ConsItemP"));
    pnl_ConsItemP->setGeometry(474, 42, 318, 478);
    buildNumberPanel();
    buildListPanel();
    buildAddItemPanel();
    buildPricePanel();
}

void OrderScreen::buildToolBar() {
    ToolBar4 = new QToolBar(pnl_ConsItem);
    ToolBar4->setObjectName(QStringLiteral("ToolBar4"));
    ToolBar4->setGeometry(2, 2, 788, 38);
    toolb_Delete = addToolButton(ToolBar4, QStringLiteral("toolb_Delete"), QStringLiteral("删除 -"));
    toolb_Commit = addToolButton(ToolBar4, QStringLiteral("toolb_Commit"), QStringLiteral("落单 *"));
    toolb_Back = addToolButton(ToolBar4, QStringLiteral("toolb_Back"), QStringLiteral("回退"));
    ToolBar4->addSeparator();
    toolb_Mode1 = addToolButton(ToolBar4, QStringLiteral("toolb_Mode1"), QStringLiteral("点单 F5"));
    toolb_Mode2 = addToolButton(ToolBar4, QStringLiteral("toolb_Mode2"), QStringLiteral("退单 F6"));
    toolb_Mode3 = addToolButton(ToolBar4, QStringLiteral("toolb_Mode3"), QStringLiteral("赠单 F7"));
    toolb_Mode4 = addToolButton(ToolBar4, QStringLiteral("toolb_Mode4"), QStringLiteral("退赠 F8"));
    toolb_Price = addToolButton(ToolBar4, QStringLiteral("toolb_Price"), QStringLiteral("价格调整"));
    ToolBar4->addSeparator();
    toolb_ByNumber = addToolButton(ToolBar4, QStringLiteral("toolb_ByNumber"), QStringLiteral("编号选单"), true);
    toolb_ByList = addToolButton(ToolBar4, QStringLiteral("toolb_ByList"), QStringLiteral("列表选单"), true);
    toolb_AddItem = addToolButton(ToolBar4, QStringLiteral("toolb_AddItem"), QStringLiteral("加菜"), true);
    pickModes_ = new QButtonGroup(this);
    pickModes_->setExclusive(true);
    for (QToolButton* b : {toolb_ByNumber, toolb_ByList, toolb_AddItem}) pickModes_->addButton(b);
    toolb_ByNumber->setChecked(true);
    // Eleven buttons share the bar: a little narrower than elsewhere.
    for (QToolButton* b : ToolBar4->findChildren<QToolButton*>()) b->setMinimumWidth(54);
}

void OrderScreen::buildPad() {
    DBGrid1 = grid(QStringLiteral("DBGrid1"), pnl_ConsItem, kPadSelection);
    DBGrid1->setGeometry(0, 42, 472, 336);

    Panel30 = new QFrame(pnl_ConsItem);
    Panel30->setObjectName(QStringLiteral("Panel30"));
    Panel30->setFrameShape(QFrame::StyledPanel);
    Panel30->setGeometry(0, 380, 472, 140);
    auto* form = new QGridLayout(Panel30);
    form->setContentsMargins(8, 6, 8, 6);
    form->setHorizontalSpacing(6);
    form->setVerticalSpacing(5);

    lbl_Table = new QLabel(Panel30);
    lbl_Table->setObjectName(QStringLiteral("lbl_Table"));
    lbl_Table->setStyleSheet(QStringLiteral("font-weight: bold; color: #004080;"));
    lbl_Item = new QLabel(Panel30);
    lbl_Item->setObjectName(QStringLiteral("lbl_Item"));
    lbl_Stock = new QLabel(Panel30);
    lbl_Stock->setObjectName(QStringLiteral("lbl_Stock"));
    dbe_unitpric = edit(QStringLiteral("dbe_unitpric"), Panel30);
    limitNumberEntry(dbe_unitpric, ranges::price);
    dbe_number = edit(QStringLiteral("dbe_number"), Panel30);
    limitNumberEntry(dbe_number, ranges::quantity);
    dbl_Narr = new QComboBox(Panel30);
    dbl_Narr->setObjectName(QStringLiteral("dbl_Narr"));
    dbl_ItemType = new QComboBox(Panel30);
    dbl_ItemType->setObjectName(QStringLiteral("dbl_ItemType"));
    dbl_worker = new QComboBox(Panel30);
    dbl_worker->setObjectName(QStringLiteral("dbl_worker"));

    form->addWidget(lbl_Table, 0, 0, 1, 4);
    form->addWidget(captionLabel(QStringLiteral("消费项目："), Panel30), 1, 0);
    form->addWidget(lbl_Item, 1, 1);
    form->addWidget(captionLabel(QStringLiteral("库存"), Panel30), 1, 2);
    form->addWidget(lbl_Stock, 1, 3);
    form->addWidget(captionLabel(QStringLiteral("单价："), Panel30), 2, 0);
    form->addWidget(dbe_unitpric, 2, 1);
    form->addWidget(captionLabel(QStringLiteral("数量："), Panel30), 2, 2);
    form->addWidget(dbe_number, 2, 3);
    form->addWidget(captionLabel(QStringLiteral("说明："), Panel30), 3, 0);
    form->addWidget(dbl_Narr, 3, 1);
    form->addWidget(captionLabel(QStringLiteral("类别："), Panel30), 3, 2);
    form->addWidget(dbl_ItemType, 3, 3);
    form->addWidget(captionLabel(QStringLiteral("提成员工："), Panel30), 4, 0);
    form->addWidget(dbl_worker, 4, 1);
    form->setColumnStretch(1, 3);
    form->setColumnStretch(3, 2);
}

void OrderScreen::buildNumberPanel() {
    pnl_number = makePanel(QStringLiteral("pnl_number"), pnl_ConsItemP);
    pnl_number->setGeometry(0, 0, 318, 478);
    DBGrid2 = grid(QStringLiteral("DBGrid2"), pnl_number, kItemSelection);
    DBGrid2->setGeometry(0, 0, 318, 444);
    DBGrid2->horizontalHeader()->hide();
    auto* label = new QLabel(QStringLiteral("编号/快捷："), pnl_number);
    label->setGeometry(4, 448, 76, 26);
    EditDict_Number = edit(QStringLiteral("EditDict_Number"), pnl_number, 20);
    EditDict_Number->setGeometry(80, 448, 234, 26);
    acceptOnly(EditDict_Number, "[0-9A-Za-z]*");
    upperCaseEntry(EditDict_Number);
}

void OrderScreen::buildListPanel() {
    pnl_Change = makePanel(QStringLiteral("pnl_Change"), pnl_ConsItemP);
    pnl_Change->setGeometry(0, 0, 318, 478);
    pnl_Change->hide();
    DBGrid33 = grid(QStringLiteral("DBGrid33"), pnl_Change, kItemSelection);
    DBGrid33->setGeometry(0, 0, 140, 160);
    DBGrid5 = grid(QStringLiteral("DBGrid5"), pnl_Change, kItemSelection);
    DBGrid5->setGeometry(142, 0, 176, 160);
    DBGrid4 = grid(QStringLiteral("DBGrid4"), pnl_Change, kItemSelection);
    DBGrid4->setGeometry(0, 162, 318, 316);
    DBGrid4->horizontalHeader()->hide();
}

void OrderScreen::buildAddItemPanel() {
    pnl_additem = makePanel(QStringLiteral("pnl_additem"), pnl_ConsItemP);
    pnl_additem->setGeometry(0, 0, 318, 478);
    pnl_additem->hide();
    dbg_AddKind = grid(QStringLiteral("dbg_AddKind"), pnl_additem, kItemSelection);
    dbg_AddKind->setGeometry(0, 0, 140, 160);
    dbg_AddClass = grid(QStringLiteral("dbg_AddClass"), pnl_additem, kItemSelection);
    dbg_AddClass->setGeometry(142, 0, 176, 160);
    lbl_KindClass = new QLabel(pnl_additem);
    lbl_KindClass->setObjectName(QStringLiteral("lbl_KindClass"));
    lbl_KindClass->setGeometry(6, 166, 306, 24);
    lbl_KindClass->setStyleSheet(QStringLiteral("font-weight: bold; color: #004080;"));

    auto* form = new QWidget(pnl_additem);
    form->setGeometry(6, 194, 306, 210);
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(8);
    Edit12 = edit(QStringLiteral("Edit12"), form, 6);
    Edit13 = edit(QStringLiteral("Edit13"), form, 20);
    Edit14 = edit(QStringLiteral("Edit14"), form, 4);
    Edit15 = edit(QStringLiteral("Edit15"), form, 8);
    Edit16 = edit(QStringLiteral("Edit16"), form, 10);
    limitNumberEntry(Edit15, ranges::price);
    for (QLineEdit* e : {Edit12, Edit13, Edit14, Edit16}) upperCaseEntry(e);
    const QString labels[] = {QStringLiteral("编码"), QStringLiteral("名称"), QStringLiteral("单位"),
                              QStringLiteral("单价"), QStringLiteral("快捷")};
    QLineEdit* edits[] = {Edit12, Edit13, Edit14, Edit15, Edit16};
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(captionLabel(labels[i], form), i, 0);
        grid->addWidget(edits[i], i, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("类型：单品"), form), 5, 1);

    SpeedButton14 = makeButton(QStringLiteral("SpeedButton14"), QStringLiteral("保存所加项目"), pnl_additem);
    SpeedButton14->setGeometry(90, 420, 140, 32);
}

void OrderScreen::buildPricePanel() {
    // Shown over the order screen, not a screen of its own.
    pnl_resetpric = new QFrame(pnl_ConsItem);
    pnl_resetpric->setObjectName(QStringLiteral("pnl_resetpric"));
    pnl_resetpric->setFrameShape(QFrame::Panel);
    pnl_resetpric->setFrameShadow(QFrame::Raised);
    pnl_resetpric->setAutoFillBackground(true);
    pnl_resetpric->setGeometry(260, 100, 280, 190);
    pnl_resetpric->hide();
    auto* grid = new QGridLayout(pnl_resetpric);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setVerticalSpacing(8);
    lbl_PriceItem = new QLabel(pnl_resetpric);
    lbl_PriceItem->setObjectName(QStringLiteral("lbl_PriceItem"));
    lbl_PriceItem->setStyleSheet(QStringLiteral("font-weight: bold;"));
    lbl_OldPrice = new QLabel(pnl_resetpric);
    lbl_OldPrice->setObjectName(QStringLiteral("lbl_OldPrice"));
    Edit20 = edit(QStringLiteral("Edit20"), pnl_resetpric, 5);
    limitNumberEntry(Edit20, ranges::price);
    Edit21 = edit(QStringLiteral("Edit21"), pnl_resetpric, 10);
    Edit21->setEchoMode(QLineEdit::Password);
    BitBtn5 = makeButton(QStringLiteral("BitBtn5"), QStringLiteral("确定"), pnl_resetpric);
    BitBtn6 = makeButton(QStringLiteral("BitBtn6"), QStringLiteral("取消"), pnl_resetpric);
    grid->addWidget(lbl_PriceItem, 0, 0, 1, 2);
    grid->addWidget(lbl_OldPrice, 1, 0, 1, 2);
    grid->addWidget(captionLabel(QStringLiteral("新价格为-"), pnl_resetpric), 2, 0);
    grid->addWidget(Edit20, 2, 1);
    grid->addWidget(captionLabel(QStringLiteral("密码-"), pnl_resetpric), 3, 0);
    grid->addWidget(Edit21, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn5);
    buttons->addWidget(BitBtn6);
    grid->addLayout(buttons, 4, 0, 1, 2);
}

// ---------------------------------------------------------------- wiring

void OrderScreen::wire() {
    Dataset* pad = dm_->adoqry_TableConsTemp;
    Dataset* items = dm_->adoqry_ConsItem;
    pad_ = pad;

    // The pad's amount as the line total will be, shown once somebody is logged in.
    if (pad->fieldIndex(QStringLiteral("itemtota")) < 0) pad->addCalculatedField(QStringLiteral("itemtota"), db::FieldKind::Float);
    pad->onCalcFields = [this](Dataset& d) {
        if (!main_->LoggedIn) return;
        d.field(QStringLiteral("itemtota"))
            .setValue(padItemTotal(*dm_, d.field(QStringLiteral("tabl_cons_coun")).asFloat(),
                                   d.field(QStringLiteral("item_unit_pric")).asFloat()));
    };
    // A line posted without quantity holds 0.
    pad->beforePost = [](Dataset& d) {
        if (d.field(QStringLiteral("tabl_cons_coun")).isNull()) d.field(QStringLiteral("tabl_cons_coun")).setValue(0);
    };

    padModel_ = bindGrid(DBGrid1, pad,
                         {{QStringLiteral("itemname"), QStringLiteral("消费项目"), QString(), 104},
                          {QStringLiteral("item_unit_pric"), QStringLiteral("单价"), QStringLiteral("0.00"), 52},
                          {QStringLiteral("itemunit"), QStringLiteral("单位"), QString(), 36},
                          {QStringLiteral("tabl_cons_coun"), QStringLiteral("数量"), QString(), 40},
                          {QStringLiteral("menutypename"), QStringLiteral("类型"), QString(), 40},
                          {QStringLiteral("itemtota"), QStringLiteral("消费金额"), QStringLiteral("0.00"), 60},
                          {QStringLiteral("deduoper"), QStringLiteral("提成员工"), QString(), 60},
                          {QStringLiteral("itemnarr"), QStringLiteral("项目说明"), QString(), 64}});
    // Item names and units come from the whole catalogue: the items' filter (a search, a class)
    // must not blank the pad's lines.
    padModel_->setStyle([this, pad](int row, int column, int role) -> QVariant {
        if (role != Qt::DisplayRole || (column != 0 && column != 2)) return QVariant();
        const int f = pad->fieldIndex(QStringLiteral("item_code"));
        if (f < 0) return QVariant();
        const QString code = pad->valueAt(row, f).toString();
        auto it = itemNames_.constFind(code);
        if (it == itemNames_.constEnd()) {
            // Read as the pad shows them, one item at a time: a catalogue of thousands is never
            // read whole when the screen opens.
            QSqlQuery q = db::run(dm_->database(),
                                  QStringLiteral("SELECT item_name, item_unit FROM itemlist WHERE item_code = ?"), {code});
            const bool found = q.next();
            it = itemNames_.insert(code, found ? QPair<QString, QString>{q.value(0).toString(), q.value(1).toString()}
                                               : QPair<QString, QString>{});
            if (!found) return QVariant();
        }
        return column == 0 ? it->first : it->second;
    });

    auto itemStyle = [items](bool number, OrderScreen* self) {
        return [items, number, self](int row, int column, int role) -> QVariant {
            if (number && self->teal_ && column == 0) {
                if (role == Qt::BackgroundRole) return kChoosing;
                if (role == Qt::ForegroundRole) return QColor(Qt::white);
            }
            if (role != Qt::ForegroundRole) return QVariant();
            const int f = items->fieldIndex(QStringLiteral("item_limi"));
            if (f < 0) return QVariant();
            const QString limit = items->valueAt(row, f).toString();
            if (limit == QStringLiteral("禁用")) return kDisabledItem;
            if (limit == QStringLiteral("不限")) return kUnlimitedItem;
            return QVariant();
        };
    };
    numberModel_ = bindGrid(DBGrid2, items, itemColumns());
    numberModel_->setStyle(itemStyle(true, this));
    listModel_ = bindGrid(DBGrid4, items, itemColumns());
    listModel_->setStyle(itemStyle(false, this));
    for (QTableView* kinds : {DBGrid33, dbg_AddKind})
        bindGrid(kinds, dm_->adoqry_ConsKind,
                 {{QStringLiteral("kind_code"), QStringLiteral("编号"), QString(), 40},
                  {QStringLiteral("kind_name"), QStringLiteral("大类"), QString(), 90}});
    for (QTableView* classes : {DBGrid5, dbg_AddClass})
        bindGrid(classes, dm_->adoqry_ConsClass,
                 {{QStringLiteral("clas_code"), QStringLiteral("编号"), QString(), 44},
                  {QStringLiteral("clas_name"), QStringLiteral("分类"), QString(), 118}});

    bindLineEdit(dbe_unitpric, pad, QStringLiteral("item_unit_pric"));
    bindLineEdit(dbe_number, pad, QStringLiteral("tabl_cons_coun"));
    bindLookupCombo(dbl_Narr, pad, QStringLiteral("cons_narr_code"), dm_->adoqry_ConsNarr,
                    QStringLiteral("cons_narr_code"), QStringLiteral("cons_narr_name"));
    bindLookupCombo(dbl_ItemType, pad, QStringLiteral("menu_type_code"), dm_->adoqry_MenuType,
                    QStringLiteral("menu_type_code"), QStringLiteral("menu_type_name"));
    bindLookupCombo(dbl_worker, pad, QStringLiteral("dedu_oper_code"), dm_->adoqry_DeduOper,
                    QStringLiteral("dedu_oper_code"), QStringLiteral("dedu_oper_name"));

    // The line editor follows the pad's current line.
    auto follow = [this] { guarded([this] { followPadLine(); }); };
    connect(pad, &Dataset::currentChanged, this, follow);
    connect(pad, &Dataset::reset, this, follow);
    for (Dataset* ds : {dm_->adoqry_ConsKind, dm_->adoqry_ConsClass}) {
        connect(ds, &Dataset::currentChanged, this, [this] { showKindAndClass(); });
        connect(ds, &Dataset::reset, this, [this] { showKindAndClass(); });
    }

    // Typing a quantity or choosing a mode checks the line at once.
    connect(dbe_number, &QLineEdit::textEdited, this,
            guard([this](const QString& text) { afterCheck(ordering_.lineCheck(text)); }));
    connect(dbl_ItemType, &QComboBox::activated, this,
            guard([this] { afterCheck(ordering_.lineCheck(dbe_number->text())); }));
    connect(dbe_number, &QLineEdit::returnPressed, this, guard([this] {
                if (pickMode_ == PickMode::AddItem) return;
                if (dbe_unitpric->isEnabled()) {
                    dbe_unitpric->setFocus();
                    return;
                }
                backToPicking();
            }));
    connect(dbe_unitpric, &QLineEdit::returnPressed, this, guard([this] { backToPicking(); }));

    // The number search.
    connect(EditDict_Number, &QLineEdit::textChanged, this, guard([this](const QString& text) { searchChanged(text); }));
    connect(EditDict_Number, &QLineEdit::returnPressed, this, guard([this] {
                Dataset& list = *dm_->adoqry_ConsItem;
                if (!list.active() || list.isEmpty()) return;
                if (list.recordCount() == 1) {
                    if (pick() == Ordering::Pick::Disabled) return;
                    EditDict_Number->clear();
                    dbe_number->setFocus();
                } else {
                    DBGrid2->setFocus();
                    setTeal(true);
                }
            }));
    EditDict_Number->installEventFilter(this);
    DBGrid2->installEventFilter(this);
    DBGrid4->installEventFilter(this);
    DBGrid2->viewport()->installEventFilter(this);
    DBGrid4->viewport()->installEventFilter(this);

    // The new item's edits: Enter moves round them.
    const QList<QLineEdit*> ring = {Edit12, Edit13, Edit14, Edit15, Edit16};
    for (int i = 0; i < ring.size(); ++i) {
        QLineEdit* next = ring[(i + 1) % ring.size()];
        connect(ring[i], &QLineEdit::returnPressed, next, [next] { next->setFocus(); });
    }

    connect(toolb_Delete, &QToolButton::clicked, this, guard([this] { deleteLine(); }));
    connect(toolb_Commit, &QToolButton::clicked, this, guard([this] { commit(); }));
    connect(toolb_Back, &QToolButton::clicked, this, guard([this] { back(); }));
    const std::pair<QToolButton*, const char*> modes[] = {
        {toolb_Mode1, kModeOrdered}, {toolb_Mode2, kModeReturned}, {toolb_Mode3, kModeFree}, {toolb_Mode4, kModeFreeBack}};
    for (const auto& [button, code] : modes) {
        const QString c = QString::fromLatin1(code);
        connect(button, &QToolButton::clicked, this, guard([this, c] { chooseMode(c); }));
    }
    connect(toolb_Price, &QToolButton::clicked, this, guard([this] { openPriceChange(); }));
    connect(toolb_ByNumber, &QToolButton::clicked, this, guard([this] { showByNumber(); }));
    connect(toolb_ByList, &QToolButton::clicked, this, guard([this] { showByList(); }));
    connect(toolb_AddItem, &QToolButton::clicked, this, guard([this] { showAddItem(); }));
    connect(BitBtn5, &QPushButton::clicked, this, guard([this] { confirmPriceChange(); }));
    connect(BitBtn6, &QPushButton::clicked, this, guard([this] { cancelPriceChange(); }));
    connect(SpeedButton14, &QPushButton::clicked, this, guard([this] { saveNewItem(); }));

    main_->registerAction(QStringLiteral("work.order"), [this] { open(); });
    main_->registerAction(QStringLiteral("work.kitchen"), [this] { printKitchenList(); });
    main_->registerAction(QStringLiteral("cons.commit"), [this] { commit(); });
    main_->registerAction(QStringLiteral("cons.delete"), [this] { deleteLine(); });
    main_->registerAction(QStringLiteral("cons.back"), [this] { back(); });
    for (int i = 1; i <= 4; ++i)
        main_->registerAction(QStringLiteral("cons.mode%1").arg(i), [this, i] { chooseMode(QString::number(i)); });
    main_->registerAction(QStringLiteral("cons.focusNumber"), [this] {
        if (dbe_number->isEnabled()) dbe_number->setFocus();
    });
    main_->registerAction(QStringLiteral("cons.byNumber"), [this] {
        toolb_ByNumber->setChecked(true);
        showByNumber();
    });
}

bool OrderScreen::eventFilter(QObject* watched, QEvent* event) {
    if (!open_) return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick && (watched == DBGrid2->viewport() || watched == DBGrid4->viewport())) {
        // A right-button double click on an item takes one away instead of adding one.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton) return false;
        auto* view = watched == DBGrid2->viewport() ? DBGrid2 : DBGrid4;
        const QModelIndex at = view->indexAt(mouse->position().toPoint());
        if (!at.isValid()) return true;
        guarded([this, mouse] {
            if (mouse->button() == Qt::RightButton) ordering_.rightButton = true;
            pick();
        });
        return true;
    }
    if ((watched == DBGrid2 || watched == DBGrid4) && type == QEvent::KeyPress &&
        isEnter(static_cast<QKeyEvent*>(event))) {
        const bool number = watched == DBGrid2;
        guarded([this, number] {
            if (pick() == Ordering::Pick::Disabled) return;
            if (number) EditDict_Number->clear();
            dbe_number->setFocus();
        });
        return true;
    }
    if ((watched == DBGrid2 && type == QEvent::FocusOut) || (watched == EditDict_Number && type == QEvent::FocusIn))
        setTeal(false);
    return false;
}

// ---------------------------------------------------------------- opening and leaving

void OrderScreen::open() {
    if (!main_->Limite(QStringLiteral("DB"))) return;
    Dataset& table = *dm_->adoqry_table;
    Dataset& visit = *dm_->adoqry_TableGues;
    if (table.active() && !table.isEmpty() && table.field(QStringLiteral("tabl_stat_code")).asString() == QLatin1String("3")) {
        prompter().information(QStringLiteral("现在台桌不在[使用]状态，所以不能进行[点菜]！"));
        return;
    }
    if (!visit.active() || visit.isEmpty() || visit.field(QStringLiteral("tabl_gues_auto_recn")).asInt() <= 0) return;
    const qint64 key = visit.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    const bool onTable = table.active() && !table.isEmpty();
    const QString tableCode =
        onTable ? table.field(QStringLiteral("tabl_code")).asString() : visit.field(QStringLiteral("tabl_code")).asString();
    const QString tableName = onTable ? table.field(QStringLiteral("tabl_name")).asString() : QString();

    // While the order screen is shown, Enter belongs to its own controls.
    EnterAsTab::remove();
    open_ = true;
    forgetItemNames();
    ordering_.openPad(key, tableCode);
    setEditorsEnabled(false);
    progress_ = std::make_unique<StatusProgress>(main_->StatusBar1);
    lbl_Table->setText(tableCode + QStringLiteral("  ") + tableName);
    setPriceChangeOpen(false);

    pickMode_ = PickMode::Number;
    toolb_ByNumber->setChecked(true);
    main_->ShowPanel(pnl_ConsItem, main_->pnl_Parent, 1);
    main_->ShowPanel(pnl_number, pnl_ConsItemP, 0);
    EditDict_Number->clear();
    EditDict_Number->setEnabled(true);
    showAllItems();
    EditDict_Number->setFocus();
    followPadLine();
}

void OrderScreen::leave() {
    open_ = false;
    setTeal(false);
    setPriceChangeOpen(false);
    // Back on the work screen the lines show the names of items of every class.
    showAllItems();
    work_->workScreen->showScreen(false);
    EnterAsTab::install();
    progress_.reset();
}

void OrderScreen::back() {
    if (!ordering_.confirmLeave()) return;
    dm_->adoqry_TableConsTemp->cancel();
    leave();
}

void OrderScreen::commit() {
    if (!ordering_.commit(progress_.get())) return;
    leave();
}

// ---------------------------------------------------------------- pick modes

void OrderScreen::restoreItemsSql() {
    Dataset& items = *dm_->adoqry_ConsItem;
    if (!searching_ && items.active()) return;
    searching_ = false;
    items.setSql(orderableItemsSql());
    items.open();
}

void OrderScreen::showAllItems() {
    restoreItemsSql();
    dm_->adoqry_ConsItem->applyFilter(QStringLiteral("clas_code<>'^-^'"));
}

void OrderScreen::searchChanged(const QString& text) {
    if (!open_ || pickMode_ != PickMode::Number) return;
    Dataset& items = *dm_->adoqry_ConsItem;
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        restoreItemsSql();
        items.applyFilter(QStringLiteral("item_code<>'-1-'"));
        return;
    }
    // Codes and short codes that begin with what is typed.
    QString like = t;
    like.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('%'), QStringLiteral("\\%"));
    like.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    like += QLatin1Char('%');
    items.setSql(QStringLiteral("select * from itemlist where item_type_code<>'4' and "
                                "(item_code LIKE ? ESCAPE '\\' or item_shor LIKE ? ESCAPE '\\') order by item_code"),
                 {like, like});
    searching_ = true;
    items.setFilter(QStringLiteral("item_code<>'-1-'"));
    items.open();
}

void OrderScreen::showByNumber() {
    if (!open_) return;
    pickMode_ = PickMode::Number;
    toolb_ByNumber->setChecked(true);
    showAllItems();
    main_->ShowPanel(pnl_number, pnl_ConsItemP, 0);
    EditDict_Number->clear();
    EditDict_Number->setFocus();
}

void OrderScreen::showByList() {
    if (!open_) return;
    pickMode_ = PickMode::List;
    toolb_ByList->setChecked(true);
    restoreItemsSql();
    main_->ShowPanel(pnl_Change, pnl_ConsItemP, 0);
    const Dataset& classes = *dm_->adoqry_ConsClass;
    const QString cls = classes.active() && !classes.isEmpty() ? classes.field(QStringLiteral("clas_code")).asString() : QString();
    dm_->adoqry_ConsItem->applyFilter(QStringLiteral("clas_code='%1'").arg(quoted(cls)));
    DBGrid1->setFocus();
}

void OrderScreen::showAddItem() {
    if (!open_) return;
    pickMode_ = PickMode::AddItem;
    toolb_AddItem->setChecked(true);
    restoreItemsSql();
    main_->ShowPanel(pnl_additem, pnl_ConsItemP, 0);
    showKindAndClass();
    const Dataset& classes = *dm_->adoqry_ConsClass;
    const QString cls = classes.active() && !classes.isEmpty() ? classes.field(QStringLiteral("clas_code")).asString() : QString();
    dm_->adoqry_ConsItem->applyFilter(QStringLiteral("clas_code='%1'").arg(quoted(cls)));
    Edit12->setFocus();
}

// ---------------------------------------------------------------- picking and lines

Ordering::Pick OrderScreen::pick() {
    if (!open_) return Ordering::Pick::Held;
    const Ordering::Pick result = ordering_.pickCurrentItem();
    switch (result) {
    case Ordering::Pick::Disabled:
        EditDict_Number->clear();
        if (pickMode_ == PickMode::Number) EditDict_Number->setFocus();
        setTeal(false);
        break;
    case Ordering::Pick::NoLine:
        if (!ordering_.padEmpty()) dbe_number->setFocus();
        break;
    case Ordering::Pick::Added:
        setEditorsEnabled(true);
        dbe_number->setFocus();
        afterCheck(ordering_.lastCheck());
        break;
    default: dbe_number->setFocus(); break;
    }
    return result;
}

void OrderScreen::backToPicking() {
    // The next item is chosen where this one was: the search box, or the list's item grid.
    if (pickMode_ == PickMode::List) {
        DBGrid4->setFocus();
        return;
    }
    EditDict_Number->clear();
    EditDict_Number->setFocus();
}

void OrderScreen::afterCheck(Ordering::Check check) {
    // A quantity above the stock is typed again.
    if (check == Ordering::Check::RefusedStock) dbe_number->clear();
}

void OrderScreen::chooseMode(const QString& code) {
    if (!open_ || !dbl_ItemType->isEnabled()) return;
    takeTypedQuantity();
    afterCheck(ordering_.chooseMode(code, dbe_number->text()));
}

void OrderScreen::deleteLine() {
    if (!open_) return;
    if (ordering_.deleteLine() && ordering_.padEmpty()) setEditorsEnabled(false);
    if (pickMode_ == PickMode::Number) EditDict_Number->setFocus();
}

void OrderScreen::setEditorsEnabled(bool on) {
    editorsEnabled_ = on;
    for (QWidget* w : std::initializer_list<QWidget*>{dbe_number, dbl_Narr, dbl_ItemType, dbl_worker}) w->setEnabled(on);
    followPadLine();
}

void OrderScreen::followPadLine() {
    const Dataset& pad = *dm_->adoqry_TableConsTemp;
    if (!pad.active() || pad.isEmpty()) {
        lbl_Item->clear();
        lbl_Stock->clear();
        dbe_unitpric->setEnabled(false);
        return;
    }
    const QString code = pad.field(QStringLiteral("item_code")).asString();
    const ItemFacts item = itemFacts(dm_->database(), code);
    lbl_Item->setText(code + QStringLiteral("/") + item.name + QStringLiteral("  ") + item.unit);
    lbl_Stock->setText(QString::number(item.stock, 'g', 15));
    // The price is typed only for items whose price is set when they are ordered.
    dbe_unitpric->setEnabled(editorsEnabled_ && item.openPrice);
}

void OrderScreen::showKindAndClass() {
    const Dataset* k = dm_->adoqry_ConsKind;
    const Dataset* c = dm_->adoqry_ConsClass;
    const QString kind = k->active() && !k->isEmpty() ? k->field(QStringLiteral("kind_name")).asString() : QString();
    const QString cls = c->active() && !c->isEmpty() ? c->field(QStringLiteral("clas_name")).asString() : QString();
    lbl_KindClass->setText(kind + QStringLiteral("/") + cls);
}

void OrderScreen::takeTypedQuantity() {
    // A quantity typed but not yet handed to the line (the edit still has the focus) is taken
    // before another field of the line changes, or it would be shown away.
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    if (!pad.active() || pad.isEmpty() || !dbe_number->isEnabled()) return;
    const QString typed = dbe_number->text().trimmed();
    const db::Field count = pad.field(QStringLiteral("tabl_cons_coun"));
    if (typed.isEmpty() || typed == Dataset::toText(pad.fieldDef(count.index()), count.value())) return;
    pad.edit();
    pad.field(QStringLiteral("tabl_cons_coun")).setAsString(typed);
}

void OrderScreen::setTeal(bool on) {
    if (teal_ == on) return;
    teal_ = on;
    DBGrid2->viewport()->update();
}

void OrderScreen::forgetItemNames() {
    // Names are read again as the pad needs them, so a name changed meanwhile shows.
    itemNames_.clear();
}

// ---------------------------------------------------------------- catalogue changes

void OrderScreen::setPriceChangeOpen(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{ToolBar4, pnl_ConsItemP, Panel30, DBGrid1}) w->setEnabled(!on);
    if (!on) {
        pnl_resetpric->hide();
        return;
    }
    const Dataset& items = *dm_->adoqry_ConsItem;
    const bool any = items.active() && !items.isEmpty();
    lbl_PriceItem->setText(any ? items.field(QStringLiteral("item_name")).asString() + QStringLiteral("  ") +
                                     items.field(QStringLiteral("item_code")).asString()
                               : QString());
    lbl_OldPrice->setText(QStringLiteral("原价格-") +
                          (any ? QString::number(items.field(QStringLiteral("item_unit_pric")).asFloat(), 'g', 15) : QString()));
    pnl_resetpric->move(260, 100);
    pnl_resetpric->show();
    pnl_resetpric->raise();
    Edit20->clear();
    Edit21->clear();
    Edit20->setFocus();
}

void OrderScreen::openPriceChange() {
    if (!open_) return;
    setPriceChangeOpen(true);
}

void OrderScreen::cancelPriceChange() { setPriceChangeOpen(false); }

void OrderScreen::confirmPriceChange() {
    setPriceChangeOpen(false);
    ordering_.changePrice(Edit20->text());
    followPadLine();
}

void OrderScreen::saveNewItem() {
    const Ordering::AddItem result =
        ordering_.addItem({Edit12->text(), Edit13->text(), Edit14->text(), Edit15->text(), Edit16->text()});
    if (result == Ordering::AddItem::Missing || result == Ordering::AddItem::Duplicate) {
        Edit12->setFocus();
        return;
    }
    if (result != Ordering::AddItem::Added) return;
    for (QLineEdit* e : {Edit12, Edit13, Edit14, Edit15, Edit16}) e->clear();
    forgetItemNames();
}

void OrderScreen::printKitchenList() { kx::frontdesk::printKitchenList(*dm_, *work_->AuxQuery1); }

} // namespace kx::frontdesk
