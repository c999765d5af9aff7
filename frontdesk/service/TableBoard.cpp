#include "TableBoard.h"

#include "Engine.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "PanelKit.h"
#include "Prompter.h"
#include "RegisterScreen.h"
#include "Sql.h"
#include "StateIcons.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "WorkScreen.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QPixmapCache>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

using db::Dataset;
using db::GridColumn;

namespace {

const QString kDayNotStarted = QStringLiteral("现在还未进行日始处理，所以不能进行[操作]，请进行[日始处理]！");

// The sort orders: the caption that names each and the board's SELECT in it.
struct SortOrder {
    const char* caption;
    const char* sql;
};
const SortOrder kSortOrders[4] = {
    {"台号排序", "select * from tablelist order by tabl_code"},
    {"台名排序", "select * from tablelist order by tabl_name"},
    {"状态排序", "select * from tablelist order by tabl_stat_code,tabl_code"},
    {"开台排序", "select * from tablelist order by tabl_gues_time desc nulls last,tabl_code"},
};

const char* const kStateNames[6] = {"空闲", "使用", "结帐", "加单", "预订", "禁用"};

// A filter value with its quotes doubled.
QString quoted(const QString& v) {
    QString s = v;
    return s.replace(QLatin1Char('\''), QStringLiteral("''"));
}

constexpr int kCellHeight = 68;

// Paints one picture cell: code at the top, the state picture, the name right-aligned below.
// A cell's picture is kept (by everything it shows) so that showing the board again, or moving
// the current table, copies pictures instead of laying out the texts of every cell again.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (index.data(BoardCellModel::CellRecordRole).toInt() < 0) {
            p->fillRect(option.rect, Qt::white);
            return;
        }
        const bool current = index.data(BoardCellModel::CellCurrentRole).toBool();
        const QString code = index.data(Qt::DisplayRole).toString();
        const QString name = index.data(BoardCellModel::CellNameRole).toString();
        const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
        const QColor marked = layoutColour(kSelectedCellColour);
        const qreal ratio = p->device() ? p->device()->devicePixelRatioF() : 1.0;
        const QString key = QStringLiteral("kx-board-cell|%1|%2|%3|%4|%5|%6x%7|%8|%9")
                                .arg(code, name)
                                .arg(picture.cacheKey())
                                .arg(current ? marked.rgba() : 0u)
                                .arg(current)
                                .arg(option.rect.width())
                                .arg(option.rect.height())
                                .arg(ratio)
                                .arg(option.font.key());
        QPixmap cell;
        if (!QPixmapCache::find(key, &cell)) {
            cell = QPixmap(option.rect.size() * ratio);
            cell.setDevicePixelRatio(ratio);
            cell.fill(Qt::white);
            QPainter cp(&cell);
            paintCell(&cp, QRect(QPoint(0, 0), option.rect.size()), option.font, current ? marked : QColor(), code,
                      name, picture);
            cp.end();
            QPixmapCache::insert(key, cell);
        }
        p->drawPixmap(option.rect.topLeft(), cell);
    }

private:
    // `marked`: the current table's colour, invalid for the other tables.
    static void paintCell(QPainter* p, const QRect& whole, const QFont& font, const QColor& marked, const QString& code,
                          const QString& name, const QPixmap& picture) {
        const QRect r = whole.adjusted(1, 1, -1, -1);
        const bool current = marked.isValid();
        p->fillRect(r, current ? marked : QColor(Qt::white));
        p->setPen(current ? QColor(0x6b, 0x8e, 0x3d) : QColor(0xc9, 0xcf, 0xd8));
        p->drawRect(r.adjusted(0, 0, -1, -1));

        // The picture at the top left with the code beside it; the name below, right-aligned
        // over the cell's whole width.
        if (!picture.isNull()) p->drawPixmap(r.left() + 5, r.top() + 4, picture);
        QFont bold = font;
        bold.setBold(true);
        bold.setPixelSize(14);
        p->setFont(bold);
        p->setPen(QColor(0x1a, 0x2a, 0x44));
        p->drawText(QRect(r.left() + kStateIconSize + 10, r.top() + 4, r.width() - kStateIconSize - 14, 22),
                    Qt::AlignLeft | Qt::AlignVCenter, code);

        QFont plain = font;
        plain.setPixelSize(12);
        p->setFont(plain);
        p->setPen(QColor(0x20, 0x20, 0x20));
        const QRect nameRect(r.left() + 4, r.bottom() - 22, r.width() - 9, 18);
        p->drawText(nameRect, Qt::AlignRight | Qt::AlignVCenter,
                    QFontMetrics(plain).elidedText(name, Qt::ElideRight, nameRect.width()));
    }
};

