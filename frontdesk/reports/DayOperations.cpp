#include "DayOperations.h"

#include "BusinessDay.h"

#include "Backup.h"
#include "Binder.h"
#include "Clock.h"
#include "ErrorGuard.h"
#include "Login.h"
#include "ProgressBar.h"
#include "PanelKit.h"
#include "NumberEntry.h"
#include "Prompter.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "TableBoard.h"
#include "Transaction.h"
#include "Values.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {


QToolBar* screenBar(QWidget* panel) {
    auto* bar = new QToolBar(panel);
    bar->setObjectName(panel->objectName() + QStringLiteral("_Bar"));
    return bar;
}

QLabel* heading(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
    return l;
}

QTableView* grid(const QString& name, QWidget* parent) {
    auto* g = new QTableView(parent);
    g->setObjectName(name);
    g->verticalHeader()->setDefaultSectionSize(22);
    g->verticalHeader()->hide();
    g->setStyleSheet(QStringLiteral("QTableView::item:selected { color: black; background: white; }"));
    return g;
}

QLineEdit* amountEdit(const QString& name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    limitNumberEntry(e, ranges::amount);
    return e;
}

} // namespace

// ---------------------------------------------------------------- the day, without screens

void startDay(TDMTable& dm) {
    Dataset* setup = dm.adoqry_SetupPay;
    QSqlDatabase db = dm.database();
    db::inTransaction(db, QStringLiteral("B100008"), [&] {
        // Not started meanwhile by another desk.
        if (db::exists(db, QStringLiteral("SELECT 1 FROM SetupPay WHERE COALESCE(pay_star, 0) <> 0"))) throw StaleData();
        db::openBusinessDay(db);
        if (setup->state() == Dataset::Browse) setup->edit();
        setup->field(QStringLiteral("time_work")).setValue(QDateTime(Clock::today(), QTime(0, 0)));
        setup->field(QStringLiteral("pay_star")).setValue(true);
        setup->field(QStringLiteral("time_star")).setValue(Clock::now());
        setup->post();
    });
}

void endDay(TDMTable& dm, const QDateTime& business, const std::function<void()>& step) {
    Dataset* setup = dm.adoqry_SetupPay;
    QSqlDatabase db = dm.database();
    auto progress = [&step] {
        if (step) step();
    };
    db::inTransaction(db, QStringLiteral("B100009"), [&] {
        // Still the day this desk is ending: another desk may have ended it first.
        if (!db::exists(db, QStringLiteral("SELECT 1 FROM SetupPay WHERE COALESCE(pay_star, 0) <> 0 AND date(time_work) = date(?)"),
                        {business}))
            throw StaleData();
        dm.adoqry_otherincome->checkBrowseMode();
        progress();
        db::closeBusinessDay(db, business, progress);
        if (setup->state() == Dataset::Browse) setup->edit();
        setup->field(QStringLiteral("pay_star")).setValue(false);
        setup->field(QStringLiteral("time_end")).setValue(Clock::now());
        setup->post();
        progress();
    });
}

void addStartAmounts(QSqlDatabase db) {
    db::exec(db, QStringLiteral("update paytotaltemp set pay_star_mone=b.pay_star_mone,"
                                "pay_fact_mone=coalesce(b.pay_star_mone,0)+coalesce(paytotaltemp.pay_type_mone,0) "
                                "from paytypelist b where paytotaltemp.pay_type_code=b.pay_type_code"));
}

