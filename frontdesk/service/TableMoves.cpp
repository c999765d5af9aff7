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
#include "TableInfo.h"
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

// The order-line columns an archived line keeps, in the archive's order.
const QString kArchivedLineColumns = QStringLiteral(
    "tabl_gues_auto_recn,tabl_code,tabl_name,tabl_code_old,clas_code,clas_name,item_code,item_unit_pric,"
    "tabl_cons_coun,tabl_cons_tota,tabl_cons_time,tabl_cons_time_work,item_type_code,oper_code,oper_name,"
    "dedu_oper_code,dedu_oper_name,item_dedu_pric,item_cost_pric,tabl_dedu_tota,tabl_cost_tota,cons_grou_narr,"
    "cons_narr_code,cons_narr_name,manu_yorn,menu_type_code,menu_type_name,grou_code,item_coun_flag,"
    "item_type_flag,disc_clas_perc,tabl_disc_tota,tabl_cons_flag,tabl_gues_end,serv_perc,tabl_serv_tota,"
    "tabl_d_bill,tabl_z_bill,tabl_t_bill,tabl_tz_bill,dept_name,orde_name,kind_name,kind_code,manu_name,"
    "item_name,item_unit");

const QString kArchivedPayColumns = QStringLiteral(
    "pay_type_code,pay_type_name,pay_type_mone,tabl_gues_auto_recn,pay_flag,pay_time,dept_name,orde_name,oper_name");

// The visit columns the archive of visits shares with the live visits, in the live order.
QString archivedVisitColumns(QSqlDatabase db) {
    static QString cached;
    if (!cached.isEmpty()) return cached;
    QStringList shared;
    const auto& archive = db::tableColumns(db, QStringLiteral("AllGues"));
    for (const db::ColumnInfo& c : db::tableColumns(db, QStringLiteral("TableGuestlist"))) {
        for (const db::ColumnInfo& a : archive)
            if (a.name.compare(c.name, Qt::CaseInsensitive) == 0) {
                shared << c.name;
                break;
            }
    }
    cached = shared.join(QLatin1Char(','));
    return cached;
}

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
    Dataset* visit = dm_->adoqry_TableGues;
    const QString current = board->field(QStringLiteral("tabl_code")).asString();
    const bool yes = prompter().question(QStringLiteral("是否将[") + current + QStringLiteral("]转为[") +
                                         editchange->text() + QStringLiteral("]，请确定操作!"));
    if (yes) {
        {
            BoardBusy busy(board);
            db::inTransaction(main_->db(), QStringLiteral("B100004"), [&] {
                visit->edit();
                visit->field(QStringLiteral("tabl_code")).setValue(target);
                board->edit();
                const QString state = board->field(QStringLiteral("tabl_stat_code")).asString();
                board->field(QStringLiteral("tabl_gues_auto_recn")).setValue(0);
                for (const char* column : {"tabl_gues_name", "tabl_gues_time", "tabl_gues_coun", "tabl_gues_shou"})
                    board->field(QString::fromLatin1(column)).clear();
                board->field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("1"));
                board->applyFilter(QStringLiteral("tabl_code<>'^-^'")); // stores the old row
                if (!board->locate(QStringLiteral("tabl_code"), target))
                    throw DbError(QStringLiteral("table %1 not found").arg(target));
                board->edit();
                board->field(QStringLiteral("tabl_gues_auto_recn")).setValue(visit->field(QStringLiteral("tabl_gues_auto_recn")).value());
                board->field(QStringLiteral("tabl_stat_code")).setValue(state);
                visit->field(QStringLiteral("tabl_type_code")).setValue(board->field(QStringLiteral("tabl_type_code")).value());
                visit->field(QStringLiteral("dept_code")).setValue(board->field(QStringLiteral("dept_code")).value());
                board->post();
                visit->post();
            });
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
    Dataset* visit = dm_->adoqry_TableGues;
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
            const qint64 joined = visit->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
            db::inTransaction(main_->db(), QStringLiteral("B100005"), [&] {
                board->edit();
                board->field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("1"));
                board->field(QStringLiteral("tabl_gues_auto_recn")).setValue(0);
                for (const char* column : {"tabl_gues_name", "tabl_gues_time", "tabl_gues_coun", "tabl_gues_shou"})
                    board->field(QString::fromLatin1(column)).clear();
                board->applyFilter(QStringLiteral("tabl_code<>'^-^'"));
                board->post();
                if (!board->locate(QStringLiteral("tabl_code"), target))
                    throw DbError(QStringLiteral("table %1 not found").arg(target));
                const qint64 into = board->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
                visit->checkBrowseMode();
                db::exec(main_->db(),
                         QStringLiteral("update tableconslist set tabl_code_old=?,tabl_gues_auto_recn=? where "
                                        "tabl_gues_auto_recn=?"),
                         {current, into, joined});
                db::exec(main_->db(), QStringLiteral("delete from tableguestlist where tabl_gues_auto_recn=?"), {joined});
                db::exec(main_->db(), QStringLiteral("delete from TableConsListTemp where tabl_gues_auto_recn=?"), {joined});
                dm_->adoqry_TableCons->setSql(
                    QStringLiteral("select * from TableConsList where tabl_gues_auto_recn=? order by tabl_cons_id"), {into});
                dm_->adoqry_TableCons->open();
                visit->refreshRows(QStringLiteral("tabl_gues_auto_recn"), {joined, into});
                if (!visit->locate(QStringLiteral("tabl_gues_auto_recn"), into))
                    throw DbError(QStringLiteral("visit %1 not found").arg(into));
                storeVisitSubtotals(*dm_, SubtotalBasis::CountTimesPrice);
                visit->post();
                visit->edit();
                ReTotal(*dm_);
                visit->post();
            });
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
    board->refresh();
}

