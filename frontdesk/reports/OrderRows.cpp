#include "OrderRows.h"

#include "Csv.h"
#include "ErrorGuard.h"
#include "TFormWMain.h"

#include <QHeaderView>
#include <QIODevice>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {

const QString kTime = QStringLiteral("tabl_cons_time_work");
const QString kCounter = QStringLiteral("rec_ID");

// Where the next page starts: the business date and counter of the last row read.
struct PageEnd {
    QVariant time;
    QVariant counter;
};

std::optional<PageEnd> endOf(const db::Dataset* page) {
    if (!page || page->recordCount() == 0) return std::nullopt;
    const int last = page->recordCount() - 1;
    return PageEnd{page->valueAt(last, page->fieldIndex(kTime)), page->valueAt(last, page->fieldIndex(kCounter))};
}

} // namespace

std::vector<db::GridColumn> orderRowColumns() {
    const QString money = QStringLiteral("#,##0.00");
    return {{QStringLiteral("tabl_cons_time_work"), QStringLiteral("日期"), QStringLiteral("yyyy-mm-dd"), 84},
            {QStringLiteral("tabl_gues_auto_recn"), QStringLiteral("单号"), QString(), 64},
            {QStringLiteral("tabl_cons_time"), QStringLiteral("时间"), QStringLiteral("mm-dd hh:nn"), 84},
            {QStringLiteral("tabl_code"), QStringLiteral("台桌号"), QString(), 50},
            {QStringLiteral("tabl_name"), QStringLiteral("台桌名称"), QString(), 80},
            {QStringLiteral("item_code"), QStringLiteral("项目编码"), QString(), 64},
            {QStringLiteral("item_name"), QStringLiteral("项目名称"), QString(), 120},
            {QStringLiteral("item_unit"), QStringLiteral("单位"), QString(), 40},
            {QStringLiteral("item_unit_pric"), QStringLiteral("单价"), money, 64},
            {QStringLiteral("tabl_cons_coun"), QStringLiteral("数量"), QStringLiteral("0.##"), 44},
            {QStringLiteral("menu_type_name"), QStringLiteral("单类"), QString(), 44},
            {QStringLiteral("tabl_cons_tota"), QStringLiteral("金额"), money, 70},
            {QStringLiteral("oper_name"), QStringLiteral("点单员工"), QString(), 64},
            {QStringLiteral("dedu_oper_name"), QStringLiteral("提成员工"), QString(), 64},
            {QStringLiteral("tabl_dedu_tota"), QStringLiteral("提成金额"), money, 64},
            {QStringLiteral("clas_name"), QStringLiteral("分类"), QString(), 64},
            {QStringLiteral("kind_name"), QStringLiteral("大类"), QString(), 64},
            {QStringLiteral("cons_grou_narr"), QStringLiteral("套菜合成说明"), QString(), 96},
            {QStringLiteral("cons_narr_name"), QStringLiteral("消费说明"), QString(), 96}};
}

QString orderRowFields() {
    QStringList fields;
    for (const db::GridColumn& c : orderRowColumns()) fields << c.field;
    return fields.join(QStringLiteral(", "));
}

OrderRowPages::OrderRowPages(QSqlDatabase db, std::vector<db::GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), db_(db), columns_(std::move(columns)) {}

OrderRowPages::~OrderRowPages() = default;

void OrderRowPages::readPage(db::Dataset& into, const db::Dataset* after) const {
    QVariantList params;
    QString where;
    if (bill_) {
        where = QStringLiteral("tabl_gues_auto_recn = ? AND ");
        params << *bill_;
    }
    const QVariantList bounds = period_.bounds();
    if (const std::optional<PageEnd> end = endOf(after)) {
        // After the last row read: its date and a later counter, or a later date. The date's
        // own range starts the index search there.
        where += kTime + QStringLiteral(" >= ? AND ") + kTime + QStringLiteral(" < ? AND (") + kTime +
                 QStringLiteral(" > ? OR rec_ID > ?)");
        params << end->time << bounds[1] << end->time << end->counter;
    } else {
        where += periodCondition(kTime);
        params << bounds;
    }
    into.setSql(QStringLiteral("SELECT rec_ID, ") + orderRowFields() + QStringLiteral(" FROM AllCons WHERE ") + where +
                    QStringLiteral(" ORDER BY tabl_cons_time_work, rec_ID LIMIT ?"),
                params << kPageRows);
    into.open();
}

