#include "ReverseScreen.h"

#include "Binder.h"
#include "Clock.h"
#include "ErrorGuard.h"
#include "PanelKit.h"
#include "Password.h"
#include "Prompter.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "TableAnalysis.h"
#include "VisitMoves.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

ReverseScreen::ReverseScreen(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm) {
    setObjectName(QStringLiteral("ReverseScreen"));
    qry_Reagain = new db::Dataset(main_->db(), QStringLiteral("qry_Reagain"), QString(), this);

    pnl_Reagain = makePanel(QStringLiteral("pnl_Reagain"), work_);
    pnl_Reagain->resize(792, 520);
    pnl_Reagain->hide();
    auto* layout = new QVBoxLayout(pnl_Reagain);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(4);

    ToolBar_Reagain = new QToolBar(pnl_Reagain);
    ToolBar_Reagain->setObjectName(QStringLiteral("ToolBar_Reagain"));
    toolb_ReagainBack = addToolButton(ToolBar_Reagain, QStringLiteral("toolb_ReagainBack"), QStringLiteral("回退"));
    ToolBar_Reagain->addSeparator();
    toolb_ReagainHelp = addToolButton(ToolBar_Reagain, QStringLiteral("toolb_ReagainHelp"), QStringLiteral("帮助 /信息"));
    layout->addWidget(ToolBar_Reagain);

    lbl_Reagain = new QLabel(QStringLiteral("已结帐信息"), pnl_Reagain);
    lbl_Reagain->setObjectName(QStringLiteral("lbl_Reagain"));
    lbl_Reagain->setAlignment(Qt::AlignCenter);
    lbl_Reagain->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
    layout->addWidget(lbl_Reagain);

    auto* line = new QHBoxLayout;
    line->addWidget(captionLabel(QStringLiteral("密码"), pnl_Reagain));
    Edit18 = new QLineEdit(pnl_Reagain);
    Edit18->setObjectName(QStringLiteral("Edit18"));
    Edit18->setEchoMode(QLineEdit::Password);
    Edit18->setFixedWidth(140);
    line->addWidget(Edit18);
    line->addStretch(1);
    layout->addLayout(line);

    DBGrid38 = new QTableView(pnl_Reagain);
    DBGrid38->setObjectName(QStringLiteral("DBGrid38"));
    bindGrid(DBGrid38, qry_Reagain, roomColumns());
    styleGrid(DBGrid38, kSelectedRowColour);
    DBGrid38->verticalHeader()->hide();
    DBGrid38->setTabKeyNavigation(false);
    DBGrid38->installEventFilter(this);
    layout->addWidget(DBGrid38, 1);
    QWidget::setTabOrder(Edit18, DBGrid38);

    connect(toolb_ReagainBack, &QToolButton::clicked, this, guard([this] { back(); }));
    connect(toolb_ReagainHelp, &QToolButton::clicked, this, guard([this] { main_->showHelp(); }));
    connect(DBGrid38, &QTableView::doubleClicked, this, guard([this] { DBGrid38DblClick(); }));
    main_->registerAction(QStringLiteral("reagain.back"), [this] { back(); });
}

ReverseScreen::~ReverseScreen() { main_->registerAction(QStringLiteral("reagain.back"), nullptr); }

void ReverseScreen::Action3Execute() {
    Dataset& board = *dm_->adoqry_table;
    if (board.isEmpty()) return;
    table_ = board.field(QStringLiteral("tabl_code")).asString();
    listBills();
    Edit18->clear();
    main_->ShowPanel(pnl_Reagain, main_->pnl_Parent, 1);
    Edit18->setFocus();
}

void ReverseScreen::listBills() {
    const QDate today = Clock::today();
    ReportRoom(*qry_Reagain, {today, today}, table_);
}

void ReverseScreen::DBGrid38DblClick() {
    Dataset& bills = *qry_Reagain;
    if (!bills.active() || bills.isEmpty() || bills.field(QStringLiteral("tabl_code")).asString().isEmpty()) return;
    if (!systemPasswordMatches(main_->db(), Edit18->text())) {
        prompter().information(QStringLiteral("密码不正确，请重新输入后确认！"));
        Edit18->selectAll();
        Edit18->setFocus();
        throw SilentAbort();
    }
    if (!prompter().question(QStringLiteral("请确定是否进行[反结帐]操作，请选择(是/否)！"))) throw SilentAbort();
    const qint64 key = bills.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    try {
        reverseCheckout(*dm_, key);
    } catch (StaleData& e) {
        // The bill as the archive holds it now: another desk's reversal has taken it away.
        e.refresh = [this] { listBills(); };
        throw;
    }
    back();
}

void ReverseScreen::back() {
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setFocus();
}

bool ReverseScreen::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a bill does what a double click does.
    if (watched == DBGrid38 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            guarded([this] { DBGrid38DblClick(); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kx::frontdesk