// ---------------------------------------------------------------- continue

void TableMoves::continueAccount() {
    if (!main_->Limite(QStringLiteral("GB"))) throw SilentAbort();
    if (tableState() != QLatin1String("3")) {
        prompter().information(QStringLiteral("现在台桌不在[结帐]状态，所以不能进行[续单]！"));
        throw SilentAbort();
    }
    if (!prompter().question(QStringLiteral("此台已结帐完毕，是否进行[续单]操作!"))) throw SilentAbort();
    db::inTransaction(main_->db(), QStringLiteral("B100003"), [this] { Goon(); });
    if (workScreen_) workScreen_->setEditsEnabled(true);
}

void TableMoves::Goon() {
    Dataset* visit = dm_->adoqry_TableGues;
    Dataset* board = dm_->adoqry_table;
    QSqlDatabase db = main_->db();
    visit->edit();
    board->edit();
    const qint64 key = visit->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    const QString hangCode = visit->field(QStringLiteral("hang_code")).asString();
    const double hangMone = visit->field(QStringLiteral("hang_mone")).asFloat();
    const QString cardCode = visit->field(QStringLiteral("memb_card_code")).asString();
    const double cardMone = visit->field(QStringLiteral("memb_mone")).asFloat();

    for (const char* column : {"tabl_gues_disc", "tabl_gues_tax", "tabl_gues_fact", "dedu_mone", "disc_perc"})
        visit->field(QString::fromLatin1(column)).setValue(0);
    visit->field(QStringLiteral("tabl_gues_tax_real")).setValue(false);
    visit->field(QStringLiteral("disc_code")).setValue(QStringLiteral("N"));
    for (const char* column : {"tabl_gues_pay_narr", "hang_code", "hang_name", "memb_card_code", "memb_name"})
        visit->field(QString::fromLatin1(column)).clear();
    visit->field(QStringLiteral("tabl_gues_stat")).setValue(QStringLiteral("2"));

    // The account and the card get back what this visit recorded, changed in the database
    // itself so that another front desk's charge in the meantime is kept.
    if (hangMone > 0) {
        db::exec(db, QStringLiteral("update hanggues set hang_gues_use=round(hang_gues_use-?,2) where hang_gues_code=?"),
                 {hangMone, hangCode});
        visit->field(QStringLiteral("hang_mone")).setValue(0);
    }
    if (cardMone > 0) {
        db::exec(db, QStringLiteral("update MemberList set memb_use=round(memb_use-?,2),memb_surp=round(memb_surp+?,2) where memb_card_code=?"),
                 {cardMone, cardMone, cardCode});
        visit->field(QStringLiteral("memb_mone")).setValue(0);
    }
    board->field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("4"));
    visit->post();
    board->post();
    db::exec(db, QStringLiteral("delete from tableguespay where tabl_gues_auto_recn=?"), {key});
    db::exec(db, QStringLiteral("update TableConsList set tabl_gues_end=0 where tabl_gues_auto_recn=?"), {key});
    visit->edit();
    ReTotal(*dm_);
    visit->post();
    if (hangMone > 0 && dm_->adoqry_hanggues->active())
        dm_->adoqry_hanggues->refreshRows(QStringLiteral("hang_gues_code"), {hangCode});
    if (cardMone > 0 && dm_->adoqry_Member->active())
        dm_->adoqry_Member->refreshRows(QStringLiteral("memb_card_code"), {cardCode});
}

