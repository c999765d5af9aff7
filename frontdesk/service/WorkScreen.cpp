#include "WorkScreen.h"

#include "BillCalc.h"
#include "Binder.h"
#include "ErrorGuard.h"
#include "PanelKit.h"
#include "StateIcons.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

using db::Dataset;
using db::GridColumn;

namespace {

const char* const kPageNames[3] = {"房台信息", "客人信息", "结帐信息"};

} // namespace

bool loadTableVisit(TDMTable& dm, bool recompute) {
    Dataset& v = *dm.adoqry_TableGues;
    const QString code = dm.adoqry_table->field(QStringLiteral("tabl_code")).asString();
    // Without a visit in use the located row would be some other visit: leave everything.
    if (!v.locate(QStringLiteral("tabl_code;tabl_gues_use"), QVariantList{code, true})) return false;
    if (recompute) {
        v.edit();
        ReTotal(dm);
        v.post();
    }
    const qint64 key = v.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    // The lines show the names of items of every class, whatever class was listed last.
    dm.adoqry_ConsItem->applyFilter(QStringLiteral("clas_code<>'^-^'"));
    dm.adoqry_TableCons->setSql(
        QStringLiteral("select * from TableConsList where tabl_gues_auto_recn=? order by tabl_cons_id"), {key});
    dm.adoqry_TableCons->open();
    return true;
}

WorkScreen::WorkScreen(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm) {
    setObjectName(QStringLiteral("WorkScreen"));
    build();
    bind();
    main_->registerAction(QStringLiteral("work.resetInfo"), [this] { resetInfo(); });
}

WorkScreen::~WorkScreen() {
    main_->registerAction(QStringLiteral("work.resetInfo"), nullptr);
}

