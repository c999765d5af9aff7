#include "TFormWork.h"

#include "MainWindowKit.h"

#include "BillScreen.h"
#include "BookingScreen.h"
#include "Binder.h"
#include "PanelKit.h"
#include "ErrorGuard.h"
#include "Jpeg.h"
#include "Login.h"
#include "Opening.h"
#include "OrderScreen.h"
#include "RegisterScreen.h"
#include "ReverseScreen.h"
#include "TDMTable.h"
#include "TableBoard.h"
#include "WorkScreen.h"
#include "TFormWMain.h"
#include "DayOperations.h"
#include "TableMoves.h"
#include "SalesAnalysis.h"
#include "TableAnalysis.h"
#include "DishAnalysis.h"
#include "CashierSettings.h"
#include "DatabaseInitialisation.h"
#include "BillQueries.h"
#include "OperationAnalysis.h"
#include "PerformanceAnalysis.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {

// The login panel's edits, a little taller than the default.
QLineEdit* loginEdit(const QString& name, QWidget* parent, bool password) {
    QLineEdit* e = kx::loginEdit(name, parent, password);
    e->setMinimumHeight(24);
    return e;
}

QImage pictureResource(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QImage();
    return decodeJpeg(f.readAll());
}

} // namespace

QFrame* makePanel(const QString& name, QWidget* parent) {
    auto* p = new QFrame(parent);
    p->setObjectName(name);
    p->setProperty("isPanel", true);
    return p;
}

TFormWork::TFormWork(TFormWMain* main) : QWidget(nullptr), main_(main) {
    setObjectName(QStringLiteral("TFormWork"));
    setAttribute(Qt::WA_DontShowOnScreen);
    auto aux = [this](const char* name) {
        return new db::Dataset(main_->db(), QString::fromLatin1(name), QString(), this);
    };
    AuxQuery1 = aux("AuxQuery1");
    AuxQuery2 = aux("AuxQuery2");
    AuxQuery3 = aux("AuxQuery3");
    AuxQuery4 = aux("AuxQuery4");
    AuxQuery5 = aux("AuxQuery5");
    AuxQuery6 = aux("AuxQuery6");
    buildBoard();
    buildLogin();
    buildModify();
    buildAbout();
}

void TFormWork::buildBoard() {
    pnl_TableState = makePanel(QStringLiteral("pnl_TableState"), this);
    pnl_TableState->resize(792, 520);

    Panel2 = new QFrame(pnl_TableState);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(0, 0, 792, 42);
    ToolBar1 = new QToolBar(Panel2);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(2, 2, 788, 38);
    ToolButton34 = addToolButton(ToolBar1, QStringLiteral("ToolButton34"), QStringLiteral("图形房台"));
    toolb_Chcek = addToolButton(ToolBar1, QStringLiteral("toolb_Chcek"), QStringLiteral("日始/日结"));
    toolb_Report = addToolButton(ToolBar1, QStringLiteral("toolb_Report"), QStringLiteral("报表"));
    toolb_Report->setPopupMode(QToolButton::InstantPopup);
    toolb_Report->setMenu(new QMenu(toolb_Report));
    toolb_Setup = addToolButton(ToolBar1, QStringLiteral("toolb_Setup"), QStringLiteral("设置"));
    ToolButton4 = addToolButton(ToolBar1, QStringLiteral("ToolButton4"), QStringLiteral("重新登录"));
    toolb_About = addToolButton(ToolBar1, QStringLiteral("toolb_About"), QStringLiteral("关于"));
    toolb_Help = addToolButton(ToolBar1, QStringLiteral("toolb_Help"), QStringLiteral("帮助"));
    ToolBar1->addSeparator();
    ToolButton112 = addToolButton(ToolBar1, QStringLiteral("ToolButton112"), QStringLiteral("台号排序"));
    ToolBar1->addSeparator();
    toolb_Exit = addToolButton(ToolBar1, QStringLiteral("toolb_Exit"), QStringLiteral("退出"));

    pnl_TableStateP = makePanel(QStringLiteral("pnl_TableStateP"), pnl_TableState);
    pnl_TableStateP->setGeometry(0, 42, 602, 478);
    pnl_TableStateP->setProperty("isPanel", false); // a host, not a screen of pnl_TableState
    pnl_TableStateG = makePanel(QStringLiteral("pnl_TableStateG"), pnl_TableStateP);
    pnl_TableStateL = makePanel(QStringLiteral("pnl_TableStateL"), pnl_TableStateP);
    pnl_StateCut = makePanel(QStringLiteral("pnl_StateCut"), pnl_TableStateP);
    for (QFrame* view : {pnl_TableStateG, pnl_TableStateL, pnl_StateCut}) {
        view->setGeometry(0, 0, 602, 478);
        view->hide();
    }

    Panel3 = new QFrame(pnl_TableState);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(602, 42, 190, 478);
    Panel3->setFrameShape(QFrame::StyledPanel);
    auto* side = new QVBoxLayout(Panel3);
    side->setContentsMargins(6, 6, 6, 6);
    lbl_order = new QLabel(Panel3);
    lbl_order->setObjectName(QStringLiteral("lbl_order"));
    lbl_worktime = new QLabel(Panel3);
    lbl_worktime->setObjectName(QStringLiteral("lbl_worktime"));
    for (QLabel* l : {lbl_order, lbl_worktime}) {
        l->setAlignment(Qt::AlignCenter);
        side->addWidget(l);
    }
    Panel6 = new QFrame(Panel3);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    side->addWidget(Panel6, 1);
    Panel7 = new QFrame(Panel3);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    auto* search = new QHBoxLayout(Panel7);
    search->setContentsMargins(0, 0, 0, 0);
    EditDict_TableState = new QLineEdit(Panel7);
    EditDict_TableState->setObjectName(QStringLiteral("EditDict_TableState"));
    search->addWidget(EditDict_TableState);
    side->addWidget(Panel7);
}