void OrderRowPages::start(const ReportPeriod& period, std::optional<qint64> bill) {
    beginResetModel();
    period_ = period;
    bill_ = bill;
    pages_.clear();
    rows_ = 0;
    auto page = std::make_unique<db::Dataset>(db_, QStringLiteral("OrderRowPage"));
    readPage(*page, nullptr);
    fields_.clear();
    for (const db::GridColumn& c : columns_) fields_.push_back(page->fieldIndex(c.field));
    rows_ = page->recordCount();
    complete_ = rows_ < kPageRows;
    pages_.push_back(std::move(page));
    endResetModel();
}

bool OrderRowPages::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !complete_; }

void OrderRowPages::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    auto page = std::make_unique<db::Dataset>(db_, QStringLiteral("OrderRowPage"));
    readPage(*page, pages_.back().get());
    const int n = page->recordCount();
    complete_ = n < kPageRows;
    if (n == 0) return;
    beginInsertRows(QModelIndex(), rows_, rows_ + n - 1);
    pages_.push_back(std::move(page));
    rows_ += n;
    endInsertRows();
}

void OrderRowPages::forEachRow(const std::function<void(const db::Dataset& page, int row)>& visit) const {
    for (const auto& page : pages_)
        for (int r = 0; r < page->recordCount(); ++r) visit(*page, r);
    if (complete_ || pages_.empty()) return;
    // The rest one page at a time: the page read last gives where the next one starts.
    db::Dataset next(db_, QStringLiteral("OrderRowPage"));
    readPage(next, pages_.back().get());
    for (;;) {
        for (int r = 0; r < next.recordCount(); ++r) visit(next, r);
        if (next.recordCount() < kPageRows) return;
        readPage(next, &next);
    }
}

int OrderRowPages::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int OrderRowPages::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant OrderRowPages::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= int(columns_.size())) return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole) return QVariant();
    const int f = fields_[size_t(index.column())];
    if (f < 0) return QVariant();
    // Every page but the last holds kPageRows rows.
    const db::Dataset& page = *pages_[size_t(index.row() / kPageRows)];
    const int row = index.row() % kPageRows;
    return db::cellData(page.fieldDef(f), page.valueAt(row, f), columns_[size_t(index.column())], role);
}

QVariant OrderRowPages::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Vertical) return section + 1;
    return section >= 0 && section < int(columns_.size()) ? QVariant(columns_[size_t(section)].caption) : QVariant();
}

OrderRows::OrderRows(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : ReportScreen(main, work, dm,
                   {QStringLiteral("pnl_AB2"), QStringLiteral("点单查询报表"), QStringLiteral("重新查询"), {}, QString(), false}) {
    QWidget* page = body()->parentWidget();
    Edit_BillNo = new QLineEdit(panel);
    Edit_BillNo->setObjectName(QStringLiteral("Edit_BillNo"));
    // Digits only: the number is bound as a number.
    Edit_BillNo->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,15}")), Edit_BillNo));
    Edit_BillNo->setFixedWidth(110);
    addCondition(new QLabel(QStringLiteral("查询帐单号："), panel));
    addCondition(Edit_BillNo);
    // Enter in the number runs the query, as "重新查询" does.
    connect(Edit_BillNo, &QLineEdit::returnPressed, this, guard([this] { rerun(); }));

    grid_OrderRows = addGrid(QStringLiteral("grid_OrderRows"), page);
    // The screen keeps the rows: the grid moves into the main window, which outlives the
    // connection's datasets.
    rows = new OrderRowPages(main->db(), orderRowColumns(), this);
    grid_OrderRows->setModel(rows);
    grid_OrderRows->setSelectionMode(QAbstractItemView::SingleSelection);
    const std::vector<db::GridColumn>& columns = rows->columns();
    for (int i = 0; i < int(columns.size()); ++i) grid_OrderRows->setColumnWidth(i, columns[size_t(i)].width);
    body()->addWidget(grid_OrderRows, 1);
}