// ---------------------------------------------------------------- clear

void TableMoves::clearTable() {
    if (tableState() != QLatin1String("3")) {
        prompter().information(QStringLiteral("现在台桌不在[结帐]状态，所以不能进行[清台]！"));
        throw SilentAbort();
    }
    if (!prompter().question(QStringLiteral("此台已结帐完毕，是否进行[清台]操作!"))) throw SilentAbort();
    Dataset* visit = dm_->adoqry_TableGues;
    Dataset* board = dm_->adoqry_table;
    QSqlDatabase db = main_->db();
    const qint64 key = visit->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    const QString code = board->field(QStringLiteral("tabl_code")).asString();

    visit->edit();
    visit->field(QStringLiteral("tabl_gues_use")).setValue(false);
    visit->field(QStringLiteral("tabl_gues_stat")).setValue(QStringLiteral("1"));
    const bool booked = db::scalarInt(db, QStringLiteral("Select count(*) from bookin where tabl_code=?"), {code}) > 0;
    board->edit();
    board->field(QStringLiteral("tabl_stat_code")).setValue(booked ? QStringLiteral("5") : QStringLiteral("1"));
    board->field(QStringLiteral("tabl_gues_auto_recn")).setValue(0);
    for (const char* column : {"tabl_gues_name", "tabl_gues_coun", "tabl_gues_time", "tabl_gues_shou"})
        board->field(QString::fromLatin1(column)).clear();

    {
        board->disableControls();
        struct Resume {
            Dataset* d;
            ~Resume() { d->enableControls(); }
        } resume{board};
        const QString deptName = visit->field(QStringLiteral("dept_name")).asString();
        const QString shiftName = visit->field(QStringLiteral("orde_name")).asString();
        const QString operName = visit->field(QStringLiteral("oper_name")).asString();
        db::inTransaction(db, QStringLiteral("B100006"), [&] {
            board->post();
            visit->post();
            const QString visitColumns = archivedVisitColumns(db);
            db::exec(db, QStringLiteral("insert into AllGues (%1) select %1 from TableGuestlist where tabl_gues_auto_recn=?")
                             .arg(visitColumns),
                     {key});
            db::exec(db, QStringLiteral("insert into AllCons (%1) select %1 from TableConsList where tabl_gues_auto_recn=?")
                             .arg(kArchivedLineColumns),
                     {key});
            // Each line carries its quantity in the column of its mode.
            const std::pair<const char*, const char*> modes[] = {
                {"tabl_d_bill", "1"}, {"tabl_t_bill", "2"}, {"tabl_z_bill", "3"}, {"tabl_tz_bill", "4"}};
            for (const auto& [column, mode] : modes)
                db::exec(db,
                         QStringLiteral("update AllCons set %1=tabl_cons_coun where menu_type_code=? and tabl_gues_auto_recn=?")
                             .arg(QString::fromLatin1(column)),
                         {QString::fromLatin1(mode), key});
            // Names as they stand now.
            db::exec(db, QStringLiteral("update AllCons set menu_type_name=b.menu_type_name from OrderMenuType b "
                                        "where AllCons.menu_type_code=b.menu_type_code and AllCons.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllCons set clas_name=b.clas_name from classlist b "
                                        "where AllCons.clas_code=b.clas_code and AllCons.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllCons set tabl_name=b.tabl_name from Tablelist b "
                                        "where AllCons.tabl_code=b.tabl_code and AllCons.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllCons set cons_narr_name=b.cons_narr_name from ConsNarrList b "
                                        "where AllCons.cons_narr_code=b.cons_narr_code and AllCons.tabl_gues_auto_recn=?"),
                     {key});
            // Lines left on the visit's order pad (an order screen left without committing) go.
            db::exec(db, QStringLiteral("delete from TableConsListTemp where tabl_gues_auto_recn=?"), {key});
            db::exec(db, QStringLiteral("update TableGuesPay set dept_name=?,orde_name=?,oper_name=? where tabl_gues_auto_recn=?"),
                     {deptName, shiftName, operName, key});
            db::exec(db, QStringLiteral("insert into AllGuesPay (%1) select %1 from TableGuesPay where tabl_gues_auto_recn=?")
                             .arg(kArchivedPayColumns),
                     {key});
            db::exec(db, QStringLiteral("update AllGues set grou_name=b.grou_name from GroupList b "
                                        "where AllGues.grou_code=b.grou_code and AllGues.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllGues set area_name=b.area_name from areaList b "
                                        "where AllGues.area_code=b.area_code and AllGues.tabl_gues_auto_recn=?"),
                     {key});
            const std::pair<const char*, const char*> kinds[] = {
                {"tota_y", "预  定"}, {"tota_z", "指  定"}, {"tota_l", "领  位"}};
            for (const auto& [column, kind] : kinds)
                db::exec(db,
                         QStringLiteral("update AllGues set %1=tabl_gues_fact-tabl_gues_tax-dedu_mone where dedu_type=? "
                                        "and tabl_gues_auto_recn=?")
                             .arg(QString::fromLatin1(column)),
                         {QString::fromUtf8(kind), key});
            db::exec(db, QStringLiteral("update AllGues set dedu_oper_name=b.dedu_oper_name,tota_stan=b.dedu_oper_stan "
                                        "from DeduOperatorlist b where AllGues.dedu_oper_code=b.dedu_oper_code "
                                        "and AllGues.tabl_gues_auto_recn=?"),
                     {key});
            db::exec(db, QStringLiteral("update AllGues set book_oper_name=b.oper_name from Operatorlist b "
                                        "where AllGues.book_oper_code=b.oper_code and AllGues.tabl_gues_auto_recn=?"),
                     {key});
        });
    }
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
        board->disableControls();
        struct Resume {
            Dataset* d;
            ~Resume() { d->enableControls(); }
        } resume{board};
        const int recNo = board->recNo();
        board->execCommand(QStringLiteral(
            "update tablelist set tabl_gues_name=b.tabl_gues_name,tabl_gues_coun=b.tabl_gues_coun,"
            "tabl_gues_time=b.tabl_gues_time,tabl_gues_shou=b.tabl_gues_shou from tableguestlist b "
            "where tablelist.tabl_gues_auto_recn=b.tabl_gues_auto_recn"));
        Sort();
        board->first();
        if (recNo > 1) board->moveBy(recNo - 1);
    }
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setFocus();
}

} // namespace kx::frontdesk