void TFormWork::buildLogin() {
    pnl_login = new QFrame(pnl_TableState);
    pnl_login->setObjectName(QStringLiteral("pnl_login"));
    pnl_login->setFrameShape(QFrame::Panel);
    pnl_login->setFrameShadow(QFrame::Raised);
    pnl_login->setAutoFillBackground(true);
    pnl_login->setStyleSheet(QStringLiteral("QFrame#pnl_login { background: #0b3434; }"));
    const int w = 400, h = 350;
    pnl_login->setGeometry((792 - w) / 2, (520 - h) / 2, w, h);

    auto* picture = new QLabel(pnl_login);
    picture->setObjectName(QStringLiteral("Image_login"));
    picture->setGeometry(0, 0, 400, 300);
    const QImage image = pictureResource(QStringLiteral(":/login.jpg"));
    if (!image.isNull()) picture->setPixmap(QPixmap::fromImage(image).scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    Label123 = new QLabel(QStringLiteral("系统登录"), pnl_login);
    Label123->setObjectName(QStringLiteral("Label123"));
    Label123->setGeometry(16, 10, 200, 30);
    Label123->setStyleSheet(QStringLiteral("color: white; font-size: 18px; font-weight: bold;"));

    SpeedButton7 = makeButton(QStringLiteral("SpeedButton7"), QStringLiteral("×"), pnl_login);
    SpeedButton7->setGeometry(w - 34, 8, 26, 24);

    auto* form = new QWidget(pnl_login);
    form->setGeometry(50, 160, 300, 124);
    form->setStyleSheet(QStringLiteral("QLabel { color: white; }"));
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(10);
    dbl_order = new QComboBox(form);
    dbl_order->setObjectName(QStringLiteral("dbl_order"));
    dbl_order->setMinimumHeight(24);
    editoper = loginEdit(QStringLiteral("editoper"), form, false);
    editpass = loginEdit(QStringLiteral("editpass"), form, true);
    SpeedButton8 = makeButton(QStringLiteral("SpeedButton8"), QString(), form);
    SpeedButton8->setFixedSize(24, 24);
    SpeedButton8->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    SpeedButton8->setToolTip(QStringLiteral("修改密码"));
    grid->addWidget(captionLabel(QStringLiteral("班    次"), form), 0, 0);
    grid->addWidget(dbl_order, 0, 1);
    grid->addWidget(captionLabel(QStringLiteral("操作员工"), form), 1, 0);
    grid->addWidget(editoper, 1, 1);
    grid->addWidget(SpeedButton8, 1, 2);
    grid->addWidget(captionLabel(QStringLiteral("操作密码"), form), 2, 0);
    grid->addWidget(editpass, 2, 1);

    SpeedButton5 = makeButton(QStringLiteral("SpeedButton5"), QStringLiteral("确定"), pnl_login);
    SpeedButton6 = makeButton(QStringLiteral("SpeedButton6"), QStringLiteral("退出"), pnl_login);
    SpeedButton5->setGeometry(w / 2 - 110, h - 50, 96, 32);
    SpeedButton6->setGeometry(w / 2 + 14, h - 50, 96, 32);
    setTabOrder(dbl_order, editoper);
    setTabOrder(editoper, editpass);
    setTabOrder(editpass, SpeedButton5);
}

void TFormWork::buildModify() {
    pnl_modify = new QFrame(pnl_TableState);
    pnl_modify->setObjectName(QStringLiteral("pnl_modify"));
    pnl_modify->setFrameShape(QFrame::Panel);
    pnl_modify->setFrameShadow(QFrame::Raised);
    pnl_modify->setAutoFillBackground(true);
    pnl_modify->setGeometry(212, 125, 330, 250);
    pnl_modify->hide();

    Label133 = new QLabel(QStringLiteral("修改密码"), pnl_modify);
    Label133->setObjectName(QStringLiteral("Label133"));
    Label133->setGeometry(14, 8, 200, 28);
    Label133->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
    SpeedButton11 = makeButton(QStringLiteral("SpeedButton11"), QStringLiteral("×"), pnl_modify);
    SpeedButton11->setGeometry(330 - 34, 8, 26, 24);

    auto* form = new QWidget(pnl_modify);
    form->setGeometry(30, 44, 270, 150);
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 0, 0, 0);
    editoper1 = loginEdit(QStringLiteral("editoper1"), form, false);
    editpass1 = loginEdit(QStringLiteral("editpass1"), form, true);
    editpassn = loginEdit(QStringLiteral("editpassn"), form, true);
    editpassnr = loginEdit(QStringLiteral("editpassnr"), form, true);
    const QString labels[] = {QStringLiteral("操作员工"), QStringLiteral("操作密码"), QStringLiteral("更新密码"),
                              QStringLiteral("确认密码")};
    QLineEdit* edits[] = {editoper1, editpass1, editpassn, editpassnr};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(captionLabel(labels[i], form), i, 0);
        grid->addWidget(edits[i], i, 1);
    }
    setTabOrder(editoper1, editpass1);
    setTabOrder(editpass1, editpassn);
    setTabOrder(editpassn, editpassnr);

    SpeedButton9 = makeButton(QStringLiteral("SpeedButton9"), QStringLiteral("确定"), pnl_modify);
    SpeedButton10 = makeButton(QStringLiteral("SpeedButton10"), QStringLiteral("回退"), pnl_modify);
    SpeedButton9->setGeometry(60, 206, 90, 30);
    SpeedButton10->setGeometry(180, 206, 90, 30);
}

