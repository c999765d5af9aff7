#pragma once
// The query reports of archived bills: "帐单查询报表" (pnl_AB1, by department or shift),
// "会员查询报表" (pnl_AB3, by member card), "挂帐查询报表" (pnl_AB4, by credit account), all
// three on AuxQuery5; the order rows "点单查询报表" (pnl_AB2, OrderRows); and the detail of one
// bill (pnl_AB11) with its pages "基本信息", "结帐信息" and "点单明细".
//
// The lists select the columns their grid and print show, one range on the archive's date
// index (a card number or account name and the dates bound). The detail reads its one bill by
// the archive's key, its payment lines into adoqry_AllguesPay and its order rows into
// ScratchQuery by the bill number. BillListKind names the list shown last (1 bills, 0 member
// bills, 2 credit-account bills): the detail's "回退" goes back to it, and the print
// (QuickRep12, after running the list again) takes its title, subtitle and columns from it.
#include "ReportScreen.h"

#include <QHash>

class QLineEdit;
class QStackedWidget;

namespace kx::frontdesk {

class OrderRows;

// BillListKind's values.
enum BillKind { MemberBills = 0, Bills = 1, CreditBills = 2 };

// The archived bills of `period` under `filter` (department or shift), by business date and
// bill number: the columns the bill lists show and print. Opens `into` on them.
void ReportBill(db::Dataset& into, const ReportPeriod& period, const ReportFilter& filter);
// The bills of member card `card` (trimmed) charged to a card: memb_mone not 0. An empty
// number lists the bills charged to a card whose number is empty.
void ReportMemb(db::Dataset& into, const ReportPeriod& period, const QString& card);
// The bills charged to credit account `name` (any account when empty): hang_mone not 0, so a
// negative amount is listed too.
void ReportHang(db::Dataset& into, const ReportPeriod& period, const QString& name);
// The names "查询挂帐人员：" offers: the accounts with a positive credit amount in `period`.
QStringList hangNames(QSqlDatabase db, const ReportPeriod& period);

// One of the three bill lists.
class BillList : public ReportScreen {
    Q_OBJECT
public:
    BillList(TFormWMain* main, TFormWork* work, TDMTable* dm, BillKind kind, db::Dataset* list);

    BillKind kind() const { return kind_; }
    // Opening from the reports menu: today, the drop-downs emptied, the list run.
    void enter();
    // Back to this list as it stands (from the detail).
    void showAgain();
    // Runs the list again, then previews QuickRep12.
    void preview() override;
    ReportFrame report() const override;

    QToolButton* detailButton; // 明细查询
    QTableView* DBGrid27;
    QLineEdit* Edit_MembCard = nullptr; // 查询会员卡号：
    QComboBox* cmb_HangName = nullptr;  // 查询挂帐人员：
    // "明细查询", a double click or Enter on the grid.
    std::function<void()> onDetail;

protected:
    void run(const std::function<void()>& step) override;

private:
    BillKind kind_;
    db::Dataset* list_;
    QString shownValue_; // the card or account of the last run
    bool entering_ = false;
};

// The detail of one archived bill.
class BillDetail : public QObject {
    Q_OBJECT
public:
    BillDetail(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // Reads the bill (by the archive's key `key`, its payment lines and order rows by the bill
    // number) and shows the page "基本信息"; false when the bill is no longer in the archive.
    bool open(qint64 key, qint64 bill);
    // Shows a page: 0 基本信息, 1 结帐信息, 2 点单明细.
    void showPage(int page);
    int page() const;

    // The value shown for an archived column ("tabl_gues_name"), empty when there is none.
    QLabel* value(const QString& column) const { return values_.value(column); }

    QFrame* pnl_AB11;
    QFrame* pnl_AB111; // 基本信息
    QFrame* pnl_AB112; // 结帐信息
    QFrame* pnl_AB113; // 点单明细
    QToolButton* pageButtons[3];
    QToolButton* ToolButton92; // 回退
    QStackedWidget* pages;
    QTableView* grid_Payments; // 付款名称, 付款金额
    QTableView* grid_Lines;    // the order rows
    db::Dataset* qry_Bill;     // the one archived visit
    // "回退": the list BillListKind names.
    std::function<void()> onBack;

private:
    QFrame* fieldPage(const QString& name, const std::vector<std::tuple<const char*, const char*, const char*>>& fields,
                      int columns);

    TFormWMain* main_;
    TDMTable* dm_;
    QHash<QString, QLabel*> values_;
};

// The four query screens of the reports menu and the detail they share.
class BillQueries : public QObject {
    Q_OBJECT
public:
    BillQueries(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // The reports menu: "帐单查询报表", "点单查询报表", "会员查询报表", "挂帐查询报表".
    void N10Click();
    void N11Click();
    void N12Click();
    void N13Click();

    // "明细查询" of the current list (DBGrid27DblClick): nothing on an empty list.
    void DBGrid27DblClick();
    // "回退" of the detail (ToolButton92Click).
    void ToolButton92Click();

    // The list shown last: 1 bills, 0 member bills, 2 credit-account bills.
    int BillListKind = Bills;
    BillList* list(int kind) const;

    BillList* bills;   // pnl_AB1
    BillList* members; // pnl_AB3
    BillList* credits; // pnl_AB4
    OrderRows* orders; // pnl_AB2
    BillDetail* detail; // pnl_AB11

private:
    TFormWork* work_;
};

} // namespace kx::frontdesk
