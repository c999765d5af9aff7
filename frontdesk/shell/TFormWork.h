#pragma once
// The work form: never shown itself, it holds every front-desk screen as a panel until
// ShowPanel places one into a host of the main window, and owns the six auxiliary queries.
#include "Dataset.h"

#include <QFrame>
#include <functional>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;
class QToolButton;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TableMoves;
class DayOperations;
class BillScreen;
class TableBoard;
class RegisterScreen;
class WorkScreen;
class OrderScreen;
class BookingScreen;
class SalesAnalysis;
class TableAnalysis;
class DishAnalysis;
class CashierSettings;
class ReverseScreen;
class BillQueries;
class OperationAnalysis;
class PerformanceAnalysis;

// A screen or a part of one that ShowPanel switches: a frame marked as a panel.
QFrame* makePanel(const QString& name, QWidget* parent = nullptr);

// A screen built the first time it is used, so that start-up builds only what the first screen
// needs. Used like a pointer; peek() tells whether it was built, without building it.
template <class T>
class LazyScreen {
public:
    void setBuilder(std::function<T*()> builder) { builder_ = std::move(builder); }
    T* get() {
        if (!screen_ && builder_) {
            auto build = std::move(builder_);
            builder_ = nullptr;
            T* built = build();
            if (!screen_) screen_ = built;
        }
        return screen_;
    }
    // For a builder that must hand the screen out before it has finished building others.
    void set(T* screen) { screen_ = screen; }
    T* peek() const { return screen_; }
    T* operator->() { return get(); }
    operator T*() { return get(); }

private:
    std::function<T*()> builder_;
    T* screen_ = nullptr;
};

class TFormWork : public QWidget {
    Q_OBJECT
public:
    explicit TFormWork(TFormWMain* main);
    ~TFormWork() override;
    // Binds the screens to the data module and wires their buttons.
    void attach(TDMTable* dm);

    TFormWMain* main() const { return main_; }
    TDMTable* dm() const { return dm_; }

    db::Dataset* AuxQuery1;
    db::Dataset* AuxQuery2;
    db::Dataset* AuxQuery3;
    db::Dataset* AuxQuery4;
    db::Dataset* AuxQuery5;
    db::Dataset* AuxQuery6;

    // --- the board screen
    QFrame* pnl_TableState;
    QFrame* Panel2;
    QToolBar* ToolBar1;
    QToolButton* ToolButton34;  // view cycle
    QToolButton* toolb_Chcek;    // 日始/日结
    QToolButton* toolb_Report;   // 报表
    QToolButton* toolb_Setup;    // 设置
    QToolButton* ToolButton4;    // 重新登录
    QToolButton* toolb_About;    // 关于
    QToolButton* toolb_Help;     // 帮助
    QToolButton* ToolButton112;  // sort cycle
    QToolButton* toolb_Exit;     // 退出
    QFrame* pnl_TableStateP;
    QFrame* pnl_TableStateG;
    QFrame* pnl_TableStateL;
    QFrame* pnl_StateCut;
    QFrame* Panel3;
    QLabel* lbl_order;
    QLabel* lbl_worktime;
    QFrame* Panel6;
    QFrame* Panel7;
    QLineEdit* EditDict_TableState;

    // --- login
    QFrame* pnl_login;
    QLabel* Label123;
    QComboBox* dbl_order;
    QLineEdit* editoper;
    QLineEdit* editpass;
    QPushButton* SpeedButton8;
    QPushButton* SpeedButton5;
    QPushButton* SpeedButton6;
    QPushButton* SpeedButton7;

    // --- password change
    QFrame* pnl_modify;
    QLabel* Label133;
    QLineEdit* editoper1;
    QLineEdit* editpass1;
    QLineEdit* editpassn;
    QLineEdit* editpassnr;
    QPushButton* SpeedButton9;
    QPushButton* SpeedButton10;
    QPushButton* SpeedButton11;

    // --- about
    QFrame* pnl_about;
    QLabel* lbl_AboutDatabase; // which database this desk works on: the file or a server

    // --- the board's views and side panel (built at once: the first screen after the login)
    TableBoard* tableBoard = nullptr;
    // --- day start and day end, business statistics, shift handover (built at once: the login's
    // day roll and the report menu need them)
    DayOperations* day = nullptr;

    // The screens built on first use:
    // the opening screen pnl_Register, the work screen pnl_Work with the table moves, continuing
    // and clearing (its pop-up panels), the bill screen pnl_Bill, the order screen pnl_ConsItem,
    // the booking screen pnl_bookin (its action "board.bookin" is registered at once, so the
    // board offers "预订").
    LazyScreen<WorkScreen> workScreen;
    LazyScreen<RegisterScreen> registerScreen;
    LazyScreen<TableMoves> moves;
    LazyScreen<BillScreen> bill;
    LazyScreen<OrderScreen> orderScreen;
    LazyScreen<BookingScreen> bookings;
    // The reverse checkout pnl_Reagain (its action "board.reverse" is registered at once, so the
    // board offers "反结").
    LazyScreen<ReverseScreen> reverse;
    // The report screens of the reports menu (their actions "reports.N5" … are registered at once).
    LazyScreen<SalesAnalysis> sales;
    LazyScreen<TableAnalysis> rooms;
    LazyScreen<DishAnalysis> dishes;
    // The cashier settings screen pnl_Setup ("设置": its action "board.setup" is registered at
    // once, so the board offers it).
    LazyScreen<CashierSettings> settings;
    // The bill, order-row, member-bill and credit-bill queries with the bill detail.
    LazyScreen<BillQueries> billQueries;
    LazyScreen<OperationAnalysis> operations;
    LazyScreen<PerformanceAnalysis> performance;
    // Builds the screen that runs `action` when it is not built yet; false when no screen of
    // this form runs it.
    bool buildScreenFor(const QString& action);

    // Shows the board screen with the picture view current, the login panel in front.
    void showBoard();
    // Locks the board behind the login panel, or unlocks it after a login.
    void lockBoard();
    void unlockBoard();
    void showAbout();
    void hideAbout();

private:
    void buildBoard();
    void buildLogin();
    void buildModify();
    void buildAbout();

    TFormWMain* main_;
    TDMTable* dm_ = nullptr;
};

} // namespace kx::frontdesk
