#include "BookingScreen.h"

#include "Binder.h"
#include "Bookings.h"
#include "Clock.h"
#include "ErrorGuard.h"
#include "NumberEntry.h"
#include "PanelKit.h"
#include "Prompter.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

using db::Dataset;
using db::GridColumn;

namespace {

const QDate kEarliestShown(1900, 1, 1);

QLineEdit* edit(const QString& name, QWidget* parent, int maxLength = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMinimumHeight(24);
    if (maxLength > 0) e->setMaxLength(maxLength);
    return e;
}

QDateEdit* datePicker(const QString& name, QWidget* parent) {
    auto* p = new QDateEdit(parent);
    p->setObjectName(name);
    p->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    p->setCalendarPopup(true);
    p->setMinimumHeight(24);
    return p;
}

QGridLayout* formGrid(QFrame* panel) {
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(16, 10, 16, 10);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    return grid;
}

} // namespace

BookingScreen::BookingScreen(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm) {
    setObjectName(QStringLiteral("BookingScreen"));
    build();
    bind();
    installHooks();
}

BookingScreen::~BookingScreen() {
    Dataset* b = dm_->adoqry_bookin;
    b->afterInsert = nullptr;
    b->beforePost = nullptr;
    b->afterScroll = nullptr;
}

void BookingScreen::build() {
    pnl_bookin = makePanel(QStringLiteral("pnl_bookin"), work_);
    pnl_bookin->resize(792, 520);
    pnl_bookin->hide();
    auto* outer = new QVBoxLayout(pnl_bookin);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(4);

    ToolBar5 = new QToolBar(pnl_bookin);
    ToolBar5->setObjectName(QStringLiteral("ToolBar5"));
    ToolButton2 = addToolButton(ToolBar5, QStringLiteral("ToolButton2"), QStringLiteral("预订管理"), true);
    ToolButton5 = addToolButton(ToolBar5, QStringLiteral("ToolButton5"), QStringLiteral("查询"), true);
    ToolBar5->addSeparator();
    ToolButton29 = addToolButton(ToolBar5, QStringLiteral("ToolButton29"), QStringLiteral("增加"));
    ToolButton38 = addToolButton(ToolBar5, QStringLiteral("ToolButton38"), QStringLiteral("删除"));
    ToolButton35 = addToolButton(ToolBar5, QStringLiteral("ToolButton35"), QStringLiteral("保存"));
    ToolButton40 = addToolButton(ToolBar5, QStringLiteral("ToolButton40"), QStringLiteral("取消"));
    ToolButton39 = addToolButton(ToolBar5, QStringLiteral("ToolButton39"), QStringLiteral("查询"));
    ToolButton41 = addToolButton(ToolBar5, QStringLiteral("ToolButton41"), QStringLiteral("重置"));
    ToolBar5->addSeparator();
    ToolButton36 = addToolButton(ToolBar5, QStringLiteral("ToolButton36"), QStringLiteral("保存回退"));
    outer->addWidget(ToolBar5);

    dbg_BookIn = new QTableView(pnl_bookin);
    dbg_BookIn->setObjectName(QStringLiteral("dbg_BookIn"));
    outer->addWidget(dbg_BookIn, 1);

    pnl_BookHost = new QFrame(pnl_bookin);
    pnl_BookHost->setObjectName(QStringLiteral("pnl_BookHost"));
    pnl_BookHost->setFrameShape(QFrame::StyledPanel);
    pnl_BookHost->setFixedHeight(132);
    fillHost(pnl_BookHost);
    outer->addWidget(pnl_BookHost);
    pnl_BookInAdd = buildEntry();
    pnl_BookINS = buildSearch();

    const std::pair<QToolButton*, void (BookingScreen::*)()> actions[] = {
        {ToolButton2, &BookingScreen::manage},  {ToolButton5, &BookingScreen::searchMode},
        {ToolButton29, &BookingScreen::add},    {ToolButton38, &BookingScreen::remove},
        {ToolButton35, &BookingScreen::save},   {ToolButton40, &BookingScreen::cancelEdit},
        {ToolButton39, &BookingScreen::search}, {ToolButton41, &BookingScreen::reset},
        {ToolButton36, &BookingScreen::leave}};
    for (const auto& [button, action] : actions)
        connect(button, &QToolButton::clicked, this, guard([this, action = action] { (this->*action)(); }));
}