void OrderRows::N11Click() { open(); }

void OrderRows::run(const std::function<void()>& step) {
    if (step) step();
    // The number as typed when the query runs: what the screen shows and prints.
    const QString typed = Edit_BillNo->text().trimmed();
    shownBill_ = typed.isEmpty() ? std::nullopt : std::optional<qint64>(typed.toLongLong());
    rows->start(shownPeriod(), shownBill_);
    // A new query shows from its first row (and reads no further page for a scroll bar left
    // at the end of the last one).
    grid_OrderRows->scrollToTop();
    if (step) step();
}

ReportFrame OrderRows::report() const {
    ReportFrame r = frame(QStringLiteral("点单查询报表"));
    r.setSubtitle(shownBill_ ? QStringLiteral("帐单:") + QString::number(*shownBill_) : QStringLiteral("综合统计"));
    const QString money = QStringLiteral("0.00");
    r.setColumns({{QStringLiteral("日期"), QString(), false, Qt::AlignLeft},
                  {QStringLiteral("单号"), QString(), false, Qt::AlignLeft},
                  {QStringLiteral("台桌名称"), QString(), false, Qt::AlignLeft},
                  {QStringLiteral("项目名称"), QString(), false, Qt::AlignLeft},
                  {QStringLiteral("单位"), QString(), false, Qt::AlignLeft},
                  {QStringLiteral("单价"), money, false, Qt::AlignRight},
                  {QStringLiteral("数量"), QStringLiteral("0.##"), false, Qt::AlignRight},
                  {QStringLiteral("单类"), QString(), false, Qt::AlignLeft},
                  {QStringLiteral("金额"), money, false, Qt::AlignRight},
                  {QStringLiteral("点单员工"), QString(), false, Qt::AlignLeft}});
    // The caption under "日期", the lines under "单号", the sum under "金额".
    r.setSummary({QStringLiteral("合计"),
                  {{QString(), ReportFigure::Count, 1, QStringLiteral("0")}, {QString(), ReportFigure::Sum, 8, money}},
                  true});
    std::vector<int> at;
    rows->forEachRow([&](const db::Dataset& page, int row) {
        if (at.empty())
            for (const char* f : {"tabl_cons_time_work", "tabl_gues_auto_recn", "tabl_name", "item_name", "item_unit",
                                  "item_unit_pric", "tabl_cons_coun", "menu_type_name", "tabl_cons_tota", "oper_name"})
                at.push_back(page.fieldIndex(QString::fromLatin1(f)));
        r.addRow(printedRow(page, row, at));
    });
    return r;
}

bool OrderRows::writeCsv(QTableView* grid, QIODevice& file) {
    if (grid != grid_OrderRows) return ReportScreen::writeCsv(grid, file);
    QStringList header;
    for (const db::GridColumn& c : rows->columns()) header << c.caption;
    bool written = file.write(csvHead(header)) >= 0;
    std::vector<int> at;
    rows->forEachRow([&](const db::Dataset& page, int row) {
        if (at.empty())
            for (const db::GridColumn& c : rows->columns()) at.push_back(page.fieldIndex(c.field));
        QVariantList values;
        for (const int f : at) values << page.valueAt(row, f);
        written = written && file.write(csvRecord(values).toUtf8()) >= 0;
    });
    return written;
}

} // namespace kx::frontdesk