void TFormWork::buildAbout() {
    pnl_about = new QFrame(pnl_TableState);
    pnl_about->setObjectName(QStringLiteral("pnl_about"));
    pnl_about->setFrameShape(QFrame::Panel);
    pnl_about->setFrameShadow(QFrame::Raised);
    pnl_about->setAutoFillBackground(true);
    pnl_about->setGeometry((792 - 380) / 2, 90, 380, 300);
    pnl_about->hide();
    auto* layout = new QVBoxLayout(pnl_about);
    auto* head = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("关于"), pnl_about);
    title->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
    auto* close1 = makeButton(QStringLiteral("btn_AboutX"), QStringLiteral("×"), pnl_about);
    close1->setFixedSize(26, 24);
    head->addWidget(title);
    head->addStretch();
    head->addWidget(close1);
    layout->addLayout(head);
    const QStringList lines = {QStringLiteral("Kestrix餐饮客房管理系统 V9"), QStringLiteral("Build in ver 1210"),
                               QStringLiteral("For Windows Environment"), QStringLiteral("Kestrix 软件工作室"),
                               QStringLiteral("2004-2026"), QStringLiteral("电话：400-000-0000"),
                               QStringLiteral("电子邮件：support@kestrix.example"),
                               QStringLiteral("网址：www.kestrix.example")};
    for (const QString& line : lines) {
        auto* l = new QLabel(line, pnl_about);
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
    }
    lbl_AboutDatabase = new QLabel(pnl_about);
    lbl_AboutDatabase->setObjectName(QStringLiteral("lbl_AboutDatabase"));
    lbl_AboutDatabase->setAlignment(Qt::AlignCenter);
    lbl_AboutDatabase->setWordWrap(true);
    layout->addWidget(lbl_AboutDatabase);
    auto* close2 = makeButton(QStringLiteral("btn_AboutClose"), QStringLiteral("关闭"), pnl_about);
    layout->addWidget(close2, 0, Qt::AlignHCenter);
    connect(close1, &QPushButton::clicked, this, [this] { hideAbout(); });
    connect(close2, &QPushButton::clicked, this, [this] { hideAbout(); });
}

