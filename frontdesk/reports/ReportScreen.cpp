#include "ReportScreen.h"

#include "Clock.h"
#include "Csv.h"
#include "DatasetModel.h"
#include "ErrorGuard.h"
#include "PanelKit.h"
#include "ProgressBar.h"
#include "Prompter.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "Values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QStackedWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {

// Every filter drop-down of the report screens, for ReportEmpty.
std::vector<QPointer<QComboBox>>& valueBoxes() {
    static std::vector<QPointer<QComboBox>> boxes;
    return boxes;
}

QDateEdit* dateEdit(const QString& name, QWidget* parent) {
    auto* e = new QDateEdit(parent);
    e->setObjectName(name);
    e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    e->setCalendarPopup(true);
    e->setMinimumWidth(110);
    return e;
}

} // namespace

QVariantList ReportPeriod::bounds() const {
    return {toDbDate(start), toDbDate(end.addDays(1))};
}

QString ReportPeriod::text() const { return showDate(start) + QStringLiteral("至") + showDate(end); }

QString periodCondition(const QString& column) { return column + QStringLiteral(" >= ? AND ") + column + QStringLiteral(" < ?"); }

QString ReportFilter::condition() const { return active() ? column + QStringLiteral(" = ? AND ") : QString(); }

QVariantList ReportFilter::params() const { return active() ? QVariantList{value} : QVariantList{}; }

QString ReportFilter::subtitle(const QString& none) const {
    return active() ? choice + QStringLiteral(":") + value : none;
}

QString netSalesSql(const QString& p) {
    const QString total = p + QStringLiteral("tabl_cons_tota");
    return QStringLiteral("(%1 + %1 * 0.01 * (CASE WHEN COALESCE(%2serv_perc, 100) = 100 THEN 0 ELSE %2serv_perc END)"
                          " - %1 * 0.01 * (100 - COALESCE(%2disc_clas_perc, 100)))")
        .arg(total, p);
}

QVariantList printedRow(const db::Dataset& ds, int row, const std::vector<int>& fields) {
    QVariantList values;
    for (size_t i = 0; i < fields.size(); ++i) {
        const QVariant v = ds.valueAt(row, fields[i]);
        values << (i == 0 ? QVariant(showDate(v.toDateTime().date())) : v);
    }
    return values;
}
void emptiedByReportEmpty(QComboBox* box) { valueBoxes().push_back(box); }

void ReportEmpty() {
    for (const QPointer<QComboBox>& box : valueBoxes()) {
        if (!box) continue;
        box->clear();
        box->setCurrentIndex(-1);
    }
}

ReportScreen::ReportScreen(TFormWMain* main, TFormWork* work, TDMTable* dm, Options options)
    : QObject(work), main_(main), work_(work), dm_(dm), options_(std::move(options)) {
    values_ = new db::Dataset(main_->db(), options_.panel + QStringLiteral("_values"), QString(), this);
    panel = makePanel(options_.panel, work_);
    panel->resize(792, 520);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(4);

    bar = new QToolBar(panel);
    bar->setObjectName(options_.panel + QStringLiteral("_Bar"));
    rerunButton = addToolButton(bar, options_.panel + QStringLiteral("_Rerun"), options_.rerun);
    printButton = addToolButton(bar, options_.panel + QStringLiteral("_Print"), QStringLiteral("预览/打印"));
    csvButton = addToolButton(bar, options_.panel + QStringLiteral("_Csv"), QStringLiteral("导出CSV"));
    if (options_.charts)
        chartButton = addToolButton(bar, options_.panel + QStringLiteral("_Chart"), QStringLiteral("图表"), true);
    bar->addSeparator();
    backButton = addToolButton(bar, options_.panel + QStringLiteral("_Back"), QStringLiteral("回退"));
    layout->addWidget(bar);

    heading_ = new QLabel(options_.heading, panel);
    heading_->setAlignment(Qt::AlignCenter);
    heading_->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
    layout->addWidget(heading_);

    auto* conditions = new QHBoxLayout;
    conditions->addWidget(new QLabel(QStringLiteral("开始时间："), panel));
    startDate = dateEdit(options_.panel + QStringLiteral("_Start"), panel);
    conditions->addWidget(startDate);
    conditions->addSpacing(12);
    conditions->addWidget(new QLabel(QStringLiteral("结束时间："), panel));
    endDate = dateEdit(options_.panel + QStringLiteral("_End"), panel);
    conditions->addWidget(endDate);
    if (!options_.choices.empty()) {
        conditions->addSpacing(16);
        filterBox = new QCheckBox(panel);
        filterBox->setObjectName(options_.panel + QStringLiteral("_Filter"));
        conditions->addWidget(filterBox);
        choiceBox = new QComboBox(panel);
        choiceBox->setObjectName(options_.panel + QStringLiteral("_Choice"));
        for (const FilterChoice& c : options_.choices)
            choiceBox->addItem(c.caption);
        conditions->addWidget(choiceBox);
        valueBox = new QComboBox(panel);
        valueBox->setObjectName(options_.valueBox);
        valueBox->setMinimumWidth(130);
        conditions->addWidget(valueBox);
        valueBoxes().push_back(valueBox);
        // Checking the box, or another choice while it is checked, offers that choice's values.
        connect(filterBox, &QCheckBox::toggled, this, guard([this] { fillValues(); }));
        connect(choiceBox, &QComboBox::currentIndexChanged, this, guard([this] { fillValues(); }));
    }
    conditions->addStretch();
    layout->addLayout(conditions);
    conditions_ = conditions;

    pages = new QStackedWidget(panel);
    pages->setObjectName(options_.panel + QStringLiteral("_Pages"));
    auto* report = new QWidget(pages);
    body_ = new QVBoxLayout(report);
    body_->setContentsMargins(0, 0, 0, 0);
    pages->addWidget(report);
    if (options_.charts) {
        chartView = new BarChartView(pages);
        chartView->setObjectName(options_.panel + QStringLiteral("_Charts"));
        pages->addWidget(chartView);
    }
    layout->addWidget(pages, 1);
    panel->hide();

    connect(rerunButton, &QToolButton::clicked, this, guard([this] { rerun(); }));
    connect(printButton, &QToolButton::clicked, this, guard([this] { preview(); }));
    connect(csvButton, &QToolButton::clicked, this, guard([this] { exportCsv(); }));
    if (chartButton) connect(chartButton, &QToolButton::clicked, this, guard([this] { toggleCharts(); }));
    connect(backButton, &QToolButton::clicked, this, guard([this] { back(); }));
}

