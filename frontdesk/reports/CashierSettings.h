#pragma once
// The cashier settings screen pnl_Setup, opened by "设置" on the board (permission PS): a toolbar
// of pages and commands over the host pnl_SetupParent, which shows one page at a time.
//
// The pages are a list (SettingsPage): each brings its toggle button, its panel, what it does
// when shown, and what "保存回退" and "取消回退" do with the row it edits. The constructor builds
// the list — "收银设置" (pnl_SetupPay: SetupPay's stock threshold, kitchen option, tax and
// rounding) and "帐单内容" (pnl_PrnBill: the bill layout in setupprint) — and a further page is
// one more addPage there. "保存回退" runs every page's save in the list's order (SetupPay is
// posted before setupprint), then shows the board; "取消回退" runs every page's cancel: the
// SetupPay edit is dropped, the layout row stays as edited and unposted until the next
// "保存回退". Esc anywhere on the screen is "取消回退" (the main window's key "setup.cancel").
//
// Each row is posted on its own, checked against what the screen read (another desk or the back
// office may have changed it meanwhile): a refused row is told and read again, and the screen
// stays, showing what is stored now.
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QToolBar;
class QToolButton;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;
class PrinterSettingsPage;

// One page of the settings screen.
struct SettingsPage {
    QString buttonName;            // its toggle button's objectName
    QString caption;               // the button's text
    QFrame* panel = nullptr;       // shown in pnl_SetupParent
    std::function<void()> shown;   // after the page is shown (its enabled edits, its focus)
    std::function<void()> save;    // "保存回退": posts what the page edits
    std::function<void()> cancel;  // "取消回退"; empty: the page's edit stays as it is
};

// "收银设置": the front desk's part of SetupPay.
class SetupPayPage : public QObject {
    Q_OBJECT
public:
    SetupPayPage(TDMTable* dm, QObject* parent);
    SettingsPage page();

    QFrame* pnl_SetupPay;
    QLineEdit* DBEdit16;     // 库存预警下限 (pay_set_stor_limi)
    QCheckBox* DBCheckBox1;  // 自动进行吧厨出品处理 (pay_set_auto_manu)
    QComboBox* DBComboBox2;  // 收税方式 (pay_set_tax_type)
    QLineEdit* dbe_TaxMone;  // 每人收税
    QLineEdit* dbe_TaxPerc;  // 收税比率
    QComboBox* cmb_ItemInt;  // 点单金额取整方案
    QComboBox* cmb_SumInt;   // 结帐金额取整方案

    // The tax method chosen: its amount enabled and focused, the other disabled and emptied
    // (stored as 0), so only the amount of the chosen method is kept.
    void DBComboBox2Change();

private:
    void shown();
    void save();
    // Enables the amount of the method shown; returns it.
    QLineEdit* enableTaxAmount();

    TDMTable* dm_;
};

// "帐单内容": the bill layout (setupprint).
class BillLayoutPage : public QObject {
    Q_OBJECT
public:
    BillLayoutPage(TDMTable* dm, QObject* parent);
    SettingsPage page();

    QFrame* pnl_PrnBill;
    // The caption lists of header line l (1…7), position k (1, 2): captions[l - 1][k - 1],
    // objectName "dbc_set_prn_<l><k>_titl".
    std::array<std::array<QComboBox*, 2>, 7> captions{};
    // "允许打印" of each line (chk_set_prn_<l>_allo).
    std::array<QCheckBox*, 7> lineAllowed{};
    // "明细打印" … "挂帐金额打印" and the hidden "合并点单", each "chk_set_prn_<flag>_allo".
    QCheckBox* flag(const QString& column) const;
    QCheckBox* chk_d1;    // 自定义信息[I]
    QCheckBox* chk_d2;    // 自定义信息[II]
    QLineEdit* dbe_d1;    // its text
    QLineEdit* dbe_d2;
    QPushButton* SpeedButton15; // 默认

    // A caption list changed: the slot's visit column follows a caption of the fourteen.
    void DBComboBox5Change(const QString& slot, const QString& text);
    // "默认": the fourteen slots back to their defaults and posted; the flags stay.
    void SpeedButton15Click();

private:
    void save();

    TDMTable* dm_;
    std::vector<QCheckBox*> flags_;
};

class CashierSettings : public QObject {
    Q_OBJECT
public:
    CashierSettings(TFormWMain* main, TFormWork* work, TDMTable* dm);

    QFrame* pnl_Setup;
    QToolBar* ToolBar_Setup;
    QFrame* pnl_SetupParent;
    QToolButton* ToolButton28; // 保存回退
    QToolButton* ToolButton30; // 取消回退
    QToolButton* ToolButton29; // 帮助/信息

    SetupPayPage* pay;
    BillLayoutPage* layout;
    PrinterSettingsPage* printers; // "打印设置": this desk's bill and kitchen printers

    // Puts a page at the end of the list: its toggle button after the other pages' buttons.
    // Returns its index.
    int addPage(SettingsPage page);
    int pageCount() const { return int(pages_.size()); }
    QToolButton* pageButton(int index) const { return buttons_[size_t(index)]; }
    QFrame* pagePanel(int index) const { return pages_[size_t(index)].panel; }
    int currentPage() const { return current_; }

    // "设置" on the board and "收银设置": the permission PS, the rows read as stored (a layout
    // left unposted stays), the screen with its first page.
    void ToolButton27Click();
    // A page's toggle button.
    void showPage(int index);
    // "保存回退": every page saves, then the board.
    void ToolButton28Click();
    // "取消回退" (and Esc): every page cancels, then the board.
    void ToolButton30Click();

private:
    void backToBoard();

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    std::vector<SettingsPage> pages_;
    std::vector<QToolButton*> buttons_;
    QAction* commands_ = nullptr; // the toolbar's first command; page buttons go before it
    int current_ = -1;
    bool printersLoaded_ = false;
};

} // namespace kx::frontdesk
