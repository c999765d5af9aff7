#pragma once
// The business day and the shift: day start, day end (with its optional backup), the current
// business statistics by department, and the shift handover with its report.
#include "Backup.h"
#include "ReportFrame.h"

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <future>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace kx::db {
class SnapshotBackup;
}

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

// The database work of the day, without any screen. Each runs in its transaction and first
// checks the day's state again there: another front desk may have started or ended the day
// meanwhile, which stores nothing and ends in StaleData.
//
// Day start (B100008): the other income of the day back to 0; the business day is today, started.
void startDay(TDMTable& dm);
// Day end (B100009) of the business day `business` (must still be the started day): cleared
// visits and their lines leave the live tables, the other income is archived, the day ends.
// `step` is called after each stage.
void endDay(TDMTable& dm, const QDateTime& business, const std::function<void()>& step = {});
// The shift's summary into Paytotaltemp: by pay type, the archived payments not yet handed
// over, with the start amounts (addStartAmounts).
void summarizeShift(QSqlDatabase db);
void addStartAmounts(QSqlDatabase db);
// The handover (B100010): the summary taken again inside the transaction and archived into
// Allpaytotal, and exactly the payment lines it counted marked as handed over. A bill another
// desk clears meanwhile falls in this shift or the next, never in none.
void handOverShift(TDMTable& dm, const QDateTime& business, const QString& remark, const QString& operCode,
                   const QString& operName);

class DayOperations : public QObject {
    Q_OBJECT
public:
    DayOperations(TFormWMain* main, TFormWork* work, TDMTable* dm);
    ~DayOperations() override;

    // --- the day start/end screen
    QFrame* pnl_BeginEnd;
    QToolButton* ToolButton42; // 日始
    QToolButton* ToolButton46; // 日结
    QToolButton* ToolButton47; // 保存回退
    QToolButton* ToolButton45; // 回退
    QLabel* lbl_workdate;
    QLabel* lbl_daystate;
    QLabel* lbl_timecaption;
    QLabel* lbl_time;
    QLabel* lbl_opercaption;
    QLabel* lbl_oper;
    QTableView* DBGrid13;
    QLineEdit* dbe_OtherIncome;
    QCheckBox* chk_WorkAuto;
    QCheckBox* chk_WorkBack;

    // --- current business statistics
    QFrame* pnl_TotalDept;
    QTableView* DBGrid14;
    QLabel* lbl_TotalTime;

    // --- shift handover
    QFrame* pnl_connect;
    QTableView* DBGrid16;
    QLineEdit* dbe_StarMone;
    QToolButton* SpeedButton13; // 提交
    QLineEdit* Edit10;          // 交班备注
    QTableView* DBGrid15;
    QLabel* lbl_StarMone;
    QLabel* lbl_TypeCoun;
    QLabel* lbl_TypeMone;
    QLabel* lbl_FactMone;
    QLabel* lbl_ConnectTime;
    QToolButton* ToolButton51; // 交班
    QToolButton* ToolButton52; // 预览/打印

    // "日始/日结" on the board: the screen, after the permission check.
    void showBeginEnd();
    // Day start and day end; `fromButton` false is the automatic roll at login, which skips
    // the checks and questions.
    void dayStart(bool fromButton);
    void dayEnd(bool fromButton);
    // "保存回退": stores the options and the other income, back to the board.
    void saveAndBack();
    // "回退" of these screens.
    void backToBoard();

    // "当前营业统计".
    void showTotals();

    // "员工交班处理": rebuilds the shift summary and shows the handover screen.
    void showHandover();
    // "提交": stores the starting amounts (B100011).
    void submitStartAmounts();
    // "交班": hands the shift over (B100010) and logs the operator out.
    void handOver();
    // The handover report.
    ReportFrame handoverReport() const;
    void previewHandoverReport();

    // The copy of the database day end makes when the option is set: a file in the folder
    // "back" beside the program named by the business date; the last 30 are kept. It shows the
    // day as it was before day end. Starting it (before anything is deleted) checks that the
    // copy can be made and throws DbError when it cannot; the copying itself then runs beside
    // the program, so nobody waits for it, and a copy that fails later is reported.
    std::unique_ptr<db::SnapshotBackup> startDayEndBackup();
    // Waits for a copy still being made (closing, tests). Returns its failure, empty when none.
    QString waitForBackup();
    static constexpr int kBackupsKept = db::kDayEndBackupsKept;

private:
    void build();
    void showDayState();
    void rebuildShiftSummary();
    void showShiftTotals();

    // Makes the copy started by startDayEndBackup beside the program.
    void finishInBackground(std::unique_ptr<db::SnapshotBackup> backup);

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    std::future<QString> backup_;
};

} // namespace kx::frontdesk
