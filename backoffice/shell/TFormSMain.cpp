#include "TFormSMain.h"

#include "Backup.h"
#include "BusinessDay.h"
#include "Catalogue.h"
#include "Clock.h"
#include "ConsModes.h"
#include "CreditAccounts.h"
#include "Discounts.h"
#include "EnterAsTab.h"
#include "ErrorGuard.h"
#include "Maintenance.h"
#include "MainWindowKit.h"
#include "Members.h"
#include "OtherLists.h"
#include "Password.h"
#include "Permission.h"
#include "ProgressBar.h"
#include "Prompter.h"
#include "Schema.h"
#include "SingleInstance.h"
#include "Staff.h"
#include "StockBills.h"
#include "StockOverview.h"
#include "StockQueries.h"
#include "StockReports.h"
#include "Sql.h"
#include "TDMManage.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TradingUnits.h"
#include "Transaction.h"
#include "Venue.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx::backoffice {

const QString kProductTitle = QStringLiteral("Kestrix餐饮娱乐管理系统 9.0版");

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 524;

// The toolbar's pictures, drawn here: a plus, a cross, an arrow back, a disk, a gear, boxes, a
// turning arrow, a magnifier and a question mark.
QIcon toolPicture(int which) {
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(0x1f, 0x4e, 0x8c), 3);
    g.setPen(pen);
    switch (which) {
    case 0:
        g.drawLine(16, 6, 16, 26);
        g.drawLine(6, 16, 26, 16);
        break; // 增加
    case 1:
        g.setPen(QPen(QColor(0xb0, 0x30, 0x30), 3));
        g.drawLine(8, 8, 24, 24);
        g.drawLine(24, 8, 8, 24);
        break; // 删除
    case 2:
        g.drawArc(8, 8, 16, 16, 90 * 16, 270 * 16);
        g.drawLine(16, 8, 11, 5);
        g.drawLine(16, 8, 12, 12);
        break; // 取消
    case 3:
        g.drawRect(7, 7, 18, 18);
        g.fillRect(11, 7, 10, 7, QColor(0x1f, 0x4e, 0x8c));
        break; // 保存
    case 4:
        g.drawEllipse(9, 9, 14, 14);
        g.drawLine(16, 3, 16, 9);
        g.drawLine(16, 23, 16, 29);
        break; // 执行
    case 5:
        g.drawRect(5, 15, 10, 10);
        g.drawRect(17, 15, 10, 10);
        g.drawRect(11, 5, 10, 10);
        break; // 库存调整
    case 6:
        g.drawLine(8, 16, 24, 16);
        g.drawLine(8, 16, 14, 10);
        g.drawLine(8, 16, 14, 22);
        break; // 回退
    case 7:
        g.drawEllipse(6, 6, 14, 14);
        g.drawLine(18, 18, 26, 26);
        break; // 查询
    default: {
        QFont f = g.font();
        f.setPixelSize(24);
        f.setBold(true);
        g.setFont(f);
        g.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("?"));
    }
    }
    return QIcon(p);
}

} // namespace

