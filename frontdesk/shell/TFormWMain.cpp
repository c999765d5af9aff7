#include "TFormWMain.h"

#include "MainWindowKit.h"

#include "Clock.h"
#include "EnterAsTab.h"
#include "ErrorGuard.h"
#include "Permission.h"
#include "Prompter.h"
#include "Schema.h"
#include "SingleInstance.h"
#include "TDMTable.h"
#include "TFormWork.h"
#include "WorkScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace kx::frontdesk {

namespace {
// The client area of the main window; the frame adds its border.
constexpr int kClientWidth = 792;
constexpr int kClientHeight = 543;
} // namespace

TFormWMain::TFormWMain(const QString& databaseFile, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TFormWMain"));
    // The connection opens while the window is built.
    db::openVenueDatabase(ADOConnection1, databaseFile, Clock::today());

    setWindowTitle(QStringLiteral("Kestrix餐饮娱乐管理系统Ver 9.0-前台操作"));
    fixMainWindowFrame(this);
    setFixedSize(kClientWidth, kClientHeight);

    pnl_Parent = new QWidget(this);
    pnl_Parent->setObjectName(QStringLiteral("pnl_Parent"));
    setCentralWidget(pnl_Parent);

    StatusBar1 = addStatusPanels(this, {100, 280, 220, 0}, Qt::AlignLeft | Qt::AlignVCenter, statusPanel);

    // Creation: Enter moves on, the clock runs, dates read yyyy-mm-dd, the scratch query.
    EnterAsTab::install();
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    ScratchQuery = new db::Dataset(ADOConnection1.db(), QStringLiteral("ScratchQuery"), QString(), this);
    Timer1 = startStatusClock(statusPanel[3], this);

    // Where the screen allows it the window is centred; on an 800-pixel screen it fills it.
    placeMainWindow(this);

    ErrorGuard::configure(ProgramKind::FrontDesk, [this] { closeSilently(); });
    qApp->installEventFilter(this);
    instance_ = InstanceName::listen(InstanceName::FrontDesk, this);
}

TFormWMain::~TFormWMain() {
    if (qApp) qApp->removeEventFilter(this);
    EnterAsTab::remove();
    // The scratch query goes before the connection it uses is closed.
    delete ScratchQuery;
    ScratchQuery = nullptr;
}

void TFormWMain::attach(TFormWork* work, TDMTable* dm) {
    work_ = work;
    dm_ = dm;
}

void TFormWMain::ShowPanel(QWidget* panel, QWidget* host, int flag) {
    if (!panel || !host) return;
    showPanel(panel, host);
    if (flag == 1) currentPanel_ = panel;
}

bool TFormWMain::Limite(const QString& code) {
    return kx::Limite(*ScratchQuery, dm_->setup.text(QStringLiteral("mana_code")), code, ProgramKind::FrontDesk);
}

void TFormWMain::LogSet(const QString& text) {
    kx::LogSet(db(), dm_ ? dm_->setup.text(QStringLiteral("opername")) : QString(), text);
}

void TFormWMain::registerAction(const QString& action, std::function<void()> handler) {
    actions_.insert(action, std::move(handler));
}

bool TFormWMain::runAction(const QString& action) {
    auto it = actions_.find(action);
    if ((it == actions_.end() || !*it) && resolver_ && resolver_(action)) it = actions_.find(action);
    if (it == actions_.end() || !*it) return false;
    guarded(*it);
    return true;
}

bool TFormWMain::hasAction(const QString& action) const {
    auto it = actions_.constFind(action);
    return it != actions_.constEnd() && bool(*it);
}