QFrame* BookingScreen::buildEntry() {
    QFrame* panel = makePanel(QStringLiteral("pnl_BookInAdd"), pnl_BookHost);
    panel->hide();
    QGridLayout* grid = formGrid(panel);
    for (int c : {1, 3, 5}) grid->setColumnStretch(c, 1);

    dbe_BookName = edit(QStringLiteral("dbe_BookName"), panel);
    dbe_BookCoun = edit(QStringLiteral("dbe_BookCoun"), panel);
    limitNumberEntry(dbe_BookCoun, ranges::guests);
    DateTimePicker2 = datePicker(QStringLiteral("DateTimePicker2"), panel);
    DateTimePicker1 = new QTimeEdit(panel);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm"));
    DateTimePicker1->setMinimumHeight(24);
    lbl_BookTable = valueLabel(QStringLiteral("lbl_BookTable"), panel);
    lbl_BookTable->setStyleSheet(QStringLiteral("font-weight: bold; color: #1a3d7a;"));
    dbl_BookOper = new QComboBox(panel);
    dbl_BookOper->setObjectName(QStringLiteral("dbl_BookOper"));
    dbl_BookOper->setMinimumHeight(24);
    dbe_BookTele = edit(QStringLiteral("dbe_BookTele"), panel);
    dbe_BookRema = edit(QStringLiteral("dbe_BookRema"), panel);

    auto* when = new QHBoxLayout;
    when->setSpacing(4);
    when->addWidget(DateTimePicker2, 3);
    when->addWidget(DateTimePicker1, 2);

    grid->addWidget(captionLabel(QStringLiteral("预订客人："), panel), 0, 0);
    grid->addWidget(dbe_BookName, 0, 1);
    grid->addWidget(captionLabel(QStringLiteral("人数："), panel), 0, 2);
    grid->addWidget(dbe_BookCoun, 0, 3);
    grid->addWidget(captionLabel(QStringLiteral("台桌名称："), panel), 0, 4);
    grid->addWidget(lbl_BookTable, 0, 5);
    grid->addWidget(captionLabel(QStringLiteral("预订时间："), panel), 1, 0);
    grid->addLayout(when, 1, 1);
    grid->addWidget(captionLabel(QStringLiteral("预订员工："), panel), 1, 2);
    grid->addWidget(dbl_BookOper, 1, 3);
    grid->addWidget(captionLabel(QStringLiteral("联系电话："), panel), 2, 0);
    grid->addWidget(dbe_BookTele, 2, 1);
    grid->addWidget(captionLabel(QStringLiteral("备注："), panel), 2, 2);
    grid->addWidget(dbe_BookRema, 2, 3, 1, 3);

    QWidget::setTabOrder(dbe_BookName, dbe_BookCoun);
    QWidget::setTabOrder(dbe_BookCoun, DateTimePicker2);
    QWidget::setTabOrder(DateTimePicker2, DateTimePicker1);
    QWidget::setTabOrder(DateTimePicker1, dbl_BookOper);
    QWidget::setTabOrder(dbl_BookOper, dbe_BookTele);
    QWidget::setTabOrder(dbe_BookTele, dbe_BookRema);
    return panel;
}

