#pragma once
// The work screen of an occupied table (pnl_Work): its toolbar, the three information pages,
// the order lines of the visit, the totals and the table's state picture.
//
// On this screen the current row of adoqry_table is the table, the current row of
// adoqry_TableGues its visit, and adoqry_TableCons holds the visit's lines by tabl_cons_id.
// The toolbar buttons run the actions "work.goon", "work.order", "work.transfer", "work.join",
// "work.checkout", "work.clear", "work.back" and "work.kitchen" of the main window; the action
// "work.resetInfo" puts the information pages back for whoever leaves the screen.
#include "DatasetModel.h"

#include <QObject>

class QActionGroup;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class QToolBar;
class QToolButton;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

// Makes the visit of the board's current table the current visit and points adoqry_TableCons
// at its lines. With `recompute` (a table in use) the visit is recomputed by ReTotal and
// posted first. False when the table has no visit in use (nothing is changed then).
bool loadTableVisit(TDMTable& dm, bool recompute);

class WorkScreen : public QObject {
    Q_OBJECT
public:
    WorkScreen(TFormWMain* main, TFormWork* work, TDMTable* dm);
    ~WorkScreen() override;

    QFrame* pnl_Work;
    QToolBar* ToolBar3;
    QToolButton* toolb_tablstat; // 续单
    QToolButton* toolb_Order;    // 点单 +
    QToolButton* toolb_Transfer; // 转台
    QToolButton* toolb_Join;     // 并台
    QToolButton* toolb_Checkout; // 结帐 *
    QToolButton* toolb_Clear;    // 清台 -
    QToolButton* toolb_WorkBack; // 回退
    QToolButton* toolb_info;     // 房台信息
    QToolButton* toolb_Kitchen;  // 后厨
    QMenu* PopupMenu2;
    QAction* pm_roominfo;
    QAction* pm_guestinfo;
    QAction* pm_accountinfo;

    QFrame* pnl_TableInfoP;
    QFrame* pnl_roominfo;
    QFrame* pnl_guestinfo;
    QFrame* pnl_accountinfo;
    QLineEdit* DBEdit5; // tabl_gues_user_recn
    QLineEdit* DBEdit6; // tabl_gues_rema
    QComboBox* DBLookupComboBox7; // dedu_oper_code
    QComboBox* DBComboBox3;       // dedu_type

    QTableView* DBGrid3;
    db::DatasetModel* linesModel = nullptr;

    QFrame* Panel11;
    QFrame* pnl_tablstat;
    QLabel* lbl_constype;
    QLabel* img_tablstat;

    // The double-click action of the board for a table in use ("2", "4": recomputed, editable)
    // or checked out ("3": as stored, the four edits disabled): loads the visit and shows this
    // screen with the room page. False (nothing shown) when the table has no visit in use.
    bool enter(bool inUse);
    // Shows the page of a PopupMenu2 entry (0 room, 1 guest, 2 account) and names it on
    // toolb_info; the next click of toolb_info then shows the page after it.
    void showInfoPage(int entry);
    // A click of toolb_info: the page the page number names.
    void nextInfoPage();
    int infoPageNumber() const { return pageNumber_; }
    // Leaving the screen: caption "房台信息", page number 1.
    void resetInfo();
    // Double click on an order line: switches its sent mark and posts it.
    void toggleSent();
    // Enables or disables the four edits of the information pages.
    void setEditsEnabled(bool on);
    // Shows this screen as the current one (with the room page when `roomPage`) and focuses the
    // order lines. Every way onto the screen goes through here, so the pop-up panels of the
    // table moves are closed whenever the screen is shown.
    void showScreen(bool roomPage);

signals:
    // The screen was just shown.
    void shown();

private:
    void build();
    void buildInfoPages();
    void bind();
    void showTableState();

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    QActionGroup* pages_ = nullptr;
    int pageNumber_ = 1;
};

} // namespace kx::frontdesk