TFormSMain::TFormSMain(const QString& databaseFile, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TFormSMain"));
    // The connection opens while the window is built.
    db::openVenueDatabase(ADOConnection1, databaseFile, Clock::today());

    setWindowTitle(QStringLiteral("Kestrix餐饮娱乐管理系统Ver 9.0-后台操作"));
    fixMainWindowFrame(this);

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    pnl_TreeView = new QFrame(central);
    pnl_TreeView->setObjectName(QStringLiteral("pnl_TreeView"));
    pnl_TreeView->setFixedWidth(115);
    pnl_TreeView->setStyleSheet(QStringLiteral("#pnl_TreeView { background: white; }"));
    pnl_TreeView->setLayout(new QVBoxLayout);
    pnl_TreeView->layout()->setContentsMargins(0, 0, 0, 0);
    pnl_TreeView->setEnabled(false);
    row->addWidget(pnl_TreeView);
    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    Panel2 = new QFrame(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(52);
    Panel2->setEnabled(false);
    right->addWidget(Panel2);
    pnl_Parent = new QFrame(central);
    pnl_Parent->setObjectName(QStringLiteral("pnl_Parent"));
    pnl_Parent->setStyleSheet(QStringLiteral("#pnl_Parent { background: white; }"));
    pnl_Parent->setAutoFillBackground(true);
    right->addWidget(pnl_Parent, 1);
    row->addLayout(right, 1);
    setCentralWidget(central);

    buildToolbar();
    buildStatus();
    buildMenu();
    buildLogin();
    lbl_Build = new QLabel(QStringLiteral("Buildin 1210"), pnl_Parent);
    lbl_Build->setObjectName(QStringLiteral("lbl_Build"));
    lbl_Build->setStyleSheet(QStringLiteral("color: #8a8f99;"));
    lbl_Build->adjustSize();
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    EnterAsTab::install();
    ScratchQuery = new db::Dataset(ADOConnection1.db(), QStringLiteral("ScratchQuery"), QString(), this);
    ds_Temp = new TempSource(this);
    Timer1 = startStatusClock(statusPanel[3], this);
    placeMainWindow(this);

    ErrorGuard::configure(ProgramKind::BackOffice, [this] { closeSilently(); });
    InstanceName::listen(InstanceName::BackOffice, this);
}

TFormSMain::~TFormSMain() {
    // The error handler no longer closes this window.
    ErrorGuard::configure(ProgramKind::BackOffice, {});
    EnterAsTab::remove();
    delete ScratchQuery;
    ScratchQuery = nullptr;
}

void TFormSMain::buildToolbar() {
    auto* layout = new QHBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel2->setStyleSheet(QStringLiteral("#Panel2 { background: rgb(240, 231, 207); }"));
    ToolBar1 = new QToolBar(Panel2);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setStyleSheet(QStringLiteral("QToolBar { background: rgb(240, 231, 207); border: none; }"));
    layout->addWidget(ToolBar1);
    auto button = [this](const char* name, const char* caption, int picture, bool visible) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromUtf8(caption));
        b->setIcon(toolPicture(picture));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFixedSize(55, 51);
        QAction* a = ToolBar1->addWidget(b);
        a->setObjectName(QString::fromLatin1(name) + QStringLiteral("_action"));
        a->setVisible(visible);
        b->setProperty("toolbarAction", QVariant::fromValue(static_cast<QObject*>(a)));
        return b;
    };
    toolb_Add = button("toolb_Add", "增加", 0, true);
    toolb_Del = button("toolb_Del", "删除", 1, true);
    toolb_Cancel = button("toolb_Cancel", "取消", 2, true);
    toolb_Save = button("toolb_Save", "保存", 3, true);
    toolb_run = button("toolb_run", "执行", 4, false);
    toolb_store = button("toolb_store", "库存调整", 5, false);
    toolb_Back = button("toolb_Back", "回退", 6, false);
    toolb_Search = button("toolb_Search", "查询", 7, false);
    toolb_Help = button("toolb_Help", "帮助信息", 8, true);
    connect(toolb_Help, &QToolButton::clicked, this, guard([] { showHelp(); }));
    connect(toolb_Add, &QToolButton::clicked, this, guard([this] { addRecord(); }));
    connect(toolb_Del, &QToolButton::clicked, this, guard([this] { deleteRecord(); }));
    connect(toolb_Cancel, &QToolButton::clicked, this, guard([this] { cancelRecord(); }));
    connect(toolb_Save, &QToolButton::clicked, this, guard([this] { saveRecord(); }));
    connect(toolb_Back, &QToolButton::clicked, this, guard([this] { backToMaster(); }));
    for (QToolButton* b : {toolb_run, toolb_store, toolb_Search})
        connect(b, &QToolButton::clicked, this, guard([this, b] {
                    const auto c = commands_.find(b);
                    if (c != commands_.end() && c->second) c->second();
                }));
    for (QToolButton* b : {toolb_Add, toolb_Del, toolb_Cancel, toolb_Save, toolb_Back})
        b->setProperty("commandBuilt", true);
    // "查询", "执行" and "库存调整" work once the stock screens give them their commands.
    setRecordCommandsEnabled(true);
}

void TFormSMain::setCommand(QToolButton* button, std::function<void()> command) {
    commands_[button] = std::move(command);
    button->setProperty("commandBuilt", bool(commands_[button]));
    setRecordCommandsEnabled(true);
}

void TFormSMain::setSaveOf(Dataset* ds, std::function<void()> save) {
    saves_[ds] = std::move(save);
}

void TFormSMain::registerBack(Dataset* detail, std::function<void()> back) {
    backs_[detail] = std::move(back);
}