QLabel* heading(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold; color: #1a3d7a; padding: 4px;"));
    return l;
}

} // namespace

// ---------------------------------------------------------------- picture cells

BoardCellModel::BoardCellModel(Dataset* board, QObject* parent) : QAbstractTableModel(parent), board_(board) {
    connect(board, &Dataset::aboutToReset, this, [this] {
        if (!resetting_) {
            resetting_ = true;
            beginResetModel();
        }
    });
    connect(board, &Dataset::reset, this, [this] {
        if (!resetting_) beginResetModel();
        resetting_ = false;
        endResetModel();
    });
    connect(board, &Dataset::rowChanged, this, [this](int row) {
        const QModelIndex i = indexOfRecord(row);
        if (i.isValid()) emit dataChanged(i, i);
    });
    connect(board, &Dataset::currentChanged, this, [this] {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, Columns - 1), {CellCurrentRole});
    });
}

int BoardCellModel::records() const {
    if (resetting_ || !board_ || !board_->active()) return 0;
    return board_->recordCount();
}

int BoardCellModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return (records() + Columns - 1) / Columns;
}

int BoardCellModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

int BoardCellModel::recordAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return -1;
    const int record = index.row() * Columns + index.column();
    return record < records() ? record : -1;
}

QModelIndex BoardCellModel::indexOfRecord(int record) const {
    if (record < 0 || record >= records()) return QModelIndex();
    return index(record / Columns, record % Columns);
}

QVariant BoardCellModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return QVariant();
    const int record = recordAt(index);
    if (role == CellRecordRole) return record;
    if (record < 0) return QVariant();
    auto value = [&](const char* field) {
        const int f = board_->fieldIndex(QString::fromLatin1(field));
        return f < 0 ? QVariant() : board_->valueAt(record, f);
    };
    switch (role) {
    case Qt::DisplayRole: return value("tabl_code").toString();
    case CellNameRole: return value("tabl_name").toString();
    case CellCurrentRole: return record == board_->recNo() - 1;
    case Qt::DecorationRole: {
        const QPixmap picture = stateIcon(value("tabl_stat_code").toString());
        return picture.isNull() ? QVariant() : QVariant(picture);
    }
    default: return QVariant();
    }
}

Qt::ItemFlags BoardCellModel::flags(const QModelIndex& index) const {
    if (recordAt(index) < 0) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---------------------------------------------------------------- the board

TableBoard::TableBoard(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm) {
    setObjectName(QStringLiteral("TableBoard"));
    buildPictures();
    buildList();
    buildLegend();
    buildSide();
    buildMenu();

    connect(work_->ToolButton34, &QToolButton::clicked, this, guard([this] { viewCycle(); }));
    connect(work_->ToolButton112, &QToolButton::clicked, this, guard([this] { sortCycle(); }));

    QLineEdit* box = work_->EditDict_TableState;
    box->setMaxLength(8);
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Za-z]*")), box));
    connect(box, &QLineEdit::textChanged, this, [this, box](const QString& text) {
        // Letters show in upper case; the upper-case text then comes back through here.
        const QString upper = text.toUpper();
        if (upper != text) {
            const int pos = box->cursorPosition();
            box->setText(upper);
            box->setCursorPosition(pos);
            return;
        }
        guarded([this, text] { search(text); });
    });

    Dataset* board = dm_->adoqry_table;
    connect(board, &Dataset::currentChanged, this, [this] {
        showCurrentCell();
        updateMenu();
    });
    connect(board, &Dataset::reset, this, [this] { updateMenu(); });
    connect(board, &Dataset::rowChanged, this, [this] { updateMenu(); });

    main_->registerAction(QStringLiteral("board.open"), [this] { dispatch(); });
    main_->registerAction(QStringLiteral("board.search"), [this] { work_->EditDict_TableState->setFocus(); });
    main_->registerAction(QStringLiteral("board.menu"), [this] { popupMenu(); });
    installHooks();

    // Other desks' changes reach the board within a second or two.
    auto* watch = new QTimer(this);
    watch->setObjectName(QStringLiteral("tmr_OtherDesks"));
    watch->setInterval(1000);
    connect(watch, &QTimer::timeout, this, [this] {
        // A failure here is not the cashier's action: the next tick tries again.
        try {
            followOtherDesks();
        } catch (...) {
        }
    });
    watch->start();
}