void summarizeShift(QSqlDatabase db) {
    db::exec(db, QStringLiteral("delete from paytotaltemp"));
    if (db::scalarInt(db, QStringLiteral("select count(*) from allguespay where pay_flag=0")) == 0) {
        db::exec(db, QStringLiteral("insert into paytotaltemp(pay_type_code,pay_type_name,pay_type_coun,pay_type_mone) "
                                    "select pay_type_code,pay_type_name,0,0 from paytypelist"));
    } else {
        db::exec(db, QStringLiteral(
                         "insert into paytotaltemp(pay_type_code,pay_type_name,pay_type_coun,pay_type_mone) "
                         "select aa.pay_type_code,aa.pay_type_name,"
                         "(select count(*) from AllGuesPay bb where bb.pay_type_code=aa.pay_type_code "
                         "and bb.pay_type_mone>0 and bb.pay_flag=0),sum(aa.pay_type_mone) "
                         "from AllGuesPay aa where aa.pay_flag=0 group by aa.pay_type_code,aa.pay_type_name"));
    }
    addStartAmounts(db);
}

void handOverShift(TDMTable& dm, const QDateTime& business, const QString& remark, const QString& operCode,
                   const QString& operName) {
    QSqlDatabase db = dm.database();
    db::inTransaction(db, QStringLiteral("B100010"), [&] {
        dm.adoqry_paytypetemp->checkBrowseMode();
        // The summary is taken again inside the transaction, over the lines it then marks: a
        // bill another desk cleared since the screen opened is counted in this shift, not
        // marked as handed over without being counted.
        summarizeShift(db);
        db::exec(db, QStringLiteral("update tableguespay set pay_flag=0"));
        // Payment lines of every visit no longer in use are handed over, also of visits a day
        // end has already removed; lines of visits checked out but not cleared stay.
        db::exec(db, QStringLiteral("update tableguespay set pay_flag=1 where tabl_gues_auto_recn not in "
                                    "(select tabl_gues_auto_recn from tableguestlist where tabl_gues_use<>0)"));
        db::exec(db, QStringLiteral("delete from tableguespay where pay_flag<>0"));
        db::exec(db, QStringLiteral("update paytypelist set pay_star_mone=0"));
        db::exec(db, QStringLiteral("update Allguespay set pay_flag=1 where pay_flag=0"));
        db::exec(db, QStringLiteral("insert into Allpaytotal(pay_date_work,pay_rema,pay_type_code,pay_type_name,"
                                    "pay_star_mone,pay_type_mone,pay_type_coun,pay_fact_mone,pay_date,oper_code,oper_name) "
                                    "select ?,?,pay_type_code,pay_type_name,pay_star_mone,pay_type_mone,pay_type_coun,"
                                    "pay_fact_mone,?,?,? from Paytotaltemp"),
                 {business, remark, Clock::now(), operCode, operName});
    });
}

DayOperations::DayOperations(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm) {
    build();
    connect(work_->toolb_Chcek, &QToolButton::clicked, this, guard([this] { showBeginEnd(); }));
    QMenu* reports = work_->toolb_Report->menu();
    QAction* n1 = reports->addAction(QStringLiteral("当前营业统计"));
    n1->setObjectName(QStringLiteral("N1"));
    QAction* n2 = reports->addAction(QStringLiteral("员工交班处理"));
    n2->setObjectName(QStringLiteral("N2"));
    connect(n1, &QAction::triggered, this, guard([this] { showTotals(); }));
    connect(n2, &QAction::triggered, this, guard([this] { showHandover(); }));
    // The analysis and query reports, and the database's initialisation: each runs the action
    // its screen registers ("reports.N5" …) and shows only once one is registered.
    const std::vector<std::vector<std::pair<const char*, const char*>>> groups = {
        {{"N5", "销售分析报表"}, {"N6", "房台分析报表"}, {"N3", "点单分析报表"}, {"N7", "操作分析报表"}, {"N8", "业绩分析报表"}},
        {{"N10", "帐单查询报表"}, {"N11", "点单查询报表"}, {"N12", "会员查询报表"}, {"N13", "挂帐查询报表"}},
        {{"N15", "初始化数据库"}}};
    std::vector<QAction*> entries;
    for (const auto& group : groups) {
        reports->addSeparator();
        for (const auto& [name, caption] : group) {
            QAction* a = reports->addAction(QString::fromUtf8(caption));
            const QString action = QStringLiteral("reports.") + QString::fromLatin1(name);
            a->setObjectName(QString::fromLatin1(name));
            a->setVisible(main_->hasAction(action));
            connect(a, &QAction::triggered, this, [this, action] { main_->runAction(action); });
            entries.push_back(a);
        }
    }
    connect(reports, &QMenu::aboutToShow, this, [this, entries] {
        for (QAction* a : entries)
            a->setVisible(main_->hasAction(QStringLiteral("reports.") + a->objectName()));
    });
    connect(ToolButton42, &QToolButton::clicked, this, guard([this] { dayStart(true); }));
    connect(ToolButton46, &QToolButton::clicked, this, guard([this] { dayEnd(true); }));
    connect(ToolButton47, &QToolButton::clicked, this, guard([this] { saveAndBack(); }));
    connect(ToolButton45, &QToolButton::clicked, this, guard([this] { backToBoard(); }));
    connect(SpeedButton13, &QToolButton::clicked, this, guard([this] { submitStartAmounts(); }));
    connect(ToolButton51, &QToolButton::clicked, this, guard([this] { handOver(); }));
    connect(ToolButton52, &QToolButton::clicked, this, guard([this] { previewHandoverReport(); }));
    main_->autoDayEnd = [this] { dayEnd(false); };
    main_->autoDayStart = [this] { dayStart(false); };
}

