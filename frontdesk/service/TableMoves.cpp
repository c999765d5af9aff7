#include "TableMoves.h"

#include "BillCalc.h"
#include "ErrorGuard.h"
#include "PanelKit.h"
#include "Prompter.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "TableBoard.h"
#include "VisitMoves.h"
#include "WorkScreen.h"
#include "Transaction.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QToolBar>

namespace kx::frontdesk {

namespace {

QFrame* popupPanel(const QString& name, const QString& label, QLineEdit*& edit, const QString& editName,
                   QPushButton*& ok, const QString& okName, QPushButton*& cancel, const QString& cancelName) {
    auto* panel = new QFrame;
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->resize(260, 96);
    auto* layout = new QVBoxLayout(panel);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(label, panel));
    edit = new QLineEdit(panel);
    edit->setObjectName(editName);
    edit->setMaxLength(3);
    // Table codes are stored upper case: typed letters show so.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Za-z ]*")), edit));
    upperCaseEntry(edit);
    row->addWidget(edit);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    ok = makeButton(okName, QStringLiteral("确定"), panel);
    cancel = makeButton(cancelName, QStringLiteral("取消"), panel);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    panel->hide();
    return panel;
}

// Restores the cursor and the board's updating however the action ends.
class BoardBusy {
public:
    explicit BoardBusy(Dataset* board) : board_(board) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        board_->disableControls();
    }
    ~BoardBusy() {
        board_->enableControls();
        QApplication::restoreOverrideCursor();
    }

private:
    Dataset* board_;
};

} // namespace

TableMoves::TableMoves(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm) {
    pnl_changetable = popupPanel(QStringLiteral("pnl_changetable"), QStringLiteral("转入台号-"), editchange,
                                 QStringLiteral("editchange"), BitBtn1, QStringLiteral("BitBtn1"), BitBtn2,
                                 QStringLiteral("BitBtn2"));
    pnl_jointable = popupPanel(QStringLiteral("pnl_jointable"), QStringLiteral("并入台号-"), editjoin,
                               QStringLiteral("editjoin"), BitBtn3, QStringLiteral("BitBtn3"), BitBtn4,
                               QStringLiteral("BitBtn4"));
    pnl_changetable->setParent(work);
    pnl_jointable->setParent(work);
    connect(BitBtn1, &QPushButton::clicked, this, guard([this] { confirmTransfer(); }));
    connect(BitBtn2, &QPushButton::clicked, this, [this] { cancelPanel(pnl_changetable, editchange); });
    connect(BitBtn3, &QPushButton::clicked, this, guard([this] { confirmJoin(); }));
    connect(BitBtn4, &QPushButton::clicked, this, [this] { cancelPanel(pnl_jointable, editjoin); });

    main_->registerAction(QStringLiteral("work.transfer"), [this] { startTransfer(); });
    main_->registerAction(QStringLiteral("work.join"), [this] { startJoin(); });
    main_->registerAction(QStringLiteral("work.goon"), [this] { continueAccount(); });
    main_->registerAction(QStringLiteral("work.clear"), [this] { clearTable(); });
    main_->registerAction(QStringLiteral("work.back"), [this] { back(); });
}

void TableMoves::placeOn(WorkScreen* workScreen) {
    workScreen_ = workScreen;
    for (QFrame* p : {pnl_changetable, pnl_jointable}) {
        p->setParent(workScreen->pnl_Work);
        p->hide();
    }
    // A panel left open never comes back with the next table's work screen.
    connect(workScreen, &WorkScreen::shown, this, [this] { closePanels(); });
}

bool TableMoves::panelOpen() const { return pnl_changetable->isVisible() || pnl_jointable->isVisible(); }

void TableMoves::closePanels() {
    cancelPanel(pnl_changetable, editchange);
    cancelPanel(pnl_jointable, editjoin);
}

QString TableMoves::tableState() const { return dm_->adoqry_table->field(QStringLiteral("tabl_stat_code")).asString(); }

void TableMoves::setToolbarEnabled(bool on) {
    if (workScreen_) workScreen_->ToolBar3->setEnabled(on);
}

void TableMoves::resetInfoPages() { main_->runAction(QStringLiteral("work.resetInfo")); }

void TableMoves::cancelPanel(QFrame* panel, QLineEdit* edit) {
    setToolbarEnabled(true);
    panel->hide();
    edit->clear();
}

// ---------------------------------------------------------------- transfer and join

void TableMoves::startTransfer() {
    if (tableState() == QLatin1String("3")) {
        prompter().information(QStringLiteral("现在台桌不在[使用]状态，所以不能进行[转台]！"));
        throw SilentAbort();
    }
    setToolbarEnabled(false);
    pnl_changetable->move(260, 100);
    pnl_changetable->show();
    pnl_changetable->raise();
    editchange->setFocus();
}

void TableMoves::confirmTransfer() {
    const QString target = editchange->text().trimmed();
    if (db::scalarInt(main_->db(),
                      QStringLiteral("Select count(*) from tablelist where tabl_stat_code='1' and tabl_code=?"),
                      {target}) < 1) {
        prompter().information(QStringLiteral("此台桌[不存在]或未处于[空闲]状态，所以不能进行[转台]！"));
        editchange->setFocus();
        throw SilentAbort();
    }
    Dataset* board = dm_->adoqry_table;
    const QString current = board->field(QStringLiteral("tabl_code")).asString();
    const bool yes = prompter().question(QStringLiteral("是否将[") + current + QStringLiteral("]转为[") +
                                         editchange->text() + QStringLiteral("]，请确定操作!"));
    if (yes) {
        {
            BoardBusy busy(board);
            transferVisit(*dm_, target);
            showTableOnBoard(target);
        }
        prompter().information(QStringLiteral("系统已成功的转入[") + target + QStringLiteral("]台，请继续操作！"));
    }
    cancelPanel(pnl_changetable, editchange);
}