void ReportScreen::setHeading(const QString& heading) {
    options_.heading = heading;
    heading_->setText(heading);
}

void ReportScreen::addCondition(QWidget* control) {
    // Before the stretch that closes the line.
    conditions_->insertSpacing(conditions_->count() - 1, 16);
    conditions_->insertWidget(conditions_->count() - 1, control);
}

QTableView* ReportScreen::addGrid(const QString& name, QWidget* parent) {
    auto* g = new QTableView(parent);
    g->setObjectName(name);
    g->verticalHeader()->setDefaultSectionSize(22);
    g->verticalHeader()->hide();
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->installEventFilter(this);
    grids_.push_back(g);
    return g;
}

bool ReportScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        if (auto* g = qobject_cast<QTableView*>(watched)) lastGrid_ = g;
    return QObject::eventFilter(watched, event);
}

ReportPeriod ReportScreen::period() const { return {startDate->date(), endDate->date()}; }

ReportFilter ReportScreen::filter() const {
    if (!filterBox || !filterBox->isChecked() || valueBox->currentIndex() < 0) return {};
    const int at = choiceBox->currentIndex();
    if (at < 0 || at >= int(options_.choices.size())) return {};
    const FilterChoice& c = options_.choices[size_t(at)];
    return {c.caption, c.column, valueBox->currentText()};
}

void ReportScreen::fillValues() {
    valueBox->clear();
    if (!filterBox->isChecked()) return;
    const int at = std::max(0, choiceBox->currentIndex());
    values_->setSql(options_.choices[size_t(at)].listSql);
    values_->open();
    QStringList items;
    for (int r = 0; r < values_->recordCount(); ++r) {
        const QVariant v = values_->valueAt(r, 0);
        if (!v.isNull()) items << v.toString();
    }
    values_->close();
    valueBox->addItems(items);
    valueBox->setCurrentIndex(-1);
}

void ReportScreen::open() {
    const QDate today = Clock::today();
    startDate->setDate(today);
    endDate->setDate(today);
    ReportEmpty();
    if (filterBox) filterBox->setChecked(false);
    if (chartButton) chartButton->setChecked(false);
    pages->setCurrentIndex(0);
    main_->ShowPanel(panel, main_->pnl_Parent, 1);
    rerun();
}

void ReportScreen::rerun() {
    StatusProgress progress(main_->StatusBar1, main_->statusPanel[0]);
    shownPeriod_ = period();
    shownFilter_ = filter();
    run([&progress] { progress.step(); });
    if (chartView && pages->currentWidget() == chartView) chartView->setCharts(charts());
}

void ReportScreen::preview() { report().document().preview(main_); }

QByteArray ReportScreen::csvOf(QTableView* grid) {
    QStringList header;
    std::vector<QVariantList> rows;
    auto* model = qobject_cast<db::DatasetModel*>(grid->model());
    if (!model || !model->dataset()) return csvBytes(header, rows);
    const db::Dataset& ds = *model->dataset();
    std::vector<int> fields;
    for (const db::GridColumn& c : model->columns()) {
        header << c.caption;
        fields.push_back(ds.fieldIndex(c.field));
    }
    for (int r = 0; r < ds.recordCount(); ++r) {
        QVariantList row;
        for (const int f : fields)
            row << (f >= 0 ? ds.valueAt(r, f) : QVariant());
        rows.push_back(std::move(row));
    }
    return csvBytes(header, rows);
}

bool ReportScreen::writeCsv(QTableView* grid, QIODevice& file) { return file.write(csvOf(grid)) >= 0; }
QTableView* ReportScreen::csvGrid() const {
    return lastGrid_ ? lastGrid_.data() : (grids_.empty() ? nullptr : grids_.front());
}

void ReportScreen::exportCsv() {
    QTableView* grid = csvGrid();
    if (!grid) return;
    const QString path = modalHost().saveFileName(panel, QStringLiteral("导出CSV"),
                                                  options_.heading + QStringLiteral(".csv"), QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeCsv(grid, file) || !file.commit())
        prompter().information(QStringLiteral("文件[") + path + QStringLiteral("]不能写入！"));
}

void ReportScreen::toggleCharts() {
    if (!chartView) return;
    const bool show = pages->currentWidget() != chartView;
    if (show) chartView->setCharts(charts());
    pages->setCurrentWidget(show ? static_cast<QWidget*>(chartView) : pages->widget(0));
    chartButton->setChecked(show);
}

void ReportScreen::back() {
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setFocus();
}

ReportFrame ReportScreen::frame(const QString& title) const {
    ReportFrame r(title);
    r.setVenue(QStringLiteral("【") + dm_->setup.text(QStringLiteral("user_name")) + QStringLiteral("】"));
    r.setPeriod(shownPeriod_.text());
    r.setMade(Clock::now(), dm_->setup.text(QStringLiteral("opername")));
    r.setFooter(ReportFrame::ourFooter());
    return r;
}

} // namespace kx::frontdesk