void DayOperations::build() {
    // --- day start and day end
    pnl_BeginEnd = makePanel(QStringLiteral("pnl_BeginEnd"), work_);
    pnl_BeginEnd->resize(792, 520);
    {
        auto* layout = new QVBoxLayout(pnl_BeginEnd);
        QToolBar* bar = screenBar(pnl_BeginEnd);
        ToolButton42 = addToolButton(bar, QStringLiteral("ToolButton42"), QStringLiteral("日始"));
        ToolButton46 = addToolButton(bar, QStringLiteral("ToolButton46"), QStringLiteral("日结"));
        ToolButton47 = addToolButton(bar, QStringLiteral("ToolButton47"), QStringLiteral("保存回退"));
        bar->addSeparator();
        ToolButton45 = addToolButton(bar, QStringLiteral("ToolButton45"), QStringLiteral("回退"));
        layout->addWidget(bar);
        layout->addWidget(heading(QStringLiteral("日始/日结处理"), pnl_BeginEnd));

        auto* state = new QFrame(pnl_BeginEnd);
        state->setFrameShape(QFrame::StyledPanel);
        auto* g = new QGridLayout(state);
        lbl_workdate = new QLabel(state);
        lbl_workdate->setObjectName(QStringLiteral("lbl_workdate"));
        lbl_daystate = new QLabel(state);
        lbl_daystate->setObjectName(QStringLiteral("lbl_daystate"));
        lbl_daystate->setStyleSheet(QStringLiteral("color: #b00000; font-size: 15px; font-weight: bold;"));
        lbl_timecaption = new QLabel(state);
        lbl_timecaption->setObjectName(QStringLiteral("lbl_timecaption"));
        lbl_time = new QLabel(state);
        lbl_time->setObjectName(QStringLiteral("lbl_time"));
        lbl_opercaption = new QLabel(state);
        lbl_opercaption->setObjectName(QStringLiteral("lbl_opercaption"));
        lbl_oper = new QLabel(state);
        lbl_oper->setObjectName(QStringLiteral("lbl_oper"));
        g->addWidget(lbl_workdate, 0, 0, 1, 2);
        g->addWidget(lbl_daystate, 1, 0, 1, 2);
        g->addWidget(lbl_timecaption, 2, 0);
        g->addWidget(lbl_time, 2, 1);
        g->addWidget(lbl_opercaption, 3, 0);
        g->addWidget(lbl_oper, 3, 1);
        layout->addWidget(state);

        DBGrid13 = grid(QStringLiteral("DBGrid13"), pnl_BeginEnd);
        layout->addWidget(DBGrid13, 1);
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("收入金额"), pnl_BeginEnd));
        dbe_OtherIncome = amountEdit(QStringLiteral("dbe_OtherIncome"), pnl_BeginEnd);
        row->addWidget(dbe_OtherIncome);
        row->addStretch();
        layout->addLayout(row);
        chk_WorkAuto = new QCheckBox(QStringLiteral("自动进行日始日结（适合于不跨日结算的单位，如：餐馆）"), pnl_BeginEnd);
        chk_WorkAuto->setObjectName(QStringLiteral("chk_WorkAuto"));
        chk_WorkBack = new QCheckBox(QStringLiteral("日结时是否进行自动数据备份！"), pnl_BeginEnd);
        chk_WorkBack->setObjectName(QStringLiteral("chk_WorkBack"));
        layout->addWidget(chk_WorkAuto);
        layout->addWidget(chk_WorkBack);
    }

    // --- current business statistics
    pnl_TotalDept = makePanel(QStringLiteral("pnl_TotalDept"), work_);
    pnl_TotalDept->resize(792, 520);
    {
        auto* layout = new QVBoxLayout(pnl_TotalDept);
        QToolBar* bar = screenBar(pnl_TotalDept);
        QToolButton* back = addToolButton(bar, QStringLiteral("ToolButton45_TotalDept"), QStringLiteral("回退"));
        connect(back, &QToolButton::clicked, this, guard([this] { backToBoard(); }));
        layout->addWidget(bar);
        layout->addWidget(heading(QStringLiteral("当日营业统计报表"), pnl_TotalDept));
        lbl_TotalTime = new QLabel(pnl_TotalDept);
        lbl_TotalTime->setObjectName(QStringLiteral("lbl_TotalTime"));
        layout->addWidget(lbl_TotalTime);
        DBGrid14 = grid(QStringLiteral("DBGrid14"), pnl_TotalDept);
        layout->addWidget(DBGrid14, 1);
    }

    // --- shift handover
    pnl_connect = makePanel(QStringLiteral("pnl_connect"), work_);
    pnl_connect->resize(792, 520);
    {
        auto* layout = new QVBoxLayout(pnl_connect);
        QToolBar* bar = screenBar(pnl_connect);
        ToolButton51 = addToolButton(bar, QStringLiteral("ToolButton51"), QStringLiteral("交班"));
        ToolButton52 = addToolButton(bar, QStringLiteral("ToolButton52"), QStringLiteral("预览/打印"));
        bar->addSeparator();
        QToolButton* back = addToolButton(bar, QStringLiteral("ToolButton45_Connect"), QStringLiteral("回退"));
        connect(back, &QToolButton::clicked, this, guard([this] { backToBoard(); }));
        layout->addWidget(bar);
        auto* body = new QHBoxLayout;
        auto* left = new QVBoxLayout;
        DBGrid16 = grid(QStringLiteral("DBGrid16"), pnl_connect);
        left->addWidget(DBGrid16, 1);
        auto* start = new QHBoxLayout;
        start->addWidget(new QLabel(QStringLiteral("初始金额"), pnl_connect));
        dbe_StarMone = amountEdit(QStringLiteral("dbe_StarMone"), pnl_connect);
        start->addWidget(dbe_StarMone);
        SpeedButton13 = new QToolButton(pnl_connect);
        SpeedButton13->setObjectName(QStringLiteral("SpeedButton13"));
        SpeedButton13->setText(QStringLiteral("提交"));
        start->addWidget(SpeedButton13);
        left->addLayout(start);
        left->addWidget(new QLabel(QStringLiteral("交班备注"), pnl_connect));
        Edit10 = new QLineEdit(pnl_connect);
        Edit10->setObjectName(QStringLiteral("Edit10"));
        left->addWidget(Edit10);
        body->addLayout(left, 2);

        auto* right = new QVBoxLayout;
        right->addWidget(heading(QStringLiteral("员工交班查询报表"), pnl_connect));
        lbl_ConnectTime = new QLabel(pnl_connect);
        lbl_ConnectTime->setObjectName(QStringLiteral("lbl_ConnectTime"));
        right->addWidget(lbl_ConnectTime);
        DBGrid15 = grid(QStringLiteral("DBGrid15"), pnl_connect);
        right->addWidget(DBGrid15, 1);
        auto* totals = new QGridLayout;
        const QString captions[] = {QStringLiteral("初始金额-"), QStringLiteral("收入笔数-"), QStringLiteral("收入金额-"),
                                    QStringLiteral("交班金额-")};
        QLabel** values[] = {&lbl_StarMone, &lbl_TypeCoun, &lbl_TypeMone, &lbl_FactMone};
        const char* names[] = {"lbl_StarMone", "lbl_TypeCoun", "lbl_TypeMone", "lbl_FactMone"};
        for (int i = 0; i < 4; ++i) {
            totals->addWidget(new QLabel(captions[i], pnl_connect), i / 2, (i % 2) * 2);
            *values[i] = new QLabel(pnl_connect);
            (*values[i])->setObjectName(QString::fromLatin1(names[i]));
            (*values[i])->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            totals->addWidget(*values[i], i / 2, (i % 2) * 2 + 1);
        }
        right->addLayout(totals);
        body->addLayout(right, 3);
        layout->addLayout(body, 1);
    }
    for (QFrame* p : {pnl_BeginEnd, pnl_TotalDept, pnl_connect}) p->hide();
}