void WorkScreen::build() {
    pnl_Work = makePanel(QStringLiteral("pnl_Work"), work_);
    pnl_Work->resize(792, 520);
    pnl_Work->hide();
    auto* outer = new QVBoxLayout(pnl_Work);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);

    ToolBar3 = new QToolBar(pnl_Work);
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    toolb_tablstat = addToolButton(ToolBar3, QStringLiteral("toolb_tablstat"), QStringLiteral("续单"));
    toolb_Order = addToolButton(ToolBar3, QStringLiteral("toolb_Order"), QStringLiteral("点单 +"));
    toolb_Transfer = addToolButton(ToolBar3, QStringLiteral("toolb_Transfer"), QStringLiteral("转台"));
    toolb_Join = addToolButton(ToolBar3, QStringLiteral("toolb_Join"), QStringLiteral("并台"));
    toolb_Checkout = addToolButton(ToolBar3, QStringLiteral("toolb_Checkout"), QStringLiteral("结帐 *"));
    toolb_Clear = addToolButton(ToolBar3, QStringLiteral("toolb_Clear"), QStringLiteral("清台 -"));
    toolb_WorkBack = addToolButton(ToolBar3, QStringLiteral("toolb_WorkBack"), QStringLiteral("回退"));
    ToolBar3->addSeparator();
    toolb_info = addToolButton(ToolBar3, QStringLiteral("toolb_info"), QString::fromUtf8(kPageNames[0]));
    toolb_info->setMinimumWidth(90);
    ToolBar3->addSeparator();
    toolb_Kitchen = addToolButton(ToolBar3, QStringLiteral("toolb_Kitchen"), QStringLiteral("后厨"));
    ToolBar3->addSeparator();
    outer->addWidget(ToolBar3);

    PopupMenu2 = new QMenu(toolb_info);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    pages_ = new QActionGroup(PopupMenu2);
    pages_->setExclusive(true);
    QAction** entries[3] = {&pm_roominfo, &pm_guestinfo, &pm_accountinfo};
    const char* entryNames[3] = {"pm_roominfo", "pm_guestinfo", "pm_accountinfo"};
    for (int i = 0; i < 3; ++i) {
        QAction* a = PopupMenu2->addAction(QString::fromUtf8(kPageNames[i]));
        a->setObjectName(QString::fromLatin1(entryNames[i]));
        a->setCheckable(true);
        pages_->addAction(a);
        *entries[i] = a;
        connect(a, &QAction::triggered, this, guard([this, i] { showInfoPage(i); }));
    }
    pm_roominfo->setChecked(true);
    toolb_info->setMenu(PopupMenu2);
    toolb_info->setPopupMode(QToolButton::MenuButtonPopup);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(2, 0, 2, 2);
    body->setSpacing(4);
    outer->addLayout(body, 1);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    body->addLayout(left, 1);
    pnl_TableInfoP = new QFrame(pnl_Work);
    pnl_TableInfoP->setObjectName(QStringLiteral("pnl_TableInfoP"));
    pnl_TableInfoP->setFrameShape(QFrame::StyledPanel);
    pnl_TableInfoP->setFixedHeight(112);
    fillHost(pnl_TableInfoP);
    left->addWidget(pnl_TableInfoP);
    buildInfoPages();

    DBGrid3 = new QTableView(pnl_Work);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    left->addWidget(DBGrid3, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    body->addLayout(right);
    Panel11 = new QFrame(pnl_Work);
    Panel11->setObjectName(QStringLiteral("Panel11"));
    Panel11->setFrameShape(QFrame::StyledPanel);
    Panel11->setFixedWidth(184);
    auto* totals = new QGridLayout(Panel11);
    totals->setContentsMargins(8, 8, 8, 8);
    totals->setVerticalSpacing(8);
    const std::pair<const char*, const char*> amounts[] = {
        {"酒菜消费-", "tabl_gues_dish"}, {"特殊消费-", "tabl_gues_spec"}, {"最低消费-", "tabl_gues_low"},
        {"房间消费-", "tabl_gues_room"}, {"收服务费-", "tabl_gues_serv"}, {"折扣金额-", "tabl_gues_disc"},
        {"应收金额-", "tabl_gues_shou"}, {"实收金额-", "tabl_gues_fact"}};
    int row = 0;
    for (const auto& [caption, field] : amounts) {
        totals->addWidget(captionLabel(QString::fromUtf8(caption), Panel11), row, 0);
        QLabel* value = valueLabel(QStringLiteral("lbl_") + QString::fromLatin1(field), Panel11);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(80);
        value->setStyleSheet(QStringLiteral("color: #1a3d7a; font-weight: bold;"));
        totals->addWidget(value, row, 1);
        ++row;
    }
    right->addWidget(Panel11);

    pnl_tablstat = new QFrame(pnl_Work);
    pnl_tablstat->setObjectName(QStringLiteral("pnl_tablstat"));
    pnl_tablstat->setFrameShape(QFrame::StyledPanel);
    pnl_tablstat->setFixedWidth(184);
    auto* stat = new QVBoxLayout(pnl_tablstat);
    lbl_constype = valueLabel(QStringLiteral("lbl_constype"), pnl_tablstat);
    lbl_constype->setAlignment(Qt::AlignCenter);
    lbl_constype->setStyleSheet(QStringLiteral("font-size: 15px; font-weight: bold;"));
    img_tablstat = new QLabel(pnl_tablstat);
    img_tablstat->setObjectName(QStringLiteral("img_tablstat"));
    img_tablstat->setFixedSize(kStateIconSize, kStateIconSize);
    stat->addStretch();
    stat->addWidget(lbl_constype);
    stat->addWidget(img_tablstat, 0, Qt::AlignHCenter);
    stat->addStretch();
    right->addWidget(pnl_tablstat, 1);

    connect(toolb_info, &QToolButton::clicked, this, guard([this] { nextInfoPage(); }));
    const std::pair<QToolButton*, const char*> actions[] = {
        {toolb_tablstat, "work.goon"}, {toolb_Order, "work.order"},       {toolb_Transfer, "work.transfer"},
        {toolb_Join, "work.join"},     {toolb_Checkout, "work.checkout"}, {toolb_Clear, "work.clear"},
        {toolb_WorkBack, "work.back"}, {toolb_Kitchen, "work.kitchen"}};
    for (const auto& [button, action] : actions) {
        const QString name = QString::fromLatin1(action);
        connect(button, &QToolButton::clicked, this, [this, name] { main_->runAction(name); });
    }
}

