#include "StaffReportScreen.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "PanelKit.h"
#include "Sql.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "Values.h"

#include <QAbstractItemModel>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

StaffBox::StaffBox(const QString& name, QSqlDatabase db, QWidget* parent) : QComboBox(parent), db_(db) {
    setObjectName(name);
    setMinimumWidth(130);
    // Emptied from outside (ReportEmpty): read again when next wanted.
    connect(model(), &QAbstractItemModel::modelReset, this, [this] {
        if (!filling_) filled_ = false;
    });
}

void StaffBox::setList(const QString& sql) {
    sql_ = sql;
    clear();
    setCurrentIndex(-1);
    filled_ = false;
}

void StaffBox::fill() {
    if (filled_ || sql_.isEmpty()) return;
    filling_ = true;
    clear();
    QStringList names;
    QSqlQuery q = db::run(db_, sql_);
    while (q.next())
        if (!q.value(0).isNull()) names << q.value(0).toString();
    addItems(names);
    setCurrentIndex(-1);
    filling_ = false;
    filled_ = true;
}

QString StaffBox::chosen() const { return currentIndex() < 0 ? QString() : currentText(); }

bool StaffBox::choose(const QString& name) {
    fill();
    setCurrentIndex(findText(name));
    return currentIndex() >= 0;
}

void StaffBox::showPopup() {
    guarded([this] { fill(); });
    QComboBox::showPopup();
}

void StaffBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit entered();
        event->accept();
        return;
    }
    // Back to everybody.
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        setCurrentIndex(-1);
        event->accept();
        return;
    }
    guarded([this] { fill(); });
    QComboBox::keyPressEvent(event);
}

void StaffBox::wheelEvent(QWheelEvent* event) {
    guarded([this] { fill(); });
    QComboBox::wheelEvent(event);
}

StaffReportScreen::StaffReportScreen(TFormWMain* main, TFormWork* work, TDMTable* dm, Layout layout)
    : ReportScreen(main, work, dm, layout.screen), modes_(std::move(layout.modes)) {
    rerunButton->setObjectName(layout.rerunButton);
    printButton->setObjectName(layout.printButton);

    // The toggles first, then the kit's buttons.
    QAction* first = bar->actions().value(0);
    modeGroup_ = new QButtonGroup(this);
    modeGroup_->setExclusive(true);
    for (size_t m = 0; m < modes_.size(); ++m) {
        QToolButton* b = addToolButton(bar, modes_[m].button, modes_[m].caption, true, first);
        modeGroup_->addButton(b, int(m));
        modeButtons.push_back(b);
        connect(b, &QToolButton::clicked, this, guard([this, m] { chooseMode(int(m)); }));
        // F5, F6 … while the screen shows.
        b->setToolTip(QStringLiteral("F%1").arg(5 + m));
        main->registerAction(layout.screen.panel + QStringLiteral(".mode%1").arg(m + 1), [this, m] { chooseMode(int(m)); });
    }
    bar->insertSeparator(first);

    staffCaption = new QLabel(panel);
    staffBox = new StaffBox(layout.staffBox, main->db(), panel);
    emptiedByReportEmpty(staffBox);
    addCondition(staffCaption);
    addCondition(staffBox);
    connect(staffBox, &StaffBox::entered, this, guard([this] { rerun(); }));

    subScreens = new QStackedWidget(body()->parentWidget());
    subScreens->setObjectName(layout.subScreens);
    for (const Mode& m : modes_) {
        QFrame* sub = makePanel(m.panel, subScreens);
        auto* l = new QVBoxLayout(sub);
        l->setContentsMargins(0, 0, 0, 0);
        QString suffix = m.panel;
        suffix.remove(QStringLiteral("pnl_"));
        auto* data = new db::Dataset(main->db(), QStringLiteral("qry_") + suffix, QString(), this);
        QTableView* grid = addGrid(QStringLiteral("grid_") + suffix, sub);
        bindGrid(grid, data, m.columns);
        l->addWidget(grid);
        subScreens->addWidget(sub);
        subPanels.push_back(sub);
        modeGrids.push_back(grid);
        modeData.push_back(data);
    }
    body()->addWidget(subScreens, 1);
    setMode(0);
}

void StaffReportScreen::setMode(int mode) {
    mode_ = mode;
    const Mode& m = modes_[size_t(mode)];
    modeButtons[size_t(mode)]->setChecked(true);
    subScreens->setCurrentIndex(mode);
    setHeading(m.heading);
    staffCaption->setText(m.staff);
    staffBox->setList(m.list);
    if (chartButton) {
        // Only the modes with a chart have one to show.
        if (!m.chart && pages->currentWidget() == chartView) toggleCharts();
        chartButton->setEnabled(m.chart);
    }
}

void StaffReportScreen::chooseMode(int mode) {
    setMode(mode);
    rerun();
}

void StaffReportScreen::run(const std::function<void()>& step) {
    if (step) step();
    shownMode_ = mode_;
    shownName_ = staffBox->chosen();
    runMode(shownMode_, shownName_, *modeData[size_t(shownMode_)]);
    if (step) step();
}

QTableView* StaffReportScreen::csvGrid() const { return modeGrids[size_t(mode_)]; }

void StaffReportScreen::addRows(ReportFrame& r, const db::Dataset& data, const QStringList& fields,
                                const std::function<void(int row)>& group) {
    if (!data.active()) return;
    std::vector<int> at;
    for (const QString& f : fields) at.push_back(data.fieldIndex(f));
    for (int row = 0; row < data.recordCount(); ++row) {
        if (group) group(row);
        QVariantList values;
        for (const int f : at) {
            const QVariant v = data.valueAt(row, f);
            // Business dates print without their time.
            values << (v.typeId() == QMetaType::QDateTime ? QVariant(showDate(v.toDate())) : v);
        }
        r.addRow(values);
    }
}

ReportFrame StaffReportScreen::modeReport(const QString& title, const QString& subtitle, std::vector<ReportColumn> columns,
                                          const QStringList& fields, ReportTotals summary) const {
    ReportFrame r = frame(title);
    r.setSubtitle(subtitle);
    r.setColumns(std::move(columns));
    r.setSummary(std::move(summary));
    addRows(r, shownData(), fields);
    return r;
}

} // namespace kx::frontdesk