void TableMoves::startJoin() {
    if (tableState() == QLatin1String("3")) {
        prompter().information(QStringLiteral("现在台桌不在[使用]状态，所以不能进行[并台]！"));
        throw SilentAbort();
    }
    setToolbarEnabled(false);
    pnl_jointable->move(260, 100);
    pnl_jointable->show();
    pnl_jointable->raise();
    editjoin->setFocus();
}

void TableMoves::confirmJoin() {
    Dataset* board = dm_->adoqry_table;
    const QString target = editjoin->text().trimmed();
    const QString current = board->field(QStringLiteral("tabl_code")).asString();
    if (db::scalarInt(main_->db(),
                      QStringLiteral("Select count(*) from tablelist where (tabl_stat_code='2' or tabl_stat_code='4') "
                                     "and tabl_code=? and tabl_code<>?"),
                      {target, current}) < 1) {
        prompter().information(QStringLiteral("要[并入]的台桌不在[使用]状态，所以不能进行[并台]！"));
        editjoin->setFocus();
        throw SilentAbort();
    }
    const bool yes = prompter().question(QStringLiteral("是否将[") + current + QStringLiteral("]并入[") +
                                         editjoin->text() + QStringLiteral("]，请确定操作!"));
    if (yes) {
        {
            BoardBusy busy(board);
            joinVisit(*dm_, target);
            showTableOnBoard(target);
        }
        prompter().information(QStringLiteral("系统已成功的并入[") + target + QStringLiteral("]台，请继续操作！"));
    }
    cancelPanel(pnl_jointable, editjoin);
}

void TableMoves::showTableOnBoard(const QString& tableCode) {
    if (work_->tableBoard) {
        work_->tableBoard->showTable(tableCode);
        return;
    }
    Dataset* board = dm_->adoqry_table;
    board->setFiltered(false);
    board->locate(QStringLiteral("tabl_code"), tableCode);
}

void TableMoves::Sort() {
    if (work_->tableBoard) {
        work_->tableBoard->Sort();
        return;
    }
    Dataset* board = dm_->adoqry_table;
    board->checkBrowseMode();
    board->reread();
}

// ---------------------------------------------------------------- continue

void TableMoves::continueAccount() {
    if (!main_->Limite(QStringLiteral("GB"))) throw SilentAbort();
    if (tableState() != QLatin1String("3")) {
        prompter().information(kContinueRefused);
        throw SilentAbort();
    }
    if (!prompter().question(QStringLiteral("此台已结帐完毕，是否进行[续单]操作!"))) throw SilentAbort();
    continueVisit(*dm_);
    if (workScreen_) workScreen_->setEditsEnabled(true);
}

// ---------------------------------------------------------------- clear

void TableMoves::clearTable() {
    if (tableState() != QLatin1String("3")) {
        prompter().information(QStringLiteral("现在台桌不在[结帐]状态，所以不能进行[清台]！"));
        throw SilentAbort();
    }
    if (!prompter().question(QStringLiteral("此台已结帐完毕，是否进行[清台]操作!"))) throw SilentAbort();
    clearVisit(*dm_);
    resetInfoPages();
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setFocus();
}

// ---------------------------------------------------------------- back to the board

void TableMoves::back() {
    // Esc while a pop-up panel is open closes the panel, as its "取消" does.
    if (panelOpen()) {
        closePanels();
        if (workScreen_) workScreen_->DBGrid3->setFocus();
        return;
    }
    backToBoard();
}

void TableMoves::backToBoard() {
    Dataset* visit = dm_->adoqry_TableGues;
    Dataset* board = dm_->adoqry_table;
    const QString state = tableState();
    if (state == QLatin1String("2") || state == QLatin1String("4")) {
        // What was typed into the ticket number, remark and commission fields is kept.
        if (visit->state() == Dataset::Browse && !visit->isEmpty()) visit->edit();
        visit->post();
    }
    if (state == QLatin1String("2") || state == QLatin1String("3") || state == QLatin1String("4")) resetInfoPages();
    {
        const int recNo = board->recNo();
        board->checkBrowseMode();
        // Only tables whose guest fields differ are written.
        db::exec(dm_->database(),
                 QStringLiteral("update tablelist set tabl_gues_name=b.tabl_gues_name,tabl_gues_coun=b.tabl_gues_coun,"
                                "tabl_gues_time=b.tabl_gues_time,tabl_gues_shou=b.tabl_gues_shou from tableguestlist b "
                                "where tablelist.tabl_gues_auto_recn=b.tabl_gues_auto_recn and "
                                "(tablelist.tabl_gues_name is distinct from b.tabl_gues_name or "
                                "tablelist.tabl_gues_coun is distinct from b.tabl_gues_coun or "
                                "tablelist.tabl_gues_time is distinct from b.tabl_gues_time or "
                                "tablelist.tabl_gues_shou is distinct from b.tabl_gues_shou)"));
        Sort();
        board->first();
        if (recNo > 1) board->moveBy(recNo - 1);
    }
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setFocus();
}

} // namespace kx::frontdesk