const std::vector<std::pair<ShortcutKey, QString>>& TFormWMain::shortcutTable() {
    static const std::vector<std::pair<ShortcutKey, QString>> table = {
        {{"board", Qt::Key_Plus, true}, "board.open"},
        {{"board", Qt::Key_F12, false}, "board.search"},
        {{"board", Qt::Key_Escape, false}, "exit"},
        {{"board", Qt::Key_Menu, false}, "board.menu"},
        {{"pnl_Work", Qt::Key_Plus, true}, "work.order"},
        {{"pnl_Work", Qt::Key_Minus, true}, "work.clear"},
        {{"pnl_Work", Qt::Key_Asterisk, true}, "work.checkout"},
        {{"pnl_Work", Qt::Key_Escape, false}, "work.back"},
        {{"pnl_Register", Qt::Key_Plus, true}, "register.open"},
        {{"pnl_Register", Qt::Key_F12, false}, "register.focusManualNumber"},
        {{"pnl_Register", Qt::Key_Escape, false}, "register.back"},
        {{"pnl_ConsItem", Qt::Key_Asterisk, true}, "cons.commit"},
        {{"pnl_ConsItem", Qt::Key_Minus, true}, "cons.delete"},
        {{"pnl_ConsItem", Qt::Key_Escape, false}, "cons.back"},
        {{"pnl_ConsItem", Qt::Key_F5, false}, "cons.mode1"},
        {{"pnl_ConsItem", Qt::Key_F6, false}, "cons.mode2"},
        {{"pnl_ConsItem", Qt::Key_F7, false}, "cons.mode3"},
        {{"pnl_ConsItem", Qt::Key_F8, false}, "cons.mode4"},
        {{"pnl_ConsItem", Qt::Key_F12, false}, "cons.focusNumber"},
        {{"pnl_ConsItem", Qt::Key_F11, false}, "cons.byNumber"},
        {{"pnl_Bill", Qt::Key_Slash, true}, "bill.print"},
        {{"pnl_Bill", Qt::Key_F10, false}, "bill.preview"},
        {{"pnl_Bill", Qt::Key_F11, false}, "bill.payPrior"},
        {{"pnl_Bill", Qt::Key_F12, false}, "bill.payNext"},
        {{"pnl_Bill", Qt::Key_Asterisk, true}, "bill.settle"},
        {{"pnl_Bill", Qt::Key_Escape, false}, "bill.back"},
        {{"pnl_Setup", Qt::Key_Escape, false}, "setup.cancel"},
        {{"pnl_Reagain", Qt::Key_Escape, false}, "reagain.back"},
        // The staff reports' mode toggles, in their order.
        {{"pnl_B4", Qt::Key_F5, false}, "pnl_B4.mode1"},
        {{"pnl_B4", Qt::Key_F6, false}, "pnl_B4.mode2"},
        {{"pnl_B4", Qt::Key_F7, false}, "pnl_B4.mode3"},
        {{"pnl_B5", Qt::Key_F5, false}, "pnl_B5.mode1"},
        {{"pnl_B5", Qt::Key_F6, false}, "pnl_B5.mode2"},
        {{"pnl_B5", Qt::Key_F7, false}, "pnl_B5.mode3"},
        {{"pnl_B5", Qt::Key_F8, false}, "pnl_B5.mode4"},
    };
    return table;
}

QString TFormWMain::actionFor(int key, Qt::KeyboardModifiers modifiers) const {
    if (!currentPanel_) return QString();
    QString panel = currentPanel_->objectName();
    const bool board = panel == QLatin1String("pnl_TableStateG") || panel == QLatin1String("pnl_TableState");
    if (board) panel = QStringLiteral("board");
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    for (const auto& [k, action] : shortcutTable()) {
        if (k.panel != panel || k.key != key) continue;
        if (k.keypad && !keypad) continue;
        // The board's table keys work only once the board area shows, after a login.
        if (board && k.key != Qt::Key_Escape && work_ && work_->pnl_TableStateP->isHidden()) return QString();
        // While a pop-up panel of the work screen holds its toolbar, only Esc (which closes the
        // panel) works there.
        if (panel == QLatin1String("pnl_Work") && k.key != Qt::Key_Escape && work_ && work_->workScreen.peek() &&
            !work_->workScreen.peek()->ToolBar3->isEnabled())
            return QString();
        return action;
    }
    return QString();
}

bool TFormWMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || closed_) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this) return false;
    // Key preview: the window sees a key once, before the control that has the focus. The focus
    // is the window's own (the application's is empty while no window is active).
    QWidget* focus = focusWidget();
    if (focus ? w != focus : w != this) return false;
    if (QApplication::activeModalWidget()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QString action = actionFor(key->key(), key->modifiers());
    if (action.isEmpty()) return false;
    if (action == QLatin1String("exit")) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return true;
    }
    runAction(action);
    return true;
}

void TFormWMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (shown_) return;
    shown_ = true;
    guarded([this] { firstShow(); });
}

void TFormWMain::firstShow() {
    shown_ = true;
    setWindowTitle(QStringLiteral("Kestrix餐饮娱乐管理系统Ver 9.0-前台操作"));
    if (screenTooSmall()) {
        SilentExit = true;
        prompter().information(QStringLiteral("请使用分辨率大于800*600的显示模式，现在系统将退出！"));
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    if (!work_ || !dm_) return;
    work_->showBoard();
    if (work_->dbl_order->isEnabled()) work_->dbl_order->setFocus();
    // No shift is chosen until someone logs in.
    dm_->adoqry_SetupPay->first();
    dm_->adoqry_SetupPay->edit();
    dm_->adoqry_SetupPay->field(QStringLiteral("orde_code")).clear();
    dm_->adoqry_table->setSql(QStringLiteral("select * from tablelist order by tabl_code"));
    dm_->adoqry_table->open();
}

void TFormWMain::closeSilently() {
    SilentExit = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TFormWMain::showHelp() { kx::showHelp(); }

void TFormWMain::closeEvent(QCloseEvent* e) {
    if (closed_) {
        e->accept();
        return;
    }
    if (!SilentExit) {
        if (!prompter().question(QStringLiteral("请确定是否退出") + ProductTitle + QStringLiteral("!"))) {
            e->ignore();
            return;
        }
    }
    closed_ = true;
    // The closing log line; after a fatal error the database may refuse it, which must not
    // keep the program from closing.
    try {
        if (dm_ && ADOConnection1.isOpen())
            LogSet(QStringLiteral("[") + dm_->setup.text(QStringLiteral("ordename")) + QStringLiteral("][退出系统]"));
    } catch (...) {
    }
    Timer1->stop();
    e->accept();
}

} // namespace kx::frontdesk
