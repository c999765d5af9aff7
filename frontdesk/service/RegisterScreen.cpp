#include "RegisterScreen.h"

#include "Binder.h"
#include "Bookings.h"
#include "ErrorGuard.h"
#include "Opening.h"
#include "NumberEntry.h"
#include "PanelKit.h"
#include "ProgressBar.h"
#include "Prompter.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "WorkScreen.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

using db::Dataset;
using db::GridColumn;

namespace {


QLineEdit* edit(const QString& name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMinimumHeight(24);
    ignorePlusMinus(e);
    return e;
}

} // namespace

RegisterScreen::RegisterScreen(TFormWMain* main, TFormWork* work, TDMTable* dm, WorkScreen* workScreen)
    : QObject(work), main_(main), work_(work), dm_(dm), workScreen_(workScreen) {
    setObjectName(QStringLiteral("RegisterScreen"));
    build();
    bind();
    installOpeningHooks(*dm_);
    main_->registerAction(QStringLiteral("register.open"), [this] { open(); });
    main_->registerAction(QStringLiteral("register.focusManualNumber"), [this] { DBEdit1->setFocus(); });
    main_->registerAction(QStringLiteral("register.back"), [this] { back(); });
    main_->registerAction(QStringLiteral("register.takeBooking"), [this] { takeBooking(); });
}

RegisterScreen::~RegisterScreen() {
    for (const char* action : {"register.open", "register.focusManualNumber", "register.back", "register.takeBooking"})
        main_->registerAction(QString::fromLatin1(action), nullptr);
    dm_->adoqry_TableGues->afterInsert = nullptr;
}

void RegisterScreen::build() {
    pnl_Register = makePanel(QStringLiteral("pnl_Register"), work_);
    pnl_Register->resize(792, 520);
    pnl_Register->hide();
    auto* outer = new QVBoxLayout(pnl_Register);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(4);

    ToolBar2 = new QToolBar(pnl_Register);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    toolb_Open = addToolButton(ToolBar2, QStringLiteral("toolb_Open"), QStringLiteral("开台 +"));
    toolb_In = addToolButton(ToolBar2, QStringLiteral("toolb_In"), QStringLiteral("预订转入"));
    toolb_Member = addToolButton(ToolBar2, QStringLiteral("toolb_Member"), QStringLiteral("会员"));
    toolb_Back = addToolButton(ToolBar2, QStringLiteral("toolb_Back"), QStringLiteral("回退"));
    toolb_Info = addToolButton(ToolBar2, QStringLiteral("toolb_Info"), QStringLiteral("帮助/信息"));
    // The two buttons exist but are not offered.
    for (QToolButton* hidden : {toolb_Member, toolb_Info}) showToolButton(hidden, false);
    outer->addWidget(ToolBar2);

    auto* form = new QFrame(pnl_Register);
    form->setObjectName(QStringLiteral("pnl_RegisterForm"));
    form->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(16, 10, 16, 10);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    for (int c : {1, 3, 5}) grid->setColumnStretch(c, 1);

    DBText7 = valueLabel(QStringLiteral("DBText7"), form);
    DBText8 = valueLabel(QStringLiteral("DBText8"), form);
    DBText9 = valueLabel(QStringLiteral("DBText9"), form);
    for (QLabel* l : {DBText7, DBText8, DBText9}) l->setStyleSheet(QStringLiteral("font-weight: bold; color: #1a3d7a;"));
    grid->addWidget(captionLabel(QStringLiteral("编号-"), form), 0, 0);
    grid->addWidget(DBText7, 0, 1);
    grid->addWidget(captionLabel(QStringLiteral("名称-"), form), 0, 2);
    grid->addWidget(DBText8, 0, 3);
    grid->addWidget(captionLabel(QStringLiteral("部门-"), form), 0, 4);
    grid->addWidget(DBText9, 0, 5);

    DBEdit1 = edit(QStringLiteral("DBEdit1"), form);
    DBEdit2 = edit(QStringLiteral("DBEdit2"), form);
    // A guest count is a whole number of at most 3 digits; anything else could not be stored.
    DBEdit2->setMaxLength(3);
    limitNumberEntry(DBEdit2, ranges::guests);
    DBEdit3 = edit(QStringLiteral("DBEdit3"), form);
    DBLookupComboBox1 = new QComboBox(form);
    DBLookupComboBox1->setObjectName(QStringLiteral("DBLookupComboBox1"));
    DBLookupComboBox1->setMinimumHeight(24);
    ignorePlusMinus(DBLookupComboBox1);
    DBEdit4 = edit(QStringLiteral("DBEdit4"), form);
    grid->addWidget(captionLabel(QStringLiteral("手工单号"), form), 1, 0);
    grid->addWidget(DBEdit1, 1, 1);
    grid->addWidget(captionLabel(QStringLiteral("人数"), form), 1, 2);
    grid->addWidget(DBEdit2, 1, 3);
    grid->addWidget(captionLabel(QStringLiteral("客人"), form), 2, 0);
    grid->addWidget(DBEdit3, 2, 1);
    grid->addWidget(captionLabel(QStringLiteral("消费方式"), form), 2, 2);
    grid->addWidget(DBLookupComboBox1, 2, 3);
    grid->addWidget(captionLabel(QStringLiteral("备注"), form), 3, 0);
    grid->addWidget(DBEdit4, 3, 1, 1, 3);
    outer->addWidget(form);

    DBGrid11 = new QTableView(pnl_Register);
    DBGrid11->setObjectName(QStringLiteral("DBGrid11"));
    outer->addWidget(DBGrid11, 1);

    QWidget::setTabOrder(DBEdit1, DBEdit2);
    QWidget::setTabOrder(DBEdit2, DBEdit3);
    QWidget::setTabOrder(DBEdit3, DBLookupComboBox1);
    QWidget::setTabOrder(DBLookupComboBox1, DBEdit4);

    connect(toolb_Open, &QToolButton::clicked, this, guard([this] { open(); }));
    connect(toolb_Back, &QToolButton::clicked, this, guard([this] { back(); }));
    connect(toolb_In, &QToolButton::clicked, this, [this] { main_->runAction(QStringLiteral("register.takeBooking")); });
    connect(DBGrid11, &QTableView::doubleClicked, this,
            [this] { main_->runAction(QStringLiteral("register.takeBooking")); });
}

