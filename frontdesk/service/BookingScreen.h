#pragma once
// The booking screen (pnl_bookin) of the board's "预订": the bookings grid over one of two
// sub-screens, the entry of the selected table's bookings (pnl_BookInAdd) and the search over
// all bookings (pnl_BookINS). "预订管理" and "查询" switch between them; "保存回退" sets the
// table's booked state from its stored bookings and shows the board again. The database work
// is in Bookings.h.
//
// The two pickers of the entry hold the booked date and time: moving to a booking shows its
// time in them (after-scroll of adoqry_bookin) and posting a booking stores them joined into
// book_time (before-post).
#include "DatasetModel.h"

#include <QObject>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QTableView;
class QTimeEdit;
class QToolBar;
class QToolButton;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

class BookingScreen : public QObject {
    Q_OBJECT
public:
    BookingScreen(TFormWMain* main, TFormWork* work, TDMTable* dm);
    ~BookingScreen() override;

    QFrame* pnl_bookin;
    QToolBar* ToolBar5;
    QToolButton* ToolButton2;  // 预订管理 (toggle)
    QToolButton* ToolButton5;  // 查询 (toggle)
    QToolButton* ToolButton29; // 增加
    QToolButton* ToolButton38; // 删除
    QToolButton* ToolButton35; // 保存
    QToolButton* ToolButton40; // 取消
    QToolButton* ToolButton39; // 查询 (apply the search)
    QToolButton* ToolButton41; // 重置
    QToolButton* ToolButton36; // 保存回退
    QTableView* dbg_BookIn;
    db::DatasetModel* bookingsModel = nullptr;
    QFrame* pnl_BookHost;

    // --- entry
    QFrame* pnl_BookInAdd;
    QLineEdit* dbe_BookName;
    QLineEdit* dbe_BookCoun;
    QDateEdit* DateTimePicker2; // date
    QTimeEdit* DateTimePicker1; // time
    QLabel* lbl_BookTable;
    QComboBox* dbl_BookOper;
    QLineEdit* dbe_BookTele;
    QLineEdit* dbe_BookRema;

    // --- search
    QFrame* pnl_BookINS;
    QLineEdit* Edit6; // guest
    QLineEdit* Edit3; // table code
    QLineEdit* Edit8; // operator code
    QLineEdit* Edit7; // telephone
    QCheckBox* CheckBox1; // 提定日期：
    QDateEdit* DateTimePicker3;

    // The board's "预订" on its current table: the permission "BI" (false after its refusal),
    // then the entry of the table's bookings.
    bool enter();
    // "预订管理": the entry of the table's bookings, the guest's name focused.
    void manage();
    // "查询": every booking, the search fields, the operator code focused.
    void searchMode();
    // "增加", "删除", "保存", "取消" of the entry.
    void add();
    void remove();
    void save();
    void cancelEdit();
    // "查询" of the search: the bookings the fields ask for; "重置": all of them again.
    void search();
    void reset();
    // "保存回退": the table's bookings again, its booked state, the board.
    void leave();

private:
    void build();
    QFrame* buildEntry();
    QFrame* buildSearch();
    void bind();
    void installHooks();
    void setPickersToNow();
    void showButtons(bool entry);
    // An edit in progress is stored before the list changes; a new booking nothing was typed
    // into is dropped instead.
    void settleEdit();

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    QString table_; // the board's table the screen was entered for
};

} // namespace kx::frontdesk