bool TableBoard::followOtherDesks() {
    Dataset& board = *dm_->adoqry_table;
    Dataset& visits = *dm_->adoqry_TableGues;
    if (!board.active() || !work_->pnl_TableStateP->isVisible()) return false;
    if (board.state() != Dataset::Browse || (visits.active() && visits.state() != Dataset::Browse)) return false;
    // Moves with the commits of other desks: this desk's own actions read what they change.
    const qint64 version = db::boardChangeMark(dm_->database());
    if (version == seenVersion_) return false;
    seenVersion_ = version;
    // The table the cashier chose stays chosen (its menu may be open), and so does the visit.
    const QVariant table = board.isEmpty() ? QVariant() : board.field(QStringLiteral("tabl_code")).value();
    const QVariant visit = visits.active() && !visits.isEmpty()
                               ? visits.field(QStringLiteral("tabl_gues_auto_recn")).value()
                               : QVariant();
    board.reread(); // the same rows: only the cells of changed tables repaint
    if (table.isValid()) board.locate(QStringLiteral("tabl_code"), table);
    if (visits.active()) {
        visits.reread();
        if (visit.isValid()) visits.locate(QStringLiteral("tabl_gues_auto_recn"), visit);
    }
    if (view_ == Legend) recount();
    return true;
}

TableBoard::~TableBoard() {
    main_->registerAction(QStringLiteral("board.open"), nullptr);
    main_->registerAction(QStringLiteral("board.search"), nullptr);
    main_->registerAction(QStringLiteral("board.menu"), nullptr);
    dm_->adoqry_TableDept->afterScroll = nullptr;
    dm_->adoqry_tabletypetemp->afterScroll = nullptr;
}

void TableBoard::buildPictures() {
    auto* layout = new QVBoxLayout(work_->pnl_TableStateG);
    layout->setContentsMargins(0, 0, 0, 0);
    DBCtrlGrid1 = new QTableView(work_->pnl_TableStateG);
    DBCtrlGrid1->setObjectName(QStringLiteral("DBCtrlGrid1"));
    cells = new BoardCellModel(dm_->adoqry_table, DBCtrlGrid1);
    DBCtrlGrid1->setModel(cells);
    DBCtrlGrid1->setItemDelegate(new CellDelegate(DBCtrlGrid1));
    DBCtrlGrid1->horizontalHeader()->hide();
    DBCtrlGrid1->verticalHeader()->hide();
    DBCtrlGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    DBCtrlGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBCtrlGrid1->verticalHeader()->setDefaultSectionSize(kCellHeight);
    DBCtrlGrid1->setShowGrid(false);
    DBCtrlGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    DBCtrlGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBCtrlGrid1->setFocusPolicy(Qt::NoFocus);
    DBCtrlGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DBCtrlGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    DBCtrlGrid1->setContextMenuPolicy(Qt::PreventContextMenu);
    DBCtrlGrid1->setFrameShape(QFrame::NoFrame);
    DBCtrlGrid1->setStyleSheet(QStringLiteral("QTableView { background: white; }"));
    DBCtrlGrid1->viewport()->installEventFilter(this);
    layout->addWidget(DBCtrlGrid1);
}