void TFormSMain::enterDetail(std::initializer_list<QToolButton*> hidden) {
    showButtons({toolb_Back}, {});
    showButtons({}, hidden);
}

// ---------------------------------------------------------------- the record toolbar

void TFormSMain::addRecord() {
    Dataset* ds = CurrentDataset;
    if (!ds || !ds->active()) return;
    // The current row passes its rules again first; on an empty list the new row itself is
    // checked, shows what it still needs and stays open for input.
    if (ds->isEmpty()) {
        ds->append();
        ds->post();
        return;
    }
    if (ds->state() == Dataset::Browse) ds->edit();
    ds->post();
    ds->append();
}

void TFormSMain::deleteRecord() {
    Dataset* ds = CurrentDataset;
    if (!ds || !ds->active() || ds->isEmpty()) return;
    if (!prompter().question(QStringLiteral("是否删除所选项目，删除后将不能恢复，请慎重!"))) return;
    ds->remove();
}

void TFormSMain::cancelRecord() {
    if (CurrentDataset && CurrentDataset->active()) CurrentDataset->cancel();
}

void TFormSMain::saveRecord() {
    Dataset* ds = CurrentDataset;
    if (!ds) return;
    if (const auto own = saves_.find(ds); own != saves_.end() && own->second) {
        own->second();
        return;
    }
    if (!ds->active()) return;
    if (!ds->isEmpty()) {
        if (ds->state() == Dataset::Browse) ds->edit();
        ds->post();
    }
    // The list read again, ending on its last row.
    ds->refresh();
    ds->last();
}

void TFormSMain::backToMaster() {
    // The record buttons come back first, so a way back may set its master's toolbar; a detail
    // row its rules refuse keeps the detail screen with the toolbar it had.
    std::vector<std::pair<QAction*, bool>> before;
    for (QAction* a : ToolBar1->actions())
        before.emplace_back(a, a->isVisible());
    showButtons({toolb_Save, toolb_Add, toolb_Del, toolb_Cancel}, {toolb_Back});
    const auto back = backs_.find(CurrentDataset);
    if (back == backs_.end() || !back->second) return;
    try {
        back->second();
    } catch (...) {
        for (const auto& [action, visible] : before)
            action->setVisible(visible);
        throw;
    }
}

void TFormSMain::leaveDetail() {
    const auto back = backs_.find(CurrentDataset);
    if (back != backs_.end() && back->second) backToMaster();
}

void TFormSMain::setRecordCommandsEnabled(bool on) {
    for (QToolButton* b :
         {toolb_Add, toolb_Del, toolb_Cancel, toolb_Save, toolb_run, toolb_store, toolb_Back, toolb_Search})
        setButtonEnabled(b, on && b->property("commandBuilt").toBool());
}

void TFormSMain::setButtonEnabled(QToolButton* button, bool on) {
    // Through the toolbar's action: the action hands its state to the button whenever it
    // changes (shown or hidden), so a state set on the button alone would not last.
    if (auto* a = qobject_cast<QAction*>(button->property("toolbarAction").value<QObject*>())) a->setEnabled(on);
    button->setEnabled(on);
}

void TFormSMain::showButtons(std::initializer_list<QToolButton*> visible,
                             std::initializer_list<QToolButton*> hidden) {
    auto actionOf = [](QToolButton* b) {
        return qobject_cast<QAction*>(b->property("toolbarAction").value<QObject*>());
    };
    for (QToolButton* b : visible)
        actionOf(b)->setVisible(true);
    for (QToolButton* b : hidden)
        actionOf(b)->setVisible(false);
}

void TFormSMain::buildStatus() {
    // The clock's panel reaches the edge, so date and time fit.
    StatusBar1 = addStatusPanels(this, {250, 150, 200, 0}, Qt::AlignCenter, statusPanel);
}

void TFormSMain::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [bar](const char* name, const char* caption) {
        QMenu* m = bar->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const char* caption, auto handler) {
        QAction* a = m->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, guard(handler));
        return a;
    };
    N1 = menu("N1", "设置中心");
    N3 = item(N1, "N3", "系统设置", [this] { openSetupTree(); });
    N3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    N4 = item(N1, "N4", "管理设置", [this] { openManageTree(); });
    N7 = menu("N7", "库存管理");
    N8 = item(N7, "N8", "库存管理", [this] { openStoreTree(); });
    N9 = menu("N9", "系统管理");
    N10 = item(N9, "N10", "系统管理", [this] { openSystemTree(); });
    N2 = menu("N2", "帮助");
    N5 = item(N2, "N5", "系统帮助", [] { showHelp(); });
    N6 = item(N2, "N6", "退出", [this] { close(); });
    for (QMenu* m : {N1, N7, N9})
        m->setEnabled(false);
}