void RegisterScreen::bind() {
    Dataset* board = dm_->adoqry_table;
    Dataset* visit = dm_->adoqry_TableGues;
    bindLabel(DBText7, board, QStringLiteral("tabl_code"));
    bindLabel(DBText8, board, QStringLiteral("tabl_name"));
    bindLabel(DBText9, board, QStringLiteral("deptname"));
    bindLineEdit(DBEdit1, visit, QStringLiteral("tabl_gues_user_recn"));
    bindLineEdit(DBEdit2, visit, QStringLiteral("tabl_gues_coun"));
    bindLineEdit(DBEdit3, visit, QStringLiteral("tabl_gues_name"));
    bindLookupCombo(DBLookupComboBox1, visit, QStringLiteral("cons_mode_code"), dm_->adoqry_ConsMode,
                    QStringLiteral("cons_mode_code"), QStringLiteral("cons_mode_name"));
    bindLineEdit(DBEdit4, visit, QStringLiteral("tabl_gues_rema"));
    bookingsModel =
        bindGrid(DBGrid11, dm_->adoqry_bookin,
                 {GridColumn{QStringLiteral("book_name"), QStringLiteral("预订客人"), QString(), 110},
                  GridColumn{QStringLiteral("book_coun"), QStringLiteral("人数"), QString(), 50},
                  GridColumn{QStringLiteral("book_time"), QStringLiteral("预订时间"), QStringLiteral("yyyy-mm-dd hh:nn"), 130},
                  GridColumn{QStringLiteral("tablname"), QStringLiteral("台桌号"), QString(), 90},
                  GridColumn{QStringLiteral("oper_code"), QStringLiteral("预订操作员"), QString(), 80},
                  GridColumn{QStringLiteral("book_tele"), QStringLiteral("联系电话"), QString(), 120},
                  GridColumn{QStringLiteral("book_rema"), QStringLiteral("备注"), QString(), 150}});
    styleGrid(DBGrid11, kSelectedRowColour);
}

bool RegisterScreen::enter() {
    if (!beginOpening(*main_, *dm_)) return false;
    showToolButton(toolb_In, main_->hasAction(QStringLiteral("register.takeBooking")));
    main_->ShowPanel(pnl_Register, main_->pnl_Parent, 1);
    DBEdit1->setFocus();
    return true;
}

void RegisterScreen::open() {
    // What is typed reaches the visit before the opening writes its key into it (a change of
    // the row shows the row's values again in every bound edit).
    for (QLineEdit* e : {DBEdit1, DBEdit2, DBEdit3, DBEdit4}) emit e->editingFinished();
    try {
        StatusProgress progress(main_->StatusBar1);
        openTable(*dm_, [&progress] { progress.step(); });
    } catch (const StaleData&) {
        // Another front desk opened the table first: nothing was stored; back to the board,
        // which the refusal reads again.
        dm_->adoqry_TableGues->cancel();
        dm_->adoqry_table->cancel();
        releaseTakenBooking(*dm_);
        main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
        work_->EditDict_TableState->setEnabled(true);
        work_->EditDict_TableState->setFocus();
        throw;
    }
    workScreen_->setEditsEnabled(true);
    workScreen_->showScreen(true);
}

void RegisterScreen::takeBooking() {
    Dataset& bookings = *dm_->adoqry_bookin;
    if (dm_->adoqry_TableGues->state() != Dataset::Insert || !bookings.active() || bookings.isEmpty()) return;
    if (!prompter().question(QStringLiteral("是否将[预订信息]加入到[开台信息]中，请确定操作!"))) return;
    kx::frontdesk::takeBooking(*dm_);
}

void RegisterScreen::back() {
    cancelOpening(*dm_);
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setEnabled(true);
    work_->EditDict_TableState->setFocus();
}

} // namespace kx::frontdesk