// ---------------------------------------------------------------- day start and day end

void DayOperations::showBeginEnd() {
    if (!main_->Limite(QStringLiteral("BE"))) throw SilentAbort();
    Dataset* income = dm_->adoqry_otherincome;
    income->refresh();
    if (DBGrid13->model() == nullptr) {
        bindGrid(DBGrid13, income,
                 {{QStringLiteral("othe_inco_name"), QStringLiteral("其它收入项目"), QString(), 260},
                  {QStringLiteral("othe_inco_mone"), QStringLiteral("收入金额"), QStringLiteral("0.00"), 120}});
        bindLineEdit(dbe_OtherIncome, income, QStringLiteral("othe_inco_mone"));
        bindCheckBox(chk_WorkAuto, dm_->adoqry_SetupPay, QStringLiteral("work_auto"));
        bindCheckBox(chk_WorkBack, dm_->adoqry_SetupPay, QStringLiteral("work_back"));
    }
    showDayState();
    main_->ShowPanel(pnl_BeginEnd, main_->pnl_Parent, 1);
}

void DayOperations::showDayState() {
    lbl_workdate->setText(QStringLiteral("营业日期：") + dm_->setup.text(QStringLiteral("time_work")));
    if (dm_->setup.flag(QStringLiteral("pay_star"))) {
        lbl_daystate->setText(QStringLiteral("日始工作已经完成"));
        lbl_timecaption->setText(QStringLiteral("日始时间"));
        lbl_time->setText(showDateTime(dm_->setup.dateTime(QStringLiteral("time_star"))));
        lbl_opercaption->clear();
        lbl_oper->clear();
    } else {
        lbl_daystate->setText(QStringLiteral("日结完成,尚未日始"));
        lbl_timecaption->setText(QStringLiteral("日结时间"));
        lbl_time->setText(showDateTime(dm_->setup.dateTime(QStringLiteral("time_end"))));
    }
}

