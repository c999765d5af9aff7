#pragma once
// The reverse checkout screen (pnl_Reagain, "已结帐信息") of the board's "反结" on a free table:
// the table's bills cleared today (ReportRoom, both dates today, the table's code) in DBGrid38,
// the system management password in Edit18, "回退" (and Esc) back to the board, "帮助 /信息" the
// help page. A double click on a bill (or Enter on the grid) reverses it after the password and
// a question: reverseCheckout (VisitMoves.h) reopens the visit on its table for re-settlement
// in one transaction (B1000012). A bill another desk took first, or one the day end removed, is
// refused with its message and the list is read again; the program goes on.
#include "Dataset.h"

#include <QObject>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QTableView;
class QToolBar;
class QToolButton;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

class ReverseScreen : public QObject {
    Q_OBJECT
public:
    ReverseScreen(TFormWMain* main, TFormWork* work, TDMTable* dm);
    ~ReverseScreen() override;

    QFrame* pnl_Reagain;
    QLabel* lbl_Reagain;          // 已结帐信息
    QToolBar* ToolBar_Reagain;
    QToolButton* toolb_ReagainBack; // 回退
    QToolButton* toolb_ReagainHelp; // 帮助 /信息
    QLineEdit* Edit18;              // 密码
    QTableView* DBGrid38;
    db::Dataset* qry_Reagain;       // the table's bills of today

    // "反结" on the board's current table: its bills of today listed, the password cleared,
    // the screen shown with the password focused.
    void Action3Execute();
    // The bills of the table the screen was opened for, read again.
    void listBills();
    // The reversal of the current bill: nothing on an empty list; the password, the question,
    // then reverseCheckout and the board.
    void DBGrid38DblClick();
    // "回退": the board.
    void back();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    QString table_; // the board's table the screen was opened for
};

} // namespace kx::frontdesk