void TableBoard::buildList() {
    auto* layout = new QVBoxLayout(work_->pnl_TableStateL);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    lbl_ListTitle = heading(QStringLiteral("房台列表"), work_->pnl_TableStateL);
    lbl_ListTitle->setObjectName(QStringLiteral("lbl_ListTitle"));
    layout->addWidget(lbl_ListTitle);
    DBGrid34 = new QTableView(work_->pnl_TableStateL);
    DBGrid34->setObjectName(QStringLiteral("DBGrid34"));
    layout->addWidget(DBGrid34, 1);
    listModel = bindGrid(DBGrid34, dm_->adoqry_table,
                         {GridColumn{QStringLiteral("tabl_code"), QStringLiteral("编码"), QString(), 48},
                          GridColumn{QStringLiteral("tabl_name"), QStringLiteral("台桌名称"), QString(), 96},
                          GridColumn{QStringLiteral("tablstatname"), QStringLiteral("状态"), QString(), 44},
                          GridColumn{QStringLiteral("tabl_gues_name"), QStringLiteral("客人姓名"), QString(), 80},
                          GridColumn{QStringLiteral("tabl_gues_coun"), QStringLiteral("人数"), QString(), 40},
                          GridColumn{QStringLiteral("tabl_gues_time"), QStringLiteral("开台时间"),
                                     QStringLiteral("mm-dd hh:mm"), 84},
                          GridColumn{QStringLiteral("tabl_gues_shou"), QStringLiteral("消费金额"),
                                     QStringLiteral("0.00"), 70},
                          GridColumn{QStringLiteral("tabl_narr"), QStringLiteral("台桌说明"), QString(), 90}});
    styleGrid(DBGrid34, kSelectedRowColour);
    DBGrid34->verticalHeader()->hide();
    DBGrid34->horizontalHeader()->setStretchLastSection(true);
    DBGrid34->setContextMenuPolicy(Qt::PreventContextMenu);
    DBGrid34->viewport()->installEventFilter(this);
}

void TableBoard::buildLegend() {
    QFrame* panel = work_->pnl_StateCut;
    panel->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    lbl_LegendTitle = heading(QStringLiteral("房台图例状态"), panel);
    lbl_LegendTitle->setObjectName(QStringLiteral("lbl_LegendTitle"));
    layout->addWidget(lbl_LegendTitle);
    lbl_Dept = new QLabel(QStringLiteral("部门："), panel);
    lbl_Dept->setObjectName(QStringLiteral("lbl_Dept"));
    lbl_type = new QLabel(QStringLiteral("台桌类型："), panel);
    lbl_type->setObjectName(QStringLiteral("lbl_type"));
    for (QLabel* l : {lbl_Dept, lbl_type}) {
        l->setStyleSheet(QStringLiteral("font-size: 14px;"));
        layout->addWidget(l);
    }
    layout->addSpacing(24);

    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    QLabel** counts[6] = {&lbl_null, &lbl_use, &lbl_acc, &lbl_add, &lbl_book, &lbl_dis};
    const char* countNames[6] = {"lbl_null", "lbl_use", "lbl_acc", "lbl_add", "lbl_book", "lbl_dis"};
    for (int i = 0; i < 6; ++i) {
        auto* column = new QVBoxLayout;
        column->setSpacing(6);
        auto* picture = new QLabel(panel);
        picture->setObjectName(QStringLiteral("img_state%1").arg(i + 1));
        picture->setPixmap(stateIcons().at(i));
        picture->setAlignment(Qt::AlignCenter);
        auto* name = new QLabel(QString::fromUtf8(kStateNames[i]), panel);
        name->setAlignment(Qt::AlignCenter);
        name->setStyleSheet(QStringLiteral("font-size: 14px;"));
        auto* count = new QLabel(QStringLiteral("0"), panel);
        count->setObjectName(QString::fromLatin1(countNames[i]));
        count->setAlignment(Qt::AlignCenter);
        count->setStyleSheet(QStringLiteral("font-size: 18px; font-weight: bold; color: #b22222;"));
        *counts[i] = count;
        column->addWidget(picture);
        column->addWidget(name);
        column->addWidget(count);
        row->addLayout(column, 1);
    }
    layout->addLayout(row);
    layout->addStretch(1);
}

