#pragma once
// Moving a visit to another table, joining it into another table's visit, continuing a
// checked-out account, clearing a checked-out table into the archives, and returning from a
// table's work screen to the board.
#include <QObject>
#include <QString>

class QFrame;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;
class WorkScreen;

class TableMoves : public QObject {
    Q_OBJECT
public:
    TableMoves(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // The pop-up panels of the work screen.
    QFrame* pnl_changetable;
    QLineEdit* editchange;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QFrame* pnl_jointable;
    QLineEdit* editjoin;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    // Places the pop-up panels on the work screen once it exists.
    void placeOn(WorkScreen* workScreen);
    bool panelOpen() const;
    // Both pop-up panels hidden and emptied, the work screen's toolbar usable again.
    void closePanels();

    // "转台": refuses a checked-out table, else shows the transfer panel.
    void startTransfer();
    // "确定" of the transfer panel: checks the target, asks, moves the visit (B100004).
    void confirmTransfer();
    // "并台" and its "确定" (B100005).
    void startJoin();
    void confirmJoin();
    // "取消" of either panel.
    void cancelPanel(QFrame* panel, QLineEdit* edit);

    // "续单": reopens a checked-out account (B100003).
    void continueAccount();
    // "清台 -": frees a checked-out table and archives its visit (B100006).
    void clearTable();
    // "回退" and Esc on the work screen: closes an open pop-up panel, else back to the board.
    void back();
    // Back to the board, the board's copies of the visits refreshed.
    void backToBoard();

    // Shows the board on the department and type of `tableCode` with that table current.
    void showTableOnBoard(const QString& tableCode);
    // Reopens the board in its order (keeping its filter).
    void Sort();

private:
    QString tableState() const;
    void setToolbarEnabled(bool on);
    void resetInfoPages();

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    WorkScreen* workScreen_ = nullptr;
};

} // namespace kx::frontdesk