void WorkScreen::buildInfoPages() {
    auto page = [this](const char* name) {
        QFrame* p = makePanel(QString::fromLatin1(name), pnl_TableInfoP);
        p->setGeometry(0, 0, 600, 112);
        p->hide();
        auto* grid = new QGridLayout(p);
        grid->setContentsMargins(10, 6, 10, 6);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
        return p;
    };
    auto place = [](QFrame* p, int index, QWidget* caption, QWidget* value) {
        auto* grid = static_cast<QGridLayout*>(p->layout());
        grid->addWidget(caption, index / 2, (index % 2) * 2);
        if (value) grid->addWidget(value, index / 2, (index % 2) * 2 + 1);
    };

    pnl_roominfo = page("pnl_roominfo");
    const char* const room[][2] = {{"台号-", "lbl_room_tabl_code"},       {"房台名称-", "lbl_room_tabl_name"},
                                   {"房台类别-", "lbl_room_tabltypename"}, {"部门-", "lbl_room_deptname"},
                                   {"开台时间-", "lbl_room_tabl_gues_time"}, {"单号-", "lbl_room_auto_recn"}};
    int i = 0;
    for (const auto& item : room) {
        place(pnl_roominfo, i++, captionLabel(QString::fromUtf8(item[0]), pnl_roominfo),
              valueLabel(QString::fromLatin1(item[1]), pnl_roominfo));
    }
    DBEdit5 = new QLineEdit(pnl_roominfo);
    DBEdit5->setObjectName(QStringLiteral("DBEdit5"));
    DBEdit6 = new QLineEdit(pnl_roominfo);
    DBEdit6->setObjectName(QStringLiteral("DBEdit6"));
    place(pnl_roominfo, i++, captionLabel(QStringLiteral("手动单号"), pnl_roominfo), DBEdit5);
    place(pnl_roominfo, i++, captionLabel(QStringLiteral("备注"), pnl_roominfo), DBEdit6);
    ignorePlusMinus(DBEdit5);
    ignorePlusMinus(DBEdit6);

    pnl_guestinfo = page("pnl_guestinfo");
    place(pnl_guestinfo, 0, captionLabel(QStringLiteral("客人-"), pnl_guestinfo),
          valueLabel(QStringLiteral("lbl_guest_tabl_gues_name"), pnl_guestinfo));
    place(pnl_guestinfo, 1, captionLabel(QStringLiteral("人数-"), pnl_guestinfo),
          valueLabel(QStringLiteral("lbl_guest_tabl_gues_coun"), pnl_guestinfo));
    place(pnl_guestinfo, 2, captionLabel(QStringLiteral("单位-"), pnl_guestinfo),
          valueLabel(QStringLiteral("lbl_guest_unit"), pnl_guestinfo));
    static_cast<QGridLayout*>(pnl_guestinfo->layout())->setRowStretch(2, 1);

    pnl_accountinfo = page("pnl_accountinfo");
    DBLookupComboBox7 = new QComboBox(pnl_accountinfo);
    DBLookupComboBox7->setObjectName(QStringLiteral("DBLookupComboBox7"));
    DBComboBox3 = new QComboBox(pnl_accountinfo);
    DBComboBox3->setObjectName(QStringLiteral("DBComboBox3"));
    DBComboBox3->addItems({QStringLiteral("预  定"), QStringLiteral("指  定"), QStringLiteral("领  位"),
                           QStringLiteral("无提成")});
    const std::pair<const char*, QWidget*> account[] = {
        {"付帐时间-", valueLabel(QStringLiteral("lbl_acc_paytime"), pnl_accountinfo)},
        {"结帐员工-", valueLabel(QStringLiteral("lbl_acc_oper_name"), pnl_accountinfo)},
        {"消费类型-", valueLabel(QStringLiteral("lbl_acc_constypename"), pnl_accountinfo)},
        {"付款方式-", valueLabel(QStringLiteral("lbl_acc_tabl_gues_pay_narr"), pnl_accountinfo)},
        {"提成员工-", DBLookupComboBox7},
        {"提成方式-", DBComboBox3},
        {"提成金额-", valueLabel(QStringLiteral("lbl_acc_dedu_mone"), pnl_accountinfo)},
        {"收税金额-", valueLabel(QStringLiteral("lbl_acc_tabl_gues_tax"), pnl_accountinfo)}};
    i = 0;
    for (const auto& [caption, value] : account)
        place(pnl_accountinfo, i++, captionLabel(QString::fromUtf8(caption), pnl_accountinfo), value);
}