void TableBoard::buildSide() {
    QFrame* side = work_->Panel3;
    auto* layout = qobject_cast<QVBoxLayout*>(side->layout());
    const int at = layout->indexOf(work_->Panel6);

    DBGrid35 = new QTableView(side);
    DBGrid35->setObjectName(QStringLiteral("DBGrid35"));
    bindGrid(DBGrid35, dm_->adoqry_TableDept, {GridColumn{QStringLiteral("dept_name"), QStringLiteral("部门"), QString()}});
    lbl_TypeNarr = new QLabel(side);
    lbl_TypeNarr->setObjectName(QStringLiteral("lbl_TypeNarr"));
    lbl_TypeNarr->setAlignment(Qt::AlignCenter);
    lbl_TypeNarr->setStyleSheet(QStringLiteral("color: #1a3d7a;"));
    bindLabel(lbl_TypeNarr, dm_->adoqry_table, QStringLiteral("tabltypenarr"));
    dbg_TableTypeTemp = new QTableView(side);
    dbg_TableTypeTemp->setObjectName(QStringLiteral("dbg_TableTypeTemp"));
    bindGrid(dbg_TableTypeTemp, dm_->adoqry_tabletypetemp,
             {GridColumn{QStringLiteral("tabl_type_name"), QStringLiteral("台桌类型"), QString()},
              GridColumn{QStringLiteral("statcount"), QStringLiteral("数量"), QString(), 44}});
    for (QTableView* grid : {DBGrid35, dbg_TableTypeTemp}) {
        styleGrid(grid, kGreyColour);
        grid->verticalHeader()->hide();
        grid->horizontalHeader()->setStretchLastSection(false);
        grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        grid->setMinimumHeight(60);
    }
    layout->insertWidget(at, DBGrid35, 1);
    layout->insertWidget(at + 1, lbl_TypeNarr);
    layout->insertWidget(at + 2, dbg_TableTypeTemp, 1);
    layout->setStretchFactor(work_->Panel6, 0);

    QFrame* panel = work_->Panel6;
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    auto* title = new QLabel(QStringLiteral("房台说明"), panel);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("font-weight: bold;"));
    grid->addWidget(title, 0, 0, 1, 2);
    const std::tuple<const char*, QLabel**, const char*, const char*, const char*> rows[] = {
        {"名称", &lbl_TableName, "lbl_TableName", "tabl_name", ""},
        {"状态", &lbl_TableState, "lbl_TableState", "tablstatname", ""},
        {"说明", &lbl_TableNarr, "lbl_TableNarr", "tabl_narr", ""},
        {"开台", &lbl_TableTime, "lbl_TableTime", "tabl_gues_time", "mm-dd hh:nn"},
        {"客人", &lbl_TableGuest, "lbl_TableGuest", "tabl_gues_name", ""},
        {"人数", &lbl_TableCount, "lbl_TableCount", "tabl_gues_coun", ""}};
    int r = 1;
    for (const auto& [caption, target, name, field, format] : rows) {
        grid->addWidget(captionLabel(QString::fromUtf8(caption), panel), r, 0);
        QLabel* value = valueLabel(QString::fromLatin1(name), panel);
        *target = value;
        bindLabel(value, dm_->adoqry_table, QString::fromLatin1(field), QString::fromLatin1(format));
        grid->addWidget(value, r, 1);
        ++r;
    }
    grid->setColumnStretch(1, 1);
}