void TFormSMain::buildLogin() {
    pnl_login = new QFrame(pnl_Parent);
    pnl_login->setObjectName(QStringLiteral("pnl_login"));
    pnl_login->setProperty("isPanel", true);
    pnl_login->setFixedSize(338, 149);
    pnl_login->setStyleSheet(
        QStringLiteral("#pnl_login { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, "
                       "stop:0 #2d5a8c, stop:1 #14325a); border-radius: 6px; } "
                       "QLabel { color: white; }"));
    auto* title = new QLabel(QStringLiteral("系统登录"), pnl_login);
    title->setGeometry(16, 8, 200, 26);
    title->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
    auto* operCaption = new QLabel(QStringLiteral("操作员工"), pnl_login);
    operCaption->setGeometry(40, 44, 70, 24);
    auto* passCaption = new QLabel(QStringLiteral("操作密码"), pnl_login);
    passCaption->setGeometry(40, 76, 70, 24);
    editoper = loginEdit(QStringLiteral("editoper"), pnl_login, false);
    editoper->setGeometry(112, 44, 170, 24);
    editpass = loginEdit(QStringLiteral("editpass"), pnl_login, true);
    editpass->setGeometry(112, 76, 170, 24);
    SpeedButton9 = new QPushButton(QStringLiteral("确定"), pnl_login);
    SpeedButton9->setObjectName(QStringLiteral("SpeedButton9"));
    SpeedButton9->setGeometry(80, 112, 80, 28);
    SpeedButton10 = new QPushButton(QStringLiteral("退出"), pnl_login);
    SpeedButton10->setObjectName(QStringLiteral("SpeedButton10"));
    SpeedButton10->setGeometry(178, 112, 80, 28);
    setTabOrder(editoper, editpass);
    setTabOrder(editpass, SpeedButton9);
    connect(SpeedButton9, &QPushButton::clicked, this, guard([this] { logIn(); }));
    connect(editpass, &QLineEdit::returnPressed, this, guard([this] { logIn(); }));
    connect(SpeedButton10, &QPushButton::clicked, this, [this] { close(); });
}

void TFormSMain::attach(TFormChild* child, TDMManage* manage, TDMSetup* setup) {
    child_ = child;
    manage_ = manage;
    setup_ = setup;
    // The venue identity screen is built here; every other screen registers with its own code.
    registerScreen(QStringLiteral("注册用户"), {child->pnl_register, setup->adoqry_setuppay, {}});
    buildOtherListScreens(*this, *child, *setup);
    buildCatalogueScreens(*this, *child, *setup);
    buildDiscountScreens(*this, *child, *setup);
    buildVenueScreens(*this, *child, *setup);
    buildConsModeScreens(*this, *child, *setup);
    buildStaffScreens(*this, *child, *manage);
    buildCreditAccountScreens(*this, *child, *manage);
    buildMemberScreens(*this, *child, *manage);
    buildStockBillScreens(*this, *child, *manage, *setup);
    buildStockQueryScreens(*this, *child, *manage);
    buildStockReportScreens(*this, *child, *setup);
    buildStockOverviewScreens(*this, *child, *setup);
    buildTradingUnitScreens(*this, *child, *manage);
    buildMaintenanceScreens(*this, *child, *manage, *setup);
    for (QTreeWidget* tree : {child->tv_Setup, child->tv_SysManage, child->tv_Store, child->tv_user})
        connect(tree, &QTreeWidget::itemClicked, this,
                [this, tree](QTreeWidgetItem* node) { guarded([&] { treeClicked(tree, node); }); });
}

void TFormSMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (shown_) return;
    shown_ = true;
    guarded([this] { firstShow(); });
}

