#pragma once
// "点单查询报表" (pnl_AB2): the archived order rows of a period, or of one bill ("查询帐单号：",
// digits only, bound as a number), by business date and in the order they were written.
//
// A year of the archive holds hundreds of thousands of rows: the grid reads them a page at a
// time as it scrolls (`OrderRowPages`, keyed on the business date and the row's counter, so each
// page is one short range on the date index) and never holds the period whole. The print and
// the CSV file go through every row the same way, page by page. The print lists "日期", "单号",
// "台桌名称", "项目名称", "单位", "单价", "数量", "单类", "金额", "点单员工" with "合计": the line
// count and the sum of "金额".
#include "DatasetModel.h"
#include "ReportScreen.h"

#include <QAbstractTableModel>
#include <memory>
#include <optional>

class QLineEdit;

namespace kx::frontdesk {

// The columns of the order-row grid (also the bill detail's "点单明细").
std::vector<db::GridColumn> orderRowColumns();
// The archive's columns those grids and the print read, for a SELECT.
QString orderRowFields();

// The order rows of a period, or of one bill in it, read a page at a time: the first page when
// started, the next ones as a grid asks for more (canFetchMore / fetchMore).
class OrderRowPages : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPageRows = 256;

    OrderRowPages(QSqlDatabase db, std::vector<db::GridColumn> columns, QObject* parent = nullptr);
    ~OrderRowPages() override;

    // Starts over on `period` (and bill `bill`, when given): the first page is read.
    void start(const ReportPeriod& period, std::optional<qint64> bill);
    // Visits every row of the query, those read and those not read yet (which are read page by
    // page and not kept): `row` of `page`.
    void forEachRow(const std::function<void(const db::Dataset& page, int row)>& visit) const;
    // The rows read so far.
    int rowsRead() const { return rows_; }
    const std::vector<db::GridColumn>& columns() const { return columns_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    // Reads the page after `after` (the first one when null) into `into`.
    void readPage(db::Dataset& into, const db::Dataset* after) const;

    QSqlDatabase db_;
    std::vector<db::GridColumn> columns_;
    std::vector<int> fields_;
    ReportPeriod period_;
    std::optional<qint64> bill_;
    std::vector<std::unique_ptr<db::Dataset>> pages_;
    int rows_ = 0;
    bool complete_ = true;
};

class OrderRows : public ReportScreen {
    Q_OBJECT
public:
    OrderRows(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // "点单查询报表" of the reports menu.
    void N11Click();

    ReportFrame report() const override;
    bool writeCsv(QTableView* grid, QIODevice& file) override;

    QLineEdit* Edit_BillNo; // 查询帐单号：
    QTableView* grid_OrderRows;
    OrderRowPages* rows;

protected:
    void run(const std::function<void()>& step) override;

private:
    std::optional<qint64> shownBill_;
};

} // namespace kx::frontdesk