void TableBoard::buildMenu() {
    PopupMenu_TableState = new QMenu(work_->pnl_TableState);
    PopupMenu_TableState->setObjectName(QStringLiteral("PopupMenu_TableState"));
    auto entry = [this](const char* name, const QString& text) {
        QAction* a = PopupMenu_TableState->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    pm_open = entry("pm_open", QStringLiteral("开台"));
    pm_no = entry("pm_no", QStringLiteral("禁用"));
    pm_yes = entry("pm_yes", QStringLiteral("启用"));
    pm_bookin = entry("pm_bookin", QStringLiteral("预订"));
    pm_reagain = entry("pm_reagain", QStringLiteral("反结"));
    connect(pm_open, &QAction::triggered, this, guard([this] { dispatch(); }));
    connect(pm_no, &QAction::triggered, this, guard([this] { setTableState(QStringLiteral("6")); }));
    connect(pm_yes, &QAction::triggered, this, guard([this] { setTableState(QStringLiteral("1")); }));
    connect(pm_bookin, &QAction::triggered, this, [this] { main_->runAction(QStringLiteral("board.bookin")); });
    connect(pm_reagain, &QAction::triggered, this, [this] { main_->runAction(QStringLiteral("board.reverse")); });
    connect(PopupMenu_TableState, &QMenu::aboutToShow, this, [this] { updateMenu(); });
    updateMenu();
}

void TableBoard::installHooks() {
    dm_->adoqry_TableDept->afterScroll = [this](Dataset&) { departmentChosen(); };
    dm_->adoqry_tabletypetemp->afterScroll = [this](Dataset&) { typeChosen(); };
    // What opening the data module does for the first department.
    if (dm_->adoqry_TableDept->active()) departmentChosen();
}

QString TableBoard::currentDept() const {
    Dataset* d = dm_->adoqry_TableDept;
    return d->active() && !d->isEmpty() ? d->field(QStringLiteral("dept_code")).asString() : QString();
}

QString TableBoard::currentType() const {
    Dataset* t = dm_->adoqry_tabletypetemp;
    return t->active() && !t->isEmpty() ? t->field(QStringLiteral("tabl_type_code")).asString() : QString();
}

void TableBoard::rebuildTypeSummary(const QString& dept) {
    Dataset* types = dm_->adoqry_tabletypetemp;
    types->setSql(QStringLiteral("select tabletypelist.tabl_type_name,statcount,tabletypelist.tabl_type_code "
                                 "from (select tabl_type_code,count(*) as statcount from tablelist "
                                 "where dept_code=? group by tabl_type_code) as t,tabletypelist "
                                 "where t.tabl_type_code=tabletypelist.tabl_type_code "
                                 "order by tabletypelist.tabl_type_code"),
                  {dept});
    types->open();
}

void TableBoard::filterBoard(const QString& dept, const QString& type) {
    dm_->adoqry_table->applyFilter(
        QStringLiteral("dept_code='%1' and tabl_type_code='%2'").arg(quoted(dept), quoted(type)));
}

void TableBoard::departmentChosen() {
    const QString dept = currentDept();
    rebuildTypeSummary(dept);
    filterBoard(dept, currentType());
    if (view_ == Legend) {
        showLegendLabels();
        if (dm_->adoqry_table->isEmpty()) setZeroCounts();
    }
}

void TableBoard::typeChosen() {
    filterBoard(currentDept(), currentType());
    if (view_ == Legend) {
        showLegendLabels();
        recount();
    }
}

void TableBoard::showLegendLabels() {
    Dataset* d = dm_->adoqry_TableDept;
    Dataset* t = dm_->adoqry_tabletypetemp;
    const QString dept = d->active() && !d->isEmpty() ? d->field(QStringLiteral("dept_name")).asString() : QString();
    const QString type = t->active() && !t->isEmpty() ? t->field(QStringLiteral("tabl_type_name")).asString() : QString();
    lbl_Dept->setText(QStringLiteral("部门：") + dept);
    lbl_type->setText(QStringLiteral("台桌类型：") + type);
}

void TableBoard::setZeroCounts() {
    for (QLabel* l : {lbl_null, lbl_use, lbl_acc, lbl_add, lbl_book, lbl_dis}) l->setText(QStringLiteral("0"));
}

void TableBoard::recount() {
    QString sql = QStringLiteral("select ");
    for (int state = 1; state <= 6; ++state) {
        if (state > 1) sql += QStringLiteral(", ");
        sql += QStringLiteral("coalesce(sum(case when tabl_stat_code='%1' then 1 else 0 end),0)").arg(state);
    }
    sql += QStringLiteral(" from tablelist where dept_code=? and tabl_type_code=?");
    Dataset& q = *main_->ScratchQuery;
    q.setSql(sql, {currentDept(), currentType()});
    q.open();
    QLabel* labels[6] = {lbl_null, lbl_use, lbl_acc, lbl_add, lbl_book, lbl_dis};
    for (int i = 0; i < 6; ++i)
        labels[i]->setText(QString::number(q.isEmpty() ? 0 : q.field(i).asInt()));
}

void TableBoard::viewCycle() {
    QToolButton* button = work_->ToolButton34;
    switch (view_) {
    case Pictures:
        button->setText(QStringLiteral("列表房台"));
        view_ = List;
        main_->ShowPanel(work_->pnl_TableStateL, work_->pnl_TableStateP, 0);
        break;
    case List:
        button->setText(QStringLiteral("房态图例"));
        view_ = Legend;
        showLegendLabels();
        recount();
        main_->ShowPanel(work_->pnl_StateCut, work_->pnl_TableStateP, 0);
        break;
    default:
        button->setText(QStringLiteral("图形房台"));
        view_ = Pictures;
        main_->ShowPanel(work_->pnl_TableStateG, work_->pnl_TableStateP, 0);
        break;
    }
}

void TableBoard::resetView() {
    view_ = Pictures;
    work_->ToolButton34->setText(QStringLiteral("图形房台"));
    main_->ShowPanel(work_->pnl_TableStateG, work_->pnl_TableStateP, 0);
}

void TableBoard::sortCycle() {
    sort_ = sort_ % 4 + 1;
    work_->ToolButton112->setText(QString::fromUtf8(kSortOrders[sort_ - 1].caption));
    Sort();
}

void TableBoard::Sort() {
    Dataset* board = dm_->adoqry_table;
    const QString sql = QString::fromLatin1(kSortOrders[sort_ - 1].sql);
    if (board->active() && board->sql() == sql) {
        board->reread(); // the same order: only the cells of changed tables repaint
        return;
    }
    board->setSql(sql);
    board->open();
}

void TableBoard::search(const QString& text) {
    if (searching_) return;
    const QString code = text.trimmed();
    // The box is cleared after every finished search; an empty text keeps the table found.
    if (code.isEmpty()) return;
    searching_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{searching_};

    Dataset& board = *dm_->adoqry_table;
    const int codeField = board.fieldIndex(QStringLiteral("tabl_code"));
    for (int r = 0; r < board.recordCount() && codeField >= 0; ++r) {
        if (board.valueAt(r, codeField).toString().startsWith(text)) {
            board.setRecNo(r + 1);
            break;
        }
    }
    if (code.size() != 3) return;
    const QString current = board.isEmpty() ? QString() : board.field(QStringLiteral("tabl_code")).asString();
    // The table lies in another department or type (or nowhere): look it up there.
    if (current != code && !showTable(code)) {
        prompter().information(QStringLiteral("[") + text + QStringLiteral("]查无此房台号,请重新查找!"));
        dm_->adoqry_TableDept->first();
    }
    work_->EditDict_TableState->clear();
}

bool TableBoard::showTable(const QString& code) {
    Dataset& q = *main_->ScratchQuery;
    q.setSql(QStringLiteral("select dept_code,tabl_type_code from tablelist where tabl_code=?"), {code});
    q.open();
    const QString dept = q.isEmpty() ? QString() : q.field(0).asString();
    const QString type = q.isEmpty() ? QString() : q.field(1).asString();
    if (!dm_->adoqry_TableDept->locate(QStringLiteral("dept_code"), dept)) rebuildTypeSummary(dept);
    dm_->adoqry_tabletypetemp->locate(QStringLiteral("tabl_type_code"), type);
    filterBoard(dept, type);
    return dm_->adoqry_table->locate(QStringLiteral("tabl_code"), code);
}

bool TableBoard::dayStarted() {
    if (dm_->setup.flag(QStringLiteral("pay_star"))) return true;
    prompter().information(kDayNotStarted);
    return false;
}

void TableBoard::dispatch() {
    if (!dayStarted()) return;
    if (!main_->Limite(QStringLiteral("DP"))) return;
    Dataset& board = *dm_->adoqry_table;
    if (!board.isEmpty() && board.state() == Dataset::Browse) {
        // The table and its visit as they are now.
        board.refreshRows(QStringLiteral("tabl_code"), {board.field(QStringLiteral("tabl_code")).value()});
        const qint64 key = board.isEmpty() ? 0 : board.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
        Dataset& visits = *dm_->adoqry_TableGues;
        if (key > 0 && visits.active() && visits.state() == Dataset::Browse)
            visits.refreshRows(QStringLiteral("tabl_gues_auto_recn"), {key});
    }
    const QString state = board.isEmpty() ? QString() : board.field(QStringLiteral("tabl_stat_code")).asString();
    if (state == QLatin1String("1") || state == QLatin1String("5")) work_->registerScreen->enter();
    else if (state == QLatin1String("2") || state == QLatin1String("4")) work_->workScreen->enter(true);
    else if (state == QLatin1String("3")) work_->workScreen->enter(false);
}

void TableBoard::setTableState(const QString& state) {
    Dataset& board = *dm_->adoqry_table;
    if (board.isEmpty()) return;
    board.edit();
    board.field(QStringLiteral("tabl_stat_code")).setValue(state);
    board.post();
}

void TableBoard::updateMenu() {
    Dataset& board = *dm_->adoqry_table;
    const QString s = board.active() && !board.isEmpty() ? board.field(QStringLiteral("tabl_stat_code")).asString()
                                                         : QString();
    auto in = [&s](std::initializer_list<const char*> states) {
        for (const char* st : states)
            if (s == QLatin1String(st)) return true;
        return false;
    };
    pm_open->setVisible(in({"1", "5"}));
    pm_no->setVisible(in({"1"}));
    pm_yes->setVisible(in({"6"}));
    // Entries whose screens are not there yet are not offered.
    pm_bookin->setVisible(in({"1", "2", "4", "5"}) && main_->hasAction(QStringLiteral("board.bookin")));
    pm_reagain->setVisible(in({"1"}) && main_->hasAction(QStringLiteral("board.reverse")));
}

void TableBoard::popupMenu() {
    Dataset& board = *dm_->adoqry_table;
    if (!board.active() || board.isEmpty()) return;
    // Under the current table's cell or row, as a right press there would open it.
    QPoint at;
    if (view_ == Pictures) {
        const QRect cell = DBCtrlGrid1->visualRect(cells->indexOfRecord(board.recNo() - 1));
        at = DBCtrlGrid1->viewport()->mapToGlobal(cell.center());
    } else if (view_ == List) {
        const QRect row = DBGrid34->visualRect(DBGrid34->model()->index(board.recNo() - 1, 0));
        at = DBGrid34->viewport()->mapToGlobal(row.center());
    } else {
        at = work_->pnl_TableStateP->mapToGlobal(work_->pnl_TableStateP->rect().center());
    }
    updateMenu();
    PopupMenu_TableState->popup(at);
}

void TableBoard::showCurrentCell() {
    const QModelIndex i = cells->indexOfRecord(dm_->adoqry_table->recNo() - 1);
    if (i.isValid()) DBCtrlGrid1->scrollTo(i);
}

void TableBoard::pressOn(int record, bool right, const QPoint& globalPos) {
    Dataset& board = *dm_->adoqry_table;
    if (record >= 0 && record < board.recordCount()) board.setRecNo(record + 1);
    if (right) {
        updateMenu();
        PopupMenu_TableState->popup(globalPos);
    }
}

bool TableBoard::eventFilter(QObject* watched, QEvent* event) {
    const bool pictures = watched == DBCtrlGrid1->viewport();
    const bool list = watched == DBGrid34->viewport();
    if (!pictures && !list) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        bool handled = true;
        pressRefused_ = false;
        guarded([&] {
            if (!dayStarted()) {
                pressRefused_ = true;
                return;
            }
            const QPoint pos = me->position().toPoint();
            const int record = pictures ? cells->recordAt(DBCtrlGrid1->indexAt(pos)) : DBGrid34->indexAt(pos).row();
            const bool right = me->button() == Qt::RightButton;
            pressOn(record, right, me->globalPosition().toPoint());
            if (pictures && !right) work_->EditDict_TableState->setFocus();
            // A left press on the list goes on to the list, which keeps its row with the board.
            handled = pictures || right;
        });
        return handled;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        // The press of this double click already showed the day-start message.
        if (pressRefused_) {
            pressRefused_ = false;
            return true;
        }
        auto* me = static_cast<QMouseEvent*>(event);
        guarded([&] {
            const QPoint pos = me->position().toPoint();
            pressOn(pictures ? cells->recordAt(DBCtrlGrid1->indexAt(pos)) : DBGrid34->indexAt(pos).row(), false, {});
            dispatch();
        });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kx::frontdesk