void DayOperations::dayStart(bool fromButton) {
    if (fromButton) {
        if (dm_->setup.flag(QStringLiteral("pay_star"))) {
            prompter().information(QStringLiteral("[日始处理]已处理完毕，所以不能处理，在[日结]后才能进行[日始处理]！"));
            throw SilentAbort();
        }
        if (!prompter().question(QStringLiteral("请确认是否进行[日始处理]!"))) throw SilentAbort();
    }
    startDay(*dm_);
    showDayState();
    lbl_time->setText(showDateTime(Clock::now()));
    dm_->adoqry_otherincome->refresh();
}

DayOperations::~DayOperations() {
    // A copy still being made is finished before the program goes.
    waitForBackup();
}

std::unique_ptr<db::SnapshotBackup> DayOperations::startDayEndBackup() {
    waitForBackup();
    return db::startDayEndBackup(main_->db(), dm_->setup.date(QStringLiteral("time_work")));
}

void DayOperations::finishInBackground(std::unique_ptr<db::SnapshotBackup> backup) {
    QPointer<DayOperations> self(this);
    backup_ = std::async(std::launch::async, [self, b = std::move(backup)]() mutable -> QString {
        QString failure;
        try {
            db::finishDayEndBackup(*b);
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        b.reset();
        if (!failure.isEmpty() && self)
            QMetaObject::invokeMethod(
                self.data(),
                [self, failure] {
                    if (!self) return;
                    self->waitForBackup();
                    guarded([&] {
                        prompter().information(QStringLiteral("日结的自动数据备份没有成功！\n") + failure);
                    });
                },
                Qt::QueuedConnection);
        return failure;
    });
}

QString DayOperations::waitForBackup() {
    if (!backup_.valid()) return QString();
    return backup_.get();
}

void DayOperations::dayEnd(bool fromButton) {
    QSqlDatabase db = main_->db();
    if (fromButton) {
        if (!dm_->setup.flag(QStringLiteral("pay_star"))) {
            prompter().information(QStringLiteral("现在还未进行日始处理，所以不能进行[日结]，请进行[日始处理]！"));
            throw SilentAbort();
        }
        const qint64 inUse = db::scalarInt(db, QStringLiteral("select count(*) from tableguestlist where tabl_gues_use<>0"));
        if (!prompter().question(QStringLiteral("现在还有[") + QString::number(inUse) +
                                 QStringLiteral("]个台正在使用，请选择是否进行[日结处理]!")))
            throw SilentAbort();
    }
    std::unique_ptr<db::SnapshotBackup> backup;
    if (dm_->setup.flag(QStringLiteral("work_back"))) {
        try {
            backup = startDayEndBackup();
        } catch (const std::exception& e) {
            // At the button the cashier can put it right and try again; the day roll of a login
            // goes on without the copy, or nobody could log in until the backup works again.
            if (fromButton) {
                prompter().information(QStringLiteral("日结前的自动数据备份没有成功，所以没有进行[日结]！\n") +
                                       QString::fromStdString(e.what()));
                throw SilentAbort();
            }
            prompter().information(QStringLiteral("日结前的自动数据备份没有成功，本次自动日结没有备份数据！\n") +
                                   QString::fromStdString(e.what()));
        }
    }
    StatusProgress progress(main_->StatusBar1, main_->statusPanel[0]);
    Dataset* setup = dm_->adoqry_SetupPay;
    endDay(*dm_, QDateTime(dm_->setup.date(QStringLiteral("time_work")), QTime(0, 0)), [&progress] { progress.step(); });
    // The copy shows the day as it was before the day end; it is made while the cashier goes on.
    if (backup) finishInBackground(std::move(backup));
    // The visits of the day are gone from the live tables; the data module follows.
    dm_->adoqry_TableGues->refresh();
    showDayState();
    lbl_time->setText(showDateTime(Clock::now()));
    lbl_opercaption->setText(QStringLiteral("日结员工"));
    lbl_oper->setText(dm_->setup.text(QStringLiteral("opername")));
    setup->edit();
}

void DayOperations::saveAndBack() {
    Dataset* setup = dm_->adoqry_SetupPay;
    if (setup->state() == Dataset::Browse) setup->edit();
    setup->post();
    Dataset* income = dm_->adoqry_otherincome;
    if (!income->isEmpty()) {
        if (income->state() == Dataset::Browse) income->edit();
        income->post();
    }
    backToBoard();
}

void DayOperations::backToBoard() {
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setFocus();
}

// ---------------------------------------------------------------- business statistics

void DayOperations::showTotals() {
    Dataset* totals = work_->AuxQuery2;
    totals->setSql(QStringLiteral("select * from ViewTotalDeptEnd"));
    totals->open();
    if (DBGrid14->model() == nullptr) {
        std::vector<db::GridColumn> columns;
        const char* captions[] = {"部门名称", "已清数", "已清金额", "已结数", "已结金额", "待结数", "待结金额", "合计数", "合计金额"};
        for (int i = 0; i < 9; ++i) {
            const QString c = QString::fromUtf8(captions[i]);
            columns.push_back({c, c, i == 0 ? QString() : (i % 2 == 0 ? QStringLiteral("#,##0.00") : QStringLiteral("0")),
                               i == 0 ? 110 : 76});
        }
        db::DatasetModel* model = bindGrid(DBGrid14, totals, columns);
        // The total row stands out in green bold.
        model->setStyle([totals](int row, int, int role) -> QVariant {
            const bool total = totals->valueAt(row, 0).toString().trimmed() == QStringLiteral("总计");
            if (!total) return QVariant();
            if (role == Qt::ForegroundRole) return QColor(Qt::darkGreen);
            if (role == Qt::FontRole) {
                QFont f;
                f.setBold(true);
                return f;
            }
            return QVariant();
        });
    }
    lbl_TotalTime->setText(QStringLiteral("统计时间：") + showDateTime(Clock::now()));
    main_->ShowPanel(pnl_TotalDept, main_->pnl_Parent, 1);
}

// ---------------------------------------------------------------- shift handover

void DayOperations::rebuildShiftSummary() { summarizeShift(main_->db()); }

void DayOperations::showShiftTotals() {
    QSqlDatabase db = main_->db();
    // The waived amounts are not money: they stay out of the totals on the screen.
    QSqlQuery q = db::run(db, QStringLiteral("select sum(pay_star_mone),sum(pay_type_coun),sum(pay_type_mone),"
                                             "sum(pay_fact_mone) from paytotaltemp where pay_type_code<>'R'"));
    q.next();
    lbl_StarMone->setText(money(q.value(0).toDouble()));
    lbl_TypeCoun->setText(QString::number(q.value(1).toLongLong()));
    lbl_TypeMone->setText(money(q.value(2).toDouble()));
    lbl_FactMone->setText(money(q.value(3).toDouble()));
}

void DayOperations::showHandover() {
    rebuildShiftSummary();
    showShiftTotals();
    Dataset* summary = dm_->adoqry_PayTemp;
    Dataset* types = dm_->adoqry_paytypetemp;
    summary->refresh();
    types->refresh();
    if (DBGrid15->model() == nullptr) {
        bindGrid(DBGrid15, summary,
                 {{QStringLiteral("pay_type_name"), QStringLiteral("付款方式"), QString(), 90},
                  {QStringLiteral("pay_star_mone"), QStringLiteral("初始金额"), QStringLiteral("0.00"), 80},
                  {QStringLiteral("pay_type_coun"), QStringLiteral("收入笔数"), QStringLiteral("0"), 70},
                  {QStringLiteral("pay_type_mone"), QStringLiteral("收入金额"), QStringLiteral("0.00"), 80},
                  {QStringLiteral("pay_fact_mone"), QStringLiteral("交班金额"), QStringLiteral("0.00"), 80}});
        bindGrid(DBGrid16, types,
                 {{QStringLiteral("pay_type_name"), QStringLiteral("付款方式"), QString(), 100},
                  {QStringLiteral("pay_star_mone"), QStringLiteral("初始金额"), QStringLiteral("0.00"), 90}});
        bindLineEdit(dbe_StarMone, types, QStringLiteral("pay_star_mone"));
    }
    lbl_ConnectTime->setText(showDateTime(Clock::now()));
    main_->ShowPanel(pnl_connect, main_->pnl_Parent, 1);
}

void DayOperations::submitStartAmounts() {
    db::inTransaction(main_->db(), QStringLiteral("B100011"), [&] {
        Dataset* types = dm_->adoqry_paytypetemp;
        if (types->state() != Dataset::Browse) types->post();
        addStartAmounts(main_->db());
        showShiftTotals();
    });
    dm_->adoqry_PayTemp->refresh();
}

void DayOperations::handOver() {
    if (!prompter().question(QStringLiteral("请确认是否进行[交班处理],请慎重确认!"))) throw SilentAbort();
    QSqlDatabase db = main_->db();
    const QDateTime business(dm_->setup.date(QStringLiteral("time_work")), QTime(0, 0));
    const QString operCode = dm_->setup.text(QStringLiteral("oper_code"));
    const QString operName = dm_->setup.text(QStringLiteral("opername"));
    const QString remark = Edit10->text();
    handOverShift(*dm_, business, remark, operCode, operName);
    showShiftTotals();
    dm_->adoqry_paytypetemp->refresh();
    dm_->adoqry_PayTemp->refresh();
    // The cashier of the shift is logged out; the next one chooses a shift.
    work_->lockBoard();
    work_->editoper->clear();
    work_->editpass->clear();
    main_->LogSet(QStringLiteral("[") + dm_->setup.text(QStringLiteral("ordename")) +
                  QStringLiteral("][系统交班,重新登录]"));
    Dataset* setup = dm_->adoqry_SetupPay;
    if (setup->state() == Dataset::Browse) setup->edit();
    setup->field(QStringLiteral("orde_code")).clear();
    // The board comes back in its picture view, the view the next cashier starts with.
    if (work_->tableBoard) work_->tableBoard->resetView();
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 0);
    main_->ShowPanel(work_->pnl_TableStateG, work_->pnl_TableStateP, 1);
}