void WorkScreen::bind() {
    Dataset* board = dm_->adoqry_table;
    Dataset* visit = dm_->adoqry_TableGues;
    auto label = [this](const char* name) { return pnl_Work->findChild<QLabel*>(QString::fromLatin1(name)); };
    bindLabel(label("lbl_room_tabl_code"), board, QStringLiteral("tabl_code"));
    bindLabel(label("lbl_room_tabl_name"), board, QStringLiteral("tabl_name"));
    bindLabel(label("lbl_room_tabltypename"), board, QStringLiteral("tabltypename"));
    bindLabel(label("lbl_room_deptname"), board, QStringLiteral("deptname"));
    bindLabel(label("lbl_room_tabl_gues_time"), visit, QStringLiteral("tabl_gues_time"),
              QStringLiteral("yyyy-mm-dd hh:nn:ss"));
    bindLabel(label("lbl_room_auto_recn"), visit, QStringLiteral("tabl_gues_auto_recn"));
    bindLineEdit(DBEdit5, visit, QStringLiteral("tabl_gues_user_recn"));
    bindLineEdit(DBEdit6, visit, QStringLiteral("tabl_gues_rema"));
    bindLabel(label("lbl_guest_tabl_gues_name"), visit, QStringLiteral("tabl_gues_name"));
    bindLabel(label("lbl_guest_tabl_gues_coun"), visit, QStringLiteral("tabl_gues_coun"));
    bindLabel(label("lbl_acc_oper_name"), visit, QStringLiteral("oper_name"));
    bindLabel(label("lbl_acc_constypename"), visit, QStringLiteral("constypename"));
    bindLabel(label("lbl_acc_tabl_gues_pay_narr"), visit, QStringLiteral("tabl_gues_pay_narr"));
    bindLookupCombo(DBLookupComboBox7, visit, QStringLiteral("dedu_oper_code"), dm_->adoqry_DeduOper,
                    QStringLiteral("dedu_oper_code"), QStringLiteral("dedu_oper_name"));
    bindTextCombo(DBComboBox3, visit, QStringLiteral("dedu_type"));
    bindLabel(label("lbl_acc_dedu_mone"), visit, QStringLiteral("dedu_mone"), QStringLiteral("0.00"));
    bindLabel(label("lbl_acc_tabl_gues_tax"), visit, QStringLiteral("tabl_gues_tax"), QStringLiteral("0.00"));
    for (const char* field : {"tabl_gues_dish", "tabl_gues_spec", "tabl_gues_low", "tabl_gues_room", "tabl_gues_serv",
                              "tabl_gues_disc", "tabl_gues_shou", "tabl_gues_fact"})
        bindLabel(label((QByteArray("lbl_") + field).constData()), visit, QString::fromLatin1(field),
                  QStringLiteral("0.00"));
    bindLabel(lbl_constype, visit, QStringLiteral("constypename"));

    Dataset* lines = dm_->adoqry_TableCons;
    linesModel = bindGrid(DBGrid3, lines,
                          {GridColumn{QStringLiteral("tabl_cons_tran"), QStringLiteral("传单"), QString(), 36, true,
                                      Qt::AlignCenter},
                           GridColumn{QStringLiteral("itemname"), QStringLiteral("消费项目"), QString(), 120},
                           GridColumn{QStringLiteral("itemunit"), QStringLiteral("单位"), QString(), 40},
                           GridColumn{QStringLiteral("item_unit_pric"), QStringLiteral("单价"), QStringLiteral("0.00"), 60},
                           GridColumn{QStringLiteral("tabl_cons_coun"), QStringLiteral("数量"), QStringLiteral("0.00"), 52},
                           GridColumn{QStringLiteral("tabl_cons_tota"), QStringLiteral("消费金额"), QStringLiteral("0.00"), 66},
                           GridColumn{QStringLiteral("menutypename"), QStringLiteral("类别"), QString(), 44},
                           GridColumn{QStringLiteral("cons_grou_narr"), QStringLiteral("套餐说明"), QString(), 100},
                           GridColumn{QStringLiteral("itemnarr"), QStringLiteral("项目说明"), QString(), 70},
                           GridColumn{QStringLiteral("deduoper"), QStringLiteral("提成员工"), QString(), 70}});
    styleGrid(DBGrid3, kSelectedRowColour);
    // Returned lines (modes "2" and "4", stock sign -1) are written in red.
    linesModel->setStyle([lines](int row, int, int role) -> QVariant {
        if (role != Qt::ForegroundRole) return QVariant();
        const int flag = lines->fieldIndex(QStringLiteral("item_coun_flag"));
        if (flag >= 0 && lines->valueAt(row, flag).toInt() == -1) return QColor(Qt::red);
        return QVariant();
    });
    connect(DBGrid3, &QTableView::doubleClicked, this, guard([this] { toggleSent(); }));

    connect(board, &Dataset::reset, this, [this] { showTableState(); });
    connect(board, &Dataset::currentChanged, this, [this] { showTableState(); });
    connect(board, &Dataset::rowChanged, this, [this] { showTableState(); });
}