QFrame* BookingScreen::buildSearch() {
    QFrame* panel = makePanel(QStringLiteral("pnl_BookINS"), pnl_BookHost);
    panel->hide();
    QGridLayout* grid = formGrid(panel);
    for (int c : {1, 3}) grid->setColumnStretch(c, 1);

    // As long as the columns they look in.
    Edit6 = edit(QStringLiteral("Edit6"), panel, 20);
    Edit3 = edit(QStringLiteral("Edit3"), panel, 3);
    Edit8 = edit(QStringLiteral("Edit8"), panel, 2);
    Edit7 = edit(QStringLiteral("Edit7"), panel, 18);
    CheckBox1 = new QCheckBox(QStringLiteral("提定日期："), panel);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setLayoutDirection(Qt::RightToLeft); // the box after its caption, as the other captions
    DateTimePicker3 = datePicker(QStringLiteral("DateTimePicker3"), panel);

    grid->addWidget(captionLabel(QStringLiteral("预订客人："), panel), 0, 0);
    grid->addWidget(Edit6, 0, 1);
    grid->addWidget(captionLabel(QStringLiteral("台桌编号："), panel), 0, 2);
    grid->addWidget(Edit3, 0, 3);
    grid->addWidget(captionLabel(QStringLiteral("预订员工编码："), panel), 1, 0);
    grid->addWidget(Edit8, 1, 1);
    grid->addWidget(captionLabel(QStringLiteral("联系电话："), panel), 1, 2);
    grid->addWidget(Edit7, 1, 3);
    grid->addWidget(CheckBox1, 2, 0, Qt::AlignRight);
    grid->addWidget(DateTimePicker3, 2, 1);

    QWidget::setTabOrder(Edit6, Edit3);
    QWidget::setTabOrder(Edit3, Edit8);
    QWidget::setTabOrder(Edit8, Edit7);
    QWidget::setTabOrder(Edit7, CheckBox1);
    QWidget::setTabOrder(CheckBox1, DateTimePicker3);
    return panel;
}

void BookingScreen::bind() {
    Dataset* b = dm_->adoqry_bookin;
    bookingsModel = bindGrid(dbg_BookIn, b,
                             {GridColumn{QStringLiteral("book_name"), QStringLiteral("预订客人"), QString(), 120},
                              GridColumn{QStringLiteral("book_coun"), QStringLiteral("人数"), QString(), 50},
                              GridColumn{QStringLiteral("book_time"), QStringLiteral("预订时间"),
                                         QStringLiteral("yyyy-mm-dd hh:nn"), 130},
                              GridColumn{QStringLiteral("tablname"), QStringLiteral("台桌"), QString(), 90},
                              GridColumn{QStringLiteral("opername"), QStringLiteral("预订员工"), QString(), 80},
                              GridColumn{QStringLiteral("book_tele"), QStringLiteral("联系电话"), QString(), 120},
                              GridColumn{QStringLiteral("book_rema"), QStringLiteral("备注"), QString(), 150}});
    styleGrid(dbg_BookIn, kSelectedRowColour);
    bindLineEdit(dbe_BookName, b, QStringLiteral("book_name"));
    bindLineEdit(dbe_BookCoun, b, QStringLiteral("book_coun"));
    bindLookupCombo(dbl_BookOper, b, QStringLiteral("oper_code"), dm_->adoqry_Operator, QStringLiteral("oper_code"),
                    QStringLiteral("oper_name"));
    bindLineEdit(dbe_BookTele, b, QStringLiteral("book_tele"));
    bindLineEdit(dbe_BookRema, b, QStringLiteral("book_rema"));
}

void BookingScreen::installHooks() {
    Dataset* b = dm_->adoqry_bookin;
    b->afterInsert = [this](Dataset&) { adoqry_bookinAfterInsert(*dm_); };
    // The booked moment is what the two pickers show, whoever posts the row.
    b->beforePost = [this](Dataset& d) {
        d.field(QStringLiteral("book_time")).setValue(QDateTime(DateTimePicker2->date(), DateTimePicker1->time()));
    };
    b->afterScroll = [this](Dataset& d) {
        if (!d.active() || d.isEmpty()) return;
        const QDateTime at = d.field(QStringLiteral("book_time")).asDateTime();
        if (!at.isValid() || at.date() < kEarliestShown) return;
        DateTimePicker2->setDate(at.date());
        DateTimePicker1->setTime(at.time());
    };
}