TFormWork::~TFormWork() {
    ErrorGuard::setAfterStaleData({});
    if (dm_) {
        main_->registerAction(QStringLiteral("board.bookin"), nullptr);
        main_->registerAction(QStringLiteral("board.reverse"), nullptr);
        for (const char* action : {"reports.N5", "reports.N6", "reports.N3", "reports.N10", "reports.N11", "reports.N12",
                                   "reports.N13", "reports.N7", "reports.N8", "reports.N15", "board.setup", "setup.cancel"})
            main_->registerAction(QString::fromLatin1(action), nullptr);
    }
}

void TFormWork::attach(TDMTable* dm) {
    dm_ = dm;
    lbl_AboutDatabase->setText(QStringLiteral("数据库：") + main_->databaseDescription());
    // After another front desk won a race, the board and the visits show what is stored now,
    // each staying on its row.
    ErrorGuard::setAfterStaleData([this] {
        if (!dm_) return;
        dm_->adoqry_table->reload();
        dm_->adoqry_TableGues->reload();
    });
    bindLookupCombo(dbl_order, dm->adoqry_SetupPay, QStringLiteral("orde_code"), dm->adoqry_order,
                    QStringLiteral("orde_code"), QStringLiteral("orde_name"));
    Login* login = new Login(main_, this, dm);
    connect(SpeedButton5, &QPushButton::clicked, this, guard([login] { login->logIn(); }));
    connect(editpass, &QLineEdit::returnPressed, this, guard([login] { login->logIn(); }));
    connect(SpeedButton8, &QPushButton::clicked, this, guard([login] { login->openPasswordPanel(); }));
    connect(SpeedButton9, &QPushButton::clicked, this, guard([login] { login->changePassword(); }));
    connect(SpeedButton10, &QPushButton::clicked, this, [this] { pnl_modify->hide(); });
    connect(SpeedButton11, &QPushButton::clicked, this, [this] { pnl_modify->hide(); });
    connect(ToolButton4, &QToolButton::clicked, this, guard([login] { login->logOut(); }));
    for (QPushButton* exit : {SpeedButton6, SpeedButton7})
        connect(exit, &QPushButton::clicked, main_, &QWidget::close);
    connect(toolb_Exit, &QToolButton::clicked, main_, &QWidget::close);
    connect(toolb_Help, &QToolButton::clicked, this, guard([this] { main_->showHelp(); }));
    connect(toolb_About, &QToolButton::clicked, this, [this] { showAbout(); });
    connect(toolb_Setup, &QToolButton::clicked, this, [this] { main_->runAction(QStringLiteral("board.setup")); });
    showToolButton(toolb_Setup, false);
    workScreen.setBuilder([this] {
        auto* w = new WorkScreen(main_, this, dm_);
        workScreen.set(w);
        // The moves' pop-up panels and actions belong to the work screen.
        moves.get();
        return w;
    });
    moves.setBuilder([this] {
        WorkScreen* w = workScreen.get();
        auto* m = new TableMoves(main_, this, dm_);
        m->placeOn(w);
        return m;
    });
    registerScreen.setBuilder([this] { return new RegisterScreen(main_, this, dm_, workScreen.get()); });
    bill.setBuilder([this] { return new BillScreen(main_, this, dm_); });
    orderScreen.setBuilder([this] { return new OrderScreen(main_, this, dm_); });
    bookings.setBuilder([this] { return new BookingScreen(main_, this, dm_); });
    main_->registerAction(QStringLiteral("board.bookin"), [this] { bookings->enter(); });
    reverse.setBuilder([this] { return new ReverseScreen(main_, this, dm_); });
    main_->registerAction(QStringLiteral("board.reverse"), [this] { reverse->Action3Execute(); });
    sales.setBuilder([this] { return new SalesAnalysis(main_, this, dm_); });
    main_->registerAction(QStringLiteral("reports.N5"), [this] { sales->N5Click(); });
    rooms.setBuilder([this] { return new TableAnalysis(main_, this, dm_); });
    main_->registerAction(QStringLiteral("reports.N6"), [this] { rooms->N6Click(); });
    dishes.setBuilder([this] { return new DishAnalysis(main_, this, dm_); });
    main_->registerAction(QStringLiteral("reports.N3"), [this] { dishes->N3Click(); });
    settings.setBuilder([this] { return new CashierSettings(main_, this, dm_); });
    main_->registerAction(QStringLiteral("board.setup"), [this] { settings->ToolButton27Click(); });
    main_->registerAction(QStringLiteral("reports.N15"), [this] { initialiseDatabase(*main_, *this, *dm_); });
    billQueries.setBuilder([this] { return new BillQueries(main_, this, dm_); });
    main_->registerAction(QStringLiteral("reports.N10"), [this] { billQueries->N10Click(); });
    main_->registerAction(QStringLiteral("reports.N11"), [this] { billQueries->N11Click(); });
    main_->registerAction(QStringLiteral("reports.N12"), [this] { billQueries->N12Click(); });
    main_->registerAction(QStringLiteral("reports.N13"), [this] { billQueries->N13Click(); });
    operations.setBuilder([this] { return new OperationAnalysis(main_, this, dm_); });
    main_->registerAction(QStringLiteral("reports.N7"), [this] { operations->N7Click(); });
    performance.setBuilder([this] { return new PerformanceAnalysis(main_, this, dm_); });
    main_->registerAction(QStringLiteral("reports.N8"), [this] { performance->N8Click(); });
    // The data module's own hooks hold whether or not their screens are built yet.
    installOpeningHooks(*dm);
    tableBoard = new TableBoard(main_, this, dm);
    day = new DayOperations(main_, this, dm);
    main_->setActionResolver([this](const QString& action) { return buildScreenFor(action); });
}