void WorkScreen::showTableState() {
    Dataset* board = dm_->adoqry_table;
    const QString state = board->active() && !board->isEmpty()
                              ? board->field(QStringLiteral("tabl_stat_code")).asString()
                              : QString();
    img_tablstat->setPixmap(stateIcon(state));
}

void WorkScreen::setEditsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{DBEdit5, DBEdit6, DBLookupComboBox7, DBComboBox3})
        w->setEnabled(on);
}

bool WorkScreen::enter(bool inUse) {
    {
        BusyCursor busy;
        if (inUse) setEditsEnabled(true);
        if (!loadTableVisit(*dm_, inUse)) return false;
        if (!inUse) setEditsEnabled(false);
    }
    showScreen(true);
    return true;
}

void WorkScreen::showScreen(bool roomPage) {
    main_->ShowPanel(pnl_Work, main_->pnl_Parent, 1);
    if (roomPage) main_->ShowPanel(pnl_roominfo, pnl_TableInfoP, 0);
    showTableState();
    emit shown();
    DBGrid3->setFocus();
}

void WorkScreen::showInfoPage(int entry) {
    if (entry < 0 || entry > 2) return;
    QAction* actions[3] = {pm_roominfo, pm_guestinfo, pm_accountinfo};
    QFrame* pages[3] = {pnl_roominfo, pnl_guestinfo, pnl_accountinfo};
    actions[entry]->setChecked(true);
    toolb_info->setText(actions[entry]->text());
    main_->ShowPanel(pages[entry], pnl_TableInfoP, 0);
    pageNumber_ = (entry + 1) % 3;
}

void WorkScreen::nextInfoPage() { showInfoPage(pageNumber_); }

void WorkScreen::resetInfo() {
    toolb_info->setText(QString::fromUtf8(kPageNames[0]));
    pm_roominfo->setChecked(true);
    pageNumber_ = 1;
}

void WorkScreen::toggleSent() {
    Dataset& lines = *dm_->adoqry_TableCons;
    if (!lines.active() || lines.isEmpty()) return;
    lines.edit();
    lines.field(QStringLiteral("tabl_cons_tran")).setValue(!lines.field(QStringLiteral("tabl_cons_tran")).asBool());
    lines.post();
}


} // namespace kx::frontdesk