void BookingScreen::setPickersToNow() {
    const QDateTime now = Clock::now();
    DateTimePicker2->setDate(now.date());
    DateTimePicker1->setTime(QTime(now.time().hour(), now.time().minute()));
    DateTimePicker3->setDate(now.date());
}

void BookingScreen::showButtons(bool entry) {
    for (QToolButton* b : {ToolButton29, ToolButton38, ToolButton35, ToolButton40}) showToolButton(b, entry);
    for (QToolButton* b : {ToolButton39, ToolButton41}) showToolButton(b, !entry);
    ToolButton2->setChecked(entry);
    ToolButton5->setChecked(!entry);
}

void BookingScreen::settleEdit() {
    Dataset& b = *dm_->adoqry_bookin;
    if (!b.active() || (b.state() != Dataset::Edit && b.state() != Dataset::Insert)) return;
    b.updateRecord();
    if (b.state() == Dataset::Insert) {
        bool typed = false;
        for (const char* f : {"book_name", "book_coun", "book_tele", "book_rema"})
            typed = typed || !b.field(QString::fromLatin1(f)).asString().trimmed().isEmpty();
        if (!typed) {
            b.cancel();
            return;
        }
    }
    b.checkBrowseMode();
}

bool BookingScreen::enter() {
    if (!main_->Limite(QStringLiteral("BI"))) return false;
    Dataset& board = *dm_->adoqry_table;
    table_ = board.isEmpty() ? QString() : board.field(QStringLiteral("tabl_code")).asString();
    lbl_BookTable->setText(table_ + QStringLiteral("/") +
                           (board.isEmpty() ? QString() : board.field(QStringLiteral("tabl_name")).asString()));
    manage();
    return true;
}

void BookingScreen::manage() {
    settleEdit();
    setPickersToNow();
    main_->ShowPanel(pnl_bookin, main_->pnl_Parent, 1);
    main_->ShowPanel(pnl_BookInAdd, pnl_BookHost, 0);
    showTableBookings(*dm_, table_);
    showButtons(true);
    dbe_BookName->setFocus();
}

void BookingScreen::searchMode() {
    settleEdit();
    main_->ShowPanel(pnl_BookINS, pnl_BookHost, 0);
    showAllBookings(*dm_);
    DateTimePicker3->setDate(Clock::today());
    showButtons(false);
    Edit8->setFocus();
}

void BookingScreen::add() {
    // A booking being typed is stored with its own time before the pickers move on.
    settleEdit();
    setPickersToNow();
    dm_->adoqry_bookin->append();
    dbe_BookName->setFocus();
}

void BookingScreen::remove() {
    Dataset& b = *dm_->adoqry_bookin;
    if (!b.active() || b.isEmpty()) return;
    if (!prompter().question(QStringLiteral("是否删除所选的[预订信息]，删除后将不能恢复，请慎重!"))) return;
    b.remove();
}

void BookingScreen::save() {
    Dataset& b = *dm_->adoqry_bookin;
    if (!b.active() || b.isEmpty()) return;
    b.edit();
    b.post();
}

void BookingScreen::cancelEdit() {
    Dataset& b = *dm_->adoqry_bookin;
    b.cancel();
    // The pickers show the booking's own time again.
    if (b.afterScroll) b.afterScroll(b);
}

void BookingScreen::search() {
    BookingSearch s;
    if (CheckBox1->isChecked()) s.day = DateTimePicker3->date();
    s.guest = Edit6->text();
    s.telephone = Edit7->text();
    s.oper = Edit8->text();
    s.table = Edit3->text();
    searchBookings(*dm_, s);
}

void BookingScreen::reset() { showAllBookings(*dm_); }

void BookingScreen::leave() {
    settleEdit();
    showTableBookings(*dm_, table_);
    settleBookedState(*dm_, table_);
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setEnabled(true);
    work_->EditDict_TableState->setFocus();
}

} // namespace kx::frontdesk