bool TFormWork::buildScreenFor(const QString& action) {
    auto starts = [&action](const char* prefix) { return action.startsWith(QLatin1String(prefix)); };
    if (starts("bill.") || action == QLatin1String("work.checkout")) return bill.peek() == nullptr && bill.get();
    if (starts("cons.") || action == QLatin1String("work.order") || action == QLatin1String("work.kitchen"))
        return orderScreen.peek() == nullptr && orderScreen.get();
    if (starts("register.")) return registerScreen.peek() == nullptr && registerScreen.get();
    if (starts("setup.")) return settings.peek() == nullptr && settings.get();
    if (starts("reagain.")) return reverse.peek() == nullptr && reverse.get();
    if (starts("work.")) return workScreen.peek() == nullptr && workScreen.get();
    return false;
}

void TFormWork::showBoard() {
    main_->ShowPanel(pnl_TableState, main_->pnl_Parent, 0);
    main_->ShowPanel(pnl_TableStateG, pnl_TableStateP, 1);
    lockBoard();
}

void TFormWork::lockBoard() {
    pnl_login->show();
    pnl_login->raise();
    pnl_TableStateP->hide();
    Panel3->hide();
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    Panel2->setEnabled(false);
}

void TFormWork::unlockBoard() {
    // "设置" shows once the cashier settings screen is there to open.
    showToolButton(toolb_Setup, main_->hasAction(QStringLiteral("board.setup")));
    pnl_login->hide();
    pnl_TableStateP->show();
    Panel3->show();
    Panel2->setFrameShape(QFrame::NoFrame);
    Panel2->setEnabled(true);
    Panel6->setEnabled(true);
    Panel7->setEnabled(true);
}

void TFormWork::showAbout() {
    Panel2->setEnabled(false);
    Panel3->setEnabled(false);
    pnl_TableStateP->setEnabled(false);
    pnl_about->show();
    pnl_about->raise();
}

void TFormWork::hideAbout() {
    Panel2->setEnabled(true);
    Panel3->setEnabled(true);
    pnl_TableStateP->setEnabled(true);
    pnl_about->hide();
}

} // namespace kx::frontdesk
