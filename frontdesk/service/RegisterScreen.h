#pragma once
// The opening screen of a free or booked table (pnl_Register): the table, the guest data of the
// new visit, the table's bookings, and "开台 +" / "回退". Its keys: numeric-pad + opens
// ("register.open"), F12 focuses the ticket number ("register.focusManualNumber"), Esc
// cancels ("register.back"). "预订转入" and a double click on a booking run the action
// "register.takeBooking", which takes the booking over into the visit (Bookings.h).
#include "DatasetModel.h"

#include <QObject>

class QFrame;
class QLabel;
class QLineEdit;
class QComboBox;
class QTableView;
class QToolBar;
class QToolButton;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;
class WorkScreen;

class RegisterScreen : public QObject {
    Q_OBJECT
public:
    RegisterScreen(TFormWMain* main, TFormWork* work, TDMTable* dm, WorkScreen* workScreen);
    ~RegisterScreen() override;

    QFrame* pnl_Register;
    QToolBar* ToolBar2;
    QToolButton* toolb_Open;  // 开台 +
    QToolButton* toolb_In;    // 预订转入
    QToolButton* toolb_Back;  // 回退
    QToolButton* toolb_Member; // 会员 (hidden)
    QToolButton* toolb_Info;   // 帮助/信息 (hidden)
    QLabel* DBText7;
    QLabel* DBText8;
    QLabel* DBText9;
    QLineEdit* DBEdit1;
    QLineEdit* DBEdit2;
    QLineEdit* DBEdit3;
    QComboBox* DBLookupComboBox1;
    QLineEdit* DBEdit4;
    QTableView* DBGrid11;
    db::DatasetModel* bookingsModel = nullptr;

    // The board's double-click action on a free or booked table: starts the opening (false
    // after a refused permission) and shows this screen with the focus on DBEdit1.
    bool enter();
    // "开台 +": stores the opening and shows the work screen.
    void open();
    // "回退": cancels the opening and shows the board with the search box focused.
    void back();
    // "预订转入" / double click on a booking: after the question, the current booking is taken
    // over into the visit being opened. Nothing happens while no booking is listed.
    void takeBooking();

private:
    void build();
    void bind();

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    WorkScreen* workScreen_;
};

} // namespace kx::frontdesk