void TFormSMain::firstShow() {
    setWindowTitle(QStringLiteral("Kestrix餐饮娱乐管理系统Ver 9.0-后台操作"));
    if (screenTooSmall()) {
        ExitMode = 2;
        prompter().information(QStringLiteral("请使用分辨率大于800*600的显示模式，现在系统将退出！"));
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    if (child_) ShowPanel(child_->pnl_SysSetup, pnl_TreeView);
    ShowPanel(pnl_login, pnl_Parent);
    pnl_login->move((pnl_Parent->width() - pnl_login->width()) / 2,
                    (pnl_Parent->height() - pnl_login->height()) / 2);
    lbl_Build->move(pnl_Parent->width() - lbl_Build->width() - 8,
                    pnl_Parent->height() - lbl_Build->height() - 6);
    editoper->setFocus();
}

void TFormSMain::ShowPanel(QWidget* panel, QWidget* host) {
    if (host == pnl_TreeView) {
        // The tree host lays its tree out over its whole height.
        for (QObject* c : host->children())
            if (auto* w = qobject_cast<QWidget*>(c); w && w != panel && w->property("isPanel").toBool())
                w->hide();
        if (panel->parentWidget() != host) {
            panel->setParent(host);
            host->layout()->addWidget(panel);
        }
        panel->show();
        return;
    }
    showPanel(panel, host);
}

bool TFormSMain::Limite(const QString& code) {
    const bool granted = kx::Limite(*ScratchQuery, RoleCode, code, ProgramKind::BackOffice);
    pnl_Parent->setVisible(granted);
    Panel2->setEnabled(granted);
    if (!granted) CurrentDataset = nullptr;
    return granted;
}

void TFormSMain::logSet(const QString& text) {
    kx::LogSet(db(), OperatorName, text);
}

void TFormSMain::registerScreen(const QString& leafCaption, Screen screen) {
    screens_[leafCaption] = std::move(screen);
}

// ---------------------------------------------------------------- login and the day roll

void TFormSMain::logIn() {
    const QString code = editoper->text().trimmed();
    const QString password = editpass->text().trimmed();
    const QString stored =
        code.isEmpty()
            ? QString()
            : db::scalarText(db(), QStringLiteral("SELECT oper_pass FROM operatorlist WHERE oper_code = ?"),
                             {code});
    const bool known =
        !code.isEmpty() &&
        db::exists(db(), QStringLiteral("SELECT 1 FROM operatorlist WHERE oper_code = ?"), {code});
    if (!known || !verifyPassword(password, stored)) {
        prompter().information(QStringLiteral("你输入的员工或密码不存在，请重新输入！"));
        editoper->setFocus();
        throw SilentAbort();
    }
    QSqlQuery op = db::run(
        db(), QStringLiteral("SELECT oper_name, mana_code FROM operatorlist WHERE oper_code = ?"), {code});
    op.next();
    manage_->openWorkingData();
    setup_->openWorkingData();
    OperatorName = op.value(0).toString();
    OperatorCode = code;
    RoleCode = op.value(1).toString();

    // The settings row as it stands now: another program may have rolled the day meanwhile.
    Dataset* settings = setup_->adoqry_setuppay;
    settings->reload();
    settings->edit();
    settings->field(QStringLiteral("oper_code")).setValue(OperatorCode);
    settings->field(QStringLiteral("mana_code")).setValue(RoleCode);
    settings->post();

    rollDayIfDue();

    LoggedIn = true;
    pnl_login->hide();
    for (QMenu* m : {N1, N7, N9})
        m->setEnabled(true);
    pnl_TreeView->setEnabled(true);
    Panel2->setEnabled(true);
    statusPanel[1]->setText(QStringLiteral("【操作员：") + OperatorName + QStringLiteral("】"));
    statusPanel[0]->setText(QStringLiteral("【用户：") + setup_->setup.text(QStringLiteral("user_name")) +
                            QStringLiteral("】"));
    statusPanel[2]->setText(
        QStringLiteral("【营业日期：") +
        setup_->setup.dateTime(QStringLiteral("time_work")).toString(QStringLiteral("yyyy-MM-dd")) +
        QStringLiteral("】"));
    logSet(QStringLiteral("[登录系统（后台）]"));
}

bool TFormSMain::rollDayIfDue() {
    const QDate today = Clock::today();
    if (!db::dayRollDue(db(), today)) return false;
    Dataset* settings = setup_->adoqry_setuppay;
    // With the backup option the day is copied first; a failed copy is reported and the day
    // rolls on without it, or nobody could log in until the backup works again.
    if (setup_->setup.flag(QStringLiteral("work_back"))) {
        try {
            auto backup =
                db::startDayEndBackup(db(), setup_->setup.date(QStringLiteral("time_work")));
            db::finishDayEndBackup(*backup);
        } catch (const std::exception& e) {
            prompter().information(
                QStringLiteral("日结前的自动数据备份没有成功，本次自动日结没有备份数据！\n") +
                QString::fromStdString(e.what()));
        }
    }
    StatusProgress progress(StatusBar1, statusPanel[0]);
    bool rolled = false;
    db::inTransaction(db(), QStringLiteral("A100011"), [&] {
        // Decided again inside the transaction: a roll another program made is not repeated.
        if (!db::dayRollDue(db(), today)) return;
        settings->reload();
        const QDateTime business(settings->field(QStringLiteral("time_work")).asDateTime().date(),
                                 QTime(0, 0));
        progress.step();
        db::closeBusinessDay(db(), business, [&progress] { progress.step(); });
        settings->edit();
        settings->field(QStringLiteral("pay_star")).setValue(false);
        settings->field(QStringLiteral("time_end")).setValue(Clock::now());
        settings->post();
        progress.step();
        db::openBusinessDay(db());
        progress.step();
        settings->edit();
        settings->field(QStringLiteral("time_work")).setValue(QDateTime(today, QTime(0, 0)));
        settings->field(QStringLiteral("pay_star")).setValue(true);
        settings->field(QStringLiteral("time_star")).setValue(Clock::now());
        settings->post();
        progress.step();
        rolled = true;
    });
    return rolled;
}

// ---------------------------------------------------------------- trees and screens

void TFormSMain::showScreenHost() {
    pnl_Parent->setVisible(true);
    Panel2->setEnabled(true);
}

void TFormSMain::makeCurrent(QWidget* panel, Dataset* dataset) {
    // Until its screen is built (and its rules declared with it), no toolbar command reaches a
    // dataset.
    if (!panel) {
        CurrentDataset = nullptr;
        setRecordCommandsEnabled(false);
        return;
    }
    ShowPanel(panel, pnl_Parent);
    CurrentDataset = dataset;
    setRecordCommandsEnabled(dataset != nullptr);
}

void TFormSMain::openSetupTree() {
    leaveDetail();
    showScreenHost();
    ShowPanel(child_->pnl_SysSetup, pnl_TreeView);
    const auto screen = screens_.find(QStringLiteral("大类"));
    makeCurrent(screen != screens_.end() ? screen->second.panel : nullptr, setup_->adoqry_ConsKind);
    child_->tv_Setup->setCurrentItem(TFormChild::leaf(child_->tv_Setup, QStringLiteral("大类")));
    showButtons({toolb_Add, toolb_Del, toolb_Cancel, toolb_Save},
                {toolb_Back, toolb_run, toolb_Search, toolb_store});
    if (!Limite(QStringLiteral("DS"))) throw SilentAbort();
}

void TFormSMain::openManageTree() {
    leaveDetail();
    showScreenHost();
    if (!Limite(QStringLiteral("OM"))) throw SilentAbort();
    ShowPanel(child_->pnl_SysManage, pnl_TreeView);
    const auto screen = screens_.find(QStringLiteral("操作员工"));
    makeCurrent(screen != screens_.end() ? screen->second.panel : nullptr, manage_->adoqry_Operator);
    child_->tv_SysManage->setCurrentItem(TFormChild::leaf(child_->tv_SysManage, QStringLiteral("操作员工")));
    showButtons({toolb_Add, toolb_Del, toolb_Cancel, toolb_Save},
                {toolb_Back, toolb_run, toolb_Search, toolb_store});
}

void TFormSMain::openStoreTree() {
    leaveDetail();
    showScreenHost();
    setup_->adoqry_ConsItemGroup->setSql(QStringLiteral("select * from itemgroup"));
    setup_->adoqry_ConsItemGroup->open();
    ShowPanel(child_->pnl_store, pnl_TreeView);
    const auto screen = screens_.find(QStringLiteral("库存调整"));
    Dataset* before = CurrentDataset;
    makeCurrent(screen != screens_.end() ? screen->second.panel : nullptr, setup_->adoqry_ConsItem);
    child_->tv_Store->setCurrentItem(TFormChild::leaf(child_->tv_Store, QStringLiteral("库存调整")));
    showButtons({toolb_store, toolb_Cancel, toolb_Save},
                {toolb_Add, toolb_Del, toolb_Back, toolb_run, toolb_Search});
    if (!Limite(QStringLiteral("SM"))) throw SilentAbort();
    if (screen != screens_.end() && screen->second.shown) screen->second.shown(before);
}

void TFormSMain::openSystemTree() {
    leaveDetail();
    showScreenHost();
    if (!Limite(QStringLiteral("SS"))) throw SilentAbort();
    ShowPanel(child_->pnl_user, pnl_TreeView);
    makeCurrent(child_->pnl_register, setup_->adoqry_setuppay);
    // The password edit starts empty: the stored value is a hash, never shown.
    child_->Edit10->clear();
    child_->tv_user->setCurrentItem(TFormChild::leaf(child_->tv_user, QStringLiteral("注册用户")));
    showButtons({toolb_Cancel, toolb_Save, toolb_Help},
                {toolb_Add, toolb_Del, toolb_Back, toolb_run, toolb_Search, toolb_store});
}

void TFormSMain::settleCurrentRow() {
    Dataset* ds = CurrentDataset;
    if (!ds || !ds->active() || (ds->state() != Dataset::Edit && ds->state() != Dataset::Insert)) return;
    try {
        ds->post();
    } catch (const SilentAbort&) {
        ds->cancel();
    } catch (const DbError& e) {
        ds->cancel();
        prompter().information(QString::fromStdString(e.what()));
    }
}

namespace {

// The permission each leaf asks; an empty code asks none.
const std::map<QString, QString>& leafChecks() {
    static const std::map<QString, QString> checks = {
        {QStringLiteral("大类"), QStringLiteral("DS")},
        {QStringLiteral("分类"), QStringLiteral("DS")},
        {QStringLiteral("项目"), QStringLiteral("DS")},
        {QStringLiteral("出品"), QStringLiteral("BS")},
        {QStringLiteral("折扣"), QStringLiteral("DS")},
        {QStringLiteral("部门"), QStringLiteral("RS")},
        {QStringLiteral("类型"), QStringLiteral("RS")},
        {QStringLiteral("房台"), QStringLiteral("RS")},
        {QStringLiteral("消费方式"), QStringLiteral("RS")},
        {QStringLiteral("班次"), QStringLiteral("OS")},
        {QStringLiteral("付款方式"), QStringLiteral("OS")},
        {QStringLiteral("其它收入"), QStringLiteral("OS")},
        {QStringLiteral("项目说明"), QStringLiteral("OS")},
        {QStringLiteral("单位名称"), QString()},
        {QStringLiteral("操作员工"), QStringLiteral("OM")},
        {QStringLiteral("权限设置"), QStringLiteral("OM")},
        {QStringLiteral("员工级别"), QStringLiteral("OM")},
        {QStringLiteral("提成员工"), QStringLiteral("OM")},
        {QStringLiteral("员工分组"), QStringLiteral("OM")},
        {QStringLiteral("员工分区"), QStringLiteral("OM")},
        {QStringLiteral("会员类别"), QStringLiteral("MM")},
        {QStringLiteral("会员信息"), QStringLiteral("MM")},
        {QStringLiteral("挂帐客人"), QStringLiteral("PM")},
        {QStringLiteral("库存调整"), QStringLiteral("SM")},
        {QStringLiteral("物流管理"), QStringLiteral("SM")},
        {QStringLiteral("往来管理"), QStringLiteral("SM")},
        {QStringLiteral("库存帐务"), QStringLiteral("SM")},
        {QStringLiteral("帐务查询"), QStringLiteral("SM")},
        {QStringLiteral("库存盘点"), QString()},
        {QStringLiteral("配料使用"), QString()},
        {QStringLiteral("单位类型"), QStringLiteral("SM")},
        {QStringLiteral("往来单位"), QStringLiteral("SM")},
    };
    return checks;
}

} // namespace

void TFormSMain::treeClicked(QTreeWidget* tree, QTreeWidgetItem* node) {
    if (!node) return;
    const bool isLeaf = node->parent() != nullptr;
    if (isLeaf) leaveDetail();
    if (isLeaf) {
        // Every tree sets its own toolbar for a leaf.
        if (tree == child_->tv_Setup)
            showButtons({toolb_Add, toolb_Cancel, toolb_Save, toolb_Del}, {toolb_Back});
        else if (tree == child_->tv_SysManage)
            showButtons({toolb_Add, toolb_Del, toolb_Cancel, toolb_Save}, {toolb_Back, toolb_Search});
        else if (tree == child_->tv_Store)
            showButtons({toolb_Add, toolb_Del, toolb_Cancel, toolb_Save, toolb_store, toolb_run},
                        {toolb_Back, toolb_Search});
        else
            showButtons({}, {toolb_Back, toolb_Add, toolb_Del, toolb_Cancel, toolb_Save, toolb_store,
                             toolb_Search, toolb_run});
    }
    // The stock and system trees show the stock bills unfiltered.
    if (tree == child_->tv_Store || tree == child_->tv_user) {
        manage_->adoqry_AllStoreBill->setFiltered(false);
        manage_->adoqry_StoreDetail->setFiltered(false);
    }
    settleCurrentRow();
    if (!isLeaf) return;
    routeLeaf(tree, node->text(0));
}

void TFormSMain::routeLeaf(QTreeWidget* tree, const QString& caption) {
    if (tree != child_->tv_user) {
        const auto check = leafChecks().find(caption);
        const QString code = check != leafChecks().end() ? check->second : QString();
        if (!code.isEmpty() && !Limite(code)) return;
        // A leaf without a check shows its screen as a granted check would.
        if (code.isEmpty()) showScreenHost();
    }
    leafToolbar(caption);
    const auto screen = screens_.find(caption);
    if (screen == screens_.end()) {
        // Its screen comes with its own code: until then the host is empty and the toolbar
        // reaches no dataset.
        makeCurrent(nullptr, nullptr);
        for (QObject* c : pnl_Parent->children())
            if (auto* w = qobject_cast<QWidget*>(c); w && w->property("isPanel").toBool()) w->hide();
        return;
    }
    Dataset* before = CurrentDataset;
    makeCurrent(screen->second.panel, screen->second.dataset);
    if (screen->second.shown) screen->second.shown(before);
}

void TFormSMain::leafToolbar(const QString& caption) {
    const auto is = [&caption](const char* c) { return caption == QString::fromUtf8(c); };
    // The screens that only show figures take no record commands.
    const std::initializer_list<QToolButton*> noRecords = {toolb_Add,  toolb_Del,   toolb_Cancel,
                                                           toolb_Save, toolb_store, toolb_run};
    if (is("权限设置"))
        showButtons({}, {toolb_Add, toolb_Del});
    else if (is("会员信息") || is("挂帐客人"))
        showButtons({toolb_Search}, {});
    else if (is("库存调整"))
        showButtons({}, {toolb_Add, toolb_Del, toolb_run});
    else if (is("物流管理"))
        showButtons({toolb_run}, {toolb_store, toolb_Search});
    else if (is("往来管理") || is("库存盘点") || is("配料使用"))
        showButtons({}, noRecords);
    else if (is("库存帐务") || is("帐务查询")) {
        showButtons({}, noRecords);
        showButtons({toolb_Search}, {});
    } else if (is("单位类型") || is("往来单位"))
        showButtons({}, {toolb_store, toolb_Search, toolb_run});
    else if (is("注册用户"))
        showButtons({toolb_Save, toolb_Cancel}, {});
}

// ---------------------------------------------------------------- closing

void TFormSMain::closeSilently() {
    ExitMode = 2;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TFormSMain::closeEvent(QCloseEvent* e) {
    if (closed_) {
        e->accept();
        return;
    }
    if (ExitMode == 1) {
        prompter().information(QStringLiteral("数据处理完毕，系统将退出请重新登录！"));
    } else if (ExitMode != 2) {
        if (!prompter().question(QStringLiteral("请确定是否退出") + kProductTitle + QStringLiteral("!"))) {
            e->ignore();
            return;
        }
    }
    closed_ = true;
    // A detail screen finishes its work (unless the program closes after a failure); the row
    // half edited on the current screen is kept; a row its rules refuse is dropped.
    if (ExitMode != 2) guarded([this] { leaveDetail(); });
    try {
        Dataset* ds = CurrentDataset;
        if (ds && ds->active() && !ds->isEmpty() && ds->canModify()) {
            if (ds->state() == Dataset::Browse) ds->edit();
            try {
                ds->post();
            } catch (...) {
                ds->cancel();
            }
        }
        if (ADOConnection1.isOpen() && LoggedIn) logSet(QStringLiteral("[退出系统（后台）]"));
    } catch (...) {
    }
    Timer1->stop();
    e->accept();
}

} // namespace kx::backoffice
