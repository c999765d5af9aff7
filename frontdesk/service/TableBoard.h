#pragma once
// The table board (pnl_TableState): the tables of one department and table type in three
// views — pictures (DBCtrlGrid1), list (DBGrid34) and legend with the counts per state
// (pnl_StateCut) — the department and type grids and the current table in the side panel, the
// sort cycle, the search box, the context menu and the double-click action that opens a free
// table or shows the work screen of an occupied one.
//
// Keys: numeric-pad + runs the double-click action ("board.open"), F12 focuses the search box
// ("board.search"), the menu key opens the context menu of the current table ("board.menu").
// The menu entries "预订" and "反结" run the main window's actions "board.bookin" and
// "board.reverse".
#include "DatasetModel.h"

#include <QAbstractTableModel>
#include <QObject>
#include <QPointer>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPoint;
class QTableView;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;
class RegisterScreen;
class WorkScreen;

// The picture view's cells: the board dataset's visible rows, six to a row of cells, in the
// dataset's order. A cell shows the table code (display), the name (CellNameRole) and the
// state picture (decoration); CellCurrentRole tells the dataset's current row.
class BoardCellModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int Columns = 6;
    enum Role { CellNameRole = Qt::UserRole + 1, CellCurrentRole, CellRecordRole };

    explicit BoardCellModel(db::Dataset* board, QObject* parent = nullptr);
    // The dataset row (0-based) of a cell, -1 for a cell past the last table.
    int recordAt(const QModelIndex& index) const;
    QModelIndex indexOfRecord(int record) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int records() const;
    QPointer<db::Dataset> board_;
    bool resetting_ = false;
};

class TableBoard : public QObject {
    Q_OBJECT
public:
    TableBoard(TFormWMain* main, TFormWork* work, TDMTable* dm);
    ~TableBoard() override;

    // --- views
    QTableView* DBCtrlGrid1;  // pictures
    BoardCellModel* cells = nullptr;
    QLabel* lbl_ListTitle;    // 房台列表
    QTableView* DBGrid34;     // list
    db::DatasetModel* listModel = nullptr;
    QLabel* lbl_LegendTitle;  // 房台图例状态
    QLabel* lbl_Dept;
    QLabel* lbl_type;
    QLabel* lbl_null;
    QLabel* lbl_use;
    QLabel* lbl_acc;
    QLabel* lbl_add;
    QLabel* lbl_book;
    QLabel* lbl_dis;

    // --- side panel
    QTableView* DBGrid35;          // departments
    QLabel* lbl_TypeNarr;          // the current table's type narrative
    QTableView* dbg_TableTypeTemp; // types of the department with their counts
    QLabel* lbl_TableName;
    QLabel* lbl_TableState;
    QLabel* lbl_TableNarr;
    QLabel* lbl_TableTime;
    QLabel* lbl_TableGuest;
    QLabel* lbl_TableCount;

    // --- context menu
    QMenu* PopupMenu_TableState;
    QAction* pm_open;   // 开台
    QAction* pm_no;     // 禁用
    QAction* pm_yes;    // 启用
    QAction* pm_bookin; // 预订
    QAction* pm_reagain; // 反结

    enum View { Pictures = 1, List = 2, Legend = 3 };
    int view() const { return view_; }
    int sortOrder() const { return sort_; }

    // A department was chosen (after-scroll of adoqry_TableDept): its type summary, the board
    // filtered to it and its current type, the legend's labels.
    void departmentChosen();
    // A type was chosen (after-scroll of adoqry_tabletypetemp): the board filtered to it.
    void typeChosen();
    // Rebuilds adoqry_tabletypetemp for a department.
    void rebuildTypeSummary(const QString& dept);
    // The legend's six counts for the current department and type.
    void recount();
    // "图形房台" / "列表房台" / "房态图例": the next view.
    void viewCycle();
    // Back to the picture view ("图形房台"), as after a shift handover.
    void resetView();
    // "台号排序" …: the next order, and the board reopened in it.
    void sortCycle();
    // Reopens the board in the order in force (other screens call this when they return).
    void Sort();
    // The search box's change: the first table whose code begins with the text; a full
    // three-character code of another department or type is looked up there.
    void search(const QString& text);
    // Shows the department and type of table `code` with that table current; false when no
    // table has the code.
    bool showTable(const QString& code);
    // The board's double-click action on the current table, as the database holds it now: the
    // table's row and its visit are read again first (another desk may have opened, checked out
    // or cleared it).
    void dispatch();
    // What other desks and the back office changed since the last look, read into the board and
    // the visit list while the board shows and nothing is being typed: one cheap question to the
    // database (has anybody else committed?), and the rows read again only when somebody has.
    // A timer asks every second. The current table and visit stay current. Returns whether
    // anything was read.
    bool followOtherDesks();
    // "禁用" / "启用": the current table's state "6" / "1".
    void setTableState(const QString& state);
    // Shows the menu entries the current table's state allows.
    void updateMenu();
    // The menu key: the context menu of the current table, at its cell or row.
    void popupMenu();
    // The guard of every mouse press and double click: false after the day-start message.
    bool dayStarted();
    // A press on the board at `record` (-1: none): the table becomes current; a right press
    // opens the context menu at `globalPos`.
    void pressOn(int record, bool right, const QPoint& globalPos);

private:
    void buildPictures();
    void buildList();
    void buildLegend();
    void buildSide();
    void buildMenu();
    void installHooks();
    void filterBoard(const QString& dept, const QString& type);
    void showLegendLabels();
    void setZeroCounts();
    void showCurrentCell();
    QString currentDept() const;
    QString currentType() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    int view_ = Pictures;
    int sort_ = 1;
    bool searching_ = false;
    bool pressRefused_ = false;
    qint64 seenVersion_ = -1; // the database's change counter as last read into the board
};

} // namespace kx::frontdesk