ReportFrame DayOperations::handoverReport() const {
    ReportFrame report(QStringLiteral("员工交班报表"));
    const QString operName = dm_->setup.text(QStringLiteral("opername"));
    report.setVenue(QStringLiteral("【") + dm_->setup.text(QStringLiteral("user_name")) + QStringLiteral("】"));
    report.addHeading(QStringLiteral("交班时间：") + showDateTime(Clock::now()));
    report.addHeading(QStringLiteral("交班员工：") + operName);
    report.setColumns({{QStringLiteral("付款方式"), QString(), false, Qt::AlignLeft},
                       {QStringLiteral("初始金额"), QStringLiteral("0.00"), true, Qt::AlignRight},
                       {QStringLiteral("收入笔数"), QStringLiteral("0"), true, Qt::AlignRight},
                       {QStringLiteral("收入金额"), QStringLiteral("0.00"), true, Qt::AlignRight},
                       {QStringLiteral("交班金额"), QStringLiteral("0.00"), true, Qt::AlignRight}});
    QSqlQuery q = db::run(main_->db(), QStringLiteral("select pay_type_name,pay_star_mone,pay_type_coun,pay_type_mone,"
                                                      "pay_fact_mone from Paytotaltemp order by pay_type_code desc"));
    while (q.next()) report.addRow({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)});
    report.setSumCaption(QStringLiteral("合计："));
    report.setLabelledSums(true);
    report.setMade(Clock::now(), operName);
    report.addRemark(QStringLiteral("备注：") + Edit10->text());
    report.setFooter(ReportFrame::ourFooter());
    return report;
}

void DayOperations::previewHandoverReport() { handoverReport().document().preview(main_); }

} // namespace kx::frontdesk
